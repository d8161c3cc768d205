// TQELSMTPMail's secure opening: EHLO, STARTTLS and AUTH (SMTPMail.cpp decides when).
#include "mail/smtp/SMTPMail.h"

#include "mail/smtp/SmtpProtocol.h"

#include <algorithm>

namespace qel {

namespace {

constexpr const char* NoStartTls = "the server offers no STARTTLS";
constexpr const char* StartTlsRefused = "STARTTLS refused: ";
constexpr const char* EhloRefused = "EHLO refused, and STARTTLS or AUTH needs it: ";
constexpr const char* NoMechanism = "the server offers no AUTH PLAIN or LOGIN";
constexpr const char* AuthRefused = "authentication refused: ";

bool Has(const std::vector<String>& List, const char* Item)
{
    return std::find(List.begin(), List.end(), Item) != List.end();
}

bool IsPermanentFailure(const String& Status) { return !Status.empty() && Status[0] == '5'; }

// A server's words may echo what it was sent: no credential of the login reaches a report.
String WithoutSecrets(String Text, const std::vector<String>& Secrets)
{
    for (const String& secret : Secrets)
        for (size_t at; !secret.empty() && (at = Text.find(secret)) != String::npos;) Text.replace(at, secret.size(), "***");
    return Text;
}

String WithoutLineEnd(String Line)
{
    while (!Line.empty() && (Line.back() == '\n' || Line.back() == '\r')) Line.pop_back();
    return Line;
}

}  // namespace

void TQELSMTPMail::SecureOpening(const TLogin& Login)
{
    std::vector<String> extensions;
    if (!Extended(Login, extensions)) return;
    if (Login.Security == msStartTLS) {
        if (!SmtpProtocol::Offers(extensions, "STARTTLS")) {
            Refuse("0", NoStartTls);
            return;
        }
        // C: STARTTLS  S: 220 go ahead; then the session starts afresh under TLS
        SendSocketText(SmtpProtocol::StartTls());
        GetSocketText();
        if (Aborted) return;
        if (LastStatus != "220") {
            Refuse("0", StartTlsRefused + LastStatus + " " + LastMessage);
            return;
        }
        if (!StartTls(Login.Tls) || !Extended(Login, extensions)) return;
    }
    if (!Login.User.empty()) Authenticate(Login, extensions);
}

bool TQELSMTPMail::Extended(const TLogin& Login, std::vector<String>& Extensions)
{
    // C: EHLO myhost  S: 250-mail.example  250-STARTTLS  250 AUTH PLAIN LOGIN
    SendSocketText(SmtpProtocol::Ehlo(ClientSocket->Socket()->LocalHost()));
    String reply;
    do reply = GetSocketText();
    while (!Aborted && LastStatus == "220");
    if (Aborted) return false;
    Extensions.clear();
    if (LastStatus == "250") {
        Extensions = SmtpProtocol::EhloExtensions(reply);
        ReplyError = false;
        return true;
    }
    const bool needed = Login.Security == msStartTLS || !Login.User.empty();
    if (IsPermanentFailure(LastStatus) && needed)
        return Refuse("0", EhloRefused + LastStatus + " " + LastMessage);
    if (!IsPermanentFailure(LastStatus)) return Expect("250", eeConnect);
    // A server of old knows no EHLO; implicit TLS alone needs none of its extensions.
    Hello();
    return !ReplyError && !Aborted;
}

bool TQELSMTPMail::Authenticate(const TLogin& Login, const std::vector<String>& Extensions)
{
    const std::vector<String> mechanisms = SmtpProtocol::AuthMechanisms(Extensions);
    if (Has(mechanisms, "PLAIN")) {
        // C: AUTH PLAIN <base64 of \0user\0password>  S: 235
        SendSocketText(SmtpProtocol::AuthPlain(Login.User, Login.Password));  // its step: "AUTH PLAIN"
        GetSocketText();
    } else if (Has(mechanisms, "LOGIN")) {
        // C: AUTH LOGIN  S: 334  C: <base64 user>  S: 334  C: <base64 password>  S: 235
        SendSocketText(SmtpProtocol::AuthLogin());
        for (const String* answer : {&Login.User, &Login.Password}) {
            GetSocketText();
            if (Aborted || LastStatus != "334") break;
            SendSecret(SmtpProtocol::AuthLoginAnswer(*answer));
        }
        if (!Aborted && LastStatus == "334") GetSocketText();
    } else {
        return Refuse("0", NoMechanism);
    }
    if (Aborted) return false;
    if (LastStatus != "235") return Refuse("0", AuthRefused + LastStatus + " " + LastMessage);
    ReplyError = false;
    return true;
}

bool TQELSMTPMail::Refuse(const String& Status, const String& Text)
{
    ReplyError = true;
    AbortSession(Status, Scrubbed(Text));
    return false;
}

std::vector<String> TQELSMTPMail::LoginSecrets(const TLogin& Login)
{
    if (Login.User.empty() || Login.Password.empty()) return {};
    const String plain = WithoutLineEnd(SmtpProtocol::AuthPlain(Login.User, Login.Password));
    return {Login.Password, plain.substr(plain.rfind(' ') + 1),
            WithoutLineEnd(SmtpProtocol::AuthLoginAnswer(Login.Password))};
}

String TQELSMTPMail::Scrubbed(const String& Text) const { return FSecrets.empty() ? Text : WithoutSecrets(Text, FSecrets); }

void TQELSMTPMail::SendSecret(const String& Line)
{
    FSendingSecret = true;
    SendSocketText(Line);
    FSendingSecret = false;
}

}  // namespace qel
