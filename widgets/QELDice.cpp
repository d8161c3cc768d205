#include "widgets/QELDice.h"

#include "framework/core/SysUtils.h"

#include <array>
#include <vector>

namespace qel {

namespace {

enum TPip { TL, TR, ML, C, MR, BL, BR };

constexpr std::array<TRect, 7> PipBoxes{{
    {5, 5, 11, 11},    // TL
    {21, 5, 27, 11},   // TR
    {5, 13, 11, 19},   // ML
    {13, 13, 19, 19},  // C
    {21, 13, 27, 19},  // MR
    {5, 21, 11, 27},   // BL
    {21, 21, 27, 27},  // BR
}};

// The pips of each value, in drawing order.
const std::array<std::vector<TPip>, 7> FacePips{{
    {},
    {C},
    {TL, BR},
    {C, TL, BR},
    {TL, BR, BL, TR},
    {TL, BR, BL, TR, C},
    {TL, BR, BL, TR, ML, MR},
}};

}  // namespace

TQELDice::TQELDice(TComponent* AOwner) : TGraphicControl(AOwner)
{
    SetWidth(FaceSize);
    SetHeight(FaceSize);
}

TQELDice::~TQELDice() = default;

void TQELDice::SetValue(int32_t v)
{
    FValue = v;
    if (v < 0) FValue = 0;
    if (FValue > 6) FValue = 6;
    Paint();
}

void TQELDice::Holdit(bool Value)
{
    FHold = Value;
    Paint();
}

void TQELDice::SetDotColor(TColor Value)
{
    FDotColor = Value;
    Paint();
}

void TQELDice::Setback(TColor Value)
{
    FNormalBackground = Value;
    Invalidate();
}

void TQELDice::Sethback(TColor Value)
{
    FHoldBackground = Value;
    Invalidate();
}

void TQELDice::Roll()
{
    if (!FHold) SetValue(Random(6) + 1);
}

void TQELDice::Paint()
{
    // The die takes its size again on every framework paint; doing it before drawing keeps the
    // face on the resized picture without a second paint.
    if (Painting() && (Width() != FaceSize || Height() != FaceSize)) SetBounds(Left(), Top(), FaceSize, FaceSize);
    TBitmap face;
    face.SetSize(FaceSize, FaceSize);
    TCanvas* c = face.Canvas();
    c->Brush()->SetColor(FHold ? FHoldBackground : FNormalBackground);
    c->Rectangle(0, 0, Width(), Height());
    c->Brush()->SetStyle(bsClear);
    c->RoundRect(0, 0, Width(), Height(), 9, 9);
    c->Pen()->SetColor(FDotColor);
    c->Brush()->SetColor(FDotColor);
    c->Brush()->SetStyle(bsSolid);
    for (TPip pip : FacePips[FValue]) {
        const TRect& b = PipBoxes[pip];
        c->Ellipse(b.Left, b.Top, b.Right, b.Bottom);
    }
    Canvas()->CopyRect(Rect(0, 0, FaceSize, FaceSize), c, Rect(0, 0, FaceSize, FaceSize));
}

QEL_REGISTER_CLASS(TQELDice);

}  // namespace qel
