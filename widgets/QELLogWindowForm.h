#pragma once
// TQELLogWindowForm: the window of TQELLogWindow, a rich edit under a File / Options menu. Its
// layout is stored in the form resource TQELLogWindowForm.qelform; the menu commands live in
// QELLogWindowForm.cpp.
#include "framework/gui/ComCtrls.h"
#include "framework/gui/Dialogs.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Menus.h"
#include "widgets/WidgetsExport.h"

namespace qel {

class QEL_WIDGETS_EXPORT TQELLogWindowForm : public TForm {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TQELLogWindowForm(TComponent* AOwner);
    ~TQELLogWindowForm() override;

    TRichEdit* RichEdit1 = nullptr;
    TMainMenu* MainMenu1 = nullptr;
    TMenuItem* File1 = nullptr;
    TMenuItem* New1 = nullptr;
    TMenuItem* Open1 = nullptr;
    TMenuItem* Save1 = nullptr;
    TMenuItem* N1 = nullptr;
    TMenuItem* Print1 = nullptr;
    TMenuItem* N2 = nullptr;
    TMenuItem* Exit1 = nullptr;
    TMenuItem* Edit1 = nullptr;
    TMenuItem* WordWrap1 = nullptr;
    TMenuItem* N3 = nullptr;
    TMenuItem* Font1 = nullptr;
    TMenuItem* Background1 = nullptr;
    TPrintDialog* PrintDialog1 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;
    TSaveDialog* SaveDialog1 = nullptr;
    TFontDialog* FontDialog1 = nullptr;
    TColorDialog* ColorDialog1 = nullptr;

    TNotifyEvent ExitHandler;
    TNotifyEvent OpenHandler;
    TNotifyEvent SaveHandler;

    void New1Click(TObject* Sender);
    void Open1Click(TObject* Sender);
    void Save1Click(TObject* Sender);
    void Print1Click(TObject* Sender);
    void Exit1Click(TObject* Sender);
    void WordWrap1Click(TObject* Sender);
    void Font1Click(TObject* Sender);
    void Background1Click(TObject* Sender);

private:
    void FindControls();
    void WireMenu();
};

}  // namespace qel
