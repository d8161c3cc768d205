// TQELPOPMail against a scripted POP3 server on 127.0.0.1: each scenario is the server's script
// (what the client must send, what the server answers) and the lines and events the client gives.
#include "framework/core/SysUtils.h"
#include "mail/MailTestSupport.h"
#include "mail/pop/POPMail.h"
#include "tests/support/ScriptedServer.h"

#include <QMetaClassInfo>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
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

    // Headers only: TOP n 0, whose status line carries no size (and QUIT's reply early, with it).
    const TScript tops = Opening("+OK 1 300") +
        TScript{{"TOP 1 0", {"+OK\r\nSubject: Top\r\n\r\n.\r\n+OK bye\r\n"}}, {"QUIT", {}}};
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
        // One report: the steps after the failed greeting stay quiet.
        {{{"", {"-err server busy\r\n"}}}, 0, {"0|-ERR server busy"}, {}},
        {ready + TScript{{"USER ann", {"-ERR unknown user\r\n"}}}, 0, {"0|-ERR unknown user"}, {}},
        {user + TScript{{"PASS secret", {"-ERR wrong password\r\n"}}}, 0, {"0|-ERR wrong password"}, {}},
        {Opening("-ERR locked"), 0, {"0|-ERR locked"}, {}},
        // STAT failed: the count of an earlier session drives no request.
        {Opening("-ERR locked"), 2, {"0|-ERR locked"}, {}},
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
    // The socket's own notice (its errno), then "Can not connect"; the steps after it stay quiet.
    // The second account is read all the same.
    const String where = "127.0.0.1:" + IntToStr(port);
    EXPECT_EQ(Errors, Lines({IntToStr(ECONNREFUSED) + "|Connection refused (" + where + ") while connecting",
                             "0|Can not connect to server " + where + ": Connection refused"}));
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
    // The terminator cut between two reads at each of its positions; the bytes after it are the
    // start of the next reply (its status line and first text line), which waits for its rest.
    std::vector<String> replies;
    for (int cut = 0; cut < 5; ++cut) replies.push_back(Octets(Note(10 + cut)));
    replies.push_back("+OK bye\r\n");
    auto early = [](const String& Reply) {
        const size_t second = Reply.find('\n', Reply.find('\n') + 1);
        return second == String::npos ? Reply.size() : second + 1;
    };
    TScript split = Opening("+OK 5 500");
    for (size_t cut = 0; cut < 5; ++cut) {
        const String& reply = replies[cut];
        const size_t from = cut == 0 ? 0 : early(reply);
        const size_t at = reply.size() - 5 + cut;
        split.push_back({"RETR " + IntToStr(static_cast<int>(cut) + 1),
                         {reply.substr(from, at - from), reply.substr(at) + replies[cut + 1].substr(0, early(replies[cut + 1]))}});
    }
    split.push_back({"QUIT", {}});
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
    // Each is reported once, saying what happened where; a reset by the socket's own notice with
    // its error code and the system's words.
    const Lines reports = {"0|The server closed the connection in reply to RETR 1",
                           "0|No reply from the server to RETR 1 within 1 s",
                           IntToStr(ECONNRESET) + "|" + std::strerror(ECONNRESET) + " (127.0.0.1:" +
                               IntToStr(server.Port()) + ") in reply to RETR 1"};
    for (const String& report : reports) {
        Errors.clear();
        const auto start = std::chrono::steady_clock::now();
        Pop.Execute();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
        EXPECT_EQ(Errors, Lines({report}));
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
    // Messages without a Message-ID are never duplicates of each other: both are kept.
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
    EXPECT_EQ(Subjects(), Lines({"Note 1", "Note 2", "A", "B"}));
    EXPECT_EQ(server.Lines(1), ClientLines(mailbox));
}

TEST_F(PopSession, DeletesOnlyWhatTheHostGotOrTrueDuplicates)
{
    // Two messages without a Message-ID are two messages: each is handed over before its DELE.
    // A true duplicate (the Message-ID of a message held) goes without being handed over.
    const String noId = "Subject: A\r\n\r\nonly copy of A\r\n", otherNoId = "Subject: B\r\n\r\nonly copy of B\r\n";
    const TScript mailbox = Opening("+OK 4 400") +
        TScript{{"RETR 1", {Octets(noId)}}, {"DELE 1", {"+OK\r\n"}}, {"RETR 2", {Octets(otherNoId)}},
                {"DELE 2", {"+OK\r\n"}}, {"RETR 3", {Octets(Note(1))}}, {"DELE 3", {"+OK\r\n"}},
                {"RETR 4", {Octets(Note(1, "same id, other text"))}}, {"DELE 4", {"+OK\r\n"}}} + Quit;
    // A message the host released keeps its Message-ID: it is no new message the next time either.
    const TScript again = Opening("+OK 2 200") +
        TScript{{"RETR 1", {Octets(Note(1))}}, {"DELE 1", {"+OK\r\n"}}, {"RETR 2", {Octets(Note(2))}},
                {"DELE 2", {"+OK\r\n"}}} + Quit;
    TPopServer server({mailbox, again});
    AddAccount(server.Port())->DeleteOffServer = true;
    std::vector<String> bodies;
    Pop.AfterRetrieve = [&](TObject*, TQELMessage* M) {
        Events.push_back("AfterRetrieve " + M->Subject);
        bodies.push_back(M->Message()->Text());
        if (M->MessageNumber == 3 || M->Subject == "Note 2") {
            EXPECT_TRUE(Pop.ReleaseMessage(M->Index()));
        }
    };
    Pop.Execute();
    EXPECT_EQ(Events, Lines({"BeforeExecute", "BeforeRetrieve 1", "AfterRetrieve A", "OnDelete 1", "BeforeRetrieve 2",
                             "AfterRetrieve B", "OnDelete 2", "BeforeRetrieve 3", "AfterRetrieve Note 1", "OnDelete 3",
                             "BeforeRetrieve 4", "OnDelete 4", "AfterExecute"}));
    EXPECT_EQ(bodies, Lines({"only copy of A\n", "only copy of B\n", "Body 1\n"}));
    Events.clear();
    Pop.Execute();
    EXPECT_EQ(server.Lines(0), ClientLines(mailbox));
    EXPECT_EQ(server.Lines(1), ClientLines(again));
    EXPECT_EQ(Events, Lines({"BeforeExecute", "BeforeRetrieve 1", "OnDelete 1", "BeforeRetrieve 2",
                             "AfterRetrieve Note 2", "OnDelete 2", "AfterExecute"}));
    EXPECT_EQ(Subjects(), Lines({"A", "B"}));
    EXPECT_TRUE(Errors.empty());
}

TEST_F(PopSession, RetrievedTextAsTheServerSentIt)
{
    // The server put a dot before each line that began with one; a lone "." after a bare LF is
    // text too (as the parser's lines have it), and so are bare line breaks and NUL bytes.
    const String text = "Subject: dots\r\n\r\n.x\r\n.\r\na\n.\r\n\r\n.\n..\r\nc\rd\r\n" + String("n\0l\r\n", 5);
    const String wire = "+OK 60 octets\r\nSubject: dots\r\n\r\n..x\r\n..\r\na\n.\r\n\r\n.\n...\r\nc\rd\r\n" +
                        String("n\0l\r\n", 5) + ".\r\n";
    // Once in one piece, once byte by byte, then cut in two at every offset.
    const size_t cuts = wire.size() - 1;
    TScript script = Opening("+OK " + IntToStr(static_cast<int>(cuts) + 2) + " 9000");
    script.push_back({"RETR 1", {wire}});
    script.push_back({"RETR 2", Bytewise(wire)});
    for (size_t cut = 1; cut <= cuts; ++cut)
        script.push_back({"RETR " + IntToStr(static_cast<int>(cut) + 2), {wire.substr(0, cut), wire.substr(cut)}});
    TPopServer server({script + Quit});
    AddAccount(server.Port());
    std::map<int, String> texts;
    Pop.OnRetrieveText = [&](TObject* Sender, uint16_t N, const String& Text) {
        EXPECT_EQ(Sender, &Pop);
        EXPECT_FALSE(Text.empty());
        texts[N] += Text;
    };
    Pop.OnRetrieveTextEnd = [&](TObject*, uint16_t N) { Events.push_back("TextEnd " + IntToStr(N)); };
    Pop.AfterRetrieve = [&](TObject*, TQELMessage* M) {
        Events.push_back("AfterRetrieve " + IntToStr(M->MessageNumber));
        EXPECT_EQ(M->Message()->ToVector(), Lines({".x", ".", "a", ".", "", ".", "..", "c", "d", String("n\0l", 3)}));
        Pop.ReleaseMessage(M->Index());
    };
    Pop.Execute();
    EXPECT_EQ(server.Lines(), ClientLines(script + Quit));
    ASSERT_EQ(texts.size(), cuts + 2);
    for (const auto& [n, got] : texts) EXPECT_EQ(got, text) << "message " << n;
    for (size_t n = 1; n <= cuts + 2; ++n) {
        const auto end = std::find(Events.begin(), Events.end(), "TextEnd " + IntToStr(static_cast<int>(n)));
        ASSERT_NE(end, Events.end()) << n;
        EXPECT_EQ(end[1], "AfterRetrieve " + IntToStr(static_cast<int>(n)));  // the text first, then the message
    }
    EXPECT_TRUE(Errors.empty());
}

TEST_F(PopSession, RetrievedTextOfAnEmptyOrUnfinishedMessage)
{
    // TOP of a message without header lines gives no text at all, yet its end; a reading that ends
    // early gives the text that came and no end.
    const TScript script = Opening("+OK 2 200") + TScript{{"TOP 1 0", {"+OK\r\n.\r\n"}},
        {"TOP 2 0", {"+OK\r\nSubject: cut\r\n"}, TEnd::Close}};
    TPopServer server({script});
    AddAccount(server.Port())->HeaderOnly = true;
    String text;
    Pop.OnRetrieveText = [&](TObject*, uint16_t N, const String& Piece) { text += IntToStr(N) + ":" + Piece; };
    Pop.OnRetrieveTextEnd = [&](TObject*, uint16_t N) { Events.push_back("TextEnd " + IntToStr(N)); };
    Pop.Execute();
    EXPECT_EQ(server.Lines(), ClientLines(script));
    EXPECT_EQ(text, "2:Subject: cut\r\n");
    EXPECT_EQ(Events, Lines({"BeforeExecute", "BeforeRetrieve 1", "TextEnd 1", "AfterRetrieve ", "BeforeRetrieve 2",
                             "AfterExecute"}));
    EXPECT_EQ(Errors.size(), 1u);
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

TEST_F(PopSession, RepliesThatArriveTogether)
{
    // At each step the server sends its reply together with the next one: each reply is read once,
    // in order, a message's text included, and the dialogue completes.
    std::vector<std::vector<TRow>> scripts;
    for (size_t step = 0; step + 1 < 9; ++step) {
        const int n = static_cast<int>(step) * 10;
        TScript rows = {{"", {"+OK ready\r\n"}}, {"USER ann", {"+OK\r\n"}}, {"PASS secret", {"+OK logged in\r\n"}},
                        {"STAT", {"+OK 2 200\r\n"}}, {"RETR 1", {Octets(Note(n + 1))}}, {"DELE 1", {"+OK\r\n"}},
                        {"RETR 2", {Octets(Note(n + 2))}}, {"DELE 2", {"+OK\r\n"}}, {"QUIT", {"+OK bye\r\n"}}};
        rows[step].Server.front() += rows[step + 1].Server.front();
        rows[step + 1].Server.clear();
        scripts.push_back(rows);
    }
    TPopServer server(scripts);
    TQELMailAccount* account = AddAccount(server.Port());
    account->DeleteOffServer = true;
    account->SetTimeOut(1);  // a reply taken for the wrong step leaves the client waiting a second
    Lines subjects;
    for (size_t i = 0; i < scripts.size(); ++i) {
        SCOPED_TRACE(i);
        Events.clear();
        EXPECT_TRUE(Pop.Execute());
        EXPECT_EQ(std::count(Events.begin(), Events.end(), "OnDelete 2"), 1);
        EXPECT_TRUE(Errors.empty());
        for (int n : {1, 2}) subjects.push_back("Note " + IntToStr(static_cast<int>(i) * 10 + n));
    }
    EXPECT_EQ(Subjects(), subjects);
    for (size_t i = 0; i < scripts.size(); ++i) EXPECT_EQ(server.Lines(i), ClientLines(scripts[i])) << i;
}

TEST_F(PopSession, SilentServerEndsTheSessionWithinTheBound)
{
    // Ten empty waits of the account's TimeOut in a row end any wait: here 10 x 100 ms.
    const TScript greeting = {{"", {}}};
    const TScript stat = Opening("+OK 1 100");
    TScript statSilent(stat.begin(), stat.end() - 1);
    statSilent.push_back({"STAT", {}});
    const TScript halfUser = {{"", {"+OK ready\r\n"}}, {"USER ann", {"+O"}}};
    TPopServer server({greeting, statSilent, halfUser});
    AddAccount(server.Port())->SetTimeOut(1);
    const Lines reports = {"0|No greeting from the server within 1 s", "0|No reply from the server to STAT within 1 s",
                           "0|No reply from the server to USER within 1 s"};
    for (const String& report : reports) {
        SCOPED_TRACE(report);
        Errors.clear();
        const auto start = std::chrono::steady_clock::now();
        Pop.Execute();
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(950));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
        EXPECT_EQ(Errors, Lines{report});
        EXPECT_FALSE(Pop.Busy);
    }
    EXPECT_EQ(server.Lines(1), ClientLines(statSilent)) << "no QUIT";
}

TEST_F(PopSession, ClosingPeerIsReportedWithWhereItHappened)
{
    const TScript opening = Opening("+OK 1 100");
    std::vector<TScript> scripts;
    for (size_t cut = 0; cut < opening.size(); ++cut) {
        TScript script(opening.begin(), opening.begin() + static_cast<std::ptrdiff_t>(cut) + 1);
        script.back().Server.clear();
        script.back().End = TEnd::Close;
        scripts.push_back(script);
    }
    scripts.push_back(opening + TScript{{"RETR 1", {Octets(Note(1))}}, {"DELE 1", {}, TEnd::Close}});
    TPopServer server(scripts);
    AddAccount(server.Port())->DeleteOffServer = true;
    Lines reports;
    for (size_t i = 0; i < scripts.size(); ++i) {
        Errors.clear();
        Pop.Execute();
        reports.insert(reports.end(), Errors.begin(), Errors.end());
    }
    for (size_t i = 0; i < scripts.size(); ++i) EXPECT_EQ(server.Lines(i), ClientLines(scripts[i])) << i;
    const String closed = "0|The server closed the connection ";
    EXPECT_EQ(reports, Lines({closed + "at the greeting", closed + "in reply to USER", closed + "in reply to PASS",
                              closed + "in reply to STAT", closed + "in reply to DELE 1"}));
}

TEST_F(PopSession, StepsOutsideASessionFailAndChangeNothing)
{
    const TScript script = Opening("+OK 1 100") + TScript{{"RETR 1", {Octets(Note(1))}}} + Quit;
    TPopServer server({script});
    AddAccount(server.Port());
    EXPECT_TRUE(Pop.Execute());
    ASSERT_TRUE(Errors.empty());
    Events.clear();
    EXPECT_FALSE(Pop.Login());
    EXPECT_EQ(Pop.Init(), 0);
    Pop.RetrieveMessage(1, false);
    Pop.DeleteMessage(1);
    EXPECT_EQ(Pop.RetrieveMessages(), 0);
    const String none = "0|Not connected to a server: ";
    EXPECT_EQ(Errors, Lines({none + "USER was not sent", none + "STAT was not sent", none + "RETR 1 was not sent",
                             none + "DELE 1 was not sent", none + "RETR 1 was not sent"}));
    EXPECT_TRUE(Events.empty()) << "no BeforeRetrieve, no OnDelete";
    EXPECT_EQ(Pop.DeletedNumbers->Count(), 0);
    EXPECT_EQ(Pop.MessageCount, 1);
    EXPECT_EQ(Pop.Messages()->Count(), 1);
    EXPECT_EQ(Pop.LastStatus, "+OK");
    EXPECT_EQ(server.Lines(), ClientLines(script));
}

TEST_F(PopSession, MessageSizeIsBounded)
{
    TQELPOPMail fresh(nullptr);
    EXPECT_EQ(fresh.MaxMessageSize(), 256 * 1024 * 1024);
    fresh.SetMaxMessageSize(0);
    EXPECT_EQ(fresh.MaxMessageSize(), TQELPOPMail::DefaultMaxMessageSize);
    const QMetaObject& meta = TQELPOPMail::staticMetaObject;
    EXPECT_STREQ(meta.classInfo(meta.indexOfClassInfo("default:MaxMessageSize")).value(), "268435456");

    // A server that streams a message without end: past the bound the session ends, no DELE for it
    // and no QUIT, so the server keeps every message, the one deleted before included.
    String endless = "+OK 100 octets\r\n";
    for (int i = 0; i < 64; ++i) endless += String(16 * 1024 - 2, 'z') + "\r\n";
    TScript streaming = Opening("+OK 2 200") + TScript{{"RETR 1", {Octets(Note(1))}}, {"DELE 1", {"+OK\r\n"}}};
    streaming.push_back({"RETR 2", {}});
    for (size_t at = 0; at < endless.size(); at += 16 * 1024) streaming.back().Server.push_back(endless.substr(at, 16 * 1024));
    // One read that holds more than the bound, terminator included.
    const TScript whole = Opening("+OK 1 100") + TScript{{"RETR 1", {Octets(Note(3, String(300, 'x')))}}};
    TPopServer server({streaming, whole});
    TQELMailAccount* account = AddAccount(server.Port());
    account->DeleteOffServer = true;
    account->SetTimeOut(1);
    Pop.SetMaxMessageSize(64 * 1024);
    EXPECT_TRUE(Pop.Execute());
    EXPECT_EQ(Errors, Lines{"0|Deletions were not committed: Message 2 exceeds the limit of 65536 bytes (MaxMessageSize)"});
    EXPECT_EQ(Subjects(), Lines{"Note 1"});

    Errors.clear();
    Pop.SetMaxMessageSize(200);
    EXPECT_TRUE(Pop.Execute());
    EXPECT_EQ(server.Lines(0), ClientLines(streaming));
    EXPECT_EQ(server.Lines(1), ClientLines(whole));
    EXPECT_EQ(Errors, Lines{"0|Message 1 exceeds the limit of 200 bytes (MaxMessageSize)"});
    EXPECT_EQ(Subjects(), Lines{"Note 1"});
}

TEST_F(PopSession, UncommittedDeletionsAreToldWhenClosingFails)
{
    const TScript deleting = Opening("+OK 1 100") + TScript{{"RETR 1", {Octets(Note(1))}}, {"DELE 1", {"+OK\r\n"}}};
    const TScript refused = deleting + TScript{{"QUIT", {"-ERR some deleted messages not removed\r\n"}}};
    const TScript closed = deleting + TScript{{"QUIT", {}, TEnd::Close}};
    const TScript reading = Opening("+OK 1 100") + TScript{{"RETR 1", {Octets(Note(2))}}, {"QUIT", {}, TEnd::Close}};
    TPopServer server({refused, closed, reading});
    TQELMailAccount* account = AddAccount(server.Port());
    account->DeleteOffServer = true;
    Lines reports;
    for (int i = 0; i < 3; ++i) {
        account->DeleteOffServer = i < 2;
        Errors.clear();
        EXPECT_TRUE(Pop.Execute());
        reports.insert(reports.end(), Errors.begin(), Errors.end());
    }
    EXPECT_EQ(reports, Lines({"-ERR|Deletions were not committed: -ERR some deleted messages not removed",
                              "0|Deletions were not committed: The server closed the connection in reply to QUIT",
                              "0|The server closed the connection in reply to QUIT"}));
    EXPECT_EQ(server.Lines(0), ClientLines(refused));
    EXPECT_EQ(server.Lines(1), ClientLines(closed));
}
