// TRichEdit and its lines (ComCtrls.h).
#include "framework/core/Exceptions.h"
#include "framework/gui/ComCtrls.h"
#include "framework/gui/Printers.h"
#include "framework/gui/RtfReader.h"
#include "framework/gui/RtfWriter.h"
#include "framework/gui/TextView.h"

#include <fstream>
#include <functional>
#include <iterator>

namespace qel {

namespace {

// The break the text already uses, so edited lines keep the file's convention.
String BreakOf(const String& Text)
{
    const auto lf = Text.find('\n');
    if (lf != String::npos) return lf > 0 && Text[lf - 1] == '\r' ? "\r\n" : "\n";
    return Text.find('\r') != String::npos ? "\r" : "\n";
}

std::vector<String> SplitLines(const String& t)
{
    std::vector<String> lines;
    size_t start = 0;
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] != '\r' && t[i] != '\n') continue;
        lines.push_back(t.substr(start, i - start));
        if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < t.size()) lines.push_back(t.substr(start));
    return lines;
}

String ExpandTabs(const String& Line)
{
    String out;
    for (char c : Line) {
        if (c != '\t') out += c;
        else do out += ' '; while (out.size() % 8 != 0);
    }
    return out;
}

using TMeasure = std::function<int32_t(const String&)>;

// The longest start of Word (whole characters, at least one) that fits Width.
size_t FittingPrefix(const String& Word, int32_t Width, const TMeasure& Measure)
{
    size_t best = 0;
    for (size_t i = 1; i <= Word.size(); ++i) {
        if (i < Word.size() && (static_cast<uint8_t>(Word[i]) & 0xC0) == 0x80) continue;
        if (best > 0 && Measure(Word.substr(0, i)) > Width) break;
        best = i;
    }
    return best;
}

// Pieces of Line no wider than Width, broken at spaces, or inside a word wider than a line.
std::vector<String> WrapLine(const String& Line, int32_t Width, const TMeasure& Measure)
{
    std::vector<String> out;
    String cur;
    for (size_t i = 0; i <= Line.size();) {
        const size_t sp = std::min(Line.find(' ', i), Line.size());
        String word = Line.substr(i, sp - i);
        i = sp + 1;
        const String candidate = cur.empty() ? word : cur + " " + word;
        if (Measure(candidate) <= Width) {
            cur = candidate;
            continue;
        }
        if (!cur.empty()) out.push_back(cur);
        while (word.size() > 1 && Measure(word) > Width) {
            const size_t n = FittingPrefix(word, Width, Measure);
            out.push_back(word.substr(0, n));
            word.erase(0, n);
        }
        cur = word;
    }
    out.push_back(cur);
    return out;
}

}  // namespace

std::vector<String> TRichEditStrings::Split() const { return SplitLines(FEdit->Text()); }

void TRichEditStrings::Join(const std::vector<String>& Lines)
{
    const String br = BreakOf(FEdit->Text());
    String t;
    for (const String& l : Lines) t += l + br;
    FEdit->SetText(t);
}

int TRichEditStrings::Count() const { return static_cast<int>(Split().size()); }

String TRichEditStrings::Get(int Index) const
{
    const auto lines = Split();
    CheckIndex(Index, static_cast<int>(lines.size()));
    return lines[static_cast<size_t>(Index)];
}

void TRichEditStrings::Put(int Index, const String& S)
{
    auto lines = Split();
    CheckIndex(Index, static_cast<int>(lines.size()));
    lines[static_cast<size_t>(Index)] = S;
    Join(lines);
}

void TRichEditStrings::Insert(int Index, const String& S)
{
    auto lines = Split();
    CheckIndex(Index, static_cast<int>(lines.size()) + 1);
    lines.insert(lines.begin() + Index, S);
    Join(lines);
}

void TRichEditStrings::Delete(int Index)
{
    auto lines = Split();
    CheckIndex(Index, static_cast<int>(lines.size()));
    lines.erase(lines.begin() + Index);
    Join(lines);
}

void TRichEditStrings::Clear() { FEdit->SetText(String()); }

String TRichEditStrings::Text() const { return FEdit->Text(); }

void TRichEditStrings::SetText(const String& Value) { FEdit->SetText(Value); }

void TRichEditStrings::LoadFromFile(const String& FileName)
{
    std::ifstream in(FileName, std::ios::binary);
    if (!in) throw EFOpenError("Cannot open file \"" + FileName + "\"");
    String data(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>{});
    if (!FEdit->PlainText() && IsRtf(data)) {
        String text;
        for (const String& line : ReadRtfLines(data)) text += line + "\n";
        data = std::move(text);
    }
    FEdit->SetText(data);
}

void TRichEditStrings::SaveToFile(const String& FileName) const
{
    std::ofstream out(FileName, std::ios::binary | std::ios::trunc);
    const TFont* font = FEdit->Font();
    const String t = FEdit->PlainText() ? FEdit->Text() : WriteRtf(Split(), font->Name(), font->Size());
    if (!out || !out.write(t.data(), static_cast<std::streamsize>(t.size())))
        throw EFCreateError("Cannot create file \"" + FileName + "\"");
}

TRichEdit::TRichEdit(TComponent* AOwner)
    : TCustomMemo(AOwner), FLines(std::make_unique<TRichEditStrings>(this))
{
}

TRichEdit::~TRichEdit() = default;

void TRichEdit::GetRules(TEditRules& Rules) const
{
    TCustomMemo::GetRules(Rules);
    // Typed lines follow a file's CR LF; a lone CR is no line for the editor, so LF stays there.
    if (BreakOf(Text()) == "\r\n") Rules.LineBreak = "\r\n";
}

void TRichEdit::Print(const String& Caption)
{
    TPrinter& p = Printer();
    p.SetTitle(Caption);
    p.Canvas()->Font()->Assign(Font());
    p.BeginDoc();
    try {
        const int32_t h = p.TextLineHeight();
        const TMeasure measure = [&p](const String& S) { return p.TextWidth(S); };
        int32_t y = 0;
        for (const String& line : SplitLines(Text())) {
            for (const String& piece : WrapLine(ExpandTabs(line), p.PageWidth(), measure)) {
                if (y > 0 && y + h > p.PageHeight()) {
                    p.NewPage();
                    y = 0;
                }
                p.TextOut(0, y, piece);
                y += h;
            }
        }
    } catch (...) {
        p.Abort();
        throw;
    }
    p.EndDoc();
}

QEL_REGISTER_CLASS(TRichEdit);

}  // namespace qel
