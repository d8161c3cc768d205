#pragma once
// TQELClock: a panel showing the time of day or the date as three pairs of seven-segment digits.
// A 100 ms timer redraws only the pairs that changed, straight on the canvas; a click toggles
// between time and date.
#include "framework/core/Timer.h"
#include "framework/gui/ExtCtrls.h"
#include "widgets/QELAboutFree.h"
#include "widgets/WidgetsExport.h"

#include <array>

namespace qel {

class QEL_WIDGETS_EXPORT TQELClock : public TCustomPanel {
    Q_OBJECT
public:
    enum TQELDateTime { dtTime, dtDate };
    Q_ENUM(TQELDateTime)

private:
    Q_PROPERTY(qel::TQELAboutFreeStr About MEMBER About)
    Q_PROPERTY(int32_t BackColor READ BackColor WRITE Setcol)
    Q_PROPERTY(bool DialogFrame READ DialogFrame WRITE Setfloat)
    Q_PROPERTY(TQELDateTime DisplayType READ DisplayType WRITE Setdtype)
    Q_PROPERTY(int32_t DigitColor READ DigitColor WRITE SetCDig)
    Q_PROPERTY(int32_t DigitShadowColor READ DigitShadowColor WRITE SetCShad)
    Q_CLASSINFO("default:About", "")
    Q_CLASSINFO("default:BackColor", "12632256")
    Q_CLASSINFO("default:DialogFrame", "false")
    Q_CLASSINFO("default:DigitColor", "0")
    Q_CLASSINFO("default:DigitShadowColor", "8421504")

public:
    Q_INVOKABLE explicit TQELClock(TComponent* AOwner);
    ~TQELClock() override;

    TColor BackColor() const { return FBackColor; }
    void Setcol(TColor Value);
    bool DialogFrame() const { return FDialogFrame; }
    void Setfloat(bool Value);
    TQELDateTime DisplayType() const { return FDisplayType; }
    void Setdtype(TQELDateTime Value);
    TColor DigitColor() const { return FDigitColor; }
    void SetCDig(TColor Value);
    TColor DigitShadowColor() const { return FDigitShadowColor; }
    void SetCShad(TColor Value);

    void Setclock(TObject* Sender);  // the timer's handler
    void Click() override;

    TQELAboutFreeStr About;

protected:
    void Loaded() override;
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;

private:
    using TPairs = std::array<String, 3>;
    TPairs CurrentPairs() const;
    void DrawPair(const String& Pair, int32_t X, int32_t Y, TColor ColorA, TColor ColorB);

    TPairs FShown;    // "99": not drawn yet
    TPairs FCurrent;  // from the latest tick
    TTimer* FTimer = nullptr;
    TQELDateTime FDisplayType = dtTime;
    TColor FBackColor = 0x808000;
    bool FDialogFrame = false;
    TColor FDigitColor = 0x00FFFF;
    TColor FDigitShadowColor = 0;
};

using TQELDateTime = TQELClock::TQELDateTime;
using enum TQELClock::TQELDateTime;

}  // namespace qel
