// Colours, pens, brushes and fonts.
#include "framework/gui/Graphics.h"

#include <QApplication>
#include <QFontInfo>
#include <QStyle>
#include <QStyleFactory>

#include <gtest/gtest.h>

using namespace qel;

namespace {

TEST(Colors, NamedColorsAreBGR)
{
    EXPECT_EQ(clRed, 0x0000FF);
    EXPECT_EQ(clBlue, 0xFF0000);
    EXPECT_EQ(clMaroon, 0x000080);
    EXPECT_EQ(RGB(1, 2, 3), 0x030201);
    EXPECT_EQ(ToQColor(clRed), QColor(255, 0, 0));
    EXPECT_EQ(ToQColor(clNavy), QColor(0, 0, 128));
    EXPECT_EQ(ColorToRGB(clTeal), clTeal);
}

TEST(Colors, SystemColorsHaveTheClassicIndices)
{
    EXPECT_EQ(static_cast<uint32_t>(clScrollBar), 0x80000000u);
    EXPECT_EQ(static_cast<uint32_t>(clBtnFace), 0x8000000Fu);
    EXPECT_EQ(static_cast<uint32_t>(clWindowText), 0x80000008u);
    EXPECT_EQ(static_cast<uint32_t>(clInfoBk), 0x80000018u);
}

TEST(Colors, SystemColorsResolveThroughTheApplicationPalette)
{
    const QPalette pal = QGuiApplication::palette();
    EXPECT_EQ(ToQColor(clBtnFace), pal.color(QPalette::Active, QPalette::Button));
    EXPECT_EQ(ToQColor(clWindow), pal.color(QPalette::Active, QPalette::Base));
    EXPECT_EQ(ToQColor(clHighlight), pal.color(QPalette::Active, QPalette::Highlight));
    EXPECT_EQ(ToQColor(clGrayText), pal.color(QPalette::Disabled, QPalette::Text));

    QPalette changed = pal;
    changed.setColor(QPalette::Button, QColor(1, 2, 3));
    QGuiApplication::setPalette(changed);
    EXPECT_EQ(ColorToRGB(clBtnFace), RGB(1, 2, 3));
    QGuiApplication::setPalette(pal);
}

TEST(Colors, DefaultsWithoutAnApplicationAreTheFusionPalette)
{
    std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    ASSERT_TRUE(fusion);
    const QPalette pal = fusion->standardPalette();
    for (int32_t i = 0; i < SystemColorCount; ++i) {
        const TColor c = SystemColorBase + i;
        const QColor want = pal.color(SystemColorGroup(c), SystemColorRole(c));
        EXPECT_EQ(DefaultSystemColorRGB(c), RGB(uint8_t(want.red()), uint8_t(want.green()), uint8_t(want.blue())))
            << "system colour " << i;
    }
}

TEST(Colors, PaletteRelativeFlagIsKeptForTheCaller)
{
    EXPECT_EQ(ColorToRGB(PaletteRGB(10, 20, 30)), 0x021E140A);
    EXPECT_EQ(ToQColor(PaletteRGB(10, 20, 30)), QColor(10, 20, 30));
}

TEST(GraphicsObjects, EverySetterAndAssignFireOnChange)
{
    TPen pen;
    TBrush brush;
    TFont font;
    int changes = 0;
    pen.OnChange = brush.OnChange = font.OnChange = [&](TObject*) { ++changes; };
    pen.SetColor(clRed); pen.SetWidth(2); pen.SetStyle(psDot); pen.SetMode(pmXor);
    brush.SetColor(clLime); brush.SetStyle(bsCross);
    font.SetName("Arial"); font.SetSize(10); font.SetColor(clRed); font.SetStyle({fsBold});
    font.SetPitch(fpFixed); font.SetCharset(0);
    EXPECT_EQ(changes, 12);
    TPen other;
    other.OnChange = pen.OnChange;
    other.Assign(&pen);
    EXPECT_EQ(changes, 13);
    EXPECT_EQ(other.Color(), clRed);
    EXPECT_EQ(other.Width(), 2);
    EXPECT_EQ(other.Style(), psDot);
    EXPECT_EQ(other.Mode(), pmXor);
}

TEST(GraphicsObjects, AssignAcrossKindsFails)
{
    TPen pen;
    TBrush brush;
    EXPECT_THROW(pen.Assign(&brush), EConvertError);
}

TEST(GraphicsObjects, BrushColorMakesAClearBrushSolid)
{
    TBrush b;
    b.SetStyle(bsClear);
    b.SetColor(clRed);
    EXPECT_EQ(b.Style(), bsSolid);
}

TEST(GraphicsObjects, PenWidthIsAtLeastOne)
{
    TPen p;
    p.SetWidth(0);
    EXPECT_EQ(p.Width(), 1);
}

TEST(Fonts, HeightAndSizeFollowEachOtherAtNinetySixDpi)
{
    TFont f;
    EXPECT_EQ(f.Height(), -11);
    EXPECT_EQ(f.Size(), 8);
    f.SetSize(10);
    EXPECT_EQ(f.Height(), -13);
    f.SetSize(12);
    EXPECT_EQ(f.Height(), -16);
    f.SetHeight(-20);
    EXPECT_EQ(f.Size(), 15);
    EXPECT_EQ(f.ToQFont().pixelSize(), 20);
}

TEST(Fonts, ComponentFaceNamesUseInstalledFonts)
{
    const std::pair<const char*, const char*> table[] = {{"MS Sans Serif", "DejaVu Sans"}, {"System", "DejaVu Sans"},
        {"Arial", "Liberation Sans"}, {"Courier New", "Liberation Mono"}, {"Times New Roman", "Liberation Serif"}};
    for (const auto& [name, face] : table) {
        TFont f;
        f.SetName(name);
        EXPECT_EQ(TFont::SubstituteFace(name), QString::fromLatin1(face));
        EXPECT_EQ(QFontInfo(f.ToQFont()).family(), QString::fromLatin1(face)) << name << " is not installed as " << face;
    }
    EXPECT_EQ(TFont::SubstituteFace("arial"), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(TFont::SubstituteFace("DejaVu Serif"), QStringLiteral("DejaVu Serif"));
}

TEST(Fonts, StylesReachTheQtFont)
{
    TFont f;
    f.SetStyle({fsBold, fsUnderline});
    const QFont q = f.ToQFont();
    EXPECT_TRUE(q.bold());
    EXPECT_FALSE(q.italic());
    EXPECT_TRUE(q.underline());
    EXPECT_FALSE(q.strikeOut());
    EXPECT_TRUE(q.styleStrategy() & QFont::NoAntialias);
    EXPECT_EQ(f.StyleFlags().toInt(), FontStyleFlags::fsBold | FontStyleFlags::fsUnderline);
    f.SetStyleFlags(FontStyleFlags::fsItalic);
    EXPECT_EQ(f.Style(), TFontStyles({fsItalic}));
}

}  // namespace

TEST(Colors, ConstantsByName)
{
    TColor c = 0;
    EXPECT_TRUE(IdentToColor("clRed", c));
    EXPECT_EQ(c, clRed);
    EXPECT_TRUE(IdentToColor("CLBTNFACE", c));
    EXPECT_EQ(c, clBtnFace);
    EXPECT_FALSE(IdentToColor("clNoSuchColour", c));
    EXPECT_EQ(c, clBtnFace);  // unchanged when unknown
    EXPECT_EQ(ColorToIdent(clInfoBk), "clInfoBk");
    EXPECT_EQ(ColorToIdent(clSilver), "clSilver");  // the first name of a value shared with clLtGray
    EXPECT_EQ(ColorToIdent(RGB(1, 2, 3)), "");
}
