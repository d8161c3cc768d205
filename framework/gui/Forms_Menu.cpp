// TCustomForm: the main menu's bar.
#include "framework/gui/Forms.h"

#include "framework/gui/Menus.h"
#include "framework/gui/qt/MenuBridge.h"
#include "framework/gui/qt/WidgetBridge.h"

namespace qel {

namespace {

bool HasVisibleItems(const TMainMenu* Menu)
{
    if (!Menu) return false;
    const TMenuItem* root = Menu->Items();
    for (int i = 0; i < root->Count(); ++i)
        if (root->Items(i)->Visible()) return true;
    return false;
}

}  // namespace

void TCustomForm::SetMenu(TMainMenu* Value)
{
    if (Value == FMenu) return;
    if (FMenu) {
        FMenu->RemoveFreeNotification(this);
        FMenu->OnBarChanged = nullptr;
    }
    FMenu = Value;
    if (FMenu) {
        FMenu->FreeNotification(this);
        FMenu->OnBarChanged = [this] { ShowMenuBar(); };
    }
    ShowMenuBar();
}

void TCustomForm::ShowMenuBar()
{
    // Items arrive after the Menu reference while a form file is read: Loaded measures the bar.
    if (ComponentState().Contains(csLoading)) return;
    const TRect before = ClientRect();
    TMenuItem* root = HasVisibleItems(FMenu) ? FMenu->Items() : nullptr;
    if (HandleAllocated())
        FMenuHeight = Bridge::SetWindowMenu(FWindow.get(), root);
    else
        FMenuHeight = root ? Bridge::MenuBarHeight() : 0;
    if (ClientRect() == before) return;
    ResizeImage();
    Realign();
}

// The window takes the bar out of its client area; until it exists, the same is foreseen here.
TRect TCustomForm::ClientRect() const
{
    TRect r = TWinControl::ClientRect();
    if (!HandleAllocated()) r.Bottom = std::max(r.Bottom - FMenuHeight, 0);
    return r;
}

// A form file stores ClientHeight: it stays what was stored, whatever the bar's height.
void TCustomForm::Loaded()
{
    const int32_t client = ClientHeight();
    TWinControl::Loaded();
    ShowMenuBar();
    if (ClientHeight() != client) SetClientHeight(client);
}

}  // namespace qel
