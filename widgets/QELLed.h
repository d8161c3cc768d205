#pragma once
// TQELLed: a 15 x 15 indicator lamp that its own timer can make blink.
#include "framework/core/Timer.h"
#include "framework/gui/Controls.h"
#include "widgets/QELAboutFree.h"
#include "widgets/WidgetsExport.h"

namespace qel {

class QEL_WIDGETS_EXPORT TQELLed : public TGraphicControl {
    Q_OBJECT
    Q_PROPERTY(qel::TQELAboutFreeStr About MEMBER About)
    Q_PROPERTY(bool LedisOn READ LedisOn WRITE SeTQELLed)
    Q_PROPERTY(int32_t LedOnColor READ LedOnColor WRITE Setfdon)
    Q_PROPERTY(int32_t LedOffColor READ LedOffColor WRITE Setfdoff)
    Q_PROPERTY(int32_t LedShadow READ LedShadow WRITE Setback)
    Q_PROPERTY(int32_t Interval READ Interval WRITE SetInter)
    Q_PROPERTY(bool Blinking READ Blinking WRITE Setrun)
    Q_CLASSINFO("default:About", "")

public:
    Q_INVOKABLE explicit TQELLed(TComponent* AOwner);
    ~TQELLed() override;

    bool LedisOn() const { return FLedisOn; }
    void SeTQELLed(bool Value);        // invalidates; the timer is left alone
    TColor LedOnColor() const { return FLedOnColor; }
    void Setfdon(TColor Value);        // paints at once
    TColor LedOffColor() const { return FLedOffColor; }
    void Setfdoff(TColor Value);
    TColor LedShadow() const { return FLedShadow; }
    void Setback(TColor Value);
    int32_t Interval() const { return FInterval; }
    void SetInter(int32_t Value);      // no repaint: the next tick comes at the new period
    bool Blinking() const { return FBlinking; }
    void Setrun(bool Value);

    // These switch the timer only: Blinking keeps what was last assigned to it.
    void LedOn();
    void LedOff();
    void Blink();
    void Runit(TObject* Sender);  // the timer's tick

    TQELAboutFreeStr About;

protected:
    void Paint() override;

private:
    int32_t FInterval = 200;
    bool FBlinking = false;
    bool FLedisOn = false;
    TTimer* FTimer = nullptr;
    TColor FLedOnColor = clRed;
    TColor FLedOffColor = clGreen;
    TColor FLedShadow = clWhite;
};

}  // namespace qel
