#pragma once
// A scroll bar painted in a control's own canvas: arrows, trough and a thumb sized by the share
// of the content that is visible. Geometry only; the control keeps the position.
#include "framework/gui/Canvas.h"

namespace qel {

enum class TScrollPart { None, LineUp, PageUp, Thumb, PageDown, LineDown };

struct TPaintedScrollBar {
    static constexpr int32_t Thickness = 16;
    static constexpr int32_t MinThumb = 8;

    TRect Bounds{};
    bool Vertical = true;
    int32_t Total = 0;     // content size (lines or pixels)
    int32_t Page = 0;      // of which this much is visible
    int32_t Position = 0;  // first visible, 0..MaxPosition

    int32_t MaxPosition() const { return Total > Page ? Total - Page : 0; }
    TRect ThumbRect() const;  // empty when everything is visible
    TScrollPart PartAt(TPoint P) const;
    // The position that puts the thumb's leading edge at Offset pixels along the trough.
    int32_t PositionForThumb(int32_t Offset) const;
    void Paint(TCanvas* C) const;

private:
    int32_t Length() const;      // along the bar
    int32_t TroughStart() const; // after the first arrow, relative to the bar
    int32_t TroughLength() const;
    int32_t ThumbLength() const;
};

}  // namespace qel
