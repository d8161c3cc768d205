#pragma once
// Asks for a password on the terminal without echoing it.
#include "framework/core/Types.h"

namespace qelmail_tool {
using namespace qel;

String AskPassword(const String& Prompt);  // TUsageError when there is no terminal to ask on

}  // namespace qelmail_tool
