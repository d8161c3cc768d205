#pragma once
// TQELMailCollection: the typed collection of a mail component, whose Delete reports instead of
// raising, as the mail components do with every error outside a server dialogue.
#include "mail/MailExport.h"
#include "framework/core/TypedCollection.h"

#include <functional>

namespace qel {

namespace MailCollectionDetail {
// Deleting(item), then frees the item at Index; an error on the way, a bad index included, goes
// to Application->HandleException(Collection) and the result is False.
QEL_MAIL_EXPORT bool DeleteReported(TCollection* Collection, int Index,
                                    const std::function<void(TCollectionItem*)>& Deleting);
}  // namespace MailCollectionDetail

template <class TItem, class TOwner>
class QEL_MAIL_EXPORT TQELMailCollection : public TTypedCollection<TItem, TOwner> {
public:
    using TTypedCollection<TItem, TOwner>::TTypedCollection;

    // Frees the item at Index. Errors go to Application->HandleException with this collection as
    // Sender; False then.
    bool Delete(int Index)
    {
        return MailCollectionDetail::DeleteReported(
            this, Index, [this](TCollectionItem* Item) { Deleting(static_cast<TItem*>(Item)); });
    }

protected:
    // Runs inside Delete while the item is still whole; its errors are reported the same way.
    virtual void Deleting(TItem*) {}
};

}  // namespace qel
