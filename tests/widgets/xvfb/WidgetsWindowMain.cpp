// On a real X screen: a clock whose timer draws outside painting, a die that paints at once when
// clicked, and a blinking LED. What the screen shows must be each control's picture, and real
// clicks must reach them.
#include "framework/core/Application.h"
#include "framework/core/DateUtils.h"
#include "framework/core/SysUtils.h"
#include "framework/gui/Forms.h"
#include "widgets/QELClock.h"
#include "widgets/QELDice.h"
#include "widgets/QELLed.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <cstdio>

using namespace qel;

namespace {

void Settle(int Ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < Ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

int Fail(const char* What)
{
    std::fprintf(stderr, "FAIL: %s\n", What);
    return 1;
}

QImage Screen(const TForm& Form, const TControl* C)
{
    const TPoint o = Form.ClientOrigin();
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, o.X + C->Left(), o.Y + C->Top(), C->Width(), C->Height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

bool OnScreenAsDrawn(const TForm& Form, const TControl* C)
{
    return Screen(Form, C) == C->RetainedImage().convertToFormat(QImage::Format_RGB32);
}

bool HasColour(const QImage& Image, QRgb Colour)
{
    for (int y = 0; y < Image.height(); ++y)
        for (int x = 0; x < Image.width(); ++x)
            if ((Image.pixel(x, y) | 0xFF000000u) == (Colour | 0xFF000000u)) return true;
    return false;
}

// A click through the top-level window, as the window system delivers it.
void ClickOn(const TForm& Form, const TControl* C)
{
    QWidget* top = QApplication::topLevelWidgets().isEmpty() ? nullptr : QApplication::activeWindow();
    const TPoint o = Form.ClientOrigin();
    const QPoint global(o.X + C->Left() + C->Width() / 2, o.Y + C->Top() + C->Height() / 2);
    QWindow* window = top ? top->windowHandle() : QGuiApplication::topLevelWindows().first();
    QTest::mouseClick(window, Qt::LeftButton, {}, window->mapFromGlobal(global));
    Settle(300);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.png\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    Application->Initialize(argc, argv);
    SetClockOverride(EncodeDate(2000, 1, 1) + EncodeTime(10, 30, 45, 0));
    RandSeed(7);
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(0, 0, 260, 80);
    auto* clock = new TQELClock(&form);
    clock->SetParent(&form);
    clock->SetBounds(10, 10, 120, 36);
    auto* die = new TQELDice(&form);
    die->SetParent(&form);
    die->SetLeft(150);
    die->SetTop(10);
    int rolls = 0;
    die->OnClick = [&](TObject*) { ++rolls; die->Roll(); };
    auto* led = new TQELLed(&form);
    led->SetParent(&form);
    led->SetLeft(200);
    led->SetTop(20);
    led->SetInter(100);
    led->Setrun(true);
    form.Show();
    Settle(1000);

    if (!HasColour(Screen(form, clock), qRgb(255, 255, 0))) return Fail("the clock's timer drew its digits on screen");
    if (!OnScreenAsDrawn(form, clock)) return Fail("the screen shows the clock as it drew itself");
    if (!OnScreenAsDrawn(form, die)) return Fail("the screen shows the die's face");

    const int before = die->Value();
    for (int i = 0; i < 4 && die->Value() == before; ++i) ClickOn(form, die);
    if (rolls == 0) return Fail("a click on the die reaches its OnClick");
    if (die->Value() == before) return Fail("rolling changed the face within four clicks");
    if (!OnScreenAsDrawn(form, die)) return Fail("the rolled face is on screen at once");

    ClickOn(form, clock);
    Settle(400);
    if (clock->DisplayType() != dtDate) return Fail("a click on the clock shows the date");
    if (!HasColour(Screen(form, clock), qRgb(255, 255, 0)) || !OnScreenAsDrawn(form, clock))
        return Fail("the date's digits are on screen after the repaint and a tick");

    // The LED blinks by itself: both fill colours appear on screen within a second.
    bool sawOn = false, sawOff = false;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 1500 && !(sawOn && sawOff)) {
        Settle(40);
        const QImage lamp = Screen(form, led);
        sawOn |= HasColour(lamp, qRgb(255, 0, 0));
        sawOff |= HasColour(lamp, qRgb(0, 128, 0));
    }
    if (!sawOn || !sawOff) return Fail("the blinking LED shows both colours on screen");

    const TPoint o = form.ClientOrigin();
    QGuiApplication::primaryScreen()->grabWindow(0, o.X, o.Y, form.ClientWidth(), form.ClientHeight()).save(argv[1]);
    std::printf("ok: clock, die and LED on a real screen, screenshot %s\n", argv[1]);
    return 0;
}
