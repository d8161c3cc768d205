#pragma once
// QELTIEmails: Internet mail — messages, attachments, the mail host session and SMTP sending.
#include "mail/MailHost.h"
#include "mail/MailMessages.h"
#include "mail/SMTPMail.h"
#include "mail/POPMail.h"
