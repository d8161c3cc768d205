#pragma once
// SMTP protocol text: the command lines the client sends, the recipient list of a message, and
// the one reply assembler that decides when a server reply is complete and what it says.
#include "framework/core/LineSplitter.h"
#include "framework/core/Types.h"
#include "mail/session/ReplyReader.h"

#include <string_view>
#include <vector>

namespace qel {

namespace SmtpProtocol {

// Each builder returns one complete line ending in CR LF. CR and LF are removed from the argument,
// so no value can end the line early and start a command of its own.
String Helo(const String& LocalHost);    // HELO host
String MailFrom(const String& Address);  // MAIL FROM:<address>
String RcptTo(const String& Recipient);  // RCPT TO:recipient (the recipient carries its brackets)
String Data();                           // DATA
String Quit();                           // QUIT
String Ehlo(const String& LocalHost);    // EHLO host
String StartTls();                       // STARTTLS
// AUTH PLAIN with the initial response base64("\0user\0password"); the whole line is secret.
String AuthPlain(const String& User, const String& Password);
String AuthLogin();                      // AUTH LOGIN
String AuthLoginAnswer(const String& Text);  // base64(text): the user, then the password, to 334
String TextLine(const String& Line);     // one line of the message text
String EndOfText();                      // CR LF . CR LF: ends the text after its last line

// The name of the command a line starts, for reports: "MAIL FROM", "RCPT TO", "HELO", "DATA",
// "QUIT", "end of text", "AUTH PLAIN"; arguments (addresses, credentials) are left out.
String CommandName(const String& Line);

// The RCPT arguments of a SendTo text: its ";"-separated elements, trimmed and each in angle
// brackets; a trailing ";" adds nothing. An empty SendTo gives one empty argument.
std::vector<String> SplitRecipients(const String& SendTo);

// The service extensions of an EHLO reply: its lines after the first, without the status,
// upper-cased ("STARTTLS", "AUTH PLAIN LOGIN", "SIZE 1000").
std::vector<String> EhloExtensions(const String& ReplyText);
// Whether Extensions hold Keyword, alone or with parameters.
bool Offers(const std::vector<String>& Extensions, const String& Keyword);
// The SASL mechanisms of the AUTH extension (also the old "AUTH=" form).
std::vector<String> AuthMechanisms(const std::vector<String>& Extensions);

// Collects one reply from the bytes as they arrive, its lines split as a string list splits text.
// The reply is complete once a line (ended by LF) arrives that is not a continuation line
// ("250-..."); what follows it is the next reply's and is not taken. Status and text come from that
// final line.
class TReplyAssembler : public TReplyReader {
public:
    static constexpr size_t MaxTextBytes = 64 * 1024;  // a runaway server cannot exhaust memory
    static constexpr size_t MaxLineBytes = 512;        // enough for the status and the kept text
    static constexpr size_t ReadBytes = 1024;          // a reply is a few short lines

    // Takes the next bytes up to the end of the reply; true once the reply is complete.
    bool Feed(std::string_view Bytes);
    bool Complete() const override { return FComplete; }
    size_t Room() const override { return ReadBytes; }
    size_t Take(std::string_view Bytes) override;
    const String& Text() const { return FText; }  // the whole reply as received
    String Status() const;                         // first three characters, trimmed, upper-cased
    String Message() const;                        // characters 4 to 67, trimmed

private:
    // The final line once complete; before that the line that arrived last, so that a reply cut
    // off by a closed connection still says what it can.
    const String& FinalLine() const;
    void TakeLine(std::string_view Bytes);  // bytes of one line at most, its LF last if any

    String FText;
    TLineSplitter FLines{MaxLineBytes};
    String FLastLine;  // the last line that ended, without its line end
    bool FComplete = false;
};

}  // namespace SmtpProtocol

}  // namespace qel
