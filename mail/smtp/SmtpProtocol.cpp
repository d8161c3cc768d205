#include "mail/smtp/SmtpProtocol.h"

#include "framework/core/SysUtils.h"
#include "mail/codec/Base64Encoder.h"
#include "mail/model/MailStrings.h"

#include <algorithm>
#include <utility>

namespace qel {

namespace SmtpProtocol {

namespace {

constexpr const char* CRLF = "\r\n";

bool IsDigit(char C) { return C >= '0' && C <= '9'; }

// "250-..." announces more lines; anything else ends the reply.
bool IsContinuation(const String& Line)
{
    return Line.size() >= 4 && IsDigit(Line[0]) && IsDigit(Line[1]) && IsDigit(Line[2]) && Line[3] == '-';
}

// find_first_of would call memchr on the two-character set once per character of the line.
size_t FindLineBreak(const String& S, size_t From)
{
    for (size_t i = From; i < S.size(); ++i)
        if (S[i] == '\r' || S[i] == '\n') return i;
    return String::npos;
}

// Appended rather than `"literal" + String&&`, on which GCC 12 warns falsely (-Wrestrict).
String Command(const char* Verb, const String& Argument, const char* Close = "")
{
    String out(Verb);
    out += RemoveLineBreaks(Argument);
    out += Close;
    out += CRLF;
    return out;
}

String Base64(const String& Text)
{
    const auto* data = reinterpret_cast<const uint8_t*>(Text.data());
    const size_t groups = Text.size() / 3;
    String out((Text.size() + 2) / 3 * 4, '=');
    char* end = TBase64LineEncoder::EncodeGroups(data, groups, out.data());
    if (Text.size() % 3) TBase64LineEncoder::EncodePadded(data + groups * 3, Text.size() % 3, end);
    return out;
}

// The words of a line, split at spaces and tabs.
std::vector<String> Words(const String& Line)
{
    std::vector<String> words;
    size_t pos = 0;
    while ((pos = Line.find_first_not_of(" \t", pos)) != String::npos) {
        const size_t end = std::min(Line.find_first_of(" \t", pos), Line.size());
        words.push_back(Line.substr(pos, end - pos));
        pos = end;
    }
    return words;
}

String Bracketed(const String& S)
{
    String out(1, '<');
    out += S;
    out += '>';
    return out;
}

}  // namespace

String Helo(const String& LocalHost) { return Command("HELO ", LocalHost); }
String MailFrom(const String& Address) { return Command("MAIL FROM:<", Address, ">"); }
String RcptTo(const String& Recipient) { return Command("RCPT TO:", Recipient); }
String Data() { return String("DATA") + CRLF; }
String Quit() { return String("QUIT") + CRLF; }
String Ehlo(const String& LocalHost) { return Command("EHLO ", LocalHost); }
String StartTls() { return String("STARTTLS") + CRLF; }
String AuthPlain(const String& User, const String& Password)
{
    String credentials(1, '\0');
    credentials += User;
    credentials += '\0';
    credentials += Password;
    return Command("AUTH PLAIN ", Base64(credentials));
}
String AuthLogin() { return String("AUTH LOGIN") + CRLF; }
String AuthLoginAnswer(const String& Text) { return Command("", Base64(Text)); }
String TextLine(const String& Line)
{
    // A break inside an entry starts a line of its own (the composition's CR LF entry gives two
    // empty lines); a line after such a break that starts with "." is stuffed, so nothing in
    // the text can end it early or smuggle in a command.
    String out;
    out.reserve(Line.size() + 2);
    size_t pos = 0;
    for (bool first = true;; first = false) {
        size_t end = FindLineBreak(Line, pos);
        const size_t stop = end == String::npos ? Line.size() : end;
        if (!first && pos < Line.size() && Line[pos] == '.') out += '.';
        out.append(Line, pos, stop - pos);
        out += CRLF;
        if (end == String::npos) break;
        pos = end + 1;
        if (Line[end] == '\r' && pos < Line.size() && Line[pos] == '\n') ++pos;
    }
    return out;
}
// The text's last line already ends in CR LF, so the text ends with one empty line before the dot.
String EndOfText() { return String(CRLF) + "." + CRLF; }

std::vector<String> SplitRecipients(const String& SendTo)
{
    std::vector<String> recipients;
    String rest = Trim(SendTo);
    for (size_t semicolon; (semicolon = rest.find(';')) != String::npos; rest.erase(0, semicolon + 1))
        recipients.push_back(Bracketed(Trim(rest.substr(0, semicolon))));
    if (!rest.empty())
        recipients.push_back(Bracketed(Trim(rest)));
    // The elements travel as one ","-joined list, so a "," inside an element splits it as well.
    std::vector<String> arguments;
    for (const String& element : recipients) {
        size_t start = 0;
        for (size_t comma; (comma = element.find(',', start)) != String::npos; start = comma + 1)
            arguments.push_back(element.substr(start, comma - start));
        arguments.push_back(element.substr(start));
    }
    if (arguments.empty()) arguments.push_back("");
    return arguments;
}

String CommandName(const String& Line)
{
    if (Line == EndOfText()) return QELMailStr::EndOfTextStep;
    const String command = Line.substr(0, std::min(FindLineBreak(Line, 0), Line.size()));
    const size_t colon = command.find(':');
    if (colon != String::npos) return Trim(command.substr(0, colon));  // MAIL FROM:<...>, RCPT TO:<...>
    // AUTH names its mechanism; what follows it is a credential.
    const size_t end = command.rfind("AUTH ", 0) == 0 ? command.find(' ', 5) : command.find(' ');
    return command.substr(0, end);
}

std::vector<String> EhloExtensions(const String& ReplyText)
{
    std::vector<String> extensions;
    size_t pos = 0;
    for (bool first = true; pos < ReplyText.size(); first = false) {
        const size_t end = std::min(FindLineBreak(ReplyText, pos), ReplyText.size());
        if (!first && end - pos > 4) extensions.push_back(UpperCase(Trim(ReplyText.substr(pos + 4, end - pos - 4))));
        pos = ReplyText.find('\n', end);
        pos = pos == String::npos ? ReplyText.size() : pos + 1;
    }
    return extensions;
}

bool Offers(const std::vector<String>& Extensions, const String& Keyword)
{
    return std::any_of(Extensions.begin(), Extensions.end(), [&](const String& E) {
        const std::vector<String> words = Words(E);
        return !words.empty() && words[0] == Keyword;
    });
}

std::vector<String> AuthMechanisms(const std::vector<String>& Extensions)
{
    std::vector<String> mechanisms;
    for (const String& extension : Extensions) {
        std::vector<String> words = Words(extension);
        if (words.empty()) continue;
        if (words[0].rfind("AUTH=", 0) == 0)
            words[0].erase(0, 5);  // "AUTH=LOGIN": servers of old
        else if (words[0] == "AUTH")
            words[0].clear();
        else
            continue;
        for (String& w : words)
            if (!w.empty()) mechanisms.push_back(std::move(w));
    }
    return mechanisms;
}

bool TReplyAssembler::Feed(std::string_view Bytes)
{
    Take(Bytes);
    return FComplete;
}

size_t TReplyAssembler::Take(std::string_view Bytes)
{
    size_t used = 0;
    while (used < Bytes.size() && !FComplete) {
        const size_t lf = Bytes.find('\n', used);
        const size_t end = lf == std::string_view::npos ? Bytes.size() : lf + 1;
        TakeLine(Bytes.substr(used, end - used));
        used = end;
    }
    return used;
}

void TReplyAssembler::TakeLine(std::string_view Bytes)
{
    FText.append(Bytes.substr(0, MaxTextBytes - std::min(FText.size(), MaxTextBytes)));
    FLines.Feed(Bytes, [this](String&& Line) { FLastLine = std::move(Line); });
    // Only an LF ends the reply: after a CR the LF of the same break may still be on its way.
    FComplete = Bytes.back() == '\n' && !IsContinuation(FLastLine);
}

const String& TReplyAssembler::FinalLine() const
{
    return FComplete || FLines.Partial().empty() ? FLastLine : FLines.Partial();
}

String TReplyAssembler::Status() const { return UpperCase(Trim(FinalLine().substr(0, 3))); }

String TReplyAssembler::Message() const
{
    const String& line = FinalLine();
    return line.size() > 3 ? Trim(line.substr(3, 64)) : String();
}

}  // namespace SmtpProtocol

}  // namespace qel
