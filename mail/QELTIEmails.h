#pragma once
// QELTIEmails: Internet mail — messages, attachments, the mail host session, SMTP sending,
// POP3 receiving, and the decoders of received header text.
#include "mail/codec/HeaderDecoding.h"
#include "mail/model/MailMessages.h"
#include "mail/pop/POPMail.h"
#include "mail/session/MailHost.h"
#include "mail/smtp/SMTPMail.h"

namespace qel {

}  // namespace qel
