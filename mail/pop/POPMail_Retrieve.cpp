// TQELPOPMail::RetrieveMessage, the reading half: request, status line, the chunks up to the
// terminating line with their progress, then the lines handed to the parser.
#include "mail/pop/POPMail.h"

#include "framework/core/Application.h"
#include "mail/session/MailProgress.h"
#include "mail/pop/PopProtocol.h"

#include <algorithm>
#include <cstring>
#include <string_view>
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

// Splits text as it arrives just as a string list splits a whole text (at CR LF, a lone CR, a lone
// LF; a last line without a break still counts), so a large message is only ever held as lines.
class TLineSplitter {
public:
    // Room for the lines of an announced size in one step; a size beyond reason grows as it comes.
    explicit TLineSplitter(int32_t Announced)
    {
        constexpr size_t MaxReserved = 4u * 1024 * 1024;
        FLines.reserve(std::min(static_cast<size_t>(std::max(Announced, 0)) / 64 + 16, MaxReserved));
    }

    void Feed(std::string_view Bytes)
    {
        // A CR at the end of the last chunk and an LF at the start of this one are one break.
        if (FAfterCR && !Bytes.empty()) {
            if (Bytes.front() == '\n') Bytes.remove_prefix(1);
            FAfterCR = false;
        }
        while (!Bytes.empty()) {
            const size_t end = BreakIn(Bytes);
            if (end == Bytes.size()) {
                FPartial.append(Bytes);
                return;
            }
            EndLine(Bytes.substr(0, end));
            const bool cr = Bytes[end] == '\r';
            Bytes.remove_prefix(end + 1);
            if (cr && Bytes.empty()) FAfterCR = true;
            if (cr && !Bytes.empty() && Bytes.front() == '\n') Bytes.remove_prefix(1);
        }
    }

    // The lines less the status line; the last one (the ".") is still there.
    std::vector<String> Finish()
    {
        if (!FPartial.empty()) EndLine({});
        return std::move(FLines);
    }

private:
    // Where the first CR or LF of Bytes is, or its size without one.
    static size_t BreakIn(std::string_view Bytes)
    {
        const auto* lf = static_cast<const char*>(std::memchr(Bytes.data(), '\n', Bytes.size()));
        const size_t lfAt = lf ? static_cast<size_t>(lf - Bytes.data()) : Bytes.size();
        const auto* cr = static_cast<const char*>(std::memchr(Bytes.data(), '\r', lfAt));
        return cr ? static_cast<size_t>(cr - Bytes.data()) : lfAt;
    }

    void EndLine(std::string_view Tail)
    {
        if (!FStatusDropped) {  // the status line is no part of the message
            FStatusDropped = true;
            FPartial.clear();
            return;
        }
        if (FPartial.empty()) {
            FLines.emplace_back(Tail);  // sized exactly: most lines arrive whole
            return;
        }
        FPartial.append(Tail);
        FLines.push_back(std::move(FPartial));
        FPartial = String();
    }

    std::vector<String> FLines;
    String FPartial;
    bool FAfterCR = false;
    bool FStatusDropped = false;
};

// Hands the bytes of First and of the chunks that follow it to Lines until the terminator has
// arrived. False when the session ended first; a connection that closed or fell silent is reported.
bool ReadToTerminator(TQELPOPMail& Pop, const String& First, TLineSplitter& Lines)
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
    TLineSplitter splitter(MessageSize);
    if (!ReadToTerminator(*this, first, splitter)) return;
    // Every line, a NUL byte's included: a message is never cut short.
    std::vector<String> lines = splitter.Finish();
    if (!lines.empty()) lines.pop_back();  // the "."
    ParseRetrievedMessage(Number, std::move(lines), HeaderOnly);
}

}  // namespace qel
