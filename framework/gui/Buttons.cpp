// TBitBtn and TSpeedButton.
#include "framework/gui/Buttons.h"

#include "framework/gui/ExtCtrls.h"
#include "framework/gui/Forms.h"

namespace qel {

namespace {

struct TKindInfo {
    const char* Caption;
    TModalResult Result;
};

TKindInfo KindInfo(TBitBtn::TBitBtnKind Kind)
{
    switch (Kind) {
    case bkOK: return {"OK", mrOk};
    case bkCancel: return {"Cancel", mrCancel};
    case bkHelp: return {"&Help", mrNone};
    case bkYes: return {"&Yes", mrYes};
    case bkNo: return {"&No", mrNo};
    case bkClose: return {"&Close", mrNone};
    case bkAbort: return {"Abort", mrAbort};
    case bkRetry: return {"&Retry", mrRetry};
    case bkIgnore: return {"&Ignore", mrIgnore};
    case bkAll: return {"&All", mrAll};
    case bkCustom: break;
    }
    return {"", mrNone};
}

// Draws the glyph and the caption inside Face, placed as Layout says.
void DrawGlyphAndCaption(TCanvas* C, TBitmap* Glyph, const String& Caption, TRect Face,
                         TBitBtn::TButtonLayout Layout, int32_t Spacing)
{
    const bool hasGlyph = Glyph && !Glyph->Empty();
    const int32_t gw = hasGlyph ? Glyph->Width() : 0, gh = hasGlyph ? Glyph->Height() : 0;
    const int32_t tw = C->TextWidth(Caption), th = C->TextHeight(Caption);
    const int32_t gap = hasGlyph && !Caption.empty() ? Spacing : 0;
    const bool across = Layout == blGlyphLeft || Layout == blGlyphRight;
    const int32_t w = across ? gw + gap + tw : std::max(gw, tw);
    const int32_t h = across ? std::max(gh, th) : gh + gap + th;
    const int32_t x = (Face.Left + Face.Right - w) / 2, y = (Face.Top + Face.Bottom - h) / 2;
    TPoint g{x, y}, t{x, y};
    if (Layout == blGlyphLeft) {
        t = {x + gw + gap, y + (h - th) / 2};
        g = {x, y + (h - gh) / 2};
    }
    if (Layout == blGlyphRight) {
        g = {x + tw + gap, y + (h - gh) / 2};
        t = {x, y + (h - th) / 2};
    }
    if (Layout == blGlyphTop) {
        t = {x + (w - tw) / 2, y + gh + gap};
        g = {x + (w - gw) / 2, y};
    }
    if (Layout == blGlyphBottom) {
        g = {x + (w - gw) / 2, y + th + gap};
        t = {x + (w - tw) / 2, y};
    }
    if (hasGlyph) C->Draw(g.X, g.Y, Glyph);
    C->Brush()->SetStyle(bsClear);
    TRect r = Rect(t.X, t.Y, t.X + tw + 1, t.Y + th);
    C->DrawText(Caption, r, DT_LEFT | DT_SINGLELINE);
}

}  // namespace

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner), FGlyph(std::make_unique<TBitmap>()) {}

TBitBtn::~TBitBtn() = default;

void TBitBtn::SetKind(TBitBtnKind Value)
{
    FKind = Value;
    if (Value == bkCustom) return;
    const TKindInfo info = KindInfo(Value);
    SetCaption(info.Caption);
    SetModalResult(info.Result);
    if (Value == bkOK || Value == bkYes) SetDefault(true);
    if (Value == bkCancel || Value == bkNo) SetCancel(true);
}

void TBitBtn::SetGlyph(TBitmap* Value)
{
    FGlyph->Assign(Value);
    Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout Value)
{
    FLayout = Value;
    Invalidate();
}

void TBitBtn::SetSpacing(int32_t Value)
{
    FSpacing = Value;
    Invalidate();
}

void TBitBtn::Click()
{
    if (FKind == bkClose)
        if (TCustomForm* form = GetParentForm(this)) {
            form->Close();
            return TControl::Click();
        }
    TButton::Click();
}

void TBitBtn::PaintFace(const TRect& Face)
{
    TCanvas* c = Canvas();
    c->Font()->Assign(Font());
    if (!Enabled()) c->Font()->SetColor(clGrayText);
    DrawGlyphAndCaption(c, FGlyph.get(), Caption(), Face, FLayout, FSpacing);
}

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), FGlyph(std::make_unique<TBitmap>())
{
    SetBounds(0, 0, 23, 22);
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetGlyph(TBitmap* Value)
{
    FGlyph->Assign(Value);
    Invalidate();
}

void TSpeedButton::SetFlat(bool Value)
{
    FFlat = Value;
    Invalidate();
}

template <class F>
void TSpeedButton::ForGroup(F Each)
{
    if (FGroupIndex == 0 || !Parent()) return;
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
        auto* b = dynamic_cast<TSpeedButton*>(Parent()->Controls(i));
        if (b && b != this && b->FGroupIndex == FGroupIndex) Each(b);
    }
}

void TSpeedButton::SetDown(bool Value)
{
    // Only grouped buttons stay down; a form file may set Down before GroupIndex.
    if (FGroupIndex == 0 && !ComponentState().Contains(csLoading)) Value = false;
    if (Value == FDown) return;
    FDown = Value;
    if (Value)
        ForGroup([](TSpeedButton* B) {
            B->FDown = false;
            B->Invalidate();
        });
    Invalidate();
}

void TSpeedButton::SetAllowAllUp(bool Value)
{
    FAllowAllUp = Value;
    ForGroup([Value](TSpeedButton* B) { B->FAllowAllUp = Value; });
}

void TSpeedButton::Click()
{
    if (FGroupIndex != 0) {
        if (!FDown) SetDown(true);
        else if (FAllowAllUp) SetDown(false);
    }
    TGraphicControl::Click();
}

void TSpeedButton::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    if (FDown) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(clBtnHighlight);
        c->FillRect(r);
    }
    if (FDown) Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
    else if (!FFlat) Frame3D(c, r, clBtnHighlight, clBtnShadow, 1);
    c->Font()->Assign(Font());
    if (!Enabled()) c->Font()->SetColor(clGrayText);
    DrawGlyphAndCaption(c, FGlyph.get(), Caption(), r, blGlyphLeft, 4);
}

QEL_REGISTER_CLASS(TBitBtn);
QEL_REGISTER_CLASS(TSpeedButton);

}  // namespace qel
