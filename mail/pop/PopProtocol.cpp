#include "mail/pop/PopProtocol.h"

#include "framework/core/SysUtils.h"

#include <algorithm>
#include <limits>

namespace qel {

namespace PopProtocol {

namespace {

constexpr const char* CRLF = "\r\n";

// The number before the first blank of a reply text; Fallback without a blank or a number.
int64_t NumberBeforeBlank(const String& ReplyText, int64_t Fallback)
{
    const size_t blank = ReplyText.find(' ');
    if (blank == String::npos) return Fallback;
    return StrToInt64Def(ReplyText.substr(0, blank), Fallback);
}

}  // namespace

String User(const String& Name) { return "USER " + RemoveLineBreaks(Name) + CRLF; }
String Pass(const String& Password) { return "PASS " + RemoveLineBreaks(Password) + CRLF; }
String Stat() { return String("STAT") + CRLF; }
String Retr(uint16_t Number) { return "RETR " + IntToStr(Number) + CRLF; }
String Top(uint16_t Number) { return "TOP " + IntToStr(Number) + " 0" + CRLF; }
String Dele(uint16_t Number) { return "DELE " + IntToStr(Number) + CRLF; }
String Quit() { return String("QUIT") + CRLF; }
String Stls() { return String("STLS") + CRLF; }
String Uidl() { return String("UIDL") + CRLF; }

String CommandName(const String& Line)
{
    const String command = Trim(RemoveLineBreaks(Line));
    const String verb = UpperCase(command.substr(0, command.find(' ')));
    return verb == "USER" || verb == "PASS" ? verb : command;
}

bool TextFollows(const String& Name)
{
    const String verb = UpperCase(Name.substr(0, Name.find(' ')));
    // "UIDL 3" answers on its status line alone.
    if (verb == "UIDL") return Trim(Name).size() == 4;
    return verb == "RETR" || verb == "TOP";
}

bool TReply::Feed(std::string_view Bytes)
{
    Take(Bytes);
    return FComplete;
}

size_t TReply::Take(std::string_view Bytes)
{
    if (FComplete) return 0;
    const size_t lf = Bytes.find('\n');
    size_t used = lf == std::string_view::npos ? Bytes.size() : lf + 1;
    Append(Bytes.substr(0, used));
    // A bare LF ends the line too.
    FComplete = lf != std::string_view::npos || FText.size() >= MaxTextBytes;
    if (!FComplete || !FTextFollows || IsError()) return used;
    const std::string_view text = Bytes.substr(used);
    const size_t kept = FSearch.Feed(text);
    FText.append(text.substr(0, kept));
    return used + kept;
}

void TReply::Append(std::string_view Bytes)
{
    const std::string_view kept = Bytes.substr(0, MaxTextBytes - std::min(FText.size(), MaxTextBytes));
    FText.append(kept);
    // The status line's own line end may begin the terminator: an empty message.
    if (FTextFollows) FSearch.Feed(kept);
}

size_t TTextPiece::Take(std::string_view Bytes)
{
    const size_t kept = FSearch.Feed(Bytes);
    FText.append(Bytes.substr(0, kept));
    return kept;
}

String TReply::Status() const { return UpperCase(Trim(FText.substr(0, 4))); }

String TReply::Message() const
{
    const size_t lineEnd = FText.find('\n');
    if (lineEnd == String::npos || lineEnd <= 4) return {};
    return Trim(FText.substr(4, lineEnd - 4));
}

size_t TTerminatorSearch::Feed(std::string_view Chunk)
{
    if (FFound) return 0;
    const size_t keep = Terminator.size() - 1;
    // Only a terminator that starts in the tail needs the tail joined to the chunk's first bytes;
    // the rest of the chunk is searched where it lies, never copied.
    const String head = FTail + String(Chunk.substr(0, keep));
    size_t at = head.find(Terminator);
    if (at != String::npos) {
        FFound = true;
        return at + Terminator.size() - FTail.size();
    }
    at = Chunk.find(Terminator);
    if (at != std::string_view::npos) {
        FFound = true;
        return at + Terminator.size();
    }
    FTail = Chunk.size() >= keep ? String(Chunk.substr(Chunk.size() - keep))
                                 : head.substr(head.size() - std::min(head.size(), keep));
    return Chunk.size();
}

uint16_t StatCount(const String& ReplyText)
{
    const int64_t count = NumberBeforeBlank(ReplyText, 0);
    return count < 0 ? 0 : static_cast<uint16_t>(count);
}

int32_t AnnouncedSize(const String& ReplyText)
{
    const int64_t size = NumberBeforeBlank(ReplyText, 0);
    if (size <= 0) return 100;
    return static_cast<int32_t>(std::min<int64_t>(size, std::numeric_limits<int32_t>::max()));
}

std::map<uint16_t, String> UidListing(const String& Reply)
{
    std::map<uint16_t, String> ids;
    size_t from = Reply.find('\n');  // the status line
    while (from != String::npos && from + 1 < Reply.size()) {
        const size_t end = Reply.find('\n', from + 1);
        const String line = Trim(Reply.substr(from + 1, end == String::npos ? String::npos : end - from - 1));
        from = end;
        if (line == ".") break;
        const size_t blank = line.find_first_of(" \t");
        if (blank == String::npos) continue;
        const int64_t number = StrToInt64Def(line.substr(0, blank), 0);
        const String id = Trim(line.substr(blank + 1));
        if (number < 1 || number > 65535 || id.empty()) continue;
        ids.emplace(static_cast<uint16_t>(number), id);
    }
    return ids;
}

}  // namespace PopProtocol

}  // namespace qel
