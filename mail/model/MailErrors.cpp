#include "mail/model/MailErrors.h"

#include "framework/core/Application.h"

namespace qel {

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
