#include "mail/smtp/SmtpProtocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qel;

using namespace SmtpProtocol;

TEST(SmtpProtocol, BuildersWriteOneExactLine)
{
    EXPECT_EQ(Helo("mybox"), "HELO mybox\r\n");
    EXPECT_EQ(MailFrom("anna@example.org"), "MAIL FROM:<anna@example.org>\r\n");
    EXPECT_EQ(MailFrom(""), "MAIL FROM:<>\r\n");
    EXPECT_EQ(RcptTo("<bob@example.org>"), "RCPT TO:<bob@example.org>\r\n");
    EXPECT_EQ(RcptTo(""), "RCPT TO:\r\n");
    EXPECT_EQ(Data(), "DATA\r\n");
    EXPECT_EQ(Quit(), "QUIT\r\n");
    EXPECT_EQ(TextLine("Subject: hi"), "Subject: hi\r\n");
    EXPECT_EQ(TextLine(""), "\r\n");
    EXPECT_EQ(EndOfText(), "\r\n.\r\n");
}

TEST(SmtpProtocol, CommandNamesForReports)
{
    EXPECT_EQ(CommandName(Helo("mybox")), "HELO");
    EXPECT_EQ(CommandName(MailFrom("anna@example.org")), "MAIL FROM");
    EXPECT_EQ(CommandName(RcptTo("<bob@example.org>")), "RCPT TO");
    EXPECT_EQ(CommandName(Data()), "DATA");
    EXPECT_EQ(CommandName(EndOfText()), "end of text");
    EXPECT_EQ(CommandName(Quit()), "QUIT");
}

TEST(SmtpProtocol, LineBreaksInAValueCannotStartACommand)
{
    EXPECT_EQ(MailFrom("a@x>\r\nRCPT TO:<victim@y"), "MAIL FROM:<a@x>RCPT TO:<victim@y>\r\n");
    EXPECT_EQ(RcptTo("<b@y>\nDATA"), "RCPT TO:<b@y>DATA\r\n");
    EXPECT_EQ(Helo("host\rQUIT"), "HELO hostQUIT\r\n");
    // A text line with a stray break could end the text early (a lone "." line) and smuggle commands.
    EXPECT_EQ(TextLine("x\r\n.\r\nMAIL FROM:<e@v>"), "x\r\n..\r\nMAIL FROM:<e@v>\r\n");
    EXPECT_EQ(TextLine("\r\n"), "\r\n\r\n");  // the entry between body and signature: two empty lines
    EXPECT_EQ(TextLine("a\rb\n.c"), "a\r\nb\r\n..c\r\n");
}

TEST(SmtpProtocol, SendToBecomesOneRcptArgumentPerRecipient)
{
    struct Case {
        std::string SendTo;
        std::vector<std::string> Arguments;
    };
    const std::vector<Case> cases = {
        {"a@x", {"<a@x>"}},
        {"a@x;b@y", {"<a@x>", "<b@y>"}},
        {"  a@x; b@y;  ", {"<a@x>", "<b@y>"}},  // blanks and a trailing ";" add nothing
        {"local", {"<local>"}},
        {"a@x;local", {"<a@x>", "<local>"}},    // a trailing local name is sent, not the one before it again
        {"local;a@x", {"<local>", "<a@x>"}},
        {"a@x;;b@y", {"<a@x>", "<>", "<b@y>"}},
        {";", {"<>"}},
        {"", {""}},                              // one RCPT with nothing after the colon
        {"a@x,b@y", {"<a@x", "b@y>"}},           // "," separates the elements of the list too
        {"\ta@x\r\n", {"<a@x>"}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitRecipients(c.SendTo), c.Arguments) << "SendTo: " << c.SendTo;
}

namespace {

struct ReplyCase {
    std::string Bytes;
    std::string Status;
    std::string Message;
};

// Replies that are complete only once their last byte has arrived.
const std::vector<ReplyCase> WholeReplies = {
    {"250 OK\r\n", "250", "OK"},
    {"220 mail.example.org ESMTP ready\r\n", "220", "mail.example.org ESMTP ready"},
    {"250\r\n", "250", ""},
    {"354 Start mail input; end with <CRLF>.<CRLF>\r\n", "354", "Start mail input; end with <CRLF>.<CRLF>"},
    {"250-mail.example.org\r\n250-SIZE 1000\r\n250 HELP\r\n", "250", "HELP"},
    {"220-first line\r\n220-second\r\n220 ready\r\n", "220", "ready"},
    {"250 lf only\n", "250", "lf only"},
    {"250-stray cr\r250 last\r\n", "250", "last"},  // a lone CR ends a line too
    {"abc lower-case word\r\n", "ABC", "lower-case word"},
    {"500 " + std::string(100, 'x') + "\r\n", "500", std::string(63, 'x')},  // characters 4 to 67
};

}  // namespace

TEST(SmtpProtocol, ReplyIsTheSameHoweverItIsSplit)
{
    for (const ReplyCase& c : WholeReplies) {
        for (size_t cut = 0; cut <= c.Bytes.size(); ++cut) {
            TReplyAssembler reply;
            EXPECT_FALSE(reply.Feed(std::string_view(c.Bytes).substr(0, cut)) && cut < c.Bytes.size())
                << "complete too early: " << c.Bytes << " cut at " << cut;
            EXPECT_TRUE(reply.Feed(std::string_view(c.Bytes).substr(cut))) << c.Bytes << " cut at " << cut;
            EXPECT_EQ(reply.Status(), c.Status) << c.Bytes << " cut at " << cut;
            EXPECT_EQ(reply.Message(), c.Message) << c.Bytes << " cut at " << cut;
            EXPECT_EQ(reply.Text(), c.Bytes);
        }
        TReplyAssembler trickled;
        for (size_t i = 0; i < c.Bytes.size(); ++i)
            EXPECT_EQ(trickled.Feed(std::string_view(c.Bytes).substr(i, 1)), i + 1 == c.Bytes.size()) << c.Bytes << " byte " << i;
        EXPECT_EQ(trickled.Status(), c.Status);
        EXPECT_EQ(trickled.Message(), c.Message);
    }
}

TEST(SmtpProtocol, ReplyEndsWithItsFinalLineAndLeavesTheNext)
{
    // Two replies arriving together: the first takes its own bytes only, the next reply the rest.
    const std::string together = "250-mail.example\r\n250 HELP\r\n354 go on\r\n250 queued\r\n";
    std::vector<std::string> statuses, messages;
    for (std::string_view rest = together; !rest.empty();) {
        TReplyAssembler reply;
        const size_t taken = reply.Take(rest);
        EXPECT_TRUE(reply.Complete());
        statuses.push_back(reply.Status());
        messages.push_back(reply.Message());
        rest.remove_prefix(taken);
    }
    EXPECT_EQ(statuses, (std::vector<std::string>{"250", "354", "250"}));
    EXPECT_EQ(messages, (std::vector<std::string>{"HELP", "go on", "queued"}));

    // A final line followed by the start of another is complete; the start stays untaken.
    TReplyAssembler more;
    EXPECT_EQ(more.Take("220 first\r\n22"), 11u);
    EXPECT_EQ(more.Message(), "first");
    EXPECT_EQ(more.Take("0 second\r\n"), 0u);
    EXPECT_EQ(more.Text(), "220 first\r\n");

    // An LF whose CR ended the read before ends the reply, and nothing after it is taken.
    TReplyAssembler split;
    EXPECT_EQ(split.Take("250 ok\r"), 7u);
    EXPECT_EQ(split.Take("\n221 bye\r\n"), 1u);
    EXPECT_EQ(split.Message(), "ok");

    // A line without any status still ends the reply: it fails the status check instead of
    // leaving the client waiting for a line that never comes.
    TReplyAssembler garbage;
    EXPECT_TRUE(garbage.Feed("hello\r\n"));
    EXPECT_EQ(garbage.Status(), "HEL");
}

TEST(SmtpProtocol, UnfinishedReplyStillSaysWhatArrived)
{
    TReplyAssembler cut;
    EXPECT_FALSE(cut.Feed("421 closing"));
    EXPECT_FALSE(cut.Complete());
    EXPECT_EQ(cut.Status(), "421");
    EXPECT_EQ(cut.Message(), "closing");

    TReplyAssembler nothing;
    EXPECT_FALSE(nothing.Feed(""));
    EXPECT_EQ(nothing.Status(), "");
    EXPECT_EQ(nothing.Message(), "");
}

TEST(SmtpProtocol, EndlessReplyKeepsBoundedText)
{
    TReplyAssembler reply;
    const std::string line = "250-" + std::string(1000, 'y') + "\r\n";
    for (int i = 0; i < 200; ++i) EXPECT_FALSE(reply.Feed(line));
    EXPECT_EQ(reply.Text().size(), TReplyAssembler::MaxTextBytes);
    EXPECT_TRUE(reply.Feed("250 done\r\n"));
    EXPECT_EQ(reply.Status(), "250");
    EXPECT_EQ(reply.Message(), "done");
}

// ---------------------------------------------------------------- EHLO, STARTTLS, AUTH

TEST(SmtpProtocol, SecureSessionBuildersWriteOneExactLine)
{
    EXPECT_EQ(Ehlo("mybox"), "EHLO mybox\r\n");
    EXPECT_EQ(Ehlo("my\r\nbox"), "EHLO mybox\r\n");
    EXPECT_EQ(StartTls(), "STARTTLS\r\n");
    EXPECT_EQ(AuthPlain("alice", "s3cret"), "AUTH PLAIN AGFsaWNlAHMzY3JldA==\r\n");
    EXPECT_EQ(AuthPlain("ab", "cd"), "AUTH PLAIN AGFiAGNk\r\n");  // no padding
    EXPECT_EQ(AuthLogin(), "AUTH LOGIN\r\n");
    EXPECT_EQ(AuthLoginAnswer("alice"), "YWxpY2U=\r\n");
    EXPECT_EQ(AuthLoginAnswer("s3cret"), "czNjcmV0\r\n");
    EXPECT_EQ(AuthLoginAnswer(""), "\r\n");
}

TEST(SmtpProtocol, AuthCommandNamesLeaveTheCredentialsOut)
{
    EXPECT_EQ(CommandName(AuthPlain("alice", "s3cret")), "AUTH PLAIN");
    EXPECT_EQ(CommandName(AuthLogin()), "AUTH LOGIN");
    EXPECT_EQ(CommandName(Ehlo("mybox")), "EHLO");
    EXPECT_EQ(CommandName(StartTls()), "STARTTLS");
}

TEST(SmtpProtocol, EhloReplyGivesItsExtensionsAndMechanisms)
{
    const String reply = "250-mail.example greets you\r\n250-size 1000\r\n250-STARTTLS\r\n"
                         "250-AUTH LOGIN  plain\r\n250-AUTH=CRAM-MD5\r\n250 8BITMIME\r\n";
    const std::vector<String> ext = EhloExtensions(reply);
    EXPECT_EQ(ext, (std::vector<String>{"SIZE 1000", "STARTTLS", "AUTH LOGIN  PLAIN", "AUTH=CRAM-MD5", "8BITMIME"}));
    EXPECT_TRUE(Offers(ext, "STARTTLS"));
    EXPECT_TRUE(Offers(ext, "SIZE"));
    EXPECT_FALSE(Offers(ext, "START"));
    EXPECT_FALSE(Offers(ext, "MAIL.EXAMPLE")) << "the greeting line is no extension";
    EXPECT_EQ(AuthMechanisms(ext), (std::vector<String>{"LOGIN", "PLAIN", "CRAM-MD5"}));
    EXPECT_TRUE(EhloExtensions("250 mail.example\r\n").empty());
    EXPECT_TRUE(AuthMechanisms(EhloExtensions("250-x\n250 AUTHORITY YES\n")).empty());
}
