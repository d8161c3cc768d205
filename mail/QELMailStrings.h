#pragma once
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

}  // namespace QELMailStr
