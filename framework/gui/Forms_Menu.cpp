// TCustomForm: the main menu's bar.
#include "framework/gui/Forms.h"

#include "framework/gui/Menus.h"
#include "framework/gui/qt/MenuBridge.h"
#include "framework/gui/qt/WidgetBridge.h"

namespace qel {

void TCustomForm::SetMenu(TMainMenu* Value)
{
    if (Value == FMenu) return;
    if (FMenu) FMenu->RemoveFreeNotification(this);
    FMenu = Value;
    if (FMenu) FMenu->FreeNotification(this);
    ShowMenuBar();
}

void TCustomForm::ShowMenuBar()
{
    const int32_t before = FMenuHeight;
    if (HandleAllocated())
        FMenuHeight = Bridge::SetWindowMenu(FWindow.get(), FMenu ? FMenu->Items() : nullptr);
    else
        FMenuHeight = FMenu ? Bridge::MenuBarHeight() : 0;
    if (before != FMenuHeight) Realign();
}

void TCustomForm::AdjustClientRect(TRect& Rect) const
{
    TWinControl::AdjustClientRect(Rect);
    Rect.Top += FMenuHeight;
}

void TCustomForm::Resize()
{
    TWinControl::Resize();
    if (FMenu && HandleAllocated()) Bridge::SetWindowMenu(FWindow.get(), FMenu->Items());
}

}  // namespace qel
