#include "framework/core/Registry.h"

#include "framework/core/IniFiles.h"
#include "framework/core/SysUtils.h"

#include <QDir>
#include <QMimeDatabase>
#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <sstream>

namespace qel {

namespace {

const String ContentTypeName = "Content Type";
const String DwordPrefix = "dword:";

std::vector<String> SplitKey(const String& Key)
{
    std::vector<String> Parts;
    std::istringstream In(Key);
    for (String Part; std::getline(In, Part, '\\');)
        if (!Part.empty()) Parts.push_back(Part);
    return Parts;
}

String JoinKey(const std::vector<String>& Parts)
{
    String Result;
    for (const String& Part : Parts) Result += (Result.empty() ? "" : "\\") + Part;
    return Result;
}

String RootName(HKEY Root)
{
    switch (Root) {
    case HKEY_CLASSES_ROOT: return "HKEY_CLASSES_ROOT";
    case HKEY_CURRENT_USER: return "HKEY_CURRENT_USER";
    case HKEY_LOCAL_MACHINE: return "HKEY_LOCAL_MACHINE";
    case HKEY_USERS: return "HKEY_USERS";
    default: return {};
    }
}

struct TBaseFolder {
    std::mutex Lock;
    String Folder;
};

TBaseFolder& BaseFolderState()
{
    static TBaseFolder State;
    return State;
}

// Relative paths are invalid in the XDG variables and are skipped.
String XdgConfigHome()
{
    const char* Value = std::getenv("XDG_CONFIG_HOME");
    return (Value && Value[0] == '/') ? String(Value) : QDir::homePath().toStdString() + "/.config";
}

std::vector<String> XdgConfigDirs()
{
    std::vector<String> Folders;
    const char* Value = std::getenv("XDG_CONFIG_DIRS");
    std::istringstream In(Value ? Value : "");
    for (String Entry; std::getline(In, Entry, ':');)
        if (Entry.starts_with('/')) Folders.push_back(Entry);
    if (Folders.empty()) Folders.push_back("/etc/xdg");
    return Folders;
}

std::vector<String> RootFileNames(HKEY Root)
{
    const String Name = RootName(Root);
    if (Name.empty()) return {};
    {
        auto& Base = BaseFolderState();
        const std::lock_guard Guard(Base.Lock);
        if (!Base.Folder.empty()) return {IncludeTrailingPathDelimiter(Base.Folder) + Name + ".ini"};
    }
    std::vector<String> Folders = Root == HKEY_CURRENT_USER ? std::vector<String>{XdgConfigHome()} : XdgConfigDirs();
    for (String& Folder : Folders) Folder = IncludeTrailingPathDelimiter(Folder) + "qel/registry/" + Name + ".ini";
    return Folders;
}

bool IsExtensionKey(HKEY Root, const std::vector<String>& Path)
{
    return Root == HKEY_CLASSES_ROOT && Path.size() == 1 && Path[0].size() > 1 && Path[0][0] == '.'
        && Path[0].find('/') == String::npos;
}

// Matches the name only, by suffix; the file need not exist.
std::optional<String> MimeTypeOfExtension(const String& Extension)
{
    const QList<QMimeType> Types = QMimeDatabase().mimeTypesForFileName(QString::fromStdString("x" + Extension));
    if (Types.isEmpty()) return std::nullopt;
    return Types.front().name().toStdString();
}

std::optional<uint32_t> DwordOf(const String& Value)
{
    if (Value.size() <= DwordPrefix.size() || Value.size() > DwordPrefix.size() + 8
        || !SameText(Value.substr(0, DwordPrefix.size()), DwordPrefix))
        return std::nullopt;
    uint32_t Result = 0;
    const char* End = Value.data() + Value.size();
    const auto [Stop, Error] = std::from_chars(Value.data() + DwordPrefix.size(), End, Result, 16);
    return (Error == std::errc() && Stop == End) ? std::optional(Result) : std::nullopt;
}

// Name, modification time and size: enough to notice an edited file.
String FileStamp(const String& FileName)
{
    std::error_code Error;
    const auto Time = std::filesystem::last_write_time(FileName, Error).time_since_epoch().count();
    const auto Size = std::filesystem::file_size(FileName, Error);
    return FileName + '\n' + std::to_string(Time) + '\n' + std::to_string(Size);
}

[[noreturn]] void RaiseInvalidType(const String& Name)
{
    throw ERegistryException("Invalid data type for '" + Name + "'");
}

} // namespace

// One root's INI file, its sections indexed by their normalised lower-case key path.
class TRegistry::TKeyFile {
public:
    explicit TKeyFile(const String& FileName) : FIni(FileName)
    {
        std::vector<String> Sections;
        FIni.ReadSections(Sections);
        for (const String& Section : Sections) FKeys.push_back({LowerCase(JoinKey(SplitKey(Section))), Section});
    }

    bool HasKey(const String& LowerPath) const
    {
        return std::any_of(FKeys.begin(), FKeys.end(), [&](const auto& Key) {
            return Key.first == LowerPath || Key.first.starts_with(LowerPath + '\\');
        });
    }

    std::optional<String> Value(const String& LowerPath, const String& Name) const
    {
        for (const auto& [Path, Section] : FKeys)
            if (Path == LowerPath && FIni.ValueExists(Section, Name)) return FIni.ReadString(Section, Name, "");
        return std::nullopt;
    }

    void AddValueNames(const String& LowerPath, std::vector<String>& Names) const
    {
        for (const auto& [Path, Section] : FKeys) {
            if (Path != LowerPath) continue;
            std::vector<String> Idents;
            FIni.ReadSection(Section, Idents);
            for (const String& Ident : Idents) AddName(Names, Ident);
        }
    }

    void AddSubKeyNames(const String& LowerPath, std::vector<String>& Names) const
    {
        const size_t Depth = SplitKey(LowerPath).size();
        for (const auto& [Path, Section] : FKeys)
            if (Path.size() > LowerPath.size() && (LowerPath.empty() || Path.starts_with(LowerPath + '\\')))
                AddName(Names, SplitKey(Section).at(Depth));
    }

    static void AddName(std::vector<String>& Names, const String& Name)
    {
        const auto Same = [&](const String& N) { return SameText(N, Name); };
        if (std::none_of(Names.begin(), Names.end(), Same)) Names.push_back(Name);
    }

private:
    TIniFile FIni;
    std::vector<std::pair<String, String>> FKeys;  // lower-case path, section as written
};

TRegistry::TRegistry() = default;
TRegistry::~TRegistry() = default;

void TRegistry::SetRootKey(HKEY Value)
{
    FRootKey = Value;
    CloseKey();
}

String TRegistry::CurrentPath() const { return JoinKey(FPath); }

bool TRegistry::OpenKey(const String& Key, [[maybe_unused]] bool CanCreate)
{
    TKeyPath Path = Resolve(Key);
    if (!KeyExistsAt(Path)) return false;
    FPath = std::move(Path);
    FKeyOpen = true;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const String& Key) { return OpenKey(Key, false); }

void TRegistry::CloseKey()
{
    FKeyOpen = false;
    FPath.clear();
}

bool TRegistry::KeyExists(const String& Key) const { return KeyExistsAt(Resolve(Key)); }

void TRegistry::GetKeyNames(std::vector<String>& Names) const
{
    Names.clear();
    if (!FKeyOpen) return;
    const String Path = LowerCase(JoinKey(FPath));
    for (const auto& File : Files()) File->AddSubKeyNames(Path, Names);
}

bool TRegistry::ValueExists(const String& Name) const { return FindValue(Name).has_value(); }

void TRegistry::GetValueNames(std::vector<String>& Names) const
{
    Names.clear();
    if (!FKeyOpen) return;
    const String Path = LowerCase(JoinKey(FPath));
    for (const auto& File : Files()) File->AddValueNames(Path, Names);
    if (IsExtensionKey(FRootKey, FPath) && MimeTypeOfExtension(FPath[0])) TKeyFile::AddName(Names, ContentTypeName);
}

String TRegistry::ReadString(const String& Name) const
{
    const std::optional<String> Value = FindValue(Name);
    if (Value && DwordOf(*Value)) RaiseInvalidType(Name);
    return Value.value_or(String());
}

Integer TRegistry::ReadInteger(const String& Name) const
{
    const std::optional<String> Value = FindValue(Name);
    if (!Value) RaiseInvalidType(Name);
    if (const auto Dword = DwordOf(*Value)) return static_cast<Integer>(*Dword);
    try {
        return StrToInt(*Value);
    } catch (const EConvertError&) {
        RaiseInvalidType(Name);
    }
}

void TRegistry::SetBaseFolder(const String& Folder)
{
    auto& Base = BaseFolderState();
    const std::lock_guard Guard(Base.Lock);
    Base.Folder = Folder;
}

String TRegistry::BaseFolder()
{
    auto& Base = BaseFolderState();
    const std::lock_guard Guard(Base.Lock);
    return Base.Folder;
}

TRegistry::TKeyPath TRegistry::Resolve(const String& Key) const
{
    const bool Relative = !Key.starts_with('\\') && FKeyOpen;
    TKeyPath Path = Relative ? FPath : TKeyPath();
    for (String& Part : SplitKey(Key)) Path.push_back(std::move(Part));
    return Path;
}

bool TRegistry::KeyExistsAt(const TKeyPath& Path) const
{
    if (Path.empty()) return !RootName(FRootKey).empty();
    if (IsExtensionKey(FRootKey, Path) && MimeTypeOfExtension(Path[0])) return true;
    const String LowerPath = LowerCase(JoinKey(Path));
    const auto& KeyFiles = Files();
    return std::any_of(KeyFiles.begin(), KeyFiles.end(), [&](const auto& File) { return File->HasKey(LowerPath); });
}

std::optional<String> TRegistry::FindValue(const String& Name) const
{
    if (!FKeyOpen) return std::nullopt;
    const String Path = LowerCase(JoinKey(FPath));
    for (const auto& File : Files())
        if (auto Value = File->Value(Path, Name)) return Value;
    if (IsExtensionKey(FRootKey, FPath) && SameText(Name, ContentTypeName)) return MimeTypeOfExtension(FPath[0]);
    return std::nullopt;
}

// Reloaded whenever the root, the base folder, the XDG variables or a file changed.
const std::vector<std::unique_ptr<TRegistry::TKeyFile>>& TRegistry::Files() const
{
    std::vector<String> Names = RootFileNames(FRootKey);
    std::vector<String> Stamps;
    for (const String& Name : Names) Stamps.push_back(FileStamp(Name));
    if (Stamps != FFileStamps) {
        FFiles.clear();
        for (const String& Name : Names) FFiles.push_back(std::make_unique<TKeyFile>(Name));
        FFileStamps = std::move(Stamps);
    }
    return FFiles;
}

}  // namespace qel
