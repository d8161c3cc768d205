// TQELClock: what Paint and each tick draw, toggling, the dialog frame and form files.
#include "widgets/QELClock.h"

#include "framework/core/DateUtils.h"
#include "framework/core/FormFiles.h"
#include "framework/core/SysUtils.h"
#include "widgets/SevenSegment.h"
#include "widgets/WidgetTestSupport.h"

#include "framework/core/Platform.h"

using namespace qel;
using namespace qel::test;

namespace {

class TProbeClock : public TQELClock {
public:
    using TQELClock::CreateParams;
    using TQELClock::TQELClock;
};

class ClockTest : public WidgetFixture {
protected:
    ClockTest()
    {
        SetClockOverride(EncodeDate(2024, 5, 17) + EncodeTime(0, 0, 0, 0));
        Clock = Place<TProbeClock>(0, 0, 100, 40, "Clock1");
        ClockTimer()->SetEnabled(false);  // ticks come from the tests
        ShowForm();
        Clock->Update();
    }
    ~ClockTest() override { ClearClockOverride(); }

    TTimer* ClockTimer() const { return dynamic_cast<TTimer*>(Clock->Components(0)); }
    const QImage& Picture() const { return Clock->RetainedImage(); }

    // Background plus the four separator texts, as Paint must leave the control.
    QImage PaintedOnly(const String& Separator) const
    {
        QImage blank(Picture().size(), QImage::Format_RGB32);
        blank.fill(ToQColor(Clock->BackColor()));
        const int32_t a = static_cast<int32_t>(RoundHalfEven(Clock->Width() / 2.0 - 30));
        const int32_t b = static_cast<int32_t>(RoundHalfEven(Clock->Height() / 2.0 - 3));
        return Drawn(blank, [&](TCanvas& C) {
            C.Font()->Assign(Clock->Font());
            C.Font()->SetName("MS Sans Serif");
            C.Brush()->SetColor(Clock->BackColor());
            C.Font()->SetColor(Clock->DigitShadowColor());
            C.TextOut(a + 16, b - 4, Separator);
            C.TextOut(a + 40, b - 4, Separator);
            C.Font()->SetColor(Clock->DigitColor());
            C.TextOut(a + 15, b - 5, Separator);
            C.TextOut(a + 39, b - 5, Separator);
        });
    }

    // Six digit cells over a picture, at the tick's layout.
    QImage WithDigits(const QImage& Under, const std::string& Six) const
    {
        const int32_t x = static_cast<int32_t>(RoundHalfEven(Clock->Width() / 2.0 - 32));
        const int32_t y = static_cast<int32_t>(RoundHalfEven(Clock->Height() / 2.0 - 5));
        const int offsets[6] = {0, 8, 24, 32, 48, 56};
        return Drawn(Under, [&](TCanvas& C) {
            for (int i = 0; i < 6; ++i)
                DrawDigit(C, Six[i] - '0', x + offsets[i], y, Clock->DigitColor(), Clock->DigitShadowColor());
        });
    }

    void Tick() { Clock->Setclock(Clock); }

    TProbeClock* Clock;
};

const String TimeSep(1, TimeSeparator());

}  // namespace

TEST_F(ClockTest, StartsWithItsInitialValuesAndARunningTenthSecondTimer)
{
    auto* fresh = new TQELClock(Form);
    auto* timer = dynamic_cast<TTimer*>(fresh->Components(0));
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->Enabled());
    EXPECT_EQ(timer->Interval(), 100u);
    EXPECT_EQ(fresh->BackColor(), 0x808000);
    EXPECT_EQ(fresh->DigitColor(), 0x00FFFF);
    EXPECT_EQ(fresh->DigitShadowColor(), 0);
    EXPECT_FALSE(fresh->DialogFrame());
    EXPECT_EQ(fresh->DisplayType(), dtTime);
    EXPECT_EQ(fresh->Width(), 185) << "the panel's own size";
    EXPECT_EQ(fresh->Height(), 41);
}

TEST_F(ClockTest, PaintShowsOnlyTheSeparatorsAndTheNextTickDrawsAllSixDigits)
{
    const QImage painted = Picture().copy();
    EXPECT_TRUE(Differences(painted, PaintedOnly(TimeSep)).empty());
    EXPECT_FALSE(PixelsWithColor(painted, Clock->DigitColor()).empty()) << "front separators";

    Tick();
    EXPECT_TRUE(Differences(Picture(), WithDigits(painted, "000000")).empty()) << "midnight reads 00 00 00";
    EXPECT_FALSE(Clock->PaintPending()) << "a tick never invalidates";

    const QImage ticked = Picture().copy();
    Tick();
    EXPECT_TRUE(Differences(Picture(), ticked).empty()) << "nothing changed, nothing drawn";
}

TEST_F(ClockTest, AChangedPairIsOverdrawnInPlaceAndTheRestIsLeftAlone)
{
    Tick();
    const QImage before = Picture().copy();
    SetClockOverride(EncodeDate(2024, 5, 17) + EncodeTime(0, 0, 1, 0));
    Tick();
    const int32_t x = static_cast<int32_t>(RoundHalfEven(Clock->Width() / 2.0 - 32));
    const int32_t y = static_cast<int32_t>(RoundHalfEven(Clock->Height() / 2.0 - 5));
    const QImage expected = Drawn(before, [&](TCanvas& C) {
        DrawDigit(C, 0, x + 56, y, Clock->BackColor(), Clock->BackColor());
        DrawDigit(C, 1, x + 56, y, Clock->DigitColor(), Clock->DigitShadowColor());
    });
    const TPixels changed = Differences(Picture(), before);
    EXPECT_TRUE(Differences(Picture(), expected).empty());
    ASSERT_FALSE(changed.empty());
    for (auto [px, py] : changed) {
        EXPECT_GE(px, x + 55);
        EXPECT_LE(px, x + 62);
    }

    SetClockOverride(EncodeDate(2024, 5, 17) + EncodeTime(13, 7, 9, 0));
    Tick();
    EXPECT_TRUE(Differences(Picture(), WithDigits(PaintedOnly(TimeSep), "130709")).empty());
}

TEST_F(ClockTest, DateModeShowsDayMonthAndTwoDigitYearBetweenDashes)
{
    SetClockOverride(EncodeDate(2000, 3, 7) + EncodeTime(23, 59, 59, 0));
    Clock->Setdtype(dtDate);
    EXPECT_TRUE(Clock->PaintPending()) << "the setter invalidates";
    Clock->Update();
    const QImage painted = Picture().copy();
    EXPECT_TRUE(Differences(painted, PaintedOnly("-")).empty());
    Tick();
    EXPECT_TRUE(Differences(Picture(), WithDigits(painted, "070300")).empty()) << "the year 2000 reads 00";

    SetClockOverride(EncodeDate(2031, 12, 25));
    Tick();
    EXPECT_TRUE(Differences(Picture(), WithDigits(painted, "251231")).empty());
}

TEST_F(ClockTest, ClickFiresOnClickTogglesTheModeAndRepaintsThroughANewWindow)
{
    int clicks = 0;
    Clock->OnClick = [&clicks](TObject*) { ++clicks; };
    SetClockOverride(EncodeDate(2000, 1, 2) + EncodeTime(10, 20, 30, 0));
    Tick();
    Clock->Click();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(Clock->DisplayType(), dtDate);
    EXPECT_TRUE(Clock->PaintPending());
    Pump();
    Clock->Update();
    EXPECT_TRUE(Differences(Picture(), PaintedOnly("-")).empty()) << "the repaint forgets the drawn pairs";
    Tick();
    EXPECT_TRUE(Differences(Picture(), WithDigits(PaintedOnly("-"), "020100")).empty());

    Clock->Click();
    EXPECT_EQ(Clock->DisplayType(), dtTime);
    Clock->Update();
    Tick();
    EXPECT_TRUE(Differences(Picture(), WithDigits(PaintedOnly(TimeSep), "102030")).empty());
}

TEST_F(ClockTest, DialogFrameAddsTheStyleAndTheTextClock)
{
    TCreateParams plain;
    Clock->CreateParams(plain);
    EXPECT_EQ(plain.Style & WS_DLGFRAME, 0u);
    Clock->Setfloat(true);
    TCreateParams framed;
    Clock->CreateParams(framed);
    EXPECT_EQ(framed.Style & WS_DLGFRAME, WS_DLGFRAME);
    EXPECT_EQ(framed.Style & ~WS_DLGFRAME, plain.Style);
    EXPECT_EQ(framed.ExStyle, plain.ExStyle);
    EXPECT_EQ(Clock->Caption(), "Clock");
    EXPECT_EQ(framed.Caption, "Clock");
    EXPECT_LT(Clock->ClientWidth(), Clock->Width()) << "the new window has a frame";
    Pump();
    Clock->Update();
    Tick();  // draws into the smaller client picture without trouble
    EXPECT_FALSE(PixelsWithColor(Picture(), Clock->DigitShadowColor()).empty());
}

TEST_F(ClockTest, ASmallClockClipsItsCells)
{
    Clock->SetBounds(0, 0, 40, 6);
    Pump();
    Clock->Update();
    SetClockOverride(EncodeDate(2024, 5, 17) + EncodeTime(8, 8, 8, 0));
    Tick();  // x = -12, y = -2: partly outside
    EXPECT_EQ(Picture().width(), 40);
    EXPECT_FALSE(PixelsWithColor(Picture(), Clock->DigitShadowColor()).empty());
}

TEST_F(ClockTest, TheRunningTimerDrawsTheDigitsWithoutHelp)
{
    SetClockOverride(EncodeDate(2024, 5, 17) + EncodeTime(12, 34, 56, 0));
    ClockTimer()->SetEnabled(true);
    const QImage painted = Picture().copy();
    for (int i = 0; i < 50 && Differences(Picture(), painted).empty(); ++i) {
        Pump();
        Sleep(10);
    }
    EXPECT_TRUE(Differences(Picture(), WithDigits(painted, "123456")).empty());
}

TEST_F(ClockTest, FormFilesKeepThePropertiesAndSkipDeclaredDefaults)
{
    Clock->About = TQELAboutFreeStr("about text");
    Clock->Setcol(clNavy);
    Clock->Setdtype(dtDate);
    Clock->SetCDig(clLime);
    Clock->SetCShad(clMaroon);
    Clock->Setfloat(true);
    const String text = ComponentToText(Form);
    EXPECT_NE(text.find("\"DisplayType\": \"dtDate\""), String::npos) << text;
    std::unique_ptr<TComponent> copy(TextToComponent(text));
    auto* read = dynamic_cast<TQELClock*>(copy->FindComponent("Clock1"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->About.ToString(), "about text");
    EXPECT_EQ(read->BackColor(), clNavy);
    EXPECT_EQ(read->DisplayType(), dtDate);
    EXPECT_EQ(read->DigitColor(), clLime);
    EXPECT_EQ(read->DigitShadowColor(), clMaroon);
    EXPECT_TRUE(read->DialogFrame());
    EXPECT_EQ(read->ComponentCount(), 1) << "the timer is the clock's own, not read from the file";

    Clock->About = TQELAboutFreeStr();
    Clock->Setcol(0xC0C0C0);
    Clock->SetCDig(0);
    Clock->SetCShad(0x808080);
    Clock->Setfloat(false);
    const String defaults = ComponentToText(Form);
    for (const char* name : {"About", "BackColor", "DigitColor", "DigitShadowColor", "DialogFrame"})
        EXPECT_EQ(defaults.find(String("\"") + name + "\""), String::npos) << name << "\n" << defaults;

    auto* fresh = new TQELClock(Form);
    fresh->SetName("Clock2");
    const String initial = ComponentToText(Form);
    EXPECT_NE(initial.find("\"BackColor\": 8421376"), String::npos) << "teal differs from the declared default";
}
