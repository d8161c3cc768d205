// The twelve exported Simple MAPI entry points.
#include "mapi/MapiProvider.h"

#include <exception>

#define QEL_MAPI_EXPORT extern "C" __attribute__((visibility("default")))

using namespace qel;
using namespace qel::mapiprovider;

namespace {

// A call without a session logs on to the default profile for its own duration,
// as the standard allows; no dialog can be shown, so a missing profile is a failure.
struct TCallSession {
    TProfile Profile;
    bool Valid;

    explicit TCallSession(MAPI_LHANDLE Session)
        : Valid(Session != 0 ? FindSession(Session, Profile) : LoadProfile("", "", Profile))
    {
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
    if (!lplhSession)
        return MAPI_E_FAILURE;
    try {
        TProfile Profile;
        String Name = lpszProfileName ? lpszProfileName : "";
        if (!LoadProfile(Name, lpszPassword ? lpszPassword : "", Profile))
            // The logon dialog that would ask again cannot be shown here.
            return (flFlags & MAPI_LOGON_UI) ? MAPI_USER_ABORT : MAPI_E_LOGIN_FAILURE;
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
    return CloseSession(lhSession) ? SUCCESS_SUCCESS : MAPI_E_INVALID_SESSION;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPISendMail(MAPI_LHANDLE lhSession, MAPI_ULONG_PTR, lpMapiMessage lpMessage,
                                        MAPI_FLAGS flFlags, MAPI_ULONG)
{
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
    if (!pv)
        return SUCCESS_SUCCESS;
    return FreeTracked(pv) ? SUCCESS_SUCCESS : MAPI_E_FAILURE;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPIFindNext(MAPI_LHANDLE, MAPI_ULONG_PTR, char*, char*, MAPI_FLAGS,
                                        MAPI_ULONG, char*)
{
    return MAPI_E_NOT_SUPPORTED;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPISendDocuments(MAPI_ULONG_PTR, char*, char*, char*, MAPI_ULONG)
{
    return MAPI_E_NOT_SUPPORTED;
}

// Left out of a test build, to give the mail library a provider that lacks one name.
#ifndef QEL_MAPI_OMIT_DETAILS
QEL_MAPI_EXPORT MAPI_ULONG MAPIDetails(MAPI_LHANDLE, MAPI_ULONG_PTR, lpMapiRecipDesc, MAPI_FLAGS,
                                       MAPI_ULONG)
{
    return MAPI_E_NOT_SUPPORTED;
}
#endif

QEL_MAPI_EXPORT MAPI_ULONG MAPIReadMail(MAPI_LHANDLE, MAPI_ULONG_PTR, char*, MAPI_FLAGS, MAPI_ULONG,
                                        lpMapiMessage*)
{
    return MAPI_E_NOT_SUPPORTED;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPIDeleteMail(MAPI_LHANDLE, MAPI_ULONG_PTR, char*, MAPI_FLAGS, MAPI_ULONG)
{
    return MAPI_E_NOT_SUPPORTED;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPIAddress(MAPI_LHANDLE, MAPI_ULONG_PTR, char*, MAPI_ULONG, char*,
                                       MAPI_ULONG, lpMapiRecipDesc, MAPI_FLAGS, MAPI_ULONG,
                                       MAPI_ULONG*, lpMapiRecipDesc*)
{
    return MAPI_E_NOT_SUPPORTED;
}

QEL_MAPI_EXPORT MAPI_ULONG MAPISaveMail(MAPI_LHANDLE, MAPI_ULONG_PTR, lpMapiMessage, MAPI_FLAGS,
                                        MAPI_ULONG, char*)
{
    return MAPI_E_NOT_SUPPORTED;
}
