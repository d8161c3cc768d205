// Attachment encoding against OpenSSL's block encoder, on the same 16 MiB file.
#include "framework/core/Application.h"
#include "mail/codec/Base64Encoder.h"
#include "mail/QELTIEmails.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <malloc.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

using namespace qel;

namespace {

constexpr size_t FileSize = 16u << 20;

// Random bytes, so no branch predictor or compressor has it easy; made once, removed at exit.
struct TBenchFile {
    std::filesystem::path Path;
    std::vector<uint8_t> Bytes;

    TBenchFile()
        : Path(std::filesystem::temp_directory_path() / ("qelmail_bench_" + std::to_string(::getpid()) + ".bin")),
          Bytes(FileSize)
    {
        std::mt19937 engine(2026);
        for (auto& b : Bytes) b = static_cast<uint8_t>(engine());
        std::ofstream(Path, std::ios::binary).write(reinterpret_cast<const char*>(Bytes.data()), FileSize);
    }
    ~TBenchFile() { std::filesystem::remove(Path); }
};

const TBenchFile& BenchFile()
{
    static const TBenchFile file;
    return file;
}

// The component as an application runs it: every event assigned, the queue serviced.
struct TComponentRig {
    TQELAccountHolder Holder{nullptr};
    TQELSMTPMail Mail{nullptr};
    TQELAttachment* Attachment = nullptr;
    int64_t Events = 0;

    TComponentRig()
    {
        Application->Initialize();
        TQELMailAccount* account = Holder.Accounts()->Add();
        account->SetProgressStep(1);
        Mail.SetAccountInfo(&Holder);
        Mail.CurrentAccount = account;
        Mail.OnEncodeStart = [this](TObject*, const String&, int32_t) { ++Events; };
        Mail.OnEncodeProgress = [this](TObject*, uint16_t, int32_t) { ++Events; };
        Mail.OnEncodeend = [this](TObject*) { ++Events; };
        Attachment = Mail.Messages()->Add()->Attachments()->Add(BenchFile().Path.string());
    }
};

void Report(benchmark::State& state, const TComponentRig& Rig)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(FileSize));
    state.counters["lines"] = Rig.Attachment->EncodedLines->Count();
    state.counters["events"] = static_cast<double>(Rig.Events) / static_cast<double>(state.iterations());
}

// A first send: the attachment has no lines yet. The lines of earlier runs are freed outside the
// timing, one run late, so that the heap stays warm as in a running application.
void BM_Base64Encode_Component(benchmark::State& state)
{
    TComponentRig rig;
    std::shared_ptr<TStringList> previous;
    for (auto _ : state) {
        rig.Mail.Base64Encode(rig.Attachment);
        state.PauseTiming();
        previous = std::move(rig.Attachment->EncodedLines);
        rig.Attachment->EncodedLines = std::make_unique<TStringList>();
        state.ResumeTiming();
    }
    rig.Attachment->EncodedLines = std::move(previous);
    Report(state, rig);
}
BENCHMARK(BM_Base64Encode_Component)->Unit(benchmark::kMillisecond);

// A resend: the new lines replace the previous 294k, whose freeing is timed too.
void BM_Base64Encode_Component_Resend(benchmark::State& state)
{
    TComponentRig rig;
    for (auto _ : state) rig.Mail.Base64Encode(rig.Attachment);
    Report(state, rig);
}
BENCHMARK(BM_Base64Encode_Component_Resend)->Unit(benchmark::kMillisecond);

// The line encoder alone, from memory into a reused line: the table's own speed.
void BM_Base64Encode_LineEncoderOnly(benchmark::State& state)
{
    const auto& bytes = BenchFile().Bytes;
    for (auto _ : state) {
        TBase64LineEncoder encoder;
        size_t chars = 0;
        const auto sink = [&](const String& Line) { chars += Line.size(); };
        const size_t used = encoder.Encode(bytes.data(), bytes.size(), sink);
        encoder.Finish(bytes.data() + used, bytes.size() - used, sink);
        benchmark::DoNotOptimize(chars);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(FileSize));
}
BENCHMARK(BM_Base64Encode_LineEncoderOnly)->Unit(benchmark::kMillisecond);

// The reference: the bytes already in memory, one call, no lines, no events.
void BM_OpenSSL_EncodeBlock(benchmark::State& state)
{
    const auto& bytes = BenchFile().Bytes;
    std::vector<unsigned char> out(4 * ((FileSize + 2) / 3) + 1);
    for (auto _ : state) {
        const int n = EVP_EncodeBlock(out.data(), bytes.data(), static_cast<int>(bytes.size()));
        benchmark::DoNotOptimize(n);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(FileSize));
}
BENCHMARK(BM_OpenSSL_EncodeBlock)->Unit(benchmark::kMillisecond);

// The reference with the file read as well, as the component has to.
void BM_OpenSSL_EncodeBlock_ReadFile(benchmark::State& state)
{
    std::vector<unsigned char> in(FileSize);
    std::vector<unsigned char> out(4 * ((FileSize + 2) / 3) + 1);
    const String path = BenchFile().Path.string();
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        const size_t got = f ? std::fread(in.data(), 1, in.size(), f) : 0;
        if (f) std::fclose(f);
        const int n = EVP_EncodeBlock(out.data(), in.data(), static_cast<int>(got));
        benchmark::DoNotOptimize(n);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(FileSize));
}
BENCHMARK(BM_OpenSSL_EncodeBlock_ReadFile)->Unit(benchmark::kMillisecond);

// The reference cut into the component's output shape: one string per 57-byte line in a list
// that grows as it goes. Shows what the shape costs, apart from events and queue servicing.
void BM_OpenSSL_EncodeBlock_LineStrings(benchmark::State& state)
{
    const auto& bytes = BenchFile().Bytes;
    for (auto _ : state) {
        std::vector<String> lines;
        unsigned char line[TBase64LineEncoder::LineLength + 1];
        for (size_t at = 0; at < bytes.size(); at += TBase64LineEncoder::BytesPerLine) {
            const size_t n = std::min(TBase64LineEncoder::BytesPerLine, bytes.size() - at);
            const int chars = EVP_EncodeBlock(line, bytes.data() + at, static_cast<int>(n));
            lines.emplace_back(reinterpret_cast<const char*>(line), static_cast<size_t>(chars));
        }
        benchmark::DoNotOptimize(lines.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(FileSize));
}
BENCHMARK(BM_OpenSSL_EncodeBlock_LineStrings)->Unit(benchmark::kMillisecond);

}  // namespace

// A running application keeps the heap it has grown; glibc would otherwise hand the 300k freed
// lines back to the kernel after every run, and each run would measure this machine's page-fault
// cost (several times the encoding itself on a virtual machine). QEL_BENCH_COLD=1 measures that.
int main(int argc, char** argv)
{
    if (!std::getenv("QEL_BENCH_COLD")) {
        mallopt(M_TRIM_THRESHOLD, 1 << 30);
        mallopt(M_MMAP_THRESHOLD, 1 << 30);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
