// Drag and drop inside one form, driven by real mouse events on the controls' widgets.
#include "framework/gui/ExtCtrls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/qt/WidgetBridge.h"

#include <QCoreApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace qel;

namespace {

struct TOver {
    TObject* Sender;
    TObject* Source;
    int X, Y;
    TDragState State;
};

class DragDropTest : public ::testing::Test {
protected:
    DragDropTest() : Form(new TForm(nullptr))
    {
        Form->SetBounds(30, 30, 320, 200);
        Source = AddPanel(10, 10);
        Target = AddPanel(100, 10);
        Other = AddPanel(200, 10);
        Target->OnDragOver = [this](TObject* S, TObject* Src, int32_t X, int32_t Y, TDragState St, bool& Accept) {
            Overs.push_back({S, Src, X, Y, St});
            Accept = AcceptDrop;
        };
        Target->OnDragDrop = [this](TObject* S, TObject* Src, int32_t X, int32_t Y) { Drops.push_back({S, Src, X, Y, dsDragMove}); };
        Source->OnStartDrag = [this](TObject*, TObject*&) { ++Starts; };
        Source->OnEndDrag = [this](TObject*, TObject* T, int32_t X, int32_t Y) { Ends.push_back({nullptr, T, X, Y, dsDragMove}); };
        Form->Show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Form->Window()->OuterWidget()));
    }
    ~DragDropTest() override { delete Form; }

    TPanel* AddPanel(int32_t X, int32_t Y)
    {
        auto* p = new TPanel(Form);
        p->SetParent(Form);
        p->SetBounds(X, Y, 60, 60);
        return p;
    }

    // Source-widget coordinates of a point in another control's client area.
    QPoint At(TControl* C, int X, int Y) const
    {
        const TPoint p = Source->ScreenToClient(C->ClientToScreen(Point(X, Y)));
        return QPoint(p.X, p.Y);
    }
    QWidget* SourceWidget() const { return Source->Window()->ClientWidget(); }

    TForm* Form;
    TPanel* Source;
    TPanel* Target;
    TPanel* Other;
    bool AcceptDrop = true;
    int Starts = 0;
    std::vector<TOver> Overs, Drops, Ends;
};

}  // namespace

TEST_F(DragDropTest, AnAutomaticDragEntersMovesLeavesAndDropsOnTheAcceptingTarget)
{
    Source->SetDragMode(dmAutomatic);
    QTest::mousePress(SourceWidget(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(Source->Dragging());
    EXPECT_EQ(1, Starts);
    QTest::mouseMove(SourceWidget(), At(Target, 10, 12));
    QTest::mouseMove(SourceWidget(), At(Target, 11, 12));
    QTest::mouseMove(SourceWidget(), At(Other, 5, 5));  // no OnDragOver there
    QTest::mouseMove(SourceWidget(), At(Target, 20, 30));
    QTest::mouseRelease(SourceWidget(), Qt::LeftButton, {}, At(Target, 20, 30));
    EXPECT_FALSE(Source->Dragging());
    ASSERT_GE(Overs.size(), 5u);
    EXPECT_EQ(Target, Overs[0].Sender);
    EXPECT_EQ(Source, Overs[0].Source);
    EXPECT_EQ(dsDragEnter, Overs[0].State);
    EXPECT_EQ(10, Overs[0].X);
    EXPECT_EQ(12, Overs[0].Y);
    EXPECT_EQ(dsDragMove, Overs[1].State);
    EXPECT_EQ(11, Overs[1].X);
    EXPECT_EQ(dsDragLeave, Overs[2].State);
    EXPECT_EQ(dsDragEnter, Overs[3].State);
    ASSERT_EQ(1u, Drops.size());
    EXPECT_EQ(Target, Drops[0].Sender);
    EXPECT_EQ(Source, Drops[0].Source);
    EXPECT_EQ(20, Drops[0].X);
    EXPECT_EQ(30, Drops[0].Y);
    ASSERT_EQ(1u, Ends.size());
    EXPECT_EQ(Target, Ends[0].Source);  // the target the drag ended on
    EXPECT_EQ(20, Ends[0].X);
    EXPECT_EQ(30, Ends[0].Y);
}

TEST_F(DragDropTest, ARefusedOrMissedDropEndsWithoutATarget)
{
    Source->SetDragMode(dmAutomatic);
    AcceptDrop = false;
    QTest::mousePress(SourceWidget(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(SourceWidget(), At(Target, 10, 10));
    QTest::mouseRelease(SourceWidget(), Qt::LeftButton, {}, At(Target, 10, 10));
    EXPECT_TRUE(Drops.empty());
    ASSERT_EQ(1u, Ends.size());
    EXPECT_EQ(nullptr, Ends[0].Source);
    QTest::mousePress(SourceWidget(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(SourceWidget(), At(Other, 10, 10));
    QTest::mouseRelease(SourceWidget(), Qt::LeftButton, {}, At(Other, 10, 10));
    ASSERT_EQ(2u, Ends.size());
    EXPECT_EQ(nullptr, Ends[1].Source);
    EXPECT_TRUE(Drops.empty());
}

TEST_F(DragDropTest, AManualControlDragsOnlyWhenToldTo)
{
    QTest::mousePress(SourceWidget(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(Source->Dragging());
    QTest::mouseMove(SourceWidget(), At(Target, 10, 10));
    QTest::mouseRelease(SourceWidget(), Qt::LeftButton, {}, At(Target, 10, 10));
    EXPECT_TRUE(Overs.empty());
    EXPECT_EQ(0, Starts);
    Source->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int32_t, int32_t) { Source->BeginDrag(true); };
    QTest::mousePress(SourceWidget(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(Source->Dragging());
    QTest::mouseMove(SourceWidget(), At(Target, 10, 10));
    QTest::mouseRelease(SourceWidget(), Qt::LeftButton, {}, At(Target, 10, 10));
    EXPECT_EQ(1u, Drops.size());
    // EndDrag(false) cancels: no drop, no target.
    QTest::mousePress(SourceWidget(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(SourceWidget(), At(Target, 10, 10));
    Source->EndDrag(false);
    EXPECT_FALSE(Source->Dragging());
    QTest::mouseRelease(SourceWidget(), Qt::LeftButton, {}, At(Target, 10, 10));
    EXPECT_EQ(1u, Drops.size());
    ASSERT_EQ(2u, Ends.size());
    EXPECT_EQ(nullptr, Ends[1].Source);
}
