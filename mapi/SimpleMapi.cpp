// The twelve exported Simple MAPI entry points.
#include "mapi/MapiProvider.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>

#define QEL_MAPI_EXPORT extern "C" __attribute__((visibility("default")))

using namespace qel;
using namespace qel::mapiprovider;

namespace {

// No logon dialog can ask for the default profile's password; a user who wants session-less
// calls on a protected profile puts it where the mail tool looks for it too.
String ImplicitPassword()
{
    const char* Value = std::getenv("QELMAIL_MAPI_PASSWORD");
    return Value ? Value : "";
}

// A call without a session logs on to the default profile for its own duration,
// as the standard allows; no dialog can be shown, so a missing profile is a failure.
struct TCallSession {
    TProfile Profile;
    bool Valid;

    explicit TCallSession(MAPI_LHANDLE Session)
        : Valid(Session != 0 ? FindSession(Session, Profile) : LoadProfile("", ImplicitPassword(), Profile))
    {
        if (!Valid && Session != 0) SetLastError("no session " + std::to_string(Session) + " (logged off?)");
    }
};

MAPI_ULONG NoSessionResult(MAPI_LHANDLE Session)
{
    return Session != 0 ? MAPI_E_INVALID_SESSION : MAPI_E_LOGIN_FAILURE;
}

}  // namespace

QEL_MAPI_EXPORT MAPI_ULONG MAPILogon(MAPI_ULONG_PTR, char* lpszProfileName, char* lpszPassword,
                                     MAPI_FLAGS flFlags, MAPI_ULONG, MAPI_LHANDLE* lplhSession)
{
    // A caller retries a failed logon with the dialog; the first attempt's reason is the one to keep.
    const String Before = (flFlags & MAPI_LOGON_UI) ? LastError() : String();
    SetLastError(String());
    if (!lplhSession)
        return MAPI_E_FAILURE;
    try {
        TProfile Profile;
        String Name = lpszProfileName ? lpszProfileName : "";
        if (!LoadProfile(Name, lpszPassword ? lpszPassword : "", Profile)) {
            if (!Before.empty()) SetLastError(Before + "; no logon dialog can be shown");
            // The logon dialog that would ask again cannot be shown here.
            return (flFlags & MAPI_LOGON_UI) ? MAPI_USER_ABORT : MAPI_E_LOGIN_FAILURE;
        }
        *lplhSession = OpenSession(Profile);
        return SUCCESS_SUCCESS;
    } catch (const std::bad_alloc&) {
        return MAPI_E_INSUFFICIENT_MEMORY;
    } catch (...) {
        return MAPI_E_FAILURE;
    }
}

QEL_MAPI_EXPORT MAPI_ULONG MAPILogoff(MAPI_LHANDLE lhSession, MAPI_ULONG_PTR, MAPI_FLAGS, MAPI_ULONG)
{
    SetLastError(String());
    return CloseSession(lhSession) ? SUCCESS_SUCCESS : MAPI_E_INVALID_SESSION;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPISendMail(MAPI_LHANDLE lhSession, MAPI_ULONG_PTR, lpMapiMessage lpMessage,
                                        MAPI_FLAGS flFlags, MAPI_ULONG)
{
    SetLastError(String());
    // Editing the message needs a dialog; none can be shown.
    if (flFlags & MAPI_DIALOG)
        return MAPI_USER_ABORT;
    if (!lpMessage)
        return MAPI_E_FAILURE;
    try {
        TCallSession Call(lhSession);
        if (!Call.Valid)
            return NoSessionResult(lhSession);
        TOutgoing Out;
        MAPI_ULONG Result = ReadMessage(*lpMessage, Call.Profile, Out);
        if (Result != SUCCESS_SUCCESS)
            return Result;
        return RunSendmail(Call.Profile.SendmailPath, ComposeMessage(Out)) ? SUCCESS_SUCCESS
                                                                            : MAPI_E_FAILURE;
    } catch (const std::bad_alloc&) {
        return MAPI_E_INSUFFICIENT_MEMORY;
    } catch (...) {
        return MAPI_E_FAILURE;
    }
}

QEL_MAPI_EXPORT MAPI_ULONG MAPIResolveName(MAPI_LHANDLE lhSession, MAPI_ULONG_PTR, char* lpszName,
                                           MAPI_FLAGS flFlags, MAPI_ULONG, lpMapiRecipDesc* lppRecip)
{
    SetLastError(String());
    if (!lpszName || !lppRecip)
        return MAPI_E_FAILURE;
    try {
        TCallSession Call(lhSession);
        if (!Call.Valid)
            return NoSessionResult(lhSession);
        String Name, Address;
        MAPI_ULONG Result = ResolveInBook(Call.Profile.AddressBook, lpszName, Name, Address);
        // Choosing among several entries needs a dialog; none can be shown.
        if (Result == MAPI_E_AMBIGUOUS_RECIPIENT && (flFlags & MAPI_DIALOG))
            return MAPI_USER_ABORT;
        if (Result != SUCCESS_SUCCESS)
            return Result;
        *lppRecip = NewRecipDesc(Name, Address);
        return *lppRecip ? SUCCESS_SUCCESS : MAPI_E_INSUFFICIENT_MEMORY;
    } catch (const std::bad_alloc&) {
        return MAPI_E_INSUFFICIENT_MEMORY;
    } catch (...) {
        return MAPI_E_FAILURE;
    }
}

QEL_MAPI_EXPORT MAPI_ULONG MAPIFreeBuffer(void* pv)
{
    SetLastError(String());
    if (!pv)
        return SUCCESS_SUCCESS;
    return FreeTracked(pv) ? SUCCESS_SUCCESS : MAPI_E_FAILURE;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPIFindNext(MAPI_LHANDLE, MAPI_ULONG_PTR, char*, char*, MAPI_FLAGS,
                                        MAPI_ULONG, char*)
{
    SetLastError(String());
    return MAPI_E_NOT_SUPPORTED;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPISendDocuments(MAPI_ULONG_PTR, char*, char*, char*, MAPI_ULONG)
{
    SetLastError(String());
    return MAPI_E_NOT_SUPPORTED;
}

// Left out of a test build, to give the mail library a provider that lacks one name.
#ifndef QEL_MAPI_OMIT_DETAILS
QEL_MAPI_EXPORT MAPI_ULONG MAPIDetails(MAPI_LHANDLE, MAPI_ULONG_PTR, lpMapiRecipDesc, MAPI_FLAGS,
                                       MAPI_ULONG)
{
    SetLastError(String());
    return MAPI_E_NOT_SUPPORTED;
}
#endif

QEL_MAPI_EXPORT MAPI_ULONG MAPIReadMail(MAPI_LHANDLE, MAPI_ULONG_PTR, char*, MAPI_FLAGS, MAPI_ULONG,
                                        lpMapiMessage*)
{
    SetLastError(String());
    return MAPI_E_NOT_SUPPORTED;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPIDeleteMail(MAPI_LHANDLE, MAPI_ULONG_PTR, char*, MAPI_FLAGS, MAPI_ULONG)
{
    SetLastError(String());
    return MAPI_E_NOT_SUPPORTED;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPIAddress(MAPI_LHANDLE, MAPI_ULONG_PTR, char*, MAPI_ULONG, char*,
                                       MAPI_ULONG, lpMapiRecipDesc, MAPI_FLAGS, MAPI_ULONG,
                                       MAPI_ULONG*, lpMapiRecipDesc*)
{
    SetLastError(String());
    return MAPI_E_NOT_SUPPORTED;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPISaveMail(MAPI_LHANDLE, MAPI_ULONG_PTR, lpMapiMessage, MAPI_FLAGS,
                                        MAPI_ULONG, char*)
{
    SetLastError(String());
    return MAPI_E_NOT_SUPPORTED;
}

// Not a Simple MAPI call: why the calling thread's last call failed ("" after a success), copied
// into Buffer (cut to Size - 1 bytes and terminated); returns the full length of the text.
QEL_MAPI_EXPORT MAPI_ULONG QELMapiLastError(char* Buffer, MAPI_ULONG Size)
{
    const String& Text = LastError();
    if (Buffer && Size > 0) {
        const size_t N = std::min<size_t>(Text.size(), Size - 1);
        std::memcpy(Buffer, Text.data(), N);
        Buffer[N] = '\0';
    }
    return MAPI_ULONG(Text.size());
}
