#include "framework/core/FormFiles.h"
#include "mail/MailTestSupport.h"
#include "mail/model/MailStrings.h"
#include "mail/model/MailAccount.h"

#include <gtest/gtest.h>

using namespace qel;

namespace {

void Fill(TQELMailAccount* A, const String& Tag)
{
    A->Include = false;
    A->SetTimeOut(30);
    A->Fullname = Tag + " Full";
    A->AccountName = Tag;
    A->Organization = Tag + " Org";
    A->Username = Tag + "-user";
    A->Password = Tag + "-pass";
    A->HeaderOnly = true;
    A->Pop3Port = 995;
    A->Pop3Server = "pop." + Tag;
    A->SMTPPort = 587;
    A->ReplyMail = "reply@" + Tag;
    A->FromMail = "from@" + Tag;
    A->SMTPServer = "smtp." + Tag;
    A->DeleteOffServer = true;
}

void ExpectFilledAs(const TQELMailAccount* A, const String& Tag)
{
    EXPECT_EQ(A->Include, false);
    EXPECT_EQ(A->TimeOut(), 30);
    EXPECT_EQ(A->Fullname, Tag + " Full");
    EXPECT_EQ(A->AccountName, Tag);
    EXPECT_EQ(A->Organization, Tag + " Org");
    EXPECT_EQ(A->Username + A->Password, Tag + "-user" + Tag + "-pass");
    EXPECT_TRUE(A->HeaderOnly && A->DeleteOffServer);
    EXPECT_EQ(A->Pop3Port, 995);
    EXPECT_EQ(A->Pop3Server, "pop." + Tag);
    EXPECT_EQ(A->SMTPPort, 587);
    EXPECT_EQ(A->ReplyMail + A->FromMail, "reply@" + Tag + "from@" + Tag);
    EXPECT_EQ(A->SMTPServer, "smtp." + Tag);
}

}  // namespace

TEST(AccountsTest, NewAccountsAndTheDefaultMark)
{
    TQELAccountHolder holder(nullptr);
    EXPECT_EQ(holder.About, "(QEL Mail Components)");
    EXPECT_FALSE(holder.Execute());
    TQELMailAccount* first = holder.Accounts()->Add();
    TQELMailAccount* second = holder.Accounts()->Add();
    EXPECT_EQ(first->Holder(), &holder);
    EXPECT_TRUE(first->Default());
    EXPECT_FALSE(second->Default());
    EXPECT_TRUE(first->Include && !first->HeaderOnly && !first->DeleteOffServer);
    EXPECT_EQ(first->TimeOut(), 60);
    EXPECT_EQ(first->ProgressStep(), 0);
    EXPECT_EQ(first->Pop3Port, 110);
    EXPECT_EQ(first->SMTPPort, 25);
    EXPECT_EQ(first->SMTPServer + first->Username + first->AccountName, "");

    second->setProperty("Default", true);
    EXPECT_FALSE(first->Default());
    EXPECT_TRUE(second->Default());
    second->SetDefault(false);
    EXPECT_FALSE(first->Default() || second->Default());

    EXPECT_EQ(first->DisplayName(), "TQELMailAccount");
    first->AccountName = "Work";
    EXPECT_EQ(first->DisplayName(), "Work");
}

TEST(AccountsTest, PropertyWritesAreClamped)
{
    TQELAccountHolder holder(nullptr);
    TQELMailAccount* a = holder.Accounts()->Add();
    for (auto [in, out] : {std::pair{0, 1}, {-5, 1}, {30, 30}}) {
        a->setProperty("TimeOut", in);
        EXPECT_EQ(a->TimeOut(), out) << in;
    }
    for (auto [in, out] : {std::pair{0, 1}, {-1, 1}, {101, 1}, {100, 100}, {1, 1}}) {
        a->setProperty("ProgressStep", in);
        EXPECT_EQ(a->ProgressStep(), out) << in;
    }
}

TEST(AccountsTest, CopiesKeepTheTargetsDefaultAndProgressStep)
{
    TQELAccountHolder holder(nullptr);
    TQELMailAccount* src = holder.Accounts()->Add();
    TQELMailAccount* dst = holder.Accounts()->Add();
    Fill(src, "home");
    src->SetProgressStep(10);
    dst->SetProgressStep(5);
    holder.Accounts()->SetQELMailAccount(1, src);
    ExpectFilledAs(dst, "home");
    EXPECT_EQ(dst->ProgressStep(), 5);
    EXPECT_FALSE(dst->Default());
    EXPECT_TRUE(src->Default());

    TStringList notAnAccount;
    EXPECT_THROW(dst->Assign(&notAnAccount), EConvertError);

    // The holder's copy makes fresh accounts: only the first is marked.
    TQELAccountHolder copy(nullptr);
    dst->SetDefault(true);
    copy.SetQELMailAccounts(holder.Accounts());
    ASSERT_EQ(copy.Accounts()->Count(), 2);
    ExpectFilledAs(copy.Accounts()->Items(1), "home");
    EXPECT_TRUE(copy.Accounts()->Items(0)->Default());
    EXPECT_FALSE(copy.Accounts()->Items(1)->Default());
    EXPECT_EQ(copy.Accounts()->Items(1)->Holder(), &copy);
}

TEST(AccountsTest, DeleteAndForeignCollections)
{
    MailTest::TExceptionLog log;
    TQELAccountHolder holder(nullptr);
    TQELMailAccounts* accounts = holder.Accounts();
    accounts->Add();
    EXPECT_FALSE(accounts->Delete(1));
    EXPECT_FALSE(accounts->Delete(-1));
    ASSERT_EQ(log.Count(), 2u);
    EXPECT_EQ(log.Reports[0].Sender, accounts);
    EXPECT_EQ(accounts->Count(), 1);
    EXPECT_TRUE(accounts->Delete(0));
    EXPECT_EQ(accounts->Count(), 0);

    TCollection plain(ClassOf<TQELMailAccount>());
    TQELMailAccounts orphan(nullptr);
    EXPECT_THROW(plain.Add(), EInvalidCast);
    EXPECT_THROW(orphan.Add(), EInvalidCast);
    EXPECT_EQ(plain.Count() + orphan.Count(), 0);
}

TEST(AccountsTest, FormFileRoundTrip)
{
    TComponent form(nullptr);
    form.SetName("Form1");
    auto* holder = new TQELAccountHolder(&form);
    holder->SetName("Holder1");
    Fill(holder->Accounts()->Add(), "home");
    TQELMailAccount* work = holder->Accounts()->Add();
    work->AccountName = "work";
    work->SetProgressStep(20);
    work->SetDefault(true);

    const String text = ComponentToText(&form);
    EXPECT_EQ(text.find("About"), String::npos);
    EXPECT_EQ(text.find(QELMailStr::AboutMail), String::npos);

    TComponent loaded(nullptr);
    TextToComponent(text, &loaded);
    auto* copy = dynamic_cast<TQELAccountHolder*>(loaded.FindComponent("Holder1"));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->About, QELMailStr::AboutMail);
    ASSERT_EQ(copy->Accounts()->Count(), 2);
    TQELMailAccount* home = copy->Accounts()->Items(0);
    ExpectFilledAs(home, "home");
    EXPECT_EQ(home->ProgressStep(), 1);  // created in code with 0, loaded through the setter
    EXPECT_EQ(copy->Accounts()->Items(1)->ProgressStep(), 20);
    EXPECT_EQ(copy->Accounts()->Items(1)->AccountName, "work");
    // The later account was the default and stays so.
    EXPECT_FALSE(home->Default());
    EXPECT_TRUE(copy->Accounts()->Items(1)->Default());
}

TEST(AccountsTest, CopyingIntoAHolderWithAccountsEndsAsARefill)
{
    TQELAccountHolder source(nullptr);
    Fill(source.Accounts()->Add(), "home");
    Fill(source.Accounts()->Add(), "work");
    source.Accounts()->Items(1)->SetDefault(true);

    // Emptied and refilled one by one: the first copy is the default, whatever was marked before.
    for (int kept : {1, 2, 3}) {
        SCOPED_TRACE(kept);
        TQELAccountHolder target(nullptr);
        for (int i = 0; i < kept; ++i) target.Accounts()->Add()->AccountName = "old";
        target.Accounts()->Items(kept - 1)->SetDefault(true);
        target.SetQELMailAccounts(source.Accounts());
        ASSERT_EQ(target.Accounts()->Count(), 2);
        ExpectFilledAs(target.Accounts()->Items(0), "home");
        ExpectFilledAs(target.Accounts()->Items(1), "work");
        EXPECT_TRUE(target.Accounts()->Items(0)->Default());
        EXPECT_FALSE(target.Accounts()->Items(1)->Default());
        EXPECT_EQ(target.Accounts()->Items(0)->ProgressStep() + target.Accounts()->Items(1)->ProgressStep(), 0);
    }

    // Copying a collection onto itself, or a copy that fails, changes no mark.
    TQELMailAccounts* accounts = source.Accounts();
    accounts->Assign(accounts);
    EXPECT_FALSE(accounts->Items(0)->Default());
    EXPECT_TRUE(accounts->Items(1)->Default());
    TCollection foreign(ClassOf<TCollectionItem>());
    foreign.Add();
    EXPECT_THROW(accounts->Assign(&foreign), EConvertError);
    ASSERT_EQ(accounts->Count(), 2);
    EXPECT_FALSE(accounts->Items(0)->Default());
    EXPECT_TRUE(accounts->Items(1)->Default());

    // An empty copy leaves no account.
    TQELAccountHolder empty(nullptr);
    source.SetQELMailAccounts(empty.Accounts());
    EXPECT_EQ(source.Accounts()->Count(), 0);
}

// ---------------------------------------------------------------- secure-mail settings

namespace {

void FillSecure(TQELMailAccount* A)
{
    A->SMTPSecurity = msStartTLS;
    A->SMTPAuthUser = "alice";
    A->Pop3Security = msImplicitTLS;
    A->VerifyCertificate = false;
    A->CAFile = "/etc/qel/ca.pem";
    A->PinnedCertificate = "AB:CD";
    A->Pop3NewOnly = true;
}

void ExpectSecure(const TQELMailAccount* A)
{
    EXPECT_EQ(A->SMTPSecurity, msStartTLS);
    EXPECT_EQ(A->SMTPAuthUser, "alice");
    EXPECT_EQ(A->Pop3Security, msImplicitTLS);
    EXPECT_FALSE(A->VerifyCertificate);
    EXPECT_EQ(A->CAFile, "/etc/qel/ca.pem");
    EXPECT_EQ(A->PinnedCertificate, "AB:CD");
    EXPECT_TRUE(A->Pop3NewOnly);
}

}  // namespace

TEST(AccountsTest, SecureSettingsAtTheirDefaultsLeaveTheFormTextAsBefore)
{
    TComponent form(nullptr);
    form.SetName("Form1");
    auto* holder = new TQELAccountHolder(&form);
    holder->SetName("Holder1");
    TQELMailAccount* account = holder->Accounts()->Add();
    EXPECT_EQ(account->SMTPSecurity, msNone);
    EXPECT_EQ(account->Pop3Security, msNone);
    EXPECT_TRUE(account->VerifyCertificate);
    EXPECT_FALSE(account->Pop3NewOnly);
    // The text as it was before these settings existed.
    EXPECT_EQ(ComponentToText(&form), R"({
    "qelform": 1,
    "root": {
        "class": "TComponent",
        "components": [
            {
                "class": "TQELAccountHolder",
                "name": "Holder1",
                "properties": {
                    "Accounts": [
                        {
                            "Default": true,
                            "ProgressStep": 0
                        }
                    ]
                }
            }
        ],
        "name": "Form1"
    }
}
)");
}

TEST(AccountsTest, SecureSettingsAreStoredByNameLoadedAndCopied)
{
    TComponent form(nullptr);
    form.SetName("Form1");
    auto* holder = new TQELAccountHolder(&form);
    holder->SetName("Holder1");
    FillSecure(holder->Accounts()->Add());
    const String text = ComponentToText(&form);
    EXPECT_NE(text.find(R"("SMTPSecurity": "msStartTLS")"), String::npos) << text;
    EXPECT_NE(text.find(R"("Pop3Security": "msImplicitTLS")"), String::npos) << text;

    TComponent loaded(nullptr);
    TextToComponent(text, &loaded);
    auto* copy = dynamic_cast<TQELAccountHolder*>(loaded.FindComponent("Holder1"));
    ASSERT_TRUE(copy);
    ASSERT_EQ(copy->Accounts()->Count(), 1);
    ExpectSecure(copy->Accounts()->Items(0));

    TQELAccountHolder other(nullptr);
    other.Accounts()->Add()->Assign(copy->Accounts()->Items(0));
    ExpectSecure(other.Accounts()->Items(0));
}
