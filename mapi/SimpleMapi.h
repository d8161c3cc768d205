#pragma once
/* Simple MAPI records, codes and entry-point types, shared by the provider (libmapi32.so)
 * and the mail library. C-compatible; strings are 8-bit and null-terminated (UTF-8).
 *
 * Widths on 64-bit Linux: counts, flags, classes and result codes keep the standard's
 * 32-bit ULONG (uint32_t); session handles (LHANDLE) and window parameters (ULONG_PTR)
 * are pointer-sized (uintptr_t), so a handle may carry a pointer as on 64-bit hosts of
 * the standard. Records therefore have natural 64-bit alignment (MapiMessage 96 bytes,
 * MapiRecipDesc and MapiFileDesc 40 bytes), not the 32-bit sizes. */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t MAPI_ULONG;
typedef uint32_t MAPI_FLAGS;
typedef uintptr_t MAPI_LHANDLE;
typedef uintptr_t MAPI_ULONG_PTR;

typedef struct MapiRecipDesc {
    MAPI_ULONG ulReserved;
    MAPI_ULONG ulRecipClass;
    char* lpszName;
    char* lpszAddress;
    MAPI_ULONG ulEIDSize;
    void* lpEntryID;
} MapiRecipDesc, *lpMapiRecipDesc;

typedef struct MapiFileDesc {
    MAPI_ULONG ulReserved;
    MAPI_FLAGS flFlags;
    MAPI_ULONG nPosition;
    char* lpszPathName;
    char* lpszFileName;
    void* lpFileType;
} MapiFileDesc, *lpMapiFileDesc;

typedef struct MapiMessage {
    MAPI_ULONG ulReserved;
    char* lpszSubject;
    char* lpszNoteText;
    char* lpszMessageType;
    char* lpszDateReceived;
    char* lpszConversationID;
    MAPI_FLAGS flFlags;
    lpMapiRecipDesc lpOriginator;
    MAPI_ULONG nRecipCount;
    lpMapiRecipDesc lpRecips;
    MAPI_ULONG nFileCount;
    lpMapiFileDesc lpFiles;
} MapiMessage, *lpMapiMessage;

enum {
    SUCCESS_SUCCESS = 0,
    MAPI_USER_ABORT = 1,
    MAPI_E_FAILURE = 2,
    MAPI_E_LOGIN_FAILURE = 3,
    MAPI_E_INSUFFICIENT_MEMORY = 5,
    MAPI_E_TOO_MANY_FILES = 9,
    MAPI_E_TOO_MANY_RECIPIENTS = 10,
    MAPI_E_ATTACHMENT_NOT_FOUND = 11,
    MAPI_E_UNKNOWN_RECIPIENT = 14,
    MAPI_E_BAD_RECIPTYPE = 15,
    MAPI_E_INVALID_SESSION = 19,
    MAPI_E_AMBIGUOUS_RECIPIENT = 21,
    MAPI_E_NOT_SUPPORTED = 26
};

enum {
    MAPI_ORIG = 0,
    MAPI_TO = 1,
    MAPI_CC = 2,
    MAPI_BCC = 3
};

enum {
    MAPI_LOGON_UI = 0x1,
    MAPI_NEW_SESSION = 0x2,
    MAPI_DIALOG = 0x8,
    MAPI_RECEIPT_REQUESTED = 0x2
};

typedef MAPI_ULONG (*LPMAPIFINDNEXT)(MAPI_LHANDLE lhSession, MAPI_ULONG_PTR ulUIParam,
    char* lpszMessageType, char* lpszSeedMessageID, MAPI_FLAGS flFlags, MAPI_ULONG ulReserved,
    char* lpszMessageID);
typedef MAPI_ULONG (*LPMAPILOGOFF)(MAPI_LHANDLE lhSession, MAPI_ULONG_PTR ulUIParam,
    MAPI_FLAGS flFlags, MAPI_ULONG ulReserved);
typedef MAPI_ULONG (*LPMAPILOGON)(MAPI_ULONG_PTR ulUIParam, char* lpszProfileName,
    char* lpszPassword, MAPI_FLAGS flFlags, MAPI_ULONG ulReserved, MAPI_LHANDLE* lplhSession);
typedef MAPI_ULONG (*LPMAPISENDMAIL)(MAPI_LHANDLE lhSession, MAPI_ULONG_PTR ulUIParam,
    lpMapiMessage lpMessage, MAPI_FLAGS flFlags, MAPI_ULONG ulReserved);
typedef MAPI_ULONG (*LPMAPISENDDOCUMENTS)(MAPI_ULONG_PTR ulUIParam, char* lpszDelimChar,
    char* lpszFilePaths, char* lpszFileNames, MAPI_ULONG ulReserved);
typedef MAPI_ULONG (*LPMAPIDETAILS)(MAPI_LHANDLE lhSession, MAPI_ULONG_PTR ulUIParam,
    lpMapiRecipDesc lpRecip, MAPI_FLAGS flFlags, MAPI_ULONG ulReserved);
typedef MAPI_ULONG (*LPMAPIREADMAIL)(MAPI_LHANDLE lhSession, MAPI_ULONG_PTR ulUIParam,
    char* lpszMessageID, MAPI_FLAGS flFlags, MAPI_ULONG ulReserved, lpMapiMessage* lppMessage);
typedef MAPI_ULONG (*LPMAPIDELETEMAIL)(MAPI_LHANDLE lhSession, MAPI_ULONG_PTR ulUIParam,
    char* lpszMessageID, MAPI_FLAGS flFlags, MAPI_ULONG ulReserved);
typedef MAPI_ULONG (*LPMAPIRESOLVENAME)(MAPI_LHANDLE lhSession, MAPI_ULONG_PTR ulUIParam,
    char* lpszName, MAPI_FLAGS flFlags, MAPI_ULONG ulReserved, lpMapiRecipDesc* lppRecip);
typedef MAPI_ULONG (*LPMAPIFREEBUFFER)(void* pv);
typedef MAPI_ULONG (*LPMAPIADDRESS)(MAPI_LHANDLE lhSession, MAPI_ULONG_PTR ulUIParam,
    char* lpszCaption, MAPI_ULONG nEditFields, char* lpszLabels, MAPI_ULONG nRecips,
    lpMapiRecipDesc lpRecips, MAPI_FLAGS flFlags, MAPI_ULONG ulReserved,
    MAPI_ULONG* lpnNewRecips, lpMapiRecipDesc* lppNewRecips);
typedef MAPI_ULONG (*LPMAPISAVEMAIL)(MAPI_LHANDLE lhSession, MAPI_ULONG_PTR ulUIParam,
    lpMapiMessage lpMessage, MAPI_FLAGS flFlags, MAPI_ULONG ulReserved, char* lpszMessageID);

#ifdef __cplusplus
}
#endif
