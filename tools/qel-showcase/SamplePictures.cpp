#include "SamplePictures.h"

#include "framework/gui/Canvas.h"

using namespace qel;

namespace qel_showcase {

void DrawLandscape(TBitmap& Picture, int Width, int Height)
{
    Picture.SetSize(Width, Height);
    TCanvas* c = Picture.Canvas();
    // Sky in bands, lighter towards the horizon.
    for (int y = 0; y < Height * 2 / 3; ++y) {
        const int shade = 150 + 100 * y / (Height * 2 / 3);
        c->Pen()->SetColor(RGB(uint8_t(shade / 2), uint8_t(shade * 3 / 4), uint8_t(shade)));
        c->MoveTo(0, y);
        c->LineTo(Width, y);
    }
    c->Pen()->SetColor(RGB(240, 200, 0));
    c->Brush()->SetColor(RGB(255, 220, 40));
    c->Ellipse(Width * 3 / 4 - 8, 6, Width * 3 / 4 + 8, 22);
    c->Pen()->SetColor(RGB(30, 110, 40));
    c->Brush()->SetColor(RGB(60, 150, 60));
    c->Ellipse(-Width / 2, Height / 2, Width, Height * 2);
    c->Pen()->SetColor(RGB(20, 90, 30));
    c->Brush()->SetColor(RGB(40, 120, 45));
    c->Ellipse(Width / 3, Height * 3 / 5, Width * 2, Height * 2);
}

void DrawGlyph(TBitmap& Glyph, TColor Colour, bool Tick)
{
    Glyph.SetSize(16, 16);
    TCanvas* c = Glyph.Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(0, 0, 16, 16));
    c->Pen()->SetColor(Colour);
    c->Brush()->SetColor(Colour);
    if (!Tick) {
        c->Ellipse(3, 3, 13, 13);
        return;
    }
    c->Pen()->SetWidth(2);
    c->MoveTo(3, 8);
    c->LineTo(6, 12);
    c->LineTo(13, 3);
}

}  // namespace qel_showcase
