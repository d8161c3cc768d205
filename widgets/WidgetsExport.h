#pragma once
// QEL_WIDGETS_EXPORT marks what qelwidgets offers its users; the library is built with hidden
// visibility, so drawing tables and other helpers stay inside it.
#define QEL_WIDGETS_EXPORT __attribute__((visibility("default")))
