// Outgoing message composition: the text after DATA and the generated values it carries.
#include "framework/core/Application.h"
#include "framework/core/DateUtils.h"
#include "framework/core/Guarded.h"
#include "framework/core/Platform.h"
#include "framework/core/SysUtils.h"
#include "mail/codec/HeaderEncoding.h"
#include "mail/smtp/SMTPMail.h"
#include "mail/smtp/SmtpCompose.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace qel {

namespace {

String LocalHostName(const TClientSocket* Client)
{
    if (Client && Client->Socket()) return Client->Socket()->LocalHost();
    // Composing without a connection still needs a host for the Message-Id.
    return qel::LocalHostName();
}

// --- Charset of the text part ---

size_t SequenceLength(uint8_t Lead)
{
    if (Lead < 0x80) return 1;
    if ((Lead & 0xE0) == 0xC0) return 2;
    if ((Lead & 0xF0) == 0xE0) return 3;
    if ((Lead & 0xF8) == 0xF0) return 4;
    return 0;  // a continuation byte, or no lead byte at all
}

// Valid UTF-8 (no overlong forms, no surrogates)? Raises MaxCodePoint to the largest code point.
bool ScanUtf8(const String& S, uint32_t& MaxCodePoint)
{
    for (size_t i = 0; i < S.size();) {
        const auto lead = static_cast<uint8_t>(S[i]);
        const size_t len = SequenceLength(lead);
        if (len == 0 || i + len > S.size()) return false;
        uint32_t cp = len == 1 ? lead : lead & (0x7Fu >> len);
        for (size_t k = 1; k < len; ++k) {
            const auto next = static_cast<uint8_t>(S[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (next & 0x3Fu);
        }
        constexpr uint32_t Least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < Least[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        MaxCodePoint = std::max(MaxCodePoint, cp);
        i += len;
    }
    return true;
}

// S is valid UTF-8 whose code points all fit one byte.
String Utf8ToLatin1(const String& S)
{
    String out;
    out.reserve(S.size());
    for (size_t i = 0; i < S.size(); ++i) {
        const auto c = static_cast<uint8_t>(S[i]);
        if (c < 0x80)
            out += static_cast<char>(c);
        else
            out += static_cast<char>(((c & 0x1F) << 6) | (static_cast<uint8_t>(S[++i]) & 0x3F));
    }
    return out;
}

// Makes the text true to the charset it will declare, and returns that charset's name. Bytes
// that are not UTF-8 are taken to be Latin-1 already and go as they are.
String MakeCharsetTrue(TStringList& Lines)
{
    uint32_t maxCodePoint = 0;
    for (int i = 0; i < Lines.Count(); ++i)
        if (!ScanUtf8(Lines.Get(i), maxCodePoint)) return "ISO-8859-1";
    if (maxCodePoint > 0xFF) return "UTF-8";
    if (maxCodePoint >= 0x80)
        for (int i = 0; i < Lines.Count(); ++i) Lines.Put(i, Utf8ToLatin1(Lines.Get(i)));
    return "ISO-8859-1";
}

// --- Parts of the text ---

// Body, the CR LF entry that makes two empty lines, and the signature. Both texts are split again
// so that no entry hides a line break from the dot-stuffing.
std::unique_ptr<TStringList> BodyLines(const TStrings& Body, const TStrings* Signature)
{
    auto lines = std::make_unique<TStringList>();
    lines->SetText(Body.Text());
    lines->Add("\r\n");
    TStringList signature;
    if (Signature) signature.SetText(Signature->Text());
    lines->AddStrings(&signature);
    return lines;
}

void DotStuff(TStringList& Lines)
{
    for (int i = 0; i < Lines.Count(); ++i) {
        const String line = Lines.Get(i);
        if (!line.empty() && line[0] == '.') Lines.Put(i, "." + line);
    }
}

// A field in lines within the limits a receiver allows; one that fits a line stays as it is.
void AddField(TStrings& Lines, const String& Field)
{
    for (const String& line : FoldHeaderLine(Field)) Lines.Add(line);
}

// The same for a list of addresses, broken only between them.
void AddAddressField(TStrings& Lines, const String& Field)
{
    for (const String& line : FoldAddressList(Field)) Lines.Add(line);
}

// Every header value loses its CR and LF: a break would start a header line of the value's choosing.
String SenderLine(const TQELMessage& Message, const String& SMTPServer)
{
    const String mail = RemoveLineBreaks(Message.FromMail);
    const String name = RemoveLineBreaks(Message.FromName);
    if (name.empty()) return "From: " + mail;
    const String address = mail.find('@') != String::npos ? mail : mail + "@" + RemoveLineBreaks(SMTPServer);
    return "From: " + EncodeDisplayName(name, 6) + " <" + address + ">";
}

// Every element between ";" in brackets, untrimmed; a trailing ";" adds none.
String RecipientText(const String& SendTo)
{
    const String text = RemoveLineBreaks(SendTo);
    String out;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(';', start);
        if (end == String::npos) end = text.size();
        if (start > 0) out += ',';
        out += '<';
        out.append(text, start, end - start);
        out += '>';
        start = end + 1;
    }
    return out;
}

void AddOptional(TStrings& Lines, const char* Name, const String& Value)
{
    const String value = RemoveLineBreaks(Value);
    if (!value.empty()) AddField(Lines, Name + value);
}

// Header lines up to and including MIME-Version.
void AddHeaderLines(TStrings& H, const TQELMessage& Message, const String& MessageId, const String& Mailer,
                    const String& SMTPServer)
{
    // One token, and short enough (host names have at most 64 characters): it stays whole.
    H.Add("Message-Id: " + MessageId);
    AddOptional(H, "In-Reply-To: ", Message.InReplyTo);
    AddField(H, "Date: " + RemoveLineBreaks(Message.Date));
    AddField(H, SenderLine(Message, SMTPServer));
    AddOptional(H, "Reply-To: ", Message.ReplyTo);
    AddField(H, "X-Mailer: " + RemoveLineBreaks(Mailer));
    AddAddressField(H, "TO: " + RecipientText(Message.SendTo));
    // Blind copies go in the envelope only.
    if (!Trim(RemoveLineBreaks(Message.CC)).empty()) AddAddressField(H, "Cc: " + RecipientText(Message.CC));
    AddField(H, "Subject: " + EncodeHeaderText(RemoveLineBreaks(Message.Subject), 9));
    H.Add("MIME-Version: 1.0");
}

// The Content-type line, then the 8-bit text with its own header ended.
void AddText(TStrings& Lines, const String& ContentType, const TStrings& Text)
{
    Lines.Add(ContentType);
    Lines.Add("Content-Transfer-Encoding: 8bit");
    Lines.Add("");
    Lines.AddStrings(&Text);
}

// The type is not stored with a form, so an attachment loaded from one has none of its own.
String MimeTypeOf(const TQELAttachment& Attachment)
{
    if (!Attachment.MimeType.empty()) return Attachment.MimeType;
    return TQELAttachments::GetMimetype(Attachment.PhysFile.empty() ? Attachment.FileName : Attachment.PhysFile);
}

void AddPartHeader(TStrings& T, const String& Delimiter, const TQELAttachment& Attachment)
{
    const String name = RemoveLineBreaks(ExtractFileName(Attachment.FileName));
    T.Add(Delimiter);
    AddField(T, "Content-type: " + RemoveLineBreaks(MimeTypeOf(Attachment)) + "; " + EncodeNameParameter("name", name));
    T.Add("Content-Transfer-Encoding: base64");
    AddField(T, "Content-Disposition: inLine; " + EncodeExtendedParameter("filename", name));
    T.Add("");
}

}  // namespace

std::unique_ptr<TStringList> TQELSMTPMail::InitializeMessage(TQELMessage* Message)
{
    const std::unique_ptr<TQELComposedText> text = ComposeMessage(Message);
    return text ? text->Flatten() : nullptr;
}

std::unique_ptr<TQELComposedText> TQELSMTPMail::ComposeMessage(TQELMessage* Message)
{
    // The encode events' handlers may free the message or its attachments.
    const TGuarded<TQELMessage> message(Message);
    auto body = BodyLines(*Message->Message(), Signature());
    const String charset = MakeCharsetTrue(*body);
    DotStuff(*body);

    auto text = std::make_unique<TQELComposedText>();
    TStringList* own = &text->AddOwn();
    const String server = CurrentAccount ? CurrentAccount->SMTPServer : String();
    AddHeaderLines(*own, *Message, CreateUIN(), Application->Title() + " - [" + ClassName() + "]", server);
    std::vector<TGuarded<TQELAttachment>> attachments;
    for (int i = 0; i < Message->Attachments()->Count(); ++i) attachments.emplace_back(Message->Attachments()->Items(i));
    if (attachments.empty()) {
        AddText(*own, "Content-type: Text/Plain; charset=" + charset, *body);
    } else {
        const String boundary = CreateBounds();
        const String delimiter = "--" + boundary;
        own->Add("Content-type: multipart/mixed; boundary=\"" + boundary + "\"");
        own->Add("");
        own->Add(delimiter);
        AddText(*own, "Content-type: Text/Plain; charset: " + charset, *body);
        for (const TGuarded<TQELAttachment>& attachment : attachments) {
            if (attachment.Assigned()) Base64Encode(attachment);
            if (Aborted || !message.Assigned()) return nullptr;
            if (!attachment.Assigned()) continue;  // freed meanwhile: the message goes without it
            AddPartHeader(*own, delimiter, *attachment);
            text->AddShared(attachment->EncodedLines);
            own = &text->AddOwn();
        }
        own->Add("");
        own->Add(delimiter + "--");
        own->Add("");
    }
    Application->ProcessMessages();
    if (Aborted || !message.Assigned()) return nullptr;
    return text;
}

String TQELSMTPMail::CreateUIN()
{
    Word year, month, day, hour, minute, second, msec;
    const TDateTime now = Now();
    DecodeDate(now, year, month, day);
    DecodeTime(now, hour, minute, second, msec);
    return "<qelmsgid0." + ZeroPad(hour, 2) + ZeroPad(minute, 2) + "." + ZeroPad(day, 2) + ZeroPad(month, 2) +
           ZeroPad(year, 4) + RandomLetters(8) + "@" + LocalHostName(ClientSocket.get()) + ">";
}

String TQELSMTPMail::CreateBounds() { return "---QELMAIL" + RandomLetters(12); }

String TQELSMTPMail::GetSMTPDate() { return SMTPDateText(Now(), TimeZoneBias()); }

}  // namespace qel
