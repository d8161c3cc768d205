// TQELPOPMail against a scripted POP3 server on 127.0.0.1: each scenario is the server's script
// (what the client must send, what the server answers) and the lines and events the client gives.
#include "framework/core/SysUtils.h"
#include "mail/MailTestSupport.h"
#include "mail/pop/POPMail.h"
#include "tests/support/ScriptedServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <utility>

using namespace qel;

namespace {

// One exchange: the line the client sends ("" for the greeting), then the server's answer, sent
// piece by piece (a few pieces with a clear pause between them, many pieces quickly); End may then
// close the connection, or reset it a moment later.
using qeltest::TEnd;
struct TRow {
    String Client;
    std::vector<String> Server;
    TEnd End = TEnd::Stay;
};
using TScript = std::vector<TRow>;

TScript operator+(TScript A, const TScript& B)
{
    A.insert(A.end(), B.begin(), B.end());
    return A;
}

std::vector<String> ClientLines(const TScript& Script)
{
    std::vector<String> lines;
    for (const TRow& row : Script)
        if (!row.Client.empty()) lines.push_back(row.Client);
    return lines;
}

// The scripted server playing one script per connection, in order; it keeps every line each
// client sent, including any sent after the script ran out.
std::vector<std::unique_ptr<qeltest::TConversation>> Conversations(const std::vector<TScript>& Scripts)
{
    std::vector<std::unique_ptr<qeltest::TConversation>> conversations;
    for (const TScript& script : Scripts) {
        qeltest::TDialogue rows;
        for (const TRow& row : script) {
            const auto gap = std::chrono::milliseconds(row.Server.size() <= 4 ? 50 : 2);
            rows.push_back({row.Client, {row.Server, gap, {}, row.End}});
        }
        conversations.push_back(qeltest::Played(std::move(rows)));
    }
    return conversations;
}

class TPopServer : public qeltest::TScriptedServer {
public:
    explicit TPopServer(const std::vector<TScript>& Scripts) : TScriptedServer(Conversations(Scripts)) {}
};

String Note(int N, const String& Body = "")
{
    const String n = IntToStr(N);
    return "From: Ann Smith <ann@example.org>\r\nSubject: Note " + n + "\r\nMessage-ID: <" + n +
           "@example.org>\r\n\r\n" + (Body.empty() ? "Body " + n : Body) + "\r\n";
}

String Octets(const String& Text) { return "+OK " + IntToStr(Text.size()) + " octets\r\n" + Text + ".\r\n"; }

std::vector<String> Bytewise(const String& Text)
{
    std::vector<String> pieces;
    for (char c : Text) pieces.push_back(String(1, c));
    return pieces;
}

TScript Opening(const String& StatReply)
{
    return {{"", {"+OK POP3 ready\r\n"}},
            {"USER ann", {"+OK\r\n"}},
            {"PASS secret", {"+OK logged in\r\n"}},
            {"STAT", {StatReply + "\r\n"}}};
}

const TScript Quit = {{"QUIT", {"+OK bye\r\n"}}};

class PopSession : public ::testing::Test {
protected:
    PopSession()
    {
        Pop.SetAccountInfo(&Holder);
        Pop.BeforeExecute = [this](TObject*) { Events.push_back("BeforeExecute"); };
        Pop.AfterExecute = [this](TObject*) { Events.push_back("AfterExecute"); };
        Pop.BeforeRetrieve = [this](TObject*, uint16_t N) { Events.push_back("BeforeRetrieve " + IntToStr(N)); };
        Pop.AfterRetrieve = [this](TObject*, TQELMessage* M) { Events.push_back("AfterRetrieve " + M->Subject); };
        Pop.OnDelete = [this](TObject*, uint16_t N) { Events.push_back("OnDelete " + IntToStr(N)); };
        Pop.OnRetrieveProgress = [this](TObject*, uint16_t P, int32_t) { Progress.push_back(P); };
        Pop.OnError = [this](TObject*, const String& Status, const String& Text, bool) {
            Errors.push_back(Status + "|" + Text);
        };
    }

    TQELMailAccount* AddAccount(int Port)
    {
        TQELMailAccount* account = Holder.Accounts()->Add();
        account->Pop3Server = "127.0.0.1";
        account->Pop3Port = Port;
        account->Username = "ann";
        account->Password = "secret";
        return account;
    }

    std::vector<String> Subjects() const
    {
        std::vector<String> subjects;
        for (int i = 0; i < Pop.Messages()->Count(); ++i) subjects.push_back(Pop.Messages()->Items(i)->Subject);
        return subjects;
    }

    TQELAccountHolder Holder{nullptr};
    TQELPOPMail Pop{nullptr};
    std::vector<String> Events;
    std::vector<String> Errors;
    std::vector<int> Progress;
};

using Lines = std::vector<String>;

}  // namespace

TEST_F(PopSession, CommandSequence)
{
    // RETR n, DELE n for every message, then QUIT that commits the deletions.
    const TScript deleting = Opening("+OK 3 5120") +
        TScript{{"RETR 1", {Octets(Note(1))}}, {"DELE 1", {"+OK\r\n"}},
                {"RETR 2", {Octets(Note(2))}}, {"DELE 2", {"+OK\r\n"}},
                {"RETR 3", {Octets(Note(3, String("NUL \0 inside\r\nlast", 18)))}}, {"DELE 3", {"+OK\r\n"}}} + Quit;
    TPopServer server({deleting});
    AddAccount(server.Port())->DeleteOffServer = true;
    EXPECT_TRUE(Pop.Execute());
    EXPECT_EQ(server.Lines(), ClientLines(deleting));
    EXPECT_EQ(Events, Lines({"BeforeExecute", "BeforeRetrieve 1", "AfterRetrieve Note 1", "OnDelete 1",
                             "BeforeRetrieve 2", "AfterRetrieve Note 2", "OnDelete 2", "BeforeRetrieve 3",
                             "AfterRetrieve Note 3", "OnDelete 3", "AfterExecute"}));
    EXPECT_EQ(Pop.MessageCount, 0);
    EXPECT_EQ(Pop.Messages()->Items(2)->MessageNumber, 3);
    EXPECT_EQ(Pop.Messages()->Items(2)->Message()->Text(), String("NUL \0 inside\nlast\n", 18));  // nothing cut
    EXPECT_FALSE(Pop.Busy);
    EXPECT_TRUE(Errors.empty());

    // Headers only: TOP n 0, whose status line carries no size (and stray bytes after the end).
    const TScript tops =
        Opening("+OK 1 300") + TScript{{"TOP 1 0", {"+OK\r\nSubject: Top\r\n\r\n.\r\nstray\r\n"}}} + Quit;
    TPopServer topServer({tops});
    Holder.Accounts()->Items(0)->Pop3Port = topServer.Port();
    Holder.Accounts()->Items(0)->DeleteOffServer = false;
    Holder.Accounts()->Items(0)->HeaderOnly = true;
    Pop.Execute();
    EXPECT_EQ(topServer.Lines(), ClientLines(tops));
    EXPECT_EQ(Subjects().back(), "Top");
    EXPECT_EQ(Pop.Messages()->Items(3)->Message()->Count(), 0);
}

TEST_F(PopSession, StatReplies)
{
    struct TCase { String Reply; uint16_t Count; };
    for (const TCase& c : {TCase{"+OK 0 0", 0}, TCase{"+OK 2", 0}, TCase{"+OK 7 900", 7}}) {
        SCOPED_TRACE(c.Reply);
        const TScript script = Opening(c.Reply) + Quit;
        TPopServer server({script});
        Holder.Accounts()->Clear();
        // The building blocks, as a host drives them inside its own session.
        Pop.CurrentAccount = AddAccount(server.Port());
        Pop.Connect("127.0.0.1", server.Port(), 60);
        ASSERT_TRUE(Pop.Login());
        EXPECT_EQ(Pop.Init(), c.Count);
        if (c.Count == 0) {
            EXPECT_EQ(Pop.RetrieveMessages(), 0);
        }
        Pop.Disconnect();
        EXPECT_EQ(server.Lines(), ClientLines(script));
    }
    EXPECT_TRUE(Errors.empty());
}

TEST_F(PopSession, ErrorRepliesEndTheSessionWithoutQuit)
{
    // Each script ends where the client must stop: no further command, no QUIT (nothing committed).
    struct TCase { TScript Script; uint16_t EarlierCount; Lines Errors; Lines Events; };
    const TScript ready = {{"", {"+OK ready\r\n"}}};
    const TScript user = ready + TScript{{"USER ann", {"+OK\r\n"}}};
    const std::vector<TCase> cases = {
        // The greeting's report, then USER's reply check on the closed connection reports once more.
        {{{"", {"-err server busy\r\n"}}}, 0, {"0|-ERR server busy", "0|-ERR server busy"}, {}},
        {ready + TScript{{"USER ann", {"-ERR unknown user\r\n"}}}, 0, {"0|-ERR unknown user"}, {}},
        {user + TScript{{"PASS secret", {"-ERR wrong password\r\n"}}}, 0, {"0|-ERR wrong password"}, {}},
        {Opening("-ERR locked"), 0, {"0|-ERR locked"}, {}},
        // STAT failed, yet the count of an earlier session drives one more request that goes nowhere.
        {Opening("-ERR locked"), 2, {"0|-ERR locked", "0|-ERR locked"}, {"BeforeRetrieve 1"}},
        {Opening("+OK 2 200") + TScript{{"RETR 1", {"-ERR no such message\r\n"}}}, 0,
         {"0|-ERR no such message"}, {"BeforeRetrieve 1"}},
        {Opening("+OK 2 200") + TScript{{"RETR 1", {Octets(Note(1))}}, {"DELE 1", {"-Err busy\r\n"}}}, 0,
         {"0|-ERR busy"}, {"BeforeRetrieve 1", "AfterRetrieve Note 1"}},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const TCase& c = cases[i];
        TPopServer server({c.Script});
        Holder.Accounts()->Clear();
        AddAccount(server.Port())->DeleteOffServer = true;
        Pop.MessageCount = c.EarlierCount;
        Events.clear();
        Errors.clear();
        EXPECT_TRUE(Pop.Execute());  // server errors reach the host through the events only
        EXPECT_EQ(server.Lines(), ClientLines(c.Script));
        EXPECT_EQ(Errors, c.Errors);
        Lines expected = {"BeforeExecute"};
        expected.insert(expected.end(), c.Events.begin(), c.Events.end());
        expected.push_back("AfterExecute");
        EXPECT_EQ(Events, expected);
        EXPECT_FALSE(Pop.Busy);
    }
    EXPECT_EQ(Pop.Messages()->Count(), 1);  // the message read before the failed DELE stays
}

TEST_F(PopSession, UnreachableServerAndMissingHolder)
{
    const int port = qeltest::FreeLoopbackPort();
    AddAccount(port);
    TPopServer second({Opening("+OK 0 0") + Quit});
    AddAccount(second.Port());
    EXPECT_TRUE(Pop.Execute());
    // The socket's own notice (its errno), then "Can not connect", the missing greeting and the
    // failed USER: the three reports of the dialogue. The second account is read all the same.
    EXPECT_EQ(Errors, Lines({IntToStr(ECONNREFUSED) + "| ", "0| Can not connect to server",
                             "0| Can not connect to server", "0| Can not connect to server"}));
    EXPECT_EQ(second.Lines(), ClientLines(Opening("+OK 0 0") + Quit));

    Errors.clear();
    Events.clear();
    Pop.SetAccountInfo(nullptr);
    EXPECT_FALSE(Pop.Execute());
    EXPECT_EQ(Events, Lines({"BeforeExecute", "AfterExecute"}));
    EXPECT_EQ(Errors, Lines({"-ERR|No account information available"}));
}

TEST_F(PopSession, RepliesSplitAnywhere)
{
    // Every reply one byte at a time.
    TScript bytewise;
    for (const TRow& row : Opening("+OK 1 120") + TScript{{"RETR 1", {Octets(Note(1))}}} + Quit)
        bytewise.push_back({row.Client, Bytewise(row.Server.front())});
    // The terminator cut between two reads at each of its positions; bytes after it are no text.
    TScript split = Opening("+OK 5 500");
    for (int cut = 0; cut < 5; ++cut) {
        const String reply = Octets(Note(10 + cut));
        const size_t at = reply.size() - 5 + static_cast<size_t>(cut);
        split.push_back({"RETR " + IntToStr(cut + 1), {reply.substr(0, at), reply.substr(at) + "stray\r\n"}});
    }
    split = split + Quit;
    TPopServer server({bytewise, split});
    AddAccount(server.Port());
    Pop.Execute();
    Pop.Execute();
    EXPECT_EQ(server.Lines(0), ClientLines(bytewise));
    EXPECT_EQ(server.Lines(1), ClientLines(split));
    EXPECT_EQ(Subjects(), Lines({"Note 1", "Note 10", "Note 11", "Note 12", "Note 13", "Note 14"}));
    for (int i = 0; i < Pop.Messages()->Count(); ++i)
        EXPECT_EQ(Pop.Messages()->Items(i)->Message()->Count(), 1) << i;  // the body line, no "."
    EXPECT_TRUE(Errors.empty());
}

TEST_F(PopSession, ServerGoneMidMessage)
{
    const String partial = "+OK 500 octets\r\n" + Note(1).substr(0, 40);
    const TScript closes = Opening("+OK 2 1000") + TScript{{"RETR 1", {partial}, TEnd::Close}};
    const TScript resets = Opening("+OK 2 1000") + TScript{{"RETR 1", {partial}, TEnd::Reset}};
    // Silent with the connection open: ten of the account's waits (here 100 ms each) end it.
    const TScript silent = Opening("+OK 2 1000") + TScript{{"RETR 1", {partial}}};
    TPopServer server({closes, silent, resets});
    TQELMailAccount* account = AddAccount(server.Port());
    account->DeleteOffServer = true;
    account->SetTimeOut(1);
    MailTest::TExceptionLog exceptions;
    // A reset is reported once, by the socket's own notice with its error code.
    for (const String& status : Lines{"0", "0", IntToStr(ECONNRESET)}) {
        Errors.clear();
        const auto start = std::chrono::steady_clock::now();
        Pop.Execute();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
        EXPECT_EQ(Errors, Lines({status + "|+OK 500 octets"}));
    }
    // No message, and neither DELE nor QUIT went out: nothing is deleted on the server.
    EXPECT_EQ(server.Lines(0), ClientLines(closes));
    EXPECT_EQ(server.Lines(1), ClientLines(silent));
    EXPECT_EQ(server.Lines(2), ClientLines(resets));
    EXPECT_EQ(Pop.Messages()->Count(), 0);
    EXPECT_EQ(std::count(Events.begin(), Events.end(), "BeforeRetrieve 1"), 3);
    EXPECT_EQ(exceptions.Count(), 0u);
}

TEST_F(PopSession, DuplicatesByMessageId)
{
    const TScript mailbox = Opening("+OK 2 400") +
        TScript{{"RETR 1", {Octets(Note(1))}}, {"RETR 2", {Octets(Note(2))}}} + Quit;
    // Two messages without a Message-ID share the empty one: only the first is kept.
    const TScript noIds = Opening("+OK 2 100") +
        TScript{{"RETR 1", {Octets("Subject: A\r\n\r\nx\r\n")}},
                {"RETR 2", {Octets("Subject: B\r\n\r\ny\r\n")}}} + Quit;
    TPopServer server({mailbox, mailbox, noIds});
    AddAccount(server.Port());
    Pop.Execute();
    Pop.Execute();
    EXPECT_EQ(Events, Lines({"BeforeExecute", "BeforeRetrieve 1", "AfterRetrieve Note 1", "BeforeRetrieve 2",
                             "AfterRetrieve Note 2", "AfterExecute", "BeforeExecute", "BeforeRetrieve 1",
                             "BeforeRetrieve 2", "AfterExecute"}));
    Pop.Execute();
    EXPECT_EQ(Subjects(), Lines({"Note 1", "Note 2", "A"}));
    EXPECT_EQ(server.Lines(1), ClientLines(mailbox));
}

TEST_F(PopSession, DeletedNumbersBelongToOneSession)
{
    // A handler deletes message 3 while message 1 is handed over: 3 is not requested afterwards.
    const TScript first = Opening("+OK 3 300") +
        TScript{{"RETR 1", {Octets(Note(1))}}, {"DELE 3", {"+OK\r\n"}}, {"RETR 2", {Octets(Note(2))}}} + Quit;
    // The next session numbers the mailbox afresh: 3 is read again.
    const TScript second = Opening("+OK 3 300") + TScript{{"RETR 1", {Octets(Note(1))}},
        {"RETR 2", {Octets(Note(2))}}, {"RETR 3", {Octets(Note(4))}}} + Quit;
    TPopServer server({first, second});
    AddAccount(server.Port());
    bool deleteThree = true;
    Pop.AfterRetrieve = [&](TObject*, TQELMessage*) {
        if (std::exchange(deleteThree, false)) Pop.DeleteMessage(3);
    };
    Pop.Execute();
    EXPECT_EQ(Events, Lines({"BeforeExecute", "BeforeRetrieve 1", "OnDelete 3", "BeforeRetrieve 2", "AfterExecute"}));
    Pop.Execute();
    EXPECT_EQ(server.Lines(0), ClientLines(first));
    EXPECT_EQ(server.Lines(1), ClientLines(second));
}

TEST_F(PopSession, EraseMessageRenumbersTheAccount)
{
    TQELMailAccount* a = AddAccount(0);
    TQELMailAccount* b = AddAccount(0);
    using THeld = std::pair<TQELMailAccount*, int>;
    for (auto [account, number] : {THeld{a, 1}, THeld{a, 2}, THeld{b, 2}, THeld{a, 3}, THeld{a, 4}}) {
        TQELMessage* m = Pop.Messages()->Add();
        m->Account = account;
        m->MessageNumber = number;
        m->Subject = (account == a ? "a" : "b") + IntToStr(number);
    }
    auto numbers = [&] {
        Lines held;
        for (int i = 0; i < Pop.Messages()->Count(); ++i) {
            const TQELMessage* m = Pop.Messages()->Items(i);
            held.push_back(m->Subject + ":" + IntToStr(m->MessageNumber));
        }
        return held;
    };
    const TScript erased = Opening("+OK 4 400") + TScript{{"DELE 2", {"+OK\r\n"}}} + Quit;
    // DELE refused: the held copy goes, but nothing was deleted, so no number moves.
    const TScript refused = Opening("+OK 3 300") + TScript{{"DELE 2", {"-ERR no\r\n"}}};
    TPopServer server({erased, refused});
    a->Pop3Port = server.Port();
    EXPECT_TRUE(Pop.EraseMessage(1));
    EXPECT_EQ(numbers(), Lines({"a1:1", "b2:2", "a3:2", "a4:3"}));
    EXPECT_FALSE(Pop.EraseMessage(2));
    EXPECT_EQ(numbers(), Lines({"a1:1", "b2:2", "a4:3"}));
    EXPECT_EQ(server.Lines(0), ClientLines(erased));
    EXPECT_EQ(server.Lines(1), ClientLines(refused));
    // A message that was never read from an account opens no session.
    Pop.Messages()->Add();
    EXPECT_FALSE(Pop.EraseMessage(3));
    EXPECT_FALSE(Pop.DownloadMessage(3));
    EXPECT_EQ(Errors, Lines({"0|-ERR no"}));
}

TEST_F(PopSession, DownloadMessageReplacesHeadersOnlyCopy)
{
    const TScript tops = Opening("+OK 2 200") +
        TScript{{"TOP 1 0", {"+OK\r\nSubject: Note 1\r\nMessage-ID: <1@example.org>\r\n\r\n.\r\n"}},
                {"TOP 2 0", {"+OK\r\nSubject: Note 2\r\nMessage-ID: <2@example.org>\r\n\r\n.\r\n"}}} + Quit;
    // The full text is multipart: the headers-only setting of the account must not drop its parts.
    const String full = "+OK 160 octets\r\nSubject: Note 1\r\nMessage-ID: <1@example.org>\r\n"
                        "Content-Type: multipart/mixed; boundary=q\r\n\r\n--q\r\nContent-Type: text/plain\r\n\r\n"
                        "Body 1\r\n--q\r\nContent-Type: application/octet-stream; name=\"a.bin\"\r\n"
                        "Content-Transfer-Encoding: base64\r\n\r\nYWJj\r\n--q--\r\n.\r\n";
    const TScript retr = Opening("+OK 2 200") + TScript{{"RETR 1", {full}}} + Quit;
    TPopServer server({tops, retr});
    AddAccount(server.Port())->HeaderOnly = true;
    Pop.Execute();
    ASSERT_EQ(Pop.Messages()->Count(), 2);
    EXPECT_FALSE(Pop.DownloadMessage(2));  // past the last: no session
    EXPECT_TRUE(Pop.DownloadMessage(0));
    EXPECT_EQ(Subjects(), Lines({"Note 2", "Note 1"}));
    EXPECT_EQ(Pop.Messages()->Items(1)->Message()->Text(), "Body 1\n");
    ASSERT_EQ(Pop.Messages()->Items(1)->Attachments()->Count(), 1);
    EXPECT_EQ(Pop.Messages()->Items(1)->Attachments()->Items(0)->Content->DataString(), "abc");
    EXPECT_EQ(server.Lines(1), ClientLines(retr));
}

TEST_F(PopSession, BusyLeavesTheRunningSessionAlone)
{
    const TScript first = Opening("+OK 2 200") +
        TScript{{"RETR 1", {Octets(Note(1))}}, {"RETR 2", {Octets(Note(2))}}} + Quit;
    const TScript second = Opening("+OK 0 0") + Quit;
    TPopServer server({first, second});
    TQELMailAccount* a = AddAccount(server.Port());
    AddAccount(server.Port());
    Lines nested;
    Pop.AfterRetrieve = [&](TObject*, TQELMessage* M) {
        if (M->MessageNumber != 1) return;
        nested.push_back(Pop.Busy ? "busy" : "idle");
        nested.push_back(Pop.DownloadMessage(0) ? "downloaded" : "not downloaded");
        nested.push_back(Pop.EraseMessage(0) ? "erased" : "not erased");
        Pop.Execute();
    };
    EXPECT_TRUE(Pop.Execute());
    EXPECT_EQ(nested, Lines({"busy", "not downloaded", "not erased"}));
    EXPECT_EQ(server.Lines(0), ClientLines(first));
    EXPECT_EQ(server.Lines(1), ClientLines(second));
    ASSERT_EQ(Subjects(), Lines({"Note 1", "Note 2"}));
    EXPECT_EQ(Pop.Messages()->Items(1)->Account, a);  // the nested call did not switch accounts
    EXPECT_TRUE(Errors.empty());

    // The error report clears Busy before OnError fires: a retry from there still waits its turn.
    const TScript failing = Opening("+OK 2 200") + TScript{{"RETR 1", {"-ERR gone\r\n"}}};
    TPopServer once({failing});
    Holder.Accounts()->Clear();
    AddAccount(once.Port())->SetTimeOut(1);
    int reports = 0;
    Pop.OnError = [&](TObject*, const String&, const String&, bool) {
        if (++reports == 1) Pop.Execute();
    };
    Pop.Execute();
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(once.Lines(), ClientLines(failing));
}

TEST_F(PopSession, RetrievalProgress)
{
    const String mail = Note(1, String(100, 'x') + "\r\n" + String(100, 'y'));
    const String whole = "+OK 5120 octets\r\n" + mail + ".\r\n";
    const String top = "+OK\r\n" + mail + ".\r\n";
    const TScript script = Opening("+OK 3 600") +
        TScript{{"RETR 1", {Octets(Note(2))}},                              // one read, terminator in it
                {"RETR 2", {whole.substr(0, 60), whole.substr(60, 120), whole.substr(180)}},
                {"TOP 3 0", {top.substr(0, 100), top.substr(100)}}} + Quit;
    TPopServer server({script});
    AddAccount(server.Port())->SetProgressStep(1);
    std::vector<int32_t> items;
    Pop.OnRetrieveProgress = [&](TObject*, uint16_t Percent, int32_t Item) {
        Progress.push_back(Percent);
        items.push_back(Item);
    };
    Pop.BeforeRetrieve = [&](TObject*, uint16_t N) {
        if (N == 2) {
            EXPECT_EQ(Progress, std::vector<int>({100}));  // one read held it all
        }
        if (N == 3) {
            // "+OK 5120 octets": the percentages stay low, and a closing 100 follows.
            EXPECT_EQ(Pop.MessageSize, 5120);
            ASSERT_GE(Progress.size(), 2u);
            EXPECT_EQ(Progress.back(), 100);
            EXPECT_EQ(Progress.end()[-2], RoundHalfEven(whole.size() * 100.0 / 5120));
        }
        Progress.clear();
    };
    Pop.AfterRetrieve = [&](TObject*, TQELMessage* M) { Pop.CurrentAccount->HeaderOnly = M->MessageNumber == 2; };
    Pop.Execute();
    EXPECT_EQ(server.Lines(), ClientLines(script));
    // TOP announces no size: 100 stands in, so the last percentage is the byte count, past 100.
    EXPECT_EQ(Pop.MessageSize, 100);
    ASSERT_FALSE(Progress.empty());
    EXPECT_EQ(Progress.back(), static_cast<int>(top.size()));
    EXPECT_TRUE(std::is_sorted(Progress.begin(), Progress.end()));
    EXPECT_EQ(items.back(), 2);  // the index the third message gets
}

TEST_F(PopSession, LargeMessageKeepsEveryLine)
{
    // Far more than one read holds, sent at once: every line arrives, each break kind splits, a
    // NUL byte is data, and a line longer than a read is kept whole.
    String body;
    for (int i = 0; i < 3000; ++i) body += "line " + IntToStr(i) + String(60, 'z') + "\r\n";
    body += "lone\rcr\nbare lf\r\n" + String("nul\0byte", 8) + "\r\n" + String(100000, 'w') + "\r\n..dot";
    const String mail = Note(1, body);
    const TScript script = Opening("+OK 1 300000") + TScript{{"RETR 1", {Octets(mail)}}} + Quit;
    TPopServer server({script});
    AddAccount(server.Port());
    Pop.Execute();
    EXPECT_EQ(server.Lines(), ClientLines(script));
    ASSERT_EQ(Pop.Messages()->Count(), 1);
    const TStrings& lines = *Pop.Messages()->Items(0)->Message();
    ASSERT_EQ(lines.Count(), 3000 + 6);
    EXPECT_EQ(lines.Get(2999), "line 2999" + String(60, 'z'));
    EXPECT_EQ(lines.Get(3000), "lone");
    EXPECT_EQ(lines.Get(3001), "cr");
    EXPECT_EQ(lines.Get(3002), "bare lf");
    EXPECT_EQ(lines.Get(3003), String("nul\0byte", 8));
    EXPECT_EQ(lines.Get(3004), String(100000, 'w'));
    EXPECT_EQ(lines.Get(3005), ".dot");
    EXPECT_TRUE(Errors.empty());
}

TEST_F(PopSession, LineBreaksSplitBetweenReads)
{
    // Each kind of line break, and breaks in a row, cut between reads at every byte.
    const String mail = Note(1, "a\rb\nc\r\r\nd\n\re\r\n\r\nf");
    TScript script = Opening("+OK 1 100");
    script.push_back({"RETR 1", Bytewise(Octets(mail))});
    script = script + Quit;
    TPopServer server({script});
    AddAccount(server.Port());
    Pop.Execute();
    EXPECT_EQ(server.Lines(), ClientLines(script));
    ASSERT_EQ(Pop.Messages()->Count(), 1);
    EXPECT_EQ(Pop.Messages()->Items(0)->Message()->ToVector(), Lines({"a", "b", "c", "", "d", "", "e", "", "f"}));
    EXPECT_TRUE(Errors.empty());
}

TEST_F(PopSession, ExceptionDropsTheSessionAndGoesOn)
{
    // A handler fails while message 1 is handed over: no DELE, no QUIT; the next account is read.
    const TScript first = Opening("+OK 2 200") + TScript{{"RETR 1", {Octets(Note(1))}}};
    const TScript second = Opening("+OK 0 0") + Quit;
    TPopServer server({first, second});
    AddAccount(server.Port())->DeleteOffServer = true;
    AddAccount(server.Port());
    Pop.AfterRetrieve = [](TObject*, TQELMessage*) { throw EInOutError("disk full"); };
    MailTest::TExceptionLog exceptions;
    EXPECT_TRUE(Pop.Execute());  // the last account's session went well
    ASSERT_EQ(exceptions.Count(), 1u);
    EXPECT_EQ(exceptions.Reports[0].Sender, &Pop);
    EXPECT_EQ(exceptions.Reports[0].Message, "disk full");
    EXPECT_EQ(server.Lines(0), ClientLines(first));
    EXPECT_EQ(server.Lines(1), ClientLines(second));
    EXPECT_FALSE(Pop.Busy);

    // An exception in the last account's session makes the run's result False.
    const TScript only = Opening("+OK 1 100") + TScript{{"RETR 1", {Octets(Note(2))}}};
    TPopServer last({only});
    Holder.Accounts()->Clear();
    AddAccount(last.Port());
    EXPECT_FALSE(Pop.Execute());
    EXPECT_EQ(last.Lines(), ClientLines(only));
}
