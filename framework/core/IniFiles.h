#pragma once
// Read-only INI file, parsed once when constructed.
//
//   ; comment          # comment too (whole lines only: a value may contain ';')
//   [Software\Vendor\Product]    section names may hold backslashes
//   Key = some value             key and value trimmed, inner blanks kept
//   Quoted = "  padded  "        one pair of enclosing double quotes is removed
//
// Section and key names ignore ASCII letter case. When a key repeats within a section the
// first occurrence wins; a repeated section adds its new keys to the first one. Lines
// before any section, and lines without '=', are ignored. LF and CR LF line ends, and a
// leading UTF-8 byte-order mark, are accepted. A missing or unreadable file is empty.
#include "framework/core/Export.h"
#include "framework/core/Types.h"

#include <vector>

namespace qel {

class QEL_FRAMEWORK_EXPORT TIniFile {
public:
    explicit TIniFile(const String& FileName);

    const String& FileName() const { return FFileName; }

    String ReadString(const String& Section, const String& Ident, const String& Default) const;
    // Decimal, "$hex" or "0xhex"; anything else gives Default.
    Integer ReadInteger(const String& Section, const String& Ident, Integer Default) const;
    // An integer (non-zero is true) or true/false, yes/no, on/off; anything else gives Default.
    bool ReadBool(const String& Section, const String& Ident, bool Default) const;

    bool SectionExists(const String& Section) const;
    bool ValueExists(const String& Section, const String& Ident) const;
    void ReadSections(std::vector<String>& Sections) const;                      // in file order
    void ReadSection(const String& Section, std::vector<String>& Idents) const;  // in file order

private:
    struct TEntry {
        String Ident;
        String Value;
    };
    struct TSection {
        String Name;
        std::vector<TEntry> Entries;
    };

    void Parse(const String& Text);
    TSection* StartSection(const String& Header);
    const TSection* FindSection(const String& Section) const;
    const TEntry* FindEntry(const String& Section, const String& Ident) const;

    String FFileName;
    std::vector<TSection> FSections;
};

}  // namespace qel
