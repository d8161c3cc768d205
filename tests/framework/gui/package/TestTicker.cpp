// A component library for qel-render's tests: a control that draws on its canvas from a timer
// (outside Paint), shows the framework's clock in Paint, and has a method with arguments.
//
// Rows of its 100x40 picture, over its parent (a graphic control has no background of its own):
//   y 0..9    black bar, as many pixels wide as the clock's seconds (Now)
//   y 15..24  one 8x10 green block per timer tick, 10 px apart (drawn by the timer only)
//   y 30..39  bar of Level*10 pixels, red when filled, blue when not (SetLevel)
#include "framework/core/DateUtils.h"
#include "framework/core/Timer.h"
#include "framework/gui/Canvas.h"
#include "framework/gui/Controls.h"

namespace qel_test_ticker {

using namespace qel;

class TTestTicker : public TGraphicControl {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TTestTicker(TComponent* AOwner) : TGraphicControl(AOwner)
    {
        SetBounds(0, 0, 100, 40);
        FTimer = new TTimer(this);
        // Long enough that the event loop never fires it during a render: ticks come from --tick.
        FTimer->SetInterval(60000);
        FTimer->OnTimer = [this](TObject*) { Tick(); };
    }

    Q_INVOKABLE void SetLevel(int32_t Level, bool Filled)
    {
        FLevel = Level;
        FFilled = Filled;
        Invalidate();
    }

protected:
    void Paint() override
    {
        Word h = 0, m = 0, s = 0, ms = 0;
        DecodeTime(Now(), h, m, s, ms);
        Bar(Rect(0, 0, s, 10), clBlack);
        Bar(Rect(0, 30, FLevel * 10, 40), FFilled ? clRed : clBlue);
    }

private:
    void Tick()
    {
        Update();  // the picture the tick draws over
        Bar(Rect(FTicks * 10, 15, FTicks * 10 + 8, 25), clLime);
        ++FTicks;
    }

    void Bar(const TRect& R, TColor Color)
    {
        Canvas()->Brush()->SetColor(Color);
        Canvas()->FillRect(R);
    }

    TTimer* FTimer = nullptr;
    int32_t FTicks = 0;
    int32_t FLevel = 0;
    bool FFilled = false;
};

QEL_REGISTER_CLASS(TTestTicker);

}  // namespace qel_test_ticker

#include "TestTicker.moc"
