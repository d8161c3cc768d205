// TQELPOPMail::RetrieveMessage, the reading half: request, status line, the chunks up to the
// terminating line with their progress, then the lines handed to the parser.
#include "mail/pop/POPMail.h"

#include "framework/core/Application.h"
#include "framework/core/LineSplitter.h"
#include "framework/core/SysUtils.h"
#include "mail/model/MailStrings.h"
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

// The text of one retrieved message for OnRetrieveText, as the server sent it: the status line
// goes, a line that begins with a dot loses that dot (as the parser's lines do: a lone "." stays),
// and the terminating "." line goes. Its state carries over from one piece to the next.
class TRawText {
public:
    TRawText(TQELPOPMail& Pop, uint16_t Number) : FPop(Pop), FNumber(Number) {}

    void Feed(std::string_view Bytes)
    {
        String out;
        out.reserve(Bytes.size());
        for (const char c : Bytes) Step(c, out);
        if (!out.empty() && FPop.OnRetrieveText) FPop.OnRetrieveText(&FPop, FNumber, out);
    }

private:
    enum class TAt { Status, LineStart, Dot, DotCR, DotCRLF, Inside };

    void Step(char C, String& Out)
    {
        switch (FAt) {
        case TAt::Status: FAt = C == '\n' ? TAt::LineStart : TAt::Status; return;
        case TAt::LineStart: FAt = C == '.' ? TAt::Dot : Next(C, Out); return;
        case TAt::Dot: FAt = C == '\r' ? TAt::DotCR : C == '\n' ? Next(C, Out.append(1, '.')) : Next(C, Out); return;
        case TAt::DotCR: FAt = C == '\n' ? TAt::DotCRLF : Next(C, Out.append(".\r")); return;
        // Nothing follows the terminator: ".\r\n" with more after it was a line of text.
        case TAt::DotCRLF:
            Out.append(".\r\n");
            FAt = TAt::LineStart;
            return Step(C, Out);
        case TAt::Inside: FAt = Next(C, Out); return;
        }
    }

    static TAt Next(char C, String& Out)
    {
        Out += C;
        return C == '\n' ? TAt::LineStart : TAt::Inside;
    }

    TQELPOPMail& FPop;
    uint16_t FNumber;
    TAt FAt = TAt::Status;
};

// The lines of one retrieved message as they arrive, so that a large message is only ever held as
// lines: each moved in as the splitter ends it, the status line left out.
class TMessageLines {
public:
    // Room for the lines of an announced size in one step; a size beyond reason grows as it comes.
    // Text, when given, is fed the same bytes.
    explicit TMessageLines(int32_t Announced, TRawText* Text = nullptr) : FText(Text)
    {
        constexpr size_t MaxReserved = 4u * 1024 * 1024;
        FLines.reserve(std::min(static_cast<size_t>(std::max(Announced, 0)) / 64 + 16, MaxReserved));
    }

    void Feed(std::string_view Bytes)
    {
        if (FText) FText->Feed(Bytes);
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

    TRawText* FText;
    TLineSplitter FSplitter;
    std::vector<String> FLines;
    bool FStatusDropped = false;
};

// The next piece of a message's text, as one read brought it; empty once the session has ended (a
// server that closed or fell silent is reported by the engine, a socket error by its notice).
String ReadTextPiece(TQELPOPMail& Pop, PopProtocol::TTerminatorSearch& Search)
{
    PopProtocol::TTextPiece piece(Search);
    try {
        if (!Pop.AwaitReply(piece)) return {};
    } catch (const ESocketError&) {
        return {};
    }
    return std::move(piece).Text();
}

// Past the bound the session ends without QUIT, so nothing of it is deleted on the server.
bool Exceeds(TQELPOPMail& Pop, uint16_t Number, size_t Received)
{
    if (Received <= static_cast<size_t>(Pop.MaxMessageSize())) return false;
    Pop.AbortSession("0", QELMailStr::MessageWord + IntToStr(Number) + QELMailStr::ExceedsBytes +
                              IntToStr(Pop.MaxMessageSize()) + QELMailStr::BytesMaxMessageSize);
    return true;
}

// Hands the bytes of First and of the chunks that follow it to Lines until the terminator has
// arrived. False when the session ended first, reported.
bool ReadToTerminator(TQELPOPMail& Pop, uint16_t Number, const String& First, TMessageLines& Lines)
{
    PopProtocol::TTerminatorSearch search;
    size_t received = search.Feed(First);  // nothing after the terminator belongs to the message
    if (Exceeds(Pop, Number, received)) return false;
    Lines.Feed(std::string_view(First).substr(0, received));
    const int32_t step = Pop.CurrentAccount ? Pop.CurrentAccount->ProgressStep() : 1;
    Pop.NextRetrieveStep = static_cast<uint16_t>(step);
    Pop.RetrievePercent = 0;
    TProgressThreshold threshold(step);
    while (!search.Found()) {
        Application->ProcessMessages();
        if (Pop.Aborted) return false;
        const String chunk = ReadTextPiece(Pop, search);
        if (chunk.empty()) return false;
        received += chunk.size();
        if (Exceeds(Pop, Number, received)) return false;
        Lines.Feed(chunk);
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
    FRetrieved = TRetrieved::Nothing;
    // C: RETR 3  S: +OK 5120 octets ... .     (C: TOP 3 0  S: +OK ... . for the headers alone)
    const String command = HeaderOnly ? PopProtocol::Top(Number) : PopProtocol::Retr(Number);
    if (NoSessionFor(command) || Aborted) return;
    CurrentItemIndex = Messages()->Count();
    if (BeforeRetrieve) BeforeRetrieve(this, Number);
    SendSocketText(command);
    const String first = GetSocketText();
    if (ReplyError) {
        HandleError(eeReceive);
        return;
    }
    MessageSize = PopProtocol::AnnouncedSize(LastMessage);
    TRawText text(*this, Number);
    TMessageLines received(std::min(MessageSize, MaxMessageSize()), OnRetrieveText ? &text : nullptr);
    if (!ReadToTerminator(*this, Number, first, received)) return;
    // Every line, a NUL byte's included: a message is never cut short.
    std::vector<String> lines = received.Finish();
    if (!lines.empty()) lines.pop_back();  // the "."
    if (OnRetrieveTextEnd) OnRetrieveTextEnd(this, Number);
    ParseRetrievedMessage(Number, std::move(lines), HeaderOnly);
}

}  // namespace qel
