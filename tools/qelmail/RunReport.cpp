#include "RunReport.h"

#include "framework/core/Application.h"
#include "framework/core/SysUtils.h"
#include "framework/net/ClientSocket.h"
#include "mail/codec/HeaderDecoding.h"
#include "mail/pop/POPMail.h"

#include <cerrno>
#include <cstdio>
#include <netdb.h>

namespace qelmail_tool {

namespace {

bool IsReplyCode(const String& Status)
{
    return Status.size() == 3 && Status[0] >= '2' && Status[0] <= '5' && std::isdigit(static_cast<unsigned char>(Status[1])) &&
           std::isdigit(static_cast<unsigned char>(Status[2]));
}

TExitCode ClassifyReplyCode(const String& Status)
{
    if (Status == "530" || Status == "535" || Status == "534") return ExitNoPerm;
    if (Status == "554" || Status == "521") return ExitUnavailable;
    if (Status[0] == '4') return ExitTempFail;
    return ExitDataErr;
}

TExitCode ClassifySystemError(int Code)
{
    if (Code > LookupErrorBase) {
        const int lookup = LookupErrorBase - Code;
        return lookup == EAI_AGAIN ? ExitTempFail : ExitNoHost;
    }
    switch (Code) {
    case ECONNREFUSED: return ExitUnavailable;
    case ENETUNREACH:
    case EHOSTUNREACH: return ExitNoHost;
    default: return ExitTempFail;  // time-outs, resets, a peer gone mid-dialogue
    }
}

}  // namespace

TExitCode ClassifyMailError(const String& Status, const String& Text, bool LoggedIn)
{
    // A refused reply is reported with status 0 and the reply's own status leading the text.
    const String status = StrToIntDef(Status, -1) == 0 ? Text.substr(0, Text.find(' ')) : Status;
    if (UpperCase(status) == "-ERR") return LoggedIn ? ExitUnavailable : ExitNoPerm;
    // A server that cannot prove who it is is refused as a wrong password is.
    if (Text.rfind("TLS: certificate", 0) == 0) return ExitNoPerm;
    // "authentication refused: 535 ...": the reply's class (a 4xx one is worth another try).
    if (const String refused = "authentication refused: "; Text.rfind(refused, 0) == 0) {
        const String code = Text.substr(refused.size(), 3);
        return IsReplyCode(code) ? ClassifyReplyCode(code) : ExitNoPerm;
    }
    // A server without what the account requires will not have it on the next try either.
    if (Text.rfind("the server offers no", 0) == 0 || Text.rfind("the server refused STLS", 0) == 0 ||
        Text.rfind("the server gives no unique ids", 0) == 0)
        return ExitUnavailable;
    if (IsReplyCode(status)) return ClassifyReplyCode(status);
    const int code = StrToIntDef(status, 0);
    return code > 0 ? ClassifySystemError(code) : ExitTempFail;
}

String TlsLine(const TQELMailHost& Host)
{
    const TCustomWinSocket* socket = Host.ClientSocket ? Host.ClientSocket->Socket() : nullptr;
    if (!socket || !socket->Secure()) return {};
    return "TLS: " + socket->TlsProtocol() + ", certificate " + EscapeControlCharacters(socket->PeerSubject());
}

TRunReport::TRunReport()
{
    Application->OnException = [this](TObject*, const Exception& E) { Fail(ExitFailure, E.Message()); };
}

TRunReport::~TRunReport()
{
    Application->OnException = nullptr;
}

TQELOnInfoMessage TRunReport::ErrorHandler(const TQELMailHost& Host)
{
    return [this, &Host](TObject*, const String& Status, const String& Text, bool) {
        const auto* pop = dynamic_cast<const TQELPOPMail*>(&Host);
        const bool loggedIn = pop && pop->SessionState == Transaction;
        // The report keeps 64 characters of a refused reply; the user sees all the server said.
        const String shown = Trim(Text);
        const String reply = Host.LastReply;
        const bool more = !reply.empty() && shown.size() >= 3 && reply.compare(0, 3, shown, 0, 3) == 0 && reply.size() > shown.size();
        Fail(ClassifyMailError(Status, Text, loggedIn), Status + ": " + Text + (more ? " (the server said: " + reply + ")" : ""));
    };
}

void TRunReport::Fail(TExitCode Code, const String& Text)
{
    FErrors.push_back({Code, Text});
}

void TRunReport::Warn(const String& Text)
{
    FWarnings.push_back(Text);
}

TExitCode TRunReport::ExitCode() const
{
    return FErrors.empty() ? ExitOk : FErrors.front().Code;
}

void TRunReport::Print() const
{
    // Server text must not reach the terminal raw: it may carry control sequences.
    const String context = FContext.empty() ? String() : FContext + ": ";
    for (const TEntry& e : FErrors)
        std::fprintf(stderr, "qelmail: %s%s\n", context.c_str(), EscapeControlCharacters(e.Text).c_str());
    for (const String& w : FWarnings)
        std::fprintf(stderr, "qelmail: warning: %s%s\n", context.c_str(), EscapeControlCharacters(w).c_str());
}

}  // namespace qelmail_tool
