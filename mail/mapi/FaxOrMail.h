#pragma once
// How a MAPI message goes out: as mail or as fax. Shared by TQELMapiMail and TQELQuickMail.
#include <QObject>

namespace qel {

namespace QELMapiKind {
Q_NAMESPACE
enum TQELFaxorMail { ccMail, ccFax };
Q_ENUM_NS(TQELFaxorMail)
}  // namespace QELMapiKind

using QELMapiKind::TQELFaxorMail;
using QELMapiKind::ccMail;
using QELMapiKind::ccFax;

}  // namespace qel
