// TQELMapiMail: its life, the logon and the logoff.
#include "framework/core/Registry.h"
#include "mail/mapi/MapiBinding.h"
#include "mail/mapi/MapiMail.h"
#include "mail/model/MailErrors.h"
#include "mail/model/MailStrings.h"

namespace qel {

QEL_REGISTER_CLASS(TQELMapiMail);

TQELMapiMail::TQELMapiMail(TComponent* AOwner) : TQELMailsComponent(AOwner)
{
    FMessages = std::make_unique<TQELMapiMessages>(this);
    FSignature = std::make_unique<TStringList>();
}

TQELMapiMail::~TQELMapiMail()
{
    // A handler that raises here must not end the process.
    if (Session != 0) RunReported(this, [this] { Logoff(); });
}

bool TQELMapiMail::MapiInstalled() const
{
    return MapiAvailable();
}

void TQELMapiMail::CheckMAPI()
{
    ReportMapiLoadError(this);
    if (MapiInstalled()) return;
    if (ComponentState().Contains(csDesigning)) throw TQELExceptunavailable(QELMailStr::MapiUnavailable);
    if (OnMapiNotAvailable) OnMapiNotAvailable(this);
}

bool TQELMapiMail::Execute()
{
    ReportMapiLoadError(this);
    if (!MapiInstalled()) return false;
    bool result = false;
    if (Logon() == SUCCESS_SUCCESS) {
        if (BeforeSendAll) BeforeSendAll(this);
        SendMapi();
        if (AfterSendAll) AfterSendAll(this);
        Logoff();
        result = true;
    }
    if (AfterExecute) AfterExecute(this);
    return result;
}

void TQELMapiMail::ReadDefaultProfile()
{
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    const String path = reg.KeyExists(QELMailStr::MapiProfilesKeyNT) ? QELMailStr::MapiProfilesKeyNT
                                                                      : QELMailStr::MapiProfilesKey;
    if (!reg.OpenKey(path, false)) return;
    try {
        Profile = reg.ReadString(QELMailStr::MapiDefaultProfileValue);
    } catch (const Exception&) {
        Profile.clear();
    }
}

uint32_t TQELMapiMail::Logon()
{
    CheckMAPI();
    // Without the provider there is nothing to call.
    if (!MapiInstalled()) return MAPI_E_FAILURE;
    if (BeforeLogon) BeforeLogon(this);
    if (Session != 0) return SUCCESS_SUCCESS;
    if (DefaultProfile)
        ReadDefaultProfile();
    else
        LogonFlags |= MAPI_LOGON_UI;
    if (NewSession) LogonFlags |= MAPI_NEW_SESSION;

    const auto logon = MapiEntries().MAPILogon;
    TMapiStrings strings;
    uint32_t result = CallMapi(logon, UIParam, strings.Copy(Profile), strings.Copy(Password), LogonFlags,
                               MAPI_ULONG(0), &Session);
    if (result != SUCCESS_SUCCESS)
        result = CallMapi(logon, UIParam, static_cast<char*>(nullptr), static_cast<char*>(nullptr),
                          LogonFlags | MAPI_LOGON_UI, MAPI_ULONG(0), &Session);
    if (result != SUCCESS_SUCCESS) {
        Session = 0;  // whatever a refusing provider left there is no session
        if (OnLogonFailure) OnLogonFailure(this, static_cast<int32_t>(result));
    } else if (OnLogonSuccess) {
        OnLogonSuccess(this);
    }
    return result;
}

uint32_t TQELMapiMail::Logoff()
{
    CheckMAPI();
    if (!MapiInstalled()) return MAPI_E_FAILURE;
    if (BeforeLogoff) BeforeLogoff(this);
    if (Session == 0) return SUCCESS_SUCCESS;
    const uint32_t result = CallMapi(MapiEntries().MAPILogoff, Session, UIParam, MAPI_FLAGS(0), MAPI_ULONG(0));
    // The handle is dropped even when a handler raises: the provider has seen the logoff.
    struct TDrop {
        MAPI_LHANDLE& Handle;
        ~TDrop() { Handle = 0; }
    } drop{Session};
    if (result != SUCCESS_SUCCESS) {
        if (OnLogoffFailure) OnLogoffFailure(this, static_cast<int32_t>(result));
    } else if (OnLogoffSuccess) {
        OnLogoffSuccess(this);
    }
    return result;
}

}  // namespace qel
