// TQELQuickMail against the recording provider.
#include "framework/core/FormFiles.h"
#include "mail/mapi/RecordingFixture.h"

#include <memory>

using namespace qel;

namespace {

class QuickMail : public TRecordingFixture {
protected:
    void SetUp() override
    {
        TRecordingFixture::SetUp();
        Q.ToName = "Ann Smith";
        Q.ToEmailorFaxAddress = "ann@example.org";
        Q.Subject = "Hi";
        Q.OnError = [this](TObject*) { Errors.push_back(Q.ErrorNo); };
    }

    TQELQuickMail Q{nullptr};
    std::vector<String> Errors;  // ErrorNo as OnError saw it
};

TEST_F(QuickMail, OneRecipientRecordWithoutLogon)
{
    struct Case {
        TQELFaxorMail Kind;
        std::vector<String> Text;
        const char *Address, *Note;
    };
    const Case Cases[] = {{ccMail, {"one", "two"}, "smtp:ann@example.org", "one\ntwo\n"},
                          {ccFax, {"fax"}, "Fax:ann@example.org", "fax\n"},
                          {ccMail, {}, "smtp:ann@example.org", ""}};
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Address);
        Reset();
        Q.MailorFax = C.Kind;
        Q.TextToSend()->Clear();
        Q.TextToSend()->AddStrings(C.Text);
        Q.ErrorNo = "unset";
        EXPECT_TRUE(Q.Execute());
        ASSERT_EQ(Entries(), std::vector<String>{"MAPISendMail"});
        const TRecCall Call = Calls("MAPISendMail")[0];
        EXPECT_EQ(Call.Session, 0u);
        EXPECT_EQ(Call.Flags, MAPI_FLAGS(MAPI_LOGON_UI));
        const TRecMessage& R = Call.Message;
        EXPECT_EQ(R.Subject, "Hi");
        EXPECT_EQ(R.NoteText, C.Note);
        EXPECT_EQ(R.Flags, MAPI_FLAGS(MAPI_RECEIPT_REQUESTED));
        EXPECT_EQ(R.FileCount, 0u);
        ASSERT_EQ(R.RecipCount, 1u);
        ASSERT_EQ(R.Recips.size(), 1u);
        ExpectRecip(R.Recips[0], MAPI_TO, "Ann Smith", C.Address);
        EXPECT_EQ(Q.ErrorNo, "0");
    }
    EXPECT_TRUE(Errors.empty());
}

TEST_F(QuickMail, FailureBeforeSendAndMissingMapi)
{
    Script("MAPISendMail", MAPI_E_UNKNOWN_RECIPIENT);
    EXPECT_TRUE(Q.Execute());
    EXPECT_EQ(Q.ErrorNo, "14");
    EXPECT_EQ(Errors, std::vector<String>{"14"});

    // Properties changed by BeforeSend make the record.
    Reset();
    Q.BeforeSend = [this](TObject*) {
        Q.ToName = "Bob";
        Q.ToEmailorFaxAddress = "bob@example.org";
        Q.Subject = "Changed";
    };
    EXPECT_TRUE(Q.Execute());
    EXPECT_EQ(Sent().Subject, "Changed");
    ASSERT_EQ(Sent().Recips.size(), 1u);
    ExpectRecip(Sent().Recips[0], MAPI_TO, "Bob", "smtp:bob@example.org");
    EXPECT_EQ(Q.ErrorNo, "0");

    Reset();
    ReleaseMapi();
    EXPECT_TRUE(Q.Execute());
    EXPECT_TRUE(Log()->empty());
    EXPECT_EQ(Q.ErrorNo, "2");
    EXPECT_EQ(Errors, (std::vector<String>{"14", "2"}));
}

}  // namespace

TEST(QuickMailForm, TheFaxOrMailChoiceIsStoredByName)
{
    TQELQuickMail q(nullptr);
    q.SetName("Quick1");
    q.MailorFax = ccFax;
    const String text = ComponentToText(&q);
    EXPECT_NE(String::npos, text.find("\"MailorFax\": \"ccFax\"")) << text;
    std::unique_ptr<TComponent> copy(TextToComponent(text));
    EXPECT_EQ(ccFax, As<TQELQuickMail>(copy.get())->MailorFax);
}

TEST(QuickMailForm, AFileThatStoredTheChoiceByNumberStillReads)
{
    const String text = R"({"qelform": 1, "root": {"class": "TQELQuickMail", "name": "Quick1", "properties": {"MailorFax": 1}}})";
    std::unique_ptr<TComponent> copy(TextToComponent(text));
    EXPECT_EQ(ccFax, As<TQELQuickMail>(copy.get())->MailorFax);
    EXPECT_THROW(TextToComponent(R"({"qelform": 1, "root": {"class": "TQELQuickMail", "name": "Q", "properties": {"MailorFax": 7}}})"),
                 EReadError);
}
