#include "framework/core/Application.h"
#include "framework/core/DateUtils.h"
#include "framework/core/SysUtils.h"
#include "mail/QELTIEmails.h"
#include "mail/codec/HeaderDecoding.h"
#include "mail/smtp/SmtpCompose.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <regex>

using namespace qel;

namespace {

using Lines = std::vector<String>;

String HostName()
{
    char name[256] = "";
    gethostname(name, sizeof name - 1);
    return name;
}

class SmtpCompose : public ::testing::Test {
protected:
    void SetUp() override
    {
        Application->SetTitle("ComposeTest");
        Account = Holder.Accounts()->Add();
        Account->SMTPServer = "smtp.example.org";
        Mail.SetAccountInfo(&Holder);
        Mail.CurrentAccount = Account;
        Message = Mail.Messages()->Add();
        Message->FromMail = "joe@example.org";
        Message->SendTo = "ann@example.net";
        Message->Subject = "Hi";
        Message->Date = "Mon, 5 Jan 2026 09:03:07 +0130";
    }
    void TearDown() override { Application->SetTitle(""); }

    Lines Compose()
    {
        auto lines = Mail.InitializeMessage(Message);
        return lines ? lines->ToVector() : Lines{};
    }
    String Header(const String& Name)  // the first line that starts with Name
    {
        for (const String& line : Compose())
            if (line.rfind(Name, 0) == 0) return line;
        return "(none)";
    }
    String Wire()  // what the sender puts after DATA: every entry followed by CR LF
    {
        String text;
        for (const String& line : Compose()) text += line + "\r\n";
        return text;
    }
    TQELAttachment* Attach(const String& Name, const String& Content)
    {
        const String path = Dir.filePath(QString::fromStdString(Name)).toStdString();
        std::ofstream(path, std::ios::binary) << Content;
        TQELAttachment* attachment = Message->Attachments()->Add(path);
        attachment->MimeType = "text/plain";
        return attachment;
    }

    QTemporaryDir Dir;
    TQELAccountHolder Holder{nullptr};
    TQELMailAccount* Account = nullptr;
    TQELSMTPMail Mail{nullptr};
    TQELMessage* Message = nullptr;
};

}  // namespace

TEST(SmtpComposeRoutines, ZeroPadZoneDateAndLetters)
{
    EXPECT_EQ(ZeroPad(5, 2), "05");
    EXPECT_EQ(ZeroPad(0, 2), "00");
    EXPECT_EQ(ZeroPad(123, 2), "123");
    EXPECT_EQ(ZeroPad(2026, 4), "2026");
    EXPECT_EQ(ZeroPad(-5, 3), "-05");

    EXPECT_EQ(TimeZoneText(0), "GMT");
    EXPECT_EQ(TimeZoneText(-90), "+0130");
    EXPECT_EQ(TimeZoneText(300), "-0500");
    EXPECT_EQ(TimeZoneText(), TimeZoneText(TimeZoneBias()));

    EXPECT_EQ(SMTPDateText(EncodeDate(2026, 1, 5) + EncodeTime(9, 3, 7, 0), -90), "Mon, 5 Jan 2026 09:03:07 +0130");
    EXPECT_EQ(SMTPDateText(EncodeDate(2025, 12, 31) + EncodeTime(23, 59, 59, 0), 0), "Wed, 31 Dec 2025 23:59:59 GMT");
    EXPECT_EQ(SMTPDateText(EncodeDate(2026, 7, 12), 300), "Sun, 12 Jul 2026 00:00:00 -0500");
    TQELSMTPMail mail(nullptr);
    const std::regex date(R"((Sun|Mon|Tue|Wed|Thu|Fri|Sat), [1-9]\d? (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) )"
                          R"(\d{4} \d\d:\d\d:\d\d (GMT|[+-]\d{4}))");
    EXPECT_TRUE(std::regex_match(mail.GetSMTPDate(), date)) << mail.GetSMTPDate();

    String all;
    for (int i = 0; i < 400; ++i) all += RandomLetters(25);
    EXPECT_EQ(RandomLetters(0), "");
    EXPECT_EQ(all.size(), 10000u);
    EXPECT_EQ(all.find_first_not_of("abcdefghijklmnopqrstuvwxy"), String::npos);
    EXPECT_NE(all.find('y'), String::npos);
}

TEST_F(SmtpCompose, MessageIdsShareAllButTheirLetters)
{
    const std::regex shape("<qelmsgid0\\.(\\d{4}\\.\\d{8})([a-y]{8})@(.+)>");
    std::smatch a, b;
    String first, second, before, after;
    do {  // retried only when a minute ended meanwhile
        before = FormatDateTime("hhnn.ddmmyyyy", Now());
        first = Mail.CreateUIN();
        second = Mail.CreateUIN();
        after = FormatDateTime("hhnn.ddmmyyyy", Now());
    } while (before != after);
    ASSERT_TRUE(std::regex_match(first, a, shape)) << first;
    ASSERT_TRUE(std::regex_match(second, b, shape)) << second;
    EXPECT_EQ(a[1].str(), before);
    EXPECT_EQ(b[1].str(), before);
    EXPECT_NE(a[2], b[2]);
    EXPECT_EQ(a[3].str(), HostName());
    EXPECT_TRUE(std::regex_match(Compose()[0], std::regex("Message-Id: <qelmsgid0\\..*>")));
}

TEST_F(SmtpCompose, PlainMessageLineByLine)
{
    Message->Message()->Add("Hello");
    Lines lines = Compose();
    ASSERT_FALSE(lines.empty());
    lines.erase(lines.begin());  // the Message-Id has its own test
    EXPECT_EQ(lines, (Lines{"Date: Mon, 5 Jan 2026 09:03:07 +0130", "From: joe@example.org",
                            "X-Mailer: ComposeTest - [TQELSMTPMail]", "TO: <ann@example.net>", "Subject: Hi",
                            "MIME-Version: 1.0", "Content-type: Text/Plain; charset=ISO-8859-1",
                            "Content-Transfer-Encoding: 8bit", "", "Hello", "\r\n"}));

    Message->InReplyTo = "<x@y>";
    Message->ReplyTo = "desk@example.org";
    lines = Compose();
    EXPECT_EQ(Lines(lines.begin() + 1, lines.begin() + 6),
              (Lines{"In-Reply-To: <x@y>", "Date: Mon, 5 Jan 2026 09:03:07 +0130", "From: joe@example.org",
                     "Reply-To: desk@example.org", "X-Mailer: ComposeTest - [TQELSMTPMail]"}));
}

TEST_F(SmtpCompose, SenderAndRecipientLines)
{
    Message->FromMail = "joe";
    EXPECT_EQ(Header("From: "), "From: joe");
    Message->FromName = "Joe Bloggs";
    EXPECT_EQ(Header("From: "), "From: \"Joe Bloggs\" <joe@smtp.example.org>");
    Message->FromMail = "joe@example.org";
    EXPECT_EQ(Header("From: "), "From: \"Joe Bloggs\" <joe@example.org>");

    Message->SendTo = "ann@example.net; bob@example.com;";
    EXPECT_EQ(Header("TO: "), "TO: <ann@example.net>,< bob@example.com>");
    Message->SendTo = "postmaster";
    EXPECT_EQ(Header("TO: "), "TO: <postmaster>");
    Message->SendTo = "";
    EXPECT_EQ(Header("TO: "), "TO: ");
}

TEST_F(SmtpCompose, LineBreaksInHeaderValuesStartNoHeader)
{
    Message->Subject = "Hi\r\nBcc: eve@evil.example";
    Message->FromName = "Joe\nX-Evil: 1";
    Message->ReplyTo = "desk@example.org\r\nCc: eve@evil.example";
    Message->SendTo = "ann@example.net\r\nBcc: eve@evil.example";
    Message->InReplyTo = "<x@y>\rX-Evil: 2";
    const String wire = Wire();
    const String header = wire.substr(0, wire.find("\r\n\r\n"));
    EXPECT_EQ(header.find("\r\nBcc"), String::npos);
    EXPECT_EQ(header.find("\r\nCc"), String::npos);
    EXPECT_EQ(header.find("\r\nX-Evil"), String::npos);
    EXPECT_NE(header.find("\r\nSubject: HiBcc: eve@evil.example\r\n"), String::npos);
    EXPECT_NE(header.find("\r\nFrom: \"JoeX-Evil: 1\" <joe@example.org>\r\n"), String::npos);
}

TEST_F(SmtpCompose, BodyAndSignatureAreDotStuffedWithTwoEmptyLinesBetween)
{
    Message->Message()->SetText(".\n.x\na.b");
    Mail.Signature()->Add(".sig");
    Mail.Signature()->Add("Bye\n.hidden");  // a break inside an entry still gets its dot
    EXPECT_NE(Wire().find("\r\n\r\n..\r\n..x\r\na.b\r\n\r\n\r\n..sig\r\nBye\r\n..hidden\r\n"), String::npos)
        << Wire();
}

TEST_F(SmtpCompose, BodyCharsetIsDeclaredTruthfully)
{
    Message->Message()->SetText("Gr\xC3\xBC\xC3\x9F" "e");
    Mail.Signature()->Add("J\xC3\xBCrgen");
    Lines lines = Compose();
    EXPECT_EQ(Header("Content-type: "), "Content-type: Text/Plain; charset=ISO-8859-1");
    EXPECT_EQ(Lines(lines.end() - 3, lines.end()), (Lines{"Gr\xFC\xDF" "e", "\r\n", "J\xFCrgen"}));

    for (const String& text : {String("5 \xE2\x82\xAC"), String("\xE6\x97\xA5\xE6\x9C\xAC")}) {
        Message->Message()->SetText(text);
        lines = Compose();
        EXPECT_EQ(Header("Content-type: "), "Content-type: Text/Plain; charset=UTF-8");
        EXPECT_EQ(Lines(lines.end() - 3, lines.end()), (Lines{text, "\r\n", "J\xC3\xBCrgen"}));
    }

    for (const String& text : {String("Gr\xFC\xDF" "e"), String("a\xC0\xAF")}) {  // not UTF-8: sent as it is
        Message->Message()->SetText(text);
        lines = Compose();
        EXPECT_EQ(Header("Content-type: "), "Content-type: Text/Plain; charset=ISO-8859-1");
        EXPECT_EQ(Lines(lines.end() - 3, lines.end()), (Lines{text, "\r\n", "J\xC3\xBCrgen"}));
    }

    Message->Message()->SetText("Hello");
    Attach("a.txt", "foo");
    EXPECT_EQ(Header("Content-type: Text"), "Content-type: Text/Plain; charset: ISO-8859-1");
    Message->Message()->SetText("5 \xE2\x82\xAC");
    EXPECT_EQ(Header("Content-type: Text"), "Content-type: Text/Plain; charset: UTF-8");
}

TEST_F(SmtpCompose, MultipartLayout)
{
    Message->Message()->Add("Hello");
    Attach("report.txt", "foo");
    Attach("data.bin", "fo")->FileName = "sub/dir/data.bin";  // no directories travel
    const Lines lines = Compose();
    std::smatch m;
    const auto header = std::find(lines.begin(), lines.end(), "MIME-Version: 1.0") + 1;
    ASSERT_TRUE(std::regex_match(*header, m, std::regex("Content-type: multipart/mixed; boundary=\"(.*)\"")));
    const String b = m[1];
    EXPECT_TRUE(std::regex_match(b, std::regex("---QELMAIL[a-y]{12}")));
    EXPECT_EQ(Lines(header + 1, lines.end()),
              (Lines{"", "--" + b, "Content-type: Text/Plain; charset: ISO-8859-1", "Content-Transfer-Encoding: 8bit",
                     "", "Hello", "\r\n",
                     "--" + b, "Content-type: text/plain; name=\"report.txt\"", "Content-Transfer-Encoding: base64",
                     "Content-Disposition: inLine; filename=\"report.txt\"", "", "Zm9v",
                     "--" + b, "Content-type: text/plain; name=\"data.bin\"", "Content-Transfer-Encoding: base64",
                     "Content-Disposition: inLine; filename=\"data.bin\"", "", "Zm8=",
                     "", "--" + b + "--", ""}));

    Message->Attachments()->Clear();
    const String plain = Wire();
    EXPECT_EQ(plain.find("QELMAIL"), String::npos);
    EXPECT_EQ(plain.find("Content-Disposition"), String::npos);
    EXPECT_NE(plain.find("\r\nMIME-Version: 1.0\r\n"), String::npos);
}

TEST_F(SmtpCompose, AbortGivesNoTextAndAMissingFileRaises)
{
    Mail.Aborted = true;
    EXPECT_EQ(Mail.InitializeMessage(Message), nullptr);
    Attach("one.txt", "foo");
    Attach("two.txt", "bar");
    int starts = 0;
    Mail.OnEncodeStart = [&](TObject*, const String&, int32_t) { ++starts; };
    EXPECT_EQ(Mail.InitializeMessage(Message), nullptr);
    EXPECT_EQ(starts, 1);  // the second attachment is not even opened
    Mail.Aborted = false;
    Message->Attachments()->Clear();

    Attach("gone.txt", "x")->PhysFile = Dir.filePath("gone-missing.txt").toStdString();
    EXPECT_THROW(Mail.InitializeMessage(Message), EFOpenError);
}

TEST_F(SmtpCompose, AttachmentWithoutTypeTakesTheTypeOfItsFile)
{
    // As loaded from a form: the type is not among the stored values.
    TQELAttachment* paper = Attach("paper.pdf", "foo");
    paper->MimeType = "";
    paper->FileName = "shown.txt";  // the file decides, not the name the message carries
    Attach("unknown.qel-unknown-ext", "foo")->MimeType = "";
    const String wire = Wire();
    EXPECT_NE(wire.find("\r\nContent-type: application/pdf; name=\"shown.txt\"\r\n"), String::npos);
    EXPECT_NE(wire.find("\r\nContent-type: application/octet-stream; name=\"unknown.qel-unknown-ext\"\r\n"),
              String::npos);
    EXPECT_EQ(wire.find("Content-type: ;"), String::npos);
}

namespace {

// The field starting with Name with its continuation lines, each line separately.
Lines FieldLines(const Lines& Text, const String& Name)
{
    auto at = std::find_if(Text.begin(), Text.end(), [&](const String& L) { return L.rfind(Name, 0) == 0; });
    Lines field;
    if (at == Text.end()) return field;
    field.push_back(*at);
    for (++at; at != Text.end() && !at->empty() && (at->front() == ' ' || at->front() == '\t'); ++at)
        field.push_back(*at);
    return field;
}

String Joined(const Lines& Field)
{
    String all;
    for (const String& line : Field) all += line;
    return all;
}

}  // namespace

TEST_F(SmtpCompose, CcFollowsTheToLineAndBccNeverShows)
{
    Message->SendTo = "ann@example.net;bob@example.com";
    Message->CC = "cy@example.org; dee@example.org;";
    Message->BCC = "eve@example.org";
    Lines lines = Compose();
    const auto to = std::find(lines.begin(), lines.end(), "TO: <ann@example.net>,<bob@example.com>");
    ASSERT_NE(to, lines.end());
    EXPECT_EQ(*(to + 1), "Cc: <cy@example.org>,< dee@example.org>");
    EXPECT_EQ(*(to + 2), "Subject: Hi");
    const String wire = Wire();
    EXPECT_EQ(wire.find("eve@example.org"), String::npos);
    EXPECT_EQ(wire.find("Bcc"), String::npos);

    Message->CC = "";
    lines = Compose();
    EXPECT_EQ(FieldLines(lines, "Cc").size(), 0u);
}

TEST_F(SmtpCompose, NonAsciiSubjectSenderAndFileNamesAreEncodedWords)
{
    const String subject = "Gr\xC3\xBC\xC3\x9F" "e aus K\xC3\xB6ln";
    const String name = "J\xC3\xBCrgen M\xC3\xBCller";
    const String file = "Pr\xC3\xBC" "fbericht \xE2\x82\xAC.txt";
    Message->Subject = subject;
    Message->FromName = name;
    Attach(file, "foo");
    const Lines lines = Compose();
    EXPECT_EQ(FieldLines(lines, "Subject: "), Lines{"Subject: =?UTF-8?B?R3LDvMOfZSBhdXMgS8O2bG4=?="});
    EXPECT_EQ(DecodeHeaderText(Joined(FieldLines(lines, "Subject: ")).substr(9)), subject);
    const String from = Joined(FieldLines(lines, "From: "));
    EXPECT_EQ(from, "From: =?UTF-8?B?SsO8cmdlbiBNw7xsbGVy?= <joe@example.org>");
    EXPECT_EQ(DecodeHeaderText(from.substr(6, from.find(" <") - 6)), name);

    const String type = Joined(FieldLines(lines, "Content-type: text/plain"));
    const String disposition = Joined(FieldLines(lines, "Content-Disposition: "));
    EXPECT_EQ(type, "Content-type: text/plain; name=\"=?UTF-8?B?UHLDvGZiZXJpY2h0IOKCrC50eHQ=?=\"");
    EXPECT_EQ(disposition, "Content-Disposition: inLine; filename*=UTF-8''Pr%C3%BCfbericht%20%E2%82%AC.txt");
    EXPECT_EQ(DecodeParameterValue(type.substr(14), "name"), file);
    EXPECT_EQ(DecodeParameterValue(disposition.substr(21), "filename"), file);
    for (const String& line : lines) {
        if (line.empty()) break;  // the header ends: the body may carry any bytes
        for (const char c : line) EXPECT_LT(static_cast<uint8_t>(c), 0x80) << line;
    }
}

TEST_F(SmtpCompose, LongHeaderLinesAreFoldedAndUnfoldToTheirValue)
{
    String subject;
    for (int i = 0; i < 40; ++i) subject += "word" + std::to_string(i) + " ";
    subject += "\xC3\xA9t\xC3\xA9";  // a long subject that needs encoded words
    String sendTo;
    for (int i = 0; i < 1000; ++i) sendTo += "recipient" + std::to_string(i) + "@example.org;";
    Message->Subject = subject;
    Message->SendTo = sendTo;
    Message->FromName = String(30, 'x') + " \xC3\xA9 " + String(30, 'y');  // encoded words in two lines
    const String longName = "the quarterly report of the northern region for the year, final version.txt";
    Attach(longName, "foo");
    const Lines lines = Compose();
    for (const String& line : lines) {
        if (line.empty()) break;
        if (line.rfind("Message-Id: ", 0) == 0) continue;  // one token: it stays whole
        EXPECT_LE(line.size(), 78u) << line;
    }

    const Lines subjectLines = FieldLines(lines, "Subject: ");
    EXPECT_GT(subjectLines.size(), 2u);
    for (const String& line : subjectLines) EXPECT_LE(line.size(), 76u) << line;  // lines of encoded words
    EXPECT_EQ(DecodeHeaderText(Joined(subjectLines).substr(9)), subject);

    const String to = Joined(FieldLines(lines, "TO: "));
    Lines addresses, expected;
    for (size_t start = 4; start < to.size();) {
        const size_t comma = std::min(to.find(',', start), to.size());
        addresses.push_back(Trim(to.substr(start, comma - start)));
        start = comma + 1;
    }
    for (int i = 0; i < 1000; ++i) expected.push_back("<recipient" + std::to_string(i) + "@example.org>");
    EXPECT_EQ(addresses, expected);

    const String from = Joined(FieldLines(lines, "From: "));
    EXPECT_EQ(DecodeHeaderText(from.substr(6, from.find(" <") - 6)), Message->FromName);
    const String type = Joined(FieldLines(lines, "Content-type: text/plain"));
    EXPECT_EQ(type, "Content-type: text/plain; name=\"" + longName + "\"");
    EXPECT_EQ(Joined(FieldLines(lines, "Content-Disposition: ")),
              "Content-Disposition: inLine; filename=\"" + longName + "\"");
}
