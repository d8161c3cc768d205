#pragma once
// Internals of the Simple MAPI provider; nothing here is exported.
#include "framework/core/Types.h"
#include "mapi/SimpleMapi.h"

#include <vector>

namespace qel::mapiprovider {

// Profiles are sections of an INI file. Its path comes from the registry facade,
// HKEY_CURRENT_USER "Software\QEL\SimpleMapi" value "ProfileFile"; without it,
// $XDG_CONFIG_HOME/qel/mapi-profiles.ini (default ~/.config). Keys of a section:
// Password (empty or absent: any password), From, SendmailPath, AddressBook, FaxGateway.
// The section named by "DefaultProfile" in [General] serves a logon without a name.
struct TProfile {
    String Name;
    String From;
    String SendmailPath = "/usr/sbin/sendmail";
    String AddressBook;
    String FaxGateway;
};

String ProfileFileName();
// False when the profile is missing or the password does not match; the reason goes to SetLastError.
bool LoadProfile(const String& Name, const String& Password, TProfile& Profile);

// Why the calling thread's last call failed, in words a user can act on: Simple MAPI has only
// numeric codes, so the provider also exports QELMapiLastError for callers that want the reason.
void SetLastError(const String& Text);
const String& LastError();

MAPI_LHANDLE OpenSession(const TProfile& Profile);
bool CloseSession(MAPI_LHANDLE Session);
// A copy, so that a logoff on another thread cannot pull it away mid-call.
bool FindSession(MAPI_LHANDLE Session, TProfile& Profile);

struct TRecipient {
    MAPI_ULONG Class;
    String Name;
    String Address;  // bare address, ready for a header
};

struct TAttachment {
    String FileName;
    std::vector<char> Data;
};

struct TOutgoing {
    String From;
    String Subject;
    String Body;
    bool ReceiptRequested = false;
    std::vector<TRecipient> Recipients;
    std::vector<TAttachment> Attachments;
};

// Characters that could end or split a header line: never part of a deliverable address.
inline constexpr const char* HeaderBreakers = " \t\r\n<>,;\"";

// Turns a recipient's name/address into a deliverable address; a result code on refusal.
MAPI_ULONG RecipientAddress(const MapiRecipDesc& Recip, const TProfile& Profile, String& Address);
MAPI_ULONG ReadMessage(const MapiMessage& Message, const TProfile& Profile, TOutgoing& Out);
String ComposeMessage(const TOutgoing& Out);
// SendmailPath split into a program and its arguments at blanks; double quotes keep blanks in a word.
std::vector<String> SendmailCommand(const String& SendmailPath);
// Runs "<SendmailPath> -t -oi", writes Text to its input; false on any failure or exit status,
// with the reason in SetLastError.
bool RunSendmail(const String& SendmailPath, const String& Text);

// Address book lines "name = address"; the name matches by case-insensitive prefix,
// an exact name match wins over prefixes. A full address ("x@y", "SMTP:" allowed before it)
// that matches nothing resolves to itself.
MAPI_ULONG ResolveInBook(const String& BookFile, const String& Name, String& FoundName,
                         String& FoundAddress);
// Provider-owned buffers: a record and its strings in one tracked block.
lpMapiRecipDesc NewRecipDesc(const String& Name, const String& Address);
bool FreeTracked(void* Buffer);

}  // namespace qel::mapiprovider
