#pragma once
// What TEdit and TMemo share: the text laid out in visual lines on a canvas, scrolled, painted
// with caret and selection, and edited by keys and the clipboard under the control's rules
// (TextView.cpp: layout and painting; TextView_Keys.cpp: input).
#include "framework/gui/Canvas.h"
#include "framework/gui/Controls.h"
#include "framework/gui/TextEditing.h"

#include <vector>

namespace qel {

struct TVisualLine {
    int32_t Start = 0, End = 0;  // bytes of the text, without the line break
    bool Soft = false;           // wrapped: the next line goes on without a break
};

struct TEditRules {
    bool ReadOnly = false;
    bool MultiLine = false;
    bool WantReturns = true;
    bool WantTabs = false;
    bool MayCopy = true;  // false for passwords
    int32_t MaxChars = 0;
    String LineBreak = "\n";  // what Return and pasted lines put in, so a text keeps its convention
};

// The sunken two-pixel frame of edits and memos, filled; R shrinks to the inside.
void PaintEditFrame(TCanvas* C, TRect& R, TColor Fill);

class TTextView {
public:
    TTextEditor Editor;
    bool WordWrap = false;
    bool SingleLine = false;  // an edit: line breaks in the text do not break lines
    char Mask = 0;
    TRect Area{};  // where the text shows, client coordinates
    int32_t TopLine = 0;
    int32_t LeftPx = 0;

    // C carries the control's font; the layout is rebuilt only when text, font or width changed.
    void Layout(TCanvas* C);
    const std::vector<TVisualLine>& Lines() const { return FLines; }
    int32_t LineHeight() const { return FLineHeight; }
    int32_t VisibleLines() const;
    int32_t ContentWidth() const { return FContentWidth; }
    int LineOf(int32_t Pos) const;
    int32_t XOf(TCanvas* C, int Line, int32_t Pos) const;
    int32_t PosAt(TCanvas* C, int Line, int32_t X) const;
    int32_t PosAtPoint(TCanvas* C, TPoint P) const;  // client coordinates, clamped to the text
    TRect CaretRect(TCanvas* C) const;
    void ScrollToCaret(TCanvas* C, bool MultiLine);
    void ClampScroll();
    void Paint(TCanvas* C, bool ShowSelection, bool ShowCaret, TColor TextColor);

    // Input; each returns whether it used the input and sets Changed when the text changed.
    bool KeyDown(TCanvas* C, uint16_t Key, TShiftState Shift, const TEditRules& R, bool& Changed);
    bool KeyPress(char Key, const TEditRules& R, bool& Changed);
    bool TextInput(const String& Utf8, const TEditRules& R, bool& Changed);  // the whole text at once
    bool Copy(const TEditRules& R) const;
    bool Cut(const TEditRules& R);
    bool Paste(const TEditRules& R);

private:
    int32_t Width(TCanvas* C, int32_t From, int32_t To) const;  // no tabs inside
    void WrapLine(TCanvas* C, int32_t From, int32_t To, int32_t Avail);
    int32_t VerticalMove(TCanvas* C, int Lines);
    int32_t EndOfLine(int Line) const;
    bool MoveKey(TCanvas* C, uint16_t Key, TShiftState Shift, bool MultiLine);
    void DrawRun(TCanvas* C, const TRect& Clip, int Line, int32_t From, int32_t To, int32_t Y) const;

    std::vector<TVisualLine> FLines{TVisualLine{}};
    String FLaidText;
    String FLaidFont;
    int32_t FLaidWidth = -1;
    bool FLaidWrap = false;
    char FLaidMask = 0;
    int32_t FLineHeight = 13;
    int32_t FContentWidth = 0;
    int32_t FGoalX = -1;  // kept across Up/Down
};

}  // namespace qel
