#pragma once
// qelmail quick-send: one short message or fax to one recipient with TQELQuickMail.
#include <QStringList>

namespace qelmail_tool {

int RunQuickSend(const QStringList& Args);

}  // namespace qelmail_tool
