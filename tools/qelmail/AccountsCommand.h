#pragma once
// qelmail accounts: lists the accounts of an accounts file, without their passwords.
#include <QStringList>

namespace qelmail_tool {

int RunAccounts(const QStringList& Args);

}  // namespace qelmail_tool
