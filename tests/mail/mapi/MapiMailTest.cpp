// TQELMapiMail against the recording provider: the records it builds, its events and limits.
#include "mail/mapi/RecordingFixture.h"

#include <algorithm>
#include <memory>

using namespace qel;

namespace {

using Lines = std::vector<String>;

class MapiMail : public TRecordingFixture {
protected:
    void SetUp() override
    {
        TRecordingFixture::SetUp();
        M = std::make_unique<TQELMapiMail>(nullptr);
    }
    void TearDown() override
    {
        M.reset();
        TRecordingFixture::TearDown();
    }

    TQELMapiMessage* Add(const String& Subject, const Lines& To, const Lines& CC = {}, const Lines& BC = {})
    {
        TQELMapiMessage* Msg = M->Messages()->Add();
        Msg->Subject = Subject;
        Msg->RecipientsTo()->AddStrings(To);
        Msg->RecipientsCC()->AddStrings(CC);
        Msg->RecipientsBC()->AddStrings(BC);
        return Msg;
    }
    static Lines Many(int Count)
    {
        Lines Out;
        for (int I = 0; I < Count; ++I)
            Out.push_back("r" + std::to_string(I));
        return Out;
    }
    // Every event of the component, as "Name" or "Name:Subject" or "Name:Code".
    void Hook()
    {
        auto Plain = [this](const char* Name) { return [this, Name](TObject*) { Events.push_back(Name); }; };
        auto WithMail = [this](const char* Name) {
            return [this, Name](TObject* Sender, TQELMapiMessage* Mail) {
                Events.push_back(String(Name) + ":" + Mail->Subject);
                Senders.push_back(Sender);
            };
        };
        auto WithCode = [this](const char* Name) {
            return [this, Name](TObject*, int32_t Code) { Events.push_back(String(Name) + ":" + std::to_string(Code)); };
        };
        M->BeforeLogon = Plain("BeforeLogon");
        M->OnLogonSuccess = Plain("OnLogonSuccess");
        M->BeforeSendAll = Plain("BeforeSendAll");
        M->AfterSendAll = Plain("AfterSendAll");
        M->BeforeLogoff = Plain("BeforeLogoff");
        M->OnLogoffSuccess = Plain("OnLogoffSuccess");
        M->AfterExecute = Plain("AfterExecute");
        M->OnMapiNotAvailable = Plain("OnMapiNotAvailable");
        M->BeforeSendMail = WithMail("BeforeSendMail");
        M->AfterSendMail = WithMail("AfterSendMail");
        M->OnDeleteMail = WithMail("OnDeleteMail");
        M->OnLogonFailure = WithCode("OnLogonFailure");
        M->OnLogoffFailure = WithCode("OnLogoffFailure");
        M->OnSendError = [this](TObject*, int32_t Code, TQELMapiMessage* Mail) {
            Events.push_back("OnSendError:" + std::to_string(Code) + ":" + Mail->Subject);
        };
    }
    std::vector<String> Subjects() const
    {
        std::vector<String> Out;
        for (int I = 0; I < M->Messages()->Count(); ++I)
            Out.push_back(M->Messages()->Items(I)->Subject);
        return Out;
    }

    std::unique_ptr<TQELMapiMail> M;
    std::vector<String> Events;
    std::vector<TObject*> Senders;
};

TEST_F(MapiMail, RecipientEntriesFollowTheLinesAndTheirResolution)
{
    const String Long(300, 'x');
    TQELMapiMessage* Msg = Add("s", {"ann", "", "bob"}, {"[FAX:12345]", "carl"}, {"dora", Long});
    Resolve("ann", 0, "Ann Smith");
    Resolve("bob", MAPI_E_AMBIGUOUS_RECIPIENT, "");
    Resolve("bob", 0, "Bob Brown");
    Resolve("[FAX:12345]", 0, "FAX:12345");
    Resolve("carl", MAPI_E_UNKNOWN_RECIPIENT, "");  // the retry fails as well
    Resolve("dora", MAPI_E_INSUFFICIENT_MEMORY, "");
    ASSERT_TRUE(M->Execute());
    EXPECT_EQ(Outstanding(), 0);
    EXPECT_EQ(BadFrees(), 0);
    EXPECT_GE(Calls("MAPIFreeBuffer").size(), 4u);

    const TRecMessage R = Sent();
    ASSERT_EQ(R.RecipCount, 7u);
    ASSERT_EQ(R.Recips.size(), 7u);
    ExpectRecip(R.Recips[0], MAPI_TO, "Ann Smith", std::nullopt);
    ExpectRecip(R.Recips[1], 0, std::nullopt, std::nullopt);
    ExpectRecip(R.Recips[2], MAPI_TO, "Bob Brown", std::nullopt);
    ExpectRecip(R.Recips[3], MAPI_CC, "FAX:12345", "FAX:12345");
    ExpectRecip(R.Recips[4], 0, std::nullopt, std::nullopt);
    ExpectRecip(R.Recips[5], 0, std::nullopt, std::nullopt);
    ExpectRecip(R.Recips[6], MAPI_BCC, Long.substr(0, 255), std::nullopt);

    const std::pair<String, MAPI_FLAGS> Expected[] = {{"ann", 0}, {"bob", 0}, {"bob", MAPI_DIALOG},
        {"[FAX:12345]", 0}, {"carl", 0}, {"carl", MAPI_DIALOG}, {"dora", 0}, {Long.substr(0, 255), 0}};
    const std::vector<TRecCall> Resolves = Calls("MAPIResolveName");
    ASSERT_EQ(Resolves.size(), std::size(Expected));
    for (size_t I = 0; I < Resolves.size(); ++I) {
        SCOPED_TRACE(I);
        EXPECT_EQ(Resolves[I].Texts.at(0), Expected[I].first);
        EXPECT_EQ(Resolves[I].Flags, Expected[I].second);
        EXPECT_EQ(Resolves[I].Session, 77u);
    }

    // The message keeps its lines; DeleteAfterSend removed it only after the record was built.
    EXPECT_EQ(M->Messages()->Count(), 0);
    M->DeleteAfterSend = false;
    Msg = Add("again", {"ann"}, {"[FAX:12345]"});
    ASSERT_TRUE(M->Execute());
    EXPECT_EQ(Msg->RecipientsTo()->Text(), "ann\n");
    EXPECT_EQ(Msg->RecipientsCC()->Text(), "[FAX:12345]\n");
    EXPECT_EQ(Outstanding(), 0);
}

TEST_F(MapiMail, NoteTextSubjectFlagsAndFiles)
{
    WriteFile("a.txt", "A");
    WriteFile("b.pdf", "B");
    M->Signature()->AddStrings(Lines{"--", "Me"});
    M->DeleteAfterSend = false;
    TQELMapiMessage* Mail = Add("Report", {"ann"});
    Mail->Message()->AddStrings(Lines{"Hello", "World"});
    Mail->Receipt = true;
    Mail->Attachments()->Add(Path("a.txt"));
    Mail->Attachments()->Add(Path("missing.doc"));
    Mail->Attachments()->Add(Path("b.pdf"));
    TQELMapiMessage* Bare = Add("Bare", {});
    TQELMapiMessage* Dialog = Add("Dialog", {"ann"});
    Dialog->Dialog = true;
    ASSERT_TRUE(M->Execute());
    ASSERT_EQ(Calls("MAPISendMail").size(), 3u);

    const TRecCall First = Calls("MAPISendMail")[0];
    EXPECT_EQ(First.Session, 77u);
    EXPECT_EQ(First.Flags, 0u);
    const TRecMessage& R = First.Message;
    EXPECT_EQ(R.Subject, "Report");
    EXPECT_EQ(R.NoteText, "   Hello\nWorld\n--\nMe\n");
    EXPECT_EQ(R.Flags, MAPI_FLAGS(MAPI_RECEIPT_REQUESTED));
    ASSERT_EQ(R.FileCount, 3u);
    ASSERT_EQ(R.Files.size(), 3u);
    const std::pair<TRecText, TRecText> Files[] = {
        {Path("a.txt"), "a.txt"}, {std::nullopt, std::nullopt}, {Path("b.pdf"), "b.pdf"}};
    for (size_t I = 0; I < 3; ++I) {
        SCOPED_TRACE(I);
        EXPECT_EQ(R.Files[I].Position, 0xFFFFFFFFu);
        EXPECT_EQ(R.Files[I].PathName, Files[I].first);
        EXPECT_EQ(R.Files[I].FileName, Files[I].second);
        EXPECT_EQ(R.Files[I].Flags, 0u);
        EXPECT_EQ(R.Files[I].Reserved, 0u);
    }

    // Without recipient lines the provider must ask the user, Dialog or not.
    const TRecCall Second = Calls("MAPISendMail")[1];
    EXPECT_EQ(Second.Flags, MAPI_FLAGS(MAPI_DIALOG));
    EXPECT_EQ(Second.Message.RecipCount, 0u);
    EXPECT_TRUE(Second.Message.RecipsNull);
    EXPECT_EQ(Second.Message.Flags, 0u);
    EXPECT_EQ(Second.Message.NoteText, "--\nMe\n");
    EXPECT_EQ(Second.Message.FileCount, 0u);
    EXPECT_TRUE(Second.Message.FilesNull);
    EXPECT_EQ(Calls("MAPISendMail")[2].Flags, MAPI_FLAGS(MAPI_DIALOG));
    EXPECT_TRUE(Bare->Sent && Dialog->Sent && Mail->Sent);
}

TEST_F(MapiMail, FaxHasOneRecipientAndNoFiles)
{
    M->Signature()->Add("Sig");
    M->DeleteAfterSend = false;
    for (const String& Number : {String("555-1234"), String()}) {
        SCOPED_TRACE(Number);
        Reset();
        M->Messages()->Clear();
        TQELMapiMessage* Fax = Add("Fax", {"ann", "bob"}, {"carl"});
        Fax->SendMethod = ccFax;
        Fax->FaxTo = "Front Desk";
        Fax->FaxNumber = Number;
        Fax->Dialog = true;
        Fax->Message()->Add("Body");
        Fax->Attachments()->Add(Path("a.txt"));
        Fax->Attachments()->Add(Path("b.txt"));
        ASSERT_TRUE(M->Execute());
        ASSERT_EQ(Calls("MAPISendMail").size(), 1u);
        const TRecMessage R = Sent();
        EXPECT_EQ(R.NoteText, "  \rBody\nSig\n");
        EXPECT_EQ(R.FileCount, 0u);
        EXPECT_TRUE(R.FilesNull);
        if (Number.empty()) {
            EXPECT_EQ(R.RecipCount, 0u);
            EXPECT_TRUE(R.RecipsNull);
            continue;
        }
        EXPECT_EQ(Calls("MAPISendMail")[0].Flags, 0u);
        ASSERT_EQ(R.RecipCount, 1u);
        ASSERT_EQ(R.Recips.size(), 1u);
        ExpectRecip(R.Recips[0], MAPI_TO, "Front Desk", "Fax:555-1234");
    }
}

TEST_F(MapiMail, ExecuteFiresEventsInOrderAndDeletesWhatWasSent)
{
    Hook();
    Add("one", {"ann"});
    Add("two", {"bob"});
    ASSERT_TRUE(M->Execute());
    const std::vector<String> Expected = {"BeforeLogon", "OnLogonSuccess", "BeforeSendAll",
        "BeforeSendMail:one", "AfterSendMail:one", "BeforeSendMail:two", "AfterSendMail:two",
        "OnDeleteMail:one", "OnDeleteMail:two", "AfterSendAll", "BeforeLogoff", "OnLogoffSuccess",
        "AfterExecute"};
    EXPECT_EQ(Events, Expected);
    ASSERT_EQ(Senders.size(), 6u);
    EXPECT_EQ(Senders[4], M->Messages());
    EXPECT_EQ(Senders[5], M->Messages());
    EXPECT_EQ(M->Messages()->Count(), 0);
    EXPECT_EQ(M->Session, 0u);
    std::vector<String> Provider = Entries();
    Provider.erase(std::remove_if(Provider.begin(), Provider.end(),
                                  [](const String& E) { return E == "MAPIResolveName" || E == "MAPIFreeBuffer"; }),
                   Provider.end());
    EXPECT_EQ(Provider, (std::vector<String>{"MAPILogon", "MAPISendMail", "MAPISendMail", "MAPILogoff"}));
    EXPECT_EQ(Outstanding(), 0);
    EXPECT_EQ(Calls("MAPILogoff").at(0).Session, 77u);

    // A refused message stays, reported with its code; the others go.
    Events.clear();
    for (const char* S : {"a", "b", "c"})
        Add(S, {"ann"});
    Script("MAPISendMail", 0);
    Script("MAPISendMail", MAPI_E_UNKNOWN_RECIPIENT);
    ASSERT_TRUE(M->Execute());
    EXPECT_EQ(std::count(Events.begin(), Events.end(), "OnSendError:14:b"), 1);
    ASSERT_EQ(Subjects(), std::vector<String>{"b"});
    EXPECT_FALSE(M->Messages()->Items(0)->Sent);

    M->DeleteAfterSend = false;
    M->Messages()->Clear();
    for (const char* S : {"a", "b", "c"})
        Add(S, {"ann"});
    Script("MAPISendMail", MAPI_E_UNKNOWN_RECIPIENT);
    ASSERT_TRUE(M->Execute());
    EXPECT_EQ(Subjects(), (std::vector<String>{"a", "b", "c"}));
    const bool Sent[] = {false, true, true};
    for (int I = 0; I < 3; ++I)
        EXPECT_EQ(M->Messages()->Items(I)->Sent, Sent[I]) << I;
}

TEST_F(MapiMail, TooManyRecipientsOrAttachmentsEndTheRun)
{
    // Exactly the limits go through, the table sized to the lines.
    TQELMapiMessage* Full = Add("full", Many(400), Many(400), Many(200));
    for (int I = 0; I < 100; ++I)
        Full->Attachments()->Add(Path("f" + std::to_string(I)));
    ASSERT_EQ(M->Logon(), 0u);
    EXPECT_EQ(M->SendMapi(), 0u);
    EXPECT_EQ(Sent().RecipCount, 1000u);
    EXPECT_EQ(Sent().Recips.size(), 1000u);
    EXPECT_EQ(Sent().FileCount, 100u);
    EXPECT_EQ(Outstanding(), 0);

    struct Case {
        int Lines, Files;
        uint32_t Code;
    };
    for (const Case& C : {Case{1001, 0, MAPI_E_TOO_MANY_RECIPIENTS}, Case{1, 101, MAPI_E_TOO_MANY_FILES}}) {
        SCOPED_TRACE(C.Code);
        Reset();
        M->Messages()->Clear();
        Add("first", {"ann"});
        TQELMapiMessage* Big = Add("big", Many(C.Lines));
        for (int I = 0; I < C.Files; ++I)
            Big->Attachments()->Add(Path("f" + std::to_string(I)));
        Add("third", {"bob"});
        EXPECT_EQ(M->SendMapi(), C.Code);
        ASSERT_EQ(Calls("MAPISendMail").size(), 1u);
        EXPECT_EQ(Sent().Subject, "first");
        EXPECT_EQ(M->Messages()->Count(), 3);

        // Execute still logs off and succeeds.
        Reset();
        ASSERT_EQ(M->Logoff(), 0u);
        EXPECT_TRUE(M->Execute());
        EXPECT_EQ(Calls("MAPISendMail").size(), 1u);
        EXPECT_EQ(Entries().back(), "MAPILogoff");
        EXPECT_EQ(M->Messages()->Count(), 3);
        ASSERT_EQ(M->Logon(), 0u);
    }
}

TEST_F(MapiMail, LogonFlagsProfileAndRetry)
{
    Hook();
    M->Profile = "Mine";
    M->Password = "pw";
    M->DefaultProfile = false;
    M->NewSession = true;
    EXPECT_EQ(M->Logon(), 0u);
    EXPECT_EQ(M->Session, 77u);
    EXPECT_EQ(M->Logon(), 0u);  // already logged on: only the event
    EXPECT_EQ(Events, (std::vector<String>{"BeforeLogon", "OnLogonSuccess", "BeforeLogon"}));
    ASSERT_EQ(Calls("MAPILogon").size(), 1u);
    TRecCall L = Calls("MAPILogon")[0];
    EXPECT_EQ(L.Flags, MAPI_FLAGS(MAPI_LOGON_UI | MAPI_NEW_SESSION));
    EXPECT_EQ(L.Texts, (std::vector<TRecText>{"Mine", "pw"}));
    EXPECT_EQ(L.UIParam, 0u);
    EXPECT_EQ(M->Logoff(), 0u);

    // Bits stay once set.
    M->DefaultProfile = true;
    M->NewSession = false;
    Reset();
    EXPECT_EQ(M->Logon(), 0u);
    EXPECT_EQ(Calls("MAPILogon").at(0).Flags, MAPI_FLAGS(MAPI_LOGON_UI | MAPI_NEW_SESSION));
    EXPECT_EQ(M->LogonFlags, MAPI_FLAGS(MAPI_LOGON_UI | MAPI_NEW_SESSION));
    EXPECT_EQ(M->Logoff(), 0u);

    // A refused logon is retried once, letting the provider ask.
    auto Fresh = std::make_unique<TQELMapiMail>(nullptr);
    Fresh->Profile = "Mine";
    Fresh->Password = "pw";
    Reset();
    Script("MAPILogon", MAPI_E_LOGIN_FAILURE);
    EXPECT_EQ(Fresh->Logon(), 0u);
    std::vector<TRecCall> Logons = Calls("MAPILogon");
    ASSERT_EQ(Logons.size(), 2u);
    EXPECT_EQ(Logons[1].Texts, (std::vector<TRecText>{std::nullopt, std::nullopt}));
    EXPECT_EQ(Logons[1].Flags, Logons[0].Flags | MAPI_LOGON_UI);
    EXPECT_EQ(Fresh->Session, 77u);
    Fresh.reset();

    Events.clear();
    Reset();
    Add("x", {"ann"});
    Script("MAPILogon", MAPI_E_LOGIN_FAILURE);
    Script("MAPILogon", MAPI_E_INSUFFICIENT_MEMORY);
    EXPECT_FALSE(M->Execute());
    EXPECT_EQ(Events, (std::vector<String>{"BeforeLogon", "OnLogonFailure:5", "AfterExecute"}));
    EXPECT_EQ(Entries(), (std::vector<String>{"MAPILogon", "MAPILogon"}));
    EXPECT_EQ(M->Session, 0u);
}

TEST_F(MapiMail, DefaultProfileComesFromTheUserRegistry)
{
    const String NT = "[Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles]\n";
    const String Old = "[Software\\Microsoft\\Windows Messaging Subsystem\\Profiles]\n";
    const std::pair<String, TRecText> Cases[] = {
        {NT + "DefaultProfile = Office\n" + Old + "DefaultProfile = Legacy\n", "Office"},
        {Old + "DefaultProfile = Legacy\n", "Legacy"},
        {"[Software\\Other]\nDefaultProfile = Nope\n", "Mine"}};
    for (const auto& [Ini, Expected] : Cases) {
        SCOPED_TRACE(Ini);
        WriteFile("HKEY_CURRENT_USER.ini", Ini);
        M->Profile = "Mine";
        Reset();
        ASSERT_EQ(M->Logon(), 0u);
        EXPECT_EQ(Calls("MAPILogon").at(0).Texts.at(0), Expected);
        EXPECT_EQ(M->Logoff(), 0u);
    }
}

TEST_F(MapiMail, LogoffFailureWithoutSessionAndOnDestruction)
{
    Hook();
    EXPECT_EQ(M->Logoff(), 0u);
    EXPECT_EQ(Events, std::vector<String>{"BeforeLogoff"});
    EXPECT_TRUE(Log()->empty());

    ASSERT_EQ(M->Logon(), 0u);
    Events.clear();
    Script("MAPILogoff", MAPI_E_INVALID_SESSION);
    EXPECT_EQ(M->Logoff(), uint32_t(MAPI_E_INVALID_SESSION));
    EXPECT_EQ(Events, (std::vector<String>{"BeforeLogoff", "OnLogoffFailure:19"}));
    EXPECT_EQ(M->Session, 0u);

    ASSERT_EQ(M->Logon(), 0u);
    Reset();
    M.reset();
    ASSERT_EQ(Calls("MAPILogoff").size(), 1u);
    EXPECT_EQ(Calls("MAPILogoff")[0].Session, 77u);
}

TEST_F(MapiMail, WithoutMapiNothingIsCalled)
{
    Hook();
    Add("x", {"ann"});
    for (bool Released : {true, false}) {
        SCOPED_TRACE(Released);
        if (Released) {
            ReleaseMapi();
        } else {
            WriteMachineKey("MAPI = 0\n");
            RebindMapi(QEL_MAPI_RECORDING_DIR);
        }
        Events.clear();
        EXPECT_FALSE(M->MapiInstalled());
        EXPECT_FALSE(M->Execute());
        EXPECT_TRUE(Events.empty());
        EXPECT_EQ(M->Logon(), uint32_t(MAPI_E_FAILURE));
        EXPECT_EQ(M->SendMapi(), uint32_t(MAPI_E_FAILURE));
        EXPECT_EQ(M->Logoff(), uint32_t(MAPI_E_FAILURE));
        EXPECT_EQ(Events, std::vector<String>(3, "OnMapiNotAvailable"));
        EXPECT_TRUE(Log()->empty());
        EXPECT_EQ(M->Messages()->Count(), 1);
    }
    M->SetDesigning(true);
    try {
        M->CheckMAPI();
        ADD_FAILURE() << "no exception";
    } catch (const TQELExceptunavailable& E) {
        EXPECT_EQ(E.Message(), "MAPI services are not available on this system");
    }
    M->SetDesigning(false);
}

TEST_F(MapiMail, HandlerErrorsAreReportedExceptBeforeSendMail)
{
    M->DeleteAfterSend = false;
    for (const char* S : {"a", "b", "c"})
        Add(S, {"ann"});
    M->OnSendError = [](TObject*, int32_t, TQELMapiMessage*) { throw Exception("send error"); };
    M->AfterSendMail = [](TObject*, TQELMapiMessage* Mail) {
        if (Mail->Subject == "b")
            throw Exception("after b");
    };
    Script("MAPISendMail", MAPI_E_FAILURE);
    EXPECT_TRUE(M->Execute());
    EXPECT_EQ(Calls("MAPISendMail").size(), 3u);
    EXPECT_EQ(Reported, (std::vector<String>{"send error", "after b"}));
    EXPECT_EQ(Entries().back(), "MAPILogoff");

    Reset();
    M->BeforeSendMail = [](TObject*, TQELMapiMessage*) { throw EAbort("before"); };
    ASSERT_EQ(M->Logon(), 0u);
    EXPECT_THROW(M->SendMapi(), EAbort);
    EXPECT_TRUE(Calls("MAPISendMail").empty());
    EXPECT_EQ(Reported.size(), 2u);
}

TEST_F(MapiMail, AHandlerThatRemovesMessagesEndsTheWalkWithTheCollection)
{
    for (const char* S : {"a", "b", "c"})
        Add(S, {"ann"});
    M->BeforeSendMail = [this](TObject*, TQELMapiMessage* Mail) {
        if (Mail->Subject == "a") M->Messages()->Delete(2);
    };
    EXPECT_TRUE(M->Execute());
    EXPECT_EQ(Calls("MAPISendMail").size(), 2u);
    EXPECT_TRUE(Reported.empty());
    EXPECT_EQ(M->Messages()->Count(), 0);
}

TEST_F(MapiMail, AssigningMessagesWithItemsFailsAndKeepsTheTarget)
{
    Add("source", {"ann"});
    TQELMapiMail Other(nullptr);
    Other.Messages()->Add()->Subject = "kept";
    EXPECT_THROW(Other.Messages()->Assign(M->Messages()), Exception);
    ASSERT_EQ(Other.Messages()->Count(), 1);
    EXPECT_EQ(Other.Messages()->Items(0)->Subject, "kept");
}

TEST_F(MapiMail, DeleteTellsTheHandlerFirstAndReportsABadIndex)
{
    Hook();
    Add("one", {"ann"});
    for (int bad : {1, 5, -1}) EXPECT_FALSE(M->Messages()->Delete(bad)) << bad;  // reported, as every mail collection does
    EXPECT_EQ(Reported, (std::vector<String>{"List index out of bounds (1)", "List index out of bounds (5)",
                                             "List index out of bounds (-1)"}));
    Reported.clear();
    TObject* sender = nullptr;
    Application->OnException = [&sender](TObject* Sender, const Exception&) { sender = Sender; };
    EXPECT_FALSE(M->Messages()->Delete(7));
    EXPECT_EQ(sender, M->Messages());
    Application->OnException = [this](TObject*, const Exception& E) { Reported.push_back(E.Message()); };
    EXPECT_TRUE(Events.empty());
    EXPECT_EQ(M->Messages()->Count(), 1);
    EXPECT_TRUE(M->Messages()->Delete(0));
    EXPECT_EQ(Events, Lines{"OnDeleteMail:one"});
    EXPECT_EQ(Senders, std::vector<TObject*>{M->Messages()});

    M->OnDeleteMail = [](TObject*, TQELMapiMessage*) { throw EAbort("handler"); };
    Add("two", {"ann"});
    EXPECT_THROW(M->Messages()->Delete(0), EAbort);  // so does the handler's error
    EXPECT_EQ(M->Messages()->Count(), 1);
    EXPECT_TRUE(Reported.empty());
}

}  // namespace
