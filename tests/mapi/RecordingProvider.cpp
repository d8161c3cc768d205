// The recording provider: libmapi32.so for the component tests.
#include "mapi/RecordingProvider.h"

#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <set>
#include <utility>

#define REC_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct TRecState {
    std::vector<TRecCall> Log;
    std::map<std::string, std::deque<MAPI_ULONG>> Results;
    std::map<std::string, std::deque<std::pair<MAPI_ULONG, std::string>>> Resolves;
    std::set<void*> Buffers;
    int BadFrees = 0;
};

TRecState& State()
{
    static TRecState S;
    return S;
}

TRecText Text(const char* P)
{
    return P ? TRecText(P) : std::nullopt;
}

TRecRecip Recip(const MapiRecipDesc* R)
{
    TRecRecip Out;
    if (!R)
        return Out;
    Out.Null = false;
    Out.Reserved = R->ulReserved;
    Out.Class = R->ulRecipClass;
    Out.Name = Text(R->lpszName);
    Out.Address = Text(R->lpszAddress);
    Out.EIDSize = R->ulEIDSize;
    Out.HasEntryID = R->lpEntryID != nullptr;
    return Out;
}

TRecMessage Message(const MapiMessage* M)
{
    TRecMessage Out;
    if (!M)
        return Out;
    Out.Null = false;
    Out.Reserved = M->ulReserved;
    Out.Subject = Text(M->lpszSubject);
    Out.NoteText = Text(M->lpszNoteText);
    Out.MessageType = Text(M->lpszMessageType);
    Out.DateReceived = Text(M->lpszDateReceived);
    Out.ConversationID = Text(M->lpszConversationID);
    Out.Flags = M->flFlags;
    Out.Originator = Recip(M->lpOriginator);
    Out.RecipCount = M->nRecipCount;
    Out.RecipsNull = M->lpRecips == nullptr;
    for (MAPI_ULONG I = 0; M->lpRecips && I < M->nRecipCount; ++I)
        Out.Recips.push_back(Recip(&M->lpRecips[I]));
    Out.FileCount = M->nFileCount;
    Out.FilesNull = M->lpFiles == nullptr;
    for (MAPI_ULONG I = 0; M->lpFiles && I < M->nFileCount; ++I) {
        const MapiFileDesc& F = M->lpFiles[I];
        TRecFile File;
        File.Reserved = F.ulReserved;
        File.Flags = F.flFlags;
        File.Position = F.nPosition;
        File.PathName = Text(F.lpszPathName);
        File.FileName = Text(F.lpszFileName);
        File.HasFileType = F.lpFileType != nullptr;
        Out.Files.push_back(std::move(File));
    }
    return Out;
}

MAPI_ULONG Scripted(const std::string& Entry)
{
    auto& Queue = State().Results[Entry];
    if (Queue.empty())
        return SUCCESS_SUCCESS;
    MAPI_ULONG R = Queue.front();
    Queue.pop_front();
    return R;
}

// Logs the call with its scripted result and returns the log entry for the details.
TRecCall& Log(const char* Entry, MAPI_LHANDLE Session, MAPI_ULONG_PTR UIParam, MAPI_FLAGS Flags,
              MAPI_ULONG Reserved, std::vector<TRecText> Texts)
{
    TRecCall C;
    C.Entry = Entry;
    C.Session = Session;
    C.UIParam = UIParam;
    C.Flags = Flags;
    C.Reserved = Reserved;
    C.Texts = std::move(Texts);
    C.Result = Scripted(Entry);
    State().Log.push_back(std::move(C));
    return State().Log.back();
}

// One block: the record, then its name and address.
MapiRecipDesc* NewRecip(const std::string& Name)
{
    const std::string Address = "rec:" + Name;
    char* Block = static_cast<char*>(std::calloc(1, sizeof(MapiRecipDesc) + Name.size() + Address.size() + 2));
    auto* R = reinterpret_cast<MapiRecipDesc*>(Block);
    R->lpszName = Block + sizeof(MapiRecipDesc);
    std::memcpy(R->lpszName, Name.c_str(), Name.size() + 1);
    R->lpszAddress = R->lpszName + Name.size() + 1;
    std::memcpy(R->lpszAddress, Address.c_str(), Address.size() + 1);
    State().Buffers.insert(Block);
    return R;
}

}  // namespace

REC_EXPORT void RecReset()
{
    TRecState& S = State();
    for (void* P : S.Buffers)
        std::free(P);
    S = TRecState();
}

REC_EXPORT const std::vector<TRecCall>* RecLog()
{
    return &State().Log;
}

REC_EXPORT void RecScript(const char* Entry, MAPI_ULONG Result)
{
    State().Results[Entry].push_back(Result);
}

REC_EXPORT void RecResolve(const char* Name, MAPI_ULONG Result, const char* DisplayName)
{
    State().Resolves[Name].emplace_back(Result, DisplayName ? DisplayName : "");
}

REC_EXPORT int RecOutstanding()
{
    return static_cast<int>(State().Buffers.size());
}

REC_EXPORT int RecBadFrees()
{
    return State().BadFrees;
}

REC_EXPORT MAPI_ULONG MAPIFindNext(MAPI_LHANDLE lhSession, MAPI_ULONG_PTR ulUIParam, char* lpszMessageType,
                                   char* lpszSeedMessageID, MAPI_FLAGS flFlags, MAPI_ULONG ulReserved,
                                   char* /*lpszMessageID*/)
{
    return Log("MAPIFindNext", lhSession, ulUIParam, flFlags, ulReserved,
               {Text(lpszMessageType), Text(lpszSeedMessageID)}).Result;
}

REC_EXPORT MAPI_ULONG MAPILogoff(MAPI_LHANDLE lhSession, MAPI_ULONG_PTR ulUIParam, MAPI_FLAGS flFlags,
                                 MAPI_ULONG ulReserved)
{
    return Log("MAPILogoff", lhSession, ulUIParam, flFlags, ulReserved, {}).Result;
}

REC_EXPORT MAPI_ULONG MAPILogon(MAPI_ULONG_PTR ulUIParam, char* lpszProfileName, char* lpszPassword,
                                MAPI_FLAGS flFlags, MAPI_ULONG ulReserved, MAPI_LHANDLE* lplhSession)
{
    MAPI_ULONG R = Log("MAPILogon", 0, ulUIParam, flFlags, ulReserved, {Text(lpszProfileName), Text(lpszPassword)}).Result;
    if (R == SUCCESS_SUCCESS && lplhSession)
        *lplhSession = 77;
    return R;
}

REC_EXPORT MAPI_ULONG MAPISendMail(MAPI_LHANDLE lhSession, MAPI_ULONG_PTR ulUIParam, lpMapiMessage lpMessage,
                                   MAPI_FLAGS flFlags, MAPI_ULONG ulReserved)
{
    TRecCall& C = Log("MAPISendMail", lhSession, ulUIParam, flFlags, ulReserved, {});
    C.Message = Message(lpMessage);
    return C.Result;
}

REC_EXPORT MAPI_ULONG MAPISendDocuments(MAPI_ULONG_PTR ulUIParam, char* lpszDelimChar, char* lpszFilePaths,
                                        char* lpszFileNames, MAPI_ULONG ulReserved)
{
    return Log("MAPISendDocuments", 0, ulUIParam, 0, ulReserved,
               {Text(lpszDelimChar), Text(lpszFilePaths), Text(lpszFileNames)}).Result;
}

REC_EXPORT MAPI_ULONG MAPIDetails(MAPI_LHANDLE lhSession, MAPI_ULONG_PTR ulUIParam, lpMapiRecipDesc lpRecip,
                                  MAPI_FLAGS flFlags, MAPI_ULONG ulReserved)
{
    TRecCall& C = Log("MAPIDetails", lhSession, ulUIParam, flFlags, ulReserved, {});
    C.Recip = Recip(lpRecip);
    return C.Result;
}

REC_EXPORT MAPI_ULONG MAPIReadMail(MAPI_LHANDLE lhSession, MAPI_ULONG_PTR ulUIParam, char* lpszMessageID,
                                   MAPI_FLAGS flFlags, MAPI_ULONG ulReserved, lpMapiMessage* lppMessage)
{
    if (lppMessage)
        *lppMessage = nullptr;
    return Log("MAPIReadMail", lhSession, ulUIParam, flFlags, ulReserved, {Text(lpszMessageID)}).Result;
}

REC_EXPORT MAPI_ULONG MAPIDeleteMail(MAPI_LHANDLE lhSession, MAPI_ULONG_PTR ulUIParam, char* lpszMessageID,
                                     MAPI_FLAGS flFlags, MAPI_ULONG ulReserved)
{
    return Log("MAPIDeleteMail", lhSession, ulUIParam, flFlags, ulReserved, {Text(lpszMessageID)}).Result;
}

REC_EXPORT MAPI_ULONG MAPIResolveName(MAPI_LHANDLE lhSession, MAPI_ULONG_PTR ulUIParam, char* lpszName,
                                      MAPI_FLAGS flFlags, MAPI_ULONG ulReserved, lpMapiRecipDesc* lppRecip)
{
    TRecCall& C = Log("MAPIResolveName", lhSession, ulUIParam, flFlags, ulReserved, {Text(lpszName)});
    std::string Display = lpszName ? lpszName : "";
    auto It = State().Resolves.find(Display);
    if (It != State().Resolves.end() && !It->second.empty()) {
        C.Result = It->second.front().first;
        Display = It->second.front().second;
        if (It->second.size() > 1)
            It->second.pop_front();
    }
    if (lppRecip)
        *lppRecip = C.Result == SUCCESS_SUCCESS ? NewRecip(Display) : nullptr;
    return C.Result;
}

REC_EXPORT MAPI_ULONG MAPIFreeBuffer(void* pv)
{
    TRecCall& C = Log("MAPIFreeBuffer", 0, 0, 0, 0, {});
    C.Buffer = pv;
    if (State().Buffers.erase(pv) == 0) {
        ++State().BadFrees;
        return C.Result = MAPI_E_FAILURE;
    }
    std::free(pv);
    return C.Result;
}

REC_EXPORT MAPI_ULONG MAPIAddress(MAPI_LHANDLE lhSession, MAPI_ULONG_PTR ulUIParam, char* lpszCaption,
                                  MAPI_ULONG /*nEditFields*/, char* lpszLabels, MAPI_ULONG /*nRecips*/,
                                  lpMapiRecipDesc /*lpRecips*/, MAPI_FLAGS flFlags, MAPI_ULONG ulReserved,
                                  MAPI_ULONG* lpnNewRecips, lpMapiRecipDesc* lppNewRecips)
{
    if (lpnNewRecips)
        *lpnNewRecips = 0;
    if (lppNewRecips)
        *lppNewRecips = nullptr;
    return Log("MAPIAddress", lhSession, ulUIParam, flFlags, ulReserved, {Text(lpszCaption), Text(lpszLabels)}).Result;
}

REC_EXPORT MAPI_ULONG MAPISaveMail(MAPI_LHANDLE lhSession, MAPI_ULONG_PTR ulUIParam, lpMapiMessage lpMessage,
                                   MAPI_FLAGS flFlags, MAPI_ULONG ulReserved, char* lpszMessageID)
{
    TRecCall& C = Log("MAPISaveMail", lhSession, ulUIParam, flFlags, ulReserved, {Text(lpszMessageID)});
    C.Message = Message(lpMessage);
    return C.Result;
}
