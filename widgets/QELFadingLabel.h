#pragma once
// TQELFadingLabel: a label whose text colour steps between its background colour and its font
// colour, back and forth, on an owned timer; it reports when the text is fully shown or gone.
#include "framework/core/Timer.h"
#include "framework/gui/StdCtrls.h"
#include "widgets/QELAboutFree.h"
#include "widgets/WidgetsExport.h"

namespace qel {

class QEL_WIDGETS_EXPORT TQELFadingLabel : public TCustomLabel {
    Q_OBJECT
    Q_PROPERTY(qel::TQELAboutFreeStr About MEMBER About)
    Q_PROPERTY(bool Showing READ Showing WRITE Setis)
    Q_PROPERTY(bool Fade READ Fade WRITE Setfade)
    Q_PROPERTY(int32_t BetweenColors READ BetweenColors WRITE SetInt)
    Q_PROPERTY(bool FadeAlltheTime MEMBER FadeAlltheTime)
    Q_PROPERTY(int32_t FadeSpeed READ FadeSpeed WRITE SetSpeed)
    Q_CLASSINFO("default:About", "")

public:
    Q_INVOKABLE explicit TQELFadingLabel(TComponent* AOwner);
    ~TQELFadingLabel() override;

    bool Showing() const { return FShowing; }
    void Setis(bool Value);
    bool Fade() const { return FFade; }
    void Setfade(bool Value);
    int32_t BetweenColors() const { return FBetweenColors; }
    void SetInt(int32_t Value);  // only 1..255 is taken
    int32_t FadeSpeed() const { return FFadeSpeed; }
    void SetSpeed(int32_t Value);

    // The fade step the timer runs; also callable directly.
    void Setcol(TObject* Sender);
    void Execute();  // switches the timer on or off; Fade stays as it is

    // Where the fade stands (read-only views of its state).
    int32_t Step() const { return FStep; }
    bool Rising() const { return FRising; }
    TColor TextColor() const { return FTextColor; }
    TTimer* Timer() const { return FTimer; }

    TQELAboutFreeStr About;
    bool FadeAlltheTime = true;
    TNotifyEvent OnNotVisible;
    TNotifyEvent OnTotallyVisible;

protected:
    void Loaded() override;
    void Paint() override;
    void DrawLabel();
    void DoNotVisible();
    void DoTotallyVisible();

private:
    void TimerTick(TObject* Sender);
    void ComputeTextColor();

    TTimer* FTimer = nullptr;
    TColor FTextColor = 0;
    bool FShowing = false;
    bool FFade = true;
    int32_t FStep = 1;
    int32_t FBetweenColors = 16;
    TRect FTextRect;
    uint32_t FTextFormat = 0;
    bool FRising = false;
    int32_t FFadeSpeed = 2;
    int FStepping = 0;  // depth of running steps: a tick arriving meanwhile is dropped
};

}  // namespace qel
