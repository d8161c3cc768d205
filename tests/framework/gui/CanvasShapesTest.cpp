// The canvas's drawing rules, pixel by pixel: lines, rectangles, ellipses, pixels, modes, damage.
#include "framework/gui/CanvasTestSupport.h"

#include <cstdlib>

using namespace qel;
using namespace qel::test;

namespace {

class Lines : public CanvasFixture {};

TEST_F(Lines, NeverPaintTheirEndPointInAnyOctant)
{
    const int cx = 20, cy = 20;
    const std::pair<int, int> ends[] = {{10, 0}, {0, 10}, {-10, 0}, {0, -10}, {7, 7}, {-7, 7}, {7, -7}, {-7, -7},
                                        {12, 3}, {3, 12}, {-3, 12}, {-12, 3}, {-12, -3}, {-3, -12}, {3, -12}, {12, -3},
                                        {15, 1}, {1, 15}, {5, 9}, {-9, 5}};
    for (const auto& [dx, dy] : ends) {
        Clear();
        Canvas.MoveTo(cx, cy);
        Canvas.LineTo(cx + dx, cy + dy);
        const TPixelSet px = PaintedSet();
        EXPECT_EQ(px.size(), size_t(std::max(std::abs(dx), std::abs(dy)))) << dx << "," << dy << "\n" << Picture();
        EXPECT_TRUE(px.count({cx, cy})) << "start not painted " << dx << "," << dy;
        EXPECT_FALSE(px.count({cx + dx, cy + dy})) << "end painted " << dx << "," << dy << "\n" << Picture();
        for (const auto& [x, y] : px) {  // inside the line's box, one pixel per major step
            EXPECT_LE(std::abs(x - cx), std::abs(dx));
            EXPECT_LE(std::abs(y - cy), std::abs(dy));
        }
        EXPECT_EQ(Canvas.PenPos(), Point(cx + dx, cy + dy));
    }
}

TEST_F(Lines, HorizontalVerticalAndDiagonalCoverExactlyTheirPixels)
{
    Canvas.MoveTo(0, 0);
    Canvas.LineTo(5, 0);
    EXPECT_EQ(PaintedSet(), (TPixelSet{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}));
    Clear();
    Canvas.MoveTo(3, 6);
    Canvas.LineTo(3, 2);
    EXPECT_EQ(PaintedSet(), (TPixelSet{{3, 6}, {3, 5}, {3, 4}, {3, 3}}));
    Clear();
    Canvas.MoveTo(1, 1);
    Canvas.LineTo(4, 4);
    EXPECT_EQ(PaintedSet(), (TPixelSet{{1, 1}, {2, 2}, {3, 3}}));
}

TEST_F(Lines, HaveNoGaps)
{
    Canvas.MoveTo(2, 3);
    Canvas.LineTo(30, 14);
    const TPixelSet px = PaintedSet();
    for (const auto& [x, y] : px)  // each pixel but the last has a neighbour one column on
        if (x < 29) {
            EXPECT_TRUE(px.count({x + 1, y}) || px.count({x + 1, y + 1})) << x << "," << y;
        }
    EXPECT_TRUE(px.count({29, 14}) || px.count({29, 13}));
}

TEST_F(Lines, PolylineJoinsSegmentsAndLeavesTheLastPoint)
{
    Canvas.Polyline({Point(0, 0), Point(4, 0), Point(4, 4)});
    EXPECT_EQ(PaintedSet(), (TPixelSet{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {4, 1}, {4, 2}, {4, 3}}));
    EXPECT_EQ(Canvas.PenPos(), Point(4, 4));
}

TEST_F(Lines, ClearPenAndNopModePaintNothing)
{
    Canvas.Pen()->SetStyle(psClear);
    Canvas.MoveTo(0, 0);
    Canvas.LineTo(10, 5);
    Canvas.Pen()->SetStyle(psSolid);
    Canvas.Pen()->SetMode(pmNop);
    Canvas.LineTo(20, 5);
    EXPECT_TRUE(PaintedSet().empty());
}

TEST_F(Lines, DottedPenLeavesGaps)
{
    Canvas.Pen()->SetStyle(psDot);
    Canvas.MoveTo(0, 0);
    Canvas.LineTo(12, 0);
    EXPECT_EQ(PaintedSet(), (TPixelSet{{0, 0}, {1, 0}, {2, 0}, {6, 0}, {7, 0}, {8, 0}}));
}

TEST_F(Lines, XorTwiceRestoresAndNotInverts)
{
    Img.fill(qRgb(0x12, 0x34, 0x56));
    Canvas.Pen()->SetColor(clWhite);
    Canvas.Pen()->SetMode(pmXor);
    Canvas.MoveTo(0, 5);
    Canvas.LineTo(10, 5);
    EXPECT_EQ(At(3, 5), qRgb(0xED, 0xCB, 0xA9));
    Canvas.MoveTo(0, 5);
    Canvas.LineTo(10, 5);
    EXPECT_EQ(At(3, 5), qRgb(0x12, 0x34, 0x56));
    Canvas.Pen()->SetMode(pmNot);
    Canvas.MoveTo(0, 6);
    Canvas.LineTo(10, 6);
    EXPECT_EQ(At(3, 6), qRgb(0xED, 0xCB, 0xA9));
}

TEST_F(Lines, WidePensPaintAroundTheLine)
{
    Canvas.Pen()->SetWidth(3);
    Canvas.MoveTo(5, 10);
    Canvas.LineTo(20, 10);
    EXPECT_TRUE(Painted(10, 9) && Painted(10, 10) && Painted(10, 11));
    EXPECT_FALSE(Painted(10, 13));
}

class Rectangles : public CanvasFixture {};

TEST_F(Rectangles, OutlineOnLeftToRightMinusOneAndFillInside)
{
    Canvas.Brush()->SetColor(clRed);
    Canvas.Rectangle(2, 3, 12, 9);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool inBox = x >= 2 && x <= 11 && y >= 3 && y <= 8;
            const bool edge = inBox && (x == 2 || x == 11 || y == 3 || y == 8);
            const QRgb want = edge ? qRgb(0, 0, 0) : inBox ? qRgb(255, 0, 0) : qRgb(255, 255, 255);
            ASSERT_EQ(At(x, y), want) << x << "," << y << "\n" << Picture();
        }
}

TEST_F(Rectangles, ReversedCornersGiveTheSameRectangle)
{
    Canvas.Rectangle(2, 3, 12, 9);
    const TPixelSet a = PaintedSet();
    Clear();
    Canvas.Rectangle(Rect(12, 9, 2, 3));
    EXPECT_EQ(PaintedSet(), a);
}

TEST_F(Rectangles, ClearBrushLeavesTheInsideAndClearPenFillsTheWholeBox)
{
    Canvas.Brush()->SetStyle(bsClear);
    Canvas.Rectangle(2, 2, 8, 8);
    EXPECT_FALSE(Painted(4, 4));
    EXPECT_TRUE(Painted(2, 4) && Painted(7, 4));
    EXPECT_EQ(PaintedSet().size(), 20u);
    Clear();
    Canvas.Brush()->SetColor(clRed);
    Canvas.Pen()->SetStyle(psClear);
    Canvas.Rectangle(2, 2, 8, 8);
    EXPECT_EQ(WithColor(qRgb(255, 0, 0)).size(), 36u);
    EXPECT_EQ(PaintedSet().size(), 36u);
}

TEST_F(Rectangles, FillRectAndFrameRectCoverTheBoxOnly)
{
    Canvas.Brush()->SetColor(clBlue);
    Canvas.FillRect(Rect(1, 1, 5, 4));
    EXPECT_EQ(PaintedSet().size(), 12u);
    EXPECT_TRUE(Painted(4, 3));
    EXPECT_FALSE(Painted(5, 3) || Painted(4, 4));
    Clear();
    Canvas.FrameRect(Rect(1, 1, 6, 5));
    EXPECT_EQ(PaintedSet().size(), 14u);
    EXPECT_FALSE(Painted(3, 3));
    EXPECT_TRUE(Painted(5, 4));
}

TEST_F(Rectangles, WidePenStaysInsideTheBox)
{
    Canvas.Pen()->SetWidth(3);
    Canvas.Brush()->SetColor(clRed);
    Canvas.Rectangle(2, 2, 20, 20);
    for (const auto& [x, y] : PaintedSet()) EXPECT_TRUE(x >= 2 && x < 20 && y >= 2 && y < 20);
    EXPECT_EQ(At(4, 10), qRgb(0, 0, 0));
    EXPECT_EQ(At(5, 10), qRgb(255, 0, 0));
}

// Every painted pixel in the box, the box's four sides touched, mirror-symmetric both ways.
void ExpectInBoxAndSymmetric(const CanvasFixture& F, const TPixelSet& Px, int L, int T, int R, int B, const std::string& What)
{
    bool left = false, right = false, top = false, bottom = false;
    for (const auto& [x, y] : Px) {
        ASSERT_TRUE(x >= L && x < R && y >= T && y < B) << What << " outside at " << x << "," << y;
        ASSERT_TRUE(Px.count({L + R - 1 - x, y}) && Px.count({x, T + B - 1 - y})) << What << " not symmetric at " << x << "," << y;
        left |= x == L; right |= x == R - 1; top |= y == T; bottom |= y == B - 1;
    }
    EXPECT_TRUE(left && right && top && bottom) << What << " does not touch its box";
    (void)F;
}

class Ellipses : public CanvasFixture {
protected:
    Ellipses() : CanvasFixture(70, 70) {}
};

TEST_F(Ellipses, StayInsideTheirBoxAndAreSymmetricForManySizes)
{
    for (int w = 1; w <= 40; w += (w < 16 ? 1 : 5))
        for (int h = 1; h <= 40; h += (h < 16 ? 1 : 3)) {
            Clear();
            Canvas.Ellipse(3, 4, 3 + w, 4 + h);
            ExpectInBoxAndSymmetric(*this, PaintedSet(), 3, 4, 3 + w, 4 + h, "ellipse " + std::to_string(w) + "x" + std::to_string(h));
        }
}

TEST_F(Ellipses, OutlineEnclosesTheFill)
{
    Canvas.Brush()->SetColor(clRed);
    Canvas.Ellipse(5, 5, 45, 20);
    for (const auto& [x, y] : WithColor(qRgb(255, 0, 0)))  // every fill pixel has painted 4-neighbours
        for (const auto& [nx, ny] : {std::pair{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}})
            ASSERT_TRUE(Painted(nx, ny)) << "fill leaks at " << x << "," << y << "\n" << Picture();
    EXPECT_FALSE(WithColor(qRgb(0, 0, 0)).empty());
}

TEST_F(Ellipses, TheLampDiscHasItsMeasuredShape)
{
    Canvas.Pen()->SetColor(clBlack);
    Canvas.Brush()->SetColor(clRed);
    Canvas.Ellipse(2, 2, 14, 14);
    const char* want[] = {".....######....", "....#oooooo#...", "...#oooooooo#..", "..#oooooooooo#.", "..#oooooooooo#.",
                          "..#oooooooooo#.", "..#oooooooooo#.", "..#oooooooooo#.", "..#oooooooooo#.", "...#oooooooo#..",
                          "....#oooooo#...", ".....######...."};
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 15; ++x) {
            const char c = !Painted(x, y + 2) ? '.' : At(x, y + 2) == qRgb(0, 0, 0) ? '#' : 'o';
            ASSERT_EQ(c, want[y][x]) << x << "," << y + 2 << "\n" << Picture();
        }
}

TEST_F(Ellipses, RoundRectsStayInsideAndAreSymmetric)
{
    for (int w = 2; w <= 40; w += 3)
        for (int h = 2; h <= 40; h += 4)
            for (int corner : {0, 3, 6, 9, 50}) {
                Clear();
                Canvas.RoundRect(3, 4, 3 + w, 4 + h, corner, corner);
                ExpectInBoxAndSymmetric(*this, PaintedSet(), 3, 4, 3 + w, 4 + h,
                                        "roundrect " + std::to_string(w) + "x" + std::to_string(h) + " c" + std::to_string(corner));
            }
}

TEST_F(Ellipses, RoundRectCornersAreCut)
{
    Canvas.RoundRect(0, 0, 20, 20, 8, 8);
    EXPECT_FALSE(Painted(0, 0) || Painted(19, 0) || Painted(0, 19) || Painted(19, 19));
    EXPECT_TRUE(Painted(10, 0) && Painted(0, 10));
    Clear();
    Canvas.RoundRect(0, 0, 20, 20, 0, 0);  // no corner: a rectangle
    EXPECT_TRUE(Painted(0, 0) && Painted(19, 19));
}

class Pixels : public CanvasFixture {};

TEST_F(Pixels, SetPixelAndPixelRoundTripAndOutsideIsInvalid)
{
    Canvas.SetPixel(3, 1, clRed);
    EXPECT_EQ(PaintedSet(), (TPixelSet{{3, 1}}));
    EXPECT_EQ(Canvas.Pixel(3, 1), clRed);
    EXPECT_EQ(Canvas.Pixel(0, 0), clWhite);
    EXPECT_EQ(Canvas.Pixel(-1, 0), -1);
    EXPECT_EQ(Canvas.Pixel(40, 0), -1);
    Canvas.SetPixel(-5, 100, clRed);  // ignored
    Canvas.SetPixel(4, 1, clBtnFace);
    EXPECT_EQ(Canvas.Pixel(4, 1), ColorToRGB(clBtnFace));
}

TEST_F(Pixels, CopyRectCopiesOneToOneAndStretchesByNearestPixel)
{
    QImage srcImg(4, 4, QImage::Format_RGB32);
    srcImg.fill(Qt::white);
    TCanvas src;
    src.SetImage(&srcImg);
    src.SetPixel(0, 0, clRed);
    src.SetPixel(1, 0, clBlue);
    Canvas.CopyRect(Rect(10, 10, 12, 11), &src, Rect(0, 0, 2, 1));
    EXPECT_EQ(At(10, 10), qRgb(255, 0, 0));
    EXPECT_EQ(At(11, 10), qRgb(0, 0, 255));
    EXPECT_EQ(PaintedSet().size(), 2u);
    Clear();
    Canvas.CopyRect(Rect(0, 0, 4, 2), &src, Rect(0, 0, 2, 1));
    EXPECT_EQ(WithColor(qRgb(255, 0, 0)), (TPixelSet{{0, 0}, {1, 0}, {0, 1}, {1, 1}}));
    EXPECT_EQ(WithColor(qRgb(0, 0, 255)), (TPixelSet{{2, 0}, {3, 0}, {2, 1}, {3, 1}}));
}

TEST_F(Pixels, CopyRectWithinOneCanvasOverlapping)
{
    for (int x = 0; x < 5; ++x) Canvas.SetPixel(x, 0, RGB(uint8_t(x * 10), 0, 0));
    Canvas.CopyRect(Rect(1, 0, 6, 1), &Canvas, Rect(0, 0, 5, 1));
    for (int x = 1; x < 6; ++x) EXPECT_EQ(Canvas.Pixel(x, 0), RGB(uint8_t((x - 1) * 10), 0, 0));
}

class Damage : public CanvasFixture {};

TEST_F(Damage, EachCallReportsTheAreaItTouchedBoundedToTheImage)
{
    Canvas.Rectangle(2, 3, 12, 9);
    ASSERT_EQ(Damaged.size(), 1u);
    EXPECT_EQ(Damaged[0], Rect(2, 3, 12, 9));
    Canvas.FillRect(Rect(-10, -10, 5, 5));
    EXPECT_EQ(Damaged.back(), Rect(0, 0, 5, 5));
    Canvas.SetPixel(7, 7, clRed);
    EXPECT_EQ(Damaged.back(), Rect(7, 7, 8, 8));
    Canvas.MoveTo(1, 1);
    Canvas.LineTo(10, 4);
    const TRect d = Damaged.back();
    for (const auto& [x, y] : TPixelSet{{1, 1}, {9, 4}}) EXPECT_TRUE(x >= d.Left && x < d.Right && y >= d.Top && y < d.Bottom);
    const size_t n = Damaged.size();
    Canvas.Rectangle(100, 100, 120, 120);  // off the image
    EXPECT_EQ(Damaged.size(), n);
}

TEST(CanvasWithoutImage, DrawingIsANoOp)
{
    TCanvas c;
    int damaged = 0;
    c.OnDamage = [&](const TRect&) { ++damaged; };
    c.MoveTo(0, 0);
    c.LineTo(10, 10);
    c.Rectangle(0, 0, 5, 5);
    c.Ellipse(0, 0, 5, 5);
    c.RoundRect(0, 0, 5, 5, 2, 2);
    c.FillRect(Rect(0, 0, 5, 5));
    c.FrameRect(Rect(0, 0, 5, 5));
    c.Polygon({Point(0, 0), Point(3, 3), Point(0, 3)});
    c.Polyline({Point(0, 0), Point(3, 3)});
    c.TextOut(0, 0, "x");
    TRect r = Rect(0, 0, 50, 50);
    c.DrawText("x", r, DT_LEFT);
    c.SetPixel(1, 1, clRed);
    c.CopyRect(Rect(0, 0, 2, 2), &c, Rect(0, 0, 2, 2));
    EXPECT_EQ(c.Pixel(1, 1), -1);
    EXPECT_EQ(damaged, 0);
    EXPECT_EQ(c.PenPos(), Point(c.TextWidth("x"), 0));
}

TEST(CanvasPolygon, FillsInsideAndOutlinesEveryEdge)
{
    QImage img(20, 20, QImage::Format_RGB32);
    img.fill(Qt::white);
    TCanvas c;
    c.SetImage(&img);
    c.Brush()->SetColor(clRed);
    c.Polygon({Point(2, 2), Point(15, 2), Point(15, 15), Point(2, 15)});
    EXPECT_EQ(img.pixel(2, 2), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(15, 15), qRgb(0, 0, 0));
    EXPECT_EQ(img.pixel(8, 8), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(16, 8), qRgb(255, 255, 255));
}

}  // namespace
