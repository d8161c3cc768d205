#pragma once
// TQELBevel: the framework's bevel with settable highlight and shadow colours.
#include "framework/gui/ExtCtrls.h"
#include "widgets/QELAboutFree.h"
#include "widgets/WidgetsExport.h"

namespace qel {

class QEL_WIDGETS_EXPORT TQELBevel : public TBevel {
    Q_OBJECT
    Q_PROPERTY(qel::TQELAboutFreeStr About MEMBER About)
    Q_PROPERTY(int32_t Highlight READ Highlight WRITE SetHighlight)
    Q_PROPERTY(int32_t Shadow READ Shadow WRITE SetShadow)
    Q_CLASSINFO("default:About", "")
    // The system button colours, while the constructor starts with white and black.
    Q_CLASSINFO("default:Highlight", "-2147483628")
    Q_CLASSINFO("default:Shadow", "-2147483632")

public:
    Q_INVOKABLE explicit TQELBevel(TComponent* AOwner);
    ~TQELBevel() override;

    TColor Highlight() const { return FHighlight; }
    void SetHighlight(TColor Value);
    TColor Shadow() const { return FShadow; }
    void SetShadow(TColor Value);

    TQELAboutFreeStr About;

protected:
    void Paint() override;

private:
    TColor FHighlight = clWhite;
    TColor FShadow = clBlack;
};

}  // namespace qel
