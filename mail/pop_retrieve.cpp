// TQELPOPMail::RetrieveMessage, the reading half: request, status line, the chunks up to the
// terminating line with their progress, then the lines handed to the parser.
#include "mail/POPMail.h"

#include "framework/core/Application.h"
#include "mail/MailProgress.h"
#include "mail/PopProtocol.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Percentages pass 100 (the buffer holds the status line and the terminator too); a huge text
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

// Room for the announced message in one step: growing a large buffer again and again would hold
// it twice at each step. A size beyond reason only grows the buffer as the bytes come.
void ReserveForMessage(String& Buffer, int32_t Announced)
{
    constexpr size_t MaxReserve = 256u * 1024 * 1024;
    const auto size = static_cast<size_t>(std::max(Announced, 0));
    if (size <= MaxReserve) Buffer.reserve(Buffer.size() + size + size / 32 + 4096);  // dot-stuffing, terminator
}

// The lines of Text, split as a string list splits a text (at CR LF, a lone CR, a lone LF), less
// the status line and the final "."; Text is freed once split, so the message is not held twice.
std::vector<String> MessageLines(String&& Text)
{
    std::vector<String> lines;
    lines.reserve(static_cast<size_t>(std::count(Text.begin(), Text.end(), '\n')) + 1);
    const char* const data = Text.data();
    const size_t n = Text.size();
    for (size_t pos = 0; pos < n;) {
        const auto* lf = static_cast<const char*>(std::memchr(data + pos, '\n', n - pos));
        const size_t lfAt = lf ? static_cast<size_t>(lf - data) : n;
        const auto* cr = static_cast<const char*>(std::memchr(data + pos, '\r', lfAt - pos));
        const size_t end = cr ? static_cast<size_t>(cr - data) : lfAt;
        lines.emplace_back(data + pos, end - pos);
        pos = end;
        if (pos < n && data[pos] == '\r') ++pos;
        if (pos < n && data[pos] == '\n') ++pos;
    }
    String().swap(Text);
    if (!lines.empty()) lines.erase(lines.begin());  // the status line
    if (!lines.empty()) lines.pop_back();            // the "."
    return lines;
}

// Appends the chunks that follow the first one to Buffer until the terminator has arrived.
// False when the session ended first; a connection that closed or fell silent is reported here.
bool ReadToTerminator(TQELPOPMail& Pop, String& Buffer)
{
    PopProtocol::TTerminatorSearch search;
    Buffer.resize(search.Feed(Buffer));  // nothing after the terminator belongs to the message
    ReserveForMessage(Buffer, Pop.MessageSize);
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
        Buffer.append(chunk, 0, search.Feed(chunk));
        Pop.RetrievePercent = RetrievedPercent(Buffer.size(), Pop.MessageSize);
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
    String buffer = GetSocketText();
    if (ReplyError) {
        HandleError(eeReceive);
        return;
    }
    MessageSize = PopProtocol::AnnouncedSize(LastMessage);
    if (!ReadToTerminator(*this, buffer)) return;
    // Every line, a NUL byte's included: a message is never cut short.
    ParseRetrievedMessage(Number, MessageLines(std::move(buffer)), HeaderOnly);
}
