// TQELAboutInfoForm: loading the stored layout, filling the box when shown, and its buttons.
#include "widgets/QELAboutInfoForm.h"

#include "framework/core/Application.h"
#include "framework/gui/GuiApplication.h"

namespace qel {

TQELAboutInfoForm* QELAboutInfoForm = nullptr;

namespace {
const String SystemCaption = "System Information";
const String AboutCaption = "About Information";
}  // namespace

TQELAboutInfoForm::TQELAboutInfoForm(TComponent* AOwner) : TForm(AOwner)
{
    LoadFormLayout(this, ":/qelwidgets/TQELAboutInfoForm.qelform");
    FindControls();
    OnShow = [this](TObject* Sender) { FormShow(Sender); };
    BitBtn1->OnClick = [this](TObject* Sender) { BitBtn1Click(Sender); };
    BitBtn2->OnClick = [this](TObject* Sender) { BitBtn2Click(Sender); };
}

// Never leaves the process-wide reference pointing at a freed box.
TQELAboutInfoForm::~TQELAboutInfoForm()
{
    if (QELAboutInfoForm == this) QELAboutInfoForm = nullptr;
}

void TQELAboutInfoForm::FindControls()
{
    Panel1 = As<TPanel>(FindComponent("Panel1"));
    Panel2 = As<TPanel>(FindComponent("Panel2"));
    Panel3 = As<TPanel>(FindComponent("Panel3"));
    Panel4 = As<TPanel>(FindComponent("Panel4"));
    Panel5 = As<TPanel>(FindComponent("Panel5"));
    Image1 = As<TImage>(FindComponent("Image1"));
    Label1 = As<TLabel>(FindComponent("Label1"));
    Label2 = As<TLabel>(FindComponent("Label2"));
    ListBox1 = As<TListBox>(FindComponent("ListBox1"));
    BitBtn1 = As<TBitBtn>(FindComponent("BitBtn1"));
    BitBtn2 = As<TBitBtn>(FindComponent("BitBtn2"));
}

void TQELAboutInfoForm::FormShow(TObject*)
{
    ShowLines(AboutLines);
    TIcon* icon = GuiApplication().Icon();
    if (icon && !icon->Empty())
        Image1->Picture()->Assign(icon);
    else
        Image1->Picture()->Assign(nullptr);
    Label1->SetCaption(Application->Title());
    BitBtn2->SetCaption(SystemCaption);
}

void TQELAboutInfoForm::BitBtn1Click(TObject*) { Close(); }

// The caption always names the list the next click shows.
void TQELAboutInfoForm::BitBtn2Click(TObject*)
{
    if (BitBtn2->Caption() != AboutCaption) {
        BitBtn2->SetCaption(AboutCaption);
        ShowLines(SystemLines);
    } else {
        BitBtn2->SetCaption(SystemCaption);
        ShowLines(AboutLines);
    }
}

void TQELAboutInfoForm::ShowLines(TStrings* Lines)
{
    ListBox1->Items()->Clear();
    if (Lines) ListBox1->Items()->Assign(Lines);
}

QEL_REGISTER_CLASS(TQELAboutInfoForm);

}  // namespace qel
