#include "mail/mapi/QuickMail.h"

#include "mail/mapi/MapiBinding.h"
#include "mail/mapi/MapiRecords.h"
#include "mail/model/MailStrings.h"

namespace qel {

QEL_REGISTER_CLASS(TQELQuickMail);

TQELQuickMail::TQELQuickMail(TComponent* AOwner)
    : TQELMailsComponent(AOwner),
      ToName(QELMailStr::QuickMailContactName),
      ToEmailorFaxAddress(QELMailStr::QuickMailContactAddress),
      FTextToSend(std::make_unique<TStringList>())
{
}

TQELQuickMail::~TQELQuickMail() = default;

bool TQELQuickMail::Execute()
{
    ReportMapiLoadError(this);
    MapiMessage record{};
    MapiRecipDesc recipient{};
    if (BeforeSend) BeforeSend(this);

    TMapiStrings strings;
    const char* prefix = MailorFax == ccFax ? QELMailStr::FaxAddressPrefix : QELMailStr::MailAddressPrefix;
    recipient.ulRecipClass = MAPI_TO;
    recipient.lpszName = strings.Copy(ToName);
    recipient.lpszAddress = strings.Copy(prefix + ToEmailorFaxAddress);
    record.lpszSubject = strings.Copy(Subject);
    record.lpszNoteText = strings.Copy(FTextToSend->Text());
    record.flFlags = MAPI_RECEIPT_REQUESTED;
    record.nRecipCount = 1;
    record.lpRecips = &recipient;

    // No session of its own: the provider logs on by itself. Without a provider nothing goes out.
    const uint32_t result = MapiAvailable()
        ? CallMapi(MapiEntries().MAPISendMail, MAPI_LHANDLE(0), MAPI_ULONG_PTR(0), &record,
                   MAPI_FLAGS(MAPI_LOGON_UI), MAPI_ULONG(0))
        : uint32_t(MAPI_E_FAILURE);
    ErrorNo = std::to_string(result);
    if (result != SUCCESS_SUCCESS && OnError) OnError(this);
    return true;
}

}  // namespace qel
