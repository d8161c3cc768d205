// TRichEdit and its lines (ComCtrls.h).
#include "framework/core/Exceptions.h"
#include "framework/gui/ComCtrls.h"
#include "framework/gui/ExtCtrls.h"

#include <fstream>
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

}  // namespace

std::vector<String> TRichEditStrings::Split() const
{
    std::vector<String> lines;
    const String& t = FEdit->Text();
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
    FEdit->SetText(String(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

void TRichEditStrings::SaveToFile(const String& FileName) const
{
    std::ofstream out(FileName, std::ios::binary | std::ios::trunc);
    const String& t = FEdit->Text();
    if (!out || !out.write(t.data(), static_cast<std::streamsize>(t.size())))
        throw EFCreateError("Cannot create file \"" + FileName + "\"");
}

TRichEdit::TRichEdit(TComponent* AOwner)
    : TCustomControl(AOwner), FLines(std::make_unique<TRichEditStrings>(this))
{
    SetBounds(0, 0, 185, 89);
    SetTabStop(true);
    SetColor(clWindow);
}

TRichEdit::~TRichEdit() = default;

void TRichEdit::SetWordWrap(bool Value)
{
    FWordWrap = Value;
    Invalidate();
}

void TRichEdit::SetScrollBars(TMemo::TScrollStyle Value)
{
    FScrollBars = Value;
    Invalidate();
}

void TRichEdit::TextChanged()
{
    TCustomControl::TextChanged();
    if (OnChange) OnChange(this);
}

void TRichEdit::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
    c->Brush()->SetStyle(bsClear);
    c->Font()->Assign(Font());
    r.Left += 1;
    String shown = Text();
    std::erase(shown, '\r');
    c->DrawText(shown, r, DT_LEFT | DT_NOPREFIX | DT_EXPANDTABS | (FWordWrap ? DT_WORDBREAK : 0));
}

QEL_REGISTER_CLASS(TRichEdit);

}  // namespace qel
