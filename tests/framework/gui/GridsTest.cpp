// String grids: cells and sizes, fixed rows and columns, selection by mouse and keys, editing in
// place, a grid in a framed child window, and form files.
#include "framework/core/Exceptions.h"
#include "framework/core/FormFiles.h"
#include "framework/gui/Forms.h"
#include "framework/gui/Grids.h"
#include "framework/gui/qt/WidgetBridge.h"

#include <QApplication>
#include <QEventLoop>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <map>
#include <tuple>

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
    // A grid that cannot show all its cells: 10 columns, 20 rows in 340x140.
    void MakeTall()
    {
        Grid->SetColCount(10);
        Grid->SetRowCount(20);
    }
    static void Wheel(TCustomGrid* G, int Delta, Qt::KeyboardModifiers Mods = {}, bool* Accepted = nullptr)
    {
        QWidget* w = G->Window()->ClientWidget();
        QWheelEvent e(QPointF(50, 50), w->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, Delta), Qt::NoButton, Mods,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &e);
        if (Accepted) *Accepted = e.isAccepted();
    }
    static void Drag(TCustomGrid* G, QPoint From, QPoint To)
    {
        QWidget* w = G->Window()->ClientWidget();
        QTest::mousePress(w, Qt::LeftButton, {}, From);
        QMouseEvent move(QEvent::MouseMove, QPointF(To), w->mapToGlobal(QPointF(To)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(w, &move);
        QTest::mouseRelease(w, Qt::LeftButton, {}, To);
    }
    // qWait sleeps in coarse slices; a real loop lets the repeat timer run at its pace.
    static void Spin(int Ms)
    {
        QEventLoop loop;
        QTimer::singleShot(Ms, &loop, &QEventLoop::quit);
        loop.exec();
    }
    static void Key(int K, Qt::KeyboardModifiers Mods = {}) { QTest::keyClick(QApplication::focusWidget(), Qt::Key(K), Mods); }
    // The current cell lies whole inside the cells, clear of the scroll bars.
    static bool CurrentCellShown(TCustomGrid* G)
    {
        const TRect r = G->CellRect(G->Col(), G->Row());
        return r.Right > r.Left && r.Right <= G->ClientWidth() - TCustomGrid::ScrollBarSize &&
               r.Bottom <= G->ClientHeight() - TCustomGrid::ScrollBarSize;
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

// Scrolling: the view's first row and column, the keys, the wheel and the scroll bars.

TEST_F(GridsTest, TopRowAndLeftColStayBetweenTheFixedCellsAndTheLastFullView)
{
    MakeTall();
    int changes = 0;
    Grid->OnTopLeftChanged = [&](TObject*) { ++changes; };
    EXPECT_EQ(1, Grid->TopRow());
    EXPECT_EQ(1, Grid->LeftCol());
    // 140 - 16 (bar) - 25 (fixed row) leaves 99 pixels: four rows of 24 + line.
    EXPECT_EQ(4, Grid->VisibleRowCount());
    Grid->SetTopRow(100);
    EXPECT_EQ(16, Grid->TopRow());  // rows 16..19 fill the view
    Grid->SetTopRow(0);
    EXPECT_EQ(1, Grid->TopRow());  // never into the fixed row
    Grid->SetLeftCol(-3);
    EXPECT_EQ(1, Grid->LeftCol());
    Grid->SetLeftCol(100);
    EXPECT_EQ(10 - Grid->VisibleColCount(), Grid->LeftCol());
    EXPECT_EQ(3, changes);
    Grid->SetTopRow(100);
    Grid->SetRowCount(6);  // fewer rows pull the view back
    EXPECT_EQ(2, Grid->TopRow());
    Grid->SetFixedRows(4);
    EXPECT_EQ(4, Grid->TopRow());
}

TEST_F(GridsTest, AScrolledGridDrawsItsFirstShownCellRightAfterTheFixedOnes)
{
    MakeTall();
    Grid->SetRow(5);
    Grid->SetCol(3);
    Grid->SetTopRow(5);
    Grid->SetLeftCol(3);
    std::map<std::pair<int32_t, int32_t>, TRect> drawn;
    Grid->OnDrawCell = [&](TObject*, int32_t C, int32_t R, TRect Rc, TOwnerDrawState) { drawn[{C, R}] = Rc; };
    Grid->Repaint();
    EXPECT_EQ(Rect(65, 25, 129, 49), drawn.at({3, 5}));
    EXPECT_EQ(Rect(65, 0, 129, 24), drawn.at({3, 0}));  // the fixed row stays at the top
    EXPECT_EQ(Rect(0, 25, 64, 49), drawn.at({0, 5}));   // the fixed column at the left
    EXPECT_EQ(0u, drawn.count({1, 1}));                 // scrolled out
    EXPECT_EQ(0u, drawn.count({2, 5}));
    EXPECT_EQ(Rect(0, 0, 0, 0), Grid->CellRect(2, 5));
    const QImage& img = Grid->RetainedImage();
    EXPECT_EQ(ToQRgb(clHighlight), img.pixel(80, 35));  // the current cell (3, 5) drawn there
    EXPECT_EQ(ToQRgb(clBtnFace), img.pixel(20, 35));
    int32_t c = -1, r = -1;
    Grid->MouseToCell(80, 35, c, r);
    EXPECT_EQ(3, c);
    EXPECT_EQ(5, r);
    Grid->MouseToCell(Grid->ClientWidth() - 4, 35, c, r);  // on the scroll bar
    EXPECT_EQ(-1, c);
}

TEST_F(GridsTest, KeysMoveTheCurrentCellAndScrollItIntoView)
{
    MakeTall();
    Show();
    Grid->SetFocus();
    Key(Qt::Key_PageDown);
    EXPECT_EQ(5, Grid->Row());  // a page is the rows shown whole
    EXPECT_TRUE(CurrentCellShown(Grid));
    EXPECT_EQ(2, Grid->TopRow());
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(9, Grid->Col());
    EXPECT_EQ(19, Grid->Row());
    EXPECT_EQ(16, Grid->TopRow());
    EXPECT_TRUE(CurrentCellShown(Grid));
    Key(Qt::Key_Home);
    EXPECT_EQ(1, Grid->Col());
    EXPECT_EQ(1, Grid->LeftCol());
    EXPECT_EQ(19, Grid->Row());
    Key(Qt::Key_PageUp);
    Key(Qt::Key_Up);
    EXPECT_EQ(14, Grid->Row());
    EXPECT_EQ(14, Grid->TopRow());  // moving up past the top pulls the view along
    Key(Qt::Key_End);
    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(1, Grid->Row());
    EXPECT_EQ(1, Grid->Col());
    EXPECT_EQ(1, Grid->TopRow());
    EXPECT_EQ(1, Grid->LeftCol());
    Grid->SetRow(12);  // setting the current cell scrolls too
    EXPECT_TRUE(CurrentCellShown(Grid));
}

TEST_F(GridsTest, TheWheelScrollsRowsOrWithShiftColumnsAndPassesOnAtTheEnd)
{
    MakeTall();
    Show();
    bool accepted = false;
    Wheel(Grid, 120, {}, &accepted);  // already at the top
    EXPECT_FALSE(accepted);
    Wheel(Grid, -120, {}, &accepted);
    EXPECT_TRUE(accepted);
    EXPECT_EQ(4, Grid->TopRow());
    EXPECT_EQ(1, Grid->Row());  // the current cell stays
    Wheel(Grid, -240);
    EXPECT_EQ(10, Grid->TopRow());
    Wheel(Grid, -120 * 20);
    EXPECT_EQ(16, Grid->TopRow());
    Wheel(Grid, -120, Qt::ShiftModifier);
    EXPECT_EQ(4, Grid->LeftCol());
    EXPECT_EQ(16, Grid->TopRow());
}

TEST_F(GridsTest, ScrollBarsShowAsAllowedAndOnlyWhenCellsDoNotFit)
{
    const QImage& img = Grid->RetainedImage();
    auto right = [&] { return img.pixel(Grid->ClientWidth() - 8, 60); };        // on a vertical bar
    auto bottom = [&] { return img.pixel(150, Grid->ClientHeight() - 8); };     // on a horizontal bar
    Grid->Repaint();
    EXPECT_EQ(ToQRgb(clWindow), right());  // 5 x 5 cells fit: no bars
    EXPECT_EQ(ToQRgb(clWindow), bottom());
    MakeTall();
    Grid->Repaint();
    EXPECT_EQ(ToQRgb(clScrollBar), img.pixel(Grid->ClientWidth() - 8, 105));  // the trough below the thumb
    EXPECT_NE(ToQRgb(clWindow), bottom());
    for (const auto& [style, vertical, horizontal] :
         {std::tuple{ssNone, false, false}, {ssVertical, true, false}, {ssHorizontal, false, true}}) {
        Grid->SetScrollBars(style);
        Grid->Repaint();
        EXPECT_EQ(vertical, right() != ToQRgb(clWindow)) << style;
        EXPECT_EQ(horizontal, bottom() != ToQRgb(clWindow)) << style;
    }
    Grid->SetScrollBars(ssNone);  // without bars the keys still scroll, over the whole height
    Grid->SetTopRow(100);
    EXPECT_EQ(20, Grid->TopRow() + Grid->VisibleRowCount());
}

TEST_F(GridsTest, ClicksAndDragsOnTheScrollBarScroll)
{
    MakeTall();
    Show();
    QWidget* w = Grid->Window()->ClientWidget();
    const int32_t x = Grid->ClientWidth() - 8, h = Grid->ClientHeight() - TCustomGrid::ScrollBarSize;
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(x, h - 8));  // the down arrow
    EXPECT_EQ(2, Grid->TopRow());
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(x, h - 20));  // the trough below the thumb: a page
    EXPECT_EQ(6, Grid->TopRow());
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(x, 4));  // the up arrow
    EXPECT_EQ(5, Grid->TopRow());
    Grid->SetTopRow(1);
    Drag(Grid, QPoint(x, 20), QPoint(x, h));  // the thumb to the end
    EXPECT_EQ(16, Grid->TopRow());
    Drag(Grid, QPoint(x, h - 20), QPoint(x, 0));
    EXPECT_EQ(1, Grid->TopRow());
    EXPECT_EQ(1, Grid->Row());  // no cell was clicked
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(Grid->ClientWidth() - TCustomGrid::ScrollBarSize - 8, Grid->ClientHeight() - 8));
    EXPECT_EQ(2, Grid->LeftCol());  // the right arrow of the horizontal bar
}

TEST_F(GridsTest, AHeldScrollBarRepeatsUntilReleasedOrUntilTheThumbReachesThePointer)
{
    MakeTall();
    Show();
    QWidget* w = Grid->Window()->ClientWidget();
    const int32_t x = Grid->ClientWidth() - 8, h = Grid->ClientHeight() - TCustomGrid::ScrollBarSize;
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(x, h - 8));  // the down arrow, held
    EXPECT_EQ(2, Grid->TopRow());
    Spin(200);
    EXPECT_EQ(2, Grid->TopRow());  // no repeat before the first delay
    Spin(400);
    EXPECT_GT(Grid->TopRow(), 3);
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(x, h - 8));
    const int32_t released = Grid->TopRow();
    Spin(200);
    EXPECT_EQ(released, Grid->TopRow());

    Grid->SetTopRow(1);
    const QPoint middle(x, h / 2);  // the trough below the thumb, half way
    QTest::mousePress(w, Qt::LeftButton, {}, middle);
    Spin(1000);
    QTest::mouseRelease(w, Qt::LeftButton, {}, middle);
    const int32_t stopped = Grid->TopRow();
    EXPECT_GT(stopped, 1 + Grid->VisibleRowCount());  // it repeated
    EXPECT_LT(stopped, 16);                            // but not to the end
    QTest::mouseClick(w, Qt::LeftButton, {}, middle);  // the thumb is under the pointer: a click does not page
    EXPECT_EQ(stopped, Grid->TopRow());
}

TEST_F(GridsTest, AFramedGridKeepsScrollingWhenResized)
{
    auto* framed = new TFramedGrid(&Form);
    framed->SetParent(&Form);
    framed->SetCaption("Framed grid");
    framed->SetBounds(10, 160, 300, 120);
    framed->SetRowCount(20);
    Show();
    framed->SetTopRow(100);
    const int32_t lastTop = framed->TopRow();
    EXPECT_EQ(20, lastTop + framed->VisibleRowCount());
    framed->SetBounds(10, 100, 300, 180);  // taller: the view moves back so the last row stays at the bottom
    EXPECT_LT(framed->TopRow(), lastTop);
    EXPECT_EQ(20, framed->TopRow() + framed->VisibleRowCount());
    framed->Repaint();
    EXPECT_EQ(ToQRgb(clScrollBar), framed->RetainedImage().pixel(framed->ClientWidth() - 8, framed->ClientHeight() / 2));
    Wheel(framed, 120);
    EXPECT_EQ(20 - framed->VisibleRowCount() - 3, framed->TopRow());
}

// Columns and rows as string lists.

TEST_F(GridsTest, ColsAndRowsReadAndWriteTheCells)
{
    Grid->SetCell(2, 0, "head");
    Grid->SetCell(2, 3, "x");
    Grid->SetCell(1, 3, "y");
    TStrings* col = Grid->Cols(2);
    EXPECT_EQ(5, col->Count());
    EXPECT_EQ("head", col->Get(0));
    EXPECT_EQ("x", col->Get(3));
    EXPECT_EQ("", col->Get(1));
    EXPECT_EQ((std::vector<String>{"", "y", "x", "", ""}), Grid->Rows(3)->ToVector());
    Grid->SetCell(2, 1, "later");  // a view follows the cells
    EXPECT_EQ("later", col->Get(1));
    col->Put(4, "put");
    EXPECT_EQ("put", Grid->Cells(2, 4));
    TStringList lines;
    lines.AddStrings(std::vector<String>{"a", "", "c"});
    Grid->SetCols(2, &lines);  // replaces the whole column, in order
    EXPECT_EQ((std::vector<String>{"a", "", "c", "", ""}), Grid->Cols(2)->ToVector());
    EXPECT_EQ("y", Grid->Cells(1, 3));
    lines.AddStrings(std::vector<String>{"d", "e", "f", "g"});
    Grid->SetRows(1, &lines);  // lines past the last column are dropped
    EXPECT_EQ((std::vector<String>{"a", "", "c", "d", "e"}), Grid->Rows(1)->ToVector());
    Grid->Rows(1)->Clear();
    EXPECT_EQ("", Grid->Cells(3, 1));
    EXPECT_THROW(Grid->Cols(5), EListError);
    EXPECT_THROW(Grid->Rows(0)->Delete(0), EInvalidOperation);
}

// Sizing and moving through the fixed cells.

TEST_F(GridsTest, DraggingGridLinesInFixedCellsResizesScrolledColumnsAndRows)
{
    MakeTall();
    Show();
    Grid->SetOptions(Grid->Options() | goColSizing | goRowSizing);
    Grid->SetLeftCol(4);
    const int32_t edge = Grid->CellRect(4, 0).Right;
    EXPECT_EQ(129, edge);  // column 4 drawn right after the fixed one
    Drag(Grid, QPoint(edge, 5), QPoint(edge - 20, 5));
    EXPECT_EQ(44, Grid->ColWidths(4));
    EXPECT_EQ(64, Grid->ColWidths(1));
    const int32_t line = Grid->CellRect(0, 1).Bottom;
    Drag(Grid, QPoint(10, line), QPoint(10, line + 16));
    EXPECT_EQ(40, Grid->RowHeights(1));
    EXPECT_EQ(24, Grid->RowHeights(2));
    Drag(Grid, QPoint(80, line + 16), QPoint(80, line + 40));  // inside the cells a line does nothing
    EXPECT_EQ(40, Grid->RowHeights(1));
}

TEST_F(GridsTest, DraggingAFixedCellMovesItsRowWithCellsHeightAndEvent)
{
    Show();
    std::vector<std::pair<int32_t, int32_t>> moves;
    Grid->OnRowMoved = [&](TObject*, int32_t From, int32_t To) { moves.emplace_back(From, To); };
    Grid->SetCell(0, 2, "two");
    Grid->SetCell(3, 2, "cell");
    Grid->SetCell(3, 4, "four");
    Grid->SetRowHeights(2, 30);
    Grid->SetRow(2);
    auto centre = [&](int32_t C, int32_t R) {
        const TRect r = Grid->CellRect(C, R);
        return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    };
    Drag(Grid, centre(0, 2), centre(0, 4));
    EXPECT_TRUE(moves.empty());  // without goRowMoving
    Grid->SetOptions(Grid->Options() | goRowMoving);
    Drag(Grid, centre(0, 2), centre(0, 4));
    ASSERT_EQ(1u, moves.size());
    EXPECT_EQ((std::pair<int32_t, int32_t>(2, 4)), moves[0]);
    EXPECT_EQ("two", Grid->Cells(0, 4));
    EXPECT_EQ("cell", Grid->Cells(3, 4));
    EXPECT_EQ("four", Grid->Cells(3, 3));  // the rows between move up
    EXPECT_EQ("", Grid->Cells(3, 2));
    EXPECT_EQ(30, Grid->RowHeights(4));
    EXPECT_EQ(24, Grid->RowHeights(2));
    EXPECT_EQ(4, Grid->Row());  // the current cell goes with its row
}

TEST_F(GridsTest, MoveColumnCarriesCellsWidthsAndTheCurrentColumn)
{
    std::vector<std::pair<int32_t, int32_t>> moves;
    Grid->OnColumnMoved = [&](TObject*, int32_t From, int32_t To) { moves.emplace_back(From, To); };
    Grid->SetCell(4, 0, "last");
    Grid->SetCell(1, 1, "first");
    Grid->SetColWidths(4, 20);
    Grid->SetCol(1);
    Grid->MoveColumn(4, 1);
    EXPECT_EQ((std::vector<std::pair<int32_t, int32_t>>{{4, 1}}), moves);
    EXPECT_EQ("last", Grid->Cells(1, 0));
    EXPECT_EQ("first", Grid->Cells(2, 1));
    EXPECT_EQ(20, Grid->ColWidths(1));
    EXPECT_EQ(64, Grid->ColWidths(4));
    EXPECT_EQ(2, Grid->Col());
    EXPECT_THROW(Grid->MoveColumn(0, 5), EInvalidOperation);
    Grid->SetOptions(Grid->Options() | goColMoving);
    Show();
    const TRect from = Grid->CellRect(3, 0), to = Grid->CellRect(1, 0);
    Drag(Grid, QPoint(from.Left + 20, 10), QPoint(to.Left + 20, 10));
    EXPECT_EQ((std::pair<int32_t, int32_t>(3, 1)), moves.back());
}

TEST_F(GridsTest, AFormFileKeepsScrollBarsAndLeavesTheDefaultOut)
{
    Form.SetName("GridForm");
    Grid->SetName("Grid1");
    EXPECT_EQ(String::npos, ComponentToText(&Form).find("ScrollBars"));
    Grid->SetScrollBars(ssVertical);
    const String text = ComponentToText(&Form);
    std::unique_ptr<TComponent> copy(TextToComponent(text));
    auto* g = As<TStringGrid>(copy->FindComponent("Grid1"));
    ASSERT_NE(nullptr, g);
    EXPECT_EQ(ssVertical, g->ScrollBars());
    EXPECT_EQ(text, ComponentToText(copy.get()));
}
