#pragma once
// The caret, selection and changes of an edit's text, apart from any control: positions are byte
// offsets into the UTF-8 text that always sit on a character boundary.
#include "framework/core/Strings.h"

#include <cstdint>

namespace qel {

class TTextEditor {
public:
    const String& Text() const { return FText; }
    void SetText(const String& Value);  // caret to the start, nothing selected, no undo
    int32_t Length() const { return static_cast<int32_t>(FText.size()); }

    int32_t Caret() const { return FCaret; }
    int32_t Anchor() const { return FAnchor; }
    int32_t SelStart() const;
    int32_t SelLength() const;
    String SelText() const;
    void SetSelStart(int32_t Value);   // collapses the selection there
    void SetSelLength(int32_t Value);  // from SelStart, the caret at its end
    void Select(int32_t AAnchor, int32_t ACaret);
    void MoveCaret(int32_t Pos, bool Extend);
    void SelectAll() { Select(0, Length()); }
    void ClearSelection() { Select(FCaret, FCaret); }
    void SelectWordAt(int32_t Pos);

    // Where the caret goes from Pos.
    int32_t NextChar(int32_t Pos) const;
    int32_t PrevChar(int32_t Pos) const;
    int32_t NextWord(int32_t Pos) const;
    int32_t PrevWord(int32_t Pos) const;
    int32_t LineStart(int32_t Pos) const;
    int32_t LineEnd(int32_t Pos) const;  // before the line break

    // Changes; each returns whether the text changed. MaxChars > 0 limits the characters.
    bool Insert(const String& S, int32_t MaxChars = 0);  // replaces the selection
    bool DeleteSelection();
    bool Backspace();   // the selection, or the character before the caret
    bool DeleteChar();  // the selection, or the character after the caret
    bool CanUndo() const { return FUndo.Valid; }
    bool Undo();  // the last change; a second Undo redoes it
    void ClearUndo() { FUndo.Valid = false; }

private:
    struct TState {
        String Text;
        int32_t Anchor = 0, Caret = 0;
        bool Valid = false;
    };
    int32_t Fit(int32_t Pos) const;  // into 0..Length on a character boundary
    void Replace(int32_t From, int32_t To, const String& S);

    String FText;
    int32_t FCaret = 0;
    int32_t FAnchor = 0;
    TState FUndo;
};

// Characters (UTF-8 code points) in S.
int32_t CharCount(const String& S);

}  // namespace qel
