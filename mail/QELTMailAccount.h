#pragma once
// QELTMailAccount: mail accounts, their collection and the component that holds them.
#include "mail/model/MailAccount.h"
