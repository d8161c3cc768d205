// TQELPOPMail::RetrieveMessage, the reading half: request, status line, the chunks up to the
// terminating line with their progress, then the lines handed to the parser.
#include "mail/pop/POPMail.h"

#include "framework/core/Application.h"
#include "framework/core/LineSplitter.h"
#include "mail/session/MailProgress.h"
#include "mail/pop/PopProtocol.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

namespace qel {

namespace {

// Percentages pass 100 (the count holds the status line and the terminator too); a huge text
// against a small announced size stops at the largest Word rather than wrapping around.
uint16_t RetrievedPercent(size_t Bytes, int32_t Size)
{
    const double percent = static_cast<double>(Bytes) * 100.0 / static_cast<double>(std::max(Size, 1));
    return static_cast<uint16_t>(std::min<int64_t>(RoundHalfEven(std::min(percent, 65535.0)), 65535));
}

void DoRetrieveProgress(TQELPOPMail& Pop, uint16_t Percent)
{
    if (Pop.OnRetrieveProgress) Pop.OnRetrieveProgress(&Pop, Percent, Pop.CurrentItemIndex);
}

// The lines of one retrieved message as they arrive, so that a large message is only ever held as
// lines: each moved in as the splitter ends it, the status line left out.
class TMessageLines {
public:
    // Room for the lines of an announced size in one step; a size beyond reason grows as it comes.
    explicit TMessageLines(int32_t Announced)
    {
        constexpr size_t MaxReserved = 4u * 1024 * 1024;
        FLines.reserve(std::min(static_cast<size_t>(std::max(Announced, 0)) / 64 + 16, MaxReserved));
    }

    void Feed(std::string_view Bytes)
    {
        FSplitter.Feed(Bytes, [this](String&& Line) { Add(std::move(Line)); });
    }

    // The lines less the status line; the last one (the ".") is still there.
    std::vector<String> Finish()
    {
        FSplitter.Finish([this](String&& Line) { Add(std::move(Line)); });
        return std::move(FLines);
    }

private:
    void Add(String&& Line)
    {
        if (std::exchange(FStatusDropped, true)) FLines.push_back(std::move(Line));
    }

    TLineSplitter FSplitter;
    std::vector<String> FLines;
    bool FStatusDropped = false;
};

// Hands the bytes of First and of the chunks that follow it to Lines until the terminator has
// arrived. False when the session ended first; a connection that closed or fell silent is reported.
bool ReadToTerminator(TQELPOPMail& Pop, const String& First, TMessageLines& Lines)
{
    PopProtocol::TTerminatorSearch search;
    size_t received = search.Feed(First);  // nothing after the terminator belongs to the message
    Lines.Feed(std::string_view(First).substr(0, received));
    const int32_t step = Pop.CurrentAccount ? Pop.CurrentAccount->ProgressStep() : 1;
    Pop.NextRetrieveStep = static_cast<uint16_t>(step);
    Pop.RetrievePercent = 0;
    TProgressThreshold threshold(step);
    while (!search.Found()) {
        Application->ProcessMessages();
        if (Pop.Aborted) return false;
        const String chunk = Pop.GetSocketText();
        if (chunk.empty()) {
            if (!Pop.Aborted) Pop.HandleError(eeReceive);
            return false;
        }
        const size_t kept = search.Feed(chunk);
        Lines.Feed(std::string_view(chunk).substr(0, kept));
        received += kept;
        Pop.RetrievePercent = RetrievedPercent(received, Pop.MessageSize);
        if (!threshold.Reached(Pop.RetrievePercent)) continue;
        Pop.NextRetrieveStep = static_cast<uint16_t>(Pop.NextRetrieveStep + step);  // kept in step for the host
        DoRetrieveProgress(Pop, Pop.RetrievePercent);
    }
    if (Pop.RetrievePercent < 100) DoRetrieveProgress(Pop, 100);
    return true;
}

}  // namespace

void TQELPOPMail::RetrieveMessage(uint16_t Number, bool HeaderOnly)
{
    CurrentItemIndex = Messages()->Count();
    if (BeforeRetrieve) BeforeRetrieve(this, Number);
    // C: RETR 3  S: +OK 5120 octets ... .     (C: TOP 3 0  S: +OK ... . for the headers alone)
    SendSocketText(HeaderOnly ? PopProtocol::Top(Number) : PopProtocol::Retr(Number));
    const String first = GetSocketText();
    if (ReplyError) {
        HandleError(eeReceive);
        return;
    }
    MessageSize = PopProtocol::AnnouncedSize(LastMessage);
    TMessageLines received(MessageSize);
    if (!ReadToTerminator(*this, first, received)) return;
    // Every line, a NUL byte's included: a message is never cut short.
    std::vector<String> lines = received.Finish();
    if (!lines.empty()) lines.pop_back();  // the "."
    ParseRetrievedMessage(Number, std::move(lines), HeaderOnly);
}

}  // namespace qel
