#include "widgets/QELDigital.h"

#include "framework/core/SysUtils.h"
#include "widgets/SevenSegment.h"

#include <string>

namespace qel {

TQELDigital::TQELDigital(TComponent* AOwner) : TGraphicControl(AOwner)
{
    SetHeight(33);
    SetWidth(100);
}

TQELDigital::~TQELDigital() = default;

void TQELDigital::setfi(int32_t Value)
{
    if (Value < 0) return;
    TPoint at = Origin();
    DrawNumber(*Canvas(), at.X, at.Y, FNumber, FDigitBackground, FDigitBackground);
    FNumber = Value;
    DoNewNumber();
    at = Origin();
    DrawNumber(*Canvas(), at.X, at.Y, FNumber, FDigitOnColor, FDigitShadow);
}

void TQELDigital::Setfdon(TColor Value)
{
    FDigitOnColor = Value;
    Invalidate();
}

void TQELDigital::Setfdoff(TColor Value)
{
    FDigitShadow = Value;
    Invalidate();
}

void TQELDigital::Setback(TColor Value)
{
    FDigitBackground = Value;
    Invalidate();
}

void TQELDigital::SetBorder(bool Value)
{
    FBorder3D = Value;
    Invalidate();
}

void TQELDigital::Paint()
{
    TCanvas* c = Canvas();
    c->Brush()->SetColor(FDigitBackground);
    c->Pen()->SetColor(FDigitBackground);
    c->Rectangle(0, 0, Width(), Height());
    setfi(FNumber);
}

void TQELDigital::DoNewNumber()
{
    if (OnNewNumber) OnNewNumber(this);
}

TPoint TQELDigital::Origin() const
{
    const auto len = static_cast<double>(std::to_string(FNumber).size());
    return Point(static_cast<int32_t>(RoundHalfEven(Width() / 2.0 - 4 * len)),
                 static_cast<int32_t>(RoundHalfEven(Height() / 2.0 - 5)));
}

QEL_REGISTER_CLASS(TQELDigital);

}  // namespace qel
