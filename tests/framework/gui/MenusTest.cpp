#include "framework/core/FormFiles.h"
#include "framework/gui/ExtCtrls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Menus.h"
#include "framework/gui/StdCtrls.h"
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
    // The picture of the opened drop-down shows the same; an item without sub-items has none.
    const QImage opened = RenderMenu(menu.Items());
    ASSERT_FALSE(opened.isNull());
    EXPECT_TRUE(opened.width() > 16 && opened.height() > 16);
    EXPECT_TRUE(RenderMenu(item).isNull());
    EXPECT_TRUE(RenderMenu(nullptr).isNull());
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
    // The bar is outside the client area: an aligned panel starts at its top, below the bar.
    EXPECT_EQ(panel->Top(), 0);
    EXPECT_EQ(panel->ClientOrigin().Y, bar->mapToGlobal(QPoint(0, 0)).y() + bar->height());
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

TEST(MenusTest, TheMenuBarIsNotPartOfTheClientArea)
{
    TForm form(nullptr);
    form.SetName("Form1");
    form.SetBounds(10, 10, 300, 200);
    const int32_t frame = form.Height() - form.ClientHeight();
    auto* empty = new TMainMenu(&form);
    form.SetMenu(empty);  // no visible item: no bar
    EXPECT_EQ(200 - frame, form.ClientHeight());
    auto* menu = new TMainMenu(&form);
    menu->SetName("MainMenu1");
    NewItem(&form, menu->Items(), "File1", "&File");
    form.SetMenu(menu);
    const int32_t bar = Bridge::MenuBarHeight();
    ASSERT_GT(bar, 0);
    EXPECT_EQ(200, form.Height());  // the window keeps its size
    EXPECT_EQ(200 - frame - bar, form.ClientHeight());
    EXPECT_EQ(Rect(0, 0, form.ClientWidth(), 200 - frame - bar), form.ClientRect());

    form.SetClientHeight(150);
    EXPECT_EQ(150, form.ClientHeight());
    EXPECT_EQ(150 + bar + frame, form.Height());
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetAlign(alClient);
    form.Show();
    auto* shown = qobject_cast<QMenuBar*>(Bridge::WindowMenuBar(form.Window()));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(0, panel->Top());
    EXPECT_EQ(shown->mapToGlobal(QPoint(0, shown->height())).y(), panel->ClientOrigin().Y);
    EXPECT_EQ(150, panel->Height());
    EXPECT_EQ(150, form.RetainedImage().height());

    // A form file keeps the stored client height below the bar.
    const String text = ComponentToText(&form);
    std::unique_ptr<TComponent> copy(TextToComponent(text));
    auto* f = dynamic_cast<TForm*>(copy.get());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(150, f->ClientHeight());
    EXPECT_EQ(150 + bar + frame, f->Height());
    EXPECT_EQ(ComponentToText(f), text);

    form.SetMenu(nullptr);
    EXPECT_EQ(150 + bar + frame, form.Height());
    EXPECT_EQ(150 + bar, form.ClientHeight());
    EXPECT_EQ(150 + bar, panel->Height());
}

namespace {

// A shown form with a one-item main menu and a red label at (8, 8).
class MenuBarFormTest : public ::testing::Test {
protected:
    MenuBarFormTest() : Form(nullptr)
    {
        Form.SetName("Form1");
        Form.SetBounds(10, 10, 300, 200);
        Menu = new TMainMenu(&Form);
        Menu->SetName("MainMenu1");
        NewItem(&Form, Menu->Items(), "File1", "&File");
        Form.SetMenu(Menu);
        Label = new TLabel(&Form);
        Label->SetName("Label1");
        Label->SetParent(&Form);
        Label->SetAutoSize(false);
        Label->SetBounds(8, 8, 40, 16);
        Label->SetColor(clRed);
        Label->SetCaption("");
    }
    void Show()
    {
        Form.Show();
        Bar = Bridge::WindowMenuBar(Form.Window());
        ASSERT_NE(Bar, nullptr);
        BarHeight = Bar->height();
        ASSERT_GT(BarHeight, 0);
    }

    TForm Form;
    TMainMenu* Menu;
    TLabel* Label;
    QWidget* Bar = nullptr;
    int BarHeight = 0;
};

}  // namespace

TEST_F(MenuBarFormTest, ChildrenAndThePaintingStartBelowTheBar)
{
    TColor painted = clRed;
    Form.OnPaint = [&](TObject*) {
        Form.Canvas()->Brush()->SetColor(clBlue);
        Form.Canvas()->FillRect(Rect(0, 0, 6, 6));
        painted = clBlue;
    };
    Show();
    EXPECT_EQ(8, Label->Top());
    EXPECT_EQ(Form.ClientOrigin().Y, Bar->mapToGlobal(QPoint(0, 0)).y() + BarHeight);
    EXPECT_EQ(Form.ClientOrigin().Y + 8, Label->ClientOrigin().Y);
    EXPECT_EQ(Form.ClientOrigin().X + 8, Label->ClientOrigin().X);

    const QImage shot = RenderForm(&Form);
    ASSERT_EQ(QSize(Form.Width(), Form.Height()), shot.size());
    EXPECT_EQ(ToQRgb(clBlue), shot.pixel(0, BarHeight));  // the canvas's (0, 0)
    EXPECT_EQ(ToQRgb(clBlue), shot.pixel(5, BarHeight + 5));
    EXPECT_NE(ToQRgb(clBlue), shot.pixel(0, BarHeight - 1));
    EXPECT_NE(ToQRgb(clBlue), shot.pixel(6, BarHeight + 6));
    EXPECT_EQ(clBlue, painted);
    // The whole label shows, 8 pixels below the bar, and nothing of it hides under the bar.
    for (int y = 0; y < 16; ++y) EXPECT_EQ(ToQRgb(clRed), shot.pixel(8, BarHeight + 8 + y)) << y;
    EXPECT_EQ(ToQRgb(clRed), shot.pixel(47, BarHeight + 23));
    EXPECT_NE(ToQRgb(clRed), shot.pixel(8, BarHeight + 7));
    EXPECT_NE(ToQRgb(clRed), shot.pixel(8, BarHeight + 24));
}

TEST_F(MenuBarFormTest, MouseEventsArriveInClientCoordinates)
{
    Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.Window()->OuterWidget()));
    TPoint down{-1, -1};
    Form.OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int32_t X, int32_t Y) { down = Point(X, Y); };
    // Through the window, as the window system delivers a click 5 pixels below the bar.
    QWidget* outer = Form.Window()->OuterWidget();
    QTest::mouseClick(outer->windowHandle(), Qt::LeftButton, {}, QPoint(5, BarHeight + 5));
    EXPECT_EQ(Point(5, 5), down);
    // The bar is the form's own (non-client) area, as is the client area.
    EXPECT_EQ(&Form, Bridge::ControlAtScreen(Form.ClientToScreen(Point(5, 5))));
    EXPECT_EQ(&Form, Bridge::ControlAtScreen(Form.ClientToScreen(Point(5, -BarHeight / 2))));
}

TEST_F(MenuBarFormTest, TheBarTakesItsHeightFromTheClientAreaAndGivesItBack)
{
    Show();
    QWidget* client = Form.Window()->ClientWidget();
    EXPECT_EQ(200, Form.Height());
    EXPECT_EQ(Form.Height(), Form.ClientHeight() + BarHeight);
    EXPECT_EQ(Form.Width(), Form.ClientWidth());
    EXPECT_EQ(QSize(Form.ClientWidth(), Form.ClientHeight()), client->size());
    EXPECT_EQ(Form.ClientHeight(), Form.RetainedImage().height());

    // A resize by the window system keeps the bar and gives the rest to the client area.
    Form.Window()->OuterWidget()->resize(280, 260);
    QApplication::processEvents();
    EXPECT_EQ(260, Form.Height());
    EXPECT_EQ(260 - BarHeight, Form.ClientHeight());
    EXPECT_EQ(QSize(280, 260 - BarHeight), client->size());
    EXPECT_EQ(280, Bar->width());

    Form.SetMenu(nullptr);
    EXPECT_EQ(nullptr, Bridge::WindowMenuBar(Form.Window()));
    EXPECT_EQ(260, Form.Height());
    EXPECT_EQ(260, Form.ClientHeight());
    EXPECT_EQ(QSize(280, 260), client->size());
    EXPECT_EQ(Form.Window()->OuterWidget()->mapToGlobal(QPoint(0, 0)).y(), Form.ClientOrigin().Y);
    EXPECT_EQ(ToQRgb(clRed), RenderForm(&Form).pixel(8, 8));

    Form.SetMenu(Menu);
    EXPECT_EQ(260, Form.Height());
    EXPECT_EQ(260 - BarHeight, Form.ClientHeight());
}

TEST_F(MenuBarFormTest, HidingOrAddingBarItemsMeasuresTheBarAgain)
{
    Show();
    TMenuItem* file = Menu->Items()->Items(0);
    file->SetVisible(false);  // no visible item: no bar
    EXPECT_EQ(nullptr, Bridge::WindowMenuBar(Form.Window()));
    EXPECT_EQ(Form.Height(), Form.ClientHeight());
    file->SetVisible(true);
    EXPECT_EQ(Form.Height() - BarHeight, Form.ClientHeight());
    // A sub-item does not touch the bar; removing the last bar item takes it away.
    NewItem(&Form, file, "Open1", "&Open");
    EXPECT_EQ(Form.Height() - BarHeight, Form.ClientHeight());
    delete file;
    EXPECT_EQ(Form.Height(), Form.ClientHeight());
    NewItem(&Form, Menu->Items(), "Edit1", "&Edit");
    EXPECT_EQ(Form.Height() - BarHeight, Form.ClientHeight());
}

TEST(MenusTest, AMenuOutlivingItsFormNoLongerCallsIt)
{
    TMainMenu menu(nullptr);
    NewItem(&menu, menu.Items(), "File1", "&File");
    {
        TForm form(nullptr);
        form.SetMenu(&menu);
        form.Show();
    }
    menu.Items()->Items(0)->SetVisible(false);  // under ASan: no call into the freed form
    EXPECT_FALSE(menu.OnBarChanged);
}

TEST_F(MenuBarFormTest, AFormFileKeepsTheClientHeightBelowTheBar)
{
    Form.SetClientHeight(123);
    Show();
    EXPECT_EQ(123, Form.ClientHeight());
    EXPECT_EQ(123 + BarHeight, Form.Height());
    const String text = ComponentToText(&Form);

    std::unique_ptr<TComponent> copy(TextToComponent(text));
    auto* f = dynamic_cast<TForm*>(copy.get());
    ASSERT_NE(f, nullptr);
    f->Show();
    EXPECT_EQ(123, f->ClientHeight());
    EXPECT_EQ(123 + BarHeight, f->Height());
    auto* label = dynamic_cast<TLabel*>(f->FindComponent("Label1"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(f->ClientOrigin().Y + 8, label->ClientOrigin().Y);
    EXPECT_EQ(ComponentToText(f), text);
}
