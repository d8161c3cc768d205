// SMTP sessions against a scripted server on 127.0.0.1: the lines the client writes and the
// events the host application sees.
#include "framework/core/Application.h"
#include "framework/core/SysUtils.h"
#include "framework/core/Timer.h"
#include "mail/QELTIEmails.h"
#include "tests/support/ScriptedServer.h"
#include "tests/mail/MailTestSupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <map>
#include <regex>

using namespace qel;

using namespace qeltest;
using Lines = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

namespace {

// --- The scripted server ---

struct Reply {
    std::string Bytes;                  // line ends included
    size_t PieceSize = 0;               // > 0: sent this many bytes at a time
    std::chrono::milliseconds Gap{5};   // between pieces
    bool HangUp = false;                // then closes the connection (instead of answering: no Bytes)
    bool Reset = false;                 // with HangUp: a reset, as from a crashed server
    std::chrono::milliseconds Silence{0};  // answers nothing for this long, then goes on reading
};

Reply Say(const std::string& Text) { return {Text + "\r\n"}; }
Reply Trickle(const std::string& Text, std::chrono::milliseconds Gap = 2ms) { return {Text + "\r\n", 1, Gap}; }
Reply HangUp(bool Reset = false) { return {"", 0, {}, true, Reset, {}}; }
Reply Silence(std::chrono::milliseconds Time) { return {"", 0, {}, false, false, Time}; }
// Nothing: the reply went out early, with the one before it.
Reply Early() { return {}; }

// The greeting, then per command word ("HELO", "MAIL", "RCPT", "DATA", "." for the end of the
// text, "QUIT") the replies in the order they are used. A word without replies left answers as a
// willing server does.
struct SmtpScript {
    Reply Greeting = Say("220 test.local ready");
    std::map<std::string, std::vector<Reply>> Answers;
};

// An SmtpScript as the scripted server's conversation: a DATA answered with 354 is followed by
// the text up to its ".".
class SmtpConversation : public TConversation {
public:
    explicit SmtpConversation(SmtpScript Script) : FScript(std::move(Script)) {}

    TAnswer Greeting() override { return AnswerOf(FScript.Greeting); }

    std::optional<TAnswer> Answer(const std::string& Line) override
    {
        const std::string word = UpperCase(Line.substr(0, Line.find(' ')));
        const Reply reply = Next(word);
        TAnswer answer = AnswerOf(reply);
        const bool early = reply.Bytes.empty() && reply.Silence == std::chrono::milliseconds{0};
        answer.ThenText = word == "DATA" && !reply.HangUp && (early || reply.Bytes.rfind("354", 0) == 0);
        return answer;
    }

private:
    static TAnswer AnswerOf(const Reply& R)
    {
        TAnswer answer = Sent(R.Bytes, R.PieceSize, R.Gap);
        answer.Silence = R.Silence;
        if (R.HangUp) answer.End = R.Reset ? TEnd::Reset : TEnd::Close;  // after any bytes
        return answer;
    }

    Reply Next(const std::string& Word)
    {
        static const std::map<std::string, std::string> willing = {
            {"HELO", "250 test.local"}, {"MAIL", "250 sender ok"}, {"RCPT", "250 recipient ok"},
            {"DATA", "354 end with <CRLF>.<CRLF>"}, {".", "250 queued"}, {"QUIT", "221 bye"}};
        auto& queue = FScript.Answers[Word];
        if (queue.empty()) return Say(willing.count(Word) ? willing.at(Word) : "500 unknown command");
        Reply next = queue.front();
        queue.erase(queue.begin());
        return next;
    }

    SmtpScript FScript;
};

class ScriptedSmtpServer {
public:
    // Each of Connections connections plays the script afresh.
    explicit ScriptedSmtpServer(const SmtpScript& Script, int Connections = 1)
        : FServer(Conversations(Script, Connections))
    {
    }

    int Port() const { return FServer.Port(); }
    // Read once the client is done: the command lines in order, and the text lines of each DATA
    // (the empty line before the closing "." included).
    const Lines& Commands() { return FServer.Lines(); }
    const std::vector<Lines>& Texts() { return FServer.Texts(); }

private:
    static std::vector<std::unique_ptr<TConversation>> Conversations(const SmtpScript& Script, int Connections)
    {
        std::vector<std::unique_ptr<TConversation>> all;
        for (int i = 0; i < Connections; ++i) all.push_back(std::make_unique<SmtpConversation>(Script));
        return all;
    }

    TScriptedServer FServer;
};

std::string HostName()
{
    char name[256] = "";
    gethostname(name, sizeof name - 1);
    return name;
}

// The commands of a session that sends each message to one recipient and ends with QUIT.
Lines Dialogue(int Messages)
{
    Lines lines = {"HELO " + HostName()};
    for (int i = 0; i < Messages; ++i) lines.insert(lines.end(), {"MAIL FROM:<anna@test.local>", "RCPT TO:<bob@test.local>", "DATA"});
    lines.push_back("QUIT");
    return lines;
}

// --- The client side ---

class SmtpSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        Account = Holder->Accounts()->Add();
        Account->SMTPServer = "127.0.0.1";
        Mail->SetAccountInfo(Holder);
        Mail->SetLinePause(0);
        Mail->OnError = [this](TObject*, const String& Status, const String& Text, bool IsError) {
            Errors.push_back(Status + "|" + Text + (IsError ? "" : "|not an error"));
        };
    }

    TQELMessage* AddMessage(const std::string& SendTo = "bob@test.local", const Lines& Body = {"Hello Bob,", "see you."})
    {
        TQELMessage* m = Mail->Messages()->Add();
        m->FromMail = "anna@test.local";
        m->SendTo = SendTo;
        m->Subject = "Message " + std::to_string(Mail->Messages()->Count());
        m->Message()->AddStrings(Body);
        return m;
    }

    bool Run(ScriptedSmtpServer& Server)
    {
        Account->SMTPPort = Server.Port();
        return Mail->Execute();
    }

    // Every event of the component, in order, as a line of text.
    void RecordEvents()
    {
        auto note = [this](const char* What) { return [this, What](TObject*) { Log.push_back(What); }; };
        Mail->BeforeExecute = note("BeforeExecute");
        Mail->OnExecute = note("OnExecute");
        Mail->AfterExecute = note("AfterExecute");
        Mail->OnBeforeSend = note("OnBeforeSend");
        Mail->OnSuccessSend = note("OnSuccessSend");
        Mail->OnAfterSend = [this](TObject*, TQELMessage* M) { Log.push_back("OnAfterSend " + M->Subject); };
        Mail->OnSendProgress = [this](TObject*, uint16_t Percent, int32_t Item) {
            Log.push_back("OnSendProgress " + std::to_string(Percent) + " of " + std::to_string(Item));
        };
        auto state = [this](const char* What) {
            return [this, What](TObject* Sender, const String& Server, int32_t Port) {
                EXPECT_TRUE(Is<TClientSocket>(Sender)) << What;
                Log.push_back(What + (" " + Server + ":" + std::to_string(Port)));
            };
        };
        Mail->OnConnect = state("OnConnect");
        Mail->OnDisconnect = state("OnDisconnect");
        Mail->OnServerMessage = [this](TObject*, const String& Status, const String&) { Replies.push_back(Status); };
    }

    MailTest::TExceptionLog Exceptions;
    TComponent Form{nullptr};
    TQELAccountHolder* Holder = new TQELAccountHolder(&Form);
    TQELSMTPMail* Mail = new TQELSMTPMail(&Form);
    TQELMailAccount* Account = nullptr;
    Lines Log;
    Lines Errors;
    Lines Replies;
};

}  // namespace

TEST_F(SmtpSession, SendsEveryMessageInOneSession)
{
    ScriptedSmtpServer server({});
    AddMessage();
    TQELMessage* second = AddMessage("carl@test.local");
    EXPECT_TRUE(Run(server));

    Lines expected = Dialogue(2);
    expected[5] = "RCPT TO:<carl@test.local>";
    EXPECT_EQ(server.Commands(), expected);
    ASSERT_EQ(server.Texts().size(), 2u);
    const Lines body = {"Hello Bob,", "see you."};
    for (const Lines& text : server.Texts()) {
        EXPECT_NE(std::search(text.begin(), text.end(), body.begin(), body.end()), text.end());
        EXPECT_EQ(text.back(), "") << "the empty line of the end-of-text sequence";
    }
    EXPECT_EQ(Mail->Messages()->Count(), 2);
    EXPECT_FALSE(second->Date.empty());
    EXPECT_TRUE(Errors.empty());
    EXPECT_FALSE(Mail->Busy);
    EXPECT_FALSE(Mail->Connected);
    EXPECT_EQ(Mail->LastStatus, "221");
}

TEST_F(SmtpSession, EventsComeInTheirOrder)
{
    ScriptedSmtpServer server({});
    RecordEvents();
    Account->SetProgressStep(100);  // only the closing report of each message
    AddMessage()->MessageNumber = 4;
    AddMessage()->MessageNumber = 9;
    EXPECT_TRUE(Run(server));

    const std::string where = "127.0.0.1:" + std::to_string(server.Port());
    EXPECT_EQ(Log, (Lines{"BeforeExecute", "OnExecute", "OnConnect " + where,
                          "OnBeforeSend", "OnSendProgress 100 of 4", "OnSuccessSend", "OnAfterSend Message 1",
                          "OnBeforeSend", "OnSendProgress 100 of 9", "OnSuccessSend", "OnAfterSend Message 2",
                          "OnDisconnect " + where, "AfterExecute"}));
    EXPECT_EQ(Replies, (Lines{"220", "250", "250", "250", "354", "250", "250", "250", "354", "250", "221"}));
}

TEST_F(SmtpSession, RecipientsOfSendTo)
{
    ScriptedSmtpServer server({});
    for (const char* sendTo : {"a@x", "a@x;b@y", "a@x; b@y;", "local", "a@x;local"}) AddMessage(sendTo);
    Run(server);

    std::vector<Lines> rcpt;  // the RCPT lines of each message
    for (const std::string& line : server.Commands()) {
        if (line.rfind("MAIL", 0) == 0) rcpt.emplace_back();
        if (line.rfind("RCPT", 0) == 0) rcpt.back().push_back(line);
    }
    EXPECT_EQ(rcpt, (std::vector<Lines>{{"RCPT TO:<a@x>"},
                                        {"RCPT TO:<a@x>", "RCPT TO:<b@y>"},
                                        {"RCPT TO:<a@x>", "RCPT TO:<b@y>"},
                                        {"RCPT TO:<local>"},
                                        {"RCPT TO:<a@x>", "RCPT TO:<local>"}}));
}

TEST_F(SmtpSession, LineBreaksInAddressesDoNotBecomeCommands)
{
    ScriptedSmtpServer server({});
    TQELMessage* m = AddMessage("bob@test.local\r\nRSET");
    m->FromMail = "anna@test.local>\r\nRCPT TO:<spy@evil";
    Run(server);
    EXPECT_EQ(server.Commands(), (Lines{"HELO " + HostName(), "MAIL FROM:<anna@test.local>RCPT TO:<spy@evil>",
                                        "RCPT TO:<bob@test.localRSET>", "DATA", "QUIT"}));
}

TEST_F(SmtpSession, ProgressFollowsTheTextLines)
{
    // Expected from the number of lines the server received: percentages of the lines sent before
    // each one, rounded half to even, at thresholds growing by the step; then the closing 100.
    auto expectedFor = [](int Step, size_t Count) {
        std::vector<uint16_t> out;
        int next = Step;
        for (size_t i = 0; i < Count; ++i) {
            auto percent = static_cast<uint16_t>(std::nearbyint(100.0 * double(i) / double(Count)));
            if (percent >= next) out.push_back(percent), next += Step;
        }
        out.push_back(100);  // fewer than 200 lines: the last line stays below 100
        return out;
    };
    for (int step : {0, 1, 50}) {
        SCOPED_TRACE("ProgressStep " + std::to_string(step));
        Mail->Messages()->Clear();
        AddMessage("bob@test.local", Lines(12, "line"));
        if (step > 0) Account->SetProgressStep(step);  // 0 is only ever a new account's value
        ScriptedSmtpServer server({});
        std::vector<uint16_t> seen;
        Mail->OnSendProgress = [&seen](TObject*, uint16_t Percent, int32_t) { seen.push_back(Percent); };
        Run(server);
        ASSERT_EQ(server.Texts().size(), 1u);
        // Without the end-of-text empty line, and counting the entry between body and signature
        // once although it arrives as two empty lines.
        const size_t count = server.Texts()[0].size() - 2;
        EXPECT_EQ(seen, expectedFor(step, count));
        if (step == 0) {
            EXPECT_EQ(seen.size(), count + 1);  // every line, the first with 0
            EXPECT_EQ(seen.front(), 0);
        }
        if (step == 50) {
            EXPECT_EQ(seen.size(), 2u);
        }
    }
}

TEST_F(SmtpSession, AttachmentLinesGoOutAsComposedWithAProgressStepEach)
{
    MailTest::TTempFolder dir;
    TQELMessage* message = AddMessage();
    message->Attachments()->Add(dir.Write("a.bin", String(57 * 3 + 10, 'a')));
    message->Attachments()->Add(dir.Write("b.bin", "bb"));
    std::vector<uint16_t> seen;
    Mail->OnSendProgress = [&seen](TObject*, uint16_t Percent, int32_t) { seen.push_back(Percent); };
    ScriptedSmtpServer server({});
    Run(server);
    ASSERT_EQ(server.Texts().size(), 1u);
    Lines received = server.Texts()[0];

    // The same composition again, with its generated values made to match what was sent.
    auto unique = [](Lines L) {
        for (String& line : L) {
            if (line.rfind("Message-Id: ", 0) == 0) line = "Message-Id";
            line = std::regex_replace(line, std::regex("QELMAIL[a-y]{12}"), "QELMAIL");
        }
        return L;
    };
    const auto composed = Mail->InitializeMessage(message);
    ASSERT_NE(composed, nullptr);
    Lines expected;
    for (const String& entry : composed->ToVector()) {  // the CR LF entry arrives as two lines
        if (entry == "\r\n") expected.insert(expected.end(), {"", ""});
        else expected.push_back(entry);
    }
    expected.push_back("");  // the empty line of the end-of-text sequence
    EXPECT_EQ(unique(received), unique(expected));
    EXPECT_EQ(seen.size(), static_cast<size_t>(composed->Count()) + 1);  // step 0: every entry, then 100
    EXPECT_EQ(seen.back(), 100);
}

TEST_F(SmtpSession, ARejectedReplyEndsTheSessionWithoutQuit)
{
    struct Case {
        SmtpScript Script;
        Lines Commands;     // after HELO
        std::string Error;  // OnError text; the status is always "0"
    };
    const std::vector<Case> cases = {
        {{.Answers = {{"MAIL", {Say("553 sender refused")}}}}, {"MAIL FROM:<anna@test.local>"}, "553 sender refused"},
        {{.Answers = {{"RCPT", {Say("250 ok"), Say("550 no such user")}}}},
         {"MAIL FROM:<anna@test.local>", "RCPT TO:<bob@test.local>", "RCPT TO:<carl@test.local>"}, "550 no such user"},
        {{.Answers = {{"DATA", {Say("503 bad sequence")}}}},
         {"MAIL FROM:<anna@test.local>", "RCPT TO:<bob@test.local>", "RCPT TO:<carl@test.local>", "DATA"}, "503 bad sequence"},
        {{.Answers = {{".", {Say("554 rejected as spam")}}}},
         {"MAIL FROM:<anna@test.local>", "RCPT TO:<bob@test.local>", "RCPT TO:<carl@test.local>", "DATA"}, "554 rejected as spam"},
        {{.Answers = {{"HELO", {Say("501 who are you")}}}}, {}, "501 who are you"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Error);
        Mail->Messages()->Clear();
        Log.clear();
        Errors.clear();
        RecordEvents();
        AddMessage("bob@test.local;carl@test.local");
        AddMessage("dora@test.local");  // skipped after the report
        ScriptedSmtpServer server(c.Script);
        std::vector<std::string> responses;
        Mail->OnServerResponse = [&](TObject*, const String& S, const String& T, bool) { responses.push_back(S + "|" + T); };
        EXPECT_TRUE(Run(server));  // the server's answers reach the host through the events only

        Lines expected = {"HELO " + HostName()};
        expected.insert(expected.end(), c.Commands.begin(), c.Commands.end());
        EXPECT_EQ(server.Commands(), expected);
        EXPECT_EQ(std::count(Log.begin(), Log.end(), "OnSuccessSend"), 0);
        EXPECT_EQ(std::count(Log.begin(), Log.end(), "OnAfterSend Message 1"), 0);
        EXPECT_EQ(Log.back(), "AfterExecute");
        EXPECT_TRUE(Mail->Aborted);
        // Once, also for a failed HELO: the steps after it stay quiet.
        EXPECT_EQ(Errors, Lines{"0|" + c.Error});
        EXPECT_EQ(responses, Lines(Errors.size(), "0|" + c.Error));
    }
}

TEST_F(SmtpSession, QuitNotAnsweredWith221IsReported)
{
    ScriptedSmtpServer server({.Answers = {{"QUIT", {Say("250 whatever")}}}});
    AddMessage();
    EXPECT_TRUE(Run(server));
    EXPECT_EQ(server.Commands(), Dialogue(1));
    EXPECT_EQ(Errors, Lines{"250|1 message(s) accepted; closing the session failed: 250 whatever"});
    EXPECT_FALSE(Mail->Connected);
}

TEST_F(SmtpSession, GreetingMustBe220)
{
    for (const char* refusal : {"421 too busy", "554 no service here"}) {
        Errors.clear();
        ScriptedSmtpServer server({.Greeting = Say(refusal), .Answers = {}});
        AddMessage();
        EXPECT_TRUE(Run(server));
        EXPECT_TRUE(server.Commands().empty()) << "no HELO, no QUIT";
        EXPECT_EQ(Errors, Lines{"0|" + std::string(refusal)});
    }
    // Other replies before the greeting are passed over.
    Errors.clear();
    Mail->Messages()->Clear();
    ScriptedSmtpServer server({.Greeting = Say("100 warming up\r\n220 ready"), .Answers = {}});
    EXPECT_TRUE(Run(server));
    EXPECT_EQ(server.Commands(), Dialogue(0));
    EXPECT_TRUE(Errors.empty());
}

TEST_F(SmtpSession, RepliesSplitOrSpreadOverLines)
{
    RecordEvents();
    Account->SetTimeOut(1);  // 100 ms waits: the slow greeting takes several
    SmtpScript script{.Greeting = {"220-test.local\r\n220 ready\r\n", 9, 150ms, false, false, {}},
                      .Answers = {{"HELO", {Say("250-test.local\r\n250-SIZE 1000\r\n250 HELP")}},
                                  {"MAIL", {Trickle("250 sender ok")}}, {"RCPT", {Trickle("250 recipient ok")}},
                                  {"DATA", {Trickle("354 go on")}}, {".", {Trickle("250 queued")}},
                                  {"QUIT", {Trickle("221 bye")}}}};
    ScriptedSmtpServer server(script);
    AddMessage();
    EXPECT_TRUE(Run(server));
    EXPECT_EQ(server.Commands(), Dialogue(1));
    EXPECT_EQ(Replies, (Lines{"220", "250", "250", "250", "354", "250", "221"}));  // one event per reply
    EXPECT_TRUE(Errors.empty());

    // Two lines both starting "220 " in one block: one greeting.
    Replies.clear();
    ScriptedSmtpServer twice({.Greeting = Say("220 first\r\n220 second"), .Answers = {}});
    EXPECT_TRUE(Run(twice));
    EXPECT_EQ(twice.Commands(), Dialogue(1));
    EXPECT_EQ(Replies.front(), "220");
    EXPECT_TRUE(Errors.empty());
}

TEST_F(SmtpSession, ServerHangingUpEndsTheSession)
{
    for (const char* word : {"greeting", "MAIL", "DATA", "."}) {
        SCOPED_TRACE(word);
        Errors.clear();
        Log.clear();
        RecordEvents();
        SmtpScript script;
        if (std::string(word) == "greeting") script.Greeting = HangUp();
        else script.Answers[word] = {HangUp()};
        ScriptedSmtpServer server(script);
        Mail->Messages()->Clear();
        AddMessage();
        AddMessage();
        const auto start = Clock::now();
        EXPECT_TRUE(Run(server));
        EXPECT_LT(Clock::now() - start, 3s);
        ASSERT_EQ(Errors.size(), 1u);
        EXPECT_EQ(Errors[0].substr(0, 2), "0|");
        EXPECT_EQ(std::count(Log.begin(), Log.end(), "OnSuccessSend"), 0);
        EXPECT_EQ(Exceptions.Count(), 0u);
        EXPECT_FALSE(Mail->Busy);
        EXPECT_FALSE(Mail->Connected);
    }
}

TEST_F(SmtpSession, ServerResettingTheConnection)
{
    ScriptedSmtpServer server({.Answers = {{"RCPT", {HangUp(true)}}}});
    AddMessage();
    const auto start = Clock::now();
    EXPECT_FALSE(Run(server));
    EXPECT_LT(Clock::now() - start, 3s);
    // The socket's error notice reports with the system's error number and words; the socket error
    // it then raises ends the run through the exception handler.
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0], std::to_string(ECONNRESET) + "|" + std::strerror(ECONNRESET) + " (127.0.0.1:" +
                             std::to_string(server.Port()) + ") in reply to RCPT TO");
    ASSERT_EQ(Exceptions.Count(), 1u);
    EXPECT_EQ(Exceptions.Reports[0].Sender, Mail);
    EXPECT_FALSE(Mail->Busy);
    EXPECT_FALSE(Mail->Connected);
}

TEST_F(SmtpSession, HostCanEndTheWaitForASilentServer)
{
    ScriptedSmtpServer server({.Answers = {{"MAIL", {Silence(1s)}}}});
    AddMessage();
    Account->SetTimeOut(2);  // the queue is serviced between waits of 200 ms
    TTimer timer(nullptr);
    timer.SetInterval(200);
    timer.OnTimer = [&](TObject*) {
        timer.SetEnabled(false);
        Mail->HandleError(eeGeneral);
    };
    const auto start = Clock::now();
    EXPECT_TRUE(Run(server));
    EXPECT_LT(Clock::now() - start, 2s);
    EXPECT_EQ(Errors, Lines{"0|250 test.local"}) << "reported once, by the host's call";
    EXPECT_EQ(server.Commands(), (Lines{"HELO " + HostName(), "MAIL FROM:<anna@test.local>"}));
}

TEST_F(SmtpSession, UnreachableServer)
{
    RecordEvents();
    TQELMessage* m = AddMessage();
    Account->SMTPPort = FreeLoopbackPort();
    EXPECT_TRUE(Mail->Execute());
    // The socket's own notice comes first, with the system's error number as status.
    const std::string where = "127.0.0.1:" + std::to_string(Account->SMTPPort);
    EXPECT_EQ(Errors, (Lines{std::to_string(ECONNREFUSED) + "|Connection refused (" + where + ") while connecting",
                             "0|Can not connect to server " + where + ": Connection refused"}));
    EXPECT_FALSE(m->Date.empty()) << "composed all the same";
    EXPECT_EQ(std::count(Log.begin(), Log.end(), "OnBeforeSend"), 0);
    EXPECT_EQ(Log.back(), "AfterExecute");
    EXPECT_EQ(Exceptions.Count(), 0u);
}

TEST_F(SmtpSession, WhichAccountIsUsed)
{
    RecordEvents();
    // No holder, or a default account without a server: one report, no session.
    Mail->SetAccountInfo(nullptr);
    EXPECT_FALSE(Mail->Execute());
    Mail->SetAccountInfo(Holder);
    Account->SMTPServer = "";
    EXPECT_FALSE(Mail->Execute());
    EXPECT_EQ(Errors, Lines(2, "-ERR|No account information available"));
    EXPECT_EQ(Log, (Lines{"BeforeExecute", "AfterExecute", "BeforeExecute", "AfterExecute"}));

    // No default account: nothing reported.
    Errors.clear();
    Account->SMTPServer = "127.0.0.1";
    Account->SetDefault(false);
    EXPECT_FALSE(Mail->Execute());
    EXPECT_TRUE(Errors.empty());

    // Only the second account is the default: its server is used.
    Account->SMTPPort = FreeLoopbackPort();
    TQELMailAccount* second = Holder->Accounts()->Add();
    second->SetDefault(true);
    second->SMTPServer = "127.0.0.1";
    ScriptedSmtpServer server({});
    second->SMTPPort = server.Port();
    AddMessage();
    EXPECT_TRUE(Mail->Execute());
    EXPECT_EQ(server.Commands(), Dialogue(1));
    EXPECT_EQ(Mail->CurrentAccount, second);
    EXPECT_TRUE(Errors.empty());
}

TEST_F(SmtpSession, RemovedHolderIsForgotten)
{
    ScriptedSmtpServer server({});
    Run(server);
    ASSERT_EQ(Mail->CurrentAccount, Account);
    delete Holder;  // on the component's own form; its accounts go with it
    Holder = nullptr;
    EXPECT_EQ(Mail->AccountInfo(), nullptr);
    EXPECT_EQ(Mail->CurrentAccount, nullptr);
    EXPECT_FALSE(Mail->Execute());
    EXPECT_EQ(Errors, Lines{"-ERR|No account information available"});

    TComponent otherForm(nullptr);
    auto* holder = new TQELAccountHolder(&otherForm);
    Mail->SetAccountInfo(holder);
    delete holder;
    EXPECT_EQ(Mail->AccountInfo(), nullptr);
}

TEST_F(SmtpSession, UnreadableAttachmentEndsTheRunThroughTheExceptionHandler)
{
    ScriptedSmtpServer server({});
    AddMessage()->Attachments()->Add("/nonexistent/folder/report.pdf");
    AddMessage();
    EXPECT_FALSE(Run(server));
    EXPECT_EQ(server.Commands(), Lines{"HELO " + HostName()}) << "no MAIL for either message, no QUIT";
    ASSERT_EQ(Exceptions.Count(), 1u);
    EXPECT_EQ(Exceptions.Reports[0].Sender, Mail);
    EXPECT_TRUE(Errors.empty());
    EXPECT_FALSE(Mail->Busy);
    EXPECT_FALSE(Mail->Connected);
    EXPECT_EQ(Mail->ClientSocket, nullptr);
}

TEST_F(SmtpSession, BusyKeepsASecondRunOut)
{
    RecordEvents();
    ScriptedSmtpServer server({});
    AddMessage();
    bool inner = false;
    Mail->OnBeforeSend = [&](TObject*) {
        Log.push_back("OnBeforeSend");
        inner = Mail->Execute();
    };
    EXPECT_TRUE(Run(server));
    EXPECT_TRUE(inner);
    EXPECT_EQ(server.Commands(), Dialogue(1)) << "the running session goes on to its QUIT";
    EXPECT_EQ(std::count(Log.begin(), Log.end(), "BeforeExecute"), 2);
    EXPECT_EQ(std::count(Log.begin(), Log.end(), "OnSuccessSend"), 1);
    EXPECT_EQ(std::count_if(Log.begin(), Log.end(), [](auto& e) { return e.rfind("OnConnect", 0) == 0; }), 1);
}

TEST_F(SmtpSession, ARetryFromOnErrorLeavesTheRunningSessionAlone)
{
    // The error report clears Busy before OnError fires; a second session must still wait its turn.
    ScriptedSmtpServer server({.Answers = {{"MAIL", {Say("553 sender refused")}}}}, 2);
    RecordEvents();
    AddMessage();
    int reports = 0;
    bool retried = false;
    Mail->OnError = [&](TObject*, const String&, const String&, bool) {
        if (++reports == 1) retried = Mail->Execute();
    };
    EXPECT_TRUE(Run(server));
    EXPECT_TRUE(retried);
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(std::count_if(Log.begin(), Log.end(), [](auto& e) { return e.rfind("OnConnect", 0) == 0; }), 1);
    EXPECT_EQ(Mail->CurrentAccount, Account);
    EXPECT_FALSE(Mail->Busy);
}

TEST_F(SmtpSession, TextLinesArePacedByDefault)
{
    auto fresh = std::make_unique<TQELSMTPMail>(nullptr);
    EXPECT_EQ(fresh->LinePause(), 40);
    Mail->SetLinePause(40);
    ScriptedSmtpServer server({});
    AddMessage();
    const auto start = Clock::now();
    Run(server);
    const auto elapsed = Clock::now() - start;
    ASSERT_EQ(server.Texts().size(), 1u);
    EXPECT_GE(elapsed, 40ms * (server.Texts()[0].size() - 2));  // one pause per composed entry
}

TEST(MailHost, ReportsAndIdleOperations)
{
    TQELSMTPMail mail(nullptr);
    Lines errors, responses;
    mail.OnError = [&](TObject* S, const String& Status, const String&, bool) { EXPECT_EQ(S, &mail); errors.push_back(Status); };
    mail.OnServerResponse = [&](TObject*, const String& Status, const String&, bool) { responses.push_back(Status); };
    mail.HandleServerResponse("-err", "locked", false);
    mail.HandleServerResponse("250", "fine", false);
    mail.HandleServerResponse("250", "but wrong", true);
    EXPECT_EQ(errors, (Lines{"-err", "250"}));
    EXPECT_EQ(responses, (Lines{"-err", "250", "250"}));

    // Without a session nothing is written, read or reported.
    responses.clear();
    mail.SendSocketText("QUIT\r\n");
    EXPECT_EQ(mail.GetSocketText(), "");
    mail.Disconnect();
    EXPECT_TRUE(responses.empty());
    EXPECT_EQ(mail.About, "(QEL Mail Components)");
}

TEST_F(SmtpSession, RepliesThatArriveTogether)
{
    // At each step the server sends its reply together with the next one (a pipelining server does,
    // so does one that answers the next step early), or every reply one byte at a time: each reply
    // is read once, in order, and the dialogue completes.
    struct Case {
        const char* Step;
        SmtpScript Script;
    };
    const std::vector<Case> cases = {
        {"greeting", {.Greeting = Say("220 test.local ready\r\n250 test.local"), .Answers = {{"HELO", {Early()}}}}},
        {"HELO", {.Answers = {{"HELO", {Say("250-test.local\r\n250 HELP\r\n250 sender ok")}}, {"MAIL", {Early()}}}}},
        {"MAIL", {.Answers = {{"MAIL", {Say("250 sender ok\r\n250 recipient ok")}}, {"RCPT", {Early()}}}}},
        {"RCPT", {.Answers = {{"RCPT", {Say("250 recipient ok\r\n354 go on")}}, {"DATA", {Early()}}}}},
        {"DATA", {.Answers = {{"DATA", {Say("354 go on\r\n250 queued")}}, {".", {Early()}}}}},
        {"end of text", {.Answers = {{".", {Say("250 queued\r\n221 bye")}}, {"QUIT", {Early()}}}}},
        {"bytewise", {.Greeting = Trickle("220 test.local ready", 1ms),
                      .Answers = {{"HELO", {Trickle("250-test.local\r\n250 HELP", 1ms)}},
                                  {"MAIL", {Trickle("250 sender ok", 1ms)}}, {"RCPT", {Trickle("250 recipient ok", 1ms)}},
                                  {"DATA", {Trickle("354 go on", 1ms)}}, {".", {Trickle("250 queued", 1ms)}},
                                  {"QUIT", {Trickle("221 bye", 1ms)}}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Step);
        Log.clear();
        Errors.clear();
        Replies.clear();
        RecordEvents();
        Mail->Messages()->Clear();
        AddMessage();
        ScriptedSmtpServer server(c.Script);
        EXPECT_TRUE(Run(server));
        EXPECT_EQ(server.Commands(), Dialogue(1));
        EXPECT_EQ(Replies, (Lines{"220", "250", "250", "250", "354", "250", "221"}));
        EXPECT_EQ(std::count(Log.begin(), Log.end(), "OnSuccessSend"), 1);
        EXPECT_TRUE(Errors.empty());
    }
}

TEST_F(SmtpSession, SilentServerEndsTheSessionWithinTheBound)
{
    // Ten empty waits of the account's TimeOut in a row end any wait: here 10 x 100 ms.
    Account->SetTimeOut(1);
    struct Case {
        const char* Where;
        SmtpScript Script;
        std::string Error;
    };
    const std::vector<Case> cases = {
        {"greeting", {.Greeting = Silence(2500ms), .Answers = {}}, "0|No greeting from the server within 1 s"},
        {"HELO", {.Answers = {{"HELO", {Silence(2500ms)}}}}, "0|No reply from the server to HELO within 1 s"},
        {"MAIL", {.Answers = {{"MAIL", {Silence(2500ms)}}}}, "0|No reply from the server to MAIL FROM within 1 s"},
        {"mid-reply", {.Answers = {{"RCPT", {Reply{"250-recipient ok\r\n250 rec"}}}}},
         "0|No reply from the server to RCPT TO within 1 s"},
        {"end of text", {.Answers = {{".", {Silence(2500ms)}}}}, "0|No reply from the server to end of text within 1 s"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Where);
        Log.clear();
        Errors.clear();
        RecordEvents();
        Mail->Messages()->Clear();
        AddMessage();
        ScriptedSmtpServer server(c.Script);
        const auto start = Clock::now();
        EXPECT_TRUE(Run(server));
        EXPECT_GE(Clock::now() - start, 950ms);
        EXPECT_LT(Clock::now() - start, 2s);
        EXPECT_EQ(Errors, Lines{c.Error});
        EXPECT_EQ(std::count(Log.begin(), Log.end(), "OnSuccessSend"), 0);
        EXPECT_EQ(Exceptions.Count(), 0u);
        EXPECT_FALSE(Mail->Busy);
        EXPECT_FALSE(Mail->Connected);
    }
}

TEST_F(SmtpSession, ClosingPeerIsReportedWithWhereItHappened)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"greeting", "at the greeting"}, {"HELO", "in reply to HELO"}, {"MAIL", "in reply to MAIL FROM"},
        {"RCPT", "in reply to RCPT TO"}, {"DATA", "in reply to DATA"}, {".", "in reply to end of text"}};
    for (const auto& [word, where] : cases) {
        SCOPED_TRACE(word);
        Errors.clear();
        SmtpScript script;
        if (word == "greeting") script.Greeting = HangUp();
        else script.Answers[word] = {HangUp()};
        ScriptedSmtpServer server(script);
        Mail->Messages()->Clear();
        AddMessage();
        EXPECT_TRUE(Run(server));
        EXPECT_EQ(Errors, Lines{"0|The server closed the connection " + where});
    }
    // Also when the reply is cut off: what arrived of it is no reply.
    Errors.clear();
    ScriptedSmtpServer cut({.Answers = {{"RCPT", {Reply{"250-recipient\r\n250 rec", 0, {}, true}}}}});
    EXPECT_TRUE(Run(cut));
    EXPECT_EQ(Errors, Lines{"0|The server closed the connection in reply to RCPT TO"});
}

TEST_F(SmtpSession, AcceptedMessageStandsWhenClosingFails)
{
    // The server keeps a message it accepted: a failed QUIT is reported as such, never as a message
    // not sent, and the message's events have fired.
    Account->SetTimeOut(1);
    struct Case {
        const char* Quit;
        Reply Answer;
        std::string Status;
        std::string Failure;
    };
    const std::vector<Case> cases = {
        {"other reply", Say("250 whatever"), "250", "250 whatever"},
        {"hang-up", HangUp(), "0", "The server closed the connection in reply to QUIT"},
        {"silence", Silence(2500ms), "0", "No reply from the server to QUIT within 1 s"},
        {"reset", HangUp(true), std::to_string(ECONNRESET), std::string(std::strerror(ECONNRESET)) + " (127.0.0.1:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Quit);
        Log.clear();
        Errors.clear();
        RecordEvents();
        Mail->Messages()->Clear();
        AddMessage();
        AddMessage("carl@test.local");
        ScriptedSmtpServer server({.Answers = {{"QUIT", {c.Answer}}}});
        EXPECT_TRUE(Run(server));
        ASSERT_EQ(Errors.size(), 1u);
        EXPECT_EQ(Errors[0].rfind(c.Status + "|2 message(s) accepted; closing the session failed: " + c.Failure, 0), 0u)
            << Errors[0];
        EXPECT_EQ(std::count(Log.begin(), Log.end(), "OnSuccessSend"), 2);
        EXPECT_EQ(std::count(Log.begin(), Log.end(), "OnAfterSend Message 2"), 1);
        EXPECT_EQ(Exceptions.Count(), 0u);
        EXPECT_FALSE(Mail->Connected);
    }
    // Nothing accepted: the failed QUIT is reported as it is.
    Errors.clear();
    Mail->Messages()->Clear();
    ScriptedSmtpServer empty({.Answers = {{"QUIT", {HangUp()}}}});
    EXPECT_TRUE(Run(empty));
    EXPECT_EQ(Errors, Lines{"0|The server closed the connection in reply to QUIT"});
}

TEST_F(SmtpSession, SendMessageOutsideASessionFailsAndChangesNothing)
{
    ScriptedSmtpServer server({});
    AddMessage();
    ASSERT_TRUE(Run(server));
    ASSERT_TRUE(Errors.empty());
    RecordEvents();
    TQELMessage* late = AddMessage();
    EXPECT_FALSE(Mail->SendMessage(late));
    EXPECT_EQ(Errors, Lines{"0|Not connected to a server: MAIL FROM was not sent"});
    EXPECT_TRUE(Log.empty()) << "no OnBeforeSend, no success";
    EXPECT_TRUE(late->Date.empty());
    EXPECT_EQ(Mail->LastStatus, "221");
    EXPECT_FALSE(Mail->Connected);
}

TEST_F(SmtpSession, UnknownServerNameIsReportedWithItsName)
{
    Account->SMTPServer = "no-such-host.invalid";
    Account->SetTimeOut(1);  // a resolver that does not answer costs a second
    AddMessage();
    const auto start = Clock::now();
    EXPECT_TRUE(Mail->Execute());
    EXPECT_LT(Clock::now() - start, 3s);
    ASSERT_EQ(Errors.size(), 2u);
    const std::string where = "no-such-host.invalid:" + std::to_string(Account->SMTPPort);
    EXPECT_NE(Errors[0].find("(" + where + ") while connecting"), std::string::npos) << Errors[0];
    EXPECT_EQ(Errors[1].rfind("0|Can not connect to server " + where + ": ", 0), 0u) << Errors[1];
    EXPECT_GT(Errors[1].size(), ("0|Can not connect to server " + where + ": ").size()) << "the resolver's words";
}
