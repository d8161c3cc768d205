#pragma once

namespace qel {
// The mail library's string table: every user-visible text, key and value name in one place.

namespace QELMailStr {

inline constexpr const char* AboutMail = "(QEL Mail Components)";
inline constexpr const char* NoAccountInfo = "No account information available";
inline constexpr const char* CannotConnect = "Can not connect to server";
inline constexpr const char* OutgoingMessage = "Outgoing Message";
inline constexpr const char* IncomingMessage = "Incoming Message";
inline constexpr const char* Attachment = "Attachment";
inline constexpr const char* InvalidMessageFormat = "Invalid Message Format";
inline constexpr const char* NotConnected = "Not Connected";

// Registry: the MIME type of a file extension.
inline constexpr const char* ContentTypeValue = "Content type";
inline constexpr const char* DefaultMimeType = "application/octet-stream";

// Simple MAPI: how the provider library is found and bound.
inline constexpr const char* MapiLibrary = "mapi32.dll";
inline constexpr const char* MapiRegistryKey = "SOFTWARE\\Microsoft\\Windows Messaging Subsystem";
inline constexpr const char* MapiRegistryValue = "MAPI";
inline constexpr const char* MapiEntryNames[12] = {
    "MAPIFindNext",  "MAPILogoff",      "MAPILogon",      "MAPISendMail",
    "MAPISendDocuments", "MAPIDetails", "MAPIReadMail",   "MAPIDeleteMail",
    "MAPIResolveName", "MAPIFreeBuffer", "MAPIAddress",   "MAPISaveMail"};
inline constexpr const char* MapiDllError = "GetProcAddress for MAPI DLL function(s) failed";
inline constexpr const char* MapiUnavailable = "MAPI services are not available on this system";

// Simple MAPI: sending.
inline constexpr const char* OutgoingMail = "Outgoing Mail";
inline constexpr const char* MapiProfilesKeyNT =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging Subsystem\\Profiles";
inline constexpr const char* MapiProfilesKey = "Software\\Microsoft\\Windows Messaging Subsystem\\Profiles";
inline constexpr const char* MapiDefaultProfileValue = "DefaultProfile";
inline constexpr const char* FaxAddressPrefix = "Fax:";
inline constexpr const char* MailAddressPrefix = "smtp:";
// The contact a new quick mail starts with: none, so that nothing goes out by accident.
inline constexpr const char* QuickMailContactName = "";
inline constexpr const char* QuickMailContactAddress = "";

}  // namespace QELMailStr

}  // namespace qel
