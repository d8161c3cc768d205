// Keyboard input and focus: virtual keys reach the focused control, Tab walks the tab order,
// the form remembers its active control.
#include "framework/core/FormFiles.h"
#include "framework/gui/ExtCtrls.h"
#include "framework/gui/Forms.h"
#include "framework/gui/qt/WidgetBridge.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace qel;

namespace {

struct TKeyRecord {
    char Kind;  // 'd'own, 'p'ress, 'u'p
    int Key;
    bool Shift;
    bool Ctrl;
};

class KeyboardTest : public ::testing::Test {
protected:
    KeyboardTest() : Form(new TForm(nullptr)) { Form->SetBounds(20, 20, 300, 200); }
    ~KeyboardTest() override { delete Form; }

    TPanel* AddPanel(const String& Name, int32_t X, bool TabStop = true)
    {
        auto* p = new TPanel(Form);
        p->SetName(Name);
        p->SetParent(Form);
        p->SetBounds(X, 10, 40, 40);
        p->SetTabStop(TabStop);
        return p;
    }

    void ShowForm()
    {
        Form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form->Window()->OuterWidget()));
        QCoreApplication::processEvents();
    }

    static void Record(TWinControl* C, std::vector<TKeyRecord>& Log)
    {
        C->OnKeyDown = [&Log](TObject*, uint16_t& Key, TShiftState S) {
            Log.push_back({'d', Key, S.Contains(ssShift), S.Contains(ssCtrl)});
        };
        C->OnKeyPress = [&Log](TObject*, char& Key) { Log.push_back({'p', Key, false, false}); };
        C->OnKeyUp = [&Log](TObject*, uint16_t& Key, TShiftState S) {
            Log.push_back({'u', Key, S.Contains(ssShift), S.Contains(ssCtrl)});
        };
    }

    static void Tab(bool Back = false)
    {
        QTest::keyClick(QApplication::focusWidget(), Back ? Qt::Key_Backtab : Qt::Key_Tab,
                        Back ? Qt::ShiftModifier : Qt::NoModifier);
        QCoreApplication::processEvents();
    }

    TForm* Form;
};

}  // namespace

TEST_F(KeyboardTest, KeysReachTheFocusedControlAsClassicVirtualKeys)
{
    TPanel* a = AddPanel("A", 10);
    TPanel* b = AddPanel("B", 60);
    std::vector<TKeyRecord> logA, logB;
    Record(a, logA);
    Record(b, logB);
    ShowForm();
    a->SetFocus();
    QCoreApplication::processEvents();
    ASSERT_TRUE(a->Focused());
    EXPECT_FALSE(b->Focused());
    QWidget* w = QApplication::focusWidget();
    QTest::keyClick(w, 'A', Qt::ShiftModifier);  // Shift down, A down and up, Shift up
    ASSERT_EQ(5u, logA.size());
    EXPECT_EQ('d', logA[0].Kind);
    EXPECT_EQ(VK_SHIFT, logA[0].Key);
    EXPECT_EQ('d', logA[1].Kind);
    EXPECT_EQ(0x41, logA[1].Key);
    EXPECT_TRUE(logA[1].Shift);
    EXPECT_EQ('p', logA[2].Kind);
    EXPECT_EQ('A', logA[2].Key);
    EXPECT_EQ('u', logA[3].Kind);
    EXPECT_EQ(0x41, logA[3].Key);
    EXPECT_EQ(VK_SHIFT, logA[4].Key);
    logA.clear();
    const std::pair<Qt::Key, int> keys[] = {{Qt::Key_7, 0x37},         {Qt::Key_Z, 0x5A},
                                            {Qt::Key_Left, VK_LEFT},   {Qt::Key_Up, VK_UP},
                                            {Qt::Key_Right, VK_RIGHT}, {Qt::Key_Down, VK_DOWN},
                                            {Qt::Key_F1, VK_F1},       {Qt::Key_F12, VK_F12},
                                            {Qt::Key_Escape, VK_ESCAPE}, {Qt::Key_Return, VK_RETURN},
                                            {Qt::Key_Enter, VK_RETURN}, {Qt::Key_Shift, VK_SHIFT},
                                            {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU}};
    for (const auto& [qt, vk] : keys) {
        logA.clear();
        QTest::keyClick(w, qt);
        ASSERT_FALSE(logA.empty()) << vk;
        EXPECT_EQ(vk, logA.front().Key);
        EXPECT_EQ(vk, logA.back().Key);
    }
    logA.clear();
    QTest::keyClick(w, Qt::Key_Return);
    ASSERT_EQ(3u, logA.size());
    EXPECT_EQ('\r', logA[1].Key);  // Return is a character too
    logA.clear();
    QTest::keyClick(w, Qt::Key_C, Qt::ControlModifier);
    ASSERT_GE(logA.size(), 2u);
    EXPECT_EQ(VK_CONTROL, logA[0].Key);
    EXPECT_EQ(0x43, logA[1].Key);
    EXPECT_TRUE(logA[1].Ctrl);
    EXPECT_TRUE(logB.empty());  // only the focused control hears keys
}

TEST_F(KeyboardTest, TabAndShiftTabWalkTheTabStopsInTabOrder)
{
    TPanel* a = AddPanel("A", 10);
    TPanel* b = AddPanel("B", 60);
    TPanel* c = AddPanel("C", 110, false);
    TPanel* d = AddPanel("D", 160);
    auto* inner = new TPanel(Form);  // a container's children follow it in the order
    inner->SetParent(b);
    inner->SetBounds(2, 2, 20, 20);
    inner->SetTabStop(true);
    d->SetTabOrder(0);
    std::vector<TKeyRecord> log;
    Record(a, log);
    std::vector<String> entered;
    for (TWinControl* w : {static_cast<TWinControl*>(a), static_cast<TWinControl*>(b), static_cast<TWinControl*>(c),
                           static_cast<TWinControl*>(d), static_cast<TWinControl*>(inner)})
        w->OnEnter = [&entered, w](TObject*) { entered.push_back(w->Name().empty() ? "inner" : w->Name()); };
    ShowForm();
    EXPECT_TRUE(d->Focused());  // no ActiveControl: the first tab stop gets the focus
    EXPECT_EQ(d, Form->ActiveControl());
    Tab();
    EXPECT_TRUE(a->Focused());
    Tab();
    EXPECT_TRUE(b->Focused());
    Tab();
    EXPECT_TRUE(inner->Focused());
    Tab();
    EXPECT_TRUE(d->Focused());  // C is no tab stop; the walk wraps round
    Tab(true);
    EXPECT_TRUE(inner->Focused());
    EXPECT_EQ(inner, Form->ActiveControl());
    b->Hide();  // hidden controls and their children are skipped
    a->SetFocus();
    QCoreApplication::processEvents();
    Tab();
    EXPECT_TRUE(d->Focused());
    EXPECT_EQ((std::vector<String>{"D", "A", "B", "inner", "D", "inner", "A", "D"}), entered);
    // Tab is not a key for the control (only its release reaches the control it moved to).
    for (const TKeyRecord& r : log) EXPECT_FALSE(r.Kind != 'u' && r.Key == VK_TAB) << r.Kind;
}

TEST_F(KeyboardTest, TabOrderRenumbersTheSiblingsAndComesBackFromAFormFile)
{
    TPanel* a = AddPanel("A", 10);
    TPanel* b = AddPanel("B", 60);
    TPanel* c = AddPanel("C", 110);
    EXPECT_EQ(0, a->TabOrder());
    EXPECT_EQ(2, c->TabOrder());
    c->SetTabOrder(0);
    EXPECT_EQ((std::vector<TWinControl*>{c, a, b}), Form->TabOrderList());
    a->SetTabOrder(99);  // clamps to the last place
    EXPECT_EQ((std::vector<TWinControl*>{c, b, a}), Form->TabOrderList());
    a->SetTabOrder(-5);  // and to the first
    EXPECT_EQ((std::vector<TWinControl*>{a, c, b}), Form->TabOrderList());
    EXPECT_EQ(1, c->TabOrder());
    // Read back in creation order, later siblings would shift the earlier ones' places.
    a->SetTabOrder(2);
    b->SetTabOrder(1);
    c->SetTabOrder(0);
    Form->SetName("TabForm");
    std::unique_ptr<TComponent> copy(TextToComponent(ComponentToText(Form)));
    auto* f = dynamic_cast<TForm*>(copy.get());
    ASSERT_NE(nullptr, f);
    EXPECT_EQ(2, dynamic_cast<TWinControl*>(f->FindComponent("A"))->TabOrder());
    EXPECT_EQ(1, dynamic_cast<TWinControl*>(f->FindComponent("B"))->TabOrder());
    EXPECT_EQ(0, dynamic_cast<TWinControl*>(f->FindComponent("C"))->TabOrder());
}

TEST_F(KeyboardTest, TheActiveControlGetsTheFocusWhenShownAndFollowsIt)
{
    TPanel* a = AddPanel("A", 10);
    TPanel* b = AddPanel("B", 60);
    EXPECT_FALSE(b->CanFocus());  // the form is hidden
    Form->SetActiveControl(b);
    EXPECT_EQ(b, Form->ActiveControl());
    TForm other(nullptr);
    EXPECT_THROW(Form->SetActiveControl(&other), EInvalidOperation);
    ShowForm();
    EXPECT_TRUE(b->CanFocus());
    EXPECT_TRUE(b->Focused());
    Form->SetActiveControl(a);
    QCoreApplication::processEvents();
    EXPECT_TRUE(a->Focused());
    a->SetEnabled(false);
    EXPECT_FALSE(a->CanFocus());
    EXPECT_THROW(a->SetFocus(), EInvalidOperation);
    b->SetFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(b, Form->ActiveControl());
    delete b;
    EXPECT_EQ(nullptr, Form->ActiveControl());
}

TEST_F(KeyboardTest, AClickFocusesATabStopAndLeavesOthersAlone)
{
    TPanel* a = AddPanel("A", 10);
    TPanel* b = AddPanel("B", 60);
    TPanel* quiet = AddPanel("Quiet", 110, false);
    ShowForm();
    a->SetFocus();
    QCoreApplication::processEvents();
    QTest::mouseClick(b->Window()->OuterWidget(), Qt::LeftButton, {}, QPoint(5, 5));
    QCoreApplication::processEvents();
    EXPECT_TRUE(b->Focused());
    QTest::mouseClick(quiet->Window()->OuterWidget(), Qt::LeftButton, {}, QPoint(5, 5));
    QCoreApplication::processEvents();
    EXPECT_TRUE(b->Focused());  // a control that is no tab stop takes no focus from a click
    QTest::mouseClick(a->Window()->OuterWidget(), Qt::RightButton, {}, QPoint(5, 5));
    QCoreApplication::processEvents();
    EXPECT_TRUE(b->Focused());
}
