#pragma once
// Operating-system services the components ask for by their classic names: this machine's name,
// pausing the calling thread, and a millisecond tick count.
#include "framework/core/Export.h"
#include "framework/core/Types.h"

namespace qel {

// gethostname(), never a DNS lookup: a machine without a network would stall on one. "" when the
// system gives no name.
QEL_FRAMEWORK_EXPORT String LocalHostName();

// Blocks the calling thread for at least Milliseconds; 0 only yields.
QEL_FRAMEWORK_EXPORT void Sleep(Cardinal Milliseconds);

// Milliseconds of the monotonic clock, wrapping at 2^32 (about every 49.7 days) like the classic
// call: compare ticks by their unsigned difference, never by their order.
QEL_FRAMEWORK_EXPORT Cardinal GetTickCount();

}  // namespace qel
