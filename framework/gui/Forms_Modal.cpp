// TCustomForm, modal part: ShowModal runs a nested event loop until ModalResult is set.
#include "framework/gui/Forms.h"

#include "framework/gui/qt/WidgetBridge.h"

#include <QEventLoop>

namespace qel {

TModalResult TCustomForm::ShowModal()
{
    if (Visible() || Modal()) throw EInvalidOperation("Cannot make a visible window modal");
    FModalResult = mrNone;
    HandleNeeded();
    FWindow->SetModal(true);
    QEventLoop loop;
    FModalLoop = &loop;
    try {
        Show();
        if (FModalResult == mrNone) loop.exec();
    } catch (...) {
        FModalLoop = nullptr;
        throw;
    }
    FModalLoop = nullptr;
    Hide();
    if (FWindow) FWindow->SetModal(false);
    return FModalResult;
}

void TCustomForm::SetModalResult(TModalResult Value)
{
    FModalResult = Value;
    if (Value == mrNone || !FModalLoop) return;
    // Leaving a modal run asks the form, as closing does.
    if (!CloseQuery()) {
        FModalResult = mrNone;
        return;
    }
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) {
        FModalResult = mrNone;
        return;
    }
    FModalLoop->quit();
}

}  // namespace qel
