#pragma once
// QELMailClass: the common base of every mail component.
#include "mail/model/MailsComponent.h"
