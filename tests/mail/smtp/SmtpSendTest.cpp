// Sending against a willing scripted server: handlers that free what is being sent, the envelope
// of CC and BCC, header lines of long recipient lists, and accounts copied into the holder.
#include "framework/core/SysUtils.h"
#include "mail/QELTIEmails.h"
#include "tests/mail/MailTestSupport.h"
#include "tests/support/ScriptedServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace qel;
using namespace qeltest;

namespace {

using Lines = std::vector<std::string>;

// Says yes to everything: 250, 354 for DATA (then the text up to its "."), 221 for QUIT.
class TWillingSmtp : public TConversation {
public:
    TAnswer Greeting() override { return Sent("220 test.local ready\r\n"); }
    std::optional<TAnswer> Answer(const std::string& Line) override
    {
        const std::string word = UpperCase(Line.substr(0, Line.find(' ')));
        if (word == "QUIT") return Sent("221 bye\r\n");
        if (word != "DATA") return Sent("250 ok\r\n");
        TAnswer answer = Sent("354 go on\r\n");
        answer.ThenText = true;
        return answer;
    }
};

class TWillingServer {
public:
    TWillingServer() : FServer(One()) {}
    int Port() const { return FServer.Port(); }
    const Lines& Commands() { return FServer.Lines(); }
    const std::vector<Lines>& Texts() { return FServer.Texts(); }

private:
    static std::vector<std::unique_ptr<TConversation>> One()
    {
        std::vector<std::unique_ptr<TConversation>> one;
        one.push_back(std::make_unique<TWillingSmtp>());
        return one;
    }
    TScriptedServer FServer;
};

// One Base64 line of 57 equal bytes: "aaa" is "YWFh", "bbb" is "YmJi".
const std::string LineOfA = [] { std::string s; for (int i = 0; i < 19; ++i) s += "YWFh"; return s; }();
const std::string LineOfB = [] { std::string s; for (int i = 0; i < 19; ++i) s += "YmJi"; return s; }();

// The text's last line before the end-of-text sequence closes the multipart body.
bool EndsWithClosingBoundary(const Lines& Text)
{
    auto last = std::find_if(Text.rbegin(), Text.rend(), [](const std::string& L) { return !L.empty(); });
    return last != Text.rend() && last->rfind("-----QELMAIL", 0) == 0 && last->size() == 26 &&
           last->substr(24) == "--";
}

Lines Only(const Lines& All, const std::string& Prefix)
{
    Lines out;
    for (const std::string& line : All)
        if (line.rfind(Prefix, 0) == 0) out.push_back(line);
    return out;
}

// The field starting with Name, its continuation lines joined back on.
std::string Unfolded(const Lines& Text, const std::string& Name)
{
    auto at = std::find_if(Text.begin(), Text.end(), [&](const std::string& L) { return L.rfind(Name, 0) == 0; });
    if (at == Text.end()) return "(none)";
    std::string field = *at;
    for (++at; at != Text.end() && !at->empty() && (at->front() == ' ' || at->front() == '\t'); ++at) field += *at;
    return field;
}

// The addresses of an address-list field's value, blanks around them dropped.
Lines Addresses(const std::string& Value)
{
    Lines out;
    size_t start = 0;
    for (size_t comma; (comma = Value.find(',', start)) != std::string::npos; start = comma + 1)
        out.push_back(Trim(Value.substr(start, comma - start)));
    out.push_back(Trim(Value.substr(start)));
    return out;
}

class SmtpSend : public ::testing::Test {
protected:
    void SetUp() override
    {
        Account = Holder->Accounts()->Add();
        Account->SMTPServer = "127.0.0.1";
        Mail->SetAccountInfo(Holder);
        Mail->SetLinePause(0);
        Mail->OnError = [this](TObject*, const String& Status, const String& Text, bool) {
            Errors.push_back(Status + "|" + Text);
        };
        Mail->OnSuccessSend = [this](TObject*) { ++Accepted; };
        Mail->OnAfterSend = [this](TObject*, TQELMessage* M) { AfterSend.push_back(M->Subject); };
    }

    TQELMessage* AddMessage(const std::string& SendTo = "bob@test.local")
    {
        TQELMessage* m = Mail->Messages()->Add();
        m->FromMail = "anna@test.local";
        m->SendTo = SendTo;
        m->Subject = "Message " + std::to_string(Mail->Messages()->Count());
        m->Message()->Add("Hello Bob,");
        return m;
    }
    // Count Base64 lines of the letter Fill.
    TQELAttachment* Attach(TQELMessage* M, char Fill, int Count = 300)
    {
        const String name = std::string(1, Fill) + std::to_string(M->Attachments()->Count()) + ".bin";
        return M->Attachments()->Add(Dir.Write(name, String(57 * static_cast<size_t>(Count), Fill)));
    }

    bool Run(TWillingServer& Server)
    {
        Account->SMTPPort = Server.Port();
        return Mail->Execute();
    }

    MailTest::TExceptionLog Exceptions;
    MailTest::TTempFolder Dir;
    TComponent Form{nullptr};
    TQELAccountHolder* Holder = new TQELAccountHolder(&Form);
    TQELSMTPMail* Mail = new TQELSMTPMail(&Form);
    TQELMailAccount* Account = nullptr;
    Lines Errors;
    Lines AfterSend;
    int Accepted = 0;
};

}  // namespace

// --- Handlers run in the middle of a send: whatever they free, the text already composed goes
// out whole, and nothing freed is read again.

TEST_F(SmtpSend, HandlersMayFreeTheAttachmentOrTheMessageWhileItsTextGoesOut)
{
    using TFree = std::function<void(TQELSMTPMail*)>;
    const std::vector<std::pair<std::string, TFree>> frees = {
        {"attachment", [](TQELSMTPMail* M) { M->Messages()->Items(0)->Attachments()->Delete(0); }},
        {"message", [](TQELSMTPMail* M) { M->Messages()->Delete(0); }},
        {"collection", [](TQELSMTPMail* M) { M->Messages()->Clear(); }},
    };
    for (const std::string event : {"OnBeforeSend", "OnServerMessage", "OnSendProgress"}) {
        for (const auto& [what, free] : frees) {
            SCOPED_TRACE(event + " frees the " + what);
            Mail->Messages()->Clear();
            Accepted = 0;
            AfterSend.clear();
            Attach(AddMessage(), 'a');
            bool done = false;
            int replies = 0;  // the third reply is the one to MAIL FROM: the recipients are still to come
            const auto once = [&, free = free] {
                if (!done) free(Mail);
                done = true;
            };
            Mail->OnBeforeSend = [&](TObject*) { if (event == "OnBeforeSend") once(); };
            Mail->OnServerMessage = [&](TObject*, const String&, const String&) {
                if (event == "OnServerMessage" && ++replies == 3) once();
            };
            Mail->OnSendProgress = [&](TObject*, uint16_t, int32_t) { if (event == "OnSendProgress") once(); };

            TWillingServer server;
            EXPECT_TRUE(Run(server));
            Mail->OnBeforeSend = nullptr;
            Mail->OnServerMessage = nullptr;
            Mail->OnSendProgress = nullptr;
            EXPECT_TRUE(done);
            EXPECT_TRUE(Errors.empty());
            EXPECT_EQ(Exceptions.Count(), 0u);
            // A message gone before its MAIL FROM is not sent.
            if (event == "OnBeforeSend" && what != "attachment") {
                EXPECT_TRUE(Only(server.Commands(), "MAIL").empty());
                EXPECT_EQ(Accepted, 0);
                continue;
            }
            EXPECT_EQ(Only(server.Commands(), "RCPT"), Lines{"RCPT TO:<bob@test.local>"});
            ASSERT_EQ(server.Texts().size(), 1u);
            const Lines& text = server.Texts()[0];
            EXPECT_EQ(std::count(text.begin(), text.end(), LineOfA), 300);
            EXPECT_TRUE(EndsWithClosingBoundary(text));
            EXPECT_EQ(Accepted, 1);
            // OnAfterSend names the message only while it is still there.
            EXPECT_EQ(AfterSend, what == "attachment" ? Lines{"Message 1"} : Lines{});
        }
    }
}

TEST_F(SmtpSend, HandlersMayFreeWhatIsBeingEncoded)
{
    // The attachment being encoded goes: the message goes without it.
    TQELMessage* m = AddMessage();
    Attach(m, 'a');
    Attach(m, 'b', 2);
    Mail->OnEncodeProgress = [&](TObject*, uint16_t, int32_t) {
        if (m->Attachments()->Count() == 2 && m->Attachments()->Items(0)->FileName == "a0.bin") m->Attachments()->Delete(0);
    };
    {
        TWillingServer server;
        EXPECT_TRUE(Run(server));
        ASSERT_EQ(server.Texts().size(), 1u);
        const Lines& text = server.Texts()[0];
        EXPECT_EQ(std::count(text.begin(), text.end(), LineOfA), 0);
        EXPECT_EQ(std::count(text.begin(), text.end(), LineOfB), 2);
        EXPECT_EQ(Only(text, "Content-Disposition").size(), 1u);
        EXPECT_EQ(Accepted, 1);
    }

    // The message goes before its text is composed, or its collection is emptied: nothing is sent.
    const std::vector<std::function<void()>> frees = {
        [this] { Mail->OnEncodeStart = [this](TObject*, const String&, int32_t) { Mail->Messages()->Delete(0); }; },
        [this] { Mail->OnEncodeProgress = [this](TObject*, uint16_t, int32_t) { Mail->Messages()->Clear(); }; },
        [this] { Mail->OnEncodeend = [this](TObject*) { Mail->Messages()->Delete(0); }; },
    };
    for (const auto& wire : frees) {
        Mail->OnEncodeStart = nullptr;
        Mail->OnEncodeProgress = nullptr;
        Mail->OnEncodeend = nullptr;
        Accepted = 0;
        Mail->Messages()->Clear();
        Attach(AddMessage(), 'a');
        wire();
        TWillingServer server;
        EXPECT_TRUE(Run(server));
        EXPECT_TRUE(Only(server.Commands(), "MAIL").empty());
        EXPECT_EQ(Mail->Messages()->Count(), 0);
        EXPECT_EQ(Accepted, 0);
    }
    EXPECT_TRUE(Errors.empty());
    EXPECT_EQ(Exceptions.Count(), 0u);
}

// --- CC and BCC

TEST_F(SmtpSend, EveryRecipientOfToCcAndBccGetsOneRcpt)
{
    struct Case {
        std::string SendTo, CC, BCC;
        Lines Rcpt;
        Lines CcLine;  // written as the To line is
    };
    const std::vector<Case> cases = {
        {"a@x;b@y", "c@z; a@x", "d@w;b@y;", {"<a@x>", "<b@y>", "<c@z>", "<d@w>"}, {"Cc: <c@z>,< a@x>"}},
        {"", "c@z", "", {"<c@z>"}, {"Cc: <c@z>"}},
        {" ", "", "d@w", {"<d@w>"}, {}},
        {"a@x;a@x", "", "", {"<a@x>"}, {}},
        {"a@x", "", "", {"<a@x>"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.SendTo + "|" + c.CC + "|" + c.BCC);
        Mail->Messages()->Clear();
        TQELMessage* m = AddMessage(c.SendTo);
        m->CC = c.CC;
        m->BCC = c.BCC;
        TWillingServer server;
        EXPECT_TRUE(Run(server));
        Lines expected;
        for (const std::string& r : c.Rcpt) expected.push_back("RCPT TO:" + r);
        EXPECT_EQ(Only(server.Commands(), "RCPT"), expected);
        ASSERT_EQ(server.Texts().size(), 1u);
        const Lines& text = server.Texts()[0];
        const Lines header(text.begin(), std::find(text.begin(), text.end(), ""));
        EXPECT_EQ(Only(header, "Cc: "), c.CcLine);
        EXPECT_TRUE(Only(header, "Bcc").empty());
        for (const std::string& line : header) EXPECT_EQ(line.find("d@w"), std::string::npos) << line;
    }
    EXPECT_TRUE(Errors.empty());
}

// --- Header lines of long recipient lists

TEST_F(SmtpSend, AThousandRecipientsFitTheLineLimit)
{
    std::string sendTo, cc;
    Lines to, copies, rcpt;
    for (int i = 0; i < 1000; ++i) {
        const std::string address = "recipient" + std::to_string(i) + "@example.org";
        sendTo += address + ";";
        to.push_back("<" + address + ">");
        rcpt.push_back("RCPT TO:<" + address + ">");
    }
    for (int i = 0; i < 100; ++i) {
        const std::string address = "copy" + std::to_string(i) + "@example.net";
        cc += address + ";";
        copies.push_back("<" + address + ">");
        rcpt.push_back("RCPT TO:<" + address + ">");
    }
    AddMessage(sendTo)->CC = cc;
    TWillingServer server;
    EXPECT_TRUE(Run(server));
    EXPECT_EQ(Only(server.Commands(), "RCPT"), rcpt);
    ASSERT_EQ(server.Texts().size(), 1u);
    const Lines& text = server.Texts()[0];
    for (const std::string& line : text) ASSERT_LE(line.size(), 998u) << line.substr(0, 80);
    const std::string toField = Unfolded(text, "TO: ");
    const std::string ccField = Unfolded(text, "Cc: ");
    EXPECT_EQ(Addresses(toField.substr(4)), to);
    EXPECT_EQ(Addresses(ccField.substr(4)), copies);
    EXPECT_EQ(Accepted, 1);
    EXPECT_TRUE(Errors.empty());
}

// --- Accounts copied into the holder

TEST_F(SmtpSend, AccountsCopiedIntoTheHolderStillNameADefault)
{
    TQELAccountHolder other(nullptr);
    TQELMailAccount* first = other.Accounts()->Add();
    first->SMTPServer = "127.0.0.1";
    other.Accounts()->Add()->SMTPServer = "elsewhere.invalid";
    TWillingServer server;
    first->SMTPPort = server.Port();
    Account->SMTPServer = "old.invalid";
    Holder->SetQELMailAccounts(other.Accounts());
    AddMessage();
    EXPECT_TRUE(Mail->Execute());
    EXPECT_EQ(Only(server.Commands(), "MAIL"), Lines{"MAIL FROM:<anna@test.local>"});
    EXPECT_EQ(Mail->CurrentAccount, Holder->Accounts()->Items(0));
    EXPECT_EQ(Accepted, 1);
    EXPECT_TRUE(Errors.empty());
}
