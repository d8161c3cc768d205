// The messages of TQELMapiMail and their attachments.
#include "framework/core/SysUtils.h"
#include "mail/mapi/MapiMail.h"
#include "mail/model/MailErrors.h"
#include "mail/model/MailStrings.h"

namespace qel {

QEL_REGISTER_CLASS(TQELMapiAttachment);
QEL_REGISTER_CLASS(TQELMapiMessage);

// ---------------------------------------------------------------- TQELMapiAttachment

TQELMapiAttachment::TQELMapiAttachment(TCollection* Collection) : TCollectionItem(Collection)
{
    FOwnerMessage = OwnerOrRefuse<TQELMapiAttachments>(this, Collection, "a TQELMapiAttachments owned by a TQELMapiMessage");
}

String TQELMapiAttachment::GetDisplayName() const
{
    return QELMailStr::Attachment;
}

// ---------------------------------------------------------------- TQELMapiAttachments

TQELMapiAttachments::TQELMapiAttachments(TQELMapiMessage* Message) : TTypedCollection(Message) {}

TQELMapiAttachment* TQELMapiAttachments::Add(const String& FileName)
{
    TQELMapiAttachment* item = TTypedCollection::Add();
    item->Filename = FileName;
    return item;
}

// ---------------------------------------------------------------- TQELMapiMessage

TQELMapiMessage::TQELMapiMessage(TCollection* Collection) : TCollectionItem(Collection)
{
    FOwnerMail = OwnerOrRefuse<TQELMapiMessages>(this, Collection, "a TQELMapiMessages owned by a TQELMapiMail");
    FAttachments = std::make_unique<TQELMapiAttachments>(this);
    FMessage = std::make_unique<TStringList>();
    FRecipientsTo = std::make_unique<TStringList>();
    FRecipientsCC = std::make_unique<TStringList>();
    FRecipientsBC = std::make_unique<TStringList>();
}

TQELMapiMessage::~TQELMapiMessage() = default;

String TQELMapiMessage::GetDisplayName() const
{
    return QELMailStr::OutgoingMail;
}

// ---------------------------------------------------------------- TQELMapiMessages

TQELMapiMessages::TQELMapiMessages(TQELMapiMail* Mail) : TQELMailCollection(Mail) {}

bool TQELMapiMessages::Delete(int Index)
{
    // Without a message at Index the handler hears nothing, and the base reports the index.
    if (Index >= 0 && Index < Count() && Mail() && Mail()->OnDeleteMail) Mail()->OnDeleteMail(this, Items(Index));
    return TQELMailCollection::Delete(Index);
}

}  // namespace qel
