#include "mail/QELMailClass.h"

#include "mail/QELMailStrings.h"

QEL_REGISTER_CLASS(TQELMailsComponent);

TQELMailsComponent::TQELMailsComponent(TComponent* AOwner) : TComponent(AOwner), About(QELMailStr::AboutMail) {}

bool TQELMailsComponent::Execute()
{
    return false;
}
