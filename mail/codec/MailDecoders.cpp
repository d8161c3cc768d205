// The Base64 and UU line decoders, free of any component state.
#include "mail/codec/MailDecoders.h"

#include <array>

namespace qel {

namespace {

constexpr uint8_t NoValue = 0xFF;

constexpr std::array<uint8_t, 256> MakeBase64Table()
{
    std::array<uint8_t, 256> table{};
    table.fill(NoValue);
    for (int i = 0; i < 26; ++i) {
        table['A' + i] = static_cast<uint8_t>(i);
        table['a' + i] = static_cast<uint8_t>(26 + i);
    }
    for (int i = 0; i < 10; ++i) table['0' + i] = static_cast<uint8_t>(52 + i);
    table['+'] = 62;
    table['/'] = 63;
    table['='] = TBase64GroupDecoder::PadMarker;
    return table;
}

constexpr std::array<uint8_t, 256> Base64Values = MakeBase64Table();

char AsciiLower(char C) { return (C >= 'A' && C <= 'Z') ? static_cast<char>(C + ('a' - 'A')) : C; }

// Reads a short run of decimal digits, blanks before them and a sign allowed; nothing else.
bool ReadDecimal(std::string_view Text, int& Value)
{
    size_t i = 0;
    while (i < Text.size() && Text[i] == ' ') ++i;
    const bool negative = i < Text.size() && Text[i] == '-';
    if (i < Text.size() && (Text[i] == '-' || Text[i] == '+')) ++i;
    if (i == Text.size()) return false;
    int value = 0;
    for (; i < Text.size(); ++i) {
        if (Text[i] < '0' || Text[i] > '9') return false;
        value = value * 10 + (Text[i] - '0');
    }
    Value = negative ? -value : value;
    return true;
}

}  // namespace

// ---------------------------------------------------------------- TBase64GroupDecoder

size_t TBase64GroupDecoder::Decode(std::string_view Line, uint8_t* Out, size_t& Groups)
{
    uint8_t* const start = Out;
    Groups = 0;
    const auto* text = reinterpret_cast<const uint8_t*>(Line.data());
    const size_t size = Line.size();
    for (size_t i = 0; i < size;) {
        // Whole groups of plain alphabet characters, the bulk of any attachment, go four at a time.
        for (; FFill == 0 && i + 4 <= size; i += 4, Out += 3, ++Groups) {
            const uint32_t a = Base64Values[text[i]], b = Base64Values[text[i + 1]], c = Base64Values[text[i + 2]],
                           d = Base64Values[text[i + 3]];
            if ((a | b | c | d) >= PadMarker) break;
            const uint32_t bits = (a << 18) | (b << 12) | (c << 6) | d;
            Out[0] = static_cast<uint8_t>(bits >> 16);
            Out[1] = static_cast<uint8_t>(bits >> 8);
            Out[2] = static_cast<uint8_t>(bits);
        }
        if (i == size) break;
        const uint8_t value = Base64Values[text[i++]];
        if (value == NoValue) continue;
        FGroup[FFill++] = value;
        if (FFill < 4) continue;
        Out += DecodeGroup(FGroup, Out);
        FFill = 0;
        ++Groups;
    }
    return static_cast<size_t>(Out - start);
}

size_t TBase64GroupDecoder::DecodeGroup(const uint8_t (&Group)[4], uint8_t* Out)
{
    // The pad tests run in this order, each on the values the one before left behind.
    uint32_t g1 = Group[0], g2 = Group[1], g3 = Group[2], g4 = Group[3];
    size_t n = 3;
    if (g1 == PadMarker) n = 0;
    if (g3 == PadMarker) {
        g3 = 0;
        g4 = 0;
        n = 1;
    }
    if (g4 == PadMarker) {
        g4 = 0;
        n = 2;
    }
    const uint8_t bytes[3] = {static_cast<uint8_t>(g1 * 4 + g2 / 16), static_cast<uint8_t>((g2 % 16) * 16 + g3 / 4),
                              static_cast<uint8_t>((g3 % 4) * 64 + g4)};
    for (size_t i = 0; i < n; ++i) Out[i] = bytes[i];
    return n;
}

// ---------------------------------------------------------------- TUULineDecoder

uint8_t TUULineDecoder::Value(char C, bool& Bad)
{
    const auto code = static_cast<uint8_t>(C);
    Bad = false;
    if (code == '`' || code == ' ') return 0;
    if (code > ' ' && code <= '_') return static_cast<uint8_t>(code - 0x20);
    Bad = true;
    return 0;
}

size_t TUULineDecoder::Decode(std::string_view Line, uint8_t* Out, size_t& BadChars)
{
    BadChars = 0;
    bool bad = false;
    const size_t announced = Line.empty() ? 0 : Value(Line[0], bad);
    BadChars += bad;
    // A full line decodes 60 positions even when its trailing blanks were lost in transport.
    size_t chars = announced * 4 / 3;
    if (chars != MaxChars) chars = Line.empty() ? 0 : std::min(Line.size() - 1, MaxChars);
    uint8_t values[MaxChars] = {};
    for (size_t i = 0; i < chars && i + 1 < Line.size(); ++i) {
        values[i] = Value(Line[i + 1], bad);
        BadChars += bad;
    }
    const size_t bytes = std::min(announced, MaxBytes);
    for (size_t i = 0, v = 0; i < bytes; i += 3, v += 4) {
        const uint32_t bits = (uint32_t{values[v]} << 18) | (uint32_t{values[v + 1]} << 12) |
                              (uint32_t{values[v + 2]} << 6) | values[v + 3];
        const uint8_t group[3] = {static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 8),
                                  static_cast<uint8_t>(bits)};
        for (size_t k = 0; k < 3 && i + k < bytes; ++k) Out[i + k] = group[k];
    }
    return bytes;
}

// ---------------------------------------------------------------- TUUBeginFinder

bool TUUBeginFinder::IsBeginLine(std::string_view Line, String& FileName)
{
    if (Line.size() <= 10) return false;
    static constexpr std::string_view begin = "begin";
    for (size_t i = 0; i < begin.size(); ++i)
        if (AsciiLower(Line[i]) != begin[i]) return false;
    int mode = 0;
    // The octal mode is read as if it were decimal; 777 itself is refused.
    if (!ReadDecimal(Line.substr(6, 3), mode) || mode >= 777) return false;
    FileName = String(Line.substr(10, NameLength));
    return true;
}

}  // namespace qel
