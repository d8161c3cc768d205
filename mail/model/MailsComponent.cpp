#include "mail/model/MailsComponent.h"

#include "mail/model/MailStrings.h"

namespace qel {

QEL_REGISTER_CLASS(TQELMailsComponent);

TQELMailsComponent::TQELMailsComponent(TComponent* AOwner) : TComponent(AOwner), About(QELMailStr::AboutMail) {}

bool TQELMailsComponent::Execute()
{
    return false;
}

}  // namespace qel
