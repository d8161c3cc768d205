#include "mail/codec/Base64Encoder.h"
#include "mail/QELTIEmails.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

using namespace qel;

namespace {

std::vector<String> EncodeInPieces(const std::vector<uint8_t>& Bytes, size_t Cut)
{
    std::vector<String> lines;
    const auto sink = [&](const String& Line) { lines.push_back(Line); };
    TBase64LineEncoder encoder;
    size_t used = encoder.Encode(Bytes.data(), Cut, sink);
    used += encoder.Encode(Bytes.data() + used, Bytes.size() - used, sink);
    encoder.Finish(Bytes.data() + used, Bytes.size() - used, sink);
    return lines;
}

std::vector<uint8_t> RandomBytes(size_t Count, unsigned Seed)
{
    std::mt19937 engine(Seed);
    std::vector<uint8_t> bytes(Count);
    for (auto& b : bytes) b = static_cast<uint8_t>(engine());
    return bytes;
}

// Decodes with the system's own base64 tool, so our reading of the alphabet is not trusted twice.
std::vector<uint8_t> DecodeWithCoreutils(const std::vector<String>& Lines, const QString& Dir)
{
    const QString path = Dir + "/encoded.txt";
    std::ofstream file(path.toStdString());
    for (const String& line : Lines) file << line << "\n";
    file.close();
    QProcess tool;
    tool.start("base64", {"-d", path});
    tool.waitForFinished(60000);
    const QByteArray out = tool.readAllStandardOutput();
    return {out.begin(), out.end()};
}

class Base64Encode : public ::testing::Test {
protected:
    void SetUp() override
    {
        Account = Holder.Accounts()->Add();
        Mail.SetAccountInfo(&Holder);
        Mail.CurrentAccount = Account;
        Mail.CurrentItemIndex = 7;
        Mail.OnEncodeStart = [&](TObject*, const String& File, int32_t Size) {
            Events.push_back("start " + File + " " + std::to_string(Size));
        };
        Mail.OnEncodeProgress = [&](TObject*, uint16_t Percent, int32_t Item) {
            Events.push_back(std::to_string(Percent) + (Item == 7 ? "" : " wrong item"));
        };
        Mail.OnEncodeend = [&](TObject*) { Events.push_back("end"); };
    }

    TQELAttachment* Attach(const std::vector<uint8_t>& Bytes)
    {
        const String path = Dir.filePath("file.bin").toStdString();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(Bytes.data()), Bytes.size());
        Path = path;
        return Mail.Messages()->Add()->Attachments()->Add(path);
    }

    std::vector<String> Encode(const std::vector<uint8_t>& Bytes, int Step)
    {
        if (Step > 0) Account->SetProgressStep(Step);  // 0: as an account made in code has it
        Events.clear();
        TQELAttachment* attachment = Attach(Bytes);
        Mail.Base64Encode(attachment);
        return attachment->EncodedLines->ToVector();
    }

    QTemporaryDir Dir;
    TQELAccountHolder Holder{nullptr};
    TQELMailAccount* Account = nullptr;
    TQELSMTPMail Mail{nullptr};
    std::vector<String> Events;
    String Path;
};

using Lines = std::vector<String>;
using Log = std::vector<String>;

}  // namespace

TEST(Base64LineEncoder, KnownTextsAndInputCutAnywhere)
{
    const auto text = [](const char* S) { return std::vector<uint8_t>(S, S + std::strlen(S)); };
    EXPECT_EQ(EncodeInPieces(text(""), 0), Lines{});
    EXPECT_EQ(EncodeInPieces(text("f"), 0), Lines{"Zg=="});
    EXPECT_EQ(EncodeInPieces(text("fo"), 0), Lines{"Zm8="});
    EXPECT_EQ(EncodeInPieces(text("foobar"), 0), Lines{"Zm9vYmFy"});
    EXPECT_EQ(EncodeInPieces(std::vector<uint8_t>{0xFB, 0xEF, 0xFF}, 0), Lines{"++//"});

    // A partial line survives between calls, wherever the caller cuts.
    const auto bytes = RandomBytes(400, 1);
    const Lines whole = EncodeInPieces(bytes, 0);
    ASSERT_EQ(whole.size(), 8u);  // 7 * 57 bytes, then one byte
    EXPECT_EQ(whole[6].size(), 76u);
    EXPECT_EQ(whole[7].substr(2), "==");
    for (size_t cut = 0; cut <= bytes.size(); ++cut) ASSERT_EQ(EncodeInPieces(bytes, cut), whole) << cut;
}

TEST_F(Base64Encode, SmallFilesGiveShortLinesAndOnlyTheFinalProgress)
{
    EXPECT_EQ(Encode({}, 1), Lines{});
    EXPECT_EQ(Events, (Log{"start " + Path + " 0", "100", "end"}));
    EXPECT_EQ(Encode({'f'}, 1), Lines{"Zg=="});
    EXPECT_EQ(Encode({'f', 'o'}, 1), Lines{"Zm8="});
    EXPECT_EQ(Encode({'f', 'o', 'o'}, 1), Lines{"Zm9v"});
    EXPECT_EQ(Encode(std::vector<uint8_t>(57, 0xFF), 1), Lines{String(76, '/')});
    std::vector<uint8_t> bytes(57, 0xFF);
    bytes.push_back(0);
    EXPECT_EQ(Encode(bytes, 1), (Lines{String(76, '/'), "AA=="}));
    EXPECT_EQ(Events, (Log{"start " + Path + " 58", "100", "end"}));
}

TEST_F(Base64Encode, BlockPhaseReportsPerLineWithHalvesToEven)
{
    const Lines lines = Encode(std::vector<uint8_t>(2280, 0), 1);
    EXPECT_EQ(lines, Lines(40, String(76, 'A')));
    Log expected{"start " + Path + " 2280"};
    for (const char* p : {"2",  "5",  "8",  "10", "12", "15", "18", "20", "22", "25", "28", "30", "32", "35",
                          "38", "40", "42", "45", "48", "50", "52", "55", "58", "60", "62", "65", "68", "70",
                          "72", "75", "78", "80", "82", "85", "88", "90", "92", "95", "98", "100"})
        expected.push_back(p);
    expected.push_back("end");
    EXPECT_EQ(Events, expected);

    EXPECT_EQ(Encode(std::vector<uint8_t>(4560, 0), 50).size(), 80u);
    EXPECT_EQ(Events, (Log{"start " + Path + " 4560", "50", "100", "end"}));

    Account = Holder.Accounts()->Add();  // step 0: every line reports, the first with 0
    Mail.CurrentAccount = Account;
    Encode(std::vector<uint8_t>(22800, 0), 0);
    ASSERT_EQ(Events.size(), 402u);
    EXPECT_EQ((Log{Events[1], Events[2], Events[400]}), (Log{"0", "0", "100"}));
}

TEST_F(Base64Encode, LargeFilesDecodeBackByteForByte)
{
    for (size_t size : {size_t{3000001}, size_t{2500001}}) {
        const auto bytes = RandomBytes(size, static_cast<unsigned>(size));
        const Lines lines = Encode(bytes, 10);
        ASSERT_EQ(lines.size(), (size + 56) / 57);
        for (size_t i = 0; i + 1 < lines.size(); ++i) ASSERT_EQ(lines[i].size(), 76u) << i;
        EXPECT_EQ(DecodeWithCoreutils(lines, Dir.path()), bytes) << size;
        EXPECT_EQ(Events, (Log{"start " + Path + " " + std::to_string(size), "10", "20", "30", "40", "50", "60",
                               "70", "80", "90", "100", "end"}));
    }
}

TEST_F(Base64Encode, UnreadableFileAbortAndShrinkingFile)
{
    TQELAttachment* attachment = Attach({'f', 'o', 'o'});
    attachment->EncodedLines->Add("kept");
    attachment->PhysFile = Dir.filePath("missing.bin").toStdString();
    try {
        Mail.Base64Encode(attachment);
        ADD_FAILURE() << "no EFOpenError";
    } catch (const EFOpenError& E) {
        EXPECT_NE(E.Message().find("missing.bin"), String::npos);
    }
    EXPECT_EQ(Events, Log{});
    EXPECT_EQ(attachment->EncodedLines->ToVector(), Lines{"kept"});

    // An abort while the queue is serviced leaves the old lines and skips the end event.
    Mail.Aborted = true;
    for (const auto& bytes : {std::vector<uint8_t>{'f', 'o', 'o'}, std::vector<uint8_t>{}}) {
        attachment = Attach(bytes);
        attachment->EncodedLines->Add("kept");
        Events.clear();
        Mail.Base64Encode(attachment);
        EXPECT_EQ(attachment->EncodedLines->ToVector(), Lines{"kept"});
        EXPECT_EQ(Events, (bytes.empty() ? Log{"start " + Path + " 0", "100"} : Log{"start " + Path + " 3"}));
    }
    Mail.Aborted = false;

    // A file cut short after opening yields the bytes it still has, never stale buffer bytes.
    Mail.OnEncodeStart = [&](TObject*, const String& File, int32_t) { std::filesystem::resize_file(File, 100); };
    const auto bytes = RandomBytes(5000, 3);
    EXPECT_EQ(DecodeWithCoreutils(Encode(bytes, 1), Dir.path()),
              std::vector<uint8_t>(bytes.begin(), bytes.begin() + 100));
    EXPECT_EQ(Events, (Log{"1", "100", "end"}));  // one whole line came from the block phase
}
