#pragma once
// The Qt side of a menu item: one QAction per item, a QMenu once it has sub-items, and the menu
// bar a form shows for its main menu.
#include "framework/gui/Menus.h"

class QAction;
class QMenu;
class QWidget;

namespace qel::Bridge {

class TMenuHandle {
public:
    explicit TMenuHandle(TMenuItem* Item);
    ~TMenuHandle();
    TMenuHandle(const TMenuHandle&) = delete;
    TMenuHandle& operator=(const TMenuHandle&) = delete;

    QAction* Action() const { return FAction; }
    QMenu* SubMenu() const { return FSubMenu; }
    void Sync();              // caption, state, shortcut and separator from the item
    void ChildrenChanged();   // the sub-menu shows the item's sub-items again
    void SetStateImages(const QImage& Unchecked, const QImage& Checked);
    void Popup(int32_t X, int32_t Y);
    QImage Render() const;    // the sub-menu as it opens; empty without sub-items

private:
    TMenuItem* FItem;
    QAction* FAction;
    QMenu* FSubMenu = nullptr;
};

// Shows Root's sub-items as a menu bar at the top of a top-level Window, above its client widget
// (nullptr removes it); returns the bar's height (0 for a child window, which has no bar).
int32_t SetWindowMenu(TWindow* Window, TMenuItem* Root);
int32_t MenuBarHeight();
// The menu bar a window shows, if any (tests).
QWidget* WindowMenuBar(TWindow* Window);

}  // namespace qel::Bridge
