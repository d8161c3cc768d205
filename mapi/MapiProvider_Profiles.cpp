// Profiles and sessions of the Simple MAPI provider.
#include "framework/core/IniFiles.h"
#include "framework/core/Registry.h"
#include "framework/core/SysUtils.h"
#include "mapi/MapiProvider.h"

#include <cstdlib>
#include <map>
#include <mutex>

namespace qel::mapiprovider {

namespace {

const char* const SettingsKey = "Software\\QEL\\SimpleMapi";
const char* const ProfileFileValue = "ProfileFile";

std::mutex SessionLock;
std::map<MAPI_LHANDLE, TProfile>& Sessions()
{
    static std::map<MAPI_LHANDLE, TProfile> Map;
    return Map;
}
MAPI_LHANDLE NextHandle = 1;

String DefaultProfileFile()
{
    const char* Config = std::getenv("XDG_CONFIG_HOME");
    String Base = Config && *Config ? String(Config) : String();
    if (Base.empty()) {
        const char* Home = std::getenv("HOME");
        Base = String(Home ? Home : "") + "/.config";
    }
    return IncludeTrailingPathDelimiter(Base) + "qel/mapi-profiles.ini";
}

}  // namespace

String ProfileFileName()
{
    TRegistry Reg;
    Reg.SetRootKey(HKEY_CURRENT_USER);
    if (Reg.OpenKeyReadOnly(SettingsKey) && Reg.ValueExists(ProfileFileValue)) {
        String Name = Reg.ReadString(ProfileFileValue);
        if (!Name.empty())
            return Name;
    }
    return DefaultProfileFile();
}

bool LoadProfile(const String& Name, const String& Password, TProfile& Profile)
{
    const String FileName = ProfileFileName();
    if (!FileExists(FileName)) {
        SetLastError("no profile file " + FileName);
        return false;
    }
    TIniFile Ini(FileName);
    String Section = Name.empty() ? Ini.ReadString("General", "DefaultProfile", "") : Name;
    if (Section.empty()) {
        SetLastError("no default profile in " + FileName + " (DefaultProfile in [General])");
        return false;
    }
    if (SameText(Section, "General") || !Ini.SectionExists(Section)) {
        SetLastError("no profile named '" + Section + "' in " + FileName);
        return false;
    }
    String Expected = Ini.ReadString(Section, "Password", "");
    if (!Expected.empty() && Expected != Password) {
        SetLastError((Password.empty() ? "no password given for profile '" : "wrong password for profile '") + Section +
                     "'");
        return false;
    }
    Profile.Name = Section;
    Profile.From = Ini.ReadString(Section, "From", "");
    Profile.SendmailPath = Ini.ReadString(Section, "SendmailPath", Profile.SendmailPath);
    Profile.AddressBook = Ini.ReadString(Section, "AddressBook", "");
    Profile.FaxGateway = Ini.ReadString(Section, "FaxGateway", "");
    return true;
}

namespace {
thread_local String LastErrorText;
}  // namespace

void SetLastError(const String& Text) { LastErrorText = Text; }
const String& LastError() { return LastErrorText; }

MAPI_LHANDLE OpenSession(const TProfile& Profile)
{
    std::lock_guard<std::mutex> Guard(SessionLock);
    MAPI_LHANDLE Handle = NextHandle++;
    Sessions()[Handle] = Profile;
    return Handle;
}

bool CloseSession(MAPI_LHANDLE Session)
{
    std::lock_guard<std::mutex> Guard(SessionLock);
    return Sessions().erase(Session) > 0;
}

bool FindSession(MAPI_LHANDLE Session, TProfile& Profile)
{
    std::lock_guard<std::mutex> Guard(SessionLock);
    auto It = Sessions().find(Session);
    if (It == Sessions().end())
        return false;
    Profile = It->second;
    return true;
}

}  // namespace qel::mapiprovider
