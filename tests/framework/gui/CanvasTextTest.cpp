// Text on the canvas: the cell filled with the brush, PenPos, DrawText's format flags and '&'.
#include "framework/gui/CanvasTestSupport.h"

#include <QFontMetrics>

using namespace qel;
using namespace qel::test;

namespace {

class CanvasText : public CanvasFixture {
protected:
    CanvasText() : CanvasFixture(160, 80)
    {
        Canvas.Font()->SetName("Arial");
        Canvas.Font()->SetHeight(-13);
        Canvas.Font()->SetColor(clBlack);
        Canvas.Brush()->SetColor(clYellow);
    }
    // The box around every pixel neither white nor of the given colour.
    QRect InkBox(QRgb Except = qRgb(255, 255, 255)) const
    {
        QRect box;
        for (const auto& [x, y] : PaintedSet())
            if (At(x, y) != (Except | 0xFF000000u)) box |= QRect(x, y, 1, 1);
        return box;
    }
};

TEST_F(CanvasText, TextOutFillsItsCellWithTheBrushAndMovesThePen)
{
    Canvas.TextOut(10, 20, "Ab:");
    const int w = Canvas.TextWidth("Ab:"), h = Canvas.TextHeight("Ab:");
    EXPECT_GT(w, 10);
    EXPECT_GT(h, 10);
    const TPixelSet yellow = WithColor(qRgb(255, 255, 0));
    QRect cell;
    for (const auto& [x, y] : PaintedSet()) cell |= QRect(x, y, 1, 1);
    EXPECT_EQ(cell, QRect(10, 20, w, h));
    EXPECT_GT(yellow.size(), size_t(w * h / 2));
    EXPECT_FALSE(WithColor(qRgb(0, 0, 0)).empty());
    EXPECT_EQ(Canvas.PenPos(), Point(10 + w, 20));
    ASSERT_FALSE(Damaged.empty());
    EXPECT_LE(Damaged.back().Left, 10);
    EXPECT_GE(Damaged.back().Right, 10 + w);
}

TEST_F(CanvasText, ClearBrushPaintsOnlyTheGlyphs)
{
    Canvas.Brush()->SetStyle(bsClear);
    Canvas.TextOut(10, 20, "Ab:");
    EXPECT_TRUE(WithColor(qRgb(255, 255, 0)).empty());
    EXPECT_FALSE(PaintedSet().empty());
}

TEST_F(CanvasText, TextIsNotAntialiased)
{
    Canvas.Brush()->SetStyle(bsClear);
    Canvas.TextOut(5, 5, "Wxyz 0123");
    EXPECT_EQ(PaintedSet(), WithColor(qRgb(0, 0, 0)));
}

TEST_F(CanvasText, TextRectFillsTheRectAndClipsTheText)
{
    Canvas.TextRect(Rect(10, 10, 30, 30), 12, 12, "Wide text that overflows");
    QRect all;
    for (const auto& [x, y] : PaintedSet()) all |= QRect(x, y, 1, 1);
    EXPECT_EQ(all, QRect(10, 10, 20, 20));
    EXPECT_FALSE(WithColor(qRgb(0, 0, 0)).empty());
}

TEST_F(CanvasText, DrawTextAlignsHorizontallyAndVertically)
{
    Canvas.Brush()->SetStyle(bsClear);
    const int w = Canvas.TextWidth("Hi"), h = Canvas.TextHeight("Hi");
    const struct { uint32_t Format; int X, Y; } cases[] = {
        {DT_LEFT | DT_TOP | DT_SINGLELINE, 0, 0},
        {DT_RIGHT | DT_SINGLELINE, 100 - w, 0},
        {DT_CENTER | DT_SINGLELINE, (100 - w) / 2, 0},
        {DT_BOTTOM | DT_SINGLELINE, 0, 60 - h},
        {DT_VCENTER | DT_CENTER | DT_SINGLELINE, (100 - w) / 2, (60 - h) / 2},
    };
    Canvas.TextOut(0, 0, "Hi");
    const QRect ref = InkBox();
    for (const auto& c : cases) {
        Clear();
        TRect r = Rect(20, 10, 120, 70);
        const int32_t height = Canvas.DrawText("Hi", r, c.Format);
        EXPECT_EQ(height, h);
        EXPECT_EQ(InkBox(), ref.translated(20 + c.X, 10 + c.Y)) << "format " << c.Format;
    }
}

TEST_F(CanvasText, CalcRectMeasuresWithoutDrawing)
{
    TRect r = Rect(5, 5, 200, 5);
    const int32_t h = Canvas.DrawText("Hello\nwide world", r, DT_CALCRECT);
    EXPECT_TRUE(PaintedSet().empty());
    EXPECT_TRUE(Damaged.empty());
    EXPECT_EQ(h, 2 * Canvas.TextHeight("H"));
    EXPECT_EQ(r, Rect(5, 5, 5 + Canvas.TextWidth("wide world"), 5 + h));
    TRect one = Rect(0, 0, 200, 0);
    EXPECT_EQ(Canvas.DrawText("Hello\nworld", one, DT_CALCRECT | DT_SINGLELINE), Canvas.TextHeight("H"));
}

TEST_F(CanvasText, WordBreakWrapsToTheRectWidth)
{
    const int wordW = std::max(Canvas.TextWidth("alpha beta"), Canvas.TextWidth("gamma delta"));
    TRect r = Rect(0, 0, wordW + 2, 0);
    const int32_t h = Canvas.DrawText("alpha beta gamma delta", r, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(h, 2 * Canvas.TextHeight("a"));
    EXPECT_LE(r.Right, wordW + 2);
    TRect single = Rect(0, 0, wordW + 2, 0);
    EXPECT_EQ(Canvas.DrawText("alpha beta gamma delta", single, DT_CALCRECT | DT_WORDBREAK | DT_SINGLELINE),
              Canvas.TextHeight("a"));
}

TEST_F(CanvasText, AmpersandUnderlinesTheNextCharacterAndDoubleAmpersandIsOne)
{
    Canvas.Brush()->SetStyle(bsClear);
    TRect r = Rect(0, 0, 160, 40);
    Canvas.DrawText("&File", r, DT_SINGLELINE);
    const TPixelSet prefixed = PaintedSet();
    Clear();
    Canvas.DrawText("File", r, DT_SINGLELINE | DT_NOPREFIX);
    const TPixelSet plain = PaintedSet();
    TPixelSet extra;
    for (const auto& p : prefixed) if (!plain.count(p)) extra.insert(p);
    ASSERT_FALSE(extra.empty());
    const int underlineY = extra.begin()->second;
    for (const auto& [x, y] : extra) {  // one horizontal bar under the F only
        EXPECT_EQ(y, underlineY);
        EXPECT_LT(x, Canvas.TextWidth("F"));
    }
    EXPECT_GT(underlineY, Canvas.TextHeight("F") / 2);

    TRect m = Rect(0, 0, 160, 0);
    Canvas.DrawText("a&&b", m, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(m.Right, Canvas.TextWidth("a&b"));
    TRect n = Rect(0, 0, 160, 0);
    Canvas.DrawText("a&&b", n, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(n.Right, Canvas.TextWidth("a&&b"));
}

TEST_F(CanvasText, ExpandTabsUsesEightColumnStops)
{
    TRect a = Rect(0, 0, 300, 0), b = Rect(0, 0, 300, 0);
    Canvas.DrawText("ab\tc", a, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
    Canvas.DrawText("ab      c", b, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(a.Right, b.Right);
}

TEST_F(CanvasText, DrawTextClipsToTheRectUnlessNoClip)
{
    Canvas.Brush()->SetStyle(bsClear);
    TRect r = Rect(10, 10, 20, 30);
    Canvas.DrawText("Wide text", r, DT_SINGLELINE);
    for (const auto& [x, y] : PaintedSet()) EXPECT_TRUE(x >= 10 && x < 20) << x;
    Clear();
    Canvas.DrawText("Wide text", r, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(InkBox().right(), 25);
}

}  // namespace

namespace {

// Everything together, for a person to look at: QEL_CANVAS_PICTURE=/path.png saves it.
TEST(CanvasPicture, DrawsLinesShapesAndTextTogether)
{
    QImage img(240, 160, QImage::Format_RGB32);
    img.fill(QColor(ToQRgb(clBtnFace)));
    TCanvas c;
    c.SetImage(&img);
    for (int i = 0; i < 12; ++i) {
        c.MoveTo(10, 10);
        c.LineTo(10 + i * 6, 70 - i * 5);
    }
    c.Brush()->SetColor(clYellow);
    c.Rectangle(90, 10, 140, 40);
    c.Brush()->SetColor(clRed);
    c.Ellipse(150, 10, 200, 40);
    c.Ellipse(205, 10, 235, 70);
    c.Brush()->SetColor(clAqua);
    c.RoundRect(90, 45, 200, 70, 12, 12);
    c.Pen()->SetWidth(3);
    c.Pen()->SetColor(clNavy);
    c.MoveTo(10, 80);
    c.LineTo(230, 80);
    c.Pen()->SetWidth(1);
    c.Font()->SetName("Arial");
    c.Font()->SetSize(10);
    c.Brush()->SetColor(clWhite);
    c.TextOut(10, 90, "TextOut on a white cell");
    c.Brush()->SetStyle(bsClear);
    c.Font()->SetStyle({fsBold});
    TRect r = Rect(10, 110, 230, 150);
    c.FrameRect(r);
    c.DrawText("&Centred, with an accelerator", r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EXPECT_EQ(img.pixel(235, 155), ToQRgb(clBtnFace));
    if (!qEnvironmentVariableIsEmpty("QEL_CANVAS_PICTURE")) img.save(qEnvironmentVariable("QEL_CANVAS_PICTURE"));
}

}  // namespace
