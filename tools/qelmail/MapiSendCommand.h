#pragma once
// qelmail mapi-send: one message or fax through the Simple MAPI provider with TQELMapiMail.
#include <QStringList>

int RunMapiSend(const QStringList& Args);
