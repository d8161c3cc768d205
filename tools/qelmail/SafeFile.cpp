#include "SafeFile.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace qelmail_tool {

namespace {

// The files being written, as the signal handler sees them: it may only look at plain memory, so
// a path is copied in before its slot is marked used, and the mark goes before the path changes.
struct TSlot {
    volatile sig_atomic_t Used = 0;
    char Path[PATH_MAX] = {};
};
TSlot Slots[4];
volatile sig_atomic_t SessionClosing = 0;

int Claim(const String& Path)
{
    if (Path.size() >= PATH_MAX) return -1;
    for (int i = 0; i < static_cast<int>(std::size(Slots)); ++i) {
        if (Slots[i].Used) continue;
        std::memcpy(Slots[i].Path, Path.c_str(), Path.size() + 1);
        Slots[i].Used = 1;
        return i;
    }
    return -1;
}

void Release(int& Slot)
{
    if (Slot >= 0) Slots[Slot].Used = 0;
    Slot = -1;
}

extern "C" void RemoveAndEnd(int Signal)
{
    // Only async-signal-safe calls here; no QUIT goes out, so the server deletes nothing.
    for (TSlot& slot : Slots)
        if (slot.Used) ::unlink(slot.Path);
    static const char Said[] = "qelmail: interrupted: no file left half-written, nothing deleted on the server\n";
    static const char Late[] = "qelmail: interrupted while closing the session: no file left half-written; the server "
                               "may have committed its deletions\n";
    [[maybe_unused]] const ssize_t written =
        SessionClosing ? ::write(STDERR_FILENO, Late, sizeof Late - 1) : ::write(STDERR_FILENO, Said, sizeof Said - 1);
    ::_exit(128 + Signal);
}

String FolderOf(const String& Path)
{
    const size_t slash = Path.rfind('/');
    return slash == String::npos ? String(".") : slash == 0 ? String("/") : Path.substr(0, slash);
}

// A rename that never replaces a file; where the file system cannot promise that, a look first.
int RenameNoReplace(const String& From, const String& To)
{
    if (::renameat2(AT_FDCWD, From.c_str(), AT_FDCWD, To.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
    struct stat st {};
    if (::lstat(To.c_str(), &st) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(From.c_str(), To.c_str());
}

bool SyncFolder(const String& Folder)
{
    const int fd = ::open(Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;  // some file systems cannot sync a folder
    ::close(fd);
    return synced;
}

}  // namespace

TSafeFile::~TSafeFile()
{
    Discard();
}

bool TSafeFile::Create(const String& TempPath, int Mode)
{
    Discard();
    FTaken = false;
    FSynced = false;
    FSlot = Claim(TempPath);
    if (FSlot < 0) {
        FError = "cannot write " + TempPath + ": the name is too long";
        return false;
    }
    FTemp = TempPath;
    FFd = ::open(TempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, Mode);
    if (FFd < 0) {
        const bool failed = Fail("cannot create", TempPath);
        Release(FSlot);
        return failed;
    }
    return true;
}

bool TSafeFile::Write(std::string_view Bytes)
{
    if (FFd < 0) return false;
    while (!Bytes.empty()) {
        const ssize_t n = ::write(FFd, Bytes.data(), Bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Fail("cannot write", FTemp);
        Bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool TSafeFile::Commit(const String& FinalPath) { return Finish(FinalPath, false); }

bool TSafeFile::Replace(const String& FinalPath) { return Finish(FinalPath, true); }

bool TSafeFile::Finish(const String& FinalPath, bool Replacing)
{
    if (FFd < 0) return false;
    FTaken = false;
    if (!FSynced && ::fsync(FFd) != 0) return Fail("cannot flush", FTemp);
    FSynced = true;
    if ((Replacing ? ::rename(FTemp.c_str(), FinalPath.c_str()) : RenameNoReplace(FTemp, FinalPath)) != 0) {
        FTaken = errno == EEXIST;
        return Fail("cannot rename " + FTemp + " to", FinalPath);
    }
    Release(FSlot);
    ::close(FFd);
    FFd = -1;
    FTemp.clear();
    if (!SyncFolder(FolderOf(FinalPath))) return Fail("cannot flush the folder of", FinalPath);
    return true;
}

void TSafeFile::Discard()
{
    if (FFd < 0) return;
    ::close(FFd);
    FFd = -1;
    ::unlink(FTemp.c_str());
    Release(FSlot);
    FTemp.clear();
}

bool TSafeFile::Fail(const String& What, const String& Path)
{
    FError = What + " " + Path + ": " + std::strerror(errno);
    return false;
}

void InstallInterruptCleanup()
{
    struct sigaction action {};
    action.sa_handler = RemoveAndEnd;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void NoteSessionClosing()
{
    SessionClosing = 1;
}

bool MakeFolder(const String& Folder, String& Error)
{
    std::error_code ec;
    std::filesystem::create_directories(Folder, ec);
    if (!ec && std::filesystem::is_directory(Folder, ec)) return true;
    Error = "cannot create " + Folder + ": " + (ec ? ec.message() : String("not a folder"));
    return false;
}

}  // namespace qelmail_tool
