#pragma once
// The small seven-segment digits shared by the clock and the digital display. A cell is about
// 8 x 10 pixels: pass A (one pixel left and down) then pass B on top, drawn with the canvas pen.
#include "framework/gui/Canvas.h"
#include "widgets/WidgetsExport.h"

namespace qel {

// Digit 0..9 at cell origin (X, Y); any other value draws nothing and leaves the pen alone.
QEL_WIDGETS_EXPORT void DrawDigit(TCanvas& Canvas, int32_t Digit, int32_t X, int32_t Y, TColor ColorA, TColor ColorB);

// Number >= 0 as cells 9 pixels apart from (X, Y); a single digit at Y = 20 gets a leading zero
// cell. A negative number draws nothing: it has no cells to erase later either.
QEL_WIDGETS_EXPORT void DrawNumber(TCanvas& Canvas, int32_t X, int32_t Y, int32_t Number, TColor ColorA, TColor ColorB);

}  // namespace qel
