#pragma once
// Messages and attachments that the Internet mail components send and receive.
#include "mail/MailExport.h"
#include "mail/model/MailCollection.h"
#include "mail/model/MailsComponent.h"

#include <memory>

namespace qel {

class TQELMailHost;
class TQELMessage;
class TQELMailAccount;

class QEL_MAIL_EXPORT TQELAttachment : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(String FileName MEMBER FileName)
    Q_PROPERTY(String PhysFile MEMBER PhysFile)
public:
    // Collection must be a TQELAttachments owned by a TQELMessage (EInvalidCast otherwise).
    Q_INVOKABLE explicit TQELAttachment(TCollection* Collection);
    ~TQELAttachment() override;

    // Writes Content to FileName; errors go to Application->HandleException, never out.
    void SaveToFile(const String& FileName);
    String GetDisplayName() const override;
    TQELMessage* Message() const { return FMessage; }

    String FileName;                         // name part only: what the message carries
    // Shared: a message being sent keeps the lines it refers to, whatever a handler frees.
    std::shared_ptr<TStringList> EncodedLines;
    std::unique_ptr<TMemoryStream> Content;
    String MimeType;
    String PhysFile;                         // the path given to Add

private:
    TQELMessage* FMessage = nullptr;
};

class QEL_MAIL_EXPORT TQELAttachments : public TQELMailCollection<TQELAttachment, TQELMessage> {
    Q_OBJECT
public:
    explicit TQELAttachments(TQELMessage* Message);

    TQELAttachment* Add(const String& FileName);
    static String GetMimetype(const String& FileName);  // "application/octet-stream" when unknown
    TQELAttachment* GeTQELAttachment(int Index) const { return Items(Index); }
    void SeTQELAttachment(int Index, TQELAttachment* Value) { SetItem(Index, Value); }
    TQELMessage* Message() const { return Owner(); }
};

class QEL_MAIL_EXPORT TQELMessage : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(String FromMail MEMBER FromMail)
    Q_PROPERTY(String ReplyTo MEMBER ReplyTo)
    Q_PROPERTY(String SendTo MEMBER SendTo)
    Q_PROPERTY(String CC MEMBER CC)
    Q_PROPERTY(String BCC MEMBER BCC)
    Q_PROPERTY(String Subject MEMBER Subject)
    Q_PROPERTY(String FromName MEMBER FromName)
    Q_PROPERTY(TStrings* Message READ Message WRITE SetMessage)
    Q_PROPERTY(TQELAttachments* Attachments READ Attachments WRITE SetQELAttachments)
public:
    // Collection must be a TQELMessages owned by a TQELMailHost (EInvalidCast otherwise).
    Q_INVOKABLE explicit TQELMessage(TCollection* Collection);
    ~TQELMessage() override;

    String GetDisplayName() const override;  // "Outgoing Message" in an SMTP host, else "Incoming Message"
    TQELMailHost* Host() const { return FHost; }

    TStrings* Message() const { return FMessage.get(); }
    void SetMessage(TStrings* Value);
    TQELAttachments* Attachments() const { return FAttachments.get(); }
    void SetQELAttachments(TQELAttachments* Value);

    String FromMail;
    String ReplyTo;
    String SendTo;
    String CC;   // ";"-separated as SendTo; written to a Cc header line
    String BCC;  // ";"-separated; receives the message, named in no header line
    String Subject;
    String FromName;
    String MessageId;
    String InReplyTo;
    String Date;
    int32_t MessageNumber = 0;
    // The server's unique id of a retrieved message (POP3 UIDL); empty when none was asked for.
    // A plain field: never written to a form file.
    String UID;
    TQELMailAccount* Account = nullptr;  // not owned

private:
    std::unique_ptr<TStringList> FMessage;
    TQELMailHost* FHost = nullptr;
    std::unique_ptr<TQELAttachments> FAttachments;
};

// Delete tells the host first, so a POP3 host forgets the Message-ID.
class QEL_MAIL_EXPORT TQELMessages : public TQELMailCollection<TQELMessage, TQELMailHost> {
    Q_OBJECT
public:
    explicit TQELMessages(TQELMailHost* Host);

    TQELMessage* GetQELMessage(int Index) const { return Items(Index); }
    void SetQELMessage(int Index, TQELMessage* Value) { SetItem(Index, Value); }
    TQELMailHost* Host() const { return Owner(); }

protected:
    void Deleting(TQELMessage* Message) override;
};

}  // namespace qel
