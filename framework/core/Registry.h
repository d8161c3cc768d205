#pragma once
// Read-only registry facade. Key paths use '\' separators; key and value names ignore
// ASCII letter case.
//
// HKEY_CLASSES_ROOT\.ext (a file-name extension): the key exists when the shared MIME
// database knows the suffix, and its value "Content Type" is that MIME type's name.
//
// Every other key lives in one INI file per root, named after the root:
//   HKEY_CURRENT_USER.ini      in $XDG_CONFIG_HOME/qel/registry/ (default ~/.config)
//   HKEY_LOCAL_MACHINE.ini,    in <dir>/qel/registry/ for each <dir> of $XDG_CONFIG_DIRS
//   HKEY_CLASSES_ROOT.ini,     (default /etc/xdg); a key exists when any of them has it,
//   HKEY_USERS.ini             and a value is read from the first that holds it.
// SetBaseFolder(F) makes every root read F/<root name>.ini instead (tests, hosts).
// A file is read again once it changes on disk.
//
//   [Software\Vendor\Product]      a section is a key's full path below its root;
//   Path = /usr/sbin/sendmail      parent keys exist implicitly
//   Count = dword:0000001f         an integer value: up to 8 hex digits after "dword:"
//
// An extension key may also have a section in HKEY_CLASSES_ROOT.ini: its values come
// first, so a host can add or override types.
#include "framework/core/Export.h"
#include "framework/core/Exceptions.h"

#include <memory>
#include <optional>
#include <vector>

namespace qel {

using HKEY = uintptr_t;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002;
constexpr HKEY HKEY_USERS = 0x80000003;

QEL_DECLARE_EXCEPTION(ERegistryException, Exception)

class QEL_FRAMEWORK_EXPORT TRegistry {
public:
    TRegistry();
    ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const { return FRootKey; }
    void SetRootKey(HKEY Value);  // also closes the open key
    String CurrentPath() const;   // the open key's path below the root, without a leading '\'

    // A leading '\' means from the root; otherwise from the open key (or the root when none).
    // Nothing is ever created: CanCreate is accepted for compatibility only.
    bool OpenKey(const String& Key, bool CanCreate);
    bool OpenKeyReadOnly(const String& Key);
    void CloseKey();
    bool KeyExists(const String& Key) const;  // without opening it
    void GetKeyNames(std::vector<String>& Names) const;  // INI-backed subkeys of the open key

    // Values of the open key; with no key open there are none.
    bool ValueExists(const String& Name) const;
    void GetValueNames(std::vector<String>& Names) const;
    // A missing value reads as ""; an integer value raises ERegistryException.
    String ReadString(const String& Name) const;
    // An integer value, or a string holding a decimal or hex number; anything else,
    // a missing value included, raises ERegistryException "Invalid data type for 'Name'".
    Integer ReadInteger(const String& Name) const;

    static void SetBaseFolder(const String& Folder);  // "" returns to the XDG folders
    static String BaseFolder();

private:
    class TKeyFile;
    using TKeyPath = std::vector<String>;

    TKeyPath Resolve(const String& Key) const;
    bool KeyExistsAt(const TKeyPath& Path) const;
    std::optional<String> FindValue(const String& Name) const;
    const std::vector<std::unique_ptr<TKeyFile>>& Files() const;

    HKEY FRootKey = HKEY_CURRENT_USER;
    bool FKeyOpen = false;
    TKeyPath FPath;
    mutable std::vector<String> FFileStamps;  // the files FFiles was loaded from, as they were
    mutable std::vector<std::unique_ptr<TKeyFile>> FFiles;
};

}  // namespace qel
