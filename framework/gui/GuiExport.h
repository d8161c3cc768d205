#pragma once
// QEL_GUI_EXPORT marks what qelframework-gui offers its users; the library is built with hidden
// visibility, so everything else stays inside it.
#define QEL_GUI_EXPORT __attribute__((visibility("default")))
