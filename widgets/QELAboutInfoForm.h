#pragma once
// TQELAboutInfoForm: the box TQELAboutDialog shows: the application's icon and title, a version
// line, and a list that switches between the about lines and the system lines. Its layout is
// stored in the form resource TQELAboutInfoForm.qelform.
#include "framework/core/Strings.h"
#include "framework/gui/Buttons.h"
#include "framework/gui/ExtCtrls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StdCtrls.h"
#include "widgets/WidgetsExport.h"

namespace qel {

class QEL_WIDGETS_EXPORT TQELAboutInfoForm : public TForm {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TQELAboutInfoForm(TComponent* AOwner);
    ~TQELAboutInfoForm() override;

    TPanel* Panel1 = nullptr;
    TPanel* Panel2 = nullptr;
    TPanel* Panel3 = nullptr;
    TPanel* Panel4 = nullptr;
    TPanel* Panel5 = nullptr;
    TImage* Image1 = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TListBox* ListBox1 = nullptr;
    TBitBtn* BitBtn1 = nullptr;
    TBitBtn* BitBtn2 = nullptr;

    // The lines to show; the form does not own them.
    TStrings* AboutLines = nullptr;
    TStrings* SystemLines = nullptr;

    void FormShow(TObject* Sender);
    void BitBtn1Click(TObject* Sender);
    void BitBtn2Click(TObject* Sender);

private:
    void FindControls();
    void ShowLines(TStrings* Lines);
};

// The box while TQELAboutDialog::Execute shows it; null otherwise.
extern QEL_WIDGETS_EXPORT TQELAboutInfoForm* QELAboutInfoForm;

}  // namespace qel
