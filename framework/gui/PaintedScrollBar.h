#pragma once
// A scroll bar painted in a control's own canvas: arrows, trough and a thumb sized by the share
// of the content that is visible. Geometry only; the control keeps the position.
#include "framework/gui/Canvas.h"

#include <functional>
#include <memory>

namespace qel {

class TTimer;

enum class TScrollPart { None, LineUp, PageUp, Thumb, PageDown, LineDown };

struct TPaintedScrollBar {
    static constexpr int32_t Thickness = 16;
    static constexpr int32_t MinThumb = 8;

    TRect Bounds{};
    bool Vertical = true;
    int32_t Total = 0;     // content size (lines or pixels)
    int32_t Page = 0;      // of which this much is visible
    int32_t Position = 0;  // first visible, 0..MaxPosition
    // The last position when the control knows it better than Total - Page (rows of differing heights).
    int32_t Max = -1;
    TColor TroughColor = clBtnHighlight;

    int32_t MaxPosition() const { return Max >= 0 ? Max : Total > Page ? Total - Page : 0; }
    TRect ThumbRect() const;  // empty when everything is visible
    TScrollPart PartAt(TPoint P) const;
    // The position that puts the thumb's leading edge at Offset pixels along the trough.
    int32_t PositionForThumb(int32_t Offset) const;
    // How far a click on an arrow (Line) or the trough (Page) moves; 0 elsewhere.
    int32_t StepFor(TScrollPart Part, int32_t Line) const;
    void Paint(TCanvas* C) const;

private:
    int32_t Length() const;      // along the bar
    int32_t TroughStart() const; // after the first arrow, relative to the bar
    int32_t TroughLength() const;
    int32_t ThumbLength() const;
};

// A held arrow or trough repeats its step: the first repeat after FirstDelay, then every RepeatDelay,
// until Stop or until Step answers false.
class TScrollRepeat {
public:
    static constexpr uint32_t FirstDelay = 400, RepeatDelay = 50;
    TScrollRepeat();
    ~TScrollRepeat();
    void Start(std::function<bool()> Step);
    void Stop();
    bool Active() const { return static_cast<bool>(FStep); }
    void Tick();  // what the timer runs; tests may call it

private:
    std::unique_ptr<TTimer> FTimer;
    std::function<bool()> FStep;
};

}  // namespace qel
