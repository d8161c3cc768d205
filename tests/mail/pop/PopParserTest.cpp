#include "mail/MailTestSupport.h"
#include "mail/QELTIEmails.h"

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

using namespace qel;

namespace {

String Lines(std::initializer_list<String> Parts)
{
    String text;
    for (const String& part : Parts) text += part + "\r\n";
    return text;
}

String Bytes(const TQELAttachment* Attachment) { return Attachment->Content->DataString(); }

class PopParser : public ::testing::Test {
protected:
    void SetUp() override
    {
        Account = Holder.Accounts()->Add();
        Account->SetProgressStep(50);
        Mail.SetAccountInfo(&Holder);
        Mail.CurrentAccount = Account;
        Mail.AfterRetrieve = [&](TObject*, TQELMessage* M) { Events.push_back("after " + M->Subject); };
        Mail.OnError = [&](TObject*, const String& Status, const String& Text, bool IsError) {
            Events.push_back("error " + Status + " " + Text + (IsError ? " (error)" : ""));
        };
        Mail.OnDecodeStart = [&](TObject*, const String& Name, int32_t Count) {
            Events.push_back("decode " + Name + " " + std::to_string(Count));
        };
    }

    // Parses Text as the reader hands it over; returns the new message or nullptr.
    TQELMessage* Parse(const String& Text, uint16_t Number = 1)
    {
        TStringList lines;
        lines.SetText(Text);
        const int before = Mail.Messages()->Count();
        Mail.ParseRetrievedMessage(Number, lines, Account->HeaderOnly);
        return Mail.Messages()->Count() > before ? Mail.Messages()->Items(before) : nullptr;
    }

    std::vector<String> Body(const TQELMessage* M) const { return M->Message()->ToVector(); }

    TQELAccountHolder Holder{nullptr};
    TQELPOPMail Mail{nullptr};
    TQELMailAccount* Account = nullptr;
    std::vector<String> Events;
};

const String Base64Headers = "Content-Type: application/octet-stream\r\nContent-Transfer-Encoding: base64\r\n";

}  // namespace

TEST_F(PopParser, SearchOperationsWalkFromTheTop)
{
    TStringList lines;
    lines.SetText("Subject: x\r\nfrom: a@b\r\nX-Note: from: inside\r\nFrom: second\r\n");
    int32_t index = -5, column = -5;
    EXPECT_TRUE(TQELPOPMail::FindInHeaders("FROM:", &lines, index));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(TQELPOPMail::FindInHeaders("TO:", &lines, index));
    EXPECT_EQ(index, 4);
    EXPECT_TRUE(TQELPOPMail::FindInStringList("INSIDE", &lines, index, column));
    EXPECT_EQ(index, 2);
    EXPECT_EQ(column, 15);
    EXPECT_FALSE(TQELPOPMail::FindInStringList("NOWHERE", &lines, index, column));
    EXPECT_EQ(index, 4);
    EXPECT_EQ(column, 0);
    column = 99;
    EXPECT_TRUE(TQELPOPMail::FindInStringListCS("From:", &lines, index, column));
    EXPECT_EQ(index, 3);  // case counts: "from:" and "from: inside" do not match
    EXPECT_EQ(column, 99);
    TStringList empty;
    index = 7;
    column = 8;
    EXPECT_FALSE(TQELPOPMail::FindInHeaders("FROM:", &empty, index));
    EXPECT_FALSE(TQELPOPMail::FindInStringList("A", &empty, index, column));
    EXPECT_FALSE(TQELPOPMail::FindInStringListCS("A", &empty, index, column));
    EXPECT_EQ(index + column, 15);
}

TEST_F(PopParser, SenderRecipientsAndReplyAddress)
{
    TQELMessage* m = Parse(
        Lines({"From: \"Ann Lee\" <ann@x.org>", "To: Bob <bob@y.org>, Cy <cy@y.org>", "Message-ID: <1@x>", "", "hi"}));
    EXPECT_EQ(m->FromName, "Ann Lee ");
    EXPECT_EQ(m->FromMail, "ann@x.org");
    EXPECT_EQ(m->ReplyTo, "ann@x.org");
    EXPECT_EQ(m->SendTo, "bob@y.org");
    m = Parse(Lines(
        {"From: ann@x.org (Ann Lee)", "To: bob@y.org, cy@y.org", "Reply-To:  desk@x.org ", "Message-ID: <2@x>", ""}));
    EXPECT_EQ(m->FromName, "ann@x.org (Ann Lee)");
    EXPECT_EQ(m->FromMail, "ann@x.org(AnnLee)");
    EXPECT_EQ(m->SendTo, "bob@y.org,cy@y.org");
    EXPECT_EQ(m->ReplyTo, " desk@x.org ");  // Reply-To is taken as it stands
    m = Parse(Lines({"From: <broken@x.org", "Message-ID: <4@x>", ""}));
    EXPECT_EQ(m->FromMail, "");
    m = Parse(Lines({"From mbox-sender@x.org Mon Jan  1", "Message-ID: <5@x>", "Subject:  Hello  ", "Date: Tue, 2 Jan",
                     "In-Reply-To: <0@x>", ""}));
    EXPECT_EQ(m->FromMail, "mbox-sender@x.org Mon Jan  1");  // the first line, from column 6
    EXPECT_EQ(m->Subject, "Hello");
    EXPECT_EQ(m->Date, "Tue, 2 Jan");
    EXPECT_EQ(m->InReplyTo, "<0@x>");
    EXPECT_EQ(m->MessageNumber, 1);
    EXPECT_EQ(m->Account, Account);
}

TEST_F(PopParser, WithoutAnEmptyLineEverythingIsBody)
{
    TQELMessage* m = Parse(Lines({"From: a@b", "Subject: lost", ".dotted"}), 9);
    EXPECT_EQ(m->FromMail + m->Subject + m->MessageId, "");
    EXPECT_EQ(Body(m), (std::vector<String>{"From: a@b", "Subject: lost", "dotted"}));
    EXPECT_EQ(m->MessageNumber, 9);
    m = Parse(Lines({"", "From: a@b"}));  // a second message without an id is a message of its own
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(Body(m), (std::vector<String>{"From: a@b"}));
}

TEST_F(PopParser, DuplicateCheckOnTheMessageId)
{
    const String text = Lines({"Message-ID: <same@x>", "Subject: one", "", "body"});
    ASSERT_NE(Parse(text), nullptr);
    EXPECT_EQ(Parse(Lines({"Message-ID: <SAME@X>", "Subject: two", ""})), nullptr);
    // Without a Message-ID nothing can tell two messages apart: none is taken for a duplicate.
    ASSERT_NE(Parse(Lines({"Subject: no id", ""})), nullptr);
    ASSERT_NE(Parse(Lines({"Subject: no id either", ""})), nullptr);
    EXPECT_EQ(Events, (std::vector<String>{"after one", "after no id", "after no id either"}));
    EXPECT_EQ(Mail.ReceivedIds->ToVector(), (std::vector<String>{"<same@x>"}));
    // Deleting a held message forgets its id, so the next reading takes the message again.
    ASSERT_TRUE(Mail.Messages()->Delete(0));
    EXPECT_TRUE(Mail.ReceivedIds->ToVector().empty());
    EXPECT_NE(Parse(text), nullptr);
    EXPECT_EQ(Mail.Messages()->Count(), 3);
    // Released, a message is freed but its id stays known: the same message is still a duplicate.
    ASSERT_TRUE(Mail.ReleaseMessage(2));
    EXPECT_EQ(Mail.Messages()->Count(), 2);
    EXPECT_EQ(Mail.ReceivedIds->ToVector(), (std::vector<String>{"<same@x>"}));
    EXPECT_EQ(Parse(text), nullptr);
    // A message without an id leaves the known ids alone when it goes.
    ASSERT_TRUE(Mail.Messages()->Delete(0));
    EXPECT_EQ(Mail.ReceivedIds->ToVector(), (std::vector<String>{"<same@x>"}));
    MailTest::TExceptionLog exceptions;
    EXPECT_FALSE(Mail.ReleaseMessage(5));
    EXPECT_EQ(exceptions.Count(), 1u);
}

TEST_F(PopParser, PartHeadersComeWithTheirAttachments)
{
    // The header a part's name came from, as it came: a host decodes RFC 2047 and RFC 2231 names
    // from it, which FileName (cleaned of "?" and the like) can no longer give.
    std::vector<std::pair<TQELAttachment*, String>> headers;
    Mail.OnPartHeader = [&](TObject* Sender, TQELAttachment* A, const String& Header) {
        EXPECT_EQ(Sender, &Mail);
        EXPECT_EQ(A->Content->Size(), 0);  // not decoded yet
        headers.emplace_back(A, Header);
    };
    const String encoded = Lines({"Content-Type: application/octet-stream;", " name=\"=?UTF-8?B?w6kudHh0?=\"",
                                  "Content-Transfer-Encoding: base64", "Content-Disposition: attachment;",
                                  " filename*=UTF-8''%E2%82%AC.txt"});
    TQELMessage* m = Parse(Lines({"Subject: s", "Content-Type: multipart/mixed; boundary=b", "Message-ID: <ph@x>", "",
                                  "--b", "Content-Type: text/plain", "", "text", "--b", encoded, "YWJj", "--b",
                                  "Content-Type: text/html", "", "<p>", "--b--"}));
    ASSERT_EQ(m->Attachments()->Count(), 2);
    ASSERT_EQ(headers.size(), 2u);
    EXPECT_EQ(headers[0].first, m->Attachments()->Items(0));
    EXPECT_EQ(headers[0].second, encoded);
    EXPECT_EQ(m->Attachments()->Items(0)->FileName, "=UTF-8Bw6kudHh0=");
    EXPECT_EQ(Bytes(m->Attachments()->Items(0)), "abc");
    EXPECT_EQ(headers[1].first, m->Attachments()->Items(1));
    EXPECT_EQ(headers[1].second, "Content-Type: text/html\r\n");
    EXPECT_EQ(Body(m), (std::vector<String>{"text"}));
    // A UU block has no part header.
    Parse(Lines({"Message-ID: <uu@x>", "", "begin 644 one.txt", "#86)C", "`", "end"}));
    EXPECT_EQ(headers.size(), 2u);
}

TEST_F(PopParser, DotUnstuffingOfTheBody)
{
    TQELMessage* m = Parse(Lines({"Subject: dots", "..", "", "..text", "..", ".", "...", ". x", "plain"}));
    EXPECT_EQ(m->Subject, "dots");
    EXPECT_EQ(Body(m), (std::vector<String>{".text", ".", ".", "..", " x", "plain"}));
}

TEST_F(PopParser, SinglePartBodyGivesUpItsUUBlocks)
{
    TQELMessage* m = Parse(Lines({"Content-Type: text/plain", "Subject: uu", "", "first", "begin 644 one.txt",
                                  "#86)C", "", "`", "end", "middle", "BEGIN 600 ../two:*.bin", "$9&5F9P``", "END ",
                                  "last"}));
    ASSERT_EQ(m->Attachments()->Count(), 2);
    TQELAttachment* one = m->Attachments()->Items(0);
    EXPECT_EQ(one->FileName, "one.txt");
    EXPECT_EQ(one->EncodedLines->ToVector(), (std::vector<String>{"begin 644 one.txt", "#86)C", "`"}));
    EXPECT_EQ(Bytes(one), "abc");
    EXPECT_EQ(m->Attachments()->Items(1)->FileName, "..two.bin");
    EXPECT_EQ(m->Attachments()->Items(1)->PhysFile, "..two.bin");
    EXPECT_EQ(Bytes(m->Attachments()->Items(1)), "defg");
    EXPECT_EQ(Body(m), (std::vector<String>{"first", "end", "middle", "END ", "last"}));
    EXPECT_EQ(Events, (std::vector<String>{"decode one.txt 3", "decode ..two.bin 2", "after uu"}));
    // A block without an end line runs to the end of the body; a 10-character begin line is text.
    m = Parse(Lines({"Message-ID: <open@x>", "", "begin 644 ", "begin 644 /", "#86)C"}));
    ASSERT_EQ(m->Attachments()->Count(), 1);
    EXPECT_EQ(m->Attachments()->Items(0)->FileName, "_Cosa_");
    EXPECT_EQ(Bytes(m->Attachments()->Items(0)), "abc");
    EXPECT_EQ(Body(m), (std::vector<String>{"begin 644 "}));
}

TEST_F(PopParser, MultipartPartsBecomeBodyAndAttachments)
{
    // One message, its parts in a row: text, quoted unsafe name, unquoted name, no name, html, raw.
    const String text = Lines(
        {"Subject:", "Content-Type: multipart/mixed;", " boundary=\"b1\"; charset=x", "Message-ID: <mp@x>", "",
         "preamble", "--b1", "Content-Type: text/plain", "", "Hello", "", "--b1",
         Base64Headers + "Content-Disposition: attachment; filename=\"a:b?.txt\"", "", "", "YWJj", "", "--b1",
         "Content-Type: image/png; name=plain name.png", "Content-Transfer-Encoding: base64", "", "ZGVm", "--b1",
         Base64Headers, "Z2hp", "--b1", "Content-Type: text/html", "", "<p>x</p>", "", "--b1",
         "Content-Type: text/plain; name=\"raw.txt\"", "", "raw 1", "raw 2", "--b1--", "epilogue"});
    TQELMessage* m = Parse(text);
    EXPECT_EQ(Body(m), (std::vector<String>{"Hello", ""}));
    ASSERT_EQ(m->Attachments()->Count(), 5);
    const std::vector<std::pair<String, String>> expected = {
        {"ab.txt", "abc"}, {"plain name.png", "def"}, {"_Cosa_", "ghi"}, {"_Cosa_.html", "<p>x</p>\r\n"},
        {"raw.txt", "raw 1\r\nraw 2\r\n"}};
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(m->Attachments()->Items(static_cast<int>(i))->FileName, expected[i].first);
        EXPECT_EQ(Bytes(m->Attachments()->Items(static_cast<int>(i))), expected[i].second) << i;
    }
    EXPECT_EQ(m->Attachments()->Items(1)->MimeType, "image/png");
    EXPECT_EQ(m->Attachments()->Items(0)->EncodedLines->ToVector(), (std::vector<String>{"YWJj", ""}));
    // With a subject, unnamed parts take it; equal names are not made unique.
    m = Parse(Lines({"Subject: Hi", "Content-Type: multipart/mixed; boundary=b2", "", "--b2", "Content-Type: text/html",
                     "", "<b>", "", "--b2", Base64Headers, "YQ==", "--b2", Base64Headers, "YWI=", "--b2--"}));
    ASSERT_EQ(m->Attachments()->Count(), 3);
    EXPECT_EQ(m->Attachments()->Items(0)->FileName, "Hi.html");
    EXPECT_EQ(m->Attachments()->Items(1)->FileName, "Hi");
    EXPECT_EQ(Bytes(m->Attachments()->Items(1)) + "|" + Bytes(m->Attachments()->Items(2)), "a|ab");
    EXPECT_TRUE(Body(m).empty());
}

TEST_F(PopParser, PartSplittingFollowsTheDelimiterLinesExactly)
{
    // The line after a delimiter always opens the new part; "--b " and "--B" are not delimiters.
    TQELMessage* m = Parse(Lines({"Content-Type: multipart/alternative; boundary=\"b\"", "", "x--b", "", "one", "--b",
                                  "--b--", "", "two", "--b ", "--B", "--b", "Content-Type: text/plain"}));
    EXPECT_EQ(Body(m), (std::vector<String>{"one", "two", "--b ", "--B"}));
}

TEST_F(PopParser, UnsplittableMultipartIsKeptAndReported)
{
    TQELMessage* m = Parse(Lines({"Subject: no boundary", "Content-Type: multipart/mixed", "From: a@b.c", "", "text"}));
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->FromMail, "a@b.c");
    EXPECT_TRUE(Body(m).empty());
    m = Parse(Lines({"Subject: no delimiter", "Content-Type: application/pdf; boundary=zz", "Message-ID: <d@x>", "",
                     "--z", "text"}));
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(Body(m).empty());
    EXPECT_EQ(Events, (std::vector<String>{"error -ERR Invalid Message Format (error)", "after no boundary",
                                           "error -ERR Invalid Message Format (error)", "after no delimiter"}));
}

TEST_F(PopParser, HeaderOnlyMultipartKeepsFieldsOnly)
{
    Account->HeaderOnly = true;
    TQELMessage* m = Parse(Lines({"Subject: top", "Content-Type: multipart/mixed; boundary=q", "", "--q", Base64Headers,
                                  "YWJj", "--q--"}));
    EXPECT_EQ(m->Subject, "top");
    EXPECT_TRUE(Body(m).empty());
    EXPECT_EQ(m->Attachments()->Count(), 0);
    EXPECT_EQ(Events, (std::vector<String>{"after top"}));
}

TEST_F(PopParser, ShortLinesAndNulBytesAreSafe)
{
    String text =
        Lines({"F", "From:", "To:", "Reply-To:", "Subject:", "Message-ID:", "Content-Type: multipart/x; boundary=", "",
               "--", "Content-Type: text/html; name=\"", "", "a"});
    TQELMessage* m = Parse(text);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->FromMail + m->SendTo + m->ReplyTo + m->Subject, "");
    ASSERT_EQ(m->Attachments()->Count(), 1);  // a lone quote leaves no name: the subject, then _Cosa_
    EXPECT_EQ(m->Attachments()->Items(0)->FileName, "_Cosa_.html");
    EXPECT_EQ(Bytes(m->Attachments()->Items(0)), "a\r\n");
    const String nul("a\0b", 3);
    m = Parse("Subject: nul " + nul + "\r\nMessage-ID: <nul@x>\r\n\r\n" + nul + "\r\nafter\r\n");
    EXPECT_EQ(m->Subject, "nul " + nul);
    EXPECT_EQ(Body(m), (std::vector<String>{nul, "after"}));
}

// ---------------------------------------------------------------- the generated corpus

namespace {

// Named by the build: __FILE__ may be relative to wherever the compiler ran.
std::filesystem::path CorpusFolder() { return QEL_MAIL_TEST_DATA; }

QByteArray ReadFile(const std::filesystem::path& Path)
{
    QFile file(QString::fromStdString(Path.string()));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

String FieldOf(const TQELMessage& M, const String& Name)
{
    const std::map<String, String> fields = {
        {"FromMail", M.FromMail}, {"FromName", M.FromName}, {"ReplyTo", M.ReplyTo},     {"SendTo", M.SendTo},
        {"Subject", M.Subject},   {"Date", M.Date},         {"MessageId", M.MessageId}, {"InReplyTo", M.InReplyTo}};
    const auto it = fields.find(Name);
    return it == fields.end() ? "(no field " + Name + ")" : it->second;
}

}  // namespace

TEST_F(PopParser, CorpusFromAnIndependentGenerator)
{
    const QJsonArray cases = QJsonDocument::fromJson(ReadFile(CorpusFolder() / "corpus.json")).array();
    ASSERT_GE(cases.size(), 10);
    for (const QJsonValue& value : cases) {
        const QJsonObject c = value.toObject();
        const String file = c["file"].toString().toStdString();
        SCOPED_TRACE(file);
        Events.clear();
        const QByteArray raw = ReadFile(CorpusFolder() / file);
        TQELMessage* m = Parse(String(raw.constData(), static_cast<size_t>(raw.size())));
        ASSERT_NE(m, nullptr);
        const QJsonObject fields = c["fields"].toObject();
        for (auto it = fields.begin(); it != fields.end(); ++it)
            EXPECT_EQ(FieldOf(*m, it.key().toStdString()), it.value().toString().toStdString())
                << it.key().toStdString();
        std::vector<String> body;
        for (const QJsonValue& line : c["body"].toArray()) body.push_back(line.toString().toStdString());
        EXPECT_EQ(Body(m), body);
        const QJsonArray attachments = c["attachments"].toArray();
        ASSERT_EQ(m->Attachments()->Count(), attachments.size());
        for (int i = 0; i < attachments.size(); ++i) {
            const QJsonObject a = attachments[i].toObject();
            EXPECT_EQ(m->Attachments()->Items(i)->FileName, a["name"].toString().toStdString());
            const QByteArray data = QByteArray::fromBase64(a["data"].toString().toLatin1());
            EXPECT_EQ(Bytes(m->Attachments()->Items(i)), String(data.constData(), static_cast<size_t>(data.size())));
        }
        const bool reported = !Events.empty() && Events.front().rfind("error -ERR Invalid Message Format", 0) == 0;
        EXPECT_EQ(reported, c["invalid_format"].toBool());
        EXPECT_EQ(Events.back(), "after " + m->Subject);
    }
}
