#pragma once
// A Simple MAPI provider for tests: it logs a deep copy of every call and answers as scripted.
// Tests reach the control functions through dlsym on the loaded provider; both sides are built
// by the same compiler, so the log's C++ types may cross the boundary.
#include "mapi/SimpleMapi.h"

#include <optional>
#include <string>
#include <vector>

using TRecText = std::optional<std::string>;  // nullopt: the pointer was null

struct TRecRecip {
    bool Null = true;  // the record pointer itself
    MAPI_ULONG Reserved = 0, Class = 0, EIDSize = 0;
    TRecText Name, Address;
    bool HasEntryID = false;
};

struct TRecFile {
    MAPI_ULONG Reserved = 0, Position = 0;
    MAPI_FLAGS Flags = 0;
    TRecText PathName, FileName;
    bool HasFileType = false;
};

struct TRecMessage {
    bool Null = true;
    MAPI_ULONG Reserved = 0;
    TRecText Subject, NoteText, MessageType, DateReceived, ConversationID;
    MAPI_FLAGS Flags = 0;
    TRecRecip Originator;
    MAPI_ULONG RecipCount = 0, FileCount = 0;
    bool RecipsNull = true, FilesNull = true;
    std::vector<TRecRecip> Recips;  // RecipCount entries when RecipsNull is false
    std::vector<TRecFile> Files;
};

struct TRecCall {
    std::string Entry;  // "MAPILogon", ...
    MAPI_LHANDLE Session = 0;
    MAPI_ULONG_PTR UIParam = 0;
    MAPI_FLAGS Flags = 0;
    MAPI_ULONG Reserved = 0;
    std::vector<TRecText> Texts;  // the string arguments in signature order
    TRecMessage Message;          // MAPISendMail, MAPISaveMail
    TRecRecip Recip;              // MAPIDetails
    const void* Buffer = nullptr;  // MAPIFreeBuffer's argument
    MAPI_ULONG Result = 0;
};

extern "C" {
// Empties log, scripts and bad-free count; buffers still outstanding are released and forgotten.
void RecReset();
const std::vector<TRecCall>* RecLog();
// Queues the result of the next call of Entry; unscripted calls succeed.
void RecScript(const char* Entry, MAPI_ULONG Result);
// Answers of MAPIResolveName for Name, used in turn; the last one stays. Unlisted names
// resolve to themselves.
void RecResolve(const char* Name, MAPI_ULONG Result, const char* DisplayName);
int RecOutstanding();  // buffers handed out and not yet freed
int RecBadFrees();     // frees of unknown or already freed buffers
}
