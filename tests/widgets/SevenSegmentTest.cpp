// The seven-segment renderer: cells, passes, colours, and the number layout.
#include "widgets/SevenSegment.h"

#include "framework/gui/CanvasTestSupport.h"
#include "widgets/WidgetTestSupport.h"

#include <map>

using namespace qel;
using namespace qel::test;

namespace {

constexpr TColor ColorA = clRed, ColorB = clBlue;

// Pass-B pixels of each segment of a cell at (0, 0): two pixels each, end points unpainted.
const std::map<char, TPixels> SegmentPixels = {
    {'f', {{0, 0}, {0, 1}}}, {'e', {{0, 4}, {0, 5}}}, {'a', {{2, -1}, {3, -1}}}, {'d', {{2, 7}, {3, 7}}},
    {'b', {{6, 0}, {6, 1}}}, {'c', {{6, 4}, {6, 5}}}, {'g', {{2, 3}, {3, 3}}},
};

const char* const LitSegments[10] = {"abcdef", "bc", "abdeg", "abcdg", "bcfg", "acdfg", "acdefg", "abc", "abcdefg", "abcdfg"};

TPixels Moved(const TPixels& P, int Dx, int Dy)
{
    TPixels out;
    for (auto [x, y] : P) out.insert({x + Dx, y + Dy});
    return out;
}

TPixels Without(TPixels P, const TPixels& Remove)
{
    for (const auto& p : Remove) P.erase(p);
    return P;
}

class SevenSegmentTest : public CanvasFixture {
protected:
    SevenSegmentTest() : CanvasFixture(120, 40) {}
    QImage Cells(const std::vector<std::pair<int, int>>& DigitAndX, int Y) const
    {
        QImage blank(Img.size(), QImage::Format_RGB32);
        blank.fill(Qt::white);
        return Drawn(blank, [&](TCanvas& C) {
            for (auto [d, x] : DigitAndX) DrawDigit(C, d, x, Y, ColorA, ColorB);
        });
    }
};

}  // namespace

TEST_F(SevenSegmentTest, EachDigitLightsItsSegmentsPassAOneLeftOneDownUnderPassB)
{
    for (int d = 0; d <= 9; ++d) {
        Clear();
        DrawDigit(Canvas, d, 10, 10, ColorA, ColorB);
        TPixels b;
        for (const char* s = LitSegments[d]; *s; ++s) b.merge(TPixels(SegmentPixels.at(*s)));
        b = Moved(b, 10, 10);
        EXPECT_EQ(WithColor(Rgb(ColorB)), b) << "digit " << d << "\n" << Picture();
        EXPECT_EQ(WithColor(Rgb(ColorA)), Without(Moved(b, -1, 1), b)) << "digit " << d << "\n" << Picture();
        EXPECT_EQ(PaintedSet().size(), WithColor(Rgb(ColorA)).size() + b.size()) << "only the two colours";
        EXPECT_EQ(Canvas.Pen()->Color(), ColorB) << "pass B is drawn last";
    }
}

TEST_F(SevenSegmentTest, ValuesOutsideZeroToNineDrawNothingAndKeepThePen)
{
    Canvas.Pen()->SetColor(clGreen);
    for (int d : {-1, 10, 42, ':' - '0'}) DrawDigit(Canvas, d, 10, 10, ColorA, ColorB);
    EXPECT_TRUE(PaintedSet().empty());
    EXPECT_EQ(Canvas.Pen()->Color(), clGreen);
    DrawNumber(Canvas, 10, 10, -5, ColorA, ColorB);
    EXPECT_TRUE(PaintedSet().empty()) << "a negative number has no cells";
}

TEST_F(SevenSegmentTest, NumbersUseANinePixelPitchAndOneCellPerDigit)
{
    DrawNumber(Canvas, 5, 10, 123, ColorA, ColorB);
    EXPECT_TRUE(Differences(Img, Cells({{1, 5}, {2, 14}, {3, 23}}, 10)).empty()) << Picture();

    Clear();
    DrawNumber(Canvas, 5, 10, 0, ColorA, ColorB);
    EXPECT_TRUE(Differences(Img, Cells({{0, 5}}, 10)).empty()) << Picture();

    Clear();
    DrawNumber(Canvas, 12, 10, 2147483647, ColorA, ColorB);
    std::vector<std::pair<int, int>> cells;
    const std::string digits = "2147483647";
    for (size_t i = 0; i < digits.size(); ++i) cells.push_back({digits[i] - '0', 12 + 9 * static_cast<int>(i)});
    EXPECT_EQ(cells.size(), 10u);
    EXPECT_TRUE(Differences(Img, Cells(cells, 10)).empty()) << Picture();
}

TEST_F(SevenSegmentTest, ASingleDigitAtRowTwentyGetsALeadingZeroCell)
{
    DrawNumber(Canvas, 5, 20, 7, ColorA, ColorB);
    EXPECT_TRUE(Differences(Img, Cells({{0, 5}, {7, 13}}, 20)).empty()) << Picture();

    Clear();
    DrawNumber(Canvas, 5, 20, 0, ColorA, ColorB);
    EXPECT_TRUE(Differences(Img, Cells({{0, 5}, {0, 13}}, 20)).empty()) << Picture();

    Clear();
    DrawNumber(Canvas, 5, 21, 7, ColorA, ColorB);
    EXPECT_TRUE(Differences(Img, Cells({{7, 5}}, 21)).empty()) << "only at row 20\n" << Picture();

    Clear();
    DrawNumber(Canvas, 5, 20, 10, ColorA, ColorB);
    EXPECT_TRUE(Differences(Img, Cells({{1, 5}, {0, 14}}, 20)).empty()) << "only below 10\n" << Picture();
}

TEST_F(SevenSegmentTest, DrawingAgainInOneColourErasesExactlyWhatWasLit)
{
    Img.fill(Qt::black);
    const QImage before = Img.copy();
    DrawNumber(Canvas, 5, 20, 8, ColorA, ColorB);
    DrawNumber(Canvas, 5, 20, 8, clBlack, clBlack);
    EXPECT_TRUE(Differences(Img, before).empty());
}
