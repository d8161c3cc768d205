#include "SeenList.h"

#include "SafeFile.h"
#include "framework/core/Strings.h"
#include "framework/core/SysUtils.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <unistd.h>

namespace qelmail_tool {

namespace {

String StateHome()
{
    if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg && *xdg == '/') return xdg;
    const char* home = std::getenv("HOME");
    return String(home ? home : "") + "/.local/state";
}

// Letters, digits and ". _ @ - +" stay; a name of dots alone cannot climb out of the folder.
String FolderName(const String& Name)
{
    String safe = Name;
    for (char& c : safe)
        if (!std::isalnum(static_cast<unsigned char>(c)) && !std::strchr("._@-+", c)) c = '_';
    if (safe.find_first_not_of('.') == String::npos) safe = "_" + safe;
    return safe;
}

}  // namespace

String SeenListFile(const TAccountSettings& Account)
{
    const String name = !Account.Name.empty()
                            ? Account.Name
                            : Account.User + "@" + Account.Server + "_" + std::to_string(Account.Port);
    return StateHome() + "/qelmail/" + FolderName(name) + "/seen-uids";
}

bool LoadSeenList(const String& FileName, TStrings& List, String& Error)
{
    std::ifstream in(FileName, std::ios::binary);
    if (!in) {
        if (errno == ENOENT) return true;  // nothing fetched yet
        Error = "cannot read " + FileName + ": " + std::strerror(errno);
        return false;
    }
    String line;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (!line.empty()) List.Add(line);
    }
    if (in.bad()) {
        Error = "cannot read " + FileName;
        return false;
    }
    return true;
}

bool SaveSeenList(const String& FileName, const TStrings& List, String& Error)
{
    const String folder = ExtractFilePath(FileName);
    if (!MakeFolder(folder, Error)) return false;
    String text;
    for (int i = 0; i < List.Count(); ++i) text += List.Strings(i) + "\n";
    TSafeFile file;
    const String temp = FileName + "." + std::to_string(::getpid()) + ".part";
    if (file.Create(temp, 0600) && file.Write(text) && file.Replace(FileName)) return true;
    Error = "the list of fetched messages was not saved: " + file.Error();
    return false;
}

}  // namespace qelmail_tool
