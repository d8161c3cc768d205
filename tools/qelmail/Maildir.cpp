#include "Maildir.h"

#include "framework/core/Platform.h"

#include <ctime>
#include <unistd.h>

namespace qelmail_tool {

namespace {

// "/" and ":" would break the name apart (":" starts a reader's flags): written as octal escapes.
String HostPart()
{
    String host;
    for (const char c : LocalHostName()) {
        if (c == '/') host += "\\057";
        else if (c == ':') host += "\\072";
        else host += c;
    }
    return host.empty() ? String("localhost") : host;
}

}  // namespace

bool TMaildir::Open(const String& Folder)
{
    FFolder = Folder;
    FHost = HostPart();
    for (const char* sub : {"/tmp", "/new", "/cur"})
        if (!MakeFolder(Folder + sub, FError)) return false;
    return true;
}

void TMaildir::Write(std::string_view Text)
{
    if (FFailed || (!FFile.IsOpen() && !Begin())) return;
    if (FFile.Write(Text)) return;
    FError = FFile.Error();
    FFailed = true;
    FFile.Discard();
}

bool TMaildir::Commit()
{
    if (!FFailed && !FFile.IsOpen()) Begin();  // a message without any text
    if (FFailed) {
        FFailed = false;
        return false;
    }
    // A name taken in new/ (a clock set back, a recycled pid) gets the next counter.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const String name = attempt == 0 ? FName : UniqueName();
        if (FFile.Commit(FFolder + "/new/" + name)) return true;
        if (!FFile.Taken()) break;
    }
    FError = FFile.Error();
    FFile.Discard();
    return false;
}

void TMaildir::Discard()
{
    FFile.Discard();
    FFailed = false;
}

bool TMaildir::Begin()
{
    FName = UniqueName();
    if (FFile.Create(FFolder + "/tmp/" + FName, 0600)) return true;
    FError = FFile.Error();
    FFailed = true;
    return false;
}

String TMaildir::UniqueName()
{
    return std::to_string(std::time(nullptr)) + "." + std::to_string(::getpid()) + "_" + std::to_string(++FCounter) +
           "." + FHost;
}

}  // namespace qelmail_tool
