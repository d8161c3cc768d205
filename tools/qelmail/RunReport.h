#pragma once
// What a command's run reported: the component's error events and the exceptions the
// application's handler caught, collected while the run goes and printed at its end.
#include "mail/session/MailHost.h"

#include <vector>

namespace qelmail_tool {
using namespace qel;

class TRunReport {
public:
    TRunReport();   // takes over Application->OnException
    ~TRunReport();  // gives it back

    TQELOnInfoMessage ErrorHandler();  // for the component's OnError
    bool Empty() const { return FErrors.empty(); }
    void Print() const;                // one "qelmail: ..." line per error on stderr

private:
    std::vector<String> FErrors;
};

}  // namespace qelmail_tool
