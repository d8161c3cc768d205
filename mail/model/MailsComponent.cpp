#include "mail/model/MailsComponent.h"

#include "framework/core/Application.h"
#include "mail/model/MailStrings.h"

namespace qel {

QEL_REGISTER_CLASS(TQELMailsComponent);

TQELMailsComponent::TQELMailsComponent(TComponent* AOwner) : TComponent(AOwner), About(QELMailStr::AboutMail) {}

bool TQELMailsComponent::Execute()
{
    return false;
}

bool RunReported(TObject* Sender, const std::function<void()>& Step)
{
    try {
        Step();
        return true;
    } catch (...) {
        Application->HandleException(Sender);
        return false;
    }
}

void RefuseItem(TCollectionItem* Item, const char* Needed)
{
    Item->SetCollection(nullptr);
    throw EInvalidCast("Invalid class typecast: a " + Item->ClassName() + " needs " + Needed);
}

}  // namespace qel
