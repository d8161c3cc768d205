// TCustomMemo and TMemo (StdCtrls.h): the multi-line edit with its painted scroll bars, and the
// memo whose lines are a string list.
#include "framework/gui/StdCtrls.h"

#include "framework/gui/PaintedScrollBar.h"
#include "framework/gui/TextView.h"

#include <algorithm>

namespace qel {

namespace {

constexpr int32_t HorzLineStep = 8;  // pixels an arrow click scrolls sideways

}  // namespace

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner)
{
    SetBounds(0, 0, 185, 89);
    SetTabStop(true);
    SetColor(clWindow);
    View().WordWrap = true;
}

void TCustomMemo::SetWordWrap(bool Value)
{
    FWordWrap = Value;
    // A horizontal scroll bar means long lines run on, as the classic memo does.
    View().WordWrap = FWordWrap && !ShowsHorz();
    Invalidate();
}

void TCustomMemo::SetScrollBars(TScrollStyle Value)
{
    FScrollBars = Value;
    View().WordWrap = FWordWrap && !ShowsHorz();
    Invalidate();
}

int32_t TCustomMemo::TopLine()
{
    PrepareView();
    return View().TopLine;
}

void TCustomMemo::SetTopLine(int32_t Value) { ScrollTo(true, Value); }

int32_t TCustomMemo::ScrollLeft()
{
    PrepareView();
    return View().LeftPx;
}

void TCustomMemo::SetScrollLeft(int32_t Value) { ScrollTo(false, Value); }

int32_t TCustomMemo::VisibleLineCount()
{
    PrepareView();
    return View().VisibleLines();
}

int32_t TCustomMemo::LineCount()
{
    PrepareView();
    return static_cast<int32_t>(View().Lines().size());
}

TRect TCustomMemo::InnerRect() const
{
    TRect r = ClientRect();
    return TRect{r.Left + 2, r.Top + 2, std::max(r.Left + 2, r.Right - 2), std::max(r.Top + 2, r.Bottom - 2)};
}

TRect TCustomMemo::TextArea()
{
    TRect r = InnerRect();
    if (ShowsVert()) r.Right = std::max(r.Left, r.Right - TPaintedScrollBar::Thickness);
    if (ShowsHorz()) r.Bottom = std::max(r.Top, r.Bottom - TPaintedScrollBar::Thickness);
    r.Left = std::min(r.Left + 1, r.Right);
    return r;
}

TPaintedScrollBar TCustomMemo::VertScrollBar()
{
    PrepareView();
    TPaintedScrollBar b;
    const TRect r = InnerRect();
    if (ShowsVert())
        b.Bounds = TRect{r.Right - TPaintedScrollBar::Thickness, r.Top, r.Right,
                         r.Bottom - (ShowsHorz() ? TPaintedScrollBar::Thickness : 0)};
    b.Vertical = true;
    b.Total = static_cast<int32_t>(View().Lines().size());
    b.Page = View().VisibleLines();
    b.Position = View().TopLine;
    return b;
}

TPaintedScrollBar TCustomMemo::HorzScrollBar()
{
    PrepareView();
    TPaintedScrollBar b;
    const TRect r = InnerRect();
    if (ShowsHorz())
        b.Bounds = TRect{r.Left, r.Bottom - TPaintedScrollBar::Thickness,
                         r.Right - (ShowsVert() ? TPaintedScrollBar::Thickness : 0), r.Bottom};
    b.Vertical = false;
    b.Total = View().ContentWidth() + 1;
    b.Page = View().Area.Right - View().Area.Left;
    b.Position = View().LeftPx;
    return b;
}

void TCustomMemo::ScrollTo(bool Vertical, int32_t Position)
{
    PrepareView();
    (Vertical ? View().TopLine : View().LeftPx) = Position;
    View().ClampScroll();
    Invalidate();
}

void TCustomMemo::ScrollBy(bool Vertical, int32_t Delta)
{
    PrepareView();
    ScrollTo(Vertical, (Vertical ? View().TopLine : View().LeftPx) + Delta);
}

void TCustomMemo::KeyDown(uint16_t& Key, TShiftState Shift)
{
    TCustomEdit::KeyDown(Key, Shift);
    // A memo keeps Enter for new lines, so a Default button does not see it.
    if (Key == VK_RETURN && FWantReturns) Key = 0;
}

void TCustomMemo::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)
{
    const TPaintedScrollBar bars[] = {VertScrollBar(), HorzScrollBar()};
    for (const TPaintedScrollBar& b : bars) {
        const TScrollPart part = Button == mbLeft ? b.PartAt(Point(X, Y)) : TScrollPart::None;
        if (part == TScrollPart::None) continue;
        TCustomControl::MouseDown(Button, Shift, X, Y);
        if (part == TScrollPart::Thumb) {
            FThumbDrag = b.Vertical ? 1 : 2;
            const TRect t = b.ThumbRect();
            FThumbGrab = b.Vertical ? Y - t.Top : X - t.Left;
            return;
        }
        // False once nothing moves or the thumb has reached the pointer.
        auto step = [this, vertical = b.Vertical, part, at = Point(X, Y)] {
            const TPaintedScrollBar bar = vertical ? VertScrollBar() : HorzScrollBar();
            if (bar.PartAt(at) != part) return false;
            ScrollBy(vertical, bar.StepFor(part, vertical ? 1 : HorzLineStep));
            return (vertical ? VertScrollBar() : HorzScrollBar()).Position != bar.Position;
        };
        step();
        if (!FBarRepeat) FBarRepeat = std::make_shared<TScrollRepeat>();
        FBarRepeat->Start(step);
        return;
    }
    // Clicks beside the bars (the corner) do nothing; clicks in the text place the caret.
    if (ShowsVert() || ShowsHorz()) {
        const TRect a = TextArea();
        if (X >= a.Right || Y >= a.Bottom) return TCustomControl::MouseDown(Button, Shift, X, Y);
    }
    TCustomEdit::MouseDown(Button, Shift, X, Y);
}

void TCustomMemo::MouseMove(TShiftState Shift, int32_t X, int32_t Y)
{
    if (FThumbDrag == 0) return TCustomEdit::MouseMove(Shift, X, Y);
    TCustomControl::MouseMove(Shift, X, Y);
    const bool vertical = FThumbDrag == 1;
    const TPaintedScrollBar b = vertical ? VertScrollBar() : HorzScrollBar();
    const int32_t along = vertical ? Y - b.Bounds.Top : X - b.Bounds.Left;
    ScrollTo(vertical, b.PositionForThumb(along - FThumbGrab));
}

void TCustomMemo::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)
{
    if (Button == mbLeft) {
        FThumbDrag = 0;
        if (FBarRepeat) FBarRepeat->Stop();
    }
    TCustomEdit::MouseUp(Button, Shift, X, Y);
}

bool TCustomMemo::DoMouseWheel(TShiftState, int32_t WheelDelta, int32_t, int32_t)
{
    // Three lines a notch, as the desktop's default.
    ScrollBy(true, -WheelDelta * 3 / 120);
    return true;
}

void TCustomMemo::GetRules(TEditRules& Rules) const
{
    Rules.ReadOnly = FReadOnly;
    Rules.MultiLine = true;
    Rules.WantReturns = FWantReturns;
    Rules.WantTabs = FWantTabs;
}

void TCustomMemo::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    PaintEditFrame(c, r, Color());
    PaintText();
    if (ShowsVert()) VertScrollBar().Paint(c);
    if (ShowsHorz()) HorzScrollBar().Paint(c);
    if (ShowsVert() && ShowsHorz()) {
        const TRect in = InnerRect();
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(clBtnFace);
        c->FillRect(TRect{in.Right - TPaintedScrollBar::Thickness, in.Bottom - TPaintedScrollBar::Thickness, in.Right, in.Bottom});
    }
}

TMemo::TMemo(TComponent* AOwner) : TCustomMemo(AOwner), FLines(std::make_unique<TStringList>())
{
    FLines->OnChange = [this](TObject*) { LinesChanged(); };
}

TMemo::~TMemo() { FLines->OnChange = nullptr; }

TStrings* TMemo::Lines() const { return FLines.get(); }

void TMemo::LinesChanged()
{
    if (FSyncing) return;
    String t;
    for (int i = 0; i < FLines->Count(); ++i) t += (i ? "\n" : "") + FLines->Get(i);
    FSyncing = true;
    SetText(t);
    FSyncing = false;
}

void TMemo::TextChanged()
{
    if (!FSyncing) {
        FSyncing = true;
        FLines->SetText(Text());
        FSyncing = false;
    }
    TCustomMemo::TextChanged();
}

QEL_REGISTER_CLASS(TMemo);

}  // namespace qel
