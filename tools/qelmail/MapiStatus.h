#pragma once
// What the mail tool says about Simple MAPI: why it cannot be used, and what a code means.
#include "ExitCodes.h"
#include "framework/core/Types.h"

#include <cstdint>

namespace qelmail_tool {
using namespace qel;

// "" when the provider is bound completely; otherwise what is missing, in words a user can act on.
String MapiUnavailableReason();
// "14 (unknown recipient)"; just the number for a code without a name.
String MapiCodeText(uint32_t Code);
// The code's text and, when the provider says why, the reason: "3 (login failure): wrong password ...".
String MapiFailureText(uint32_t Code);
// The tool's exit code for a failed call's MAPI code.
TExitCode MapiExitCode(uint32_t Code);

}  // namespace qelmail_tool
