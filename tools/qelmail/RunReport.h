#pragma once
// What a command's run reported: the component's error events and the exceptions the
// application's handler caught, collected while the run goes, each with its failure class, and
// printed at its end; warnings do not make the run fail.
#include "ExitCodes.h"
#include "mail/session/MailHost.h"

#include <vector>

namespace qelmail_tool {
using namespace qel;

class TRunReport {
public:
    TRunReport();   // takes over Application->OnException
    ~TRunReport();  // gives it back

    // For the component's OnError: classifies by the reply status and the session state then.
    TQELOnInfoMessage ErrorHandler(const TQELMailHost& Host);
    void Fail(TExitCode Code, const String& Text);
    // What the failures were about, e.g. "smtp 127.0.0.1:25"; printed before each.
    void SetContext(const String& Context) { FContext = Context; }
    void Warn(const String& Text);

    bool Empty() const { return FErrors.empty(); }
    TExitCode ExitCode() const;  // the class of the first failure; ExitOk when none
    void Print() const;          // one "qelmail: ..." line per failure and warning on stderr

private:
    struct TEntry {
        TExitCode Code;
        String Text;
    };
    std::vector<TEntry> FErrors;
    std::vector<String> FWarnings;
    String FContext;
};

// "TLS: <protocol>, certificate <subject>" once Host's connection runs through TLS, else empty.
String TlsLine(const TQELMailHost& Host);

// The failure class of a component's error report.
TExitCode ClassifyMailError(const String& Status, const String& Text, bool LoggedIn);

}  // namespace qelmail_tool
