#include "mail/codec/MailDecoders.h"
#include "mail/QELTIEmails.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

using namespace qel;

namespace {

// Feeds Lines through one group decoder, as the lines of one attachment.
String DecodeBase64(const std::vector<String>& Lines)
{
    TBase64GroupDecoder decoder;
    String out;
    for (const String& line : Lines) {
        String bytes(TBase64GroupDecoder::MaxBytesFor(line.size()), '\0');
        size_t groups = 0;
        bytes.resize(decoder.Decode(line, reinterpret_cast<uint8_t*>(bytes.data()), groups));
        out += bytes;
    }
    return out;
}

String DecodeUULine(const String& Line, size_t* BadChars = nullptr)
{
    uint8_t bytes[TUULineDecoder::MaxBytes];
    size_t bad = 0;
    const size_t n = TUULineDecoder::Decode(Line, bytes, bad);
    if (BadChars) *BadChars = bad;
    return String(reinterpret_cast<const char*>(bytes), n);
}

class MailDecoders : public ::testing::Test {
protected:
    void SetUp() override
    {
        Account = Holder.Accounts()->Add();
        Account->SetProgressStep(50);
        Mail.SetAccountInfo(&Holder);
        Mail.CurrentAccount = Account;
        Mail.CurrentItemIndex = 4;
        Mail.OnDecodeStart = [&](TObject*, const String& Name, int32_t Count) {
            Events.push_back("start " + Name + " " + std::to_string(Count));
        };
        Mail.OnDecodeProgress = [&](TObject*, uint16_t Percent, int32_t Item) {
            Events.push_back(std::to_string(Percent) + (Item == 4 ? "" : " wrong item"));
        };
        Mail.OnDecodeEnd = [&](TObject*) { Events.push_back("end"); };
        Mail.OnError = [&](TObject*, const String& Status, const String& Text, bool) {
            Events.push_back(Status + " " + Text);
        };
    }

    TQELAttachment* Attachment(const String& Name, const std::vector<String>& Lines)
    {
        TQELAttachment* a = Mail.Messages()->Add()->Attachments()->Add(Name);
        a->EncodedLines->AddStrings(Lines);
        return a;
    }

    TQELAccountHolder Holder{nullptr};
    TQELPOPMail Mail{nullptr};
    TQELMailAccount* Account = nullptr;
    std::vector<String> Events;
};

std::vector<String> Split(const String& Text)
{
    TStringList lines;
    lines.SetText(Text);
    return lines.ToVector();
}

String RandomBytes(size_t Count, unsigned Seed)
{
    std::mt19937 engine(Seed);
    String bytes(Count, '\0');
    for (char& b : bytes) b = static_cast<char>(engine());
    return bytes;
}

// Runs a command-line tool on a file holding Bytes; its output, or empty when it is missing.
String RunTool(const QString& Tool, QStringList Arguments, const String& Bytes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("input.bin");
    std::ofstream(path.toStdString(), std::ios::binary) << Bytes;
    Arguments.replaceInStrings("%IN%", path);
    QProcess process;
    process.start(Tool, Arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) return String();
    const QByteArray out = process.readAllStandardOutput();
    return String(out.constData(), static_cast<size_t>(out.size()));
}

}  // namespace

TEST(MailDecodersUnits, Base64GroupsRunAcrossLines)
{
    EXPECT_EQ(DecodeBase64({"YWJj"}), "abc");
    EXPECT_EQ(DecodeBase64({"YW", "Jj"}), "abc");
    EXPECT_EQ(DecodeBase64({"YQ=="}), "a");
    EXPECT_EQ(DecodeBase64({"YWI="}), "ab");
    EXPECT_EQ(DecodeBase64({"Y W\tJ", "", "j\r"}), "abc");
    EXPECT_EQ(DecodeBase64({"YWJjZA"}), "abc");  // an unfinished group is dropped
    EXPECT_EQ(DecodeBase64({"!@#$%^&*"}), "");
    EXPECT_EQ(DecodeBase64({"=Q=="}), "\x01");  // the pad tests run in their order
    // The same text cut at every offset decodes the same.
    const String text = "SGVsbG8sIGRlY29kZXIh";
    for (size_t cut = 0; cut <= text.size(); ++cut)
        EXPECT_EQ(DecodeBase64({text.substr(0, cut), text.substr(cut)}), "Hello, decoder!") << cut;
}

TEST(MailDecodersUnits, UULinesAndTheirLengthCharacter)
{
    const String full = "M" + String(60, '!');  // every value 1: 0x04 0x10 0x41 repeated
    String expected;
    for (int i = 0; i < 15; ++i) expected += "\x04\x10\x41";
    EXPECT_EQ(DecodeUULine(full), expected);
    EXPECT_EQ(DecodeUULine(full.substr(0, 41)), expected.substr(0, 30) + String(15, '\0'));  // blanks lost in transport
    EXPECT_EQ(DecodeUULine("#86)C"), "abc");
    EXPECT_EQ(DecodeUULine("\"86)C"), "ab");
    EXPECT_EQ(DecodeUULine("!8"), "`");
    EXPECT_EQ(DecodeUULine(" "), "");
    EXPECT_EQ(DecodeUULine("`"), "");
    EXPECT_EQ(DecodeUULine(""), "");
    EXPECT_EQ(DecodeUULine("_" + String(60, '`')), String(45, '\0'));  // 63 announced, 45 at most
    size_t bad = 0;
    EXPECT_EQ(DecodeUULine("#8a)C", &bad), "`\x02\x63");
    EXPECT_EQ(bad, 1U);
    EXPECT_EQ(DecodeUULine("# ` !", &bad).size(), 3U);
    EXPECT_EQ(bad, 0U);
}

TEST(MailDecodersUnits, UUBeginLines)
{
    String name = "unchanged";
    EXPECT_TRUE(TUUBeginFinder::IsBeginLine("begin 644 My File.TXT ", name));
    EXPECT_EQ(name, "My File.TXT ");
    EXPECT_TRUE(TUUBeginFinder::IsBeginLine("BeGiN 000 x", name));
    EXPECT_EQ(name, "x");
    EXPECT_TRUE(TUUBeginFinder::IsBeginLine("begin 776 " + String(70, 'n'), name));
    EXPECT_EQ(name, String(64, 'n'));
    name = "unchanged";
    for (const char* line : {"begin 777 file", "begin abc file", "begin 6x4 file", "begin 644 ", "begin 64",
                               "began 644 file", "begin 999 file"})
        EXPECT_FALSE(TUUBeginFinder::IsBeginLine(line, name)) << line;
    EXPECT_EQ(name, "unchanged");
}

TEST_F(MailDecoders, GetUUAttachmentsFindsTheFirstBeginLine)
{
    TStringList lines;
    int32_t index = -1;
    String name;
    EXPECT_FALSE(Mail.GetUUAttachments(&lines, index, name));
    EXPECT_EQ(index, -1);
    lines.SetText("text\nbegin 777 no\nbegin 644 yes.bin\nbegin 600 later\n");
    EXPECT_TRUE(Mail.GetUUAttachments(&lines, index, name));
    EXPECT_EQ(index, 2);
    EXPECT_EQ(name, "yes.bin");
    lines.SetText("text\nbegin 644 \n");
    EXPECT_FALSE(Mail.GetUUAttachments(&lines, index, name));
    EXPECT_EQ(index, 2);
}

TEST_F(MailDecoders, Base64EventsCountLinesAndReachTheSteps)
{
    std::vector<String> lines(10, "YWJj");
    TQELAttachment* a = Attachment("ten.txt", lines);
    a->Content->WriteString("old:");
    Mail.Base64Decode(a);
    EXPECT_EQ(a->Content->DataString(), "old:abcabcabcabcabcabcabcabcabcabc");  // appended
    EXPECT_EQ(Events, (std::vector<String>{"start ten.txt 10", "50", "100", "end"}));
    EXPECT_EQ(Mail.DecodePercent, 90);
    // Every group is a progress point: at step 1 several groups of one line may each report.
    Account->SetProgressStep(1);
    Events.clear();
    Mail.Base64Decode(Attachment("two.txt", {"YWJj", "YWJjYWJjYWJj"}));
    EXPECT_EQ(Events, (std::vector<String>{"start two.txt 2", "50", "50", "50", "100", "end"}));
    Events.clear();
    Mail.Base64Decode(Attachment("none.txt", {}));
    EXPECT_EQ(Events, (std::vector<String>{"start none.txt 0", "100", "end"}));
}

TEST_F(MailDecoders, UUDecodeStopsAtItsEndAndReportsBadCharacters)
{
    TQELAttachment* a = Attachment("uu.bin", {"begin 644 uu.bin", "#86)C", "#8a)C", "`", "#86)C"});
    a->Content->WriteString("replaced");
    Mail.UUDecode(a);
    EXPECT_EQ(a->Content->DataString(), "abc`\x02\x63");  // the old content is replaced
    EXPECT_EQ(Events, (std::vector<String>{"start uu.bin 5", "-ERR Invalid Message Format", "100", "end"}));
    Events.clear();
    a = Attachment("e.bin", {"begin 644 e.bin", "#86)C", "end", "#86)C"});
    Mail.UUDecode(a);
    EXPECT_EQ(a->Content->DataString(), "abc");
    EXPECT_EQ(Events, (std::vector<String>{"start e.bin 4", "100", "end"}));
    Events.clear();
    a = Attachment("only.bin", {"begin 644 only.bin"});
    Mail.UUDecode(a);
    EXPECT_EQ(a->Content->Size(), 0);
    EXPECT_EQ(Events, (std::vector<String>{"start only.bin 1", "100", "end"}));
    // The end events still come when a handler throws out of the decoding.
    Events.clear();
    Mail.OnError = [](TObject*, const String&, const String&, bool) { throw Exception("stop"); };
    EXPECT_THROW(Mail.UUDecode(Attachment("x.bin", {"begin 644 x.bin", "#8a)C"})), Exception);
    EXPECT_EQ(Events, (std::vector<String>{"start x.bin 2", "100", "end"}));
}

TEST_F(MailDecoders, LargeDataFromTheSystemToolsDecodesByteForByte)
{
    const String data = RandomBytes(3 * 1024 * 1024 + 7, 77);
    const String base64 = RunTool("base64", {"-w", "76", "%IN%"}, data);
    const String uu = RunTool("uuencode", {"%IN%", "big.bin"}, data);
    if (base64.empty() || uu.empty()) GTEST_SKIP() << "base64 or uuencode is not installed";
    Account->SetProgressStep(10);
    TQELAttachment* a = Attachment("big.b64", Split(base64));
    Mail.Base64Decode(a);
    EXPECT_TRUE(a->Content->DataString() == data);
    EXPECT_EQ(Events.size(), 12U);
    std::vector<String> lines = Split(uu);
    ASSERT_EQ(lines.front().substr(0, 6) + lines.front().substr(9), "begin  big.bin");
    a = Attachment("big.uu", lines);
    Mail.UUDecode(a);
    EXPECT_TRUE(a->Content->DataString() == data);
}
