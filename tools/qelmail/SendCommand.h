#pragma once
// qelmail send: one message through an SMTP server with TQELSMTPMail.
#include <QStringList>

int RunSend(const QStringList& Args);
