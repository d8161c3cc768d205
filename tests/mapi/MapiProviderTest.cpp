// The provider end to end, called through the mail library's binding.
#include "mail/mapi/MapiTestSupport.h"

#include <cstdio>
#include <map>
#include <sys/stat.h>

using namespace qel;

namespace {

class MapiProvider : public TMapiFixture {
protected:
    void SetUp() override
    {
        TMapiFixture::SetUp();
        WriteMachineKey("MAPI = 1\n");
        WriteFile("HKEY_CURRENT_USER.ini",
                  "[Software\\QEL\\SimpleMapi]\nProfileFile = " + Path("profiles.ini") + "\n");
        WriteSendmail("fake-sendmail", 0);
        WriteSendmail("failing-sendmail", 75);
        WriteFile("book.txt", "# team\nAnn Smith = ann@example.org\nAndrew Jones = andrew@example.org\n"
                              "Bob Brown = bob@example.org\n");
        WriteFile("profiles.ini", "[General]\nDefaultProfile = Fax\n" + Profile("Office", "secret", "") + Profile("Fax", "", "fax.example.net") +
                                      "[Broken]\nSendmailPath = " + Path("failing-sendmail") + "\n");
        RebindMapi(QEL_MAPI_FULL_DIR);
        ASSERT_TRUE(MapiAvailable());
        ASSERT_EQ(MapiEntries().MAPILogon(0, (char*)"Office", (char*)"secret", 0, 0, &FSession), 0u);
    }
    void TearDown() override
    {
        if (FSession)
            MapiEntries().MAPILogoff(FSession, 0, 0, 0);
        TMapiFixture::TearDown();
    }

    String Profile(const String& Name, const String& Password, const String& Gateway) const
    {
        return "[" + Name + "]\nPassword = " + Password + "\nFrom = me@example.com\nSendmailPath = " +
               Path("fake-sendmail") + "\nAddressBook = " + Path("book.txt") +
               "\nFaxGateway = " + Gateway + "\n";
    }
    void WriteSendmail(const String& Name, int Status) const
    {
        WriteFile(Name, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + Path("args") + "'\ncat > '" +
                            Path("stdin") + "'\nexit " + std::to_string(Status) + "\n");
        chmod(Path(Name).c_str(), 0755);
    }

    // What a mail reader sees in the captured message: header and part values by name.
    std::multimap<String, String> Parse() const
    {
        WriteFile("parse.py",
                  "import sys, email\nfrom email import policy\n"
                  "m = email.message_from_binary_file(open(sys.argv[1], 'rb'), policy=policy.default)\n"
                  "for h in ['To','Cc','Bcc','Subject','Disposition-Notification-To','Message-ID','Date',"
                  "'MIME-Version','From']:\n"
                  "    for v in m.get_all(h) or []: print(h + '=' + str(v).replace('\\n', ' '))\n"
                  "print('body=' + m.get_body(('plain',)).get_content().replace('\\n', '|'))\n"
                  "for a in m.iter_attachments(): print('att=' + a.get_filename() + ':' + "
                  "a.get_payload(decode=True).hex())\n");
        std::multimap<String, String> Result;
        String Cmd = "/usr/bin/python3 '" + Path("parse.py") + "' '" + Path("stdin") + "'";
        FILE* P = popen(Cmd.c_str(), "r");
        char Line[4096];
        while (P && fgets(Line, sizeof(Line), P)) {
            String L(Line);
            L.erase(L.find_last_not_of('\n') + 1);
            size_t Eq = L.find('=');
            Result.emplace(L.substr(0, Eq), L.substr(Eq + 1));
        }
        if (P)
            pclose(P);
        return Result;
    }

    uint32_t Send(MapiMessage& M, MAPI_LHANDLE Session) { return MapiEntries().MAPISendMail(Session, 0, &M, 0, 0); }

    MAPI_LHANDLE FSession = 0;
};

MapiRecipDesc Recip(uint32_t Class, const char* Name, const char* Address)
{
    MapiRecipDesc R{};
    R.ulRecipClass = Class;
    R.lpszName = const_cast<char*>(Name);
    R.lpszAddress = const_cast<char*>(Address);
    return R;
}

TEST_F(MapiProvider, LogonChecksProfileAndPasswordWithoutDialogs)
{
    LPMAPILOGON Logon = MapiEntries().MAPILogon;
    MAPI_LHANDLE S = 0;
    EXPECT_EQ(Logon(0, (char*)"Office", (char*)"wrong", 0, 0, &S), uint32_t(MAPI_E_LOGIN_FAILURE));
    EXPECT_EQ(Logon(0, (char*)"Nobody", (char*)"", 0, 0, &S), uint32_t(MAPI_E_LOGIN_FAILURE));
    EXPECT_EQ(Logon(0, (char*)"Nobody", (char*)"", MAPI_LOGON_UI, 0, &S), uint32_t(MAPI_USER_ABORT));
    EXPECT_EQ(Logon(0, (char*)"Fax", nullptr, MAPI_NEW_SESSION, 0, &S), 0u);
    EXPECT_NE(S, FSession);
    EXPECT_EQ(MapiEntries().MAPILogoff(S, 0, 0, 0), 0u);
    EXPECT_EQ(MapiEntries().MAPILogoff(S, 0, 0, 0), uint32_t(MAPI_E_INVALID_SESSION));
    MapiMessage M{};
    EXPECT_EQ(Send(M, S), uint32_t(MAPI_E_INVALID_SESSION));
    EXPECT_EQ(MapiEntries().MAPIReadMail(FSession, 0, nullptr, 0, 0, nullptr), uint32_t(MAPI_E_NOT_SUPPORTED));
}

TEST_F(MapiProvider, SendMailHandsARealMessageToSendmail)
{
    WriteFile("report.bin", String("\x00\x01\xfe\xff" "data", 8));
    MapiRecipDesc Recips[] = {Recip(MAPI_TO, "Ann Smith", "SMTP:ann@example.org"),
                              Recip(MAPI_CC, "Bob", "bob@example.org"),
                              Recip(MAPI_BCC, "Hidden", "hidden@example.org")};
    MapiFileDesc Files[2]{};
    String PathName = Path("report.bin");
    Files[0].lpszPathName = PathName.data();
    Files[1].lpszPathName = PathName.data();
    Files[1].lpszFileName = (char*)"renamed.dat";
    MapiMessage M{};
    // Long enough to need several encoded words, each split between UTF-8 sequences.
    M.lpszSubject = (char*)"Quarterly figures \u00fcber alles \u2014 \u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4 end";
    M.lpszNoteText = (char*)"Hello,\r\nsee attached.";
    M.flFlags = MAPI_RECEIPT_REQUESTED;
    M.nRecipCount = 3;
    M.lpRecips = Recips;
    M.nFileCount = 2;
    M.lpFiles = Files;
    ASSERT_EQ(Send(M, FSession), 0u);

    EXPECT_EQ(ReadFile("args"), "-t\n-oi\n");
    auto H = Parse();
    EXPECT_EQ(H.find("To")->second, "Ann Smith <ann@example.org>");
    EXPECT_EQ(H.find("Cc")->second, "Bob <bob@example.org>");
    // Bcc travels only as sendmail's -t instruction, which removes it before delivery.
    EXPECT_EQ(H.find("Bcc")->second, "Hidden <hidden@example.org>");
    EXPECT_EQ(H.find("To")->second.find("hidden"), String::npos);
    EXPECT_EQ(H.find("Subject")->second, "Quarterly figures \u00fcber alles \u2014 \u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4\u00e4 end");
    for (size_t Pos = 0; (Pos = ReadFile("stdin").find("=?UTF-8?B?", Pos)) != String::npos; ++Pos)
        EXPECT_LE(ReadFile("stdin").find("?=", Pos + 10) + 2 - Pos, 75u);
    EXPECT_EQ(H.find("Disposition-Notification-To")->second, "me@example.com");
    EXPECT_EQ(H.find("MIME-Version")->second, "1.0");
    EXPECT_EQ(H.count("Message-ID"), 1u);
    EXPECT_EQ(H.count("Date"), 1u);
    EXPECT_EQ(H.find("body")->second, "Hello,|see attached.|");
    auto [First, Last] = H.equal_range("att");
    std::vector<String> Atts;
    for (auto It = First; It != Last; ++It)
        Atts.push_back(It->second);
    EXPECT_EQ(Atts, (std::vector<String>{"report.bin:0001feff64617461", "renamed.dat:0001feff64617461"}));
}

TEST_F(MapiProvider, SendMailRefusalsAndFailures)
{
    MapiRecipDesc To = Recip(MAPI_TO, "Ann", "ann@example.org");
    MapiMessage M{};
    M.lpszNoteText = (char*)"x";
    M.nRecipCount = 1;
    M.lpRecips = &To;
    To.lpszAddress = (char*)"ann@example.org\nBcc: victim@example.org";
    EXPECT_EQ(Send(M, FSession), uint32_t(MAPI_E_UNKNOWN_RECIPIENT));
    To.lpszAddress = (char*)"ann@example.org";
    EXPECT_EQ(MapiEntries().MAPISendMail(FSession, 0, &M, MAPI_DIALOG, 0), uint32_t(MAPI_USER_ABORT));
    To.ulRecipClass = 7;
    EXPECT_EQ(Send(M, FSession), uint32_t(MAPI_E_BAD_RECIPTYPE));
    To.ulRecipClass = MAPI_TO;
    MapiFileDesc Missing{};
    Missing.lpszPathName = (char*)"/nonexistent/file";
    M.nFileCount = 1;
    M.lpFiles = &Missing;
    EXPECT_EQ(Send(M, FSession), uint32_t(MAPI_E_ATTACHMENT_NOT_FOUND));
    M.nFileCount = 0;

    MAPI_LHANDLE Broken = 0;
    ASSERT_EQ(MapiEntries().MAPILogon(0, (char*)"Broken", nullptr, 0, 0, &Broken), 0u);
    EXPECT_EQ(Send(M, Broken), uint32_t(MAPI_E_FAILURE));
    EXPECT_EQ(ReadFile("args"), "-t\n-oi\n");  // it did run, and its status counted
    MapiEntries().MAPILogoff(Broken, 0, 0, 0);
}

TEST_F(MapiProvider, FailuresSayWhyAndSendmailPathMayCarryArguments)
{
    LPMAPILOGON Logon = MapiEntries().MAPILogon;
    MAPI_LHANDLE S = 0;
    EXPECT_EQ(Logon(0, (char*)"Office", (char*)"wrong", 0, 0, &S), uint32_t(MAPI_E_LOGIN_FAILURE));
    EXPECT_EQ(MapiLastErrorText(), "wrong password for profile 'Office'");
    // The retry with the dialog keeps the first reason.
    EXPECT_EQ(Logon(0, nullptr, nullptr, MAPI_LOGON_UI, 0, &S), 0u);  // the default profile needs none
    EXPECT_EQ(MapiLastErrorText(), "");
    MapiEntries().MAPILogoff(S, 0, 0, 0);
    EXPECT_EQ(Logon(0, (char*)"Nobody", (char*)"", 0, 0, &S), uint32_t(MAPI_E_LOGIN_FAILURE));
    EXPECT_EQ(MapiLastErrorText(), "no profile named 'Nobody' in " + Path("profiles.ini"));
    EXPECT_EQ(Logon(0, (char*)"Nobody", (char*)"", MAPI_LOGON_UI, 0, &S), uint32_t(MAPI_USER_ABORT));
    EXPECT_EQ(MapiLastErrorText(), "no profile named 'Nobody' in " + Path("profiles.ini") + "; no logon dialog can be shown");

    WriteFile("profiles.ini", "[Args]\nSendmailPath = " + Path("fake-sendmail") + " -C \"my file\" -X\n" +
                                  "[Missing]\nSendmailPath = " + Path("no-such-sendmail") + "\n");
    MapiRecipDesc To = Recip(MAPI_TO, "Ann", "ann@example.org");
    MapiMessage M{};
    M.lpszNoteText = (char*)"x";
    M.nRecipCount = 1;
    M.lpRecips = &To;
    ASSERT_EQ(Logon(0, (char*)"Args", nullptr, 0, 0, &S), 0u);
    EXPECT_EQ(Send(M, S), 0u);
    EXPECT_EQ(ReadFile("args"), "-C\nmy file\n-X\n-t\n-oi\n");
    MapiEntries().MAPILogoff(S, 0, 0, 0);
    ASSERT_EQ(Logon(0, (char*)"Missing", nullptr, 0, 0, &S), 0u);
    EXPECT_EQ(Send(M, S), uint32_t(MAPI_E_FAILURE));
    EXPECT_NE(MapiLastErrorText().find("no-such-sendmail cannot be run"), String::npos) << MapiLastErrorText();
    MapiEntries().MAPILogoff(S, 0, 0, 0);
    // No session and no default profile: the implicit logon says why.
    EXPECT_EQ(Send(M, 0), uint32_t(MAPI_E_LOGIN_FAILURE));
    EXPECT_NE(MapiLastErrorText().find("no default profile"), String::npos) << MapiLastErrorText();
}

TEST_F(MapiProvider, FaxNeedsAGateway)
{
    MapiRecipDesc To = Recip(MAPI_TO, "Fax:+49 30 1234-5", nullptr);
    MapiMessage M{};
    M.nRecipCount = 1;
    M.lpRecips = &To;
    EXPECT_EQ(Send(M, FSession), uint32_t(MAPI_E_UNKNOWN_RECIPIENT));
    EXPECT_EQ(ReadFile("stdin"), "");

    // Without a session the default profile serves the one call.
    ASSERT_EQ(Send(M, 0), 0u);
    EXPECT_EQ(Parse().find("To")->second, "\"Fax:+49 30 1234-5\" <+493012345@fax.example.net>");

    MAPI_LHANDLE Fax = 0;
    ASSERT_EQ(MapiEntries().MAPILogon(0, (char*)"Fax", nullptr, 0, 0, &Fax), 0u);
    ASSERT_EQ(Send(M, Fax), 0u);
    EXPECT_EQ(Parse().find("To")->second, "\"Fax:+49 30 1234-5\" <+493012345@fax.example.net>");
    To = Recip(MAPI_TO, "Office fax", "FAX:555 0101");
    ASSERT_EQ(Send(M, Fax), 0u);
    EXPECT_EQ(Parse().find("To")->second, "Office fax <5550101@fax.example.net>");
    MapiEntries().MAPILogoff(Fax, 0, 0, 0);
}

TEST_F(MapiProvider, ResolveNameUniqueAmbiguousUnknownAndFreeBuffer)
{
    LPMAPIRESOLVENAME Resolve = MapiEntries().MAPIResolveName;
    lpMapiRecipDesc R = nullptr;
    ASSERT_EQ(Resolve(FSession, 0, (char*)"bob", 0, 0, &R), 0u);
    ASSERT_NE(R, nullptr);
    EXPECT_STREQ(R->lpszName, "Bob Brown");
    EXPECT_STREQ(R->lpszAddress, "bob@example.org");
    EXPECT_EQ(MapiEntries().MAPIFreeBuffer(R), 0u);
    EXPECT_EQ(MapiEntries().MAPIFreeBuffer(R), uint32_t(MAPI_E_FAILURE));  // not twice

    R = nullptr;
    EXPECT_EQ(Resolve(FSession, 0, (char*)"An", 0, 0, &R), uint32_t(MAPI_E_AMBIGUOUS_RECIPIENT));
    EXPECT_EQ(Resolve(FSession, 0, (char*)"An", MAPI_DIALOG, 0, &R), uint32_t(MAPI_USER_ABORT));
    EXPECT_EQ(Resolve(FSession, 0, (char*)"Carol", 0, 0, &R), uint32_t(MAPI_E_UNKNOWN_RECIPIENT));
    EXPECT_EQ(R, nullptr);
    ASSERT_EQ(Resolve(FSession, 0, (char*)"ann smith", 0, 0, &R), 0u);
    EXPECT_STREQ(R->lpszAddress, "ann@example.org");
    EXPECT_EQ(MapiEntries().MAPIFreeBuffer(R), 0u);
    EXPECT_EQ(MapiEntries().MAPIFreeBuffer(nullptr), 0u);
}

TEST_F(MapiProvider, ResolveNameTakesAnAddressMissingFromTheBookAsItself)
{
    LPMAPIRESOLVENAME Resolve = MapiEntries().MAPIResolveName;
    lpMapiRecipDesc R = nullptr;
    ASSERT_EQ(Resolve(FSession, 0, (char*)" dave@example.net ", 0, 0, &R), 0u);
    EXPECT_STREQ(R->lpszName, "dave@example.net");
    EXPECT_STREQ(R->lpszAddress, "dave@example.net");
    EXPECT_EQ(MapiEntries().MAPIFreeBuffer(R), 0u);
    ASSERT_EQ(Resolve(FSession, 0, (char*)"SMTP:erin@example.net", 0, 0, &R), 0u);
    EXPECT_STREQ(R->lpszAddress, "erin@example.net");
    EXPECT_EQ(MapiEntries().MAPIFreeBuffer(R), 0u);
    // The book still wins: its name comes back for an address it holds.
    ASSERT_EQ(Resolve(FSession, 0, (char*)"BOB@example.org", 0, 0, &R), 0u);
    EXPECT_STREQ(R->lpszName, "Bob Brown");
    EXPECT_EQ(MapiEntries().MAPIFreeBuffer(R), 0u);

    R = nullptr;
    EXPECT_EQ(Resolve(FSession, 0, (char*)"Dave <dave@example.net>", 0, 0, &R), uint32_t(MAPI_E_UNKNOWN_RECIPIENT));
    EXPECT_EQ(Resolve(FSession, 0, (char*)"a@b, c@d", 0, 0, &R), uint32_t(MAPI_E_UNKNOWN_RECIPIENT));
    EXPECT_EQ(R, nullptr);
}

TEST_F(MapiProvider, SendMailLooksUpBookNamesWithBlanksAndTakesPlainAddresses)
{
    // What the component hands over after resolving: the resolved name alone.
    MapiRecipDesc Recips[] = {Recip(MAPI_TO, "Ann Smith", nullptr), Recip(MAPI_CC, "dave@example.net", nullptr)};
    MapiMessage M{};
    M.lpszNoteText = (char*)"x";
    M.nRecipCount = 2;
    M.lpRecips = Recips;
    ASSERT_EQ(Send(M, FSession), 0u);
    auto H = Parse();
    EXPECT_EQ(H.find("To")->second, "Ann Smith <ann@example.org>");
    EXPECT_EQ(H.find("Cc")->second, "dave@example.net");

    Recips[0] = Recip(MAPI_TO, "Carol King", nullptr);
    EXPECT_EQ(Send(M, FSession), uint32_t(MAPI_E_UNKNOWN_RECIPIENT));
    WriteFile("book.txt", "Mallory = mallory@example.org, victim@example.org\n");
    Recips[0] = Recip(MAPI_TO, "Mallory", nullptr);
    EXPECT_EQ(Send(M, FSession), uint32_t(MAPI_E_UNKNOWN_RECIPIENT));
}

}  // namespace
