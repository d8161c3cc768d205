// Finding, loading and binding the Simple MAPI provider library.
#include "MapiBinding.h"

#include "mail/model/MailStrings.h"
#include "framework/core/Application.h"
#include "framework/core/Registry.h"
#include "framework/core/SysUtils.h"

#include <atomic>
#include <dlfcn.h>

namespace qel {

namespace {

struct TMapiState {
    bool Available = false;
    void* Handle = nullptr;
    TMapiEntryPoints Entries;
    String LoadError;
    std::atomic<bool> Reported{false};
};

TMapiState& State()
{
    static TMapiState S;
    return S;
}

// "mapi32.dll" and "mapi32" both name the provider file libmapi32.so.
String ProviderFileName(const String& LibraryName)
{
    return "lib" + LibraryName.substr(0, LibraryName.find('.')) + ".so";
}

String OwnDirectory()
{
    Dl_info Info{};
    if (dladdr(reinterpret_cast<void*>(&MapiEnabledInRegistry), &Info) == 0 || !Info.dli_fname)
        return String();
    return ExtractFilePath(Info.dli_fname);
}

// The short name goes through the linker's search path, the full name beside qelmail;
// dlopen shows no message boxes, so there is no error mode to save and restore.
void* LoadProvider(const String& LibraryFolder)
{
    const String File = ProviderFileName(QELMailStr::MapiLibrary);
    String First = LibraryFolder.empty() ? File : IncludeTrailingPathDelimiter(LibraryFolder) + File;
    if (void* Handle = dlopen(First.c_str(), RTLD_NOW | RTLD_LOCAL))
        return Handle;
    String Folder = LibraryFolder.empty() ? OwnDirectory() : LibraryFolder;
    if (Folder.empty())
        return nullptr;
    return dlopen((IncludeTrailingPathDelimiter(Folder) + File).c_str(), RTLD_NOW | RTLD_LOCAL);
}

template <class F>
bool BindEntry(void* Handle, int Index, F& Slot)
{
    Slot = reinterpret_cast<F>(dlsym(Handle, QELMailStr::MapiEntryNames[Index]));
    return Slot != nullptr;
}

bool BindEntries(void* Handle, TMapiEntryPoints& E)
{
    // Every name is looked up, in table order, even after one is missing.
    bool All = BindEntry(Handle, 0, E.MAPIFindNext);
    All = BindEntry(Handle, 1, E.MAPILogoff) && All;
    All = BindEntry(Handle, 2, E.MAPILogon) && All;
    All = BindEntry(Handle, 3, E.MAPISendMail) && All;
    All = BindEntry(Handle, 4, E.MAPISendDocuments) && All;
    All = BindEntry(Handle, 5, E.MAPIDetails) && All;
    All = BindEntry(Handle, 6, E.MAPIReadMail) && All;
    All = BindEntry(Handle, 7, E.MAPIDeleteMail) && All;
    All = BindEntry(Handle, 8, E.MAPIResolveName) && All;
    All = BindEntry(Handle, 9, E.MAPIFreeBuffer) && All;
    All = BindEntry(Handle, 10, E.MAPIAddress) && All;
    All = BindEntry(Handle, 11, E.MAPISaveMail) && All;
    return All;
}

// Binds while qelmail loads and releases while it unloads.
struct TMapiUnit {
    TMapiUnit() { RebindMapi(String()); }
    ~TMapiUnit() { ReleaseMapi(); }
    TMapiUnit(const TMapiUnit&) = delete;
    TMapiUnit& operator=(const TMapiUnit&) = delete;
};

const TMapiUnit MapiUnit;

}  // namespace

// Exactly "1"; the value's type is not examined.
bool MapiEnabledInRegistry()
{
    TRegistry Reg;
    Reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!Reg.OpenKeyReadOnly(QELMailStr::MapiRegistryKey))
        return false;
    if (!Reg.ValueExists(QELMailStr::MapiRegistryValue))
        return false;
    try {
        return Reg.ReadString(QELMailStr::MapiRegistryValue) == "1";
    } catch (const Exception&) {
        // An integer value holds binary data, never the character "1".
        return false;
    }
}

bool MapiAvailable()
{
    return State().Available;
}

const TMapiEntryPoints& MapiEntries()
{
    return State().Entries;
}

void BindMapi(const String& LibraryFolder)
{
    // Linux is later than version 3.51, so the registry test decides.
    if (!MapiEnabledInRegistry())
        return;
    void* Handle = LoadProvider(LibraryFolder);
    if (!Handle)
        return;
    TMapiState& S = State();
    S.Handle = Handle;
    S.Available = true;
    if (!BindEntries(Handle, S.Entries))
        throw TQELExceptdllerror(QELMailStr::MapiDllError);
}

void ReleaseMapi()
{
    TMapiState& S = State();
    if (S.Available && S.Handle)
        dlclose(S.Handle);
    S.Available = false;
    S.Handle = nullptr;
    S.Entries = TMapiEntryPoints();
    S.LoadError.clear();
    S.Reported = false;
}

void RebindMapi(const String& LibraryFolder)
{
    ReleaseMapi();
    try {
        BindMapi(LibraryFolder);
    } catch (const TQELExceptdllerror& E) {
        State().LoadError = E.Message();
    }
}

String MapiLoadError()
{
    return State().LoadError;
}

void ReportMapiLoadError(TObject* Sender)
{
    TMapiState& S = State();
    if (S.LoadError.empty() || S.Reported.exchange(true))
        return;
    try {
        throw TQELExceptdllerror(S.LoadError);
    } catch (const TQELExceptdllerror&) {
        Application->HandleException(Sender);
    }
}

}  // namespace qel
