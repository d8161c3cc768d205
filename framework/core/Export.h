#pragma once
// QEL_FRAMEWORK_EXPORT marks what qelframework offers its users; the library is built with hidden
// visibility, so everything else stays inside it.
#define QEL_FRAMEWORK_EXPORT __attribute__((visibility("default")))
