#include "mail/QELTIEmails.h"
