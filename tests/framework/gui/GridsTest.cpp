// String grids: cells and sizes, fixed rows and columns, selection by mouse and keys, editing in
// place, a grid in a framed child window, and form files.
#include "framework/core/FormFiles.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Grids.h"
#include "framework/gui/qt/WidgetBridge.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace qel;

namespace {

class TFramedGrid : public TStringGrid {
public:
    explicit TFramedGrid(TComponent* AOwner) : TStringGrid(AOwner) {}

protected:
    void CreateParams(TCreateParams& Params) override
    {
        TStringGrid::CreateParams(Params);
        Params.Style |= WS_CAPTION | WS_THICKFRAME;
    }
};

class GridsTest : public ::testing::Test {
protected:
    GridsTest()
    {
        Form.SetBounds(40, 40, 400, 300);
        Grid = new TStringGrid(&Form);
        Grid->SetParent(&Form);
        Grid->SetBounds(10, 10, 340, 140);
    }
    void Show()
    {
        Form.Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.Window()->OuterWidget()));
    }
    static void ClickCell(TCustomGrid* G, int32_t C, int32_t R, Qt::KeyboardModifiers Mods = {})
    {
        const TRect r = G->CellRect(C, R);
        QTest::mouseClick(G->Window()->ClientWidget(), Qt::LeftButton, Mods,
                          QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
    }
    TForm Form{nullptr};
    TStringGrid* Grid;
};

}  // namespace

TEST_F(GridsTest, CellsSizesAndFixedCellsPaint)
{
    EXPECT_EQ(5, Grid->ColCount());
    EXPECT_EQ(1, Grid->Col());
    Grid->SetCell(2, 3, "x");
    EXPECT_EQ("x", Grid->Cells(2, 3));
    EXPECT_EQ("", Grid->Cells(3, 2));
    Grid->SetColWidths(0, 30);
    Grid->SetRowHeights(0, 20);
    EXPECT_EQ(Rect(31, 21, 95, 45), Grid->CellRect(1, 1));  // one grid line after each cell
    int32_t c = 0, r = 0;
    Grid->MouseToCell(40, 30, c, r);
    EXPECT_EQ(1, c);
    EXPECT_EQ(1, r);
    Grid->Repaint();
    const QImage& img = Grid->RetainedImage();
    EXPECT_EQ(ToQRgb(clBtnFace), img.pixel(15, 10));       // fixed cell
    EXPECT_EQ(ToQRgb(clBtnHighlight), img.pixel(15, 0));   // its raised edge
    EXPECT_EQ(ToQRgb(clBlack), img.pixel(30, 10));         // fixed vertical line
    EXPECT_EQ(ToQRgb(clHighlight), img.pixel(60, 30));     // the current cell is selected
    EXPECT_EQ(ToQRgb(clWindow), img.pixel(120, 30));
    Grid->SetOptions(Grid->Options() & ~TGridOptions(goFixedVertLine));
    Grid->Repaint();
    EXPECT_NE(ToQRgb(clBlack), Grid->RetainedImage().pixel(30, 10));
    Grid->SetColCount(2);
    Grid->SetFixedCols(5);
    EXPECT_EQ(1, Grid->FixedCols());
}

TEST_F(GridsTest, ClicksKeysAndRangesSelectCells)
{
    Show();
    std::vector<std::pair<int32_t, int32_t>> asked;
    Grid->OnSelectCell = [&](TObject*, int32_t C, int32_t R, bool& Can) {
        asked.emplace_back(C, R);
        Can = C != 4;
    };
    ClickCell(Grid, 2, 3);
    EXPECT_EQ(2, Grid->Col());
    EXPECT_EQ(3, Grid->Row());
    ClickCell(Grid, 0, 1);  // a fixed cell is no target
    EXPECT_EQ(2, Grid->Col());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_EQ(3, Grid->Col());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);  // refused by OnSelectCell
    EXPECT_EQ(3, Grid->Col());
    EXPECT_EQ((std::pair<int32_t, int32_t>(4, 3)), asked.back());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(Rect(3, 2, 3, 3), Grid->Selection());
    ClickCell(Grid, 1, 1, Qt::ShiftModifier);
    EXPECT_EQ(Rect(1, 1, 3, 3), Grid->Selection());
    Grid->SetOptions(Grid->Options() | goRowSelect);
    EXPECT_EQ(Rect(1, 1, 4, 3), Grid->Selection());  // whole rows of the range
}

TEST_F(GridsTest, DraggingAColumnLineInTheFixedRowResizesItWithGoColSizing)
{
    Show();
    QWidget* w = Grid->Window()->ClientWidget();
    const int32_t edge = Grid->CellRect(1, 0).Right;
    auto drag = [&](int32_t ToX) {
        QTest::mousePress(w, Qt::LeftButton, {}, QPoint(edge, 5));
        QMouseEvent move(QEvent::MouseMove, QPointF(ToX, 5), w->mapToGlobal(QPointF(ToX, 5)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &move);
        QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(ToX, 5));
    };
    drag(edge + 30);
    EXPECT_EQ(64, Grid->ColWidths(1));  // without goColSizing
    Grid->SetOptions(Grid->Options() | goColSizing);
    drag(edge + 30);
    EXPECT_EQ(94, Grid->ColWidths(1));
    EXPECT_EQ(64, Grid->ColWidths(2));
    EXPECT_EQ(Grid->CellRect(1, 1).Right + 1, Grid->CellRect(2, 1).Left);
}

TEST_F(GridsTest, TypingEditsTheCurrentCellOnlyWithGoEditing)
{
    Show();
    Grid->SetFocus();
    Grid->SetCell(1, 1, "old");
    QTest::keyClicks(QApplication::focusWidget(), "ab");
    EXPECT_FALSE(Grid->EditorMode());
    EXPECT_EQ("old", Grid->Cells(1, 1));
    Grid->SetOptions(Grid->Options() | goEditing);
    QTest::keyClicks(QApplication::focusWidget(), "new");
    EXPECT_TRUE(Grid->EditorMode());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ("ne", Grid->Cells(1, 1));
    EXPECT_FALSE(Grid->EditorMode());
    // Escape drops the edit; moving away keeps it.
    QTest::keyClicks(QApplication::focusWidget(), "zz");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ("ne", Grid->Cells(1, 1));
    QTest::keyClicks(QApplication::focusWidget(), "q");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ("q", Grid->Cells(1, 1));
    EXPECT_EQ(2, Grid->Row());
}

TEST_F(GridsTest, AGridInAFramedChildWindowIsSizedByItsFrameAndClickable)
{
    auto* framed = new TFramedGrid(&Form);
    framed->SetParent(&Form);
    framed->SetCaption("Framed grid");
    framed->SetBounds(10, 160, 300, 120);
    Show();
    const Bridge::TMargins m = framed->Window()->Margins();
    EXPECT_GE(m.Top, 18);
    EXPECT_EQ(120 - m.Top - m.Bottom, framed->ClientHeight());
    EXPECT_EQ(framed->ClientHeight(), framed->RetainedImage().height());
    ClickCell(framed, 3, 2);
    EXPECT_EQ(3, framed->Col());
    EXPECT_EQ(2, framed->Row());
}

TEST_F(GridsTest, AFormFileKeepsCellsSizesAndOptions)
{
    Form.SetName("GridForm");
    Grid->SetName("Grid1");
    Grid->SetColCount(3);
    Grid->SetRowCount(4);
    Grid->SetFixedRows(0);
    Grid->SetDefaultColWidth(50);
    Grid->SetOptions(Grid->Options() | goEditing);
    Grid->SetCell(0, 0, "head");
    Grid->SetCell(2, 3, "a=b");
    const String text = ComponentToText(&Form);
    std::unique_ptr<TComponent> copy(TextToComponent(text));
    auto* g = As<TStringGrid>(copy->FindComponent("Grid1"));
    ASSERT_NE(nullptr, g);
    EXPECT_EQ(3, g->ColCount());
    EXPECT_EQ(4, g->RowCount());
    EXPECT_EQ(0, g->FixedRows());
    EXPECT_EQ(50, g->ColWidths(2));
    EXPECT_TRUE(g->Options() & goEditing);
    EXPECT_EQ("head", g->Cells(0, 0));
    EXPECT_EQ("a=b", g->Cells(2, 3));
    EXPECT_EQ(text, ComponentToText(copy.get()));
}
