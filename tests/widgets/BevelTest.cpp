// TQELBevel: every shape in both styles, edge pixel by edge pixel, in its own two colours.
#include "widgets/QELBevel.h"

#include "framework/core/FormFiles.h"
#include "framework/gui/Forms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace qel;

namespace {

QRgb Rgb(TColor C) { return ToQRgb(C); }

class BevelTest : public ::testing::Test {
protected:
    BevelTest() : Form(new TForm(nullptr)), Bevel(new TQELBevel(Form.get()))
    {
        Form->SetName("Form1");
        Form->SetColor(clYellow);
        Bevel->SetName("Bevel1");
        Bevel->SetParent(Form.get());
        Bevel->SetBounds(3, 3, 10, 6);
    }

    // '.' the parent, 'H' the highlight, 'S' the shadow, '?' anything else.
    std::string Picture()
    {
        Bevel->Update();
        std::string out;
        for (int y = 0; y < Bevel->Height(); ++y) {
            for (int x = 0; x < Bevel->Width(); ++x) {
                const QRgb c = Bevel->RetainedImage().pixel(x, y) | 0xFF000000u;
                out += c == Rgb(clYellow) ? '.' : c == Rgb(Bevel->Highlight()) ? 'H' : c == Rgb(Bevel->Shadow()) ? 'S' : '?';
            }
            out += '\n';
        }
        return out;
    }

    std::unique_ptr<TForm> Form;
    TQELBevel* Bevel;
};

std::string Swapped(std::string S)
{
    std::transform(S.begin(), S.end(), S.begin(), [](char C) { return C == 'H' ? 'S' : C == 'S' ? 'H' : C; });
    return S;
}

struct TShapeCase {
    TBevelShape Shape;
    const char* Lowered;  // bsRaised is the same with the colours swapped
};

const TShapeCase ShapeCases[] = {
    {bsBox, "SSSSSSSSSH\n"
            "S........H\n"
            "S........H\n"
            "S........H\n"
            "S........H\n"
            "SHHHHHHHHH\n"},
    {bsFrame, "SSSSSSSSS.\n"
              "SHHHHHHHSH\n"
              "SH......SH\n"
              "SH......SH\n"
              "SSSSSSSSSH\n"
              ".HHHHHHHHH\n"},
    {bsTopLine, "SSSSSSSSSS\n"
                "HHHHHHHHHH\n"
                "..........\n"
                "..........\n"
                "..........\n"
                "..........\n"},
    {bsBottomLine, "..........\n"
                   "..........\n"
                   "..........\n"
                   "..........\n"
                   "SSSSSSSSSS\n"
                   "HHHHHHHHHH\n"},
    {bsLeftLine, "SH........\n"
                 "SH........\n"
                 "SH........\n"
                 "SH........\n"
                 "SH........\n"
                 "SH........\n"},
    {bsRightLine, "........SH\n"
                  "........SH\n"
                  "........SH\n"
                  "........SH\n"
                  "........SH\n"
                  "........SH\n"},
    {bsSpacer, "..........\n"
               "..........\n"
               "..........\n"
               "..........\n"
               "..........\n"
               "..........\n"},
};

}  // namespace

TEST_F(BevelTest, EveryShapeDrawsItsEdgesInBothStyles)
{
    EXPECT_EQ(bsBox, Bevel->Shape());
    EXPECT_EQ(bsLowered, Bevel->Style());
    for (const TShapeCase& c : ShapeCases) {
        Bevel->SetShape(c.Shape);
        Bevel->SetStyle(bsLowered);
        EXPECT_EQ(c.Lowered, Picture()) << "shape " << c.Shape << " lowered";
        Bevel->SetStyle(bsRaised);
        EXPECT_EQ(Swapped(c.Lowered), Picture()) << "shape " << c.Shape << " raised";
    }
}

TEST_F(BevelTest, StartsBlackAndWhiteAndRepaintsWithNewColours)
{
    Bevel->Update();
    EXPECT_EQ(Rgb(clBlack), Bevel->RetainedImage().pixel(0, 2) | 0xFF000000u);  // lowered: dark left edge
    EXPECT_EQ(Rgb(clWhite), Bevel->RetainedImage().pixel(9, 2) | 0xFF000000u);
    Bevel->SetHighlight(clRed);
    EXPECT_TRUE(Bevel->PaintPending());
    Bevel->Update();
    Bevel->SetShadow(clBlue);
    EXPECT_TRUE(Bevel->PaintPending());
    Bevel->Update();
    EXPECT_EQ(Rgb(clBlue), Bevel->RetainedImage().pixel(0, 2) | 0xFF000000u);
    EXPECT_EQ(Rgb(clRed), Bevel->RetainedImage().pixel(9, 2) | 0xFF000000u);
}

TEST_F(BevelTest, PublishedPropertiesComeBackFromAFormFile)
{
    Bevel->About = TQELAboutFreeStr("bevel");
    Bevel->SetShape(bsFrame);
    Bevel->SetStyle(bsRaised);
    Bevel->SetHighlight(clAqua);
    Bevel->SetShadow(clNavy);
    const String text = ComponentToText(Form.get());
    std::unique_ptr<TComponent> copy(TextToComponent(text));
    auto* bevel = dynamic_cast<TQELBevel*>(copy->FindComponent("Bevel1"));
    ASSERT_NE(nullptr, bevel);
    EXPECT_EQ("bevel", bevel->About.ToString());
    EXPECT_EQ(bsFrame, bevel->Shape());
    EXPECT_EQ(bsRaised, bevel->Style());
    EXPECT_EQ(clAqua, bevel->Highlight());
    EXPECT_EQ(clNavy, bevel->Shadow());

    // The initial white and black differ from the declared system colours, so they are written;
    // the system colours themselves are not.
    Bevel->SetHighlight(clWhite);
    Bevel->SetShadow(clBtnShadow);
    const String mixed = ComponentToText(Form.get());
    EXPECT_NE(String::npos, mixed.find("\"Highlight\""));
    EXPECT_EQ(String::npos, mixed.find("\"Shadow\""));
}
