#pragma once
// TQELQuickInfoForm: the box TQELQuickInfo shows, ten text rows in a frame above an OK button.
// Its layout is stored in the form resource TQELQuickInfoForm.qelform.
#include "framework/gui/Buttons.h"
#include "framework/gui/ComCtrls.h"
#include "framework/gui/ExtCtrls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StdCtrls.h"
#include "widgets/WidgetsExport.h"

#include <array>

namespace qel {

class QEL_WIDGETS_EXPORT TQELQuickInfoForm : public TForm {
    Q_OBJECT
public:
    static constexpr int LineCount = 10;

    Q_INVOKABLE explicit TQELQuickInfoForm(TComponent* AOwner);
    ~TQELQuickInfoForm() override;

    TBevel* Bevel1 = nullptr;
    std::array<TLabel*, LineCount> Labels{};  // Label1 ... Label10, top to bottom
    TBitBtn* BitBtn1 = nullptr;
    TStatusBar* StatusBar1 = nullptr;

    void BitBtn1Click(TObject* Sender);
};

}  // namespace qel
