#pragma once
// TQELMapiMail: sends the messages of its collection through the Simple MAPI provider.
#include "mail/MailExport.h"
#include "mail/mapi/FaxOrMail.h"
#include "mail/mapi/MapiRecords.h"
#include "mail/model/MailCollection.h"
#include "mail/model/MailsComponent.h"

#include <functional>
#include <memory>

namespace qel {

class TQELMapiMail;
class TQELMapiMessage;

using TQELOnSendError = std::function<void(TObject* Sender, int32_t ErrorNo, TQELMapiMessage* Mail)>;
using TQELMapiSend = std::function<void(TObject* Sender, TQELMapiMessage* Mail)>;
using TQELMapiConnect = std::function<void(TObject* Sender, int32_t ErrorNo)>;

class QEL_MAIL_EXPORT TQELMapiAttachment : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(String Filename MEMBER Filename)
public:
    // Collection must be a TQELMapiAttachments owned by a TQELMapiMessage (EInvalidCast otherwise).
    Q_INVOKABLE explicit TQELMapiAttachment(TCollection* Collection);

    String GetDisplayName() const override;  // "Attachment"
    TQELMapiMessage* OwnerMessage() const { return FOwnerMessage; }

    String Filename;  // full path of the file

private:
    TQELMapiMessage* FOwnerMessage = nullptr;
};

class QEL_MAIL_EXPORT TQELMapiAttachments : public TTypedCollection<TQELMapiAttachment, TQELMapiMessage> {
    Q_OBJECT
public:
    explicit TQELMapiAttachments(TQELMapiMessage* Message);

    TQELMapiAttachment* Add(const String& FileName);
    TQELMapiAttachment* GeTQELMapiAttachment(int Index) const { return Items(Index); }
    void SeTQELMapiAttachment(int Index, TQELMapiAttachment* Value) { SetItem(Index, Value); }
    TQELMapiMessage* Message() const { return Owner(); }
};

class QEL_MAIL_EXPORT TQELMapiMessage : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(String Subject MEMBER Subject)
    Q_PROPERTY(TStrings* Message READ Message WRITE SetMessage)
    Q_PROPERTY(bool Receipt MEMBER Receipt)
    Q_PROPERTY(bool Dialog MEMBER Dialog)
    Q_PROPERTY(TStrings* RecipientsTo READ RecipientsTo WRITE SetRecipientsTo)
    Q_PROPERTY(TStrings* RecipientsCC READ RecipientsCC WRITE SetRecipientsCC)
    Q_PROPERTY(TStrings* RecipientsBC READ RecipientsBC WRITE SetRecipientsBC)
    Q_PROPERTY(TQELMapiAttachments* Attachments READ Attachments WRITE SeTQELMapiAttachments)
    Q_PROPERTY(String FaxNumber MEMBER FaxNumber)
    Q_PROPERTY(qel::QELMapiKind::TQELFaxorMail SendMethod MEMBER SendMethod)
    Q_PROPERTY(String FaxTo MEMBER FaxTo)
    Q_CLASSINFO("default:Receipt", "false")
    Q_CLASSINFO("default:Dialog", "false")
public:
    // Collection must be a TQELMapiMessages owned by a TQELMapiMail (EInvalidCast otherwise).
    Q_INVOKABLE explicit TQELMapiMessage(TCollection* Collection);
    ~TQELMapiMessage() override;

    String GetDisplayName() const override;  // "Outgoing Mail"
    TQELMapiMail* OwnerMail() const { return FOwnerMail; }

    TStrings* Message() const { return FMessage.get(); }
    void SetMessage(TStrings* Value) { FMessage->Assign(Value); }
    TStrings* RecipientsTo() const { return FRecipientsTo.get(); }
    void SetRecipientsTo(TStrings* Value) { FRecipientsTo->Assign(Value); }
    TStrings* RecipientsCC() const { return FRecipientsCC.get(); }
    void SetRecipientsCC(TStrings* Value) { FRecipientsCC->Assign(Value); }
    TStrings* RecipientsBC() const { return FRecipientsBC.get(); }
    void SetRecipientsBC(TStrings* Value) { FRecipientsBC->Assign(Value); }
    TQELMapiAttachments* Attachments() const { return FAttachments.get(); }
    void SeTQELMapiAttachments(TQELMapiAttachments* Value) { FAttachments->Assign(Value); }

    bool Sent = false;  // set by the last run when the provider accepted the message
    String Subject;
    bool Receipt = false;
    bool Dialog = false;
    String FaxNumber;
    TQELFaxorMail SendMethod = ccMail;
    String FaxTo;

private:
    TQELMapiMail* FOwnerMail = nullptr;
    std::unique_ptr<TQELMapiAttachments> FAttachments;
    std::unique_ptr<TStringList> FMessage;
    std::unique_ptr<TStringList> FRecipientsTo;
    std::unique_ptr<TStringList> FRecipientsCC;
    std::unique_ptr<TStringList> FRecipientsBC;
};

class QEL_MAIL_EXPORT TQELMapiMessages : public TQELMailCollection<TQELMapiMessage, TQELMapiMail> {
    Q_OBJECT
public:
    explicit TQELMapiMessages(TQELMapiMail* Mail);

    // OnDeleteMail(this collection, message) first, whose errors reach the caller. Then frees the
    // message as every mail collection does: a bad index is reported, and the result is False.
    bool Delete(int Index);
    TQELMapiMessage* GetQELMapiMessage(int Index) const { return Items(Index); }
    void SetQELMapiMessage(int Index, TQELMapiMessage* Value) { SetItem(Index, Value); }
    TQELMapiMail* Mail() const { return Owner(); }
};

class QEL_MAIL_EXPORT TQELMapiMail : public TQELMailsComponent {
    Q_OBJECT
    Q_PROPERTY(bool MapiInstalled READ MapiInstalled WRITE SetMapiInstalled STORED false)
    Q_PROPERTY(bool NewSession MEMBER NewSession)
    Q_PROPERTY(TQELMapiMessages* Messages READ Messages WRITE SeTQELMapiMessages)
    Q_PROPERTY(String Password MEMBER Password)
    Q_PROPERTY(String Profile MEMBER Profile)
    Q_PROPERTY(bool DefaultProfile MEMBER DefaultProfile)
    Q_PROPERTY(TStrings* Signature READ Signature WRITE SetSignature)
    Q_PROPERTY(bool DeleteAfterSend MEMBER DeleteAfterSend)
    Q_CLASSINFO("default:NewSession", "false")
    Q_CLASSINFO("default:DefaultProfile", "true")
    Q_CLASSINFO("default:DeleteAfterSend", "true")
public:
    Q_INVOKABLE explicit TQELMapiMail(TComponent* AOwner);
    ~TQELMapiMail() override;  // logs off an open session, with its events

    // Logon, send every message, logoff. False without MAPI (no event) or when the logon failed.
    bool Execute() override;
    // Without MAPI: raises TQELExceptunavailable while designed, else fires OnMapiNotAvailable.
    virtual void CheckMAPI();
    // Result codes of the provider, 0 for success; MAPI_E_FAILURE (2) without MAPI.
    uint32_t Logon();
    uint32_t Logoff();
    // The code of the last send, 0 when none, or 10/9 when a message has too many
    // recipient lines (over 1000) or attachments (over 100); such a message ends the run.
    uint32_t SendMapi();
    // One entry per recipient line of Mail (To, then CC, then BCC), resolved by the provider.
    TMapiRecipients TheRecipients(TQELMapiMessage* Mail);

    bool MapiInstalled() const;
    void SetMapiInstalled(bool) {}
    TQELMapiMessages* Messages() const { return FMessages.get(); }
    void SeTQELMapiMessages(TQELMapiMessages* Value) { FMessages->Assign(Value); }
    TStrings* Signature() const { return FSignature.get(); }
    void SetSignature(TStrings* Value) { FSignature->Assign(Value); }

    uint32_t LogonFlags = 0;  // Logon only ever adds bits
    bool NewSession = false;
    String Profile;
    String Password;
    bool DefaultProfile = true;
    bool DeleteAfterSend = true;
    MAPI_ULONG_PTR UIParam = 0;  // parent window of the provider's dialogs: none
    MAPI_LHANDLE Session = 0;    // 0: not logged on

    TNotifyEvent BeforeLogoff;
    TNotifyEvent AfterSendAll;
    TNotifyEvent BeforeSendAll;
    TNotifyEvent BeforeLogon;
    TNotifyEvent AfterExecute;
    TNotifyEvent OnLogonSuccess;
    TNotifyEvent OnLogoffSuccess;
    TQELOnSendError OnSendError;
    TQELMapiSend OnDeleteMail;   // Sender is the Messages collection
    TQELMapiSend BeforeSendMail;
    TQELMapiSend AfterSendMail;
    TQELMapiConnect OnLogonFailure;
    TQELMapiConnect OnLogoffFailure;
    TNotifyEvent OnMapiNotAvailable;

private:
    void ReadDefaultProfile();
    // Builds the record of one message and hands it to MAPISendMail; the provider's code.
    uint32_t SendOne(TQELMapiMessage* Mail);
    void DeleteSentMessages();

    std::unique_ptr<TQELMapiMessages> FMessages;
    std::unique_ptr<TStringList> FSignature;
};

}  // namespace qel
