#pragma once
// Menus: items, the form's menu bar (TMainMenu) and context menus (TPopupMenu). Each item owns a
// Qt action made through framework/gui/qt/MenuBridge; a menu's root item is its unnamed internal.
//
// Form files: an item is an ordinary component owned by the form. Its published ParentItem names
// the item above it, or the menu itself for a top-level item; MenuIndex keeps the order. Reading
// rebuilds the tree from those names, as controls rebuild theirs from Parent.
#include "framework/core/Classes.h"
#include "framework/gui/Controls.h"

#include <memory>
#include <vector>

namespace qel {

namespace Bridge {
class TMenuHandle;
}

class TMenu;

using TShortCut = uint16_t;
// The classic shortcut layout: the virtual-key code in the low byte, modifiers above it.
inline constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;

class QEL_GUI_EXPORT TMenuItem : public TComponent {
    Q_OBJECT
    Q_PROPERTY(String Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(bool AutoCheck READ AutoCheck WRITE SetAutoCheck)
    Q_PROPERTY(bool RadioItem READ RadioItem WRITE SetRadioItem)
    Q_PROPERTY(int32_t GroupIndex READ GroupIndex WRITE SetGroupIndex)
    Q_PROPERTY(int32_t ShortCut READ ShortCutValue WRITE SetShortCutValue)
    Q_PROPERTY(TComponent* ParentItem READ ParentItem WRITE SetParentItem)
    Q_PROPERTY(int32_t MenuIndex READ MenuIndex WRITE SetMenuIndex)
    Q_CLASSINFO("default:Checked", "false")
    Q_CLASSINFO("default:Enabled", "true")
    Q_CLASSINFO("default:Visible", "true")
    Q_CLASSINFO("default:AutoCheck", "false")
    Q_CLASSINFO("default:RadioItem", "false")
    Q_CLASSINFO("default:GroupIndex", "0")
    Q_CLASSINFO("default:ShortCut", "0")

public:
    Q_INVOKABLE explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    String Caption() const { return FCaption; }
    void SetCaption(const String& Value);
    bool IsLine() const { return FCaption == "-"; }
    bool Checked() const { return FChecked; }
    void SetChecked(bool Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool Value);
    bool RadioItem() const { return FRadioItem; }
    void SetRadioItem(bool Value);
    int32_t GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int32_t Value) { FGroupIndex = Value; }
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut Value);
    int32_t ShortCutValue() const { return FShortCut; }
    void SetShortCutValue(int32_t Value) { SetShortCut(static_cast<TShortCut>(Value)); }

    // Sub-items; an item with sub-items opens a sub-menu.
    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int Index) const;  // EListError out of range
    void Add(TMenuItem* Item);
    void Insert(int Index, TMenuItem* Item);
    void Delete(int Index);  // frees the item
    void Remove(TMenuItem* Item);  // takes it out without freeing it
    int IndexOf(const TMenuItem* Item) const;
    TMenuItem* Parent() const { return FParent; }
    TMenu* Menu() const;  // the menu the item is in, if any
    TMenuItem* Find(uint32_t ACommand);  // this item or one below it

    // Process-wide unique, never reused.
    uint32_t Command() const { return FCommand; }

    // The menu (for a top-level item) or the parent item; form files store the tree with it.
    TComponent* ParentItem() const;
    void SetParentItem(TComponent* Value);
    int32_t MenuIndex() const;
    void SetMenuIndex(int32_t Value);

    virtual void Click();  // as if the user chose the item
    TNotifyEvent OnClick;

    Bridge::TMenuHandle* Handle() const { return FHandle.get(); }

protected:
    void Loaded() override;

private:
    friend class TMenu;
    void UncheckGroup();
    void SortByStoredIndex();

    String FCaption;
    bool FChecked = false;
    bool FEnabled = true;
    bool FVisible = true;
    bool FAutoCheck = false;
    bool FRadioItem = false;
    int32_t FGroupIndex = 0;
    TShortCut FShortCut = 0;
    int32_t FStoredIndex = -1;
    uint32_t FCommand;
    TMenuItem* FParent = nullptr;
    void BarChanged() const;  // tells a main menu's form when this item is on its bar
    TMenu* FMenu = nullptr;  // set on a menu's root item only
    std::vector<TMenuItem*> FItems;
    std::unique_ptr<Bridge::TMenuHandle> FHandle;
};

class QEL_GUI_EXPORT TMenu : public TComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TMenu(TComponent* AOwner);
    ~TMenu() override;
    TMenuItem* Items() const { return FItems; }
    TMenuItem* FindItem(uint32_t Command) const;

private:
    TMenuItem* FItems;  // owned through the component tree, unnamed
};

class QEL_GUI_EXPORT TMainMenu : public TMenu {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TMainMenu(TComponent* AOwner);
    // Set by the form that shows this menu: a bar item came, went, or changed its caption or
    // visibility, so the bar's height may have changed.
    std::function<void()> OnBarChanged;
};

class QEL_GUI_EXPORT TPopupMenu : public TMenu {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TPopupMenu(TComponent* AOwner);
    void Popup(int32_t X, int32_t Y);  // screen coordinates; returns at once
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* Value) { FPopupComponent = Value; }
    TNotifyEvent OnPopup;

private:
    TComponent* FPopupComponent = nullptr;
};

QEL_GUI_EXPORT TShortCut ShortCut(uint16_t Key, TShiftState Shift);
QEL_GUI_EXPORT String ShortCutToText(TShortCut Value);  // "Ctrl+S", "Shift+F5"; "" for 0

// One picture for the unchecked and one for the checked state of the item with Command in Menu;
// the item shows the one matching its Checked. A null bitmap clears that state's picture.
QEL_GUI_EXPORT bool SetMenuItemBitmaps(TMenu* Menu, uint32_t Command, TBitmap* Unchecked, TBitmap* Checked);
// The drop-down of Item's sub-items as it looks when opened (empty image without sub-items):
// pictures of menus for tests, documentation and qel-render.
QEL_GUI_EXPORT QImage RenderMenu(TMenuItem* Item);

}  // namespace qel
