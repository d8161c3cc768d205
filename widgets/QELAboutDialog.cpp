#include "widgets/QELAboutDialog.h"

#include "framework/core/Application.h"
#include "widgets/QELAboutInfoForm.h"

namespace qel {

TQELAboutDialog::TQELAboutDialog(TComponent* AOwner)
    : TComponent(AOwner), VersionDescription("Version 1.0"), FFonts(std::make_unique<TFont>()),
      FActualInformation(std::make_unique<TStringList>()), FSystemInformation(std::make_unique<TStringList>())
{
}

TQELAboutDialog::~TQELAboutDialog() = default;

void TQELAboutDialog::sact(TStrings* Value) { FActualInformation->Assign(Value); }

void TQELAboutDialog::ssys(TStrings* Value) { FSystemInformation->Assign(Value); }

void TQELAboutDialog::Setfont(TFont* Value) { FFonts->Assign(Value); }

bool TQELAboutDialog::Execute()
{
    // The box reads the component's own lists while it shows them: no copies.
    std::unique_ptr<TQELAboutInfoForm> form(new TQELAboutInfoForm(Application));
    QELAboutInfoForm = form.get();
    form->SetFont(FFonts.get());
    form->AboutLines = FActualInformation.get();
    form->SystemLines = FSystemInformation.get();
    form->Label2->SetCaption(VersionDescription);
    form->ShowModal();
    return true;
}

QEL_REGISTER_CLASS(TQELAboutDialog);

}  // namespace qel
