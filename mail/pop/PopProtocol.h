#pragma once
// POP3 protocol text: the command lines the client sends, the reading of one reply line, the
// search for the line "." that ends a multi-line reply, and the numbers carried by replies.
#include "framework/core/Types.h"
#include "mail/session/ReplyReader.h"

#include <algorithm>
#include <cstdint>
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

// CR LF "." CR LF: the end of a multi-line reply, status line included.
inline constexpr std::string_view Terminator = "\r\n.\r\n";

// Collects one reply line from the bytes as they arrive. It is complete once a line end (LF) has
// arrived, however the bytes were split; every byte of the reads that made it up stays in Text, so
// the start of a multi-line reply that came with its status line is kept.
class TReply : public TReplyReader {
public:
    static constexpr size_t MaxTextBytes = 64 * 1024;  // a server that never ends a line cannot exhaust memory

    // Takes the next bytes; true once the reply is complete.
    bool Feed(std::string_view Bytes);
    bool Complete() const override { return FComplete; }
    // Large reads, up to what the text can still hold: a big mailbox then costs a few thousand
    // reads, not one per kilobyte, and no byte read is dropped.
    size_t Room() const override { return MaxTextBytes - std::min(FText.size(), MaxTextBytes); }
    size_t Take(std::string_view Bytes) override;  // takes them all
    const String& Text() const& { return FText; }
    String Text() && { return std::move(FText); }  // a large chunk is handed on, not copied
    String Status() const;   // first 4 characters, trimmed, upper-cased
    String Message() const;  // from the 5th character up to the line end, trimmed; empty without one
    bool IsError() const { return Status() == "-ERR"; }

private:
    String FText;
    bool FComplete = false;
};

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

// The count of a STAT reply text ("3 5120" gives 3): the number before the first blank, kept modulo
// 65536; 0 without a blank, without a number, or for a negative one.
uint16_t StatCount(const String& ReplyText);
// The size of a RETR reply text ("5120 octets" gives 5120): the number before the first blank;
// 100 when there is none or it is not above 0, so that percentages then count bytes.
int32_t AnnouncedSize(const String& ReplyText);

}  // namespace PopProtocol

}  // namespace qel
