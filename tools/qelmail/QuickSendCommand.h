#pragma once
// qelmail quick-send: one short message or fax to one recipient with TQELQuickMail.
#include <QStringList>

int RunQuickSend(const QStringList& Args);
