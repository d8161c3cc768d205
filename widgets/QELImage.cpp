#include "widgets/QELImage.h"

#include <algorithm>
#include <array>

namespace qel {

namespace {

enum TBand { bTop, bLeft, bBottom, bRight };

struct TBandStep {
    TBand Band;
    bool Darken;
};

// Bands in processing order: each one for every ring before the next starts.
constexpr std::array<TBandStep, 4> SunkenSteps{{{bTop, true}, {bLeft, true}, {bBottom, false}, {bRight, false}}};
constexpr std::array<TBandStep, 4> RaisedSteps{{{bBottom, true}, {bRight, true}, {bTop, false}, {bLeft, false}}};

uint8_t Shift(int32_t Channel, int32_t Amount) { return static_cast<uint8_t>(std::clamp(Channel + Amount, 0, 255)); }

// Written palette-relative, so that a bitmap with a palette takes its nearest entry.
TColor Shifted(TColor Color, int32_t Amount)
{
    return PaletteRGB(Shift(Color & 0xFF, Amount), Shift((Color >> 8) & 0xFF, Amount), Shift((Color >> 16) & 0xFF, Amount));
}

// The pixel (x, y) of ring I, band B, at position P along it; false past the band's end.
bool BandPixel(TBand B, int32_t I, int32_t P, int32_t W, int32_t H, TPoint& Out)
{
    const bool horizontal = B == bTop || B == bBottom;
    const int32_t along = I + P;
    if (along > (horizontal ? W : H) - 1 - I) return false;
    switch (B) {
    case bTop: Out = Point(along, I); break;
    case bLeft: Out = Point(I, along); break;
    case bBottom: Out = Point(along, H - 1 - I); break;
    case bRight: Out = Point(W - 1 - I, along); break;
    }
    return true;
}

void ProcessBand(TBitmap* Bmp, TBandStep Step, int32_t Rings, int32_t Intensity)
{
    TCanvas* c = Bmp->Canvas();
    const int32_t w = Bmp->Width(), h = Bmp->Height();
    const int32_t amount = Step.Darken ? -Intensity : Intensity;
    TPoint p;
    for (int32_t i = 0; i <= Rings; ++i)
        for (int32_t k = 0; BandPixel(Step.Band, i, k, w, h, p); ++k) {
            if (p.X < 0 || p.Y < 0 || p.X >= w || p.Y >= h) continue;  // a ring past the other side
            c->SetPixel(p.X, p.Y, Shifted(c->Pixel(p.X, p.Y), amount));
        }
}

}  // namespace

TQELImage::TQELImage(TComponent* AOwner)
    : TGraphicControl(AOwner), FPicture(std::make_unique<TBitmap>()), FDisplay(std::make_unique<TBitmap>())
{
    SetWidth(20);
    SetHeight(20);
}

TQELImage::~TQELImage() = default;

void TQELImage::Setfbitm(TBitmap* Value)
{
    if (Value == FPicture.get()) return;
    TBitmap empty;  // no picture: an empty one
    TBitmap* source = Value ? Value : &empty;
    FPicture->Assign(source);
    FDisplay->Assign(source);
    Setbuts();
    Invalidate();
}

void TQELImage::Setint(int32_t Value)
{
    if (Value < 0 || Value > 200 || Value == FIntensity) return;
    FIntensity = Value;
    Setbuts();
    Invalidate();
}

void TQELImage::Setborder(int32_t Value)
{
    if (Value < 1 || Value == FBorderwidth) return;
    FBorderwidth = Value;
    Setbuts();
    Invalidate();
}

void TQELImage::SetCenter(bool Value)
{
    FCenter = Value;
    Invalidate();
}

void TQELImage::SetForm(bool Value)
{
    if (Value == FBorder3DIn) return;
    FBorder3DIn = Value;
    Setbuts();
    Invalidate();
}

void TQELImage::Setbuts()
{
    FDisplay->Assign(FPicture.get());
    for (const TBandStep& step : FBorder3DIn ? SunkenSteps : RaisedSteps)
        ProcessBand(FDisplay.get(), step, FBorderwidth, FIntensity);
}

void TQELImage::Paint()
{
    if (FCenter)
        Canvas()->Draw(Width() / 2 - FDisplay->Width() / 2, Height() / 2 - FDisplay->Height() / 2, FDisplay.get());
    else
        Canvas()->Draw(0, 0, FDisplay.get());
    TGraphicControl::Paint();
}

void TQELImage::Loaded()
{
    TGraphicControl::Loaded();
    Setbuts();
    Invalidate();
}

QEL_REGISTER_CLASS(TQELImage);

}  // namespace qel
