#include "mail/model/MailMessages.h"

#include "framework/core/Application.h"
#include "framework/core/Registry.h"
#include "framework/core/SysUtils.h"
#include "mail/session/MailHost.h"
#include "mail/model/MailErrors.h"
#include "mail/model/MailStrings.h"
#include "mail/smtp/SMTPMail.h"

namespace qel {

QEL_REGISTER_CLASS(TQELAttachment);
QEL_REGISTER_CLASS(TQELMessage);

// ---------------------------------------------------------------- TQELAttachment

TQELAttachment::TQELAttachment(TCollection* Collection) : TCollectionItem(Collection)
{
    FMessage = OwnerOrRefuse<TQELAttachments>(this, Collection, "a TQELAttachments owned by a TQELMessage");
    Content = std::make_unique<TMemoryStream>();
    EncodedLines = std::make_shared<TStringList>();
}

TQELAttachment::~TQELAttachment() = default;

void TQELAttachment::SaveToFile(const String& FileName)
{
    RunReported(this, [&] { Content->SaveToFile(FileName); });
}

String TQELAttachment::GetDisplayName() const
{
    return QELMailStr::Attachment;
}

// ---------------------------------------------------------------- TQELAttachments

TQELAttachments::TQELAttachments(TQELMessage* Message) : TQELMailCollection(Message) {}

TQELAttachment* TQELAttachments::Add(const String& FileName)
{
    TQELAttachment* item = TQELMailCollection::Add();
    item->FileName = ExtractFileName(FileName);
    item->PhysFile = FileName;
    // A registry fault goes on to the caller; the item stays, named but without a type.
    item->MimeType = GetMimetype(FileName);
    return item;
}

String TQELAttachments::GetMimetype(const String& FileName)
{
    TRegistry reg;
    reg.SetRootKey(HKEY_CLASSES_ROOT);
    String result;
    const String ext = ExtractFileExt(FileName);
    // An empty key name would mean the root itself, which has no type to give.
    if (!ext.empty() && reg.KeyExists(ext) && reg.OpenKey(ext, false)) {
        result = reg.ReadString(QELMailStr::ContentTypeValue);
        reg.CloseKey();
    }
    return result.empty() ? String(QELMailStr::DefaultMimeType) : result;
}

// ---------------------------------------------------------------- TQELMessage

TQELMessage::TQELMessage(TCollection* Collection) : TCollectionItem(Collection)
{
    FHost = OwnerOrRefuse<TQELMessages>(this, Collection, "a TQELMessages owned by a TQELMailHost");
    FMessage = std::make_unique<TStringList>();
    FAttachments = std::make_unique<TQELAttachments>(this);
}

TQELMessage::~TQELMessage() = default;

String TQELMessage::GetDisplayName() const
{
    return Is<TQELSMTPMail>(FHost) ? QELMailStr::OutgoingMessage : QELMailStr::IncomingMessage;
}

void TQELMessage::SetMessage(TStrings* Value)
{
    FMessage->Assign(Value);
}

void TQELMessage::SetQELAttachments(TQELAttachments* Value)
{
    FAttachments->Assign(Value);
}

// ---------------------------------------------------------------- TQELMessages

TQELMessages::TQELMessages(TQELMailHost* Host) : TQELMailCollection(Host) {}

void TQELMessages::Deleting(TQELMessage* Message)
{
    // Lets a POP3 host forget the Message-ID, so the message is read again next time.
    if (Host()) Host()->MessageDeleting(Message);
}

}  // namespace qel
