// The RTF writer (RtfWriter.h).
#include "framework/gui/RtfWriter.h"

#include "framework/gui/RtfReader.h"

#include <cstdio>

namespace qel {

namespace {

constexpr uint32_t Invalid = 0xFFFFFFFF;

// The code point at I (moving I past it), or Invalid for a byte that starts no UTF-8 sequence.
uint32_t NextCodePoint(const String& S, size_t& I)
{
    const auto b = static_cast<uint8_t>(S[I++]);
    if (b < 0x80) return b;
    const int extra = b >= 0xF0 && b < 0xF5 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 && b < 0xE0 ? 1 : -1;
    if (extra < 0 || I + static_cast<size_t>(extra) > S.size()) return Invalid;
    uint32_t cp = b & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        const auto c = static_cast<uint8_t>(S[I + static_cast<size_t>(k)]);
        if ((c & 0xC0) != 0x80) return Invalid;
        cp = (cp << 6) | (c & 0x3F);
    }
    I += static_cast<size_t>(extra);
    return cp;
}

String Hex(uint8_t Byte)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\'%02x", Byte);
    return buf;
}

// The cp1252 byte of a character, or 0 when cp1252 has none.
uint8_t Cp1252Of(uint32_t CodePoint)
{
    for (int b = 0x80; b <= 0xFF; ++b)
        if (Cp1252ToUnicode(static_cast<uint8_t>(b)) == CodePoint) return static_cast<uint8_t>(b);
    return 0;
}

String UnicodeWord(uint32_t Unit, const String& StandIn)
{
    return "\\u" + std::to_string(Unit > 32767 ? static_cast<int32_t>(Unit) - 65536 : static_cast<int32_t>(Unit)) +
           StandIn;
}

String Escaped(const String& Text)
{
    String out;
    for (size_t i = 0; i < Text.size();) {
        const size_t at = i;
        const uint32_t cp = NextCodePoint(Text, i);
        if (cp == Invalid) out += Hex(static_cast<uint8_t>(Text[at]));
        else if (cp == '\\' || cp == '{' || cp == '}') out += String("\\") + static_cast<char>(cp);
        else if (cp == '\t') out += "\\tab ";
        else if (cp < 0x20) continue;  // other control characters have no place in the text
        else if (cp < 0x80) out += static_cast<char>(cp);
        else if (const uint8_t b = Cp1252Of(cp)) out += UnicodeWord(cp, Hex(b));
        else if (cp < 0x10000) out += UnicodeWord(cp, "?");
        else out += UnicodeWord(0xD800 + ((cp - 0x10000) >> 10), "?") + UnicodeWord(0xDC00 + (cp & 0x3FF), "?");
    }
    return out;
}

}  // namespace

String WriteRtf(const std::vector<String>& Lines, const String& FontName, int32_t FontSize)
{
    String font = FontName.empty() ? String("Arial") : FontName;
    std::erase(font, ';');
    String out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fnil " + Escaped(font) + ";}}\n";
    out += "\\pard\\plain\\f0\\fs" + std::to_string(std::max(FontSize, 1) * 2) + " ";
    for (const String& line : Lines) out += Escaped(line) + "\\par\n";
    return out + "}\n";
}

}  // namespace qel
