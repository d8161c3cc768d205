#include "widgets/QELFadingLabel.h"

#include "framework/core/Application.h"
#include "framework/core/Guarded.h"
#include "framework/core/SysUtils.h"

namespace qel {

TQELFadingLabel::TQELFadingLabel(TComponent* AOwner) : TCustomLabel(AOwner)
{
    FTimer = new TTimer(this);
    Setfade(true);
    FadeAlltheTime = true;
    FTimer->SetEnabled(true);
    FTimer->OnTimer = [this](TObject* Sender) { TimerTick(Sender); };
    FTimer->SetInterval(2);
    SetTransparent(true);
}

TQELFadingLabel::~TQELFadingLabel()
{
    delete FTimer;
}

void TQELFadingLabel::Loaded()
{
    TCustomLabel::Loaded();
}

void TQELFadingLabel::Setis(bool Value)
{
    FShowing = Value;
    FStep = Value ? FBetweenColors : 1;
    Setcol(this);
}

void TQELFadingLabel::Setfade(bool Value)
{
    FFade = Value;
    FTimer->SetEnabled(Value);
}

void TQELFadingLabel::SetInt(int32_t Value)
{
    if (Value > 0 && Value < 256) FBetweenColors = Value;
}

void TQELFadingLabel::SetSpeed(int32_t Value)
{
    FFadeSpeed = Value;
    FTimer->SetInterval(static_cast<uint32_t>(Value));
}

void TQELFadingLabel::Execute()
{
    FTimer->SetEnabled(!FTimer->Enabled());
}

void TQELFadingLabel::TimerTick(TObject* Sender)
{
    // The step services the message queue, where the next tick may already wait.
    if (FStepping == 0) Setcol(Sender);
}

void TQELFadingLabel::ComputeTextColor()
{
    const int32_t back = ColorToRGB(Color());
    const int32_t fore = ColorToRGB(Font()->Color());
    int32_t packed = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int b = (back >> shift) & 0xFF;
        const int d = ((fore >> shift) & 0xFF) - b;
        // Past the font colour (or with a zero divisor) the channel wraps round, as a byte does.
        const int c = (b + MulDiv(FStep, d, FBetweenColors - 1)) & 0xFF;
        packed |= c << shift;
    }
    FTextColor = packed;
}

void TQELFadingLabel::Setcol(TObject* /*Sender*/)
{
    // Handlers may free the label; nothing of it is touched once it is gone.
    TGuarded<TQELFadingLabel> self(this);
    ++FStepping;
    FStep += FRising ? 1 : -1;
    if (FFade) {
        ComputeTextColor();
        DrawLabel();
    }
    if (FStep >= FBetweenColors - 1) {
        FRising = false;
        if (!FadeAlltheTime) Setfade(false);
        DoTotallyVisible();
        if (!self.Assigned()) return;
    }
    if (FStep <= 1) {
        FRising = true;
        DoNotVisible();
        if (!self.Assigned()) return;
        if (!FadeAlltheTime) Setfade(false);
    }
    Application->ProcessMessages();
    if (self.Assigned()) --FStepping;
}

void TQELFadingLabel::Paint()
{
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    FTextRect = ClientRect();
    c->FillRect(FTextRect);
    const uint32_t align = Alignment() == taRightJustify ? DT_RIGHT : Alignment() == taCenter ? DT_CENTER : DT_LEFT;
    FTextFormat = align | DT_EXPANDTABS | DT_WORDBREAK;
    c->Brush()->SetStyle(bsClear);
    c->Font()->Assign(Font());
    if (!ShowAccelChar()) FTextFormat |= DT_NOPREFIX;
    DrawLabel();
}

void TQELFadingLabel::DrawLabel()
{
    TCanvas* c = Canvas();
    FTextRect = ClientRect();
    c->Brush()->SetStyle(bsClear);
    if (!Enabled()) {
        c->Font()->SetColor(clGrayText);
        return;
    }
    const TColor old = c->Font()->Color();
    c->Font()->SetColor(FTextColor);
    c->DrawText(Caption(), FTextRect, FTextFormat);
    c->Font()->SetColor(old);
}

void TQELFadingLabel::DoNotVisible()
{
    if (OnNotVisible) OnNotVisible(this);
}

void TQELFadingLabel::DoTotallyVisible()
{
    if (OnTotallyVisible) OnTotallyVisible(this);
}

QEL_REGISTER_CLASS(TQELFadingLabel);

}  // namespace qel
