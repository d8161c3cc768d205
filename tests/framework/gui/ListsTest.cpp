// List boxes: items and selection kept in step, clicks and keys, owner drawing, a framed list
// box, and form files.
#include "framework/core/Exceptions.h"
#include "framework/core/FormFiles.h"
#include "framework/gui/Forms.h"
#include "framework/gui/StdCtrls.h"
#include "framework/gui/qt/WidgetBridge.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace qel;

namespace {

class TFramedListBox : public TListBox {
public:
    explicit TFramedListBox(TComponent* AOwner) : TListBox(AOwner) {}

protected:
    void CreateParams(TCreateParams& Params) override
    {
        TListBox::CreateParams(Params);
        Params.Style |= WS_CAPTION | WS_THICKFRAME;
    }
};

class ListsTest : public ::testing::Test {
protected:
    ListsTest()
    {
        Form.SetBounds(40, 40, 320, 240);
        List = new TListBox(&Form);
        List->SetParent(&Form);
        List->SetBounds(10, 10, 120, 100);
        List->Items()->SetText("one\ntwo\nthree\nfour\n");
    }
    void Show()
    {
        Form.Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.Window()->OuterWidget()));
    }
    // A real click on the list's client widget, in the middle of row Index.
    static void ClickRow(TCustomListBox* L, int Index, Qt::KeyboardModifiers Mods = {})
    {
        const TRect r = L->ItemRect(Index);
        QTest::mouseClick(L->Window()->ClientWidget(), Qt::LeftButton, Mods, QPoint(20, (r.Top + r.Bottom) / 2));
    }
    TForm Form{nullptr};
    TListBox* List;
};

}  // namespace

TEST_F(ListsTest, ClicksAndArrowKeysSelectAndReportIt)
{
    Show();
    int clicks = 0, downs = 0;
    List->OnClick = [&](TObject*) { ++clicks; };
    List->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int32_t, int32_t) { ++downs; };
    EXPECT_EQ(-1, List->ItemIndex());
    ClickRow(List, 2);
    EXPECT_EQ(2, List->ItemIndex());
    EXPECT_TRUE(List->Selected(2));
    EXPECT_EQ(1, clicks);
    EXPECT_EQ(1, downs);
    EXPECT_TRUE(List->Focused());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(3, List->ItemIndex());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);  // already at the end: nothing
    EXPECT_EQ(3, List->ItemIndex());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_EQ(2, List->ItemIndex());
    EXPECT_EQ(3, clicks);
    EXPECT_FALSE(List->Selected(3));
    // Setting ItemIndex in code is no user click.
    List->SetItemIndex(0);
    EXPECT_EQ(3, clicks);
    List->SetItemIndex(99);
    EXPECT_EQ(-1, List->ItemIndex());
    EXPECT_THROW(List->Selected(4), EListError);
}

TEST_F(ListsTest, KeysScrollTheSelectionIntoView)
{
    List->Items()->SetText("a\nb\nc\nd\ne\nf\ng\nh\ni\nj\n");
    Show();
    List->SetFocus();
    List->SetItemIndex(0);
    for (int i = 0; i < 9; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(9, List->ItemIndex());
    EXPECT_GT(List->TopIndex(), 0);
    EXPECT_LE(List->ItemRect(9).Bottom, List->ClientHeight());
    EXPECT_EQ(9, List->ItemAtPos(Point(5, List->ItemRect(9).Top + 1), true));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
    EXPECT_EQ(0, List->TopIndex());
}

TEST_F(ListsTest, TheSelectionFollowsItsItemWhenItemsChange)
{
    List->SetItemIndex(1);  // "two"
    List->Items()->Insert(0, "zero");
    EXPECT_EQ(2, List->ItemIndex());
    EXPECT_TRUE(List->Selected(2));
    List->Items()->Delete(0);
    EXPECT_EQ(1, List->ItemIndex());
    List->Items()->Delete(1);
    EXPECT_EQ(-1, List->ItemIndex());
    List->SetSorted(true);
    List->SetItemIndex(1);  // "one" among four, one, three
    EXPECT_EQ("one", List->Items()->Get(1));
    List->Items()->Add("eight");  // sorted insertion before the selected item
    EXPECT_EQ("eight", List->Items()->Get(0));
    EXPECT_EQ(2, List->ItemIndex());
    List->Clear();
    EXPECT_EQ(-1, List->ItemIndex());
    EXPECT_EQ(0, List->Items()->Count());
}

TEST_F(ListsTest, MultiSelectWithControlAndShiftClicks)
{
    List->SetMultiSelect(true);
    Show();
    EXPECT_EQ(0, List->SelCount());
    ClickRow(List, 0);
    ClickRow(List, 2, Qt::ControlModifier);
    EXPECT_EQ(2, List->SelCount());
    EXPECT_TRUE(List->Selected(0));
    EXPECT_FALSE(List->Selected(1));
    ClickRow(List, 2, Qt::ControlModifier);  // toggles it off
    EXPECT_EQ(1, List->SelCount());
    ClickRow(List, 0);
    ClickRow(List, 3, Qt::ShiftModifier);  // a range from the anchor
    EXPECT_EQ(4, List->SelCount());
    ClickRow(List, 1);  // a plain click selects only that one
    EXPECT_EQ(1, List->SelCount());
    EXPECT_TRUE(List->Selected(1));
    List->SetSelected(3, true);
    EXPECT_EQ(2, List->SelCount());
    List->SetMultiSelect(false);
    EXPECT_EQ(-1, List->SelCount());
}

TEST_F(ListsTest, SelectedRowsPaintInTheHighlightColour)
{
    List->SetItemIndex(1);
    List->Repaint();
    const QImage& img = List->RetainedImage();
    const int32_t h = List->ItemHeight();
    EXPECT_EQ(ToQRgb(clHighlight), img.pixel(List->ClientWidth() - 3, h + h / 2));
    EXPECT_EQ(ToQRgb(clWindow), img.pixel(List->ClientWidth() - 3, h / 2));
}

TEST_F(ListsTest, OwnerDrawingPaintsEachRowWithItsState)
{
    List->SetStyle(lbOwnerDrawVariable);
    List->OnMeasureItem = [](TWinControl*, int Index, int32_t& Height) { Height = 10 + Index * 5; };
    std::vector<std::pair<int, TRect>> drawn;
    List->OnDrawItem = [&](TWinControl* Control, int Index, TRect R, TOwnerDrawState State) {
        drawn.emplace_back(Index, R);
        TCanvas* c = static_cast<TListBox*>(Control)->Canvas();
        c->Brush()->SetColor(State.Contains(odSelected) ? clRed : clLime);
        c->FillRect(R);
    };
    List->SetItemIndex(2);
    List->Repaint();
    ASSERT_EQ(4u, drawn.size());
    EXPECT_EQ(Rect(0, 25, List->ClientWidth(), 45), drawn[2].second);  // 10 + 15 above it, 20 high
    const QImage& img = List->RetainedImage();
    EXPECT_EQ(qRgb(255, 0, 0), img.pixel(5, 30));
    EXPECT_EQ(qRgb(0, 255, 0), img.pixel(5, 12));
    EXPECT_EQ(2, List->ItemAtPos(Point(5, 44), true));
    EXPECT_EQ(3, List->ItemAtPos(Point(5, 45), true));
    EXPECT_EQ(-1, List->ItemAtPos(Point(5, 90), true));
}

TEST_F(ListsTest, AFramedListBoxIsSizedByItsFrameAndStillClickable)
{
    auto* framed = new TFramedListBox(&Form);
    framed->SetParent(&Form);
    framed->SetCaption("Framed");
    framed->SetBounds(150, 10, 150, 160);
    framed->Items()->SetText("alpha\nbeta\ngamma\n");
    Show();
    const Bridge::TMargins m = framed->Window()->Margins();
    EXPECT_GE(m.Top, 18);
    EXPECT_EQ(150 - m.Left - m.Right, framed->ClientWidth());
    EXPECT_EQ(framed->ClientWidth(), framed->RetainedImage().width());
    int clicks = 0;
    framed->OnClick = [&](TObject*) { ++clicks; };
    ClickRow(framed, 1);
    EXPECT_EQ(1, framed->ItemIndex());
    EXPECT_EQ(1, clicks);
    EXPECT_EQ(framed->ClientWidth(), framed->ItemRect(0).Right);
}

TEST_F(ListsTest, AFormFileKeepsItemsAndSettings)
{
    List->SetName("List1");
    Form.SetName("ListForm");
    List->SetSorted(true);
    List->SetItemHeight(20);
    List->SetStyle(lbOwnerDrawFixed);
    List->SetMultiSelect(true);
    const String text = ComponentToText(&Form);
    EXPECT_NE(String::npos, text.find("\"four\""));
    std::unique_ptr<TComponent> copy(TextToComponent(text));
    auto* l = As<TListBox>(copy->FindComponent("List1"));
    ASSERT_NE(nullptr, l);
    EXPECT_TRUE(l->Items()->Equals(List->Items()));
    EXPECT_TRUE(l->Sorted());
    EXPECT_EQ(20, l->ItemHeight());
    EXPECT_EQ(lbOwnerDrawFixed, l->Style());
    EXPECT_TRUE(l->MultiSelect());
    EXPECT_EQ(text, ComponentToText(copy.get()));
}
