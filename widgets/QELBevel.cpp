#include "widgets/QELBevel.h"

namespace qel {

TQELBevel::TQELBevel(TComponent* AOwner) : TBevel(AOwner) {}

TQELBevel::~TQELBevel() = default;

void TQELBevel::SetHighlight(TColor Value)
{
    FHighlight = Value;
    Invalidate();
}

void TQELBevel::SetShadow(TColor Value)
{
    FShadow = Value;
    Invalidate();
}

void TQELBevel::Paint() { PaintBevel(FHighlight, FShadow); }

QEL_REGISTER_CLASS(TQELBevel);

}  // namespace qel
