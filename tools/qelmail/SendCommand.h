#pragma once
// qelmail send: one message through an SMTP server with TQELSMTPMail.
#include <QStringList>

namespace qelmail_tool {

int RunSend(const QStringList& Args);

}  // namespace qelmail_tool
