// TQELPOPMail's decoding: an attachment's EncodedLines read in place by the line decoders, with
// the decode events; a large attachment is never copied line by line to be decoded.
#include "mail/pop/POPMail.h"

#include "framework/core/Application.h"
#include "mail/codec/MailDecoders.h"
#include "mail/model/MailStrings.h"
#include "mail/session/MailProgress.h"

#include <memory>

namespace qel {

namespace {

// Makes room at the end of Stream, in one step, for the bytes that Lines of encoded text usually
// give (three for every four characters), so that a large attachment does not grow its storage
// again and again. The size itself stays as it was.
void ReserveTail(TMemoryStream& Stream, const TStringList& Lines)
{
    size_t characters = 0;
    for (int i = 0; i < Lines.Count(); ++i) characters += Lines.Line(i).size();
    Stream.Reserve(Stream.Size() + static_cast<int64_t>(characters / 4 * 3));
    Stream.Seek(0, soEnd);
}

// The decode events of one decoder run: start at construction, progress points, end on Finish.
class TDecodeEvents {
public:
    TDecodeEvents(TQELPOPMail& Mail, TQELAttachment* Attachment, size_t LineCount) : FMail(Mail)
    {
        if (FMail.OnDecodeStart) FMail.OnDecodeStart(&FMail, Attachment->FileName, static_cast<int32_t>(LineCount));
        FNext = TProgressThreshold(FMail.CurrentAccount ? FMail.CurrentAccount->ProgressStep() : 0);
        FMail.DecodePercent = 0;
    }

    // Times progress points at one percentage: each may fire while the threshold lags behind.
    void Point(uint16_t Percent, size_t Times)
    {
        FMail.DecodePercent = Percent;
        for (; Times > 0 && FNext.Reached(Percent); --Times) Progress(Percent);
        Application->ProcessMessages();
    }

    void Finish()
    {
        if (FMail.DecodePercent < 100) Progress(100);
        if (FMail.OnDecodeEnd) FMail.OnDecodeEnd(&FMail);
    }

private:
    void Progress(uint16_t Percent)
    {
        if (FMail.OnDecodeProgress) FMail.OnDecodeProgress(&FMail, Percent, FMail.CurrentItemIndex);
    }

    TQELPOPMail& FMail;
    TProgressThreshold FNext{0};
};

void DecodeBase64Lines(TQELPOPMail& Mail, TQELAttachment* Attachment, const TStringList& Lines)
{
    const auto count = static_cast<size_t>(Lines.Count());
    TDecodeEvents events(Mail, Attachment, count);
    TMemoryStream& content = *Attachment->Content;
    ReserveTail(content, Lines);
    TBase64GroupDecoder decoder;
    String bytes;
    for (size_t i = 0; i < count; ++i) {
        const String& line = Lines.Line(static_cast<int>(i));
        if (line.empty()) continue;
        bytes.resize(TBase64GroupDecoder::MaxBytesFor(line.size()));
        size_t groups = 0;
        const size_t n = decoder.Decode(line, reinterpret_cast<uint8_t*>(bytes.data()), groups);
        if (n > 0) content.WriteBuffer(bytes.data(), static_cast<int64_t>(n));
        // The percentage is the same for every group of a line, so one pass over them serves.
        if (groups > 0) events.Point(ProgressPercent(static_cast<int64_t>(i), static_cast<int64_t>(count)), groups);
    }
    events.Finish();
}

void DecodeUULines(TQELPOPMail& Mail, TQELAttachment* Attachment, const TStringList& Lines)
{
    const auto count = static_cast<size_t>(Lines.Count());
    TDecodeEvents events(Mail, Attachment, count);
    try {
        auto output = std::make_unique<TMemoryStream>();
        ReserveTail(*output, Lines);
        uint8_t bytes[TUULineDecoder::MaxBytes];
        for (size_t r = 1; r < count;) {
            size_t bad = 0;
            const size_t n = TUULineDecoder::Decode(Lines.Line(static_cast<int>(r)), bytes, bad);
            for (; bad > 0; --bad) Mail.HandleServerResponse("-ERR", QELMailStr::InvalidMessageFormat, true);
            output->WriteBuffer(bytes, static_cast<int64_t>(n));
            events.Point(ProgressPercent(static_cast<int64_t>(r), static_cast<int64_t>(count)), 1);
            if (++r == count || Lines.Line(static_cast<int>(r)) == "end" || Lines.Line(static_cast<int>(r)) == "`")
                break;
        }
        Attachment->Content = std::move(output);
    } catch (...) {
        events.Finish();
        throw;
    }
    events.Finish();
}

}  // namespace

void TQELPOPMail::Base64Decode(TQELAttachment* Attachment)
{
    DecodeBase64Lines(*this, Attachment, *Attachment->EncodedLines);
}

void TQELPOPMail::UUDecode(TQELAttachment* Attachment)
{
    DecodeUULines(*this, Attachment, *Attachment->EncodedLines);
}

bool TQELPOPMail::GetUUAttachments(TStrings* Lines, int32_t& Index, String& FileName)
{
    if (!Lines || Lines->Count() == 0) return false;
    const int32_t count = Lines->Count();
    for (Index = 0; Index < count; ++Index)
        if (TUUBeginFinder::IsBeginLine(Lines->Get(Index), FileName)) return true;
    return false;
}

}  // namespace qel
