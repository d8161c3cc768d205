// Placeholder until the composition lands.
#include "mail/SMTPMail.h"

String RandomLetters(int) { return {}; }
String ZeroPad(int Value, uint8_t) { return std::to_string(Value); }
String TimeZoneText() { return "GMT"; }
std::unique_ptr<TStringList> TQELSMTPMail::InitializeMessage(TQELMessage* Message)
{
    auto lines = std::make_unique<TStringList>();
    lines->Assign(Message->Message());
    return lines;
}
String TQELSMTPMail::CreateUIN() { return "<id@host>"; }
String TQELSMTPMail::CreateBounds() { return "---QELMAIL"; }
String TQELSMTPMail::GetSMTPDate() { return "Mon, 7 Dec 2026 00:00:00 GMT"; }
