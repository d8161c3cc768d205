#pragma once
// QELTMapiMail: sending through Simple MAPI — the binding, TQELMapiMail and TQELQuickMail.
#include "mail/mapi/MapiBinding.h"
#include "mail/mapi/MapiMail.h"
#include "mail/mapi/QuickMail.h"

namespace qel {

}  // namespace qel
