// TQELPOPMail's STLS and "only new messages" (UIDL) against a scripted POP3 server on 127.0.0.1:
// the exact lines, what is skipped, and the one report of each failure.
#include "framework/core/FormFiles.h"
#include "framework/core/SysUtils.h"
#include "mail/MailTestSupport.h"
#include "mail/pop/POPMail.h"
#include "tests/support/ScriptedServer.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace qel;
using qeltest::Sent;
using qeltest::TDialogue;
using qeltest::TEnd;

namespace {

using Lines = std::vector<String>;

String Note(int N)
{
    const String n = IntToStr(N);
    return "Subject: Note " + n + "\r\nMessage-ID: <" + n + "@example.org>\r\n\r\nBody " + n + "\r\n";
}

String Octets(const String& Text) { return "+OK " + IntToStr(Text.size()) + " octets\r\n" + Text + ".\r\n"; }

TDialogue LoggedIn(const String& StatReply)
{
    return {{"", Sent("+OK POP3 ready\r\n")},
            {"USER ann", Sent("+OK\r\n")},
            {"PASS secret", Sent("+OK logged in\r\n")},
            {"STAT", Sent(StatReply + "\r\n")}};
}

TDialogue operator+(TDialogue A, const TDialogue& B)
{
    A.insert(A.end(), B.begin(), B.end());
    return A;
}

const TDialogue Quit = {{"QUIT", Sent("+OK bye\r\n")}};
const String Listing = "+OK\r\n1 uid-a\r\n2 uid-b\r\n3 uid-c\r\n.\r\n";

class PopSecure : public ::testing::Test {
protected:
    PopSecure()
    {
        Pop.SetAccountInfo(&Holder);
        Pop.BeforeRetrieve = [this](TObject*, uint16_t N) { Events.push_back("BeforeRetrieve " + IntToStr(N)); };
        Pop.AfterRetrieve = [this](TObject*, TQELMessage* M) { Events.push_back("AfterRetrieve " + M->UID); };
        Pop.OnDelete = [this](TObject*, uint16_t N) { Events.push_back("OnDelete " + IntToStr(N)); };
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
        account->SetTimeOut(3);  // a scripted server that stays silent is given up on quickly
        return account;
    }

    Lines Seen() const
    {
        Lines seen;
        for (int i = 0; i < Pop.SeenUIDs()->Count(); ++i) seen.push_back(Pop.SeenUIDs()->Strings(i));
        return seen;
    }

    TQELAccountHolder Holder{nullptr};
    TQELPOPMail Pop{nullptr};
    Lines Events;
    Lines Errors;
};

}  // namespace

TEST_F(PopSecure, NewOnlySkipsSeenMessagesAndRecordsTheOthers)
{
    // The listing arrives three bytes at a time; message 2 was seen: neither read nor deleted.
    const TDialogue script = LoggedIn("+OK 3 300") +
        TDialogue{{"UIDL", Sent(Listing, 3)},
                  {"RETR 1", Sent(Octets(Note(1)))}, {"DELE 1", Sent("+OK\r\n")},
                  {"RETR 3", Sent(Octets(Note(3)))}, {"DELE 3", Sent("+OK\r\n")}} + Quit;
    qeltest::TScriptedServer server(qeltest::Conversations(script));
    TQELMailAccount* account = AddAccount(server.Port());
    account->Pop3NewOnly = true;
    account->DeleteOffServer = true;
    Pop.SeenUIDs()->Add("uid-b");
    Pop.SeenUIDs()->Add("UID-C");  // ids differ by letter case alone
    Pop.Execute();
    EXPECT_EQ(server.Lines(), qeltest::ClientLines(script));
    EXPECT_EQ(Events, Lines({"BeforeRetrieve 1", "AfterRetrieve uid-a", "OnDelete 1", "BeforeRetrieve 3",
                             "AfterRetrieve uid-c", "OnDelete 3"}));
    EXPECT_EQ(Seen(), Lines({"uid-b", "UID-C", "uid-a", "uid-c"}));
    EXPECT_TRUE(Errors.empty());

    // The second run finds every id seen: no RETR, no DELE.
    const TDialogue again = LoggedIn("+OK 3 300") + TDialogue{{"UIDL", Sent(Listing)}} + Quit;
    qeltest::TScriptedServer second(qeltest::Conversations(again));
    account->Pop3Port = second.Port();
    Events.clear();
    Pop.Execute();
    EXPECT_EQ(second.Lines(), qeltest::ClientLines(again));
    EXPECT_TRUE(Events.empty());
    EXPECT_EQ(Pop.SeenUIDs()->Count(), 4);
}

TEST_F(PopSecure, HostEventDecidesAndUnlistedMessagesAreFetched)
{
    // The event overrules the held list; message 3, missing from the listing, cannot be told seen.
    const TDialogue script = LoggedIn("+OK 3 300") +
        TDialogue{{"UIDL", Sent("+OK\r\n1 uid-a\r\n2 uid-b\r\n.\r\n")},
                  {"RETR 2", Sent(Octets(Note(2)))}, {"RETR 3", Sent(Octets(Note(3)))}} + Quit;
    qeltest::TScriptedServer server(qeltest::Conversations(script));
    AddAccount(server.Port())->Pop3NewOnly = true;
    Pop.SeenUIDs()->Add("uid-b");
    Lines asked;
    Pop.OnCheckSeen = [&asked](TObject*, const String& Uid, bool& Seen) {
        asked.push_back(Uid + (Seen ? " true" : " false"));
        Seen = Uid == "uid-a";
    };
    Pop.Execute();
    EXPECT_EQ(server.Lines(), qeltest::ClientLines(script));
    EXPECT_EQ(asked, Lines({"uid-a false", "uid-b false"}));
    EXPECT_EQ(Events, Lines({"BeforeRetrieve 2", "AfterRetrieve uid-b", "BeforeRetrieve 3", "AfterRetrieve "}));
    EXPECT_EQ(Seen(), Lines({"uid-b"}));  // held already, not added twice
    EXPECT_TRUE(Errors.empty());
}

TEST_F(PopSecure, DuplicateOfAHeldMessageCountsAsSeen)
{
    // Message 2 repeats message 1's Message-ID: not handed over, yet its id is recorded.
    const TDialogue script = LoggedIn("+OK 2 200") +
        TDialogue{{"UIDL", Sent("+OK\r\n1 one\r\n2 two\r\n.\r\n")},
                  {"RETR 1", Sent(Octets(Note(1)))}, {"RETR 2", Sent(Octets(Note(1)))}} + Quit;
    qeltest::TScriptedServer server(qeltest::Conversations(script));
    AddAccount(server.Port())->Pop3NewOnly = true;
    Pop.Execute();
    EXPECT_EQ(server.Lines(), qeltest::ClientLines(script));
    EXPECT_EQ(Pop.Messages()->Count(), 1);
    EXPECT_EQ(Seen(), Lines({"one", "two"}));
}

TEST_F(PopSecure, UidlRefusedFetchesNothing)
{
    // Never silently everything: the session ends without QUIT, nothing read, nothing deleted.
    const TDialogue script = LoggedIn("+OK 2 200") + TDialogue{{"UIDL", Sent("-ERR not supported\r\n")}};
    qeltest::TScriptedServer server(qeltest::Conversations(script));
    TQELMailAccount* account = AddAccount(server.Port());
    account->Pop3NewOnly = true;
    account->DeleteOffServer = true;
    Pop.Execute();
    EXPECT_EQ(server.Lines(), qeltest::ClientLines(script));
    EXPECT_TRUE(Events.empty());
    EXPECT_EQ(Errors, Lines({"0|the server gives no unique ids (UIDL), so no message is fetched: -ERR not supported"}));
    EXPECT_TRUE(Pop.SeenUIDs()->Count() == 0);
}

TEST_F(PopSecure, ListingCutShortEndsTheSession)
{
    const TDialogue script = LoggedIn("+OK 2 200") + TDialogue{{"UIDL", {{"+OK\r\n1 one\r\n"}, {}, {}, TEnd::Close}}};
    qeltest::TScriptedServer server(qeltest::Conversations(script));
    AddAccount(server.Port())->Pop3NewOnly = true;
    Pop.Execute();
    EXPECT_EQ(server.Lines(), qeltest::ClientLines(script));
    EXPECT_TRUE(Events.empty());
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_NE(Errors[0].find("UIDL"), String::npos) << Errors[0];
}

TEST_F(PopSecure, StlsRefusedSendsNoCredentials)
{
    const TDialogue script = {{"", Sent("+OK POP3 ready\r\n")}, {"STLS", Sent("-ERR not now\r\n")}};
    qeltest::TScriptedServer server(qeltest::Conversations(script));
    AddAccount(server.Port())->Pop3Security = msStartTLS;
    Pop.Execute();
    EXPECT_EQ(server.Lines(), Lines({"STLS"}));
    EXPECT_EQ(Errors, Lines({"0|the server refused STLS, which the account requires: -ERR not now"}));
    EXPECT_FALSE(Pop.Busy);
}

TEST_F(PopSecure, HandshakeFailuresAreOneReportWithoutCredentials)
{
    // STLS accepted by a server that then speaks no TLS; implicit TLS against a plain greeting.
    const TDialogue starttls = {{"", Sent("+OK POP3 ready\r\n")}, {"STLS", {{"+OK begin\r\n"}, {}, {}, TEnd::Close}}};
    const TDialogue implicit = {{"", {{"+OK POP3 ready\r\n"}, {}, {}, TEnd::Close}}};
    for (const auto& [script, security] : {std::pair{starttls, msStartTLS}, std::pair{implicit, msImplicitTLS}}) {
        SCOPED_TRACE(security);
        qeltest::TScriptedServer server(qeltest::Conversations(script));
        Holder.Accounts()->Clear();
        AddAccount(server.Port())->Pop3Security = security;
        Errors.clear();
        Pop.Execute();
        for (const String& line : server.Lines()) EXPECT_EQ(line.find("USER"), String::npos) << line;
        ASSERT_EQ(Errors.size(), 1u);
        EXPECT_NE(Errors[0].find("TLS"), String::npos) << Errors[0];
        EXPECT_EQ(Errors[0].find("secret"), String::npos) << Errors[0];
    }
}

TEST(PopSecureForm, SeenIdsStayOutOfFormFiles)
{
    // The host keeps them with its mail: a form written with a list is the form written without.
    TComponent form(nullptr);
    form.SetName("Form1");
    auto* pop = new TQELPOPMail(&form);
    pop->SetName("Pop1");
    const String before = ComponentToText(&form);
    pop->SeenUIDs()->Add("uid-a");
    EXPECT_EQ(ComponentToText(&form), before);
    EXPECT_EQ(before.find("SeenUIDs"), String::npos);
}
