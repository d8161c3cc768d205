#pragma once
// TQELQuickMail: one short message to one recipient through Simple MAPI, without a logon.
#include "mail/MailExport.h"
#include "mail/mapi/FaxOrMail.h"
#include "mail/model/MailsComponent.h"

#include <memory>

namespace qel {

class QEL_MAIL_EXPORT TQELQuickMail : public TQELMailsComponent {
    Q_OBJECT
    Q_PROPERTY(String ToName MEMBER ToName)
    Q_PROPERTY(String ToEmailorFaxAddress MEMBER ToEmailorFaxAddress)
    Q_PROPERTY(qel::QELMapiKind::TQELFaxorMail MailorFax MEMBER MailorFax)
    Q_PROPERTY(String Subject MEMBER Subject)
    Q_PROPERTY(String ErrorNo MEMBER ErrorNo)
    Q_PROPERTY(TStrings* TextToSend READ TextToSend WRITE SetText)
    Q_CLASSINFO("default:MailorFax", "ccMail")
public:
    Q_INVOKABLE explicit TQELQuickMail(TComponent* AOwner);
    ~TQELQuickMail() override;

    // Always True: the outcome is ErrorNo ("0" or the provider's code) and OnError.
    // Without MAPI nothing is sent and ErrorNo is "2" (MAPI_E_FAILURE).
    bool Execute() override;

    TStrings* TextToSend() const { return FTextToSend.get(); }
    void SetText(TStrings* Value) { FTextToSend->Assign(Value); }

    String ToName;
    String ToEmailorFaxAddress;  // without prefix: "smtp:" or "Fax:" is put before it
    TQELFaxorMail MailorFax = ccMail;
    String Subject;
    String ErrorNo;

    TNotifyEvent OnError;
    TNotifyEvent BeforeSend;

private:
    std::unique_ptr<TStringList> FTextToSend;
};

}  // namespace qel
