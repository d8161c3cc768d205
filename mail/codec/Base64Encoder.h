#pragma once
// A streaming Base64 encoder (MIME alphabet) that cuts its text into lines of 76 characters.
// Input may arrive in pieces of any size that are multiples of 3 bytes; the unfinished line is
// kept between calls. Completed lines go to a sink called as Sink(const String& Line), which is a
// template parameter so that a lambda costs no indirect call.
#include "framework/core/Types.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace qel {

class TBase64LineEncoder {
public:
    static constexpr size_t LineLength = 76;
    static constexpr size_t BytesPerLine = 57;  // 19 groups of 3 bytes

    TBase64LineEncoder() { FLine.reserve(LineLength); }

    // Encodes the Count / 3 whole groups of Data; returns the bytes consumed.
    template <typename TLineSink>
    size_t Encode(const uint8_t* Data, size_t Count, TLineSink&& Sink);

    // Ends the text: one or two last bytes (Count 1 or 2) become a padded group, then the
    // unfinished line, if any, goes to the sink. The encoder is empty afterwards.
    template <typename TLineSink>
    void Finish(const uint8_t* Data, size_t Count, TLineSink&& Sink);

    const String& PendingLine() const { return FLine; }

    // Writes the 4 * Groups characters of Groups whole groups at Out; returns the end.
    static char* EncodeGroups(const uint8_t* Data, size_t Groups, char* Out);
    // Writes the padded group ("xx==" or "xxx=") of Count (1 or 2) bytes at Out.
    static void EncodePadded(const uint8_t* Data, size_t Count, char* Out);

private:
    String FLine;
};

template <typename TLineSink>
size_t TBase64LineEncoder::Encode(const uint8_t* Data, size_t Count, TLineSink&& Sink)
{
    size_t groups = Count / 3;
    const size_t consumed = groups * 3;
    while (groups > 0) {
        const size_t fill = FLine.size();
        const size_t n = std::min(groups, (LineLength - fill) / 4);
        FLine.resize(fill + 4 * n);
        EncodeGroups(Data, n, FLine.data() + fill);
        Data += 3 * n;
        groups -= n;
        if (FLine.size() == LineLength) {
            Sink(static_cast<const String&>(FLine));
            FLine.clear();  // keeps its capacity: no allocation per line here
        }
    }
    return consumed;
}

template <typename TLineSink>
void TBase64LineEncoder::Finish(const uint8_t* Data, size_t Count, TLineSink&& Sink)
{
    if (Count == 1 || Count == 2) {
        const size_t fill = FLine.size();
        FLine.resize(fill + 4);
        EncodePadded(Data, Count, FLine.data() + fill);
    }
    if (!FLine.empty()) Sink(static_cast<const String&>(FLine));
    FLine.clear();
}

}  // namespace qel
