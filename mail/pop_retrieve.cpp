// TQELPOPMail::RetrieveMessage, the reading half: request, status line, the chunks up to the
// terminating line with their progress, then the lines handed to the parser.
#include "mail/POPMail.h"

#include "framework/core/Application.h"
#include "mail/MailProgress.h"
#include "mail/PopProtocol.h"

#include <algorithm>

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

// Appends the chunks that follow the first one to Buffer until the terminator has arrived.
// False when the session ended first; a connection that closed or fell silent is reported here.
bool ReadToTerminator(TQELPOPMail& Pop, String& Buffer)
{
    PopProtocol::TTerminatorSearch search;
    Buffer.resize(search.Feed(Buffer));  // nothing after the terminator belongs to the message
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
    TStringList lines;
    lines.SetText(buffer);
    if (lines.Count() > 0) lines.Delete(0);                // the status line
    if (lines.Count() > 0) lines.Delete(lines.Count() - 1);  // the "."
    ParseRetrievedMessage(Number, lines, HeaderOnly);
}
