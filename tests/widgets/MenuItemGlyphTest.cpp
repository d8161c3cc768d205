// The menu item glyph: what the menu shows after Refresh in either check state, copies of the
// bitmaps, an item freed before the glyph, and form files (loading refreshes).
#include "widgets/QELMenuItemGlyph.h"

#include "framework/core/FormFiles.h"
#include "framework/gui/Forms.h"
#include "framework/gui/qt/MenuBridge.h"

#include <QAction>
#include <QIcon>

#include <gtest/gtest.h>

#include <memory>

using namespace qel;

namespace {

class MenuItemGlyphTest : public ::testing::Test {
protected:
    MenuItemGlyphTest()
    {
        Form.SetName("GlyphForm");
        Menu = new TPopupMenu(&Form);
        Menu->SetName("Popup1");
        Item = new TMenuItem(&Form);
        Item->SetName("Item1");
        Item->SetCaption("Item");
        Menu->Items()->Add(Item);
        Glyph = new TQELMenuItemGlyph(&Form);
        Glyph->SetName("Glyph1");
        Fill(Red, clRed);
        Fill(Blue, clBlue);
    }
    static void Fill(TBitmap& B, TColor C)
    {
        B.SetSize(16, 16);
        B.Canvas()->Brush()->SetColor(C);
        B.Canvas()->FillRect(Rect(0, 0, 16, 16));
    }
    // The centre colour of the picture the item shows in a check state; black when none.
    QColor Shown(QIcon::State State) const
    {
        const QIcon icon = Item->Handle()->Action()->icon();
        if (icon.isNull()) return Qt::black;
        return QColor(icon.pixmap(16, QIcon::Normal, State).toImage().pixel(8, 8));
    }

    TForm Form{nullptr};
    TPopupMenu* Menu;
    TMenuItem* Item;
    TQELMenuItemGlyph* Glyph;
    TBitmap Red, Blue;
};

}  // namespace

TEST_F(MenuItemGlyphTest, RefreshWithoutAnItemDoesNothing)
{
    Glyph->SetGlyph(&Red);
    Glyph->Refresh();
    EXPECT_TRUE(Item->Handle()->Action()->icon().isNull());
}

TEST_F(MenuItemGlyphTest, SettersCopyAndApplyNothingUntilRefresh)
{
    EXPECT_EQ(0, Glyph->ItemGlyph()->Width());
    EXPECT_EQ(0, Glyph->CheckGlyph()->Width());
    Glyph->SetGlyph(&Red);
    Glyph->SetCheckGlyph(&Blue);
    Glyph->SetMenuItem(Item);
    EXPECT_NE(&Red, Glyph->ItemGlyph());
    Fill(Red, clLime);
    EXPECT_EQ(qRgb(255, 0, 0), Glyph->ItemGlyph()->Image().pixel(8, 8) | 0xFF000000u);
    EXPECT_TRUE(Item->Handle()->Action()->icon().isNull());
    Glyph->SetGlyph(nullptr);
    EXPECT_EQ(0, Glyph->ItemGlyph()->Width());
}

TEST_F(MenuItemGlyphTest, UncheckedRefreshShowsItemGlyphForBothStates)
{
    Glyph->SetGlyph(&Red);
    Glyph->SetCheckGlyph(&Blue);
    Glyph->SetMenuItem(Item);
    Glyph->Refresh();
    EXPECT_EQ(QColor(Qt::red), Shown(QIcon::Off));
    EXPECT_EQ(QColor(Qt::red), Shown(QIcon::On));
    Item->SetChecked(true);  // still the item glyph until the next Refresh
    EXPECT_EQ(QColor(Qt::red), Shown(QIcon::On));
    Glyph->Refresh();
    EXPECT_EQ(QColor(Qt::red), Shown(QIcon::Off));
    EXPECT_EQ(QColor(Qt::blue), Shown(QIcon::On));
    Item->SetChecked(false);  // switches between the two of the last refresh
    EXPECT_TRUE(Item->Handle()->Action()->isCheckable());
    EXPECT_FALSE(Item->Handle()->Action()->isChecked());
    EXPECT_EQ(QColor(Qt::red), Shown(QIcon::Off));
}

TEST_F(MenuItemGlyphTest, AFreedItemIsForgotten)
{
    Glyph->SetGlyph(&Red);
    Glyph->SetMenuItem(Item);
    delete Item;
    EXPECT_EQ(nullptr, Glyph->MenuItem());
    Glyph->Refresh();  // nothing to do, nothing touched
}

TEST_F(MenuItemGlyphTest, AFormFileKeepsGlyphsAndItemAndLoadingRefreshes)
{
    Glyph->About = TQELAboutFreeStr("glyph");
    Glyph->SetGlyph(&Red);
    Glyph->SetCheckGlyph(&Blue);
    Glyph->SetMenuItem(Item);
    Item->SetChecked(true);
    const String text = ComponentToText(&Form);
    std::unique_ptr<TComponent> copy(TextToComponent(text));
    auto* g = As<TQELMenuItemGlyph>(copy->FindComponent("Glyph1"));
    auto* item = As<TMenuItem>(copy->FindComponent("Item1"));
    ASSERT_NE(nullptr, g);
    ASSERT_NE(nullptr, item);
    EXPECT_EQ("glyph", g->About.ToString());
    EXPECT_EQ(item, g->MenuItem());
    EXPECT_EQ(qRgb(0, 0, 255), g->CheckGlyph()->Image().pixel(3, 3) | 0xFF000000u);
    const QIcon icon = item->Handle()->Action()->icon();
    ASSERT_FALSE(icon.isNull()) << "Loaded refreshes";
    EXPECT_EQ(QColor(Qt::blue), QColor(icon.pixmap(16, QIcon::Normal, QIcon::On).toImage().pixel(8, 8)));
    EXPECT_EQ(text, ComponentToText(copy.get()));
}
