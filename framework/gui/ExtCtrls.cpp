// TCustomPanel/TPanel, TBevel, TImage.
#include "framework/gui/ExtCtrls.h"

namespace qel {

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int32_t Width)
{
    for (int32_t i = 0; i < Width; ++i) {
        const int32_t l = Rect.Left, t = Rect.Top, r = Rect.Right - 1, b = Rect.Bottom - 1;
        Canvas->Pen()->SetColor(TopColor);
        Canvas->Polyline({Point(l, b), Point(l, t), Point(r, t)});
        Canvas->Pen()->SetColor(BottomColor);
        Canvas->Polyline({Point(r, t), Point(r, b), Point(l - 1, b)});
        Rect = qel::Rect(Rect.Left + 1, Rect.Top + 1, Rect.Right - 1, Rect.Bottom - 1);
    }
}

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) { SetBounds(0, 0, 185, 41); }

TCustomPanel::~TCustomPanel() = default;

void TCustomPanel::Changed()
{
    Realign();
    Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment Value)
{
    FAlignment = Value;
    Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut Value)
{
    FBevelInner = Value;
    Changed();
}

void TCustomPanel::SetBevelOuter(TBevelCut Value)
{
    FBevelOuter = Value;
    Changed();
}

void TCustomPanel::SetBevelWidth(int32_t Value)
{
    FBevelWidth = std::max(Value, 1);
    Changed();
}

void TCustomPanel::SetBorderWidth(int32_t Value)
{
    FBorderWidth = std::max(Value, 0);
    Changed();
}

void TCustomPanel::SetBorderStyle(TFormBorderStyle Value)
{
    if (Value != bsNone) Value = bsSingle;
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    RecreateWnd();
    ResizeImage();
    Changed();
}

void TCustomPanel::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    if (FBorderStyle == bsSingle) Params.Style |= WS_BORDER;
}

void TCustomPanel::AdjustClientRect(TRect& Rect) const
{
    int32_t inset = FBorderWidth;
    if (FBevelOuter != bvNone) inset += FBevelWidth;
    if (FBevelInner != bvNone) inset += FBevelWidth;
    Rect = qel::Rect(Rect.Left + inset, Rect.Top + inset, Rect.Right - inset, Rect.Bottom - inset);
}

void TCustomPanel::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    auto edge = [&](TBevelCut Cut) {
        if (Cut == bvNone) return;
        const TColor top = Cut == bvLowered ? clBtnShadow : clBtnHighlight;
        const TColor bottom = Cut == bvLowered ? clBtnHighlight : clBtnShadow;
        if (Cut == bvSpace)
            Frame3D(c, r, Color(), Color(), FBevelWidth);
        else
            Frame3D(c, r, top, bottom, FBevelWidth);
    };
    edge(FBevelOuter);
    Frame3D(c, r, Color(), Color(), FBorderWidth);
    edge(FBevelInner);
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    if (Caption().empty()) return;
    c->Brush()->SetStyle(bsClear);
    c->Font()->Assign(Font());
    const uint32_t align = FAlignment == taCenter ? DT_CENTER : FAlignment == taRightJustify ? DT_RIGHT : DT_LEFT;
    c->DrawText(Caption(), r, align | DT_VCENTER | DT_SINGLELINE);
}

TPanel::TPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 50, 50); }

void TBevel::SetShape(TBevelShape Value)
{
    FShape = Value;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle Value)
{
    FStyle = Value;
    Invalidate();
}

void TBevel::Paint() { PaintBevel(clBtnHighlight, clBtnShadow); }

// The lit edges in Highlight, the shaded ones in Shadow; a lowered bevel has its shadow top and left.
void TBevel::PaintBevel(TColor Highlight, TColor Shadow)
{
    TCanvas* c = Canvas();
    c->Pen()->SetWidth(1);
    const TColor first = FStyle == bsLowered ? Shadow : Highlight;
    const TColor second = FStyle == bsLowered ? Highlight : Shadow;
    const int32_t w = Width(), h = Height();
    auto line = [&](TColor Color, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2) {
        c->Pen()->SetColor(Color);
        c->MoveTo(X1, Y1);
        c->LineTo(X2, Y2);
    };
    // Left and top edges in TopLeft, right and bottom edges in BottomRight.
    auto box = [&](TRect R, TColor TopLeft, TColor BottomRight) {
        c->Pen()->SetColor(TopLeft);
        c->Polyline({Point(R.Left, R.Bottom), Point(R.Left, R.Top), Point(R.Right, R.Top)});
        c->Pen()->SetColor(BottomRight);
        c->Polyline({Point(R.Right, R.Top), Point(R.Right, R.Bottom), Point(R.Left, R.Bottom)});
    };
    switch (FShape) {
    case bsBox: box(Rect(0, 0, w - 1, h - 1), first, second); break;
    case bsFrame:
        box(Rect(1, 1, w - 1, h - 1), second, second);
        box(Rect(0, 0, w - 2, h - 2), first, first);
        break;
    case bsTopLine: line(first, 0, 0, w, 0); line(second, 0, 1, w, 1); break;
    case bsBottomLine: line(first, 0, h - 2, w, h - 2); line(second, 0, h - 1, w, h - 1); break;
    case bsLeftLine: line(first, 0, 0, 0, h); line(second, 1, 0, 1, h); break;
    case bsRightLine: line(first, w - 2, 0, w - 2, h); line(second, w - 1, 0, w - 1, h); break;
    case bsSpacer: break;
    }
}

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(std::make_unique<TPicture>())
{
    SetBounds(0, 0, 105, 105);
    FPicture->OnChange = [this](TObject*) { Invalidate(); };
}

TImage::~TImage() = default;

void TImage::SetCenter(bool Value)
{
    FCenter = Value;
    Invalidate();
}

void TImage::SetStretch(bool Value)
{
    FStretch = Value;
    Invalidate();
}

void TImage::Paint()
{
    TGraphic* g = FPicture->Graphic();
    if (!g || g->Empty()) return;
    if (FStretch) return Canvas()->StretchDraw(ClientRect(), g);
    const int32_t x = FCenter ? (ClientWidth() - g->Width()) / 2 : 0;
    const int32_t y = FCenter ? (ClientHeight() - g->Height()) / 2 : 0;
    Canvas()->Draw(x, y, g);
}

QEL_REGISTER_CLASS(TCustomPanel);
QEL_REGISTER_CLASS(TPanel);
QEL_REGISTER_CLASS(TBevel);
QEL_REGISTER_CLASS(TImage);

}  // namespace qel
