#pragma once
// TPersistent: objects that can be copied onto one another and stored in form files.
#include "framework/core/Export.h"
#include "framework/core/Object.h"

namespace qel {

class QEL_FRAMEWORK_EXPORT TPersistent : public TObject {
    Q_OBJECT
public:
    TPersistent() = default;

    // Copies Source onto this object; without a copy of its own, asks Source to AssignTo
    // this one, and fails with EConvertError "Cannot assign a X to a Y" when neither knows how.
    virtual void Assign(TPersistent* Source);

    // The object that owns this one in the storage tree (a collection's owner, an item's collection).
    virtual TPersistent* GetOwner() { return nullptr; }

protected:
    virtual void AssignTo(TPersistent* Dest);
    [[noreturn]] void AssignError(TPersistent* Source);
};

}  // namespace qel
