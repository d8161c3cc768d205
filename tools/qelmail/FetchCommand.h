#pragma once
// qelmail fetch: reads a POP3 mailbox with TQELPOPMail.
#include <QStringList>

int RunFetch(const QStringList& Args);
