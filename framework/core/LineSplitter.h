#pragma once
// TLineSplitter: text split into lines as it arrives, chunk by chunk.
#include "framework/core/Export.h"
#include "framework/core/Types.h"

#include <cstddef>
#include <cstring>
#include <limits>
#include <string_view>
#include <utility>

namespace qel {

// Splits bytes into lines exactly as a string list splits a whole text: at CR LF, a lone CR and a
// lone LF; a CR ending one chunk and an LF starting the next are one break; Finish hands over a
// last line that has no break. Lines go to a sink, a callable taking String&&: a line that arrived
// whole is made once at its size, one spread over chunks is moved out, never copied.
//
//     TLineSplitter lines;
//     for (chunk : chunks) lines.Feed(chunk, [&](String&& Line) { v.push_back(std::move(Line)); });
//     lines.Finish(sameSink);
class QEL_FRAMEWORK_EXPORT TLineSplitter {
public:
    static constexpr size_t NoLimit = std::numeric_limits<size_t>::max();

    // Bytes of one line beyond MaxLineBytes are dropped, so a peer that never ends a line cannot
    // exhaust memory.
    explicit TLineSplitter(size_t MaxLineBytes = NoLimit) : FMaxLineBytes(MaxLineBytes) {}

    template <class TSink>
    void Feed(std::string_view Bytes, TSink&& Sink);
    template <class TSink>
    void Finish(TSink&& Sink);

    // The line under way: bytes that arrived after the last break (at most MaxLineBytes).
    const String& Partial() const { return FPartial; }

private:
    // The line ending before a break, joined to what came of it in earlier chunks.
    String EndLine(std::string_view Tail);
    void Keep(std::string_view Bytes);

    String FPartial;
    size_t FMaxLineBytes;
    bool FAfterCR = false;
};

template <class TSink>
void TLineSplitter::Feed(std::string_view Bytes, TSink&& Sink)
{
    if (FAfterCR && !Bytes.empty()) {
        FAfterCR = false;
        if (Bytes.front() == '\n') Bytes.remove_prefix(1);
    }
    const char* pos = Bytes.data();
    const char* const end = pos + Bytes.size();
    // Each kind of break is searched once per chunk and found again only once passed, so a text
    // of lone CRs costs no more than one of LFs.
    auto next = [end](const char* From, char C) {
        const void* at = From < end ? std::memchr(From, C, static_cast<size_t>(end - From)) : nullptr;
        return at ? static_cast<const char*>(at) : end;
    };
    const char* cr = next(pos, '\r');
    const char* lf = next(pos, '\n');
    while (pos < end) {
        if (cr < pos) cr = next(pos, '\r');
        if (lf < pos) lf = next(pos, '\n');
        const char* brk = cr < lf ? cr : lf;
        if (brk == end) {
            Keep({pos, static_cast<size_t>(end - pos)});
            return;
        }
        Sink(EndLine({pos, static_cast<size_t>(brk - pos)}));
        pos = brk + 1;
        if (*brk != '\r') continue;
        if (pos == end)
            FAfterCR = true;
        else if (*pos == '\n')
            ++pos;
    }
}

template <class TSink>
void TLineSplitter::Finish(TSink&& Sink)
{
    FAfterCR = false;
    if (!FPartial.empty()) Sink(std::exchange(FPartial, String()));
}

}  // namespace qel
