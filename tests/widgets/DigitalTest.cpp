// TQELDigital: centring, erase-then-draw on a new number, OnNewNumber, and form files.
#include "widgets/QELDigital.h"

#include "framework/core/FormFiles.h"
#include "widgets/SevenSegment.h"
#include "widgets/WidgetTestSupport.h"

using namespace qel;
using namespace qel::test;

namespace {

class DigitalTest : public WidgetFixture {
protected:
    DigitalTest()
    {
        Digital = Place<TQELDigital>(0, 0, 100, 33, "Digital1");
        Digital->OnNewNumber = [this](TObject* Sender) {
            ++Events;
            EXPECT_EQ(Sender, Digital);
            AtEvent = Picture().copy();
        };
        ShowForm();
        Digital->Update();
        Events = 0;
    }

    const QImage& Picture() const { return Digital->RetainedImage(); }

    QImage Background() const
    {
        QImage img(Picture().size(), QImage::Format_RGB32);
        img.fill(ToQColor(Digital->DigitBackground()));
        return img;
    }

    QImage NumberAt(int32_t X, int32_t Y, int32_t Number) const
    {
        return Drawn(Background(), [&](TCanvas& C) {
            DrawNumber(C, X, Y, Number, Digital->DigitOnColor(), Digital->DigitShadow());
        });
    }

    TQELDigital* Digital;
    int Events = 0;
    QImage AtEvent;
};

}  // namespace

TEST_F(DigitalTest, StartsWithItsInitialValuesCentredOnItsBackground)
{
    EXPECT_EQ(Digital->Number(), 123456789);
    EXPECT_EQ(Digital->DigitOnColor(), 0x00FFFF);
    EXPECT_EQ(Digital->DigitShadow(), 0);
    EXPECT_EQ(Digital->DigitBackground(), 0x008080);
    EXPECT_TRUE(Digital->Border3D());
    TQELDigital fresh(nullptr);
    EXPECT_EQ(fresh.Width(), 100);
    EXPECT_EQ(fresh.Height(), 33);
    // x = 50 - 4 * 9 = 14; y = 16.5 - 5 = 11.5 goes to the even 12.
    EXPECT_TRUE(Differences(Picture(), NumberAt(14, 12, 123456789)).empty());
}

TEST_F(DigitalTest, ANewNumberErasesTheOldCellsFirstThenDrawsAtTheNewOrigin)
{
    Digital->setfi(100);
    EXPECT_TRUE(Differences(Picture(), NumberAt(38, 12, 100)).empty());
    Digital->setfi(5);
    EXPECT_EQ(Events, 2);
    EXPECT_TRUE(Differences(AtEvent, Background()).empty()) << "100 erased at its wider origin before the event";
    EXPECT_TRUE(Differences(Picture(), NumberAt(46, 12, 5)).empty());
    EXPECT_FALSE(Digital->PaintPending()) << "drawn at once, never invalidated";
}

TEST_F(DigitalTest, NegativeNumbersAreIgnoredAndTheSameNumberIsStoredAgain)
{
    const QImage before = Picture().copy();
    Digital->setfi(-1);
    EXPECT_EQ(Digital->Number(), 123456789);
    EXPECT_EQ(Events, 0);
    EXPECT_TRUE(Differences(Picture(), before).empty());

    Digital->setfi(123456789);
    EXPECT_EQ(Events, 1);
    EXPECT_TRUE(Differences(AtEvent, Background()).empty()) << "erased";
    EXPECT_TRUE(Differences(Picture(), before).empty()) << "and drawn again";

    Digital->setfi(2147483647);
    // Ten cells from x = 50 - 40 = 10.
    EXPECT_TRUE(Differences(Picture(), NumberAt(10, 12, 2147483647)).empty());
}

TEST_F(DigitalTest, EveryRepaintFiresOnNewNumberOnce)
{
    Digital->Invalidate();
    Digital->Update();
    EXPECT_EQ(Events, 1);
    EXPECT_EQ(Digital->Number(), 123456789);
    Digital->Setback(clNavy);
    EXPECT_TRUE(Digital->PaintPending()) << "colour setters invalidate";
    Digital->Update();
    EXPECT_EQ(Events, 2);
    EXPECT_TRUE(Differences(Picture(), NumberAt(14, 12, 123456789)).empty());
}

TEST_F(DigitalTest, HeightsAroundFiftyPutASingleDigitBehindALeadingZeroCell)
{
    for (int32_t h : {49, 50, 51}) {
        Digital->SetHeight(h);
        Digital->Update();
        Digital->setfi(7);
        // x = 50 - 4 = 46, y = 20: the zero cell at 46, the 7 at 54.
        const QImage expected = Drawn(Background(), [&](TCanvas& C) {
            DrawDigit(C, 0, 46, 20, Digital->DigitOnColor(), Digital->DigitShadow());
            DrawDigit(C, 7, 54, 20, Digital->DigitOnColor(), Digital->DigitShadow());
        });
        EXPECT_TRUE(Differences(Picture(), expected).empty()) << "height " << h;
        Digital->setfi(3);
        EXPECT_TRUE(Differences(AtEvent, Background()).empty()) << "both cells erased, height " << h;
    }
}

TEST_F(DigitalTest, FormFilesKeepTheProperties)
{
    Digital->About = TQELAboutFreeStr("about");
    Digital->setfi(42);
    Digital->Setfdon(clRed);
    Digital->Setfdoff(clBlue);
    Digital->Setback(clWhite);
    Digital->SetBorder(false);
    const String text = ComponentToText(Form);
    std::unique_ptr<TComponent> copy(TextToComponent(text));
    auto* read = dynamic_cast<TQELDigital*>(copy->FindComponent("Digital1"));
    ASSERT_NE(read, nullptr) << text;
    EXPECT_EQ(read->About.ToString(), "about");
    EXPECT_EQ(read->Number(), 42);
    EXPECT_EQ(read->DigitOnColor(), clRed);
    EXPECT_EQ(read->DigitShadow(), clBlue);
    EXPECT_EQ(read->DigitBackground(), clWhite);
    EXPECT_FALSE(read->Border3D());

    Digital->About = TQELAboutFreeStr();
    EXPECT_EQ(ComponentToText(Form).find("\"About\""), String::npos) << "an empty About is not stored";
}
