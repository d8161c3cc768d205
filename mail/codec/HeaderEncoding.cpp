// Encoded words, attachment-name parameters and the folding of header fields.
#include "mail/codec/HeaderEncoding.h"
#include "mail/codec/Base64Encoder.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace qel {

namespace {

bool IsBlank(char C) { return C == ' ' || C == '\t'; }

bool IsAscii(const String& S)
{
    return std::all_of(S.begin(), S.end(), [](char C) { return static_cast<uint8_t>(C) < 0x80; });
}

// --- Characters and charsets

size_t SequenceLength(uint8_t Lead)
{
    if (Lead < 0x80) return 1;
    if ((Lead & 0xE0) == 0xC0) return 2;
    if ((Lead & 0xF0) == 0xE0) return 3;
    if ((Lead & 0xF8) == 0xF0) return 4;
    return 0;
}

// Length of the UTF-8 sequence at S[At]; 0 when it is not a valid one (overlong forms and
// surrogates are not).
size_t Utf8Length(std::string_view S, size_t At)
{
    const auto lead = static_cast<uint8_t>(S[At]);
    const size_t len = SequenceLength(lead);
    if (len == 0 || At + len > S.size()) return 0;
    uint32_t cp = len == 1 ? lead : lead & (0x7Fu >> len);
    for (size_t k = 1; k < len; ++k) {
        const auto next = static_cast<uint8_t>(S[At + k]);
        if ((next & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (next & 0x3Fu);
    }
    constexpr uint32_t Least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < Least[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

bool IsUtf8(std::string_view S)
{
    for (size_t i = 0; i < S.size();) {
        const size_t len = Utf8Length(S, i);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

// What a text is declared as: UTF-8 when it is valid UTF-8, else its bytes are taken as Latin-1.
struct TCharset {
    const char* Name;
    bool Utf8;

    size_t CharLength(std::string_view S, size_t At) const { return Utf8 ? Utf8Length(S, At) : 1; }
};

TCharset CharsetOf(const String& Text)
{
    return IsUtf8(Text) ? TCharset{"UTF-8", true} : TCharset{"ISO-8859-1", false};
}

// The end of the whole characters from At whose bytes fit MaxBytes.
size_t WholeCharsEnd(const String& Text, size_t At, size_t MaxBytes, const TCharset& Charset)
{
    size_t end = At;
    while (end < Text.size()) {
        const size_t len = Charset.CharLength(Text, end);
        if (end + len - At > MaxBytes) break;
        end += len;
    }
    return end;
}

// --- Which text stays as it is

// ASCII whose longest run without blanks fits a line beside Beside other characters.
bool StaysAsIs(const String& Text, size_t Beside)
{
    if (!IsAscii(Text)) return false;
    size_t run = 0, longest = 0;
    for (const char c : Text) {
        run = IsBlank(c) ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest + Beside <= HardLineLimit;
}

// Room for the first encoded word on a line of which Used characters are taken.
size_t FirstWordRoom(size_t Used)
{
    return Used < EncodedLineLimit ? std::min(EncodedWordLimit, EncodedLineLimit - Used) : 0;
}

// --- RFC 2047 words

String Base64(std::string_view Bytes)
{
    const auto* data = reinterpret_cast<const uint8_t*>(Bytes.data());
    const size_t groups = Bytes.size() / 3, rest = Bytes.size() % 3;
    String out((groups + (rest ? 1 : 0)) * 4, '\0');
    char* end = TBase64LineEncoder::EncodeGroups(data, groups, out.data());
    if (rest) TBase64LineEncoder::EncodePadded(data + 3 * groups, rest, end);
    return out;
}

// B-encoded words of at most FirstRoom characters for the first and Room for the others, joined
// by blanks. Room holds any one character, so the loop always moves on.
String EncodeWords(const String& Text, size_t FirstRoom, size_t Room)
{
    const TCharset charset = CharsetOf(Text);
    const String head = String("=?") + charset.Name + "?B?";
    const size_t overhead = head.size() + 2;
    String out;
    size_t room = FirstRoom;
    for (size_t at = 0; at < Text.size(); room = Room) {
        const size_t bytes = room > overhead ? (room - overhead) / 4 * 3 : 0;
        const size_t end = WholeCharsEnd(Text, at, bytes, charset);
        if (end == at) continue;  // the first line has no room for a word: it starts the next
        if (!out.empty()) out += ' ';
        out += head + Base64(std::string_view(Text).substr(at, end - at)) + "?=";
        at = end;
    }
    return out;
}

// --- RFC 2231 values

// A byte that may stand for itself in an extended value (attribute-char).
bool IsAttributeChar(uint8_t C)
{
    constexpr std::string_view Excluded = "*'%()<>@,;:\\\"/[]?=";
    return C > 0x20 && C < 0x7F && Excluded.find(static_cast<char>(C)) == std::string_view::npos;
}

String PercentEncode(std::string_view Bytes)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    String out;
    for (const char c : Bytes) {
        const auto b = static_cast<uint8_t>(c);
        if (IsAttributeChar(b)) {
            out += c;
        } else {
            out += '%';
            out += Hex[b >> 4];
            out += Hex[b & 0x0F];
        }
    }
    return out;
}

// Sections Attribute*0*=charset''...; Attribute*1*=...; each with its blank and ";" fits a line,
// and none splits a character.
String ContinuedParameter(const String& Attribute, const String& Value, const TCharset& Charset)
{
    String out;
    size_t at = 0;
    for (int n = 0; at < Value.size(); ++n) {
        String section = Attribute + "*" + std::to_string(n) + "*=";
        if (n == 0) section += String(Charset.Name) + "''";
        const size_t bare = section.size();
        while (at < Value.size()) {
            const size_t len = Charset.CharLength(Value, at);
            const String encoded = PercentEncode(std::string_view(Value).substr(at, len));
            if (section.size() > bare && section.size() + encoded.size() + 2 > SoftLineLimit) break;
            section += encoded;
            at += len;
        }
        if (n > 0) out += "; ";
        out += section;
    }
    return out;
}

// --- Folding

using TPieces = std::vector<String>;

// Pieces of Text, each after the first starting at a run of blanks: the places a fold may go.
void SplitAtBlanks(std::string_view Text, TPieces& Pieces)
{
    size_t start = 0;
    for (size_t i = 1; i < Text.size(); ++i) {
        if (IsBlank(Text[i]) && !IsBlank(Text[i - 1])) {
            Pieces.emplace_back(Text.substr(start, i - start));
            start = i;
        }
    }
    Pieces.emplace_back(Text.substr(start));
}

// Where an address list may break: after commas outside quotes, angle brackets and comments.
class TAddressScanner {
public:
    // Takes the next character; true when it is a comma between two addresses.
    bool EndsAddress(std::string_view Text, size_t& I)
    {
        const char c = Text[I];
        if (c == '\\' && (FQuoted || FComment > 0)) {
            ++I;  // the escaped character means nothing
        } else if (FQuoted) {
            FQuoted = c != '"';
        } else if (c == '(') {
            ++FComment;
        } else if (FComment > 0) {
            if (c == ')') --FComment;
        } else if (c == '"') {
            FQuoted = true;
        } else if (c == '<') {
            ++FAngle;
        } else if (c == '>') {
            if (FAngle > 0) --FAngle;
        } else {
            return c == ',' && FAngle == 0;
        }
        return false;
    }

private:
    bool FQuoted = false;
    int FComment = 0;
    int FAngle = 0;
};

// Each address with its comma; blanks before an address stay with it.
TPieces SplitAtAddresses(std::string_view Text)
{
    TPieces units;
    TAddressScanner scanner;
    size_t start = 0;
    for (size_t i = 0; i < Text.size(); ++i) {
        if (scanner.EndsAddress(Text, i)) {
            units.emplace_back(Text.substr(start, i + 1 - start));
            start = i + 1;
        }
    }
    if (start < Text.size()) units.emplace_back(Text.substr(start));
    return units;
}

bool HoldsEncodedWord(std::string_view Line)
{
    const size_t at = Line.find("=?");
    return at != std::string_view::npos && Line.find("?=", at + 2) != std::string_view::npos;
}

bool FitsLine(std::string_view Line)
{
    return Line.size() <= (HoldsEncodedWord(Line) ? EncodedLineLimit : SoftLineLimit);
}

bool IsBlankOnly(std::string_view S) { return std::all_of(S.begin(), S.end(), IsBlank); }

// Adds Line, cut at HardLineLimit where nothing else could break it.
void AddLine(std::vector<String>& Lines, const String& Line)
{
    Lines.push_back(Line.substr(0, HardLineLimit));
    for (size_t at = HardLineLimit; at < Line.size(); at += HardLineLimit - 1)
        Lines.push_back(" " + Line.substr(at, HardLineLimit - 1));
}

// Fills lines with pieces as far as they fit; a line that starts without a blank gets one.
std::vector<String> Pack(const TPieces& Pieces)
{
    std::vector<String> lines;
    String line;
    for (const String& piece : Pieces) {
        if ((lines.empty() && line.empty()) || IsBlankOnly(piece) || FitsLine(line + piece)) {
            line += piece;
            continue;
        }
        AddLine(lines, line);
        line = IsBlank(piece[0]) ? piece : " " + piece;
    }
    AddLine(lines, line);
    return lines;
}

}  // namespace

// --- Encoding

String EncodeHeaderText(const String& Text, size_t FirstLineUsed)
{
    if (StaysAsIs(Text, std::max<size_t>(FirstLineUsed, 1))) return Text;
    return EncodeWords(Text, FirstWordRoom(FirstLineUsed), EncodedWordLimit);
}

String EncodeDisplayName(const String& Name, size_t FirstLineUsed)
{
    if (StaysAsIs(Name, std::max<size_t>(FirstLineUsed, 1) + 2)) return "\"" + Name + "\"";
    return EncodeWords(Name, FirstWordRoom(FirstLineUsed), EncodedWordLimit);
}

String EncodeNameParameter(const String& Attribute, const String& Value)
{
    const String start = Attribute + "=\"";
    if (StaysAsIs(Value, start.size() + 3)) return start + Value + "\"";
    // The first word shares its line with a blank and the start; a last one ends with the quote.
    return start + EncodeWords(Value, FirstWordRoom(start.size() + 1), EncodedLineLimit - 2) + "\"";
}

String EncodeExtendedParameter(const String& Attribute, const String& Value)
{
    if (StaysAsIs(Value, Attribute.size() + 5)) return Attribute + "=\"" + Value + "\"";
    const TCharset charset = CharsetOf(Value);
    const String whole = Attribute + "*=" + charset.Name + "''" + PercentEncode(Value);
    if (whole.size() + 2 <= SoftLineLimit) return whole;
    return ContinuedParameter(Attribute, Value, charset);
}

// --- Folding

std::vector<String> FoldHeaderLine(const String& Line)
{
    if (Line.size() <= SoftLineLimit) return {Line};
    TPieces pieces;
    SplitAtBlanks(Line, pieces);
    return Pack(pieces);
}

std::vector<String> FoldAddressList(const String& Line)
{
    if (Line.size() <= SoftLineLimit) return {Line};
    TPieces pieces;
    for (const String& address : SplitAtAddresses(Line)) {
        if (address.size() < SoftLineLimit)
            pieces.push_back(address);
        else
            SplitAtBlanks(address, pieces);
    }
    return Pack(pieces);
}

}  // namespace qel
