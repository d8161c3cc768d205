#pragma once
// Pictures the showcase draws for itself: a small landscape for the 3D image and the two menu
// glyphs, so that the tool needs no files beside it.
#include "framework/gui/Graphics.h"

namespace qel_showcase {

void DrawLandscape(qel::TBitmap& Picture, int Width, int Height);
void DrawGlyph(qel::TBitmap& Glyph, qel::TColor Colour, bool Tick);

}  // namespace qel_showcase
