#include "widgets/QELOwnership.h"

namespace qel {

TQELOwnership::TQELOwnership(TComponent* AOwner) : TComponent(AOwner) {}

QEL_REGISTER_CLASS(TQELOwnership);

}  // namespace qel
