// TTextView (TextView.h): keys, typing and the clipboard.
#include "framework/gui/TextView.h"

#include "framework/gui/qt/ClipboardBridge.h"

#include <algorithm>

namespace qel {

int32_t TTextView::VerticalMove(TCanvas* C, int Lines)
{
    const int line = LineOf(Editor.Caret());
    if (FGoalX < 0) FGoalX = XOf(C, line, Editor.Caret());
    const int target = std::clamp(line + Lines, 0, static_cast<int>(FLines.size()) - 1);
    if (target == line) return Lines < 0 ? FLines[line].Start : EndOfLine(line);
    return PosAt(C, target, FGoalX);
}

bool TTextView::MoveKey(TCanvas* C, uint16_t Key, TShiftState Shift, bool MultiLine)
{
    const bool ctrl = Shift.Contains(ssCtrl);
    const int32_t caret = Editor.Caret();
    const int line = LineOf(caret);
    int32_t to = caret;
    const bool vertical = MultiLine && (Key == VK_UP || Key == VK_DOWN || Key == VK_PRIOR || Key == VK_NEXT);
    // Without Shift a selection collapses to its edge rather than moving further.
    const bool collapse = !Shift.Contains(ssShift) && !ctrl && Editor.SelLength() > 0;
    if (Key == VK_LEFT) {
        to = collapse ? Editor.SelStart() : ctrl ? Editor.PrevWord(caret) : Editor.PrevChar(caret);
    } else if (Key == VK_RIGHT) {
        to = collapse ? Editor.SelStart() + Editor.SelLength() : ctrl ? Editor.NextWord(caret) : Editor.NextChar(caret);
    } else if (Key == VK_HOME) {
        to = ctrl || !MultiLine ? 0 : FLines[line].Start;
    } else if (Key == VK_END) {
        to = ctrl || !MultiLine ? Editor.Length() : EndOfLine(line);
    } else if (vertical) {
        const int step = Key == VK_UP ? -1 : Key == VK_DOWN ? 1 : Key == VK_PRIOR ? -VisibleLines() : VisibleLines();
        to = VerticalMove(C, step);
        if (Key == VK_PRIOR || Key == VK_NEXT) TopLine += step;
    } else {
        return false;
    }
    if (!vertical) FGoalX = -1;
    Editor.MoveCaret(to, Shift.Contains(ssShift));
    return true;
}

bool TTextView::KeyDown(TCanvas* C, uint16_t Key, TShiftState Shift, const TEditRules& R, bool& Changed)
{
    const bool ctrl = Shift.Contains(ssCtrl), shift = Shift.Contains(ssShift);
    if (Key == VK_SHIFT || Key == VK_CONTROL || Key == VK_MENU) return false;  // only modifiers so far
    if (MoveKey(C, Key, Shift, R.MultiLine)) return true;
    FGoalX = -1;
    if ((ctrl && Key == 'C') || (ctrl && Key == VK_INSERT)) return Copy(R), true;
    if ((ctrl && Key == 'X') || (shift && Key == VK_DELETE)) return Changed = Cut(R), true;
    if ((ctrl && Key == 'V') || (shift && Key == VK_INSERT)) return Changed = Paste(R), true;
    if (ctrl && Key == 'A') return Editor.SelectAll(), true;
    if (ctrl && Key == 'Z') return Changed = !R.ReadOnly && Editor.Undo(), true;
    if (Key == VK_DELETE && !ctrl) return Changed = !R.ReadOnly && Editor.DeleteChar(), true;
    if (Key == VK_TAB && R.MultiLine && R.WantTabs && !ctrl) return Changed = !R.ReadOnly && Editor.Insert("\t"), true;
    return false;
}

bool TTextView::KeyPress(char Key, const TEditRules& R, bool& Changed)
{
    FGoalX = -1;
    if (Key == '\b') return Changed = !R.ReadOnly && Editor.Backspace(), true;
    if (Key == '\r' || Key == '\n') {
        if (!R.MultiLine || !R.WantReturns) return false;
        return Changed = !R.ReadOnly && Editor.Insert(R.LineBreak), true;
    }
    if (static_cast<unsigned char>(Key) < ' ' || Key == 0x7F) return false;  // control characters (Ctrl+letter)
    Changed = !R.ReadOnly && Editor.Insert(String(1, Key), R.MaxChars);
    return true;
}

bool TTextView::TextInput(const String& Utf8, const TEditRules& R, bool& Changed)
{
    FGoalX = -1;
    // Only what typing the same characters one by one would insert: no control characters.
    String s;
    for (size_t i = 0; i < Utf8.size(); ++i) {
        const char c = Utf8[i];
        if (c == '\r' && i + 1 < Utf8.size() && Utf8[i + 1] == '\n') continue;
        const bool newLine = c == '\r' || c == '\n';
        if (newLine && !R.MultiLine) break;  // an edit takes the first line
        if (newLine && R.WantReturns) s += R.LineBreak;
        else if (c == '\t' && R.MultiLine && R.WantTabs) s += c;
        else if (static_cast<unsigned char>(c) >= ' ' && c != 0x7F) s += c;
    }
    if (s.empty()) return false;
    Changed = !R.ReadOnly && Editor.Insert(s, R.MaxChars);
    return true;
}

bool TTextView::Copy(const TEditRules& R) const
{
    if (!R.MayCopy || Editor.SelLength() == 0) return false;
    Bridge::SetClipboardText(Editor.SelText());
    return true;
}

bool TTextView::Cut(const TEditRules& R)
{
    if (R.ReadOnly || !Copy(R)) return false;
    return Editor.DeleteSelection();
}

bool TTextView::Paste(const TEditRules& R)
{
    if (R.ReadOnly) return false;
    String s = Bridge::ClipboardText();
    if (!R.MultiLine) s = s.substr(0, std::min(s.find('\r'), s.find('\n')));  // an edit takes the first line
    // A memo's text breaks lines with LF alone, unless the text already uses another break.
    for (size_t at = s.find("\r\n"); at != String::npos; at = s.find("\r\n", at)) s.erase(at, 1);
    if (R.MultiLine && R.LineBreak != "\n")
        for (size_t at = s.find('\n'); at != String::npos; at = s.find('\n', at + R.LineBreak.size()))
            s.replace(at, 1, R.LineBreak);
    if (s.empty()) return false;
    return Editor.Insert(s, R.MaxChars);
}

}  // namespace qel
