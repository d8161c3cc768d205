#include "framework/gui/Menus.h"

#include "framework/gui/qt/MenuBridge.h"

#include <algorithm>
#include <atomic>

namespace qel {

namespace {
std::atomic<uint32_t> NextCommand{1};
}

TMenuItem::TMenuItem(TComponent* AOwner)
    : TComponent(AOwner), FCommand(NextCommand++), FHandle(std::make_unique<Bridge::TMenuHandle>(this))
{
    FHandle->Sync();
}

TMenuItem::~TMenuItem()
{
    // Sub-items go with their parent, whoever owns them.
    while (!FItems.empty()) delete FItems.back();
    if (FParent) FParent->Remove(this);
}

void TMenuItem::SetCaption(const String& Value)
{
    FCaption = Value;
    FHandle->Sync();
    BarChanged();
}

void TMenuItem::SetChecked(bool Value)
{
    FChecked = Value;
    if (Value && FRadioItem) UncheckGroup();
    FHandle->Sync();
}

void TMenuItem::UncheckGroup()
{
    if (!FParent) return;
    for (TMenuItem* i : FParent->FItems)
        if (i != this && i->FRadioItem && i->FGroupIndex == FGroupIndex && i->FChecked) i->SetChecked(false);
}

void TMenuItem::SetEnabled(bool Value) { FEnabled = Value; FHandle->Sync(); }
void TMenuItem::SetVisible(bool Value)
{
    FVisible = Value;
    FHandle->Sync();
    BarChanged();
}
void TMenuItem::SetAutoCheck(bool Value) { FAutoCheck = Value; FHandle->Sync(); }
void TMenuItem::SetRadioItem(bool Value) { FRadioItem = Value; FHandle->Sync(); }
void TMenuItem::SetShortCut(TShortCut Value) { FShortCut = Value; FHandle->Sync(); }

TMenuItem* TMenuItem::Items(int Index) const
{
    if (Index < 0 || Index >= Count()) throw EListError("Menu index out of bounds (" + std::to_string(Index) + ")");
    return FItems[static_cast<size_t>(Index)];
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item)
{
    if (Index < 0 || Index > Count()) throw EListError("Menu index out of bounds (" + std::to_string(Index) + ")");
    if (Item->FParent) throw EComponentError("Menu item already has a parent");
    FItems.insert(FItems.begin() + Index, Item);
    Item->FParent = this;
    FHandle->ChildrenChanged();
    Item->BarChanged();
}

void TMenuItem::Delete(int Index) { delete Items(Index); }

void TMenuItem::Remove(TMenuItem* Item)
{
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    if (it == FItems.end()) return;
    FItems.erase(it);
    Item->FParent = nullptr;
    FHandle->ChildrenChanged();
    if (auto* main = dynamic_cast<TMainMenu*>(FMenu); main && main->OnBarChanged) main->OnBarChanged();
}

void TMenuItem::BarChanged() const
{
    auto* main = FParent ? dynamic_cast<TMainMenu*>(FParent->FMenu) : nullptr;
    if (main && main->OnBarChanged) main->OnBarChanged();
}

int TMenuItem::IndexOf(const TMenuItem* Item) const
{
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

TMenu* TMenuItem::Menu() const
{
    const TMenuItem* i = this;
    while (i->FParent) i = i->FParent;
    return i->FMenu;
}

TMenuItem* TMenuItem::Find(uint32_t ACommand)
{
    if (FCommand == ACommand) return this;
    for (TMenuItem* i : FItems)
        if (TMenuItem* found = i->Find(ACommand)) return found;
    return nullptr;
}

TComponent* TMenuItem::ParentItem() const
{
    if (FParent && FParent->FMenu) return FParent->FMenu;
    return FParent;
}

void TMenuItem::SetParentItem(TComponent* Value)
{
    TMenuItem* target = nullptr;
    if (auto* m = dynamic_cast<TMenu*>(Value)) target = m->Items();
    else if (Value) target = dynamic_cast<TMenuItem*>(Value);
    if (Value && !target) throw EComponentError("ParentItem must be a menu or a menu item");
    if (target == FParent) return;
    if (FParent) FParent->Remove(this);
    if (target) target->Add(this);
}

int32_t TMenuItem::MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }

void TMenuItem::SetMenuIndex(int32_t Value)
{
    FStoredIndex = Value;
    if (ComponentState().Contains(csLoading) || !FParent) return;
    TMenuItem* p = FParent;
    p->Remove(this);
    p->Insert(std::clamp(Value, 0, p->Count()), this);
}

void TMenuItem::Loaded()
{
    TComponent::Loaded();
    if (FParent) FParent->SortByStoredIndex();
}

void TMenuItem::SortByStoredIndex()
{
    std::stable_sort(FItems.begin(), FItems.end(),
                     [](const TMenuItem* A, const TMenuItem* B) { return A->FStoredIndex < B->FStoredIndex; });
    FHandle->ChildrenChanged();
}

void TMenuItem::Click()
{
    if (!FEnabled) return;
    if (FAutoCheck) SetChecked(FRadioItem ? true : !FChecked);
    else FHandle->Sync();  // Qt toggled its own state; the item's stays
    if (OnClick) OnClick(this);
}

TMenu::TMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(this)) { FItems->FMenu = this; }

TMenu::~TMenu() = default;

TMenuItem* TMenu::FindItem(uint32_t Command) const { return FItems->Find(Command); }

TMainMenu::TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

void TPopupMenu::Popup(int32_t X, int32_t Y)
{
    if (OnPopup) OnPopup(this);
    Items()->Handle()->Popup(X, Y);
}

TShortCut ShortCut(uint16_t Key, TShiftState Shift)
{
    TShortCut s = Key & 0xFF;
    if (Shift.Contains(ssShift)) s |= scShift;
    if (Shift.Contains(ssCtrl)) s |= scCtrl;
    if (Shift.Contains(ssAlt)) s |= scAlt;
    return s;
}

String ShortCutToText(TShortCut Value)
{
    const uint16_t key = Value & 0xFF;
    if (!key) return "";
    String name;
    if (key >= VK_F1 && key <= VK_F12) name = "F" + std::to_string(key - VK_F1 + 1);
    else if (key == VK_DELETE) name = "Del";
    else if (key == VK_INSERT) name = "Ins";
    else if (key == VK_RETURN) name = "Enter";
    else if (key == VK_ESCAPE) name = "Esc";
    else name = String(1, static_cast<char>(key));
    String text;
    if (Value & scShift) text += "Shift+";
    if (Value & scCtrl) text += "Ctrl+";
    if (Value & scAlt) text += "Alt+";
    return text + name;
}

bool SetMenuItemBitmaps(TMenu* Menu, uint32_t Command, TBitmap* Unchecked, TBitmap* Checked)
{
    TMenuItem* item = Menu ? Menu->FindItem(Command) : nullptr;
    if (!item) return false;
    item->Handle()->SetStateImages(Unchecked ? Unchecked->ToImage() : QImage(), Checked ? Checked->ToImage() : QImage());
    return true;
}

QImage RenderMenu(TMenuItem* Item)
{
    return Item ? Item->Handle()->Render() : QImage();
}

QEL_REGISTER_CLASS(TMenuItem);
QEL_REGISTER_CLASS(TMainMenu);
QEL_REGISTER_CLASS(TPopupMenu);

}  // namespace qel
