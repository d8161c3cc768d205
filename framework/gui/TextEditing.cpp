#include "framework/gui/TextEditing.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace qel {

namespace {

bool IsContinuation(char C) { return (static_cast<unsigned char>(C) & 0xC0) == 0x80; }

// Word moves stop where the kind of character changes.
enum TCharClass { ccSpace, ccBreak, ccWord, ccOther };

TCharClass ClassOf(char C)
{
    const auto u = static_cast<unsigned char>(C);
    if (C == ' ' || C == '\t') return ccSpace;
    if (C == '\n' || C == '\r') return ccBreak;
    if (u >= 0x80 || std::isalnum(u) || C == '_') return ccWord;
    return ccOther;
}

}  // namespace

int32_t CharCount(const String& S)
{
    return static_cast<int32_t>(std::count_if(S.begin(), S.end(), [](char c) { return !IsContinuation(c); }));
}

void TTextEditor::SetText(const String& Value)
{
    FText = Value;
    FCaret = FAnchor = 0;
    FUndo.Valid = false;
}

int32_t TTextEditor::SelStart() const { return std::min(FCaret, FAnchor); }
int32_t TTextEditor::SelLength() const { return std::abs(FCaret - FAnchor); }
String TTextEditor::SelText() const { return FText.substr(SelStart(), SelLength()); }

int32_t TTextEditor::Fit(int32_t Pos) const
{
    Pos = std::clamp(Pos, 0, Length());
    while (Pos > 0 && Pos < Length() && IsContinuation(FText[Pos])) --Pos;
    // Between CR and LF is no place for the caret.
    if (Pos > 0 && Pos < Length() && FText[Pos] == '\n' && FText[Pos - 1] == '\r') --Pos;
    return Pos;
}

void TTextEditor::SetSelStart(int32_t Value) { FCaret = FAnchor = Fit(Value); }

void TTextEditor::SetSelLength(int32_t Value)
{
    FAnchor = SelStart();
    FCaret = Fit(FAnchor + std::max(0, Value));
}

void TTextEditor::Select(int32_t AAnchor, int32_t ACaret)
{
    FAnchor = Fit(AAnchor);
    FCaret = Fit(ACaret);
}

void TTextEditor::MoveCaret(int32_t Pos, bool Extend)
{
    FCaret = Fit(Pos);
    if (!Extend) FAnchor = FCaret;
}

void TTextEditor::SelectWordAt(int32_t Pos)
{
    Pos = Fit(Pos);
    if (Pos == Length() && Pos > 0) Pos = PrevChar(Pos);
    if (Pos >= Length()) return Select(Pos, Pos);
    const TCharClass k = ClassOf(FText[Pos]);
    if (k == ccBreak) return Select(Pos, Pos);
    int32_t from = Pos, to = Pos;
    while (from > 0 && ClassOf(FText[from - 1]) == k) --from;
    while (to < Length() && ClassOf(FText[to]) == k) ++to;
    Select(from, to);
}

int32_t TTextEditor::NextChar(int32_t Pos) const
{
    if (Pos >= Length()) return Length();
    if (FText[Pos] == '\r' && Pos + 1 < Length() && FText[Pos + 1] == '\n') return Pos + 2;
    ++Pos;
    while (Pos < Length() && IsContinuation(FText[Pos])) ++Pos;
    return Pos;
}

int32_t TTextEditor::PrevChar(int32_t Pos) const
{
    if (Pos <= 0) return 0;
    if (FText[Pos - 1] == '\n' && Pos >= 2 && FText[Pos - 2] == '\r') return Pos - 2;
    --Pos;
    while (Pos > 0 && IsContinuation(FText[Pos])) --Pos;
    return Pos;
}

int32_t TTextEditor::NextWord(int32_t Pos) const
{
    if (Pos >= Length()) return Length();
    const TCharClass k = ClassOf(FText[Pos]);
    if (k == ccBreak) return NextChar(Pos);
    if (k != ccSpace)
        while (Pos < Length() && ClassOf(FText[Pos]) == k) ++Pos;
    while (Pos < Length() && ClassOf(FText[Pos]) == ccSpace) ++Pos;
    return Pos;
}

int32_t TTextEditor::PrevWord(int32_t Pos) const
{
    while (Pos > 0 && ClassOf(FText[Pos - 1]) == ccSpace) --Pos;
    if (Pos == 0) return 0;
    const TCharClass k = ClassOf(FText[Pos - 1]);
    if (k == ccBreak) return PrevChar(Pos);
    while (Pos > 0 && ClassOf(FText[Pos - 1]) == k) --Pos;
    return Pos;
}

int32_t TTextEditor::LineStart(int32_t Pos) const
{
    const size_t nl = Pos > 0 ? FText.rfind('\n', static_cast<size_t>(Pos - 1)) : String::npos;
    return nl == String::npos ? 0 : static_cast<int32_t>(nl + 1);
}

int32_t TTextEditor::LineEnd(int32_t Pos) const
{
    const size_t nl = FText.find('\n', static_cast<size_t>(Pos));
    if (nl == String::npos) return Length();
    const auto end = static_cast<int32_t>(nl);
    return end > 0 && FText[end - 1] == '\r' ? end - 1 : end;
}

void TTextEditor::Replace(int32_t From, int32_t To, const String& S)
{
    FUndo = TState{FText, FAnchor, FCaret, true};
    FText.replace(From, To - From, S);
    FCaret = FAnchor = From + static_cast<int32_t>(S.size());
}

bool TTextEditor::Insert(const String& S, int32_t MaxChars)
{
    String s = S;
    if (MaxChars > 0) {
        const int32_t room = MaxChars - (CharCount(FText) - CharCount(SelText()));
        int32_t n = 0;
        size_t cut = 0;
        while (cut < s.size() && (n < room || IsContinuation(s[cut]))) {
            if (!IsContinuation(s[cut])) ++n;
            ++cut;
        }
        s.resize(cut);
    }
    if (s.empty() && SelLength() == 0) return false;
    if (s.empty() && MaxChars > 0 && !S.empty()) return false;  // no room: the selection stays
    Replace(SelStart(), SelStart() + SelLength(), s);
    return true;
}

bool TTextEditor::DeleteSelection()
{
    if (SelLength() == 0) return false;
    Replace(SelStart(), SelStart() + SelLength(), String());
    return true;
}

bool TTextEditor::Backspace()
{
    if (SelLength() == 0) FAnchor = PrevChar(FCaret);
    return DeleteSelection();
}

bool TTextEditor::DeleteChar()
{
    if (SelLength() == 0) FAnchor = NextChar(FCaret);
    return DeleteSelection();
}

bool TTextEditor::Undo()
{
    if (!FUndo.Valid) return false;
    TState now{FText, FAnchor, FCaret, true};
    FText = FUndo.Text;
    FAnchor = FUndo.Anchor;
    FCaret = FUndo.Caret;
    FUndo = now;
    return true;
}

}  // namespace qel
