// The caret and selection model behind edits and memos, and the painted scroll bar's geometry.
#include "framework/gui/PaintedScrollBar.h"
#include "framework/gui/TextEditing.h"

#include <gtest/gtest.h>

using namespace qel;

TEST(TextEditor, CaretMovesStepOverWholeCharactersAndLineBreaks)
{
    TTextEditor e;
    e.SetText("a\xC3\xA9z\r\nb");  // a, e-acute (2 bytes), z, CRLF, b
    EXPECT_EQ(1, e.NextChar(0));
    EXPECT_EQ(3, e.NextChar(1));
    EXPECT_EQ(6, e.NextChar(4));  // CR LF is one step
    EXPECT_EQ(4, e.PrevChar(6));
    EXPECT_EQ(1, e.PrevChar(3));
    EXPECT_EQ(4, e.LineEnd(0));
    EXPECT_EQ(6, e.LineStart(7));
    e.SetSelStart(2);  // inside the two-byte character: back to its start
    EXPECT_EQ(1, e.SelStart());
    e.SetSelStart(5);  // between CR and LF
    EXPECT_EQ(4, e.SelStart());
    e.SetSelStart(99);
    EXPECT_EQ(7, e.SelStart());
}

TEST(TextEditor, WordMovesStopAtWordStartsAndLineBreaks)
{
    TTextEditor e;
    e.SetText("one two, three\nfour");
    EXPECT_EQ(4, e.NextWord(0));
    EXPECT_EQ(7, e.NextWord(4));   // "two" then the comma is a word of its own
    EXPECT_EQ(9, e.NextWord(7));
    EXPECT_EQ(14, e.NextWord(9));  // stops before the line break
    EXPECT_EQ(15, e.NextWord(14));
    EXPECT_EQ(14, e.PrevWord(15));
    EXPECT_EQ(9, e.PrevWord(14));
    EXPECT_EQ(4, e.PrevWord(7));
    EXPECT_EQ(0, e.PrevWord(3));
    e.SelectWordAt(10);
    EXPECT_EQ("three", e.SelText());
    e.SelectWordAt(19);  // at the end: the last word
    EXPECT_EQ("four", e.SelText());
}

TEST(TextEditor, SelectionBothWaysAndTypingReplacesIt)
{
    TTextEditor e;
    e.SetText("hello world");
    e.MoveCaret(6, false);
    e.MoveCaret(11, true);
    EXPECT_EQ(6, e.SelStart());
    EXPECT_EQ(5, e.SelLength());
    EXPECT_EQ("world", e.SelText());
    e.Select(5, 0);  // backwards: the caret before the anchor
    EXPECT_EQ(0, e.SelStart());
    EXPECT_EQ(0, e.Caret());
    EXPECT_EQ("hello", e.SelText());
    EXPECT_TRUE(e.Insert("bye"));
    EXPECT_EQ("bye world", e.Text());
    EXPECT_EQ(3, e.Caret());
    EXPECT_EQ(0, e.SelLength());
    e.SetSelStart(4);
    e.SetSelLength(100);
    EXPECT_EQ("world", e.SelText());
}

TEST(TextEditor, DeletingRemovesTheSelectionOrOneCharacter)
{
    TTextEditor e;
    e.SetText("ab\xC3\xA9" "cd");
    e.SetSelStart(4);
    EXPECT_TRUE(e.Backspace());  // the whole two-byte character
    EXPECT_EQ("abcd", e.Text());
    EXPECT_TRUE(e.DeleteChar());
    EXPECT_EQ("abd", e.Text());
    e.Select(0, 2);
    EXPECT_TRUE(e.DeleteChar());
    EXPECT_EQ("d", e.Text());
    e.SetSelStart(0);
    EXPECT_FALSE(e.Backspace());
    e.SetSelStart(1);
    EXPECT_FALSE(e.DeleteChar());
}

TEST(TextEditor, MaxCharsCountsCharactersAndKeepsThemWhole)
{
    TTextEditor e;
    e.SetText("ab");
    e.SetSelStart(2);
    EXPECT_TRUE(e.Insert("\xC3\xA9\xC3\xA9\xC3\xA9", 4));  // room for two characters: four bytes
    EXPECT_EQ("ab\xC3\xA9\xC3\xA9", e.Text());
    EXPECT_FALSE(e.Insert("x", 4));
    e.Select(0, 2);
    EXPECT_TRUE(e.Insert("xyz", 4));  // the selection's two characters make room
    EXPECT_EQ("xy\xC3\xA9\xC3\xA9", e.Text());
}

TEST(TextEditor, UndoRestoresTextAndSelectionAndASecondUndoRedoes)
{
    TTextEditor e;
    e.SetText("keep this");
    EXPECT_FALSE(e.CanUndo());
    e.Select(5, 9);
    e.Insert("that");
    ASSERT_TRUE(e.CanUndo());
    EXPECT_TRUE(e.Undo());
    EXPECT_EQ("keep this", e.Text());
    EXPECT_EQ("this", e.SelText());
    EXPECT_TRUE(e.Undo());
    EXPECT_EQ("keep that", e.Text());
    e.SetText("new");
    EXPECT_FALSE(e.CanUndo());
}

TEST(PaintedScrollBar, ThumbFollowsTheVisibleShareAndPositionsRoundTrip)
{
    TPaintedScrollBar b;
    b.Bounds = TRect{0, 0, 16, 116};  // trough 84 px between two 16 px arrows
    b.Total = 200;
    b.Page = 50;
    b.Position = 0;
    EXPECT_EQ(150, b.MaxPosition());
    TRect t = b.ThumbRect();
    EXPECT_EQ(16, t.Top);
    EXPECT_EQ(21, t.Bottom - t.Top);  // a quarter of the trough
    b.Position = 150;
    t = b.ThumbRect();
    EXPECT_EQ(100, t.Bottom);  // the end of the trough
    EXPECT_EQ(TScrollPart::LineUp, b.PartAt(Point(8, 3)));
    EXPECT_EQ(TScrollPart::PageUp, b.PartAt(Point(8, 30)));
    EXPECT_EQ(TScrollPart::Thumb, b.PartAt(Point(8, 90)));
    EXPECT_EQ(TScrollPart::LineDown, b.PartAt(Point(8, 110)));
    EXPECT_EQ(TScrollPart::None, b.PartAt(Point(20, 50)));
    for (int32_t pos : {0, 1, 37, 75, 149, 150}) {
        b.Position = pos;
        const int32_t back = b.PositionForThumb(b.ThumbRect().Top - b.Bounds.Top);
        EXPECT_NEAR(pos, back, 2) << pos;  // a pixel of thumb is about two lines here
    }
    b.Page = 300;  // all visible: no thumb
    EXPECT_EQ(0, b.ThumbRect().Bottom - b.ThumbRect().Top);
    EXPECT_EQ(0, b.MaxPosition());
}
