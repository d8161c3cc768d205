#include "MapiStatus.h"

#include "mail/mapi/MapiBinding.h"
#include "mail/model/MailStrings.h"

namespace qelmail_tool {

String MapiUnavailableReason()
{
    if (MapiAvailable()) {
        const String error = MapiLoadError();
        return error.empty() ? String() : "the MAPI provider libmapi32.so is incomplete: " + error;
    }
    if (!MapiEnabledInRegistry())
        return String("MAPI is not enabled: the registry value HKEY_LOCAL_MACHINE\\") + QELMailStr::MapiRegistryKey +
               "\\" + QELMailStr::MapiRegistryValue + " is not 1; put \"" + QELMailStr::MapiRegistryValue +
               " = 1\" in its section of qel/registry/HKEY_LOCAL_MACHINE.ini in a folder of $XDG_CONFIG_DIRS "
               "(default /etc/xdg)";
    return "the MAPI provider library libmapi32.so was found neither on the dynamic linker's path "
           "nor beside libqelmail.so";
}

String MapiCodeText(uint32_t Code)
{
    const char* name = nullptr;
    switch (Code) {
    case SUCCESS_SUCCESS: name = "success"; break;
    case MAPI_USER_ABORT: name = "user abort"; break;
    case MAPI_E_FAILURE: name = "failure"; break;
    case MAPI_E_LOGIN_FAILURE: name = "login failure"; break;
    case MAPI_E_INSUFFICIENT_MEMORY: name = "insufficient memory"; break;
    case MAPI_E_TOO_MANY_FILES: name = "too many files"; break;
    case MAPI_E_TOO_MANY_RECIPIENTS: name = "too many recipients"; break;
    case MAPI_E_ATTACHMENT_NOT_FOUND: name = "attachment not found"; break;
    case MAPI_E_UNKNOWN_RECIPIENT: name = "unknown recipient"; break;
    case MAPI_E_BAD_RECIPTYPE: name = "bad recipient type"; break;
    case MAPI_E_INVALID_SESSION: name = "invalid session"; break;
    case MAPI_E_AMBIGUOUS_RECIPIENT: name = "ambiguous recipient"; break;
    case MAPI_E_NOT_SUPPORTED: name = "not supported"; break;
    default: break;
    }
    return std::to_string(Code) + (name ? String(" (") + name + ")" : String());
}

String MapiFailureText(uint32_t Code)
{
    const String reason = MapiLastErrorText();
    return MapiCodeText(Code) + (reason.empty() ? String() : ": " + reason);
}

TExitCode MapiExitCode(uint32_t Code)
{
    switch (Code) {
    case MAPI_E_LOGIN_FAILURE: return ExitNoPerm;
    case MAPI_E_UNKNOWN_RECIPIENT:
    case MAPI_E_AMBIGUOUS_RECIPIENT:
    case MAPI_E_BAD_RECIPTYPE:
    case MAPI_E_TOO_MANY_RECIPIENTS: return ExitDataErr;
    case MAPI_E_ATTACHMENT_NOT_FOUND: return ExitNoInput;
    default: return ExitUnavailable;
    }
}

}  // namespace qelmail_tool
