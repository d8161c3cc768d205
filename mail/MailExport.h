#pragma once
// QEL_MAIL_EXPORT marks what qelmail offers its users; the library is built with hidden
// visibility, so protocol builders, codecs and other helpers stay inside it.
#define QEL_MAIL_EXPORT __attribute__((visibility("default")))
