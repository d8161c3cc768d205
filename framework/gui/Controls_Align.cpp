// TWinControl, layout part: children with Align fill the client area edge by edge.
#include "framework/gui/Controls.h"

namespace qel {

void TWinControl::EnableAlign()
{
    if (FAlignLevel > 0) --FAlignLevel;
    if (FAlignLevel == 0) Realign();
}

void TWinControl::Realign()
{
    if (FAlignLevel > 0 || FAligning || ComponentState().Contains(csLoading)) return;
    FAligning = true;
    try {
        TRect r = ClientRect();
        AdjustClientRect(r);
        AlignControls(nullptr, r);
    } catch (...) {
        FAligning = false;
        throw;
    }
    FAligning = false;
}

void TWinControl::AdjustClientRect(TRect& Rect) const { (void)Rect; }

void TWinControl::AlignControls(TControl* AControl, TRect& Rect)
{
    (void)AControl;
    // Top and bottom first take whole rows, then left and right the rest, then the client.
    for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) {
        for (TControl* c : FControls) {
            if (c->Align() != a || !c->Visible()) continue;
            const int32_t w = Rect.Right - Rect.Left, h = Rect.Bottom - Rect.Top;
            switch (a) {
            case alTop:
                c->SetBounds(Rect.Left, Rect.Top, w, c->Height());
                Rect.Top += c->Height();
                break;
            case alBottom:
                c->SetBounds(Rect.Left, Rect.Bottom - c->Height(), w, c->Height());
                Rect.Bottom -= c->Height();
                break;
            case alLeft:
                c->SetBounds(Rect.Left, Rect.Top, c->Width(), h);
                Rect.Left += c->Width();
                break;
            case alRight:
                c->SetBounds(Rect.Right - c->Width(), Rect.Top, c->Width(), h);
                Rect.Right -= c->Width();
                break;
            default:
                c->SetBounds(Rect.Left, Rect.Top, std::max(w, 0), std::max(h, 0));
                break;
            }
        }
    }
}

}  // namespace qel
