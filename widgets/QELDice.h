#pragma once
// TQELDice: one 32 x 32 die face with 0 to 6 pips; a held die ignores rolls.
#include "framework/gui/Controls.h"
#include "widgets/QELAboutFree.h"
#include "widgets/WidgetsExport.h"

namespace qel {

class QEL_WIDGETS_EXPORT TQELDice : public TGraphicControl {
    Q_OBJECT
    Q_PROPERTY(qel::TQELAboutFreeStr About MEMBER About)
    Q_PROPERTY(int32_t Value READ Value WRITE SetValue)
    Q_PROPERTY(bool Hold READ Hold WRITE Holdit)
    Q_PROPERTY(int32_t DotColor READ DotColor WRITE SetDotColor)
    Q_PROPERTY(int32_t NormalBackground READ NormalBackground WRITE Setback)
    Q_PROPERTY(int32_t HoldBackground READ HoldBackground WRITE Sethback)
    Q_CLASSINFO("default:About", "")
    Q_CLASSINFO("default:Value", "1")
    Q_CLASSINFO("default:Hold", "false")
    Q_CLASSINFO("default:DotColor", "0")  // while the constructor starts it white

public:
    static constexpr int32_t FaceSize = 32;

    Q_INVOKABLE explicit TQELDice(TComponent* AOwner);
    ~TQELDice() override;

    int32_t Value() const { return FValue; }
    void SetValue(int32_t v);           // 0..6, paints at once
    bool Hold() const { return FHold; }
    void Holdit(bool Value);            // paints at once
    TColor DotColor() const { return FDotColor; }
    void SetDotColor(TColor Value);     // paints at once
    TColor NormalBackground() const { return FNormalBackground; }
    void Setback(TColor Value);
    TColor HoldBackground() const { return FHoldBackground; }
    void Sethback(TColor Value);

    // Uses the process-wide generator and never seeds it: seeding is the host's business.
    void Roll();

    TQELAboutFreeStr About;

protected:
    void Paint() override;

private:
    int32_t FValue = 1;
    TColor FDotColor = clWhite;
    TColor FNormalBackground = clBlack;
    TColor FHoldBackground = clBlack;
    bool FHold = false;
};

}  // namespace qel
