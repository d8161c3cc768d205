#pragma once
// Records handed to one Simple MAPI call, with the 8-bit string copies they point at.
#include "framework/core/Types.h"
#include "mapi/SimpleMapi.h"

#include <deque>
#include <vector>

namespace qel {

class TMapiStrings {
public:
    // A null-terminated copy that lives as long as this object.
    char* Copy(const String& Text);

private:
    std::deque<String> FCopies;  // a deque never moves its elements when it grows
};

struct TMapiRecipients {
    std::vector<MapiRecipDesc> Entries;  // one per recipient line, zeroed where unresolved
    TMapiStrings Strings;
};

}  // namespace qel
