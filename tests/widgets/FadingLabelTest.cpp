// The fading label: the text colour at every step, the end events and their order against the
// timer stop, Showing, the wrap past the font colour, disabled and equal-colour labels, ticks that
// arrive while a step runs, a label freed by its own handler, and form files.
#include "widgets/QELFadingLabel.h"

#include "framework/core/FormFiles.h"
#include "framework/gui/Forms.h"

#include <QImage>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace qel;

namespace {

struct TEventRecord {
    char Event;  // 'T' totally visible, 'N' not visible
    int32_t Step;
    bool FadeInHandler;
    bool operator==(const TEventRecord&) const = default;
};

class FadingLabelTest : public ::testing::Test {
protected:
    FadingLabelTest()
    {
        Form.SetBounds(40, 40, 220, 100);
        Label = new TQELFadingLabel(&Form);
        Label->SetParent(&Form);
        Label->SetSpeed(1000000);  // ticks are driven by hand
        Label->SetAutoSize(false);
        Label->SetBounds(10, 10, 160, 40);
        Label->SetCaption("Fading label");
        Label->Font()->SetSize(16);
        Label->SetColor(clWhite);
        Label->Font()->SetColor(0x204080);  // red 0x80, green 0x40, blue 0x20
        Label->OnNotVisible = [this](TObject*) { Events.push_back({'N', Label->Step(), Label->Fade()}); };
        Label->OnTotallyVisible = [this](TObject*) { Events.push_back({'T', Label->Step(), Label->Fade()}); };
    }
    void Tick(int N = 1)
    {
        for (int i = 0; i < N; ++i) Label->Setcol(Label->Timer());
    }
    int CountPixels(QRgb C) const
    {
        const QImage& img = Label->RetainedImage();
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) n += (img.pixel(x, y) | 0xFF000000u) == (C | 0xFF000000u);
        return n;
    }
    static QRgb Rgb(TColor C) { return qRgb(C & 0xFF, (C >> 8) & 0xFF, (C >> 16) & 0xFF); }
    int OtherPixels(QRgb Background) const
    {
        const QImage& img = Label->RetainedImage();
        return img.width() * img.height() - CountPixels(Background);
    }

    TForm Form{nullptr};
    TQELFadingLabel* Label;
    std::vector<TEventRecord> Events;
};

}  // namespace

TEST_F(FadingLabelTest, StartsAsDescribed)
{
    EXPECT_EQ(1, Label->Step());
    EXPECT_FALSE(Label->Rising());
    EXPECT_EQ(0, TQELFadingLabel(nullptr).TextColor());
    EXPECT_EQ(16, Label->BetweenColors());
    EXPECT_TRUE(Label->Fade());
    EXPECT_TRUE(Label->FadeAlltheTime);
    EXPECT_FALSE(Label->Showing());
    EXPECT_TRUE(Label->Transparent());
    TQELFadingLabel fresh(nullptr);
    EXPECT_EQ(2, fresh.FadeSpeed());
    EXPECT_EQ(2u, fresh.Timer()->Interval());
    EXPECT_TRUE(fresh.Timer()->Enabled());
}

TEST_F(FadingLabelTest, SixteenPositionsStepColoursAndEndEventsOverAFullCycle)
{
    Label->Update();
    Tick();  // the first tick goes to the background colour
    EXPECT_EQ(0, Label->Step());
    EXPECT_EQ(clWhite, Label->TextColor());
    EXPECT_EQ((std::vector<TEventRecord>{{'N', 0, true}}), Events);
    Tick(7);  // rising again: step 7
    EXPECT_EQ(7, Label->Step());
    EXPECT_EQ(0x97A6C4, Label->TextColor());  // 255 + MulDiv(7, d, 15) per channel
    EXPECT_GT(CountPixels(qRgb(0xC4, 0xA6, 0x97)), 0) << "the step draws at once, in the new colour";
    Tick(8);
    EXPECT_EQ(15, Label->Step());
    EXPECT_EQ(0x204080, Label->TextColor());
    EXPECT_GT(CountPixels(qRgb(0x80, 0x40, 0x20)), 0);
    Events.clear();
    Tick(14);  // back down to 1: that closes a cycle of 28 ticks from step 1
    EXPECT_EQ(1, Label->Step());
    EXPECT_EQ((std::vector<TEventRecord>{{'N', 1, true}}), Events);
    Events.clear();
    Tick(28);
    EXPECT_EQ(1, Label->Step());
    EXPECT_EQ((std::vector<TEventRecord>{{'T', 15, true}, {'N', 1, true}}), Events);
}

TEST_F(FadingLabelTest, OnePositionDividesByZeroAndFiresBothEnds)
{
    Label->SetInt(1);
    Tick();
    EXPECT_EQ(0xFEFEFE, Label->TextColor());  // background - 1 in every channel
    EXPECT_EQ((std::vector<TEventRecord>{{'T', 0, true}, {'N', 0, true}}), Events);
    Events.clear();
    Tick(3);  // 1, 2, 1
    EXPECT_EQ((std::vector<TEventRecord>{{'T', 1, true}, {'N', 1, true}, {'T', 2, true}, {'T', 1, true}, {'N', 1, true}}),
              Events);
    Label->SetColor(clBlack);
    Tick();
    EXPECT_EQ(0xFFFFFF, Label->TextColor()) << "0 - 1 wraps to 255";
}

TEST_F(FadingLabelTest, WithoutFadeAllTheTimeItStopsAtEachEndInItsOwnOrder)
{
    Label->FadeAlltheTime = false;
    Label->Timer()->SetEnabled(true);
    Tick();  // the invisible end: the event first, then the stop
    EXPECT_EQ((std::vector<TEventRecord>{{'N', 0, true}}), Events);
    EXPECT_FALSE(Label->Fade());
    EXPECT_FALSE(Label->Timer()->Enabled());
    Events.clear();
    Label->Setfade(true);  // goes on where it stopped, already turned
    EXPECT_TRUE(Label->Timer()->Enabled());
    Tick(15);  // the visible end: the stop first, then the event
    EXPECT_EQ((std::vector<TEventRecord>{{'N', 1, true}, {'T', 15, false}}), Events);
    EXPECT_FALSE(Label->Fade());
    EXPECT_FALSE(Label->Timer()->Enabled());
    EXPECT_FALSE(Label->Rising());
}

TEST_F(FadingLabelTest, ShowingJumpsToEitherEnd)
{
    Label->Setis(true);  // falling: full font colour at once
    EXPECT_TRUE(Label->Showing());
    EXPECT_EQ(15, Label->Step());
    EXPECT_EQ(0x204080, Label->TextColor());
    EXPECT_EQ((std::vector<TEventRecord>{{'T', 15, true}}), Events);
    Events.clear();
    Label->Setis(false);  // falling: pure background
    EXPECT_FALSE(Label->Showing());
    EXPECT_EQ(0, Label->Step());
    EXPECT_EQ(clWhite, Label->TextColor());
    EXPECT_EQ((std::vector<TEventRecord>{{'N', 0, true}}), Events);
}

TEST_F(FadingLabelTest, ShowingWhileRisingRunsPastTheFontColourAndWraps)
{
    Label->SetColor(clBlack);
    Label->Font()->SetColor(0x0000F0);  // red 240
    Tick();  // step 0, now rising
    ASSERT_TRUE(Label->Rising());
    Events.clear();
    Label->Setis(true);  // 16 + 1 = 17
    EXPECT_EQ(17, Label->Step());
    EXPECT_EQ(0x000010, Label->TextColor()) << "0 + MulDiv(17, 240, 15) = 272 wraps to 16";
    Tick(3);
    EXPECT_EQ((std::vector<TEventRecord>{{'T', 17, true}, {'T', 16, true}, {'T', 15, true}}), Events);
}

TEST_F(FadingLabelTest, PositionsOutsideOneTo255AreIgnored)
{
    Label->SetInt(256);
    EXPECT_EQ(16, Label->BetweenColors());
    Label->SetInt(0);
    EXPECT_EQ(16, Label->BetweenColors());
    Label->SetInt(-5);
    EXPECT_EQ(16, Label->BetweenColors());
    Label->SetInt(255);
    EXPECT_EQ(255, Label->BetweenColors());
    Label->SetInt(1);
    EXPECT_EQ(1, Label->BetweenColors());
}

TEST_F(FadingLabelTest, PaintFillsTheBackgroundAndAlignsTheText)
{
    Label->Setis(true);
    Label->SetColor(clYellow);
    Label->Update();
    const QImage& img = Label->RetainedImage();
    ASSERT_EQ(160, img.width());
    EXPECT_EQ(qRgb(255, 255, 0), img.pixel(159, 39) | 0xFF000000u) << "the background although transparent";
    auto leftmostText = [&] {
        for (int x = 0; x < img.width(); ++x)
            for (int y = 0; y < img.height(); ++y)
                if ((img.pixel(x, y) | 0xFF000000u) != qRgb(255, 255, 0)) return x;
        return -1;
    };
    const int left = leftmostText();
    EXPECT_LT(left, 10);
    Label->SetAlignment(taRightJustify);
    Label->Update();
    EXPECT_GT(leftmostText(), left + 20);
}

TEST_F(FadingLabelTest, ADisabledLabelDrawsOnlyItsBackground)
{
    Label->Setis(true);
    Label->SetEnabled(false);
    Label->Update();
    EXPECT_EQ(0, OtherPixels(qRgb(255, 255, 255)));
    Tick(3);
    EXPECT_NE(0x204080, Label->TextColor());
    EXPECT_EQ(0, OtherPixels(qRgb(255, 255, 255)));
}

TEST_F(FadingLabelTest, EqualColoursNeverShowTheTextButTheEventsFire)
{
    Label->Font()->SetColor(clWhite);
    Label->Update();
    Tick(30);
    EXPECT_EQ(0, OtherPixels(qRgb(255, 255, 255)));
    EXPECT_EQ((std::vector<TEventRecord>{{'N', 0, true}, {'N', 1, true}, {'T', 15, true}, {'N', 1, true}}), Events);
}

TEST_F(FadingLabelTest, SystemColoursAreResolvedToTheirCurrentValues)
{
    Label->SetColor(clBtnFace);
    Label->Font()->SetColor(clWindowText);
    Label->Setis(true);
    EXPECT_EQ(ColorToRGB(clWindowText), Label->TextColor());
    Label->Setis(false);
    EXPECT_EQ(ColorToRGB(clBtnFace), Label->TextColor());
    EXPECT_GE(Label->TextColor(), 0);
}

TEST_F(FadingLabelTest, TicksWithoutFadeMoveTheStepWithoutDrawing)
{
    Label->Setfade(false);
    Label->Execute();  // the timer runs, Fade stays off
    EXPECT_TRUE(Label->Timer()->Enabled());
    EXPECT_FALSE(Label->Fade());
    Label->Update();
    const QImage before = Label->RetainedImage().copy();
    Tick(16);
    EXPECT_EQ(15, Label->Step());
    EXPECT_EQ(0, Label->TextColor());
    EXPECT_EQ(before, Label->RetainedImage());
    EXPECT_EQ((std::vector<TEventRecord>{{'N', 0, false}, {'N', 1, false}, {'T', 15, false}}), Events);
    Label->Execute();
    EXPECT_FALSE(Label->Timer()->Enabled());
}

TEST_F(FadingLabelTest, ATickArrivingWhileAStepRunsIsDropped)
{
    Label->SetSpeed(1);
    Label->Timer()->SetEnabled(true);
    bool slept = false;
    Label->OnNotVisible = [&](TObject*) {
        Events.push_back({'N', Label->Step(), Label->Fade()});
        if (!slept) QThread::msleep(30);  // the timer is overdue when the step pumps the queue
        slept = true;
    };
    Tick();
    EXPECT_EQ(0, Label->Step());
    EXPECT_EQ(1u, Events.size());
    // Outside a step the timer does run the label.
    EXPECT_TRUE(QTest::qWaitFor([&] { return Events.size() >= 3; }, 2000));
}

TEST_F(FadingLabelTest, AHandlerMayFreeTheLabel)
{
    Label->OnNotVisible = [this](TObject*) { delete Label; };
    Tick();  // direct
    EXPECT_EQ(0, Form.ComponentCount());

    auto* timed = new TQELFadingLabel(&Form);
    timed->SetParent(&Form);
    bool freed = false;
    timed->OnNotVisible = [&](TObject* Sender) {
        freed = true;
        delete Sender;  // the handler goes with the label: nothing of it is used after this
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return freed; }, 2000));
    QTest::qWait(20);
    EXPECT_EQ(0, Form.ComponentCount());
}

TEST_F(FadingLabelTest, AFormFileKeepsItsProperties)
{
    Form.SetName("FadeForm");
    Label->SetName("Fader");
    Label->About = TQELAboutFreeStr("about text");
    Label->SetInt(40);
    Label->FadeAlltheTime = false;
    Label->SetSpeed(70);
    Label->Setfade(false);
    Label->SetAlignment(taCenter);
    const String text = ComponentToText(&Form);
    std::unique_ptr<TComponent> copy(TextToComponent(text));
    auto* l = As<TQELFadingLabel>(copy->FindComponent("Fader"));
    ASSERT_NE(nullptr, l);
    EXPECT_EQ("about text", l->About.ToString());
    EXPECT_EQ(40, l->BetweenColors());
    EXPECT_FALSE(l->FadeAlltheTime);
    EXPECT_EQ(70, l->FadeSpeed());
    EXPECT_EQ(70u, l->Timer()->Interval());
    EXPECT_FALSE(l->Fade());
    EXPECT_FALSE(l->Timer()->Enabled());
    EXPECT_EQ(taCenter, l->Alignment());
    EXPECT_EQ("Fading label", l->Caption());
    EXPECT_EQ(text, ComponentToText(copy.get()));
    Label->About = TQELAboutFreeStr();
    EXPECT_EQ(String::npos, ComponentToText(&Form).find("\"About\""));
}
