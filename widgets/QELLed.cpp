#include "widgets/QELLed.h"

#include <array>

namespace qel {

namespace {

constexpr int32_t LedSize = 15;
constexpr TColor OutlineColor = 0x808080;
// The highlight in the disc's upper left, in drawing order.
constexpr std::array<TPoint, 9> HighlightPixels{
    {{6, 5}, {7, 5}, {8, 5}, {5, 6}, {5, 7}, {5, 8}, {6, 6}, {6, 7}, {7, 6}}};

}  // namespace

TQELLed::TQELLed(TComponent* AOwner) : TGraphicControl(AOwner)
{
    SetHeight(LedSize);
    SetWidth(LedSize);
    FTimer = new TTimer(this);
    FTimer->OnTimer = [this](TObject* Sender) { Runit(Sender); };
    FTimer->SetEnabled(FBlinking);
    FTimer->SetInterval(static_cast<uint32_t>(FInterval));
}

TQELLed::~TQELLed() { delete FTimer; }

void TQELLed::SeTQELLed(bool Value)
{
    FLedisOn = Value;
    Invalidate();
}

void TQELLed::Setfdon(TColor Value)
{
    FLedOnColor = Value;
    Paint();
}

void TQELLed::Setfdoff(TColor Value)
{
    FLedOffColor = Value;
    Invalidate();
}

void TQELLed::Setback(TColor Value)
{
    FLedShadow = Value;
    Invalidate();
}

void TQELLed::SetInter(int32_t Value)
{
    FTimer->SetInterval(static_cast<uint32_t>(Value));
    FInterval = Value;
}

void TQELLed::Setrun(bool Value)
{
    FTimer->SetEnabled(Value);
    FBlinking = Value;
    Invalidate();
}

void TQELLed::LedOn()
{
    FTimer->SetEnabled(false);
    FLedisOn = true;
    Invalidate();
}

void TQELLed::LedOff()
{
    FTimer->SetEnabled(false);
    FLedisOn = false;
    Invalidate();
}

void TQELLed::Blink()
{
    FTimer->SetEnabled(!FTimer->Enabled());
    FLedisOn = false;
    Invalidate();
}

void TQELLed::Runit(TObject* /*Sender*/)
{
    FLedisOn = !FLedisOn;
    Invalidate();
}

void TQELLed::Paint()
{
    SetHeight(LedSize);
    SetWidth(LedSize);
    TCanvas* c = Canvas();
    c->Pen()->SetWidth(1);
    c->Pen()->SetColor(OutlineColor);
    c->Brush()->SetColor(FLedisOn ? FLedOnColor : FLedOffColor);
    c->Ellipse(2, 2, 14, 14);
    for (const TPoint& p : HighlightPixels) c->SetPixel(p.X, p.Y, FLedShadow);
}

QEL_REGISTER_CLASS(TQELLed);

}  // namespace qel
