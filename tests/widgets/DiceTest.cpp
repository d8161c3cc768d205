// TQELDice: the faces from the pip table, clamping, rolling and holding, and the fixed size.
#include "widgets/QELDice.h"

#include "framework/core/FormFiles.h"
#include "framework/core/SysUtils.h"
#include "framework/gui/Forms.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

using namespace qel;

namespace {

QRgb Rgb(TColor C) { return ToQRgb(C); }

// Pip boxes by name: left, top, right, bottom (the ellipse stays inside).
const std::map<char, TRect> Boxes{
    {'a', {5, 5, 11, 11}},   {'b', {21, 5, 27, 11}}, {'c', {5, 13, 11, 19}}, {'d', {13, 13, 19, 19}},
    {'e', {21, 13, 27, 19}}, {'f', {5, 21, 11, 27}}, {'g', {21, 21, 27, 27}}};
// a TL, b TR, c ML, d C, e MR, f BL, g BR
const std::map<int, std::set<char>> FacePips{
    {0, {}}, {1, {'d'}}, {2, {'a', 'g'}}, {3, {'a', 'd', 'g'}}, {4, {'a', 'b', 'f', 'g'}},
    {5, {'a', 'b', 'd', 'f', 'g'}}, {6, {'a', 'b', 'c', 'e', 'f', 'g'}}};

class DiceTest : public ::testing::Test {
protected:
    DiceTest() : Form(new TForm(nullptr)), Dice(new TQELDice(Form.get()))
    {
        Form->SetName("Form1");
        Form->SetColor(clYellow);
        Dice->SetName("Dice1");
        Dice->SetParent(Form.get());
        Dice->SetBounds(8, 8, 32, 32);
    }

    QRgb At(int X, int Y) const { return Dice->RetainedImage().pixel(X, Y) | 0xFF000000u; }

    // Which pips the face shows: a box's centre and the middle of each of its sides in the dot colour.
    std::set<char> ShownPips(TColor Dot) const
    {
        std::set<char> shown;
        for (const auto& [name, b] : Boxes) {
            const int cx = (b.Left + b.Right) / 2, cy = (b.Top + b.Bottom) / 2;
            const bool on = At(cx, cy) == Rgb(Dot) && At(b.Left, cy) == Rgb(Dot) && At(b.Right - 1, cy) == Rgb(Dot) &&
                            At(cx, b.Top) == Rgb(Dot) && At(cx, b.Bottom - 1) == Rgb(Dot);
            if (on) shown.insert(name);
            // Nothing of a pip leaks past its box.
            EXPECT_NE(Rgb(Dot), At(b.Left - 1, cy)) << name;
            EXPECT_NE(Rgb(Dot), At(b.Right, cy)) << name;
        }
        return shown;
    }

    std::unique_ptr<TForm> Form;
    TQELDice* Dice;
};

}  // namespace

TEST_F(DiceTest, EveryValueShowsItsPipsOnTheBackgroundOfTheHoldState)
{
    Dice->SetDotColor(clRed);
    Dice->Setback(clBlue);
    Dice->Sethback(clLime);
    for (bool held : {false, true}) {
        Dice->Holdit(held);
        for (int v = 0; v <= 6; ++v) {
            Dice->SetValue(v);
            EXPECT_EQ(FacePips.at(v), ShownPips(clRed)) << "value " << v << " held " << held;
            EXPECT_EQ(Rgb(held ? clLime : clBlue), At(16, 2));
            EXPECT_EQ(Rgb(clBlack), At(0, 16));   // the square's outline
            EXPECT_EQ(Rgb(clBlack), At(16, 31));
        }
    }
}

TEST_F(DiceTest, InitialColoursGiveWhitePipsOnABlackFace)
{
    Dice->Update();
    EXPECT_EQ(1, Dice->Value());
    EXPECT_EQ(std::set<char>{'d'}, ShownPips(clWhite));
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(Rgb(clBlack), At(i, 0));
        EXPECT_EQ(Rgb(clBlack), At(0, i));
    }
    EXPECT_EQ(Rgb(clBlack), At(16, 2));
}

TEST_F(DiceTest, ValueIsKeptWithinZeroAndSixAndShownAtOnce)
{
    Dice->Update();
    Dice->SetValue(9);
    EXPECT_EQ(6, Dice->Value());
    EXPECT_FALSE(Dice->PaintPending());
    EXPECT_EQ(FacePips.at(6), ShownPips(clWhite));
    Dice->SetValue(-3);
    EXPECT_EQ(0, Dice->Value());
    EXPECT_TRUE(ShownPips(clWhite).empty());
    Dice->SetDotColor(clRed);  // also at once
    Dice->SetValue(5);
    EXPECT_EQ(FacePips.at(5), ShownPips(clRed));
}

TEST_F(DiceTest, RollTakesTheProcessGeneratorUnlessTheDieIsHeld)
{
    RandSeed(1234);
    const int first = Random(6) + 1;
    const int second = Random(6) + 1;
    RandSeed(1234);
    Dice->Roll();
    EXPECT_EQ(first, Dice->Value());
    EXPECT_EQ(FacePips.at(first), ShownPips(clWhite));

    Dice->Holdit(true);
    Dice->Update();
    Dice->Canvas()->SetPixel(16, 2, clFuchsia);  // a mark a repaint would cover
    Dice->Roll();
    EXPECT_EQ(first, Dice->Value());
    EXPECT_EQ(Rgb(clFuchsia), At(16, 2));
    EXPECT_FALSE(Dice->PaintPending());
    EXPECT_EQ(second, Random(6) + 1);  // the held roll drew no number
}

TEST_F(DiceTest, BackgroundsInvalidateAndOnlyTheCurrentOneShows)
{
    Dice->Holdit(true);
    Dice->Update();
    Dice->Setback(clBlue);
    EXPECT_TRUE(Dice->PaintPending());
    Dice->Update();
    EXPECT_EQ(Rgb(clBlack), At(16, 2));  // held: the normal colour does not show
    Dice->Holdit(false);
    EXPECT_FALSE(Dice->PaintPending());
    EXPECT_EQ(Rgb(clBlue), At(16, 2));
    Dice->Sethback(clLime);
    EXPECT_TRUE(Dice->PaintPending());
}

TEST_F(DiceTest, ComesBackToThirtyTwoSquareAtTheNextPaint)
{
    Dice->SetValue(4);
    Dice->Update();
    Dice->SetBounds(8, 8, 50, 50);
    Dice->Update();
    EXPECT_EQ(32, Dice->Width());
    EXPECT_EQ(32, Dice->Height());
    EXPECT_FALSE(Dice->PaintPending());
    EXPECT_EQ(FacePips.at(4), ShownPips(clWhite));
}

TEST_F(DiceTest, PublishedPropertiesComeBackFromAFormFile)
{
    Dice->About = TQELAboutFreeStr("die");
    Dice->SetValue(5);
    Dice->Holdit(true);
    Dice->Setback(clNavy);
    Dice->Sethback(clTeal);
    Dice->SetDotColor(clYellow);
    const String text = ComponentToText(Form.get());
    std::unique_ptr<TComponent> copy(TextToComponent(text));
    auto* dice = dynamic_cast<TQELDice*>(copy->FindComponent("Dice1"));
    ASSERT_NE(nullptr, dice);
    EXPECT_EQ("die", dice->About.ToString());
    EXPECT_EQ(5, dice->Value());
    EXPECT_TRUE(dice->Hold());
    EXPECT_EQ(clNavy, dice->NormalBackground());
    EXPECT_EQ(clTeal, dice->HoldBackground());
    EXPECT_EQ(clYellow, dice->DotColor());

    // Black pips equal the declared default: not written, so a reader keeps the constructor's white.
    Dice->SetDotColor(clBlack);
    const String black = ComponentToText(Form.get());
    EXPECT_EQ(String::npos, black.find("\"DotColor\""));
    std::unique_ptr<TComponent> blackCopy(TextToComponent(black));
    EXPECT_EQ(clWhite, dynamic_cast<TQELDice*>(blackCopy->FindComponent("Dice1"))->DotColor());
}
