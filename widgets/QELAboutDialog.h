#pragma once
// TQELAboutDialog: a modal "About" box for the host application (icon, title, version line and a
// list switching between about lines and system lines), built, shown and freed by Execute.
#include "framework/core/Component.h"
#include "framework/core/Strings.h"
#include "framework/gui/Graphics.h"
#include "widgets/QELAboutFree.h"
#include "widgets/WidgetsExport.h"

#include <memory>

namespace qel {

class QEL_WIDGETS_EXPORT TQELAboutDialog : public TComponent {
    Q_OBJECT
    Q_PROPERTY(qel::TQELAboutFreeStr About MEMBER About)
    Q_PROPERTY(qel::TStrings* ActualInformation READ ActualInformation WRITE sact)
    Q_PROPERTY(qel::TStrings* SystemInformation READ SystemInformation WRITE ssys)
    Q_PROPERTY(String VersionDescription MEMBER VersionDescription)
    Q_PROPERTY(qel::TFont* Fonts READ Fonts WRITE Setfont)
    Q_CLASSINFO("default:About", "")
    Q_CLASSINFO("default:VersionDescription", "Version 1.0")

public:
    Q_INVOKABLE explicit TQELAboutDialog(TComponent* AOwner);
    ~TQELAboutDialog() override;

    TStrings* ActualInformation() const { return FActualInformation.get(); }
    void sact(TStrings* Value);  // copies the lines
    TStrings* SystemInformation() const { return FSystemInformation.get(); }
    void ssys(TStrings* Value);  // copies the lines
    TFont* Fonts() const { return FFonts.get(); }
    void Setfont(TFont* Value);  // copies Value

    // Shows the box modally; True once it was closed.
    bool Execute();

    TQELAboutFreeStr About;
    String VersionDescription;

private:
    std::unique_ptr<TFont> FFonts;
    std::unique_ptr<TStringList> FActualInformation;
    std::unique_ptr<TStringList> FSystemInformation;
};

}  // namespace qel
