#pragma once
// qelmail fetch: reads a POP3 mailbox with TQELPOPMail.
#include <QStringList>

namespace qelmail_tool {

int RunFetch(const QStringList& Args);

}  // namespace qelmail_tool
