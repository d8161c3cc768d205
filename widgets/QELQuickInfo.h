#pragma once
// TQELQuickInfo: a small modal, always-on-top box with ten text lines and an OK button, built,
// shown and freed by Execute.
#include "framework/core/Component.h"
#include "framework/gui/Controls.h"
#include "framework/gui/Graphics.h"
#include "widgets/QELAboutFree.h"
#include "widgets/WidgetsExport.h"

#include <array>
#include <memory>

namespace qel {

class QEL_WIDGETS_EXPORT TQELQuickInfo : public TComponent {
    Q_OBJECT
    Q_PROPERTY(qel::TQELAboutFreeStr About MEMBER About)
    Q_PROPERTY(String Line1 MEMBER Line1)
    Q_PROPERTY(String Line2 MEMBER Line2)
    Q_PROPERTY(String Line3 MEMBER Line3)
    Q_PROPERTY(String Line4 MEMBER Line4)
    Q_PROPERTY(String Line5 MEMBER Line5)
    Q_PROPERTY(String Line6 MEMBER Line6)
    Q_PROPERTY(String Line7 MEMBER Line7)
    Q_PROPERTY(String Line8 MEMBER Line8)
    Q_PROPERTY(String Line9 MEMBER Line9)
    Q_PROPERTY(String Line10 MEMBER Line10)
    Q_PROPERTY(qel::TFont* Fonts READ Fonts WRITE Setfon)
    Q_PROPERTY(qel::TControl::TAlignment Alignment MEMBER Alignment)
    Q_PROPERTY(String InfoboxCaption MEMBER InfoboxCaption)
    Q_CLASSINFO("default:About", "")
    // The credit text is declared once, here: the constructor takes its lines from these.
    Q_CLASSINFO("default:Line1", "TQELQuickInfo")
    Q_CLASSINFO("default:Line2", "Quick information box component")
    Q_CLASSINFO("default:Line3", "Version 1.0")
    Q_CLASSINFO("default:Line4", "Dated 2024-05-01")
    Q_CLASSINFO("default:Line5", "")
    Q_CLASSINFO("default:Line6", "Made by qelwidgets")
    Q_CLASSINFO("default:Line7", "a library of small components")
    Q_CLASSINFO("default:Line8", "")
    Q_CLASSINFO("default:Line9", "This component is the property of qelwidgets.")
    Q_CLASSINFO("default:Line10", "All rights reserved.")
    Q_CLASSINFO("default:Alignment", "taCenter")
    Q_CLASSINFO("default:InfoboxCaption", "Quick Information Box")

public:
    static constexpr int LineCount = 10;

    Q_INVOKABLE explicit TQELQuickInfo(TComponent* AOwner);
    ~TQELQuickInfo() override;

    TFont* Fonts() const { return FFonts.get(); }
    void Setfon(TFont* Value);  // copies Value

    // Shows the box modally; True once it was closed.
    bool Execute();

    TQELAboutFreeStr About;
    String Line1, Line2, Line3, Line4, Line5, Line6, Line7, Line8, Line9, Line10;
    TAlignment Alignment = taCenter;
    String InfoboxCaption;

    // Line1 ... Line10 in order.
    std::array<String*, LineCount> Lines();

private:
    std::unique_ptr<TFont> FFonts;
};

}  // namespace qel
