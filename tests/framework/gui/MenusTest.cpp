#include "framework/core/FormFiles.h"
#include "framework/gui/ExtCtrls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Menus.h"
#include "framework/gui/qt/MenuBridge.h"
#include "framework/gui/qt/WidgetBridge.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace qel;

namespace {

TMenuItem* NewItem(TComponent* Owner, TMenuItem* Parent, const String& Name, const String& Caption)
{
    auto* i = new TMenuItem(Owner);
    i->SetName(Name);
    i->SetCaption(Caption);
    Parent->Add(i);
    return i;
}

}  // namespace

TEST(MenusTest, ItemsTreeCommandsAndRadioGroups)
{
    TMainMenu menu(nullptr);
    TMenuItem* file = NewItem(&menu, menu.Items(), "File1", "&File");
    TMenuItem* a = NewItem(&menu, file, "A1", "A");
    TMenuItem* b = NewItem(&menu, file, "B1", "B");
    auto* first = new TMenuItem(&menu);
    file->Insert(0, first);
    EXPECT_EQ(file->IndexOf(first), 0);
    EXPECT_EQ(file->Count(), 3);
    EXPECT_EQ(a->Parent(), file);
    EXPECT_EQ(a->Menu(), &menu);
    EXPECT_NE(a->Command(), b->Command());
    EXPECT_EQ(menu.FindItem(b->Command()), b);
    EXPECT_THROW(file->Items(3), EListError);
    a->SetRadioItem(true);
    b->SetRadioItem(true);
    a->SetChecked(true);
    b->SetChecked(true);
    EXPECT_FALSE(a->Checked());
    EXPECT_TRUE(b->Checked());
    file->Delete(0);
    EXPECT_EQ(file->Count(), 2);
}

TEST(MenusTest, ShortCutsAndTheirText)
{
    EXPECT_EQ(ShortCut('S', TShiftState{ssCtrl}), 0x4000 + 'S');
    EXPECT_EQ(ShortCutToText(ShortCut('S', TShiftState{ssCtrl})), "Ctrl+S");
    EXPECT_EQ(ShortCutToText(ShortCut(VK_F5, TShiftState{ssShift})), "Shift+F5");
    EXPECT_EQ(ShortCutToText(0), "");
}

TEST(MenusTest, ActionShowsCaptionStateAndFiresOnClick)
{
    TMainMenu menu(nullptr);
    TMenuItem* file = NewItem(&menu, menu.Items(), "File1", "&File");
    TMenuItem* open = NewItem(&menu, file, "Open1", "&Open");
    TMenuItem* line = NewItem(&menu, file, "Line1", "-");
    open->SetShortCut(ShortCut('O', TShiftState{ssCtrl}));
    QAction* act = open->Handle()->Action();
    EXPECT_EQ(act->text(), "&Open");
    EXPECT_EQ(act->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_TRUE(line->Handle()->Action()->isSeparator());
    int clicks = 0;
    open->OnClick = [&](TObject*) { ++clicks; };
    act->trigger();
    EXPECT_EQ(clicks, 1);
    open->SetEnabled(false);
    EXPECT_FALSE(act->isEnabled());
    open->SetVisible(false);
    EXPECT_FALSE(act->isVisible());
    open->SetAutoCheck(true);
    open->SetEnabled(true);
    act->trigger();
    EXPECT_TRUE(open->Checked());
}

TEST(MenusTest, StateBitmapsFollowChecked)
{
    TPopupMenu menu(nullptr);
    TMenuItem* item = NewItem(&menu, menu.Items(), "Item1", "Item");
    TBitmap off, on;
    off.SetWidth(16); off.SetHeight(16); off.Canvas()->Brush()->SetColor(clRed); off.Canvas()->FillRect(Rect(0, 0, 16, 16));
    on.SetWidth(16); on.SetHeight(16); on.Canvas()->Brush()->SetColor(clBlue); on.Canvas()->FillRect(Rect(0, 0, 16, 16));
    EXPECT_FALSE(SetMenuItemBitmaps(&menu, 0xFFFFFFF0u, &off, &on));
    ASSERT_TRUE(SetMenuItemBitmaps(&menu, item->Command(), &off, &on));
    QAction* act = item->Handle()->Action();
    EXPECT_TRUE(act->isCheckable());
    const QImage offImg = act->icon().pixmap(16, QIcon::Normal, QIcon::Off).toImage();
    const QImage onImg = act->icon().pixmap(16, QIcon::Normal, QIcon::On).toImage();
    EXPECT_EQ(QColor(offImg.pixel(8, 8)), QColor(Qt::red));
    EXPECT_EQ(QColor(onImg.pixel(8, 8)), QColor(Qt::blue));
    // What the open menu shows: the picture of the current state, as the user sees it.
    auto shows = [&](QColor Colour) {
        QMenu* m = menu.Items()->Handle()->SubMenu();
        const QImage shot = m->grab().toImage();
        const QRect r = m->actionGeometry(act);
        for (int x = r.left(); x < r.left() + 40; ++x)
            if (QColor(shot.pixel(x, r.center().y())) == Colour) return true;
        return false;
    };
    menu.Items()->Handle()->ChildrenChanged();
    EXPECT_TRUE(shows(Qt::red));
    EXPECT_FALSE(shows(Qt::blue));
    item->SetChecked(true);
    EXPECT_TRUE(act->isChecked());
    EXPECT_TRUE(shows(Qt::blue));
    EXPECT_FALSE(shows(Qt::red));
    item->SetChecked(false);
    EXPECT_FALSE(act->isChecked());
    EXPECT_TRUE(shows(Qt::red));
}

TEST(MenusTest, FormShowsMenuBarAboveClientAndClickOpensIt)
{
    TForm form(nullptr);
    form.SetBounds(10, 10, 300, 200);
    auto* menu = new TMainMenu(&form);
    TMenuItem* file = NewItem(&form, menu->Items(), "File1", "&File");
    TMenuItem* open = NewItem(&form, file, "Open1", "&Open");
    int clicks = 0;
    open->OnClick = [&](TObject*) { ++clicks; };
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetAlign(alClient);
    form.SetMenu(menu);
    form.Show();
    auto* bar = qobject_cast<QMenuBar*>(Bridge::WindowMenuBar(form.Window()));
    ASSERT_NE(bar, nullptr);
    EXPECT_GT(panel->Top(), 0);
    EXPECT_EQ(panel->Top(), bar->height());
    QAction* fileAct = file->Handle()->Action();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(fileAct).center());
    QMenu* sub = file->Handle()->SubMenu();
    ASSERT_TRUE(sub->isVisible());
    QTest::mouseClick(sub, Qt::LeftButton, {}, sub->actionGeometry(open->Handle()->Action()).center());
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(sub->isVisible());
    form.SetWidth(400);
    EXPECT_EQ(bar->width(), form.ClientWidth());
    form.SetMenu(nullptr);
    EXPECT_EQ(Bridge::WindowMenuBar(form.Window()), nullptr);
    EXPECT_EQ(panel->Top(), 0);
}

TEST(MenusTest, RightClickPopsUpTheControlsMenu)
{
    TForm form(nullptr);
    form.SetBounds(10, 10, 300, 200);
    auto* popup = new TPopupMenu(&form);
    NewItem(&form, popup->Items(), "Copy1", "&Copy");
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(0, 0, 100, 100);
    panel->SetPopupMenu(popup);
    int popped = 0;
    popup->OnPopup = [&](TObject*) { ++popped; };
    form.Show();
    QTest::mouseClick(panel->Window()->ClientWidget(), Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(popped, 1);
    EXPECT_EQ(popup->PopupComponent(), panel);
    EXPECT_TRUE(popup->Items()->Handle()->SubMenu()->isVisible());
    popup->Items()->Handle()->SubMenu()->hide();
}

TEST(MenusTest, FormFileRoundTripKeepsTreeAndReferences)
{
    TForm form(nullptr);
    form.SetName("Form1");
    auto* menu = new TMainMenu(&form);
    menu->SetName("MainMenu1");
    TMenuItem* file = NewItem(&form, menu->Items(), "File1", "&File");
    NewItem(&form, file, "Open1", "&Open");
    auto* first = new TMenuItem(&form);
    first->SetName("New1");
    first->SetCaption("&New");
    file->Insert(0, first);
    NewItem(&form, menu->Items(), "Help1", "&Help");
    auto* popup = new TPopupMenu(&form);
    popup->SetName("Popup1");
    NewItem(&form, popup->Items(), "Copy1", "&Copy");
    auto* panel = new TPanel(&form);
    panel->SetName("Panel1");
    panel->SetParent(&form);
    panel->SetPopupMenu(popup);
    form.SetMenu(menu);
    const String text = ComponentToText(&form);

    std::unique_ptr<TComponent> copy(TextToComponent(text));
    auto* f = dynamic_cast<TForm*>(copy.get());
    ASSERT_NE(f, nullptr);
    ASSERT_NE(f->Menu(), nullptr);
    TMenuItem* root = f->Menu()->Items();
    ASSERT_EQ(root->Count(), 2);
    EXPECT_EQ(root->Items(0)->Caption(), "&File");
    EXPECT_EQ(root->Items(1)->Caption(), "&Help");
    ASSERT_EQ(root->Items(0)->Count(), 2);
    EXPECT_EQ(root->Items(0)->Items(0)->Caption(), "&New");
    EXPECT_EQ(root->Items(0)->Items(1)->Caption(), "&Open");
    auto* p = dynamic_cast<TPanel*>(f->FindComponent("Panel1"));
    ASSERT_NE(p, nullptr);
    ASSERT_NE(p->PopupMenu(), nullptr);
    EXPECT_EQ(p->PopupMenu()->Items()->Items(0)->Caption(), "&Copy");
    EXPECT_EQ(ComponentToText(f), text);
}
