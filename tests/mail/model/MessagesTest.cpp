#include "framework/core/FormFiles.h"
#include "mail/MailTestSupport.h"
#include "mail/QELTIEmails.h"

#include <gtest/gtest.h>

using namespace qel;

namespace {

constexpr const char* Octets = "application/octet-stream";

// Records what the delete seam hears, as a POP3 host would.
class TRecordingHost : public TQELMailHost {
public:
    using TQELMailHost::TQELMailHost;
    void MessageDeleting(TQELMessage* Message) override { Forgotten.push_back(Message->MessageId); }
    std::vector<String> Forgotten;
};

}  // namespace

TEST(MessagesTest, FreshMessagesAndDisplayNames)
{
    TQELMailHost incoming(nullptr);
    TQELSMTPMail outgoing(nullptr);
    TQELMessage* in = incoming.Messages()->Add();
    TQELMessage* out = outgoing.Messages()->Add();
    EXPECT_EQ(in->Message()->Count() + in->Attachments()->Count() + in->MessageNumber, 0);
    EXPECT_EQ(in->Account, nullptr);
    EXPECT_EQ(in->FromMail + in->SendTo + in->MessageId + in->Date, "");
    EXPECT_EQ(in->Host(), &incoming);
    EXPECT_EQ(in->Attachments()->GetOwner(), in);
    EXPECT_EQ(in->DisplayName(), "Incoming Message");
    EXPECT_EQ(out->DisplayName(), "Outgoing Message");
    EXPECT_EQ(out->Attachments()->Add("a.txt")->DisplayName(), "Attachment");
    EXPECT_EQ(in->Attachments()->Add("b.txt")->DisplayName(), "Attachment");
}

TEST(MessagesTest, AttachmentNamesAndTypesFromTheSystemTable)
{
    TQELMailHost host(nullptr);
    TQELAttachments* list = host.Messages()->Add()->Attachments();
    TQELAttachment* report = list->Add("C:\\mail\\report.txt");
    EXPECT_EQ(report->FileName, "report.txt");
    EXPECT_EQ(report->PhysFile, "C:\\mail\\report.txt");
    EXPECT_EQ(report->MimeType, "text/plain");
    EXPECT_EQ(report->Message(), list->Message());
    EXPECT_EQ(report->Content->Size() + report->EncodedLines->Count(), 0);
    const std::vector<std::tuple<String, String, String>> cases = {
        {"/home/ann/paper.pdf", "paper.pdf", "application/pdf"},
        {"C:notes.txt", "notes.txt", "text/plain"},
        {"/home/ann/README", "README", Octets},
        {"archive.qel-unknown-ext", "archive.qel-unknown-ext", Octets},
        {"/etc.d/noext", "noext", Octets},
    };
    for (const auto& [path, name, type] : cases) {
        TQELAttachment* a = list->Add(path);
        EXPECT_EQ(a->FileName, name) << path;
        EXPECT_EQ(a->MimeType, type) << path;
        EXPECT_EQ(TQELAttachments::GetMimetype(path), type) << path;
    }
}

TEST(MessagesTest, RegistryEntriesDecideTheTypeAndFaultsLeaveTheItem)
{
    MailTest::TTempFolder dir;
    dir.Write("HKEY_CLASSES_ROOT.ini", "[.txt]\nContent Type=text/x-own\n[.qelnotype]\nOther=x\n"
                                        "[.qelbad]\nContent Type=dword:1\n");
    MailTest::TRegistryFolder registry(dir.Path());
    TQELMailHost host(nullptr);
    TQELAttachments* list = host.Messages()->Add()->Attachments();
    EXPECT_EQ(list->Add("a.txt")->MimeType, "text/x-own");
    EXPECT_EQ(list->Add("a.qelnotype")->MimeType, Octets);
    EXPECT_THROW(list->Add("dir/a.qelbad"), ERegistryException);
    ASSERT_EQ(list->Count(), 3);
    EXPECT_EQ(list->Items(2)->FileName, "a.qelbad");
    EXPECT_EQ(list->Items(2)->PhysFile, "dir/a.qelbad");
    EXPECT_EQ(list->Items(2)->MimeType, "");
}

TEST(MessagesTest, DeletesReportBadIndexesAndTellTheHost)
{
    MailTest::TExceptionLog log;
    TRecordingHost host(nullptr);
    TQELMessages* messages = host.Messages();
    messages->Add()->MessageId = "<1@x>";
    messages->Add()->MessageId = "<2@x>";
    TQELAttachments* files = messages->Items(0)->Attachments();
    files->Add("a.txt");
    EXPECT_FALSE(messages->Delete(2));
    EXPECT_FALSE(files->Delete(-1));
    ASSERT_EQ(log.Count(), 2u);
    EXPECT_EQ(log.Reports[0].Sender, messages);
    EXPECT_EQ(log.Reports[1].Sender, files);
    EXPECT_TRUE(host.Forgotten.empty());
    EXPECT_EQ(messages->Count() + files->Count(), 3);

    EXPECT_TRUE(files->Delete(0));
    EXPECT_TRUE(messages->Delete(0));
    EXPECT_EQ(host.Forgotten, std::vector<String>{"<1@x>"});
    ASSERT_EQ(messages->Count(), 1);
    EXPECT_EQ(messages->Items(0)->MessageId, "<2@x>");
}

TEST(MessagesTest, ItemsRefuseForeignCollections)
{
    TCollection messages(ClassOf<TQELMessage>());
    TQELMessages hostless(nullptr);
    TCollection attachments(ClassOf<TQELAttachment>());
    TQELAttachments orphan(nullptr);
    for (TCollection* c : std::initializer_list<TCollection*>{&messages, &hostless, &attachments, &orphan}) {
        EXPECT_THROW(c->Add(), EInvalidCast) << c->ClassName();
        EXPECT_EQ(c->Count(), 0) << c->ClassName();
    }
}

TEST(MessagesTest, CopyingBodiesAndAttachments)
{
    TQELMailHost host(nullptr);
    TQELMessage* m = host.Messages()->Add();
    TQELMessage* other = host.Messages()->Add();
    TStringList body;
    body.SetText("Hello\nBye\n");
    m->SetMessage(&body);
    body.Clear();
    EXPECT_EQ(m->Message()->Text(), "Hello\nBye\n");

    m->Attachments()->Add("keep.txt");
    other->Attachments()->Add("x.txt");
    EXPECT_THROW(m->SetQELAttachments(other->Attachments()), EConvertError);
    ASSERT_EQ(m->Attachments()->Count(), 1);  // a failed copy leaves what was there
    EXPECT_EQ(m->Attachments()->Items(0)->FileName, "keep.txt");
    EXPECT_THROW(m->Attachments()->SeTQELAttachment(0, other->Attachments()->Items(0)), EConvertError);
    EXPECT_THROW(host.Messages()->SetQELMessage(0, other), EConvertError);

    other->Attachments()->Delete(0);
    m->SetQELAttachments(other->Attachments());
    EXPECT_EQ(m->Attachments()->Count(), 0);
}

TEST(MessagesTest, SaveToFileWritesContentOrReports)
{
    MailTest::TExceptionLog log;
    MailTest::TTempFolder dir;
    TQELMailHost host(nullptr);
    TQELAttachment* a = host.Messages()->Add()->Attachments()->Add("x.bin");
    a->Content->WriteString(String("a\0b\r\nlong tail", 14));
    a->SaveToFile(dir.FilePath("out.bin"));
    a->Content->SetSize(3);
    a->SaveToFile(dir.FilePath("out.bin"));
    EXPECT_EQ(dir.Read("out.bin"), String("a\0b", 3));
    EXPECT_EQ(log.Count(), 0u);

    a->SaveToFile(dir.FilePath("missing/dir/out.bin"));
    ASSERT_EQ(log.Count(), 1u);
    EXPECT_EQ(log.Reports[0].Sender, a);
}

TEST(MessagesTest, FormFileRoundTripOfOutgoingMessages)
{
    TComponent form(nullptr);
    form.SetName("Form1");
    auto* smtp = new TQELSMTPMail(&form);
    smtp->SetName("SMTP1");
    TQELMessage* m = smtp->Messages()->Add();
    m->FromMail = "ann@example.org";
    m->FromName = "Ann";
    m->ReplyTo = "desk@example.org";
    m->SendTo = "bob@example.org;eve@example.org";
    m->Subject = "Report";
    m->MessageId = "<never-stored@x>";
    m->Message()->SetText("Line 1\nLine 2\n");
    m->Attachments()->Add("/srv/files/report.pdf");
    m->Attachments()->Add("C:\\mail\\notes.txt");

    const String text = ComponentToText(&form);
    EXPECT_EQ(text.find("About"), String::npos);
    EXPECT_EQ(text.find("never-stored"), String::npos);

    TComponent loaded(nullptr);
    TextToComponent(text, &loaded);
    auto* copy = dynamic_cast<TQELSMTPMail*>(loaded.FindComponent("SMTP1"));
    ASSERT_TRUE(copy);
    ASSERT_EQ(copy->Messages()->Count(), 1);
    TQELMessage* r = copy->Messages()->Items(0);
    EXPECT_EQ(r->DisplayName(), "Outgoing Message");
    EXPECT_EQ(r->FromName + "|" + r->FromMail + "|" + r->ReplyTo, "Ann|ann@example.org|desk@example.org");
    EXPECT_EQ(r->SendTo, m->SendTo);
    EXPECT_EQ(r->Subject, "Report");
    EXPECT_EQ(r->MessageId, "");
    EXPECT_EQ(r->Message()->Text(), "Line 1\nLine 2\n");
    ASSERT_EQ(r->Attachments()->Count(), 2);
    const TQELAttachment* notes = r->Attachments()->Items(1);
    // The type is not stored: the composition looks it up again from the file name.
    EXPECT_EQ(notes->FileName + "|" + notes->PhysFile + "|" + notes->MimeType, "notes.txt|C:\\mail\\notes.txt|");
}

TEST(MessagesTest, CcAndBccArePublishedAndStoredOnlyWhenSet)
{
    TComponent form(nullptr);
    form.SetName("Form1");
    auto* smtp = new TQELSMTPMail(&form);
    smtp->SetName("SMTP1");
    TQELMessage* plain = smtp->Messages()->Add();
    plain->SendTo = "bob@example.org";
    EXPECT_EQ(plain->CC + plain->BCC, "");
    const String stored = ComponentToText(&form);
    EXPECT_EQ(stored.find("\"CC\""), String::npos);
    EXPECT_EQ(stored.find("\"BCC\""), String::npos);

    TQELMessage* copied = smtp->Messages()->Add();
    copied->setProperty("CC", QVariant::fromValue(String("cy@example.org;dee@example.org")));
    copied->setProperty("BCC", QVariant::fromValue(String("eve@example.org")));
    EXPECT_EQ(copied->CC, "cy@example.org;dee@example.org");
    EXPECT_EQ(copied->BCC, "eve@example.org");

    TComponent loaded(nullptr);
    TextToComponent(ComponentToText(&form), &loaded);
    auto* copy = dynamic_cast<TQELSMTPMail*>(loaded.FindComponent("SMTP1"));
    ASSERT_TRUE(copy);
    ASSERT_EQ(copy->Messages()->Count(), 2);
    EXPECT_EQ(copy->Messages()->Items(0)->CC + copy->Messages()->Items(0)->BCC, "");
    EXPECT_EQ(copy->Messages()->Items(1)->CC, "cy@example.org;dee@example.org");
    EXPECT_EQ(copy->Messages()->Items(1)->BCC, "eve@example.org");
}
