// SMTP sessions with EHLO, STARTTLS, implicit TLS and AUTH: against the scripted server for the
// lines in clear, against a TLS peer for the lines under TLS.
#include "mail/QELTIEmails.h"
#include "tests/framework/net/TlsTestPeer.h"
#include "tests/mail/MailTestSupport.h"
#include "tests/support/ScriptedServer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

using namespace qel;
using namespace qeltest;
using Lines = std::vector<std::string>;

namespace {

const std::string Password = "s3cret";
const std::string PlainLine = "AUTH PLAIN AGFsaWNlAHMzY3JldA==";  // \0alice\0s3cret
const std::string LoginUser = "YWxpY2U=";                          // alice
const std::string LoginPassword = "czNjcmV0";                      // s3cret

std::string HostName()
{
    char name[256] = "";
    gethostname(name, sizeof name - 1);
    return name;
}

TAnswer Say(const std::string& Text) { return Sent(Text + "\r\n"); }

TAnswer SayThenText(const std::string& Text)
{
    TAnswer answer = Say(Text);
    answer.ThenText = true;
    return answer;
}

// What follows a successful opening: one message to one recipient, then QUIT.
TDialogue Delivery()
{
    return {{"MAIL FROM:<anna@test.local>", Say("250 ok")},
            {"RCPT TO:<bob@test.local>", Say("250 ok")},
            {"DATA", SayThenText("354 go on")},
            {".", Say("250 queued")},
            {"QUIT", Say("221 bye")}};
}

TDialogue Joined(TDialogue Rows, const TDialogue& More)
{
    Rows.insert(Rows.end(), More.begin(), More.end());
    return Rows;
}

// The client lines of Rows as the scripted server records them (without the text's ".").
Lines Sent(const TDialogue& Rows)
{
    Lines lines = ClientLines(Rows);
    lines.erase(std::remove(lines.begin(), lines.end(), "."), lines.end());
    return lines;
}

// Plays Rows over TLS (the first row with an empty client line: the greeting); the text after a
// 354 is read up to its ".". The lines the client sent go to Heard.
void PlayTls(SSL* Ssl, const TDialogue& Rows, Lines& Heard)
{
    for (const TExchange& row : Rows) {
        if (!row.Client.empty() && row.Client != ".") {  // the text and its "." were read after 354
            std::string line = ReadTlsLine(Ssl);
            if (line.empty()) return;
            Heard.push_back(line);
        }
        for (const std::string& piece : row.Server.Pieces) WriteTls(Ssl, piece);
        for (int i = 0; row.Server.ThenText && i < 1000; ++i)  // a gone client reads as empty lines
            if (ReadTlsLine(Ssl) == ".") break;
    }
}

class SmtpSecureSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        Account = Holder->Accounts()->Add();
        Account->SMTPServer = "127.0.0.1";
        Account->Password = Password;
        Account->CAFile = TestCert("ca.pem");
        Mail->SetAccountInfo(Holder);
        Mail->SetLinePause(0);
        Mail->OnError = [this](TObject*, const String& Status, const String& Text, bool) {
            Errors.push_back(Status + "|" + Text);
        };
        Mail->OnServerResponse = [this](TObject*, const String& Status, const String& Text, bool) {
            Reported.push_back(Status + " " + Text);
        };
        // The server's words as the component passes them on (what `qelmail -v` prints).
        Mail->OnServerMessage = [this](TObject*, const String& Status, const String& Text) {
            Reported.push_back(Status + " " + Text);
            Reported.push_back(Mail->LastReply);
        };
        TQELMessage* m = Mail->Messages()->Add();
        m->FromMail = "anna@test.local";
        m->SendTo = "bob@test.local";
        m->Subject = "Hello";
        m->Message()->Add("Hi Bob.");
        Mail->OnSuccessSend = [this](TObject*) { ++Delivered; };
    }

    void Run(int Port)
    {
        Account->SMTPPort = Port;
        Mail->Execute();
    }

    // No credential, in clear or base64, in the reports, the server's passed-on words or LastReply.
    void ExpectNoSecretReported()
    {
        for (const std::string& text : Reported)
            for (const std::string& secret : {Password, LoginPassword, PlainLine.substr(11)})
                EXPECT_EQ(text.find(secret), std::string::npos) << text;
    }

    MailTest::TExceptionLog Exceptions;
    TComponent Form{nullptr};
    TQELAccountHolder* Holder = new TQELAccountHolder(&Form);
    TQELSMTPMail* Mail = new TQELSMTPMail(&Form);
    TQELMailAccount* Account = nullptr;
    Lines Errors;
    Lines Reported;
    int Delivered = 0;
};

}  // namespace

TEST_F(SmtpSecureSession, AuthPlainOrLoginAsTheServerOffers)
{
    Account->SMTPAuthUser = "alice";
    const TDialogue plain = {{"", Say("220 test.local ready")},
                             {"EHLO " + HostName(), Sent("250-test.local\r\n250-AUTH LOGIN PLAIN\r\n250 8BITMIME\r\n")},
                             {PlainLine, Say("235 2.7.0 accepted")}};
    const TDialogue login = {{"", Say("220 test.local ready")},
                             {"EHLO " + HostName(), Sent("250-test.local\r\n250 AUTH=LOGIN\r\n")},
                             {"AUTH LOGIN", Say("334 VXNlcm5hbWU6")},
                             {LoginUser, Say("334 UGFzc3dvcmQ6")},
                             {LoginPassword, Say("235 2.7.0 accepted")}};
    for (const TDialogue& opening : {plain, login}) {
        Delivered = 0;
        const TDialogue rows = Joined(opening, Delivery());
        TScriptedServer server(Conversations(rows));
        Run(server.Port());
        EXPECT_EQ(server.Lines(), Sent(rows));
        EXPECT_EQ(Errors, Lines{});
        EXPECT_EQ(Delivered, 1);
    }
    ExpectNoSecretReported();
}

TEST_F(SmtpSecureSession, FailuresOfTheOpeningAreOneReportAndNothingIsSent)
{
    struct TCase {
        TQELMailSecurity Security;
        std::string User;
        TDialogue Rows;
        std::string Error;
    };
    const std::string ehlo = "EHLO " + HostName();
    const TExchange greeting{"", Say("220 test.local ready")};
    const std::vector<TCase> cases = {
        {msStartTLS, "", {greeting, {ehlo, Sent("250-test.local\r\n250 AUTH PLAIN\r\n")}},
         "0|the server offers no STARTTLS"},
        {msStartTLS, "", {greeting, {ehlo, Sent("250-test.local\r\n250 STARTTLS\r\n")}, {"STARTTLS", Say("454 4.7.0 not now")}},
         "0|STARTTLS refused: 454 4.7.0 not now"},
        {msNone, "alice", {greeting, {ehlo, Say("502 5.5.1 no EHLO here")}},
         "0|EHLO refused, and STARTTLS or AUTH needs it: 502 5.5.1 no EHLO here"},
        {msNone, "alice", {greeting, {ehlo, Sent("250-test.local\r\n250 AUTH CRAM-MD5\r\n")}},
         "0|the server offers no AUTH PLAIN or LOGIN"},
        {msNone, "alice", {greeting, {ehlo, Sent("250-test.local\r\n250 AUTH PLAIN\r\n")}, {PlainLine, Say("535 5.7.8 bad credentials")}},
         "0|authentication refused: 535 5.7.8 bad credentials"},
        // A server that echoes what it got: the report keeps its words but not the credential.
        {msNone, "alice", {greeting, {ehlo, Sent("250-test.local\r\n250 AUTH LOGIN\r\n")}, {"AUTH LOGIN", Say("334 VXNlcm5hbWU6")},
                           {LoginUser, Say("334 UGFzc3dvcmQ6")}, {LoginPassword, Say("535 no " + LoginPassword + " " + Password)}},
         "0|authentication refused: 535 no *** ***"},
        {msNone, "alice", {greeting, {ehlo, Sent("250-test.local\r\n250 AUTH LOGIN\r\n")}, {"AUTH LOGIN", Say("504 5.5.4 not that")}},
         "0|authentication refused: 504 5.5.4 not that"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Error);
        Errors.clear();
        Account->SMTPSecurity = c.Security;
        Account->SMTPAuthUser = c.User;
        TScriptedServer server(Conversations(c.Rows));
        Run(server.Port());
        EXPECT_EQ(server.Lines(), Sent(c.Rows)) << "no MAIL FROM, no QUIT";
        EXPECT_EQ(Errors, Lines{c.Error});
        EXPECT_EQ(Delivered, 0);
        EXPECT_TRUE(Mail->Aborted);
        EXPECT_FALSE(Mail->Busy);
    }
    ExpectNoSecretReported();
}

TEST_F(SmtpSecureSession, StartTlsThenEhloAndAuthUnderTls)
{
    Account->SMTPSecurity = msStartTLS;
    Account->SMTPAuthUser = "alice";
    Account->SMTPServer = "localhost";
    const std::string ehlo = "EHLO " + HostName();
    Lines clear, secure;
    TlsPeer peer(
        "server",
        [&](int Fd) {
            WritePlain(Fd, "220 test.local ready\r\n");
            clear.push_back(ReadPlainLine(Fd));
            WritePlain(Fd, "250-test.local\r\n250-STARTTLS\r\n250 SIZE 100\r\n");
            clear.push_back(ReadPlainLine(Fd));
            WritePlain(Fd, "220 2.0.0 ready for TLS\r\n");
            return true;
        },
        [&](SSL* Ssl) {
            PlayTls(Ssl, Joined({{ehlo, Sent("250-test.local\r\n250 AUTH PLAIN LOGIN\r\n")}, {PlainLine, Say("235 ok")}},
                                Delivery()),
                    secure);
        });
    Run(peer.Port());
    peer.Wait();
    EXPECT_EQ(clear, (Lines{ehlo, "STARTTLS"}));
    EXPECT_EQ(secure, (Lines{ehlo, PlainLine, "MAIL FROM:<anna@test.local>", "RCPT TO:<bob@test.local>", "DATA", "QUIT"}));
    EXPECT_EQ(Errors, Lines{});
    EXPECT_EQ(Delivered, 1);
    ExpectNoSecretReported();
}

TEST_F(SmtpSecureSession, ImplicitTlsFallsBackToHeloWhenNothingNeedsEhlo)
{
    Account->SMTPSecurity = msImplicitTLS;
    const std::string host = HostName();
    Lines secure;
    TlsPeer peer("server", [&](SSL* Ssl) {
        PlayTls(Ssl, Joined({{"", Say("220 test.local ready")}, {"EHLO " + host, Say("500 5.5.2 what")},
                             {"HELO " + host, Say("250 test.local")}}, Delivery()),
                secure);
    });
    Run(peer.Port());
    peer.Wait();
    EXPECT_EQ(secure, (Lines{"EHLO " + host, "HELO " + host, "MAIL FROM:<anna@test.local>", "RCPT TO:<bob@test.local>",
                             "DATA", "QUIT"}));
    EXPECT_EQ(Errors, Lines{});
    EXPECT_EQ(Delivered, 1);
}

TEST_F(SmtpSecureSession, UntrustedCertificateEndsTheSessionBeforeAnythingIsSent)
{
    struct TCase { TQELMailSecurity Security; const char* Cert; std::string Host; std::string Error; };
    const TCase cases[] = {
        {msStartTLS, "stranger", "127.0.0.1", "0|TLS: certificate not trusted: unable to get local issuer certificate"},
        {msImplicitTLS, "other", "localhost", "0|TLS: certificate host name mismatch: expected localhost"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Error);
        Errors.clear();
        Account->SMTPSecurity = c.Security;
        Account->SMTPServer = c.Host;
        Lines heard;
        TlsPeer peer(
            c.Cert,
            [&](int Fd) {
                if (c.Security == msImplicitTLS) return true;
                WritePlain(Fd, "220 test.local ready\r\n");
                heard.push_back(ReadPlainLine(Fd));
                WritePlain(Fd, "250-test.local\r\n250 STARTTLS\r\n");
                heard.push_back(ReadPlainLine(Fd));
                WritePlain(Fd, "220 go ahead\r\n");
                return true;
            },
            [&](SSL*) { heard.push_back("under TLS"); });
        Run(peer.Port());
        peer.Wait();
        EXPECT_FALSE(peer.HandshakeDone());
        EXPECT_EQ(heard, c.Security == msStartTLS ? (Lines{"EHLO " + HostName(), "STARTTLS"}) : Lines{});
        ASSERT_EQ(Errors.size(), 1u);
        const std::string where = " (" + c.Host + ":" + std::to_string(peer.Port()) + ")";
        EXPECT_EQ(Errors[0], c.Error + where);
        EXPECT_EQ(Delivered, 0);
    }
}
