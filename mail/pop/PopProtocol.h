#pragma once
// POP3 protocol text: the command lines the client sends, the reading of one reply line, the
// search for the line "." that ends a multi-line reply, and the numbers carried by replies.
#include "framework/core/Types.h"
#include "mail/session/ReplyReader.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string_view>
#include <utility>

namespace qel {

namespace PopProtocol {

// Each builder returns one complete line ending in CR LF. CR and LF are removed from the argument,
// so no value can end the line early and start a command of its own.
String User(const String& Name);       // USER name
String Pass(const String& Password);   // PASS password
String Stat();                         // STAT
String Retr(uint16_t Number);          // RETR n
String Top(uint16_t Number);           // TOP n 0: the header lines without any body line
String Dele(uint16_t Number);          // DELE n
String Quit();                         // QUIT
String Stls();                         // STLS: TLS from here on (RFC 2595)
String Uidl();                         // UIDL: the unique id of every message (RFC 1939)

// CR LF "." CR LF: the end of a multi-line reply, status line included.
inline constexpr std::string_view Terminator = "\r\n.\r\n";

// The name of the command a line starts, for reports: "USER", "PASS" (their arguments left out),
// "STAT", "RETR 3", "TOP 3 0", "DELE 3", "QUIT".
String CommandName(const String& Line);
// Whether the reply to the command named Name carries a text after its status line (RETR, TOP,
// UIDL without an argument).
bool TextFollows(const String& Name);

// Finds the terminator in a reply that arrives in chunks of any size. Only the last 4 bytes of what
// was fed before are kept, so a terminator split between chunks is found at no extra cost.
class TTerminatorSearch {
public:
    // Takes the next chunk and returns how many of its bytes belong to the reply: all of them until
    // the terminator is found, then those up to its end; none after that.
    size_t Feed(std::string_view Chunk);
    bool Found() const { return FFound; }

private:
    String FTail;
    bool FFound = false;
};

// Collects one reply line from the bytes as they arrive. It is complete once a line end (LF) has
// arrived, however the bytes were split; what follows the line is the next reply's and is not
// taken. A reply to RETR or TOP (TextFollows) that is "+OK" takes with its line the text that came
// in the same read, up to the terminator at most, so a message read at once is handed on at once.
class TReply : public TReplyReader {
public:
    static constexpr size_t MaxTextBytes = 64 * 1024;  // a server that never ends a line cannot exhaust memory

    TReply() = default;
    explicit TReply(bool TextFollows) : FTextFollows(TextFollows) {}

    // Takes the next bytes up to the end of the reply; true once the reply is complete.
    bool Feed(std::string_view Bytes);
    bool Complete() const override { return FComplete; }
    // Large reads, up to what the text can still hold: a big mailbox then costs a few thousand
    // reads, not one per kilobyte, and no byte read is dropped.
    size_t Room() const override { return MaxTextBytes - std::min(FText.size(), MaxTextBytes); }
    size_t Take(std::string_view Bytes) override;
    const String& Text() const& { return FText; }
    String Text() && { return std::move(FText); }  // a large chunk is handed on, not copied
    String Status() const;   // first 4 characters, trimmed, upper-cased
    String Message() const;  // from the 5th character up to the line end, trimmed; empty without one
    bool IsError() const { return Status() == "-ERR"; }

private:
    void Append(std::string_view Bytes);

    String FText;
    TTerminatorSearch FSearch;  // fed only when a text follows
    bool FTextFollows = false;
    bool FComplete = false;
};

// The text of a multi-line reply after what came with its status line, a read at a time: complete
// with the bytes of one read, which end at the terminator at most; what follows it is the next
// reply's. Search carries the state from read to read.
class TTextPiece : public TReplyReader {
public:
    static constexpr size_t ReadBytes = 64 * 1024;

    explicit TTextPiece(TTerminatorSearch& Search) : FSearch(Search) {}

    bool Complete() const override { return !FText.empty() || FSearch.Found(); }
    size_t Room() const override { return ReadBytes; }
    size_t Take(std::string_view Bytes) override;
    String Text() && { return std::move(FText); }

private:
    TTerminatorSearch& FSearch;
    String FText;
};

// The count of a STAT reply text ("3 5120" gives 3): the number before the first blank, kept modulo
// 65536; 0 without a blank, without a number, or for a negative one.
uint16_t StatCount(const String& ReplyText);
// The size of a RETR reply text ("5120 octets" gives 5120): the number before the first blank;
// 100 when there is none or it is not above 0, so that percentages then count bytes.
int32_t AnnouncedSize(const String& ReplyText);

// The most bytes a UIDL listing may take: 65535 messages with ids of the longest kind (70
// characters), so a server that lists without end cannot exhaust memory.
inline constexpr size_t MaxUidListingBytes = 65535u * 80u;
// The unique ids of a whole UIDL reply (status line, "n id" lines, terminating "."), by message
// number. A line without a number from 1 to 65535 or without an id is left out; of a number
// listed twice the first id counts.
std::map<uint16_t, String> UidListing(const String& Reply);

}  // namespace PopProtocol

}  // namespace qel
