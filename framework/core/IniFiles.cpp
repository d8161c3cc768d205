#include "framework/core/IniFiles.h"

#include "framework/core/SysUtils.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string_view>

namespace qel {

namespace {

String ReadWholeFile(const String& FileName)
{
    std::ifstream In(FileName, std::ios::binary);
    return String(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}

String Unquote(const String& Value)
{
    const bool Quoted = Value.size() >= 2 && Value.front() == '"' && Value.back() == '"';
    return Quoted ? Value.substr(1, Value.size() - 2) : Value;
}

} // namespace

TIniFile::TIniFile(const String& FileName) : FFileName(FileName)
{
    Parse(ReadWholeFile(FileName));
}

void TIniFile::Parse(const String& Text)
{
    constexpr std::string_view Bom = "\xEF\xBB\xBF";
    std::istringstream Lines(Text.starts_with(Bom) ? Text.substr(Bom.size()) : Text);
    TSection* Current = nullptr;
    for (String Line; std::getline(Lines, Line);) {
        Line = Trim(Line);
        if (Line.empty() || Line[0] == ';' || Line[0] == '#') continue;
        if (Line[0] == '[') {
            Current = StartSection(Line);
            continue;
        }
        const size_t Equals = Line.find('=');
        if (!Current || Equals == String::npos) continue;
        TEntry Entry{Trim(Line.substr(0, Equals)), Unquote(Trim(Line.substr(Equals + 1)))};
        const auto Same = [&](const TEntry& E) { return SameText(E.Ident, Entry.Ident); };
        if (!Entry.Ident.empty() && std::none_of(Current->Entries.begin(), Current->Entries.end(), Same))
            Current->Entries.push_back(std::move(Entry));
    }
}

TIniFile::TSection* TIniFile::StartSection(const String& Header)
{
    // A malformed header yields no section, so its keys do not fall into the previous one.
    const size_t Close = Header.find(']');
    if (Close == String::npos) return nullptr;
    const String Name = Trim(Header.substr(1, Close - 1));
    const auto It = std::find_if(FSections.begin(), FSections.end(),
                                 [&](const TSection& S) { return SameText(S.Name, Name); });
    return It != FSections.end() ? &*It : &FSections.emplace_back(TSection{Name, {}});
}

const TIniFile::TSection* TIniFile::FindSection(const String& Section) const
{
    const auto It = std::find_if(FSections.begin(), FSections.end(),
                                 [&](const TSection& S) { return SameText(S.Name, Section); });
    return It == FSections.end() ? nullptr : &*It;
}

const TIniFile::TEntry* TIniFile::FindEntry(const String& Section, const String& Ident) const
{
    const TSection* S = FindSection(Section);
    if (!S) return nullptr;
    const auto It = std::find_if(S->Entries.begin(), S->Entries.end(),
                                 [&](const TEntry& E) { return SameText(E.Ident, Ident); });
    return It == S->Entries.end() ? nullptr : &*It;
}

String TIniFile::ReadString(const String& Section, const String& Ident, const String& Default) const
{
    const TEntry* Entry = FindEntry(Section, Ident);
    return Entry ? Entry->Value : Default;
}

Integer TIniFile::ReadInteger(const String& Section, const String& Ident, Integer Default) const
{
    const TEntry* Entry = FindEntry(Section, Ident);
    return Entry ? StrToIntDef(Entry->Value, Default) : Default;
}

bool TIniFile::ReadBool(const String& Section, const String& Ident, bool Default) const
{
    const TEntry* Entry = FindEntry(Section, Ident);
    if (!Entry) return Default;
    const String& V = Entry->Value;
    if (SameText(V, "true") || SameText(V, "yes") || SameText(V, "on")) return true;
    if (SameText(V, "false") || SameText(V, "no") || SameText(V, "off")) return false;
    // Two different defaults agree only when the text really is a number.
    const Integer Number = StrToIntDef(V, 0);
    return Number == StrToIntDef(V, 1) ? Number != 0 : Default;
}

bool TIniFile::SectionExists(const String& Section) const { return FindSection(Section) != nullptr; }

bool TIniFile::ValueExists(const String& Section, const String& Ident) const
{
    return FindEntry(Section, Ident) != nullptr;
}

void TIniFile::ReadSections(std::vector<String>& Sections) const
{
    Sections.clear();
    for (const TSection& S : FSections) Sections.push_back(S.Name);
}

void TIniFile::ReadSection(const String& Section, std::vector<String>& Idents) const
{
    Idents.clear();
    if (const TSection* S = FindSection(Section))
        for (const TEntry& E : S->Entries) Idents.push_back(E.Ident);
}

}  // namespace qel
