// TQELSMTPMail::Base64Encode: feeds an attachment's file to the line encoder, with the encode events.
#include "mail/smtp/SMTPMail.h"

#include "framework/core/Application.h"
#include "framework/core/Guarded.h"
#include "framework/core/Streams.h"
#include "mail/codec/Base64Encoder.h"
#include "mail/session/MailProgress.h"

#include <limits>
#include <span>
#include <vector>

namespace qel {

namespace {

// 40 lines of 57 bytes: a block never splits a group, and progress comes per line.
constexpr size_t BlockSize = 2280;
// Blocks are handed out one by one but fetched many at a time: a system call per block would
// cost more than encoding it.
constexpr size_t WindowSize = 32 * BlockSize;

// The attachment's file, trusted only as far as it delivers: a short read ends the input, so a
// file that shrinks while it is read never lets stale buffer bytes into the message.
class TAttachmentReader {
public:
    explicit TAttachmentReader(const String& Path)
        : FStream(Path, fmOpenRead | fmShareDenyNone), FSize(std::max<int64_t>(0, FStream.Size())), FLeft(FSize)
    {
    }

    int64_t Size() const { return FSize; }
    bool Ended() const { return FEnded; }

    // The next Count bytes, fewer only where the file really ended; valid until the next call.
    std::span<const uint8_t> Read(size_t Count)
    {
        if (FPos == FFill) Refill();
        const size_t n = std::min(Count, FFill - FPos);
        FEnded = n < Count;
        FPos += n;
        return {FWindow.data() + FPos - n, n};
    }

private:
    void Refill()
    {
        // Whole blocks, or everything announced that is left: a block never straddles two fills.
        if (FWindow.empty()) FWindow.resize(static_cast<size_t>(std::min<int64_t>(FSize, WindowSize)));
        const int64_t want = std::min<int64_t>(FLeft, static_cast<int64_t>(FWindow.size()));
        const int64_t got = FStream.Read(FWindow.data(), want);
        FLeft -= want;
        FFill = got > 0 ? static_cast<size_t>(got) : 0;
        FPos = 0;
    }

    TFileStream FStream;
    int64_t FSize;
    int64_t FLeft;
    bool FEnded = false;
    std::vector<uint8_t> FWindow;
    size_t FFill = 0;
    size_t FPos = 0;
};

// The shared percentage after each line, asked again only where its value changes: the rounding is
// monotone in the lines done, so bisection finds the next change about a hundred times per file
// instead of rounding once per line.
class TLinePercent {
public:
    explicit TLinePercent(int64_t Size) : FSize(Size), FLastLine(Size / int64_t{TBase64LineEncoder::BytesPerLine}) {}

    uint16_t After(int64_t Lines)
    {
        if (Lines >= FNextChange) {
            FPercent = At(Lines);
            int64_t same = Lines;
            int64_t other = FLastLine + 1;  // beyond the last line: no change to find
            while (other - same > 1) {
                const int64_t mid = same + (other - same) / 2;
                (At(mid) == FPercent ? same : other) = mid;
            }
            FNextChange = other;
        }
        return FPercent;
    }

private:
    uint16_t At(int64_t Lines) const
    {
        return ProgressPercent(Lines * int64_t{TBase64LineEncoder::BytesPerLine}, FSize);
    }

    int64_t FSize;
    int64_t FLastLine;
    int64_t FNextChange = 0;
    uint16_t FPercent = 0;
};

// Block phase, tail and padding. Pump services the queue and tells whether to go on.
template <typename TPump, typename TBlockSink, typename TTailSink>
bool EncodeFile(TAttachmentReader& Reader, TPump&& Pump, TBlockSink&& OnBlockLine, TTailSink&& OnTailLine)
{
    TBase64LineEncoder encoder;
    std::span<const uint8_t> data;
    for (int64_t blocks = Reader.Size() / int64_t{BlockSize}; blocks > 0 && !Reader.Ended(); --blocks) {
        if (!Pump()) return false;
        data = Reader.Read(BlockSize);
        data = data.subspan(encoder.Encode(data.data(), data.size(), OnBlockLine));
    }
    if (!Reader.Ended()) {
        // The tail is short: one read, but the queue is still serviced before every group.
        data = Reader.Read(static_cast<size_t>(Reader.Size() % int64_t{BlockSize}));
        for (; data.size() >= 3; data = data.subspan(3)) {
            if (!Pump()) return false;
            encoder.Encode(data.data(), 3, OnTailLine);
        }
    }
    encoder.Finish(data.data(), data.size(), OnTailLine);
    return true;
}

int32_t BytesCountOf(int64_t Size)
{
    return static_cast<int32_t>(std::min<int64_t>(Size, std::numeric_limits<int32_t>::max()));
}

}  // namespace

void TQELSMTPMail::Base64Encode(TQELAttachment* Attachment)
{
    // A handler may free the attachment: its file is then read no further, and nothing is stored.
    const TGuarded<TQELAttachment> attachment(Attachment);
    auto lines = std::make_shared<TStringList>();
    {
        TAttachmentReader reader(Attachment->PhysFile);
        const int64_t size = reader.Size();
        DoEncodeStart(Attachment->PhysFile, BytesCountOf(size));
        EncodePercent = 0;
        TProgressThreshold next(CurrentAccount ? CurrentAccount->ProgressStep() : 0);
        TLinePercent percent(size);
        // Every line's slot up front: regrowing a list of 300k lines would move it several times.
        lines->Reserve(static_cast<int>(std::min<int64_t>(size / TBase64LineEncoder::BytesPerLine + 1, INT32_MAX)));
        const auto onBlockLine = [&](const String& Line) {
            lines->Add(Line);
            EncodePercent = percent.After(lines->Count());
            if (next.Reached(EncodePercent)) DoEncodeProgress(EncodePercent);
            Application->ProcessMessages();
        };
        const auto onTailLine = [&](const String& Line) { lines->Add(Line); };
        const auto pump = [this, &attachment] {
            Application->ProcessMessages();
            return !Aborted && attachment.Assigned();
        };
        if (!EncodeFile(reader, pump, onBlockLine, onTailLine)) return;
    }
    if (EncodePercent < 100) DoEncodeProgress(100);
    Application->ProcessMessages();
    if (Aborted || !attachment.Assigned()) return;
    attachment->EncodedLines = std::move(lines);
    DoEncodeend();
}

void TQELSMTPMail::DoEncodeStart(const String& FileName, int32_t BytesCount)
{
    if (OnEncodeStart) OnEncodeStart(this, FileName, BytesCount);
}

void TQELSMTPMail::DoEncodeProgress(uint16_t Percent)
{
    if (OnEncodeProgress) OnEncodeProgress(this, Percent, CurrentItemIndex);
}

void TQELSMTPMail::DoEncodeend()
{
    if (OnEncodeend) OnEncodeend(this);
}

}  // namespace qel
