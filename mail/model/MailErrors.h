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

}  // namespace qel
