// The retrieved message parser: header fields by fixed columns, the duplicate check on the
// Message-ID, single-part bodies with their UU blocks, and multipart splitting.
#include "framework/core/SysUtils.h"
#include "mail/codec/MailDecoders.h"
#include "mail/pop/POPMail.h"
#include "mail/model/MailStrings.h"

#include <algorithm>
#include <iterator>
#include <span>
#include <utility>
#include <vector>

namespace qel {

namespace {

using TLines = std::vector<String>;
using TLineSpan = std::span<const String>;
using TLineRange = std::span<String>;  // lines that may be moved on

// ---------------------------------------------------------------- searching lines

// Walks the lines from 0 and stops at the first match; Index ends at the hit, or at the count
// when there is none. An empty list leaves Index alone.
template <typename TLineAt, typename TMatch>
bool FindFirstLine(int32_t Count, TLineAt&& LineAt, TMatch&& Match, int32_t& Index)
{
    if (Count <= 0) return false;
    for (Index = 0; Index < Count; ++Index)
        if (Match(LineAt(Index))) return true;
    return false;
}

char AsciiUpper(char C) { return (C >= 'a' && C <= 'z') ? static_cast<char>(C - ('a' - 'A')) : C; }

// Key is given in upper case, so folding the line alone is enough.
bool BeginsWithUpper(const String& Line, const String& Key)
{
    if (Line.size() < Key.size()) return false;
    for (size_t i = 0; i < Key.size(); ++i)
        if (AsciiUpper(Line[i]) != Key[i]) return false;
    return true;
}

// Position (from 1) of Key in the upper-cased Line, 0 when absent.
int32_t UpperPosition(const String& Line, const String& Key)
{
    const size_t at = UpperCase(Line).find(Key);
    return at == String::npos ? 0 : static_cast<int32_t>(at + 1);
}

bool FindHeader(TLineSpan Lines, const String& Key, int32_t& Index)
{
    const auto at = [&](int32_t i) -> const String& { return Lines[static_cast<size_t>(i)]; };
    return FindFirstLine(static_cast<int32_t>(Lines.size()), at,
                         [&](const String& Line) { return BeginsWithUpper(Line, Key); }, Index);
}

bool FindUpper(TLineSpan Lines, const String& Key, int32_t& Index, int32_t& Column)
{
    const auto at = [&](int32_t i) -> const String& { return Lines[static_cast<size_t>(i)]; };
    int32_t column = 0;
    const bool found = FindFirstLine(
        static_cast<int32_t>(Lines.size()), at,
        [&](const String& Line) { return (column = UpperPosition(Line, Key)) > 0; }, Index);
    if (!Lines.empty()) Column = column;
    return found;
}

// ---------------------------------------------------------------- cutting values

// Count characters from Column (from 1); a cut past the end of the text gives what is there.
String Cut(const String& Text, size_t Column, size_t Count = String::npos)
{
    return Column - 1 < Text.size() ? Text.substr(Column - 1, Count) : String();
}

String Without(String Text, char C)
{
    Text.erase(std::remove(Text.begin(), Text.end(), C), Text.end());
    return Text;
}

bool IsBlankLine(const String& Line)
{
    return std::all_of(Line.begin(), Line.end(), [](char c) { return static_cast<uint8_t>(c) <= ' '; });
}

// The text between the first "<" and the first ">", empty when no ">" comes after the "<".
String Bracketed(const String& Text)
{
    const size_t open = Text.find('<');
    const size_t close = Text.find('>');
    return close == String::npos || close < open ? String() : Text.substr(open + 1, close - open - 1);
}

// No received name may reach outside the folder a host saves it into.
String CleanFileName(String Name)
{
    for (const char c : String("\\/:*?\"<>|")) Name = Without(std::move(Name), c);
    return Name.empty() ? String("_Cosa_") : Name;
}

// The value of the first header line beginning with Key, Count characters from Column.
bool HeaderValue(TLineSpan Header, const String& Key, size_t Column, size_t Count, String& Value,
                 int32_t* Line = nullptr)
{
    int32_t index = 0;
    if (!FindHeader(Header, Key, index)) return false;
    Value = Cut(Header[static_cast<size_t>(index)], Column, Count);
    if (Line) *Line = index;
    return true;
}

// Lines after a header line that begin with a blank carry on its value.
String ContinuationOf(TLineSpan Header, int32_t Line, const String& Separator)
{
    String joined;
    for (size_t i = static_cast<size_t>(Line) + 1; i < Header.size() && !Header[i].empty() && Header[i][0] == ' '; ++i)
        joined += Separator + Trim(Header[i]);
    return joined;
}

String ContentTypeOf(TLineSpan Header)
{
    String type;
    if (!HeaderValue(Header, "CONTENT-TYPE:", 15, 72, type)) return String();
    type = UpperCase(Trim(type));
    return type.substr(0, type.find(';'));
}

// ---------------------------------------------------------------- header fields

void ReadFrom(TQELMessage& Message, TLineSpan Header)
{
    Message.FromMail = Header.empty() ? String() : Cut(Header[0], 6, 72);
    int32_t line = 0;
    String from;
    if (!HeaderValue(Header, "FROM:", 7, 127, from, &line)) return;
    from = Trim(from) + ContinuationOf(Header, line, "");
    if (from.find('<') != String::npos) {
        Message.FromName = Without(from.substr(0, from.find('<')), '"');
        from = Bracketed(from);
    } else {
        Message.FromName = from;
    }
    Message.FromMail = Without(from, ' ');
}

void ReadOtherFields(TQELMessage& Message, TLineSpan Header)
{
    String value;
    if (HeaderValue(Header, "IN-REPLY-TO:", 14, 127, value)) Message.InReplyTo = Trim(value);
    int32_t line = 0;
    if (HeaderValue(Header, "REPLY-TO:", 11, 127, value, &line))
        Message.ReplyTo = value + ContinuationOf(Header, line, "");
    else
        Message.ReplyTo = Message.FromMail;
    if (HeaderValue(Header, "TO:", 5, String::npos, value, &line)) {
        value = Trim(value) + ContinuationOf(Header, line, " ");
        if (value.find('<') != String::npos) value = Bracketed(value);
        Message.SendTo = Without(value, ' ');
    }
    if (HeaderValue(Header, "DATE:", 7, 72, value)) Message.Date = Trim(value);
    if (HeaderValue(Header, "SUBJECT:", 10, String::npos, value)) Message.Subject = Trim(value);
}

// ---------------------------------------------------------------- message text

// Header and body stay in the one vector of lines they came in: a large message is held once,
// and its lines are moved only to where they end up.
struct TRetrievedText {
    TLines Lines;
    size_t BodyStart = 0;  // the header runs up to and including the first empty line

    TLineSpan Header() const { return TLineSpan(Lines).first(BodyStart); }
    TLineRange Body() { return TLineRange(Lines).subspan(BodyStart); }
    // The body as a vector of its own; the header is gone afterwards.
    TLines TakeBody()
    {
        Lines.erase(Lines.begin(), Lines.begin() + static_cast<std::ptrdiff_t>(std::exchange(BodyStart, 0)));
        return std::move(Lines);
    }
};

TRetrievedText SplitText(TLines&& Lines)
{
    TRetrievedText text{std::move(Lines)};
    const auto empty = std::find_if(text.Lines.begin(), text.Lines.end(), [](const String& l) { return l.empty(); });
    text.BodyStart = empty == text.Lines.end() ? 0 : static_cast<size_t>(empty - text.Lines.begin()) + 1;
    for (String& line : text.Body())
        if (line.size() > 1 && line[0] == '.') line.erase(0, 1);
    return text;
}

void AddLines(TStrings& Target, TLineSpan Lines)
{
    Target.BeginUpdate();
    for (const String& line : Lines) Target.Add(line);
    Target.EndUpdate();
}

bool IsSinglePart(const String& ContentType)
{
    return ContentType.empty() || ContentType.find("TEXT") != String::npos || ContentType == "MULTIPART/REPORT" ||
           ContentType.find("MESSAGE") != String::npos;
}

// ---------------------------------------------------------------- single part

bool IsEndLine(const String& Line)
{
    const auto blank = [](char c) { return static_cast<uint8_t>(c) <= ' '; };
    const auto first = std::find_if_not(Line.begin(), Line.end(), blank);
    const auto last = std::find_if_not(Line.rbegin(), Line.rend(), blank).base();
    return last - first == 3 && LowerCase(String(first, last)) == "end";
}

// Takes every UU block out of Body as an attachment; each block's "end" line stays behind.
void TakeUUBlocks(TQELPOPMail& Mail, TQELMessage& Message, TLines& Body)
{
    TLines kept;
    kept.reserve(Body.size());
    String name;
    for (size_t i = 0; i < Body.size();) {
        if (!TUUBeginFinder::IsBeginLine(Body[i], name)) {
            kept.push_back(std::move(Body[i++]));
            continue;
        }
        TLines block;
        for (; i < Body.size() && (block.empty() || !IsEndLine(Body[i])); ++i)
            if (!Body[i].empty()) block.push_back(std::move(Body[i]));
        TQELAttachment* attachment = Message.Attachments()->Add(CleanFileName(name));
        attachment->EncodedLines->AddMoved(block);
        Mail.UUDecode(attachment);
    }
    Body = std::move(kept);
}

// ---------------------------------------------------------------- multipart

String BoundaryOf(const String& Line, int32_t Column)
{
    String boundary = Trim(Cut(Line, static_cast<size_t>(Column) + 9, 72));
    if (boundary.empty() || boundary[0] != '"') return boundary;
    boundary.erase(0, 1);
    const size_t close = boundary.find('"');
    if (close != String::npos) boundary.erase(close, 32);
    return boundary;
}

// The parts between the first delimiter line (at First) and the closing one or the body's end,
// each the run of Body's lines it holds.
std::vector<TLineRange> SplitParts(TLineRange Body, size_t First, const String& Delimiter)
{
    const String closing = Delimiter + "--";
    std::vector<TLineRange> parts;
    size_t start = First + 1, i = First + 1;
    for (; i < Body.size(); ++i) {
        if (Body[i] == closing) break;
        if (Body[i] != Delimiter) continue;
        parts.push_back(Body.subspan(start, i - start));
        start = i + 1;
        // The line after a delimiter always opens the new part, whatever it holds.
        if (start < Body.size()) ++i;
    }
    parts.push_back(Body.subspan(start, i - start));
    return parts;
}

String PartName(TLineSpan Header)
{
    int32_t index = 0, column = 0;
    String name;
    if (FindUpper(Header, "FILENAME=", index, column))
        name = Trim(Cut(Header[static_cast<size_t>(index)], static_cast<size_t>(column) + 9, 127));
    else if (FindUpper(Header, "NAME=", index, column))
        name = Trim(Cut(Header[static_cast<size_t>(index)], static_cast<size_t>(column) + 5, 127));
    if (!name.empty() && name[0] == '"') name = name.size() > 1 ? name.substr(1, name.size() - 2) : String();
    return name;
}

// Index of the first line of an attachment's data: past the part header and the blank lines
// that encoded data may start with, or past exactly one line for raw data.
size_t AttachmentDataStart(TLineSpan Part, bool Encoded)
{
    size_t i = 0;
    while (i < Part.size() && !IsBlankLine(Part[i])) ++i;
    if (!Encoded) return std::min(i + 1, Part.size());
    while (i < Part.size() && IsBlankLine(Part[i])) ++i;
    return i;
}

void DoPartHeader(TQELPOPMail& Mail, TQELAttachment* Attachment, TLineSpan Header)
{
    if (!Mail.OnPartHeader) return;
    String text;
    for (const String& line : Header) text.append(line).append("\r\n");
    Mail.OnPartHeader(&Mail, Attachment, text);
}

// Part's encoded lines move into the attachment: Part is spent afterwards.
void TakeAttachment(TQELPOPMail& Mail, TQELMessage& Message, TLineRange Part, TLineSpan Header,
                    const String& Encoding, const String& ContentType, String Name)
{
    if (Name.empty()) Name = Trim(Message.Subject);
    Name = CleanFileName(std::move(Name));
    if (ContentType == "TEXT/HTML") Name += ".html";
    TQELAttachment* attachment = Message.Attachments()->Add(Name);
    DoPartHeader(Mail, attachment, Header);
    const bool base64 = Encoding == "BASE64", uu = Encoding == "X-UUENCODE";
    const size_t start = AttachmentDataStart(Part, base64 || uu);
    if (base64 || uu) {
        attachment->EncodedLines->AddMoved(Part.subspan(start));
        if (base64)
            Mail.Base64Decode(attachment);
        else
            Mail.UUDecode(attachment);
        return;
    }
    const TLineSpan data = TLineSpan(Part).subspan(start);
    // The blank line before the next delimiter goes; a last line with text is content, kept.
    const size_t keep = !data.empty() && data.back().empty() ? data.size() - 1 : data.size();
    size_t bytes = 0;
    for (const String& line : data.first(keep)) bytes += line.size() + 2;
    String raw;
    raw.reserve(bytes);
    for (const String& line : data.first(keep)) raw.append(line).append("\r\n");
    attachment->Content->WriteString(raw);
}

void TakePart(TQELPOPMail& Mail, TQELMessage& Message, TLineRange Part)
{
    const size_t blank = static_cast<size_t>(std::find(Part.begin(), Part.end(), String()) - Part.begin());
    const TLineSpan header(Part.data(), blank);
    String encoding;
    if (HeaderValue(header, "CONTENT-TRANSFER-ENCODING:", 28, 20, encoding)) encoding = UpperCase(Trim(encoding));
    const String type = ContentTypeOf(header);
    const String name = PartName(header);
    if (encoding != "BASE64" && encoding != "X-UUENCODE" && name.empty() && type != "TEXT/HTML") {
        if (blank < Part.size()) AddLines(*Message.Message(), TLineSpan(Part).subspan(blank + 1));
        return;
    }
    TakeAttachment(Mail, Message, Part, header, encoding, type, name);
}

void ReportInvalidFormat(TQELPOPMail& Mail)
{
    Mail.HandleServerResponse("-ERR", QELMailStr::InvalidMessageFormat, true);
}

// A message whose parts cannot be found keeps its header fields and an empty body.
void TakeMultipart(TQELPOPMail& Mail, TQELMessage& Message, TLineSpan Header, TLineRange Body, bool HeaderOnly)
{
    int32_t index = 0, column = 0;
    if (!FindUpper(Header, "BOUNDARY=", index, column)) return ReportInvalidFormat(Mail);
    const String delimiter = "--" + BoundaryOf(Header[static_cast<size_t>(index)], column);
    if (HeaderOnly) return;
    const auto first = std::find_if(Body.begin(), Body.end(),
                                    [&](const String& Line) { return Line.find(delimiter) != String::npos; });
    if (first == Body.end()) return ReportInvalidFormat(Mail);
    for (const TLineRange part : SplitParts(Body, static_cast<size_t>(first - Body.begin()), delimiter))
        TakePart(Mail, Message, part);
}

}  // namespace

// ---------------------------------------------------------------- TQELPOPMail

bool TQELPOPMail::FindInHeaders(const String& Key, TStrings* Lines, int32_t& Index)
{
    if (!Lines) return false;
    return FindFirstLine(Lines->Count(), [&](int32_t i) { return Lines->Get(i); },
                         [&](const String& Line) { return BeginsWithUpper(Line, Key); }, Index);
}

bool TQELPOPMail::FindInStringList(const String& Key, TStrings* Lines, int32_t& Index, int32_t& Column)
{
    if (!Lines || Lines->Count() == 0) return false;
    Column = 0;
    return FindFirstLine(Lines->Count(), [&](int32_t i) { return Lines->Get(i); },
                         [&](const String& Line) { return (Column = UpperPosition(Line, Key)) > 0; }, Index);
}

bool TQELPOPMail::FindInStringListCS(const String& Key, TStrings* Lines, int32_t& Index, int32_t& /*Column*/)
{
    if (!Lines) return false;
    return FindFirstLine(Lines->Count(), [&](int32_t i) { return Lines->Get(i); },
                         [&](const String& Line) { return Line.find(Key) != String::npos; }, Index);
}

void TQELPOPMail::ParseRetrievedMessage(uint16_t Number, TStringList& Lines, bool HeaderOnly)
{
    ParseRetrievedMessage(Number, Lines.ToVector(), HeaderOnly);
}

void TQELPOPMail::ParseRetrievedMessage(uint16_t Number, std::vector<String>&& Lines, bool HeaderOnly)
{
    TQELMessage* message = Messages()->Add();
    message->Account = CurrentAccount;
    message->MessageNumber = Number;
    if (const auto uid = FUids.find(Number); uid != FUids.end()) message->UID = uid->second;
    TRetrievedText text = SplitText(std::move(Lines));
    const TLineSpan header = text.Header();
    ReadFrom(*message, header);
    String id;
    if (HeaderValue(header, "MESSAGE-ID:", 13, 127, id)) message->MessageId = Trim(id);
    // Messages without a Message-ID are all different: none of them is a duplicate of another.
    if (!message->MessageId.empty() && ReceivedIds->IndexOf(message->MessageId) >= 0) {
        // Freed past TQELMessages::Delete, which would forget the held message's Message-ID.
        Messages()->TCollection::Delete(message->Index());
        FRetrieved = TRetrieved::Duplicate;
        NoteSeen(Number);  // the host holds its text already
        return;
    }
    if (!message->MessageId.empty()) ReceivedIds->Add(message->MessageId);
    ReadOtherFields(*message, header);
    if (IsSinglePart(ContentTypeOf(header))) {
        TLines body = text.TakeBody();
        TakeUUBlocks(*this, *message, body);
        AddLines(*message->Message(), body);
    } else {
        TakeMultipart(*this, *message, header, text.Body(), HeaderOnly);
    }
    FRetrieved = TRetrieved::Handed;
    if (AfterRetrieve) AfterRetrieve(this, message);
    NoteSeen(Number);
}

void TQELPOPMail::MessageDeleting(TQELMessage* Message)
{
    if (!Message || !ReceivedIds || FKeepingId || Message->MessageId.empty()) return;
    const int index = ReceivedIds->IndexOf(Message->MessageId);
    if (index >= 0) ReceivedIds->Delete(index);
}

bool TQELPOPMail::ReleaseMessage(int32_t Index)
{
    FKeepingId = true;
    const bool deleted = Messages()->Delete(Index);
    FKeepingId = false;
    return deleted;
}

}  // namespace qel
