// Editing in TEdit and TMemo: caret and selection by keys and mouse, clipboard, undo, the rules
// (ReadOnly, MaxLength, PasswordChar, WantTabs, WantReturns), scrolling and what is painted.
#include "framework/gui/Forms.h"
#include "framework/gui/PaintedScrollBar.h"
#include "framework/gui/StdCtrls.h"
#include "framework/gui/qt/WidgetBridge.h"

#include <QClipboard>
#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

using namespace qel;

namespace {

class EditingTest : public ::testing::Test {
protected:
    EditingTest() : Form(new TForm(nullptr))
    {
        TCustomEdit::SetCaretBlinkTime(0);  // the caret stays drawn: pixels are stable
        Form->SetBounds(30, 30, 420, 320);
        Edit = Add<TEdit>("Edit1");
        Edit->SetBounds(10, 10, 150, 21);
        Memo = Add<TMemo>("Memo1");
        Memo->SetBounds(10, 40, 200, 120);
        Edit->OnChange = [this](TObject*) { ++EditChanges; };
        Memo->OnChange = [this](TObject*) { ++MemoChanges; };
    }
    ~EditingTest() override
    {
        delete Form;
        TCustomEdit::SetCaretBlinkTime(530);
    }

    template <class T>
    T* Add(const char* Name)
    {
        auto* c = new T(Form);
        c->SetName(Name);
        c->SetParent(Form);
        return c;
    }
    void ShowAndFocus(TWinControl* C)
    {
        Form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form->Window()->OuterWidget()));
        C->SetFocus();
        QCoreApplication::processEvents();
        ASSERT_TRUE(C->Focused());
    }
    static QWidget* W(TWinControl* C) { return C->Handle()->ClientWidget(); }
    static void Key(TWinControl* C, Qt::Key K, Qt::KeyboardModifiers M = Qt::NoModifier) { QTest::keyClick(W(C), K, M); }
    static void Type(TWinControl* C, const char* S) { QTest::keyClicks(W(C), S); }
    // qWait sleeps in coarse slices; a real loop lets the repeat timer run at its pace.
    static void Spin(int Ms)
    {
        QEventLoop loop;
        QTimer::singleShot(Ms, &loop, &QEventLoop::quit);
        loop.exec();
    }
    static QRgb At(TControl* C, int X, int Y) { return C->RetainedImage().pixel(X, Y) | 0xFF000000u; }
    static int CountColor(TControl* C, const TRect& R, TColor Color)
    {
        int n = 0;
        for (int y = R.Top; y < R.Bottom; ++y)
            for (int x = R.Left; x < R.Right; ++x) n += At(C, x, y) == ToQRgb(Color);
        return n;
    }
    // The middle of the caret's cell when the caret stands at Pos.
    static QPoint PointOf(TCustomEdit* C, int32_t Pos)
    {
        const int32_t keepStart = C->SelStart(), keepLength = C->SelLength();
        C->SetSelStart(Pos);
        const TRect r = C->CaretRect();
        C->SetSelStart(keepStart);
        C->SetSelLength(keepLength);
        return QPoint(r.Left, (r.Top + r.Bottom) / 2);
    }
    static String Many(int N)
    {
        String t;
        for (int i = 0; i < N; ++i) t += (i ? "\n" : "") + std::string("line ") + std::to_string(i);
        return t;
    }

    TForm* Form;
    TEdit* Edit;
    TMemo* Memo;
    int EditChanges = 0;
    int MemoChanges = 0;
};

}  // namespace

TEST_F(EditingTest, KeysMoveTheCaretByCharactersWordsAndEndsAndShiftSelects)
{
    Type(Edit, "hello big world");
    EXPECT_EQ(15, Edit->SelStart());
    Key(Edit, Qt::Key_Home);
    Key(Edit, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(6, Edit->SelStart());
    Key(Edit, Qt::Key_Right, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(6, Edit->SelStart());
    EXPECT_EQ("big ", Edit->SelText());
    Key(Edit, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ("big", Edit->SelText());
    Key(Edit, Qt::Key_Left);  // collapses to the selection's start
    EXPECT_EQ(6, Edit->SelStart());
    EXPECT_EQ(0, Edit->SelLength());
    Key(Edit, Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ("big world", Edit->SelText());
    Type(Edit, "X");  // typing replaces the selection
    EXPECT_EQ("hello X", Edit->Text());
    EXPECT_EQ(7, Edit->SelStart());
    Key(Edit, Qt::Key_Left, Qt::ControlModifier);
    Key(Edit, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(0, Edit->SelStart());
    Key(Edit, Qt::Key_Delete);
    Key(Edit, Qt::Key_End);
    Key(Edit, Qt::Key_Backspace);
    EXPECT_EQ("ello ", Edit->Text());
    Key(Edit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ("ello ", Edit->SelText());
    Key(Edit, Qt::Key_Backspace);
    EXPECT_EQ("", Edit->Text());
    EXPECT_EQ(19, EditChanges);  // 15 letters, X, Delete and two Backspaces; the moves none
}

TEST_F(EditingTest, AMemoMovesByLinesKeepingTheColumnAndByPages)
{
    Memo->SetWordWrap(false);
    Memo->SetText("first line\nab\nthird line\n" + Many(40));
    Key(Memo, Qt::Key_End);
    EXPECT_EQ((TPoint{10, 0}), Memo->CaretPos());
    Key(Memo, Qt::Key_Down);  // the short line: its end
    EXPECT_EQ((TPoint{2, 1}), Memo->CaretPos());
    Key(Memo, Qt::Key_Down);  // and back to the remembered column
    EXPECT_EQ((TPoint{10, 2}), Memo->CaretPos());
    Key(Memo, Qt::Key_Up, Qt::ShiftModifier);
    Key(Memo, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ("\nab\nthird line", Memo->SelText());  // column 10 of line 0 up to column 10 of line 2
    Key(Memo, Qt::Key_Home);
    EXPECT_EQ((TPoint{0, 0}), Memo->CaretPos());
    const int32_t page = Memo->VisibleLineCount();
    ASSERT_GT(page, 2);
    Key(Memo, Qt::Key_PageDown);
    EXPECT_EQ(page, Memo->CaretPos().Y);
    EXPECT_LE(Memo->TopLine(), page);
    EXPECT_GE(Memo->TopLine() + page, page + 1);  // the caret's line is in view
    Key(Memo, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(Memo->LineCount() - 1, Memo->CaretPos().Y);
    EXPECT_EQ(static_cast<int32_t>(Memo->Text().size()), Memo->SelStart());
    Key(Memo, Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Memo->Text(), Memo->SelText());
    EXPECT_EQ(0, Memo->TopLine());
    EXPECT_EQ(1, MemoChanges);  // only SetText
}

TEST_F(EditingTest, ReturnsAndTabsFollowWantReturnsAndWantTabs)
{
    auto* ok = Add<TButton>("OK");
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    ShowAndFocus(Memo);
    Type(Memo, "ab");
    Key(Memo, Qt::Key_Left);
    Key(Memo, Qt::Key_Return);  // splits the line at the caret
    EXPECT_EQ("a\nb", Memo->Text());
    EXPECT_EQ(0, Form->ModalResult());
    Key(Memo, Qt::Key_Tab);  // without WantTabs: the next control
    EXPECT_FALSE(Memo->Focused());
    Memo->SetFocus();
    Memo->SetWantTabs(true);
    Key(Memo, Qt::Key_Tab);
    EXPECT_EQ("a\n\tb", Memo->Text());
    EXPECT_TRUE(Memo->Focused());
    Memo->SetWantReturns(false);
    Key(Memo, Qt::Key_Return);
    EXPECT_EQ("a\n\tb", Memo->Text());
    EXPECT_EQ(mrOk, Form->ModalResult());
    EXPECT_EQ(2, Memo->Lines()->Count());
}

TEST_F(EditingTest, ReadOnlyRefusesChangesButMovesAndCopies)
{
    Edit->SetText("fixed text");
    Edit->SetReadOnly(true);
    EditChanges = 0;
    Key(Edit, Qt::Key_End);
    Key(Edit, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ("text", Edit->SelText());
    Key(Edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ("text", QGuiApplication::clipboard()->text().toStdString());
    Type(Edit, "x");
    Key(Edit, Qt::Key_Backspace);
    Key(Edit, Qt::Key_Delete);
    Key(Edit, Qt::Key_X, Qt::ControlModifier);
    Key(Edit, Qt::Key_V, Qt::ControlModifier);
    Edit->ClearSelection();
    EXPECT_EQ("fixed text", Edit->Text());
    EXPECT_EQ("text", Edit->SelText());
    EXPECT_EQ(0, EditChanges);
}

TEST_F(EditingTest, MaxLengthLimitsTypingAndPasting)
{
    Edit->SetMaxLength(6);
    QGuiApplication::clipboard()->setText("12345678");
    Type(Edit, "ab");
    Key(Edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ("ab1234", Edit->Text());
    Type(Edit, "z");
    EXPECT_EQ("ab1234", Edit->Text());
    Key(Edit, Qt::Key_Home, Qt::ShiftModifier);  // a selection makes room
    Type(Edit, "z");
    EXPECT_EQ("z", Edit->Text());
    QGuiApplication::clipboard()->setText("one\ntwo");  // an edit pastes the first line only
    Key(Edit, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ("zone", Edit->Text());
}

TEST_F(EditingTest, APasswordIsPaintedMaskedAndNeverCopied)
{
    Edit->SetPasswordChar('*');
    Edit->SetText("secret");
    QGuiApplication::clipboard()->setText("before");
    Key(Edit, Qt::Key_A, Qt::ControlModifier);
    Key(Edit, Qt::Key_C, Qt::ControlModifier);
    Key(Edit, Qt::Key_Insert, Qt::ControlModifier);
    Key(Edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ("before", QGuiApplication::clipboard()->text().toStdString());
    EXPECT_EQ("secret", Edit->Text());
    Edit->CutToClipboard();
    EXPECT_EQ("secret", Edit->Text());
    // The caret goes by the masks: the end of six stars.
    auto* stars = Add<TEdit>("Stars");
    stars->SetBounds(10, 200, 150, 21);
    stars->SetText("******");
    stars->SetSelStart(6);
    Edit->SetSelStart(6);
    EXPECT_EQ(stars->CaretRect().Left, Edit->CaretRect().Left);
    Edit->Update();
    stars->Update();
    EXPECT_EQ(stars->RetainedImage(), Edit->RetainedImage());
}

TEST_F(EditingTest, ClipboardRoundTripsThroughKeysAndMethods)
{
    Memo->SetText("alpha beta\ngamma");
    Memo->SetSelStart(6);
    Memo->SetSelLength(4);
    MemoChanges = 0;
    Key(Memo, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ("alpha \ngamma", Memo->Text());
    EXPECT_EQ("beta", QGuiApplication::clipboard()->text().toStdString());
    Key(Memo, Qt::Key_End, Qt::ControlModifier);
    Key(Memo, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ("alpha \ngammabeta", Memo->Text());
    Key(Memo, Qt::Key_Home, Qt::ShiftModifier);
    Key(Memo, Qt::Key_Delete, Qt::ShiftModifier);  // cut
    EXPECT_EQ("alpha \n", Memo->Text());
    EXPECT_EQ("gammabeta", QGuiApplication::clipboard()->text().toStdString());
    Memo->SelectAll();
    Memo->CopyToClipboard();
    Edit->PasteFromClipboard();  // an edit takes the first line
    EXPECT_EQ("alpha ", Edit->Text());
    QGuiApplication::clipboard()->setText("x\r\ny");
    Memo->SetSelStart(0);
    Memo->PasteFromClipboard();  // the memo's text breaks lines with LF
    EXPECT_EQ("x\nyalpha \n", Memo->Text());
    EXPECT_EQ(2, Memo->Lines()->Count());
    EXPECT_EQ(4, MemoChanges);  // cut, paste, cut, paste: one each
    QGuiApplication::clipboard()->clear();
    Memo->PasteFromClipboard();  // nothing to paste: nothing changes
    EXPECT_EQ(4, MemoChanges);
}

TEST_F(EditingTest, UndoTakesBackTheLastChangeAndRedoesIt)
{
    Type(Edit, "abc");
    EXPECT_TRUE(Edit->CanUndo());
    Key(Edit, Qt::Key_A, Qt::ControlModifier);
    Type(Edit, "z");
    Key(Edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ("abc", Edit->Text());
    EXPECT_EQ("abc", Edit->SelText());
    Edit->Undo();
    EXPECT_EQ("z", Edit->Text());
    Edit->SetText("other");  // a new text forgets the change
    EXPECT_FALSE(Edit->CanUndo());
    EXPECT_EQ(7, EditChanges);
}

TEST_F(EditingTest, TheMouseClickPlacesTheCaretDragsAndShiftClicksSelectAndDoubleClicksSelectAWord)
{
    Memo->SetText("one two three\nfour five");
    ShowAndFocus(Memo);
    const QPoint t = PointOf(Memo, 4), f = PointOf(Memo, 19);  // before "two", before "five"
    QTest::mouseClick(W(Memo), Qt::LeftButton, {}, t + QPoint(1, 0));
    EXPECT_EQ(4, Memo->SelStart());
    EXPECT_EQ(0, Memo->SelLength());
    QTest::mouseClick(W(Memo), Qt::LeftButton, Qt::ShiftModifier, f);
    EXPECT_EQ("two three\nfour ", Memo->SelText());
    QTest::mousePress(W(Memo), Qt::LeftButton, {}, f);
    QMouseEvent move(QEvent::MouseMove, QPointF(t), W(Memo)->mapToGlobal(QPointF(t)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(W(Memo), &move);
    QTest::mouseRelease(W(Memo), Qt::LeftButton, {}, t);
    EXPECT_EQ(4, Memo->SelStart());
    EXPECT_EQ(19, Memo->SelStart() + Memo->SelLength());
    EXPECT_EQ(4, Memo->CaretPos().X);  // dragged backwards: the caret at the start
    QTest::mouseDClick(W(Memo), Qt::LeftButton, {}, PointOf(Memo, 9) + QPoint(2, 0));
    EXPECT_EQ("three", Memo->SelText());
    QTest::mouseClick(W(Memo), Qt::LeftButton, {}, QPoint(Memo->ClientWidth() - 8, f.y()));  // beyond the line: its end
    EXPECT_EQ(static_cast<int32_t>(Memo->Text().size()), Memo->SelStart());
}

TEST_F(EditingTest, TheCaretAndSelectionShowOnlyWhileFocusedUnlessHideSelectionIsOff)
{
    Edit->SetText("abc def ");
    auto* other = Add<TEdit>("Other");
    other->SetBounds(200, 10, 100, 21);
    ShowAndFocus(Edit);
    Edit->SetSelStart(8);
    TRect caret = Edit->CaretRect();
    Edit->Update();
    EXPECT_EQ(ToQRgb(clWindowText), At(Edit, caret.Left, caret.Top + 2));
    Edit->SetSelStart(0);
    Edit->SetSelLength(3);
    Edit->Update();
    const TRect area{2, 2, Edit->ClientWidth() - 2, Edit->ClientHeight() - 2};
    EXPECT_GT(CountColor(Edit, area, clHighlight), 10);
    other->SetFocus();
    QCoreApplication::processEvents();
    Edit->Update();
    EXPECT_EQ(0, CountColor(Edit, area, clHighlight));
    EXPECT_EQ(ToQRgb(clWindow), At(Edit, caret.Left, caret.Top + 2));
    Edit->SetHideSelection(false);
    Edit->Update();
    EXPECT_GT(CountColor(Edit, area, clHighlight), 10);
}

TEST_F(EditingTest, ALongEditScrollsSidewaysToKeepTheCaretInView)
{
    ShowAndFocus(Edit);
    Type(Edit, "the quick brown fox jumps over the lazy dog again and again");
    TRect caret = Edit->CaretRect();
    EXPECT_LT(caret.Left, Edit->ClientWidth() - 2);
    EXPECT_GE(caret.Left, 2);
    Edit->Update();
    EXPECT_EQ(ToQRgb(clWindowText), At(Edit, caret.Left, caret.Top + 1));
    Key(Edit, Qt::Key_Home);
    caret = Edit->CaretRect();
    EXPECT_EQ(3, caret.Left);
}

TEST_F(EditingTest, AMemoPaintsItsScrollBarsAndScrollsByWheelArrowsAndThumb)
{
    Memo->SetText(Many(200));
    Memo->SetScrollBars(ssBoth);
    Memo->Update();
    TPaintedScrollBar v = Memo->VertScrollBar();
    ASSERT_EQ(TRect({Memo->ClientWidth() - 18, 2, Memo->ClientWidth() - 2, Memo->ClientHeight() - 18}), v.Bounds);
    const TRect thumb = v.ThumbRect();
    EXPECT_EQ(18, thumb.Top);
    EXPECT_EQ(TPaintedScrollBar::MinThumb, thumb.Bottom - thumb.Top);  // 200 lines: the smallest thumb
    const int mid = (v.Bounds.Left + v.Bounds.Right) / 2;
    EXPECT_EQ(ToQRgb(clBtnFace), At(Memo, mid + 5, thumb.Top + 3));
    EXPECT_EQ(ToQRgb(clBtnHighlight), At(Memo, mid, thumb.Bottom + 5));  // the trough
    EXPECT_GT(CountColor(Memo, TRect{v.Bounds.Left, 2, v.Bounds.Right, 18}, clBtnText), 6);  // the arrow
    const TPaintedScrollBar h = Memo->HorzScrollBar();
    EXPECT_EQ(Memo->ClientHeight() - 18, h.Bounds.Top);
    EXPECT_GT(CountColor(Memo, TRect{2, h.Bounds.Top, 18, h.Bounds.Bottom}, clBtnText), 6);

    QWheelEvent wheel(QPointF(50, 30), W(Memo)->mapToGlobal(QPointF(50, 30)), QPoint(), QPoint(0, -240), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(W(Memo), &wheel);
    EXPECT_EQ(6, Memo->TopLine());  // two notches of three lines
    QTest::mouseClick(W(Memo), Qt::LeftButton, {}, QPoint(mid, v.Bounds.Bottom - 4));  // the down arrow
    EXPECT_EQ(7, Memo->TopLine());
    QTest::mouseClick(W(Memo), Qt::LeftButton, {}, QPoint(mid, v.Bounds.Bottom - 20));  // the trough below
    EXPECT_EQ(7 + Memo->VisibleLineCount(), Memo->TopLine());
    EXPECT_EQ(0, Memo->SelStart());  // scrolling leaves the caret where it was
    // Dragging the thumb to the bottom shows the last lines.
    v = Memo->VertScrollBar();
    const QPoint grab(mid, (v.ThumbRect().Top + v.ThumbRect().Bottom) / 2);
    QTest::mousePress(W(Memo), Qt::LeftButton, {}, grab);
    QMouseEvent move(QEvent::MouseMove, QPointF(mid, v.Bounds.Bottom + 30), W(Memo)->mapToGlobal(QPointF(mid, v.Bounds.Bottom + 30)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(W(Memo), &move);
    QTest::mouseRelease(W(Memo), Qt::LeftButton, {}, QPoint(mid, v.Bounds.Bottom + 30));
    EXPECT_EQ(200 - Memo->VisibleLineCount(), Memo->TopLine());
    EXPECT_EQ(0, Memo->SelStart());
    // The next key brings the caret's line back into view.
    Key(Memo, Qt::Key_Down);
    EXPECT_EQ(1, Memo->TopLine());
    EXPECT_EQ(1, Memo->CaretPos().Y);
}

TEST_F(EditingTest, AHeldMemoScrollBarArrowRepeatsUntilReleased)
{
    Memo->SetText(Many(200));
    Memo->SetScrollBars(ssBoth);
    Memo->Update();
    const TPaintedScrollBar v = Memo->VertScrollBar(), h = Memo->HorzScrollBar();
    const QPoint down((v.Bounds.Left + v.Bounds.Right) / 2, v.Bounds.Bottom - 4);
    QTest::mousePress(W(Memo), Qt::LeftButton, {}, down);
    EXPECT_EQ(1, Memo->TopLine());
    Spin(200);
    EXPECT_EQ(1, Memo->TopLine());  // no repeat before the first delay
    Spin(400);
    EXPECT_GT(Memo->TopLine(), 2);
    QTest::mouseRelease(W(Memo), Qt::LeftButton, {}, down);
    const int32_t released = Memo->TopLine();
    Spin(200);
    EXPECT_EQ(released, Memo->TopLine());
    // The left arrow at the start has nothing to do: the repeat ends by itself.
    const QPoint left(h.Bounds.Left + 4, (h.Bounds.Top + h.Bounds.Bottom) / 2);
    QTest::mousePress(W(Memo), Qt::LeftButton, {}, left);
    Spin(600);
    EXPECT_EQ(0, Memo->ScrollLeft());
    EXPECT_EQ(released, Memo->TopLine());
    QTest::mouseRelease(W(Memo), Qt::LeftButton, {}, left);
}

TEST_F(EditingTest, AHeldMemoTroughPagesUntilTheThumbReachesThePointer)
{
    Memo->SetText(Many(200));
    Memo->SetScrollBars(ssVertical);
    Memo->Update();
    const TPaintedScrollBar v = Memo->VertScrollBar();
    const QPoint middle((v.Bounds.Left + v.Bounds.Right) / 2, (v.Bounds.Top + v.Bounds.Bottom) / 2);
    QTest::mousePress(W(Memo), Qt::LeftButton, {}, middle);
    for (int i = 0; i < 60 && Memo->VertScrollBar().PartAt(TPoint{middle.x(), middle.y()}) != TScrollPart::Thumb; ++i)
        Spin(50);
    Spin(200);
    QTest::mouseRelease(W(Memo), Qt::LeftButton, {}, middle);
    const TPaintedScrollBar after = Memo->VertScrollBar();
    EXPECT_EQ(TScrollPart::Thumb, after.PartAt(TPoint{middle.x(), middle.y()}));
    EXPECT_GT(after.Position, 3 * Memo->VisibleLineCount());  // it repeated
    EXPECT_LT(after.Position, after.MaxPosition() - Memo->VisibleLineCount());  // and stopped half way
}

TEST_F(EditingTest, AMemoOfTwoHundredLinesScrolledToTheEndShowsItsLastLine)
{
    Memo->SetText(Many(200));
    Memo->SetScrollBars(ssVertical);
    ShowAndFocus(Memo);
    Key(Memo, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ((TPoint{8, 199}), Memo->CaretPos());
    EXPECT_EQ(200 - Memo->VisibleLineCount(), Memo->TopLine());
    const TRect caret = Memo->CaretRect();
    EXPECT_LT(caret.Bottom, Memo->ClientHeight() - 1);
    Memo->Update();
    EXPECT_EQ(ToQRgb(clWindowText), At(Memo, caret.Left, caret.Top + 2));
    const TPaintedScrollBar v = Memo->VertScrollBar();
    EXPECT_EQ(v.Bounds.Bottom - TPaintedScrollBar::Thickness, v.ThumbRect().Bottom);  // the thumb at the end
    EXPECT_EQ(ToQRgb(clBtnFace), At(Memo, v.Bounds.Left + 8, v.ThumbRect().Bottom - 3));
}

TEST_F(EditingTest, WrappedLinesBreakAtSpacesAndMoveLineByLine)
{
    Memo->SetBounds(10, 40, 90, 120);
    Memo->SetText("aaa bbb ccc ddd eee fff ggg hhh");
    ASSERT_GT(Memo->LineCount(), 1);
    Key(Memo, Qt::Key_End);  // the end of the first visual line, not of the text
    const int32_t firstEnd = Memo->SelStart();
    EXPECT_LT(firstEnd, 31);
    EXPECT_EQ(' ', Memo->Text()[firstEnd]);
    Key(Memo, Qt::Key_Down);
    EXPECT_GT(Memo->SelStart(), firstEnd);
    EXPECT_EQ(0, Memo->CaretPos().Y);  // still the text's first line
    Memo->SetScrollBars(ssHorizontal);  // a horizontal bar means no wrapping
    EXPECT_EQ(1, Memo->LineCount());
}

TEST_F(EditingTest, AMemoWithASelectionAndScrollBarsRendersToAPicture)
{
    Memo->SetText(Many(30) + "\nand a line long enough to need the horizontal scroll bar at the bottom");
    Memo->SetScrollBars(ssBoth);
    ShowAndFocus(Memo);
    Key(Memo, Qt::Key_Down);
    Key(Memo, Qt::Key_Down, Qt::ShiftModifier);
    Key(Memo, Qt::Key_Down, Qt::ShiftModifier);
    Key(Memo, Qt::Key_Right, Qt::ShiftModifier);
    Memo->Update();
    const QString file = QDir::temp().filePath("qel-memo-selection.png");
    ASSERT_TRUE(Memo->RetainedImage().save(file));
    EXPECT_GT(CountColor(Memo, TRect{3, 2, Memo->ClientWidth() - 18, Memo->ClientHeight() - 18}, clHighlight), 40);
    EXPECT_GT(CountColor(Memo, TRect{3, 2, Memo->ClientWidth() - 18, Memo->ClientHeight() - 18}, clHighlightText), 10);
}

namespace {

// A key whose text is more than one ASCII character, as a keyboard layout or a compose key sends it.
void TypeText(QWidget* W, const QString& Text, Qt::KeyboardModifiers Mods = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Mods, Text);
    QCoreApplication::sendEvent(W, &press);
}

void Commit(QWidget* W, const QString& Text)
{
    QInputMethodEvent e;
    e.setCommitString(Text);
    QCoreApplication::sendEvent(W, &e);
}

}  // namespace

TEST_F(EditingTest, NonAsciiKeyTextReplacesTheSelectionOnceAndUndoes)
{
    Edit->SetText("a xx b");
    Edit->SetSelStart(2);
    Edit->SetSelLength(2);
    EditChanges = 0;
    TypeText(W(Edit), QString::fromUtf8("ä€"));
    EXPECT_EQ("a ä€ b", Edit->Text());
    EXPECT_EQ(1, EditChanges);
    TypeText(W(Edit), QString::fromUtf8("ö"), Qt::ControlModifier);  // a shortcut, not typing
    EXPECT_EQ("a ä€ b", Edit->Text());
    EXPECT_EQ(2 + 5, Edit->SelStart());  // the caret after the five bytes
    Key(Edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ("a xx b", Edit->Text());
    EXPECT_EQ("xx", Edit->SelText());
    Edit->Undo();  // redoes
    EXPECT_EQ("a ä€ b", Edit->Text());
    Type(Edit, "!");  // ASCII keeps the KeyPress path
    EXPECT_EQ("a ä€! b", Edit->Text());
}

TEST_F(EditingTest, AnInputMethodCommitReachesEditAndMemo)
{
    ShowAndFocus(Memo);
    EXPECT_TRUE(W(Memo)->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_TRUE(W(Edit)->testAttribute(Qt::WA_InputMethodEnabled));
    Memo->SetText("x");
    Memo->SetSelStart(1);
    MemoChanges = 0;
    Commit(W(Memo), QString::fromUtf8("日本\r\n語"));
    EXPECT_EQ("x日本\n語", Memo->Text());
    EXPECT_EQ(1, MemoChanges);
    const TRect caret = Memo->CaretRect();
    EXPECT_EQ(QRect(caret.Left, caret.Top, caret.Right - caret.Left, caret.Bottom - caret.Top),
              W(Memo)->inputMethodQuery(Qt::ImCursorRectangle).toRect());
    QInputMethodEvent preedit(QString::fromUtf8("ä"), {});  // still being composed: nothing yet
    QCoreApplication::sendEvent(W(Memo), &preedit);
    EXPECT_EQ("x日本\n語", Memo->Text());
    Commit(W(Edit), QString::fromUtf8("één\ntwee"));  // an edit keeps the first line
    EXPECT_EQ("één", Edit->Text());
}

TEST_F(EditingTest, ReadOnlyRefusesTypedTextAndMaxLengthCountsCharacters)
{
    Memo->SetText("keep");
    Memo->SetReadOnly(true);
    MemoChanges = 0;
    TypeText(W(Memo), QString::fromUtf8("ä€"));
    Commit(W(Memo), QString::fromUtf8("日本"));
    EXPECT_EQ("keep", Memo->Text());
    EXPECT_EQ(0, MemoChanges);

    Edit->SetMaxLength(3);
    TypeText(W(Edit), QString::fromUtf8("ä€"));  // two characters in five bytes
    EXPECT_EQ("ä€", Edit->Text());
    Commit(W(Edit), QString::fromUtf8("öü"));
    EXPECT_EQ("ä€ö", Edit->Text());
    EditChanges = 0;
    TypeText(W(Edit), QString::fromUtf8("ß"));
    EXPECT_EQ("ä€ö", Edit->Text());
    EXPECT_EQ(0, EditChanges);
}

TEST_F(EditingTest, OtherControlsSeeOnlyTheSingleByteCharactersOfTypedText)
{
    auto* plain = Add<TCustomControl>("Plain");
    String seen;
    plain->OnKeyPress = [&](TObject*, char& K) { seen += K; };
    EXPECT_FALSE(W(plain)->testAttribute(Qt::WA_InputMethodEnabled));
    TypeText(W(plain), QString::fromUtf8("aä b€"));
    Commit(W(plain), QString::fromUtf8("c日"));
    EXPECT_EQ("a bc", seen);
}
