// The RTF text reader (RtfReader.h): a single pass over the bytes with one state per group.
#include "framework/gui/RtfReader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

namespace qel {

namespace {

constexpr std::array<uint16_t, 32> Cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr std::string_view LineEnds[] = {"par", "line", "page", "sect", "row"};

// Groups whose text is not part of the document's body.
constexpr std::string_view SkippedGroups[] = {
    "fonttbl", "colortbl", "stylesheet", "info", "pict", "footnote", "header", "headerl", "headerr",
    "headerf", "footer", "footerl", "footerr", "footerf", "fldinst", "object", "themedata",
    "colorschememapping", "datastore", "latentstyles", "listtable", "listoverridetable", "rsidtbl",
    "xmlnstbl", "filetbl", "revtbl", "generator", "nonshppict", "bkmkstart", "bkmkend"};

struct TSymbolWord { std::string_view Word; uint32_t CodePoint; };
constexpr TSymbolWord SymbolWords[] = {
    {"tab", '\t'}, {"cell", '\t'}, {"emdash", 0x2014}, {"endash", 0x2013}, {"bullet", 0x2022},
    {"lquote", 0x2018}, {"rquote", 0x2019}, {"ldblquote", 0x201C}, {"rdblquote", 0x201D},
    {"emspace", 0x2003}, {"enspace", 0x2002}, {"qmspace", 0x2005}};

template <size_t N>
bool Among(const std::string_view (&Words)[N], std::string_view W)
{
    return std::find(std::begin(Words), std::end(Words), W) != std::end(Words);
}

int HexValue(char C)
{
    if (C >= '0' && C <= '9') return C - '0';
    const char l = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
    return l >= 'a' && l <= 'f' ? l - 'a' + 10 : -1;
}

struct TGroupState {
    bool Skip = false;    // a destination left out, with everything inside it
    bool Hidden = false;  // \v
    int UcSkip = 1;       // characters that stand in for each \uN
};

class TRtfParser {
public:
    explicit TRtfParser(const String& Rtf) : FIn(Rtf) {}
    std::vector<String> Run();

private:
    void Control();
    void Symbol(char C);
    void Word(std::string_view W, bool HasParam, int32_t Param);
    void Text(uint32_t CodePoint);  // a character of the text, subject to a pending \uN skip
    void Put(uint32_t CodePoint);
    void EndLine();
    bool Ignoring() const { return FStack.back().Skip || FStack.back().Hidden; }

    const String& FIn;
    size_t FPos = 0;
    std::vector<TGroupState> FStack{TGroupState{}};
    int FPendingSkip = 0;
    uint32_t FHighSurrogate = 0;
    String FLine;
    std::vector<String> FLines;
};

std::vector<String> TRtfParser::Run()
{
    while (FPos < FIn.size()) {
        const char c = FIn[FPos++];
        if (c == '{') {
            FPendingSkip = 0;
            FStack.push_back(FStack.back());
        } else if (c == '}') {
            FPendingSkip = 0;
            if (FStack.size() == 1) break;  // the document's own group ends it
            FStack.pop_back();
        } else if (c == '\\') {
            Control();
        } else if (c != '\r' && c != '\n') {
            const auto b = static_cast<uint8_t>(c);
            Text(b < 0x80 ? b : Cp1252ToUnicode(b));
        }
    }
    if (!FLine.empty()) FLines.push_back(FLine);
    return FLines;
}

void TRtfParser::Control()
{
    if (FPos >= FIn.size()) return;
    if (!std::isalpha(static_cast<unsigned char>(FIn[FPos]))) return Symbol(FIn[FPos++]);
    const size_t start = FPos;
    while (FPos < FIn.size() && std::isalpha(static_cast<unsigned char>(FIn[FPos]))) ++FPos;
    const std::string_view word(FIn.data() + start, FPos - start);
    const bool negative = FPos < FIn.size() && FIn[FPos] == '-';
    if (negative) ++FPos;
    bool hasParam = false;
    int64_t param = 0;
    while (FPos < FIn.size() && std::isdigit(static_cast<unsigned char>(FIn[FPos]))) {
        hasParam = true;
        param = std::min<int64_t>(param * 10 + (FIn[FPos++] - '0'), INT32_MAX);
    }
    if (FPos < FIn.size() && FIn[FPos] == ' ') ++FPos;
    Word(word, hasParam, static_cast<int32_t>(negative ? -param : param));
}

void TRtfParser::Symbol(char C)
{
    switch (C) {
    case '\\': case '{': case '}': return Text(static_cast<uint8_t>(C));
    case '~': return Text(0xA0);
    case '_': return Text('-');
    case '*': FStack.back().Skip = true; return;
    case '\r': case '\n': return EndLine();
    case '\'': {
        const int hi = FPos < FIn.size() ? HexValue(FIn[FPos]) : -1;
        const int lo = FPos + 1 < FIn.size() ? HexValue(FIn[FPos + 1]) : -1;
        if (hi < 0 || lo < 0) return;
        FPos += 2;
        return Text(Cp1252ToUnicode(static_cast<uint8_t>(hi * 16 + lo)));
    }
    default: return;  // optional hyphen, index marks and the like show nothing
    }
}

void TRtfParser::Word(std::string_view W, bool HasParam, int32_t Param)
{
    if (W == "bin") {
        FPos = std::min(FIn.size(), FPos + static_cast<size_t>(std::max(Param, 0)));
        return;
    }
    if (FPendingSkip > 0) {
        --FPendingSkip;
        return;
    }
    TGroupState& s = FStack.back();
    if (W == "u") {
        Put(static_cast<uint32_t>(Param < 0 ? Param + 65536 : Param));
        FPendingSkip = s.UcSkip;
    } else if (W == "uc") {
        s.UcSkip = HasParam ? std::max(Param, 0) : 1;
    } else if (W == "v") {
        s.Hidden = !HasParam || Param != 0;
    } else if (W == "plain") {
        s.Hidden = false;
    } else if (Among(SkippedGroups, W)) {
        s.Skip = true;
    } else if (Among(LineEnds, W)) {
        EndLine();
    } else {
        for (const auto& sym : SymbolWords)
            if (sym.Word == W) return Put(sym.CodePoint);
    }
}

void TRtfParser::Text(uint32_t CodePoint)
{
    if (FPendingSkip > 0) {
        --FPendingSkip;
        return;
    }
    Put(CodePoint);
}

void TRtfParser::Put(uint32_t CodePoint)
{
    if (Ignoring()) return;
    if (CodePoint >= 0xD800 && CodePoint < 0xDC00) {
        if (FHighSurrogate) FLine += Utf8Of(0xFFFD);
        FHighSurrogate = CodePoint;
        return;
    }
    if (CodePoint >= 0xDC00 && CodePoint < 0xE000 && FHighSurrogate)
        CodePoint = 0x10000 + ((FHighSurrogate - 0xD800) << 10) + (CodePoint - 0xDC00);
    else if (FHighSurrogate)
        FLine += Utf8Of(0xFFFD);
    FHighSurrogate = 0;
    FLine += Utf8Of(CodePoint);
}

void TRtfParser::EndLine()
{
    if (Ignoring()) return;
    FLines.push_back(FLine);
    FLine.clear();
}

}  // namespace

bool IsRtf(const String& Data) { return Data.rfind("{\\rtf", 0) == 0; }

std::vector<String> ReadRtfLines(const String& Rtf) { return TRtfParser(Rtf).Run(); }

String Utf8Of(uint32_t CodePoint)
{
    if ((CodePoint >= 0xD800 && CodePoint < 0xE000) || CodePoint > 0x10FFFF) CodePoint = 0xFFFD;
    String out;
    if (CodePoint < 0x80) {
        out += static_cast<char>(CodePoint);
    } else if (CodePoint < 0x800) {
        out += static_cast<char>(0xC0 | (CodePoint >> 6));
        out += static_cast<char>(0x80 | (CodePoint & 0x3F));
    } else if (CodePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (CodePoint >> 12));
        out += static_cast<char>(0x80 | ((CodePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (CodePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (CodePoint >> 18));
        out += static_cast<char>(0x80 | ((CodePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((CodePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (CodePoint & 0x3F));
    }
    return out;
}

// The five bytes cp1252 leaves undefined map to the C1 controls, as the system's converter does.
uint32_t Cp1252ToUnicode(uint8_t Byte)
{
    return Byte >= 0x80 && Byte < 0xA0 ? Cp1252High[Byte - 0x80] : Byte;
}

}  // namespace qel
