// TQELLed: the lamp's picture, its fixed size, and the rules between the lamp and its timer.
#include "widgets/QELLed.h"

#include "framework/core/FormFiles.h"
#include "framework/gui/Forms.h"

#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace qel;

namespace {

QRgb Rgb(TColor C) { return ToQRgb(C); }

class LedTest : public ::testing::Test {
protected:
    LedTest() : Form(new TForm(nullptr)), Led(new TQELLed(Form.get()))
    {
        Form->SetName("Form1");
        Form->SetColor(clYellow);
        Led->SetName("Led1");
        Led->SetParent(Form.get());
        Led->SetBounds(4, 4, 15, 15);
    }

    TTimer* Timer() const { return dynamic_cast<TTimer*>(Led->Components(0)); }
    QRgb At(int X, int Y) const { return Led->RetainedImage().pixel(X, Y) | 0xFF000000u; }

    // '.' the parent, '#' the grey outline, 'o' the fill, 'w' white, '?' anything else.
    std::string Picture(TColor Fill) const
    {
        std::string out;
        for (int y = 0; y < 15; ++y) {
            for (int x = 0; x < 15; ++x) {
                const QRgb c = At(x, y);
                out += c == Rgb(clYellow) ? '.' : c == Rgb(clGray) ? '#' : c == Rgb(Fill) ? 'o' : c == Rgb(clWhite) ? 'w' : '?';
            }
            out += '\n';
        }
        return out;
    }

    std::unique_ptr<TForm> Form;
    TQELLed* Led;
};

// The disc Ellipse(2, 2, 14, 14) with the nine highlight pixels in its upper left.
const std::string LampPicture =
    "...............\n"
    "...............\n"
    ".....######....\n"
    "....#oooooo#...\n"
    "...#oooooooo#..\n"
    "..#ooowwwoooo#.\n"
    "..#oowwwooooo#.\n"
    "..#oowwoooooo#.\n"
    "..#oowooooooo#.\n"
    "..#oooooooooo#.\n"
    "..#oooooooooo#.\n"
    "...#oooooooo#..\n"
    "....#oooooo#...\n"
    ".....######....\n"
    "...............\n";

bool RunLoopUntil(const std::function<bool()>& Done, int TimeoutMs)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] { if (Done()) loop.quit(); });
    poll.start(1);
    QTimer::singleShot(TimeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return Done();
}

}  // namespace

TEST_F(LedTest, IsAGreenDiscWhenOffAndARedOneWhenOnWithAWhiteHighlight)
{
    Led->Update();
    EXPECT_EQ(LampPicture, Picture(clGreen));
    Led->SeTQELLed(true);
    Led->Update();
    EXPECT_EQ(LampPicture, Picture(clRed));
}

TEST_F(LedTest, TakesFifteenByFifteenAgainAtTheNextPaintWithoutAnotherPaint)
{
    Led->Update();
    Led->SetBounds(4, 4, 40, 30);
    EXPECT_EQ(40, Led->Width());
    Led->Update();
    EXPECT_EQ(15, Led->Width());
    EXPECT_EQ(15, Led->Height());
    EXPECT_FALSE(Led->PaintPending());
    EXPECT_EQ(LampPicture, Picture(clGreen));
}

TEST_F(LedTest, OnColourPaintsAtOnceWhileTheOtherSettersInvalidate)
{
    Led->SeTQELLed(true);
    Led->Update();
    Led->Setfdon(clBlue);
    EXPECT_FALSE(Led->PaintPending());
    EXPECT_EQ(Rgb(clBlue), At(10, 10));

    Led->SeTQELLed(false);
    EXPECT_TRUE(Led->PaintPending());
    EXPECT_EQ(Rgb(clBlue), At(10, 10));  // not drawn yet
    Led->Update();
    Led->Setfdoff(clNavy);
    EXPECT_TRUE(Led->PaintPending());
    EXPECT_EQ(Rgb(clGreen), At(10, 10));
    Led->Update();
    EXPECT_EQ(Rgb(clNavy), At(10, 10));
    Led->Setback(clAqua);
    EXPECT_TRUE(Led->PaintPending());
    Led->Update();
    EXPECT_EQ(Rgb(clAqua), At(6, 5));
    EXPECT_EQ(Rgb(clAqua), At(7, 6));
}

TEST_F(LedTest, BlinkLedOnAndLedOffSwitchTheTimerButNotTheBlinkingProperty)
{
    ASSERT_NE(nullptr, Timer());
    EXPECT_FALSE(Timer()->Enabled());
    EXPECT_EQ(200u, Timer()->Interval());

    Led->SeTQELLed(true);
    Led->Blink();  // a steady lamp starts blinking, off
    EXPECT_TRUE(Timer()->Enabled());
    EXPECT_FALSE(Led->LedisOn());
    EXPECT_FALSE(Led->Blinking());
    Led->SeTQELLed(true);
    Led->Blink();  // and stops, off
    EXPECT_FALSE(Timer()->Enabled());
    EXPECT_FALSE(Led->LedisOn());

    Led->Setrun(true);
    EXPECT_TRUE(Timer()->Enabled());
    Led->LedOn();
    EXPECT_FALSE(Timer()->Enabled());
    EXPECT_TRUE(Led->LedisOn());
    EXPECT_TRUE(Led->Blinking());  // still what was assigned
    Led->Setrun(true);
    Led->LedOff();
    EXPECT_FALSE(Timer()->Enabled());
    EXPECT_FALSE(Led->LedisOn());

    Led->SeTQELLed(true);  // the lamp only: the timer stays as it was
    EXPECT_FALSE(Timer()->Enabled());
    Led->Setrun(false);
    EXPECT_FALSE(Timer()->Enabled());
    EXPECT_TRUE(Led->LedisOn());
}

TEST_F(LedTest, EveryTickInvertsTheLampAndAnIntervalChangeTakesEffectWithoutRepainting)
{
    Led->Update();
    Led->Runit(nullptr);
    EXPECT_TRUE(Led->LedisOn());
    EXPECT_TRUE(Led->PaintPending());
    Led->Update();
    EXPECT_EQ(Rgb(clRed), At(10, 10));
    Led->Runit(nullptr);
    EXPECT_FALSE(Led->LedisOn());

    Led->Setrun(true);
    Led->Update();
    Led->SetInter(5);
    EXPECT_EQ(5u, Timer()->Interval());
    EXPECT_EQ(5, Led->Interval());
    EXPECT_FALSE(Led->PaintPending());

    // The real timer: the lamp comes on, then goes off again.
    EXPECT_TRUE(RunLoopUntil([&] { return Led->LedisOn(); }, 2000));
    EXPECT_TRUE(RunLoopUntil([&] { return !Led->LedisOn(); }, 2000));
    Led->LedOn();
    RunLoopUntil([] { return false; }, 30);
    EXPECT_TRUE(Led->LedisOn());
}

TEST_F(LedTest, PublishedPropertiesComeBackFromAFormFile)
{
    Led->About = TQELAboutFreeStr("lamp");
    Led->SeTQELLed(true);
    Led->Setfdon(clBlue);
    Led->Setfdoff(clMaroon);
    Led->Setback(clSilver);
    Led->SetInter(350);
    Led->Setrun(true);
    const String text = ComponentToText(Form.get());
    std::unique_ptr<TComponent> copy(TextToComponent(text));
    auto* led = dynamic_cast<TQELLed*>(copy->FindComponent("Led1"));
    ASSERT_NE(nullptr, led);
    EXPECT_EQ("lamp", led->About.ToString());
    EXPECT_TRUE(led->LedisOn());
    EXPECT_EQ(clBlue, led->LedOnColor());
    EXPECT_EQ(clMaroon, led->LedOffColor());
    EXPECT_EQ(clSilver, led->LedShadow());
    EXPECT_EQ(350, led->Interval());
    EXPECT_TRUE(led->Blinking());

    Led->About = TQELAboutFreeStr();
    EXPECT_EQ(String::npos, ComponentToText(Form.get()).find("\"About\""));
}
