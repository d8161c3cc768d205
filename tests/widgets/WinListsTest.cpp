// The framed list controls: a tool-window title bar with the Caption and a sizing border inside
// the parent, while list, grid and data binding work as in their base classes; form files.
#include "widgets/QELWinLists.h"

#include "framework/core/FormFiles.h"
#include "framework/gui/Forms.h"
#include "framework/gui/SqlDataSet.h"

#include <QApplication>
#include <QMdiSubWindow>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

using namespace qel;

namespace {

class WinListsTest : public ::testing::Test {
protected:
    WinListsTest()
    {
        Form.SetName("ListsForm");
        Form.SetBounds(40, 40, 520, 260);
    }
    void Show()
    {
        Form.Show();
        QCoreApplication::processEvents();
    }
    // The framed child window that shows Caption in its title bar.
    static QMdiSubWindow* FrameShowing(const char* Caption)
    {
        for (QWidget* w : QApplication::allWidgets())
            if (auto* sub = qobject_cast<QMdiSubWindow*>(w); sub && sub->windowTitle() == QString::fromUtf8(Caption))
                return sub;
        return nullptr;
    }
    template <class T>
    T* Place(const char* Name, const char* Caption, int32_t X)
    {
        auto* c = new T(&Form);
        c->SetName(Name);
        c->SetParent(&Form);
        c->SetCaption(Caption);
        c->SetBounds(X, 10, 160, 150);
        return c;
    }
    // Title bar and sizing border inside the parent, showing the caption.
    static void ExpectToolFrame(TWinControl* C, const char* Caption)
    {
        QMdiSubWindow* frame = FrameShowing(Caption);
        ASSERT_NE(nullptr, frame);
        ASSERT_NE(nullptr, frame->parentWidget()) << "a child window inside the form";
        EXPECT_TRUE(frame->isVisible());
        EXPECT_EQ(QRect(C->Left(), C->Top(), 160, 150), frame->geometry());
        const int captionBar = 150 - C->ClientHeight();
        EXPECT_GE(captionBar, 16);
        EXPECT_LT(captionBar, 40) << "a small tool caption";
        EXPECT_GT(160 - C->ClientWidth(), 0) << "a sizing border";
        EXPECT_EQ(C->ClientWidth(), C->RetainedImage().width());
        EXPECT_TRUE(frame->windowFlags().testFlag(Qt::WindowTitleHint));
    }
    static void ClickAt(const char* Caption, int X, int Y)
    {
        QMdiSubWindow* frame = FrameShowing(Caption);
        ASSERT_NE(nullptr, frame);
        QTest::mouseClick(frame->widget(), Qt::LeftButton, {}, QPoint(X, Y));
        QCoreApplication::processEvents();
    }

    TForm Form{nullptr};
};

}  // namespace

TEST_F(WinListsTest, AListBoxInAToolFrameStillSelectsAndScrolls)
{
    auto* list = Place<TQELWinListbox>("List1", "Towns", 10);
    for (int i = 0; i < 30; ++i) list->Items()->Add("town " + std::to_string(i));
    Show();
    ExpectToolFrame(list, "Towns");
    const TRect r = list->ItemRect(2);
    ClickAt("Towns", 20, (r.Top + r.Bottom) / 2);
    EXPECT_EQ(2, list->ItemIndex());
    list->SetItemIndex(25);
    EXPECT_GT(list->TopIndex(), 0) << "scrolls to the selected item";
    list->SetCaption("Cities");
    ASSERT_NE(nullptr, FrameShowing("Cities"));
}

TEST_F(WinListsTest, AStringGridInAToolFrameStillTakesClicks)
{
    auto* grid = Place<TQELWinStringGrid>("Grid1", "Cells", 180);
    grid->SetCell(1, 1, "x");
    Show();
    ExpectToolFrame(grid, "Cells");
    const TRect c = grid->CellRect(1, 3);
    ClickAt("Cells", (c.Left + c.Right) / 2, (c.Top + c.Bottom) / 2);
    EXPECT_EQ(1, grid->Col());
    EXPECT_EQ(3, grid->Row());
    EXPECT_EQ("x", grid->Cells(1, 1));
}

TEST_F(WinListsTest, ADataAwareListBoxInAToolFrameFollowsAndWritesTheField)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("towns.db");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "wintowns");
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("CREATE TABLE person (id INTEGER PRIMARY KEY, name TEXT, town TEXT)"));
        ASSERT_TRUE(q.exec("INSERT INTO person (name, town) VALUES ('Ann', 'Paris'), ('Bob', 'Rome')"));
    }
    auto* data = new TSQLDataSet(&Form);
    data->SetDatabaseName(path.toStdString());
    data->SetTableName("person");
    auto* source = new TDataSource(&Form);
    source->SetDataSet(data);
    auto* list = Place<TQELWinDBListBox>("DBList1", "Town", 350);
    list->Items()->SetText("Berlin\nParis\nRome\n");
    list->SetDataSource(source);
    list->SetDataField("town");
    data->Open();
    EXPECT_EQ(1, list->ItemIndex());
    data->Next();
    EXPECT_EQ(2, list->ItemIndex());
    Show();
    ExpectToolFrame(list, "Town");
    const TRect r = list->ItemRect(0);
    ClickAt("Town", 20, (r.Top + r.Bottom) / 2);
    EXPECT_EQ("Berlin", data->FieldByName("town")->AsString());
    data->Close();
    QSqlDatabase::database("wintowns", false).close();
    QSqlDatabase::removeDatabase("wintowns");
}

TEST_F(WinListsTest, AFormFileKeepsAboutCaptionAndContents)
{
    auto* list = Place<TQELWinListbox>("List1", "Towns", 10);
    list->Items()->SetText("a\nb\n");
    list->About = TQELAboutFreeStr("list");
    auto* grid = Place<TQELWinStringGrid>("Grid1", "Cells", 180);
    grid->SetCell(2, 1, "cell");
    grid->About = TQELAboutFreeStr("grid");
    auto* db = Place<TQELWinDBListBox>("DBList1", "Town", 350);
    db->SetDataField("town");
    db->About = TQELAboutFreeStr("db");
    const String text = ComponentToText(&Form);
    std::unique_ptr<TComponent> copy(TextToComponent(text));
    auto* l = As<TQELWinListbox>(copy->FindComponent("List1"));
    auto* g = As<TQELWinStringGrid>(copy->FindComponent("Grid1"));
    auto* d = As<TQELWinDBListBox>(copy->FindComponent("DBList1"));
    ASSERT_TRUE(l && g && d);
    EXPECT_EQ("Towns", l->Caption());
    EXPECT_EQ("list", l->About.ToString());
    EXPECT_TRUE(l->Items()->Equals(list->Items()));
    EXPECT_EQ("Cells", g->Caption());
    EXPECT_EQ("grid", g->About.ToString());
    EXPECT_EQ("cell", g->Cells(2, 1));
    EXPECT_EQ("Town", d->Caption());
    EXPECT_EQ("db", d->About.ToString());
    EXPECT_EQ("town", d->DataField());
    EXPECT_EQ(text, ComponentToText(copy.get()));
}
