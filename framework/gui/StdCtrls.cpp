// TCustomLabel/TLabel.
#include "framework/gui/StdCtrls.h"

namespace qel {

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 65, 17); }

void TCustomLabel::SetAlignment(TAlignment Value)
{
    FAlignment = Value;
    Invalidate();
}

void TCustomLabel::SetAutoSize(bool Value)
{
    FAutoSize = Value;
    AdjustBounds();
}

void TCustomLabel::SetShowAccelChar(bool Value)
{
    FShowAccelChar = Value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* Value)
{
    if (FFocusControl) FFocusControl->RemoveFreeNotification(this);
    FFocusControl = Value;
    if (Value) Value->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

void TCustomLabel::SetTransparent(bool Value)
{
    FTransparent = Value;
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value)
{
    FWordWrap = Value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout Value)
{
    FLayout = Value;
    Invalidate();
}

void TCustomLabel::TextChanged()
{
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::FontChanged()
{
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::Loaded()
{
    TGraphicControl::Loaded();
    AdjustBounds();
}

uint32_t TCustomLabel::TextFlags() const
{
    uint32_t f = FAlignment == taCenter ? DT_CENTER : FAlignment == taRightJustify ? DT_RIGHT : DT_LEFT;
    if (FWordWrap) f |= DT_WORDBREAK;
    if (!FShowAccelChar) f |= DT_NOPREFIX;
    return f | DT_EXPANDTABS;
}

void TCustomLabel::AdjustBounds()
{
    if (!FAutoSize || ComponentState().Contains(csLoading)) return;
    TCanvas* c = Canvas();
    c->Font()->Assign(Font());
    TRect r = Rect(0, 0, FWordWrap ? Width() : 0, 0);
    const String text = Caption().empty() ? String(" ") : Caption();
    c->DrawText(text, r, (TextFlags() & ~(DT_CENTER | DT_RIGHT)) | DT_CALCRECT);
    // A right-aligned label keeps its right edge where it was.
    const int32_t left = FAlignment == taRightJustify ? Left() + Width() - r.Right : Left();
    SetBounds(left, Top(), r.Right, r.Bottom);
}

void TCustomLabel::Paint()
{
    TCanvas* c = Canvas();
    if (!FTransparent) {
        c->Brush()->SetColor(Color());
        c->FillRect(ClientRect());
    }
    c->Brush()->SetStyle(bsClear);
    c->Font()->Assign(Font());
    TRect r = ClientRect();
    if (FLayout != tlTop) {
        TRect calc = r;
        c->DrawText(Caption(), calc, TextFlags() | DT_CALCRECT);
        const int32_t h = calc.Bottom - calc.Top;
        r.Top = FLayout == tlBottom ? r.Bottom - h : (r.Bottom - h) / 2;
    }
    if (!Enabled()) c->Font()->SetColor(clGrayText);
    c->DrawText(Caption(), r, TextFlags());
}

TLabel::TLabel(TComponent* AOwner) : TCustomLabel(AOwner) {}

QEL_REGISTER_CLASS(TCustomLabel);
QEL_REGISTER_CLASS(TLabel);

}  // namespace qel
