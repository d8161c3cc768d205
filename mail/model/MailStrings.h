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

// Session reports: what went wrong, where in the dialogue, and what became of the work done.
inline constexpr const char* AtGreeting = "at the greeting";
inline constexpr const char* InReplyTo = "in reply to ";
inline constexpr const char* WhileSending = "while sending ";
inline constexpr const char* WhileConnecting = "while connecting";
inline constexpr const char* ServerClosed = "The server closed the connection ";
inline constexpr const char* NoGreetingWithin = "No greeting from the server within ";
inline constexpr const char* NoReplyTo = "No reply from the server to ";
inline constexpr const char* Within = " within ";
inline constexpr const char* SecondsUnit = " s";
inline constexpr const char* After = " after ";
inline constexpr const char* NoSession = "Not connected to a server: ";
inline constexpr const char* NotSent = " was not sent";
inline constexpr const char* EndOfTextStep = "end of text";
inline constexpr const char* MessageTextStep = "the message text";
inline constexpr const char* AcceptedClosingFailed = " message(s) accepted; closing the session failed";
inline constexpr const char* DeletionsNotCommitted = "Deletions were not committed";
inline constexpr const char* MessageWord = "Message ";
inline constexpr const char* ExceedsBytes = " exceeds the limit of ";
inline constexpr const char* BytesMaxMessageSize = " bytes (MaxMessageSize)";

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
