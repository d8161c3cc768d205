#pragma once
// qelmail mapi-send: one message or fax through the Simple MAPI provider with TQELMapiMail.
#include <QStringList>

namespace qelmail_tool {

int RunMapiSend(const QStringList& Args);

}  // namespace qelmail_tool
