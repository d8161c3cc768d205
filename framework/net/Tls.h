#pragma once
// How a client checks the server of a TLS connection. The defaults trust what the system's CA
// store trusts and check the host name; nothing here ever accepts an unchecked peer by default.
#include "framework/core/Export.h"
#include "framework/core/Types.h"

namespace qel {

struct QEL_FRAMEWORK_EXPORT TTlsOptions {
    bool VerifyPeer = true;  // false only when the host explicitly chooses so
    String CAFile;           // an extra CA (PEM) trusted besides the system store
    // Hex SHA-256 of the peer certificate's DER, colons and case ignored: that very certificate is
    // accepted even when no CA vouches for it and whatever name it carries.
    String PinnedSha256;
};

}  // namespace qel
