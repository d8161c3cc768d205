#pragma once
// Files the fetch command writes: under a temporary name first, flushed to the disk, then renamed
// into place, so that nobody ever finds half a file under the final name. An interrupting signal
// removes the file being written and ends the tool at once, without QUIT: a POP3 server commits
// no deletion of a session that was not closed.
#include "framework/core/Types.h"

#include <string_view>

namespace qelmail_tool {
using namespace qel;

class TSafeFile {
public:
    TSafeFile() = default;
    ~TSafeFile();  // an uncommitted file goes
    TSafeFile(const TSafeFile&) = delete;
    TSafeFile& operator=(const TSafeFile&) = delete;

    // Creates TempPath, which must not exist yet, with Mode (less the umask).
    bool Create(const String& TempPath, int Mode);
    bool Write(std::string_view Bytes);
    // Flushes the file to the disk, renames it to FinalPath unless that name is taken (then False,
    // Taken() true, and the file stays open for another try), and flushes the folder.
    bool Commit(const String& FinalPath);
    // The same, taking the place of a file FinalPath that exists: readers find the old or the new.
    bool Replace(const String& FinalPath);
    void Discard();

    bool IsOpen() const { return FFd >= 0; }
    bool Taken() const { return FTaken; }
    const String& Error() const { return FError; }  // what went wrong last, with the system's words

private:
    bool Finish(const String& FinalPath, bool Replacing);
    bool Fail(const String& What, const String& Path);

    int FFd = -1;
    int FSlot = -1;
    bool FSynced = false;
    bool FTaken = false;
    String FTemp;
    String FError;
};

// From now on SIGINT and SIGTERM remove every file being written, say so and end the tool.
void InstallInterruptCleanup();
// QUIT is going out: an interruption from now on can no longer promise that nothing was deleted.
void NoteSessionClosing();

// Creates Folder and any missing parents; False with the reason in Error.
bool MakeFolder(const String& Folder, String& Error);

}  // namespace qelmail_tool
