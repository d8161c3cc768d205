#pragma once
// How a MAPI message goes out: as mail or as fax. Shared by TQELMapiMail and TQELQuickMail.
#include "mail/MailExport.h"

#include <QObject>

namespace qel {

namespace QELMapiKind {
Q_NAMESPACE_EXPORT(QEL_MAIL_EXPORT)
enum TQELFaxorMail { ccMail, ccFax };
Q_ENUM_NS(TQELFaxorMail)
}  // namespace QELMapiKind

using QELMapiKind::TQELFaxorMail;
using QELMapiKind::ccMail;
using QELMapiKind::ccFax;

}  // namespace qel
