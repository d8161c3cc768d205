#pragma once
// How the mail code hands on errors that must not reach the caller, and refuses items made for
// the wrong collection. Internal to qelmail.
#include "framework/core/Classes.h"

#include <functional>

namespace qel {

// Runs Step; an error goes to Application->HandleException(Sender) instead of to the caller,
// and the result is False.
bool RunReported(TObject* Sender, const std::function<void()>& Step);

// Takes Item out of its collection again and raises EInvalidCast: an item constructed for a
// collection of the wrong kind must not stay behind in it. Needed names the right kind.
[[noreturn]] void RefuseItem(TCollectionItem* Item, const char* Needed);

// The owner of Collection when it is a TList (a typed collection) that has one; otherwise Item
// is refused as above.
template <class TList>
auto* OwnerOrRefuse(TCollectionItem* Item, TCollection* Collection, const char* Needed)
{
    auto* list = dynamic_cast<TList*>(Collection);
    auto* owner = list ? list->Owner() : nullptr;
    if (!owner) RefuseItem(Item, Needed);
    return owner;
}

}  // namespace qel
