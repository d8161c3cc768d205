#include "framework/gui/PaintedScrollBar.h"

#include "framework/core/Timer.h"
#include "framework/gui/ExtCtrls.h"

#include <algorithm>

namespace qel {

namespace {

TRect Along(const TRect& B, bool Vertical, int32_t From, int32_t To)
{
    return Vertical ? TRect{B.Left, B.Top + From, B.Right, B.Top + To} : TRect{B.Left + From, B.Top, B.Left + To, B.Bottom};
}

void PaintButtonFace(TCanvas* C, TRect R)
{
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(clBtnFace);
    C->FillRect(R);
    Frame3D(C, R, clBtnHighlight, clBtnShadow, 1);
}

// A small filled triangle pointing away from the trough.
void PaintArrow(TCanvas* C, const TRect& R, bool Vertical, bool Backward)
{
    const int32_t cx = (R.Left + R.Right) / 2, cy = (R.Top + R.Bottom) / 2;
    for (int32_t i = 0; i < 4; ++i) {
        const int32_t d = Backward ? i - 2 : 1 - i;  // the tip is one pixel wide
        C->Brush()->SetColor(clBtnText);
        C->FillRect(Vertical ? TRect{cx - i, cy + d, cx + i + 1, cy + d + 1} : TRect{cx + d, cy - i, cx + d + 1, cy + i + 1});
    }
}

}  // namespace

int32_t TPaintedScrollBar::Length() const { return Vertical ? Bounds.Bottom - Bounds.Top : Bounds.Right - Bounds.Left; }
int32_t TPaintedScrollBar::TroughStart() const { return std::min(Thickness, Length() / 2); }
int32_t TPaintedScrollBar::TroughLength() const { return std::max(0, Length() - 2 * TroughStart()); }

int32_t TPaintedScrollBar::ThumbLength() const
{
    if (Total <= 0 || Page >= Total) return 0;
    const int32_t len = static_cast<int32_t>(int64_t(TroughLength()) * Page / Total);
    return std::min(TroughLength(), std::max(MinThumb, len));
}

TRect TPaintedScrollBar::ThumbRect() const
{
    const int32_t len = ThumbLength();
    if (len == 0 || len >= TroughLength()) return TRect{};
    const int32_t room = TroughLength() - len;
    const int32_t max = MaxPosition();  // 0 possible when Max is given
    const int32_t at = max > 0 ? static_cast<int32_t>(int64_t(room) * std::clamp(Position, 0, max) / max) : 0;
    return Along(Bounds, Vertical, TroughStart() + at, TroughStart() + at + len);
}

TScrollPart TPaintedScrollBar::PartAt(TPoint P) const
{
    if (P.X < Bounds.Left || P.X >= Bounds.Right || P.Y < Bounds.Top || P.Y >= Bounds.Bottom) return TScrollPart::None;
    const int32_t at = Vertical ? P.Y - Bounds.Top : P.X - Bounds.Left;
    if (at < TroughStart()) return TScrollPart::LineUp;
    if (at >= Length() - TroughStart()) return TScrollPart::LineDown;
    const TRect t = ThumbRect();
    if (t.Right == t.Left) return TScrollPart::None;
    const int32_t t0 = Vertical ? t.Top - Bounds.Top : t.Left - Bounds.Left;
    const int32_t t1 = Vertical ? t.Bottom - Bounds.Top : t.Right - Bounds.Left;
    if (at < t0) return TScrollPart::PageUp;
    return at < t1 ? TScrollPart::Thumb : TScrollPart::PageDown;
}

int32_t TPaintedScrollBar::PositionForThumb(int32_t Offset) const
{
    const int32_t room = TroughLength() - ThumbLength();
    if (room <= 0) return 0;
    const int32_t at = std::clamp(Offset - TroughStart(), 0, room);
    return static_cast<int32_t>((int64_t(at) * MaxPosition() + room / 2) / room);
}

int32_t TPaintedScrollBar::StepFor(TScrollPart Part, int32_t Line) const
{
    switch (Part) {
    case TScrollPart::LineUp: return -Line;
    case TScrollPart::LineDown: return Line;
    case TScrollPart::PageUp: return -std::max(1, Page);
    case TScrollPart::PageDown: return std::max(1, Page);
    default: return 0;
    }
}

void TPaintedScrollBar::Paint(TCanvas* C) const
{
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(TroughColor);
    C->FillRect(Bounds);
    const int32_t a = TroughStart();
    const TRect first = Along(Bounds, Vertical, 0, a), last = Along(Bounds, Vertical, Length() - a, Length());
    PaintButtonFace(C, first);
    PaintButtonFace(C, last);
    PaintArrow(C, first, Vertical, true);
    PaintArrow(C, last, Vertical, false);
    const TRect t = ThumbRect();
    if (t.Right > t.Left) PaintButtonFace(C, t);
}

TScrollRepeat::TScrollRepeat() : FTimer(std::make_unique<TTimer>(nullptr))
{
    FTimer->SetEnabled(false);
    FTimer->OnTimer = [this](TObject*) { Tick(); };
}

TScrollRepeat::~TScrollRepeat() = default;

void TScrollRepeat::Start(std::function<bool()> Step)
{
    FStep = std::move(Step);
    FTimer->SetEnabled(false);
    FTimer->SetInterval(FirstDelay);
    FTimer->SetEnabled(true);
}

void TScrollRepeat::Stop()
{
    FTimer->SetEnabled(false);
    FStep = nullptr;
}

void TScrollRepeat::Tick()
{
    if (!FStep) return Stop();
    FTimer->SetInterval(RepeatDelay);
    // A step may stop the repeat (and drop FStep) from inside, so run a copy.
    const std::function<bool()> step = FStep;
    if (!step()) Stop();
}

}  // namespace qel
