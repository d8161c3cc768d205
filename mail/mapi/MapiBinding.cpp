// Finding, loading and binding the Simple MAPI provider library.
#include "MapiBinding.h"

#include "mail/model/MailStrings.h"
#include "framework/core/Application.h"
#include "framework/core/Libraries.h"
#include "framework/core/Registry.h"
#include "framework/core/SysUtils.h"

#include <atomic>

namespace qel {

namespace {

// The provider's own extension: why its last call on this thread failed.
using TLastErrorEntry = MAPI_ULONG (*)(char* Buffer, MAPI_ULONG Size);

struct TMapiState {
    bool Available = false;
    TLibrary Library;
    TMapiEntryPoints Entries;
    TLastErrorEntry LastError = nullptr;
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
    const String File = ModuleFileName(reinterpret_cast<const void*>(&MapiEnabledInRegistry));
    return File.empty() ? String() : ExtractFilePath(File);
}

// The short name goes through the linker's search path, the full name beside qelmail;
// the loader shows no message boxes, so there is no error mode to save and restore.
bool LoadProvider(const String& LibraryFolder, TLibrary& Library)
{
    const String File = ProviderFileName(QELMailStr::MapiLibrary);
    String First = LibraryFolder.empty() ? File : IncludeTrailingPathDelimiter(LibraryFolder) + File;
    if (Library.Load(First))
        return true;
    String Folder = LibraryFolder.empty() ? OwnDirectory() : LibraryFolder;
    if (Folder.empty())
        return false;
    return Library.Load(IncludeTrailingPathDelimiter(Folder) + File);
}

template <class F>
bool BindEntry(const TLibrary& Library, int Index, F& Slot)
{
    Slot = Library.Proc<F>(QELMailStr::MapiEntryNames[Index]);
    return Slot != nullptr;
}

bool BindEntries(const TLibrary& Library, TMapiEntryPoints& E)
{
    // Every name is looked up, in table order, even after one is missing.
    bool All = BindEntry(Library, 0, E.MAPIFindNext);
    All = BindEntry(Library, 1, E.MAPILogoff) && All;
    All = BindEntry(Library, 2, E.MAPILogon) && All;
    All = BindEntry(Library, 3, E.MAPISendMail) && All;
    All = BindEntry(Library, 4, E.MAPISendDocuments) && All;
    All = BindEntry(Library, 5, E.MAPIDetails) && All;
    All = BindEntry(Library, 6, E.MAPIReadMail) && All;
    All = BindEntry(Library, 7, E.MAPIDeleteMail) && All;
    All = BindEntry(Library, 8, E.MAPIResolveName) && All;
    All = BindEntry(Library, 9, E.MAPIFreeBuffer) && All;
    All = BindEntry(Library, 10, E.MAPIAddress) && All;
    All = BindEntry(Library, 11, E.MAPISaveMail) && All;
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
    TLibrary Library;
    if (!LoadProvider(LibraryFolder, Library))
        return;
    TMapiState& S = State();
    S.Library = std::move(Library);  // a binding held before goes only now: no reload between
    S.Available = true;
    S.LastError = S.Library.Proc<TLastErrorEntry>("QELMapiLastError");  // optional
    if (!BindEntries(S.Library, S.Entries))
        throw TQELExceptdllerror(QELMailStr::MapiDllError);
}

void ReleaseMapi()
{
    TMapiState& S = State();
    S.Library.Free();
    S.Available = false;
    S.Entries = TMapiEntryPoints();
    S.LastError = nullptr;
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

String MapiLastErrorText()
{
    const TLastErrorEntry Entry = State().LastError;
    if (!Entry)
        return String();
    char Buffer[512];
    const MAPI_ULONG Length = Entry(Buffer, sizeof Buffer);
    if (Length < sizeof Buffer)
        return String(Buffer, Length);
    String Text(Length + 1, '\0');
    Entry(Text.data(), MAPI_ULONG(Text.size()));
    Text.resize(Length);
    return Text;
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
