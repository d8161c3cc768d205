// TQELPOPMail's TLS: STLS after the greeting, or implicit TLS (POP3S) before it, with the
// account's certificate settings.
#include "mail/pop/POPMail.h"

#include "mail/pop/PopProtocol.h"

namespace qel {

namespace {

const char* const StlsRefused = "the server refused STLS, which the account requires: ";

}  // namespace

bool TQELPOPMail::StartSecurity(bool Implicit)
{
    if (!CurrentAccount || !SessionOpen()) return false;
    if (!Implicit) {
        // C: STLS  S: +OK begin TLS negotiation
        SendSocketText(PopProtocol::Stls());
        GetSocketText();
        if (Aborted) return false;  // the reader has reported it
        if (ReplyError) {
            // USER and PASS never go out in clear when the account asks for TLS.
            AbortSession("0", StlsRefused + LastStatus + " " + LastMessage);
            return false;
        }
    }
    return StartTls(CurrentAccount->TlsOptions()) && !Aborted && SessionOpen();
}

}  // namespace qel
