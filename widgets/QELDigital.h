#pragma once
// TQELDigital: one non-negative integer as a centred row of seven-segment digits. A new number
// erases the old digits by drawing them in the background colour and draws itself at once.
#include "framework/gui/Controls.h"
#include "widgets/QELAboutFree.h"
#include "widgets/WidgetsExport.h"

namespace qel {

class QEL_WIDGETS_EXPORT TQELDigital : public TGraphicControl {
    Q_OBJECT
    Q_PROPERTY(qel::TQELAboutFreeStr About MEMBER About)
    Q_PROPERTY(int32_t Number READ Number WRITE setfi)
    Q_PROPERTY(int32_t DigitOnColor READ DigitOnColor WRITE Setfdon)
    Q_PROPERTY(int32_t DigitShadow READ DigitShadow WRITE Setfdoff)
    Q_PROPERTY(int32_t DigitBackground READ DigitBackground WRITE Setback)
    Q_PROPERTY(bool Border3D READ Border3D WRITE SetBorder)
    Q_CLASSINFO("default:About", "")

public:
    Q_INVOKABLE explicit TQELDigital(TComponent* AOwner);
    ~TQELDigital() override;

    int32_t Number() const { return FNumber; }
    void setfi(int32_t Value);  // negative values are ignored
    TColor DigitOnColor() const { return FDigitOnColor; }
    void Setfdon(TColor Value);
    TColor DigitShadow() const { return FDigitShadow; }
    void Setfdoff(TColor Value);
    TColor DigitBackground() const { return FDigitBackground; }
    void Setback(TColor Value);
    bool Border3D() const { return FBorder3D; }
    void SetBorder(bool Value);

    TQELAboutFreeStr About;
    TNotifyEvent OnNewNumber;

protected:
    void Paint() override;
    void DoNewNumber();

private:
    TPoint Origin() const;  // of the current number's first cell

    int32_t FNumber = 123456789;
    TColor FDigitOnColor = 0x00FFFF;
    TColor FDigitShadow = 0;
    TColor FDigitBackground = 0x008080;
    bool FBorder3D = true;
};

}  // namespace qel
