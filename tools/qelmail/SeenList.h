#pragma once
// The unique ids of the messages "qelmail fetch --new-only" fetched before, kept per account in
// $XDG_STATE_HOME/qelmail/<account>/seen-uids (default ~/.local/state), one id a line.
#include "AccountsFile.h"

namespace qel {
class TStrings;
}

namespace qelmail_tool {

// The account's file: its folder is named after the account, else after user@server_port, with
// every character that does not belong in a file name replaced by '_'.
String SeenListFile(const TAccountSettings& Account);

// Adds the ids of FileName to List; none when the file does not exist. False with Error when it
// exists but cannot be read.
bool LoadSeenList(const String& FileName, TStrings& List, String& Error);
// Writes List under a temporary name, flushed, then renamed over FileName (its folder made when
// missing). False with Error.
bool SaveSeenList(const String& FileName, const TStrings& List, String& Error);

}  // namespace qelmail_tool
