#include "widgets/QELBevel.h"

namespace qel {

namespace {

// Left and top edges in First, right and bottom edges in Second.
void RectangleBevel(TCanvas* C, const TRect& R, TColor First, TColor Second)
{
    C->Pen()->SetColor(First);
    C->Polyline({Point(R.Left, R.Bottom), Point(R.Left, R.Top), Point(R.Right, R.Top)});
    C->Pen()->SetColor(Second);
    C->Polyline({Point(R.Right, R.Top), Point(R.Right, R.Bottom), Point(R.Left, R.Bottom)});
}

void LineBevel(TCanvas* C, TColor Color, TPoint From, TPoint To)
{
    C->Pen()->SetColor(Color);
    C->MoveTo(From.X, From.Y);
    C->LineTo(To.X, To.Y);
}

}  // namespace

TQELBevel::TQELBevel(TComponent* AOwner) : TBevel(AOwner) {}

TQELBevel::~TQELBevel() = default;

void TQELBevel::SetHighlight(TColor Value)
{
    FHighlight = Value;
    Invalidate();
}

void TQELBevel::SetShadow(TColor Value)
{
    FShadow = Value;
    Invalidate();
}

void TQELBevel::Paint()
{
    TCanvas* c = Canvas();
    c->Pen()->SetWidth(1);
    const TColor first = Style() == bsLowered ? FShadow : FHighlight;
    const TColor second = Style() == bsLowered ? FHighlight : FShadow;
    const int32_t w = Width(), h = Height();
    switch (Shape()) {
    case bsBox: RectangleBevel(c, Rect(0, 0, w - 1, h - 1), first, second); break;
    case bsFrame:
        RectangleBevel(c, Rect(1, 1, w - 1, h - 1), second, second);
        RectangleBevel(c, Rect(0, 0, w - 2, h - 2), first, first);
        break;
    case bsTopLine:
        LineBevel(c, first, Point(0, 0), Point(w, 0));
        LineBevel(c, second, Point(0, 1), Point(w, 1));
        break;
    case bsBottomLine:
        LineBevel(c, first, Point(0, h - 2), Point(w, h - 2));
        LineBevel(c, second, Point(0, h - 1), Point(w, h - 1));
        break;
    case bsLeftLine:
        LineBevel(c, first, Point(0, 0), Point(0, h));
        LineBevel(c, second, Point(1, 0), Point(1, h));
        break;
    case bsRightLine:
        LineBevel(c, first, Point(w - 2, 0), Point(w - 2, h));
        LineBevel(c, second, Point(w - 1, 0), Point(w - 1, h));
        break;
    case bsSpacer: break;
    }
}

QEL_REGISTER_CLASS(TQELBevel);

}  // namespace qel
