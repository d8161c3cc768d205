#include "framework/gui/qt/MenuBridge.h"
#include "framework/core/Application.h"

#include "framework/gui/qt/FrameHosts.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>

namespace qel::Bridge {

namespace {

QKeySequence ToKeySequence(TShortCut Value)
{
    if (!Value) return {};
    int key = Value & 0xFF;
    if (key >= 0x70 && key <= 0x7B) key = Qt::Key_F1 + (key - 0x70);
    else if (key == VK_DELETE) key = Qt::Key_Delete;
    else if (key == VK_INSERT) key = Qt::Key_Insert;
    else if (key == VK_RETURN) key = Qt::Key_Return;
    else if (key == VK_ESCAPE) key = Qt::Key_Escape;
    int mods = 0;
    if (Value & scShift) mods |= Qt::SHIFT;
    if (Value & scCtrl) mods |= Qt::CTRL;
    if (Value & scAlt) mods |= Qt::ALT;
    return QKeySequence(key | mods);
}

void ShowItems(QWidget* Menu, TMenuItem* Parent)
{
    for (QAction* a : Menu->actions()) Menu->removeAction(a);
    for (int i = 0; i < Parent->Count(); ++i) Menu->addAction(Parent->Items(i)->Handle()->Action());
}

}  // namespace

TMenuHandle::TMenuHandle(TMenuItem* Item) : FItem(Item), FAction(new QAction)
{
    QObject::connect(FAction, &QAction::triggered, [this] { FItem->Click(); });
}

TMenuHandle::~TMenuHandle()
{
    if (!Application || Application->Finalizing()) return;  // as windows: left to the process's end
    delete FSubMenu;
    delete FAction;
}

void TMenuHandle::Sync()
{
    FAction->setText(QString::fromStdString(FItem->Caption()));
    FAction->setSeparator(FItem->IsLine());
    FAction->setEnabled(FItem->Enabled());
    FAction->setVisible(FItem->Visible());
    // Checkable always: a checkable action shows the On or Off picture with its state.
    FAction->setCheckable(FItem->Checked() || FItem->AutoCheck() || FItem->RadioItem() || !FAction->icon().isNull());
    FAction->setChecked(FItem->Checked());
    FAction->setShortcut(ToKeySequence(FItem->ShortCut()));
}

void TMenuHandle::ChildrenChanged()
{
    if (FItem->Count() == 0 && !FSubMenu) return;
    if (!FSubMenu) {
        FSubMenu = new QMenu;
        FAction->setMenu(FSubMenu);
    }
    ShowItems(FSubMenu, FItem);
}

void TMenuHandle::SetStateImages(const QImage& Unchecked, const QImage& Checked)
{
    QIcon icon;
    if (!Unchecked.isNull()) icon.addPixmap(QPixmap::fromImage(Unchecked), QIcon::Normal, QIcon::Off);
    if (!Checked.isNull()) icon.addPixmap(QPixmap::fromImage(Checked), QIcon::Normal, QIcon::On);
    FAction->setIcon(icon);
    Sync();
}

void TMenuHandle::Popup(int32_t X, int32_t Y)
{
    ChildrenChanged();
    if (FSubMenu) FSubMenu->popup(QPoint(X, Y));
}

QImage TMenuHandle::Render() const
{
    if (!FSubMenu || FSubMenu->actions().isEmpty()) return {};
    FSubMenu->ensurePolished();
    FSubMenu->adjustSize();
    // A menu that was never shown still paints itself (measured on offscreen and xcb).
    return FSubMenu->grab().toImage();
}

int32_t MenuBarHeight()
{
    QMenuBar bar;
    bar.addAction(QStringLiteral("X"));
    return bar.sizeHint().height();
}

QWidget* WindowMenuBar(TWindow* Window)
{
    auto* host = qobject_cast<TTopLevelHost*>(Window->OuterWidget());
    return host ? host->MenuBar() : nullptr;
}

int32_t SetWindowMenu(TWindow* Window, TMenuItem* Root)
{
    // A child window has no menu bar.
    auto* host = qobject_cast<TTopLevelHost*>(Window->OuterWidget());
    if (!host) return 0;
    if (!Root) {
        host->SetMenuBar(nullptr, 0);
        return 0;
    }
    auto* bar = static_cast<QMenuBar*>(host->MenuBar());
    if (!bar) bar = new QMenuBar(host);
    ShowItems(bar, Root);
    const int32_t h = bar->sizeHint().height();
    host->SetMenuBar(bar, h);
    return h;
}

}  // namespace qel::Bridge
