#pragma once
// QELTIEmails: Internet mail — messages, attachments, the mail host session, SMTP sending and
// POP3 receiving.
#include "mail/model/MailMessages.h"
#include "mail/pop/POPMail.h"
#include "mail/session/MailHost.h"
#include "mail/smtp/SMTPMail.h"

namespace qel {

}  // namespace qel
