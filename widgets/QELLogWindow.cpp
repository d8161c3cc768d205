#include "widgets/QELLogWindow.h"

#include "framework/core/Application.h"
#include "framework/core/Guarded.h"
#include "framework/core/SysUtils.h"
#include "framework/gui/Dialogs.h"
#include "widgets/QELLogWindowForm.h"

namespace qel {

namespace {

// Reads null as soon as the window is freed, so Log and Clear never reach a freed window.
TGuarded<TQELLogWindowForm> CurrentWindow;

}  // namespace

TQELLogWindow::TQELLogWindow(TComponent* AOwner)
    : TComponent(AOwner), FLogWindowFonts(std::make_unique<TFont>()), FLogWindowIcon(std::make_unique<TIcon>())
{
}

TQELLogWindow::~TQELLogWindow() = default;

void TQELLogWindow::Setfont(TFont* Value) { FLogWindowFonts->Assign(Value); }

void TQELLogWindow::SetIco(TIcon* Value) { FLogWindowIcon->Assign(Value); }

TQELLogWindowForm* TQELLogWindow::Window() { return CurrentWindow.Get(); }

void TQELLogWindow::Log(const String& S)
{
    if (!CurrentWindow.Assigned()) return;
    CurrentWindow->RichEdit1->Lines()->Add(S);
    CurrentWindow->RichEdit1->Repaint();
}

void TQELLogWindow::Clear()
{
    if (CurrentWindow.Assigned()) CurrentWindow->RichEdit1->Lines()->Clear();
}

void TQELLogWindow::DoOnExecute()
{
    if (OnExecute) OnExecute(this);
}

bool TQELLogWindow::execute()
{
    auto* form = new TQELLogWindowForm(Application);
    CurrentWindow = form;
    // Handlers may free the window themselves; the guard then frees nothing.
    TGuarded<TQELLogWindowForm> guard(form);
    try {
        ApplyLook(form);
        ApplyMenu(form);
        DoOnExecute();
        if (guard.Assigned()) ApplyWindow(form);
        if (guard.Assigned()) OpenFile(form);
        if (guard.Assigned()) form->ShowModal();
    } catch (...) {
        delete guard.Get();
        throw;
    }
    delete guard.Get();
    return true;
}

void TQELLogWindow::ApplyLook(TQELLogWindowForm* Form)
{
    Form->SetWindowState(wsNormal);
    Form->SetPosition(poDesigned);
    Form->SetFormStyle(fsStayOnTop);
    Form->Repaint();
    Form->SetCaption(FLogWindowCaption);
    Form->RichEdit1->Font()->Assign(FLogWindowFonts.get());
    Form->RichEdit1->SetColor(FLogWindowColor);
}

void TQELLogWindow::ApplyMenu(TQELLogWindowForm* Form)
{
    for (TMenuItem* item : {Form->File1, Form->New1, Form->Save1, Form->Print1, Form->Exit1})
        item->SetVisible(FFileMenu);
    for (TMenuItem* item : {Form->Edit1, Form->Open1, Form->N1, Form->N2}) item->SetVisible(false);
    Form->RichEdit1->SetReadOnly(FReadonly);
    Form->New1->SetCaption("&Clear");
}

void TQELLogWindow::ApplyWindow(TQELLogWindowForm* Form)
{
    Form->ExitHandler = OnExit;
    Form->SetWidth(FWindowWidth);
    Form->SetHeight(FWindowHeight);
    Form->SaveHandler = OnSaveFile;
    Form->OpenHandler = nullptr;
    Form->Icon()->Assign(FLogWindowIcon.get());
    Form->SetBorderIcons(FBorderIcons);
    Form->SetWindowState(FWindowstate);
    Form->SetPosition(FWindowPosition);
}

void TQELLogWindow::OpenFile(TQELLogWindowForm* Form)
{
    if (!FOpenFileOnExecute) return;
    if (FOpenFilename.empty())
        ShowMessage("Please specify a File to open");
    else if (!FileExists(FOpenFilename))
        ShowMessage("File to open does not exist");
    else
        Form->RichEdit1->Lines()->LoadFromFile(FOpenFilename);
}

QEL_REGISTER_CLASS(TQELLogWindow);

}  // namespace qel
