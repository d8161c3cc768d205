// TQELLogWindowForm: loading the stored layout and the menu commands.
#include "widgets/QELLogWindowForm.h"

#include "framework/core/SysUtils.h"
#include "framework/gui/Printers.h"

namespace qel {

TQELLogWindowForm::TQELLogWindowForm(TComponent* AOwner) : TForm(AOwner)
{
    LoadFormLayout(this, ":/qelwidgets/TQELLogWindowForm.qelform");
    FindControls();
    WireMenu();
}

TQELLogWindowForm::~TQELLogWindowForm() = default;

void TQELLogWindowForm::FindControls()
{
    RichEdit1 = As<TRichEdit>(FindComponent("RichEdit1"));
    MainMenu1 = As<TMainMenu>(FindComponent("MainMenu1"));
    File1 = As<TMenuItem>(FindComponent("File1"));
    New1 = As<TMenuItem>(FindComponent("New1"));
    Open1 = As<TMenuItem>(FindComponent("Open1"));
    Save1 = As<TMenuItem>(FindComponent("Save1"));
    N1 = As<TMenuItem>(FindComponent("N1"));
    Print1 = As<TMenuItem>(FindComponent("Print1"));
    N2 = As<TMenuItem>(FindComponent("N2"));
    Exit1 = As<TMenuItem>(FindComponent("Exit1"));
    Edit1 = As<TMenuItem>(FindComponent("Edit1"));
    WordWrap1 = As<TMenuItem>(FindComponent("WordWrap1"));
    N3 = As<TMenuItem>(FindComponent("N3"));
    Font1 = As<TMenuItem>(FindComponent("Font1"));
    Background1 = As<TMenuItem>(FindComponent("Background1"));
    PrintDialog1 = As<TPrintDialog>(FindComponent("PrintDialog1"));
    OpenDialog1 = As<TOpenDialog>(FindComponent("OpenDialog1"));
    SaveDialog1 = As<TSaveDialog>(FindComponent("SaveDialog1"));
    FontDialog1 = As<TFontDialog>(FindComponent("FontDialog1"));
    ColorDialog1 = As<TColorDialog>(FindComponent("ColorDialog1"));
}

void TQELLogWindowForm::WireMenu()
{
    New1->OnClick = [this](TObject* Sender) { New1Click(Sender); };
    Open1->OnClick = [this](TObject* Sender) { Open1Click(Sender); };
    Save1->OnClick = [this](TObject* Sender) { Save1Click(Sender); };
    Print1->OnClick = [this](TObject* Sender) { Print1Click(Sender); };
    Exit1->OnClick = [this](TObject* Sender) { Exit1Click(Sender); };
    WordWrap1->OnClick = [this](TObject* Sender) { WordWrap1Click(Sender); };
    Font1->OnClick = [this](TObject* Sender) { Font1Click(Sender); };
    Background1->OnClick = [this](TObject* Sender) { Background1Click(Sender); };
}

void TQELLogWindowForm::New1Click(TObject*)
{
    RichEdit1->Lines()->Clear();
    SetCaption({});
}

void TQELLogWindowForm::Open1Click(TObject*)
{
    if (OpenDialog1->Execute()) {
        RichEdit1->Lines()->Clear();
        RichEdit1->Lines()->LoadFromFile(OpenDialog1->FileName());
        SetCaption(OpenDialog1->FileName());
        if (OpenHandler) OpenHandler(this);
    }
    SetCaption(UpperCase(Caption()));
}

void TQELLogWindowForm::Save1Click(TObject*)
{
    SaveDialog1->SetFileName(Caption());
    if (SaveDialog1->Execute()) {
        RichEdit1->Lines()->SaveToFile(SaveDialog1->FileName());
        SetCaption(SaveDialog1->FileName());
        if (SaveHandler) SaveHandler(this);
    }
    SetCaption(UpperCase(Caption()));
}

void TQELLogWindowForm::Print1Click(TObject*)
{
    if (!PrintDialog1->Execute()) return;
    TPrinterText prn;
    prn.Rewrite();
    try {
        Printer().Canvas()->Font()->Assign(RichEdit1->Font());
        for (int i = 0; i < RichEdit1->Lines()->Count(); ++i) prn.WriteLn(RichEdit1->Lines()->Get(i));
        prn.Close();
    } catch (...) {
        // A half-written document would block every later print.
        Printer().Abort();
        throw;
    }
}

void TQELLogWindowForm::Exit1Click(TObject*)
{
    if (ExitHandler) ExitHandler(this);
    Close();
}

void TQELLogWindowForm::WordWrap1Click(TObject*)
{
    WordWrap1->SetChecked(!WordWrap1->Checked());
    RichEdit1->SetWordWrap(WordWrap1->Checked());
}

void TQELLogWindowForm::Font1Click(TObject*)
{
    if (FontDialog1->Execute()) RichEdit1->Font()->Assign(FontDialog1->Font());
}

void TQELLogWindowForm::Background1Click(TObject*)
{
    if (ColorDialog1->Execute()) RichEdit1->SetColor(ColorDialog1->Color());
}

QEL_REGISTER_CLASS(TQELLogWindowForm);

}  // namespace qel
