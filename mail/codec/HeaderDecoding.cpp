// Encoded words and parameter values of received headers made UTF-8; control characters shown.
#include "mail/codec/HeaderDecoding.h"
#include "mail/codec/MailDecoders.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string_view>
#include <utility>
#include <vector>

namespace qel {

namespace {

bool IsBlank(char C) { return C == ' ' || C == '\t'; }
bool IsLineBreak(char C) { return C == '\r' || C == '\n'; }

char LowerAscii(char C) { return (C >= 'A' && C <= 'Z') ? static_cast<char>(C + ('a' - 'A')) : C; }

String LowerAscii(std::string_view S)
{
    String out(S);
    std::transform(out.begin(), out.end(), out.begin(), [](char C) { return LowerAscii(C); });
    return out;
}

int HexValue(char C)
{
    if (C >= '0' && C <= '9') return C - '0';
    if (C >= 'a' && C <= 'f') return C - 'a' + 10;
    if (C >= 'A' && C <= 'F') return C - 'A' + 10;
    return -1;
}

std::string_view Trim(std::string_view S)
{
    while (!S.empty() && IsBlank(S.front())) S.remove_prefix(1);
    while (!S.empty() && IsBlank(S.back())) S.remove_suffix(1);
    return S;
}

// A line break followed by a blank goes; the blank stays (RFC 5322 unfolding).
String Unfold(const String& Raw)
{
    String out;
    out.reserve(Raw.size());
    for (size_t i = 0; i < Raw.size(); ++i) {
        if (!IsLineBreak(Raw[i])) {
            out += Raw[i];
            continue;
        }
        size_t next = i;
        while (next < Raw.size() && IsLineBreak(Raw[next])) ++next;
        if (next == Raw.size() || !IsBlank(Raw[next])) out.append(Raw, i, next - i);
        i = next - 1;
    }
    return out;
}

// --- Charsets

bool IsKnownCharset(const String& Charset) { return QStringDecoder(Charset.c_str()).isValid(); }

// Bytes in Charset as UTF-8; without a charset Qt knows, the bytes as they are.
String ToUtf8(const String& Charset, std::string_view Bytes)
{
    QStringDecoder decoder(Charset.c_str());
    if (Charset.empty() || !decoder.isValid()) return String(Bytes);
    const QString text = decoder.decode(QByteArrayView(Bytes.data(), static_cast<qsizetype>(Bytes.size())));
    const QByteArray utf8 = text.toUtf8();
    return String(utf8.constData(), static_cast<size_t>(utf8.size()));
}

// --- RFC 2047 words

bool IsBase64Char(char C)
{
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '+' || C == '/';
}

// Strict on the alphabet, lenient on missing padding, which some writers leave out.
bool DecodeB(std::string_view Text, String& Bytes)
{
    size_t end = Text.size();
    while (end > 0 && Text[end - 1] == '=') --end;
    if (Text.size() - end > 2 || end % 4 == 1) return false;
    if (!std::all_of(Text.begin(), Text.begin() + static_cast<std::ptrdiff_t>(end), IsBase64Char)) return false;
    String padded(Text.substr(0, end));
    padded.append((4 - end % 4) % 4, '=');
    Bytes.resize(TBase64GroupDecoder::MaxBytesFor(padded.size()));
    TBase64GroupDecoder decoder;
    size_t groups = 0;
    Bytes.resize(decoder.Decode(padded, reinterpret_cast<uint8_t*>(Bytes.data()), groups));
    return true;
}

bool DecodeQ(std::string_view Text, String& Bytes)
{
    for (size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] != '=') {
            Bytes += Text[i] == '_' ? ' ' : Text[i];
            continue;
        }
        if (i + 2 >= Text.size()) return false;
        const int high = HexValue(Text[i + 1]), low = HexValue(Text[i + 2]);
        if (high < 0 || low < 0) return false;
        Bytes += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

// Printable ASCII without blanks: what a charset name or an encoded text is made of.
bool IsWordText(std::string_view S)
{
    return std::all_of(S.begin(), S.end(), [](char C) { return C > 0x20 && C < 0x7F; });
}

struct TEncodedWord {
    String Charset;
    String Bytes;
    size_t End = 0;  // just after its "?="
};

// The encoded word "=?charset?B|Q?text?=" at Text[At], decoded to the bytes of its charset. False
// when none is there, it is malformed, or Qt cannot convert its charset.
bool ParseEncodedWord(std::string_view Text, size_t At, TEncodedWord& Word)
{
    if (Text.substr(At, 2) != "=?") return false;
    const size_t mark = Text.find('?', At + 2);
    if (mark == std::string_view::npos || mark + 2 >= Text.size() || Text[mark + 2] != '?') return false;
    const size_t close = Text.find('?', mark + 3);
    if (close == std::string_view::npos || close + 1 >= Text.size() || Text[close + 1] != '=') return false;
    const std::string_view label = Text.substr(At + 2, mark - At - 2);
    const std::string_view encoded = Text.substr(mark + 3, close - mark - 3);
    if (label.empty() || !IsWordText(label) || !IsWordText(encoded)) return false;
    Word.Bytes.clear();
    const char encoding = LowerAscii(Text[mark + 1]);
    const bool decoded =
        encoding == 'b' ? DecodeB(encoded, Word.Bytes) : encoding == 'q' && DecodeQ(encoded, Word.Bytes);
    Word.Charset = String(label.substr(0, label.find('*')));  // "UTF-8*en" carries a language
    Word.End = close + 2;
    return decoded && IsKnownCharset(Word.Charset);
}

// The words from At on that follow each other with nothing but blanks between them.
std::vector<TEncodedWord> ReadRun(std::string_view Text, TEncodedWord First)
{
    std::vector<TEncodedWord> run;
    run.push_back(std::move(First));
    for (;;) {
        size_t next = run.back().End;
        while (next < Text.size() && IsBlank(Text[next])) ++next;
        TEncodedWord word;
        if (next >= Text.size() || !ParseEncodedWord(Text, next, word)) return run;
        run.push_back(std::move(word));
    }
}

// Neighbours in one charset are joined before converting: writers cut characters across words.
String DecodeRun(const std::vector<TEncodedWord>& Run)
{
    String out;
    for (size_t i = 0; i < Run.size();) {
        String bytes;
        size_t j = i;
        for (; j < Run.size() && LowerAscii(Run[j].Charset) == LowerAscii(Run[i].Charset); ++j)
            bytes += Run[j].Bytes;
        out += ToUtf8(Run[i].Charset, bytes);
        i = j;
    }
    return out;
}

// --- Parameters

// Percent escapes as bytes; a "%" without two hex digits stays.
String PercentDecode(std::string_view Text)
{
    String out;
    for (size_t i = 0; i < Text.size(); ++i) {
        const bool escape = Text[i] == '%' && i + 2 < Text.size();
        const int high = escape ? HexValue(Text[i + 1]) : -1, low = escape ? HexValue(Text[i + 2]) : -1;
        if (high >= 0 && low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += Text[i];
        }
    }
    return out;
}

// charset'language'text: Charset gets what precedes the first apostrophe; the text is returned.
// A value without the two apostrophes is all text.
std::string_view SplitCharset(std::string_view Value, String& Charset)
{
    const size_t first = Value.find('\'');
    const size_t second = first == std::string_view::npos ? first : Value.find('\'', first + 1);
    if (second == std::string_view::npos) return Value;
    Charset = String(Value.substr(0, first));
    return Value.substr(second + 1);
}

String DecodeExtendedValue(std::string_view Value)
{
    String charset;
    const std::string_view text = SplitCharset(Value, charset);
    return ToUtf8(charset, PercentDecode(text));
}

struct TParameter {
    String Attribute;  // in lower case
    String Value;      // without its quotes and escapes
};

// Where the piece from At ends: the next ";" outside quotes, or the end.
size_t PieceEnd(std::string_view Text, size_t At)
{
    bool quoted = false;
    for (size_t i = At; i < Text.size(); ++i) {
        if (quoted && Text[i] == '\\') ++i;
        else if (Text[i] == '"') quoted = !quoted;
        else if (!quoted && Text[i] == ';') return i;
    }
    return Text.size();
}

String Unquote(std::string_view Value)
{
    if (Value.empty() || Value.front() != '"') return String(Value);
    String out;
    for (size_t i = 1; i < Value.size() && Value[i] != '"'; ++i) {
        if (Value[i] == '\\' && i + 1 < Value.size()) ++i;
        out += Value[i];
    }
    return out;
}

// The "attribute=value" pieces between semicolons; a piece without "=" (the "attachment" before
// the first) is none.
std::vector<TParameter> SplitParameters(std::string_view Text)
{
    std::vector<TParameter> parameters;
    for (size_t at = 0; at <= Text.size();) {
        const size_t end = PieceEnd(Text, at);
        const std::string_view piece = Text.substr(at, end - at);
        const size_t equals = piece.find('=');
        const std::string_view attribute = Trim(piece.substr(0, equals));
        if (equals != std::string_view::npos && !attribute.empty())
            parameters.push_back({LowerAscii(attribute), Unquote(Trim(piece.substr(equals + 1)))});
        at = end + 1;
    }
    return parameters;
}

// The section number of "name*3" or "name*3*" (Extended then true); -1 for any other attribute.
int SectionNumber(const String& Attribute, const String& Name, bool& Extended)
{
    const size_t star = Name.size();
    if (Attribute.size() <= star + 1 || Attribute.compare(0, star, Name) != 0 || Attribute[star] != '*') return -1;
    std::string_view digits = std::string_view(Attribute).substr(Name.size() + 1);
    Extended = digits.back() == '*';
    if (Extended) digits.remove_suffix(1);
    if (digits.empty() || digits.size() > 4 || (digits.size() > 1 && digits[0] == '0')) return -1;
    int number = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return -1;
        number = number * 10 + (c - '0');
    }
    return number;
}

// Sections 0, 1, ... up to the first missing one; the charset comes with section 0.
String JoinSections(const std::map<int, std::pair<bool, String>>& Sections)
{
    String bytes, charset;
    for (int n = 0;; ++n) {
        const auto it = Sections.find(n);
        if (it == Sections.end()) break;
        const auto& [extended, value] = it->second;
        if (!extended) {
            bytes += value;
            continue;
        }
        bytes += PercentDecode(n == 0 ? SplitCharset(value, charset) : std::string_view(value));
    }
    return ToUtf8(charset, bytes);
}

}  // namespace

String DecodeHeaderText(const String& Raw)
{
    const String text = Unfold(Raw);
    String out;
    size_t written = 0;
    for (size_t at = text.find("=?"); at != String::npos; at = text.find("=?", at)) {
        TEncodedWord word;
        if (!ParseEncodedWord(text, at, word)) {
            at += 2;
            continue;
        }
        const std::vector<TEncodedWord> run = ReadRun(text, std::move(word));
        out.append(text, written, at - written);
        out += DecodeRun(run);
        at = written = run.back().End;
    }
    out.append(text, written);
    return out;
}

String DecodeParameterValue(const String& HeaderValue, const String& Name)
{
    const String name = LowerAscii(Name);
    std::map<int, std::pair<bool, String>> sections;
    const String* plain = nullptr;
    const String* extended = nullptr;
    const std::vector<TParameter> parameters = SplitParameters(Unfold(HeaderValue));
    for (const TParameter& parameter : parameters) {
        bool isExtended = false;
        if (parameter.Attribute == name && !plain) plain = &parameter.Value;
        else if (parameter.Attribute == name + "*" && !extended) extended = &parameter.Value;
        else if (const int n = SectionNumber(parameter.Attribute, name, isExtended); n >= 0)
            sections.emplace(n, std::make_pair(isExtended, parameter.Value));
    }
    if (extended) return DecodeExtendedValue(*extended);
    if (sections.count(0)) return JoinSections(sections);
    return plain ? DecodeHeaderText(*plain) : String();
}

String EscapeControlCharacters(const String& Text)
{
    static constexpr char Hex[] = "0123456789abcdef";
    String out;
    out.reserve(Text.size());
    for (const char c : Text) {
        const auto b = static_cast<uint8_t>(c);
        if (b >= 0x20 && b != 0x7F) {
            out += c;
            continue;
        }
        out += '\\';
        switch (c) {
        case '\0': out += '0'; break;
        case '\t': out += 't'; break;
        case '\n': out += 'n'; break;
        case '\r': out += 'r'; break;
        default:
            out += 'x';
            out += Hex[b >> 4];
            out += Hex[b & 0x0F];
        }
    }
    return out;
}

}  // namespace qel
