#pragma once
// QELTMapiMail: sending through Simple MAPI — the binding, TQELMapiMail and TQELQuickMail.
#include "mail/MapiBinding.h"
#include "mail/MapiMail.h"
#include "mail/QuickMail.h"
