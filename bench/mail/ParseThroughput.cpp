// Parse + decode throughput of one retrieved message, for comparison with another parser on the
// same bytes (bench/scripts/parse_vs_python.sh). Prints MB/s of the best of several runs.
// usage: qelmail_parse_throughput MESSAGE-FILE [RUNS]
#include "framework/core/Application.h"
#include "framework/core/Streams.h"
#include "mail/QELTIEmails.h"

#include <chrono>
#include <cstdio>

using namespace qel;

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s MESSAGE-FILE [RUNS]\n", argv[0]);
        return 2;
    }
    Application->Initialize(argc, argv);
    TMemoryStream file;
    file.LoadFromFile(argv[1]);
    const String raw = file.DataString();
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;

    double best = 1e9;
    int64_t decoded = 0;
    for (int run = 0; run < runs; ++run) {
        TQELAccountHolder holder(nullptr);
        holder.Accounts()->Add()->SetProgressStep(1);
        TQELPOPMail pop(nullptr);
        pop.SetAccountInfo(&holder);
        pop.CurrentAccount = holder.Accounts()->Items(0);
        const auto start = std::chrono::steady_clock::now();
        TStringList lines;
        lines.SetText(raw);
        pop.ParseRetrievedMessage(1, lines, false);
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        best = std::min(best, s);
        decoded = 0;
        TQELMessage* m = pop.Messages()->Items(0);
        for (int i = 0; i < m->Attachments()->Count(); ++i) decoded += m->Attachments()->Items(i)->Content->Size();
    }
    std::printf("%.1f MB/s (%.3f s for %zu bytes, %lld bytes decoded)\n", static_cast<double>(raw.size()) / best / 1e6, best,
                raw.size(), static_cast<long long>(decoded));
    return 0;
}
