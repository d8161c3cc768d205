#include "mail/codec/HeaderDecoding.h"
#include "mail/codec/HeaderEncoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

using namespace qel;
using namespace std::string_literals;

namespace {

const String Latin = "Grüße aus Köln – déjà vu, señor Ærøskøbing";
const String Cjk = "日本語のテキストと中文字符，한국어 텍스트";
const String Emoji = "🎉🚀 Party 👨‍👩‍👧 time 😀🇩🇪";
const String NotUtf8 = "caf\xE9 cr\xE8me br\xFBl\xE9" "e";  // Latin-1 bytes

String Repeat(const String& Unit, int Times)
{
    String out;
    for (int i = 0; i < Times; ++i) out += Unit;
    return out;
}

String Concat(const std::vector<String>& Lines)
{
    String out;
    for (const String& line : Lines) out += line;
    return out;
}

String JoinCrLf(const std::vector<String>& Lines)
{
    String out;
    for (const String& line : Lines) out += (out.empty() ? "" : "\r\n") + line;
    return out;
}

// Every "=?...?=" between blanks in Text.
std::vector<String> EncodedWords(const String& Text)
{
    std::vector<String> words;
    for (size_t at = Text.find("=?"); at != String::npos; at = Text.find("=?", at)) {
        const size_t end = Text.find("?=", Text.find('?', Text.find('?', at + 2) + 1) + 1);
        words.push_back(Text.substr(at, end + 2 - at));
        at = end + 2;
    }
    return words;
}

bool IsAscii(const String& S)
{
    return std::all_of(S.begin(), S.end(), [](char C) { return static_cast<unsigned char>(C) < 0x80; });
}

bool HoldsEncodedWord(const String& Line) { return Line.find("=?") != String::npos; }

// Fails for a line over its limit and for a continuation line that does not start with a blank.
void ExpectWellFolded(const std::vector<String>& Lines, size_t Limit)
{
    for (size_t i = 0; i < Lines.size(); ++i) {
        const size_t limit = HoldsEncodedWord(Lines[i]) ? EncodedLineLimit : Limit;
        EXPECT_LE(Lines[i].size(), limit) << "line " << i << ": " << Lines[i];
        if (i > 0) {
            EXPECT_TRUE(Lines[i][0] == ' ' || Lines[i][0] == '\t') << Lines[i];
        }
    }
}

}  // namespace

// ---------------------------------------------------------------- encoding

TEST(HeaderEncoding, AsciiComesBackByteForByte)
{
    for (const String& text : {""s, "Hello"s, "Re: [list] a,b; \"c\" <d> =?odd?= 100%"s, "tab\there  two"s,
                               Repeat("a fairly long subject line ", 40)}) {
        EXPECT_EQ(EncodeHeaderText(text, 9), text);
        EXPECT_EQ(EncodeHeaderText(text), text);
    }
    EXPECT_EQ(EncodeDisplayName("Joe Bloggs", 6), "\"Joe Bloggs\"");
    EXPECT_EQ(EncodeDisplayName("Smith, Joe (Sales)", 6), "\"Smith, Joe (Sales)\"");
    EXPECT_EQ(EncodeNameParameter("name", "report.txt"), "name=\"report.txt\"");
    EXPECT_EQ(EncodeExtendedParameter("filename", "report 2024.txt"), "filename=\"report 2024.txt\"");
}

TEST(HeaderEncoding, NonAsciiBecomesEncodedWordsAndParameterForms)
{
    EXPECT_EQ(EncodeHeaderText("Grüße", 9), "=?UTF-8?B?R3LDvMOfZQ==?=");
    EXPECT_EQ(EncodeDisplayName("Jürgen Müller", 6), "=?UTF-8?B?SsO8cmdlbiBNw7xsbGVy?=");  // never quoted
    EXPECT_EQ(EncodeNameParameter("name", "€uro.txt"), "name=\"=?UTF-8?B?4oKsdXJvLnR4dA==?=\"");
    EXPECT_EQ(EncodeExtendedParameter("filename", "€ (1).txt"), "filename*=UTF-8''%E2%82%AC%20%281%29.txt");
    // Text that is not UTF-8 is declared as the Latin-1 it most likely is.
    EXPECT_EQ(EncodeHeaderText("\xE9t\xE9"), "=?ISO-8859-1?B?6XTp?=");
    EXPECT_EQ(EncodeExtendedParameter("filename", "\xE9t\xE9.txt"), "filename*=ISO-8859-1''%E9t%E9.txt");
    EXPECT_EQ(DecodeHeaderText(EncodeHeaderText(NotUtf8)), "café crème brûlée");
}

TEST(HeaderEncoding, WordsKeepTheirLimitsAndWholeCharacters)
{
    const std::vector<std::pair<String, String>> texts = {
        {Repeat(Latin, 8), Repeat(Latin, 8)},
        {Repeat(Cjk, 10), Repeat(Cjk, 10)},
        {Repeat(Emoji, 10), Repeat(Emoji, 10)},
        {Repeat("x€", 100) + "🎉", Repeat("x€", 100) + "🎉"},
        {Repeat(NotUtf8, 10), Repeat("café crème brûlée", 10)},
    };
    for (const auto& [text, decoded] : texts) {
        for (const size_t used : {2u, 9u, 30u, 60u, 70u, 74u, 75u, 120u}) {
            const String prefix = String(used - 2, 'X') + ": ";
            const String encoded = EncodeHeaderText(text, used);
            for (const String& word : EncodedWords(encoded)) {
                EXPECT_LE(word.size(), EncodedWordLimit) << word;
                const String alone = DecodeHeaderText(word);
                EXPECT_NE(alone, word) << "not decodable on its own";
                EXPECT_EQ(alone.find("\xEF\xBF\xBD"), String::npos) << "a character cut across words: " << word;
            }
            const std::vector<String> lines = FoldHeaderLine(prefix + encoded);
            ExpectWellFolded(lines, HardLineLimit);
            EXPECT_EQ(Concat(lines), prefix + encoded);
            EXPECT_EQ(DecodeHeaderText(JoinCrLf(lines)), prefix + decoded);
        }
    }
}

TEST(HeaderEncoding, RoundTripsThroughFoldingAndDecoding)
{
    const String veryLong = Repeat(Latin + " " + Cjk + " " + Emoji + " ", 150);  // about 25000 octets
    for (const String& text : {"Plain ASCII subject"s, Latin, Cjk, Emoji, veryLong, Repeat("ab ", 400)}) {
        const std::vector<String> subject = FoldHeaderLine("Subject: " + EncodeHeaderText(text, 9));
        ExpectWellFolded(subject, SoftLineLimit);
        EXPECT_EQ(DecodeHeaderText(JoinCrLf(subject)), "Subject: " + text);

        const String address = " <someone@example.com>";
        const std::vector<String> from = FoldAddressList("From: " + EncodeDisplayName(text, 6) + address);
        ExpectWellFolded(from, SoftLineLimit);
        String phrase = Concat(from).substr(6);
        phrase.resize(phrase.size() - address.size());
        if (IsAscii(text))
            EXPECT_EQ(phrase, "\"" + text + "\"");  // ASCII: quoted as ever
        else
            EXPECT_EQ(DecodeHeaderText(phrase), text);

        const std::vector<String> type =
            FoldHeaderLine("Content-type: application/pdf; " + EncodeNameParameter("name", text));
        ExpectWellFolded(type, SoftLineLimit);
        EXPECT_EQ(DecodeParameterValue(JoinCrLf(type), "name"), text);

        const std::vector<String> disposition =
            FoldHeaderLine("Content-Disposition: inLine; " + EncodeExtendedParameter("filename", text));
        ExpectWellFolded(disposition, SoftLineLimit);
        EXPECT_EQ(DecodeParameterValue(JoinCrLf(disposition), "filename"), text);
    }
}

TEST(HeaderEncoding, LongFileNamesAreContinuedWithoutCuttingCharacters)
{
    const String name = Repeat("Überweisung-€-", 12) + ".pdf";
    const String parameter = EncodeExtendedParameter("filename", name);
    EXPECT_EQ(parameter.rfind("filename*0*=UTF-8''", 0), 0u) << parameter;
    EXPECT_NE(parameter.find("; filename*1*="), String::npos);
    EXPECT_EQ(parameter.find("filename*="), String::npos);
    // Each section decodes on its own, for readers that do not join them first.
    for (size_t at = parameter.find("filename*"); at != String::npos; at = parameter.find("filename*", at + 1)) {
        const size_t end = parameter.find(';', at);
        String value = parameter.substr(at, end == String::npos ? end : end - at);
        value = value.substr(value.find("*=") + 2);
        if (value.rfind("UTF-8''", 0) == 0) value = value.substr(7);
        EXPECT_EQ(DecodeParameterValue("x; filename*=UTF-8''" + value, "filename").find("\xEF\xBF\xBD"), String::npos)
            << value;
    }
    const std::vector<String> lines = FoldHeaderLine("Content-Disposition: inLine; " + parameter);
    EXPECT_GT(lines.size(), 2u);
    ExpectWellFolded(lines, SoftLineLimit);
    EXPECT_EQ(DecodeParameterValue(JoinCrLf(lines), "filename"), name);
}

TEST(HeaderEncoding, AsciiThatNoLineCouldHoldIsEncoded)
{
    const String token = Repeat("abcdefghij", 200);
    const String encoded = EncodeHeaderText(token, 9);
    EXPECT_EQ(encoded.rfind("=?UTF-8?B?", 0), 0u);
    const std::vector<String> lines = FoldHeaderLine("Subject: " + encoded);
    ExpectWellFolded(lines, SoftLineLimit);
    EXPECT_EQ(DecodeHeaderText(JoinCrLf(lines)), "Subject: " + token);
    EXPECT_EQ(DecodeParameterValue("x; " + EncodeExtendedParameter("filename", token), "filename"), token);
    // One short of the limit still goes as it is.
    const String fits = String(HardLineLimit - 9, 'a');
    EXPECT_EQ(EncodeHeaderText(fits, 9), fits);
}

// ---------------------------------------------------------------- folding

TEST(HeaderFolding, FieldsThatFitStayOneLine)
{
    const String exact = "Subject: " + String(SoftLineLimit - 9, 'x');
    for (const String& line : {"Subject: hi"s, exact, "TO: <a@example.com>,<b@example.com>"s}) {
        EXPECT_EQ(FoldHeaderLine(line), std::vector<String>{line});
        EXPECT_EQ(FoldAddressList(line), std::vector<String>{line});
    }
    // Over the soft limit without a blank to break at: kept whole below the hard limit.
    const String token = "X-Token: " + String(200, 't');
    EXPECT_EQ(FoldHeaderLine(token), (std::vector<String>{"X-Token:", " " + String(200, 't')}));
}

TEST(HeaderFolding, TextBreaksAtBlanksOnly)
{
    const String line = "Subject:" + Repeat(" word", 30) + "  two\tblanks" + Repeat(" longerword", 20);
    const std::vector<String> lines = FoldHeaderLine(line);
    ASSERT_GT(lines.size(), 3u);
    ExpectWellFolded(lines, SoftLineLimit);
    EXPECT_EQ(Concat(lines), line);
    for (const String& l : lines) EXPECT_NE(l.back(), ' ') << "a break inside a run of blanks: [" << l << "]";
}

TEST(HeaderFolding, ThousandRecipientsBreakAfterTheirCommas)
{
    String to = "TO: ";
    for (int i = 0; i < 1000; ++i) to += (i ? ","s : ""s) + "<user" + std::to_string(i) + "@example.com>";
    const std::vector<String> lines = FoldAddressList(to);
    ExpectWellFolded(lines, SoftLineLimit);
    String rejoined = lines[0];
    for (size_t i = 0; i + 1 < lines.size(); ++i) EXPECT_EQ(lines[i].back(), ',') << lines[i];
    for (size_t i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].rfind(" <", 0), 0u) << lines[i];
        rejoined += lines[i].substr(1);  // the blank the fold added
    }
    EXPECT_EQ(rejoined, to);
}

TEST(HeaderFolding, AddressesKeepQuotesBracketsAndCommentsWhole)
{
    String to = "To:";
    for (int i = 0; i < 40; ++i)
        to += String(i ? "," : "") + " \"Smith, Joe " + std::to_string(i) + "\" <joe@x.example> (Sales, EU)";
    const std::vector<String> lines = FoldAddressList(to);
    ExpectWellFolded(lines, SoftLineLimit);
    EXPECT_EQ(Concat(lines), to);  // blanks were there to break at
    for (size_t i = 1; i < lines.size(); ++i) EXPECT_EQ(lines[i].rfind(" \"Smith, Joe ", 0), 0u) << lines[i];

    // An address with an encoded name too long for one line breaks between its words.
    const String from = "From: " + EncodeDisplayName(Repeat("Müller-", 20), 6) + " <m@example.com>";
    const std::vector<String> fromLines = FoldAddressList(from);
    EXPECT_GT(fromLines.size(), 1u);
    ExpectWellFolded(fromLines, SoftLineLimit);
    EXPECT_EQ(Concat(fromLines), from);
}

TEST(HeaderFolding, NoLineEverExceedsTheHardLimit)
{
    const String token(3000, 'z');
    for (const std::vector<String>& lines : {FoldHeaderLine("X-Long: " + token), FoldAddressList("To: <" + token + ">"),
                                             FoldAddressList("To: <a@b>,<" + token + ">,<c@d>")}) {
        EXPECT_GE(lines.size(), 4u);
        for (const String& line : lines) EXPECT_LE(line.size(), HardLineLimit);
    }
}

// ---------------------------------------------------------------- decoding

TEST(HeaderDecoding, RealWorldSamples)
{
    const std::vector<std::pair<String, String>> samples = {
        {"=?iso-8859-1?q?Caf=E9_au_lait?=", "Café au lait"},
        {"=?utf-8?q?Gr=c3=bc=C3=9Fe?=", "Grüße"},
        {"=?UTF-8?b?R3LDvMOfZQ==?=", "Grüße"},
        {"=?UTF-8?B?R3LDvMOfZQ?=", "Grüße"},  // padding left out
        {"Re: =?UTF-8?Q?Gr=C3=BC=C3=9Fe?= from Bob", "Re: Grüße from Bob"},
        {"=?UTF-8?B?SsO8cmdlbg==?= =?UTF-8?B?IE3DvGxsZXI=?=", "Jürgen Müller"},
        {"=?ISO-8859-1?Q?a?=\r\n =?ISO-8859-1?Q?b?=\r\n\t=?ISO-8859-1?Q?c?=", "abc"},
        {"=?ISO-8859-1?Q?a?= b =?ISO-8859-1?Q?c?=", "a b c"},
        {"=?UTF-8?Q?a?==?UTF-8?Q?b?=", "ab"},
        {"=?UTF-8?B?4oI=?= =?UTF-8?B?rA==?=", "€"},  // one character cut across two words
        {"=?ISO-8859-1?Q?=E9?= =?UTF-8?Q?=C3=A9?=", "éé"},
        {"=?windows-1252?Q?=80_5?=", "€ 5"},
        {"=?ISO-8859-15?Q?=A4?=", "€"},
        {"=?ISO-8859-2?Q?=B1?=", "ą"},
        {"=?us-ascii?Q?plain?=", "plain"},
        {"=?koi8-r?Q?=C1?=", "а"},
        {"=?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?=", "テスト"},
        {"=?gb2312?B?xOO6ww==?=", "你好"},
        {"=?UTF-8*en?Q?hi?=", "hi"},
        {"=?UTF-8?Q?" "?=", ""},
        {"Hello\r\n world", "Hello world"},
        {"Gr\xFC\xDF", "Gr\xFC\xDF"},  // bytes outside words are not guessed at
        {"", ""},
    };
    for (const auto& [raw, expected] : samples) EXPECT_EQ(DecodeHeaderText(raw), expected) << raw;
    for (const int number : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14, 15}) {
        const String raw = "=?ISO-8859-" + std::to_string(number) + "?Q?=E0?=";
        EXPECT_TRUE(DecodeHeaderText(raw).size() >= 2 && DecodeHeaderText(raw) != raw) << raw;
    }
}

TEST(HeaderDecoding, MalformedWordsStayAsWritten)
{
    for (const String& raw : {"=?UTF-8?B?not base64?="s, "=?UTF-8?B?R3L*?="s, "=?UTF-8?B?R?="s, "=?UTF-8?X?abc?="s,
                              "=?UTF-8?Q?abc"s, "=?x-no-such-charset?Q?abc?="s, "=?UTF-8?Q?a=ZZ?="s, "=?UTF-8?Q?a=4?="s,
                              "=??Q?abc?="s, "=?"s, "a =? b ?= c"s, "2+2=?"s, "=?=?"s})
        EXPECT_EQ(DecodeHeaderText(raw), raw);
    EXPECT_EQ(DecodeHeaderText("=?bad?X?z?= =?UTF-8?Q?ok?="), "=?bad?X?z?= ok");
    EXPECT_EQ(DecodeHeaderText("=?UTF-8?Q?ok?= =?x-none?Q?z?="), "ok =?x-none?Q?z?=");

    std::mt19937 random(7);
    const String alphabet = "=?QBqbUTF-8_ \r\n\tA3F%*'\";=?UTF-8?B?\x80\xFF";
    for (int i = 0; i < 3000; ++i) {
        String raw;
        for (int n = std::uniform_int_distribution<int>(0, 40)(random); n > 0; --n)
            raw += alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(random)];
        EXPECT_NO_THROW(DecodeHeaderText(raw));
        EXPECT_NO_THROW(DecodeParameterValue(raw, "name"));
    }
}

TEST(ParameterDecoding, ExtendedContinuedAndPlainForms)
{
    struct TCase {
        String Header, Name, Expected;
    };
    const std::vector<TCase> cases = {
        {"attachment; filename*=UTF-8''%E2%82%AC%20rates.txt", "filename", "€ rates.txt"},
        {"attachment; filename*0*=UTF-8''%E2%82%AC; filename*1*=%20rates; filename*2=\".txt\"", "filename",
         "€ rates.txt"},
        {"attachment; filename*0*=UTF-8''%E2%82; filename*1*=%AC", "filename", "€"},  // joined, then converted
        {"inline; name*1=\"world.txt\"; name*0=\"hello \"", "name", "hello world.txt"},
        {"x; name*0=a; name*2=c", "name", "a"},
        {"attachment; filename*=iso-8859-1'en'%E9t%E9.txt", "filename", "été.txt"},
        {"attachment; FILENAME*=UTF-8''%C3%A9.txt", "filename", "é.txt"},
        {"attachment; filename=\"old.txt\"; filename*=UTF-8''%C3%A9.txt", "filename", "é.txt"},
        {"attachment;\r\n filename*0*=UTF-8''%C3%A9;\r\n filename*1*=t%C3%A9.txt", "filename", "été.txt"},
        {"attachment; filename*=UTF-8''100%25%G1.txt", "filename", "100%%G1.txt"},
        {"x; name*=x-unknown''abc", "name", "abc"},
        {"attachment; filename=\"a \\\"b\\\"; c.txt\"", "filename", "a \"b\"; c.txt"},
        {"text/plain; name=report.txt; charset=us-ascii", "name", "report.txt"},
        {"attachment; filename = \"a b.txt\" ", "filename", "a b.txt"},
        {"application/pdf; name=\"=?UTF-8?B?4oKsdXJvLnR4dA==?=\"", "name", "€uro.txt"},
        {"Content-Disposition: attachment; filename=\"r.txt\"", "filename", "r.txt"},
        {"attachment; xfilename=a; filename2=b; filename*x=c; filename=d", "filename", "d"},
        {"attachment", "filename", ""},
        {"", "filename", ""},
    };
    for (const TCase& c : cases) EXPECT_EQ(DecodeParameterValue(c.Header, c.Name), c.Expected) << c.Header;
}

// ---------------------------------------------------------------- display

TEST(EscapeControlCharacters, ShowsControlsAndKeepsTheRest)
{
    EXPECT_EQ(EscapeControlCharacters("a\x1b[31mred\r\n\tx\0y\x01\x1f\x7f"s), R"(a\x1b[31mred\r\n\tx\0y\x01\x1f\x7f)");
    for (const String& text : {"Grüße € 日本 🎉"s, R"(C:\path "quoted" ~)"s, ""s})
        EXPECT_EQ(EscapeControlCharacters(text), text);
}
