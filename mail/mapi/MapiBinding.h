#pragma once
// The process-wide Simple MAPI binding of qelmail.
//
// Loading qelmail binds the provider once, from a static initialiser: the registry value
// HKEY_LOCAL_MACHINE "SOFTWARE\Microsoft\Windows Messaging Subsystem" "MAPI" must be "1"
// (the registry facade's INI files), then libmapi32.so is loaded through the dynamic
// linker's search path and, failing that, from qelmail's own directory, and its twelve
// entry points are bound by name. A missing entry point cannot be thrown out of a static
// initialiser without ending the process, so it is recorded instead: MapiLoadError()
// returns the message, and the first MAPI component to be used hands it to
// Application->HandleException through ReportMapiLoadError(). The flag stays True then.
#include "mail/MailExport.h"
#include "framework/core/Exceptions.h"
#include "mapi/SimpleMapi.h"

namespace qel {

class TObject;

QEL_DECLARE_EXCEPTION(TQELExceptdllerror, Exception)
QEL_DECLARE_EXCEPTION(TQELExceptunavailable, Exception)
QEL_DECLARE_EXCEPTION(TQELExceptAttachmentError, Exception)

// In binding order; null where the library lacks the name.
struct TMapiEntryPoints {
    LPMAPIFINDNEXT MAPIFindNext = nullptr;
    LPMAPILOGOFF MAPILogoff = nullptr;
    LPMAPILOGON MAPILogon = nullptr;
    LPMAPISENDMAIL MAPISendMail = nullptr;
    LPMAPISENDDOCUMENTS MAPISendDocuments = nullptr;
    LPMAPIDETAILS MAPIDetails = nullptr;
    LPMAPIREADMAIL MAPIReadMail = nullptr;
    LPMAPIDELETEMAIL MAPIDeleteMail = nullptr;
    LPMAPIRESOLVENAME MAPIResolveName = nullptr;
    LPMAPIFREEBUFFER MAPIFreeBuffer = nullptr;
    LPMAPIADDRESS MAPIAddress = nullptr;
    LPMAPISAVEMAIL MAPISaveMail = nullptr;
};

QEL_MAIL_EXPORT bool MapiAvailable();                  // the availability flag
QEL_MAIL_EXPORT bool MapiEnabledInRegistry();          // the registry test alone: the value is exactly "1"
QEL_MAIL_EXPORT const TMapiEntryPoints& MapiEntries();  // the entry-point table

// Binds as loading qelmail does; raises TQELExceptdllerror when an entry point is missing.
// LibraryFolder "" searches as described above; otherwise only that folder is tried.
QEL_MAIL_EXPORT void BindMapi(const String& LibraryFolder = String());
// Unloads the library when the flag is True and resets flag, handle and table.
QEL_MAIL_EXPORT void ReleaseMapi();
// Release, then bind again, recording a TQELExceptdllerror as the load does (tests, hosts).
QEL_MAIL_EXPORT void RebindMapi(const String& LibraryFolder);

// The recorded binding failure; "" when the binding did not fail.
QEL_MAIL_EXPORT String MapiLoadError();
// Why the provider's last call on this thread failed, when the provider says (ours does, through
// its extension "QELMapiLastError"); "" otherwise. Simple MAPI itself has only the codes.
QEL_MAIL_EXPORT String MapiLastErrorText();
// Reports a recorded failure once per binding through Application->HandleException(Sender).
QEL_MAIL_EXPORT void ReportMapiLoadError(TObject* Sender);

// Calls a bound entry point; MAPI_E_FAILURE when the library lacks it (a failed binding).
template <typename TEntry, typename... TArgs>
MAPI_ULONG CallMapi(TEntry Entry, TArgs... Args)
{
    return Entry ? Entry(Args...) : MAPI_ULONG(MAPI_E_FAILURE);
}

}  // namespace qel
