#include "widgets/SevenSegment.h"

#include <array>
#include <cstdint>
#include <string>

namespace qel {

namespace {

// Segments in drawing order; one bit each in the digit table.
enum TSegment : uint8_t { sf, se, sa, sd, sb, sc, sg, SegmentCount };

struct TSegmentLine {
    int32_t X0, Y0, X1, Y1;  // relative to the cell origin, pass B; the end point stays unpainted
};

constexpr std::array<TSegmentLine, SegmentCount> SegmentLines = {{
    {0, 0, 0, 2},   // f
    {0, 4, 0, 6},   // e
    {2, -1, 4, -1}, // a
    {2, 7, 4, 7},   // d
    {6, 0, 6, 2},   // b
    {6, 4, 6, 6},   // c
    {2, 3, 4, 3},   // g
}};

constexpr uint8_t Bits(std::initializer_list<TSegment> Lit)
{
    uint8_t b = 0;
    for (TSegment s : Lit) b = static_cast<uint8_t>(b | (1u << s));
    return b;
}

constexpr std::array<uint8_t, 10> LitSegments = {
    Bits({sa, sb, sc, sd, se, sf}),     Bits({sb, sc}),         Bits({sa, sb, sd, se, sg}),
    Bits({sa, sb, sc, sd, sg}),         Bits({sb, sc, sf, sg}), Bits({sa, sc, sd, sf, sg}),
    Bits({sa, sc, sd, se, sf, sg}),     Bits({sa, sb, sc}),     Bits({sa, sb, sc, sd, se, sf, sg}),
    Bits({sa, sb, sc, sd, sf, sg}),
};

void DrawPass(TCanvas& Canvas, uint8_t Lit, int32_t X, int32_t Y, TColor Color)
{
    Canvas.Pen()->SetColor(Color);
    for (int s = 0; s < SegmentCount; ++s) {
        if ((Lit & (1u << s)) == 0) continue;
        const TSegmentLine& l = SegmentLines[s];
        Canvas.MoveTo(X + l.X0, Y + l.Y0);
        Canvas.LineTo(X + l.X1, Y + l.Y1);
    }
}

int32_t DigitCount(int32_t Number)
{
    constexpr std::array<int32_t, 9> Thresholds = {9, 99, 999, 9999, 99999, 999999, 9999999, 99999999, 999999999};
    int32_t n = 1;
    for (int32_t t : Thresholds)
        if (Number > t) ++n;
    return n;
}

}  // namespace

void DrawDigit(TCanvas& Canvas, int32_t Digit, int32_t X, int32_t Y, TColor ColorA, TColor ColorB)
{
    if (Digit < 0 || Digit > 9) return;
    const uint8_t lit = LitSegments[static_cast<size_t>(Digit)];
    DrawPass(Canvas, lit, X - 1, Y + 1, ColorA);
    DrawPass(Canvas, lit, X, Y, ColorB);
}

void DrawNumber(TCanvas& Canvas, int32_t X, int32_t Y, int32_t Number, TColor ColorA, TColor ColorB)
{
    if (Number < 0) return;
    const int32_t n = DigitCount(Number);
    const std::string s = std::to_string(Number);
    for (int32_t i = 0; i < n; ++i) {
        const int32_t d = s[static_cast<size_t>(i)] - '0';
        const int32_t cx = X + 9 * i;
        if (Number < 10 && Y == 20) {
            DrawDigit(Canvas, 0, cx, Y, ColorA, ColorB);
            DrawDigit(Canvas, d, cx + 8, Y, ColorA, ColorB);
        } else {
            DrawDigit(Canvas, d, cx, Y, ColorA, ColorB);
        }
    }
}

}  // namespace qel
