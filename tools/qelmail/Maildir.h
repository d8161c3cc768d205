#pragma once
// A Maildir that the fetch command stores messages in, each exactly as the server sent it: written
// into tmp/ under a name no other delivery uses ("time.pid_counter.host"), flushed to the disk,
// then renamed into new/, so that a message is in new/ whole or not at all.
#include "SafeFile.h"

namespace qelmail_tool {

class TMaildir {
public:
    // Creates Folder with tmp/, new/ and cur/ where they are missing; False with Error() set.
    bool Open(const String& Folder);

    // A message's text, piece by piece. Once a piece fails, the rest of that message is dropped
    // and Commit fails with the first error.
    void Write(std::string_view Text);
    // The message written since the last Commit or Discard goes into new/ (an empty one too).
    bool Commit();
    void Discard();  // the message under way goes, wherever it got to

    const String& Error() const { return FError; }

private:
    bool Begin();
    String UniqueName();

    String FFolder;
    String FHost;
    String FName;
    String FError;
    TSafeFile FFile;
    unsigned FCounter = 0;
    bool FFailed = false;
};

}  // namespace qelmail_tool
