// TQELQuickInfoForm: loading the stored layout and the OK button.
#include "widgets/QELQuickInfoForm.h"

namespace qel {

TQELQuickInfoForm::TQELQuickInfoForm(TComponent* AOwner) : TForm(AOwner)
{
    LoadFormLayout(this, ":/qelwidgets/TQELQuickInfoForm.qelform");
    Bevel1 = As<TBevel>(FindComponent("Bevel1"));
    for (int n = 0; n < LineCount; ++n) Labels[n] = As<TLabel>(FindComponent("Label" + std::to_string(n + 1)));
    BitBtn1 = As<TBitBtn>(FindComponent("BitBtn1"));
    StatusBar1 = As<TStatusBar>(FindComponent("StatusBar1"));
    BitBtn1->OnClick = [this](TObject* Sender) { BitBtn1Click(Sender); };
}

TQELQuickInfoForm::~TQELQuickInfoForm() = default;

void TQELQuickInfoForm::BitBtn1Click(TObject*) { Close(); }

QEL_REGISTER_CLASS(TQELQuickInfoForm);

}  // namespace qel
