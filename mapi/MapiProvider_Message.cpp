// From a MapiMessage record to RFC 5322 text for sendmail.
#include "framework/core/Platform.h"
#include "framework/core/SysUtils.h"
#include "mapi/MapiProvider.h"

#include <QByteArray>
#include <QMimeDatabase>
#include <QMimeType>
#include <QString>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <random>
#include <unistd.h>

namespace qel::mapiprovider {

namespace {

String Str(const char* S)
{
    return S ? String(S) : String();
}

bool StartsWithText(const String& S, const String& Prefix)
{
    return S.size() >= Prefix.size() && SameText(S.substr(0, Prefix.size()), Prefix);
}

bool IsAscii(const String& S)
{
    for (unsigned char C : S)
        if (C >= 0x80 || (C < 0x20 && C != '\t'))
            return false;
    return true;
}

// RFC 2047 keeps non-ASCII header text intact through 7-bit transports. An encoded word
// may not exceed 75 characters, and must not split a UTF-8 sequence, hence the chunks.
String EncodeWord(const String& S)
{
    if (IsAscii(S))
        return S;
    String Words;
    for (size_t Start = 0; Start < S.size();) {
        size_t End = std::min(S.size(), Start + 45);
        while (End < S.size() && End > Start + 1 && (static_cast<unsigned char>(S[End]) & 0xC0) == 0x80)
            --End;
        QByteArray B64 = QByteArray(S.data() + Start, qsizetype(End - Start)).toBase64();
        Words += (Words.empty() ? "" : "\n ") + ("=?UTF-8?B?" + B64.toStdString() + "?=");
        Start = End;
    }
    return Words;
}

String Mailbox(const TRecipient& R)
{
    if (R.Name.empty() || R.Name == R.Address)
        return "<" + R.Address + ">";
    if (!IsAscii(R.Name))
        return EncodeWord(R.Name) + " <" + R.Address + ">";
    String Quoted;
    for (char C : R.Name) {
        if (C == '"' || C == '\\')
            Quoted += '\\';
        Quoted += C;
    }
    return "\"" + Quoted + "\" <" + R.Address + ">";
}

String AddressList(const TOutgoing& Out, MAPI_ULONG Class)
{
    String List;
    for (const TRecipient& R : Out.Recipients)
        if (R.Class == Class)
            List += (List.empty() ? "" : ",\n ") + Mailbox(R);
    return List;
}

String HostName()
{
    String Name = LocalHostName();
    return Name.empty() ? "localhost" : Name;
}

String DateHeader()
{
    std::time_t Now = std::time(nullptr);
    std::tm Local{};
    localtime_r(&Now, &Local);
    char Buffer[64];
    // %a and %b would follow the locale; RFC 5322 wants the English names.
    static const char* const Days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const Months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::strftime(Buffer, sizeof(Buffer), " %Y %H:%M:%S %z", &Local);
    return String(Days[Local.tm_wday]) + ", " + IntToStr(Local.tm_mday) + " " +
           Months[Local.tm_mon] + Buffer;
}

String UniqueToken()
{
    static std::mt19937_64 Engine{std::random_device{}()};
    return IntToHex(uint64_t(std::time(nullptr)), 8) + "." + IntToHex(Engine(), 16);
}

String NormaliseBody(const String& Text)
{
    String Body;
    for (size_t I = 0; I < Text.size(); ++I) {
        if (Text[I] == '\r' && I + 1 < Text.size() && Text[I + 1] == '\n')
            continue;
        Body += Text[I] == '\r' ? '\n' : Text[I];
    }
    if (Body.empty() || Body.back() != '\n')
        Body += '\n';
    return Body;
}

String TextPart(const TOutgoing& Out)
{
    return "Content-Type: text/plain; charset=UTF-8\nContent-Transfer-Encoding: 8bit\n\n" +
           NormaliseBody(Out.Body);
}

String AttachmentPart(const TAttachment& A)
{
    QMimeDatabase Db;
    String Type = Db.mimeTypeForFile(QString::fromStdString(A.FileName), QMimeDatabase::MatchExtension)
                      .name()
                      .toStdString();
    bool Plain = IsAscii(A.FileName) && A.FileName.find_first_of("\"\\") == String::npos;
    String Name = Plain ? "\"" + A.FileName + "\"" : EncodeWord(A.FileName);
    String Part = "Content-Type: " + Type + "; name=" + Name +
                  "\nContent-Transfer-Encoding: base64\nContent-Disposition: attachment; filename=" +
                  Name + "\n\n";
    QByteArray B64 = QByteArray(A.Data.data(), qsizetype(A.Data.size())).toBase64();
    for (qsizetype I = 0; I < B64.size(); I += 76)
        Part += B64.mid(I, 76).toStdString() + "\n";
    return Part;
}

MAPI_ULONG ReadAttachment(const MapiFileDesc& File, TAttachment& A)
{
    String Path = Str(File.lpszPathName);
    std::ifstream In(Path, std::ios::binary);
    if (Path.empty() || !FileExists(Path) || !In) {
        SetLastError("cannot read the attachment file '" + Path + "'");
        return MAPI_E_ATTACHMENT_NOT_FOUND;
    }
    A.Data.assign(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
    A.FileName = Str(File.lpszFileName);
    if (A.FileName.empty())
        A.FileName = ExtractFileName(Path);
    return SUCCESS_SUCCESS;
}

}  // namespace

MAPI_ULONG RecipientAddress(const MapiRecipDesc& Recip, const TProfile& Profile, String& Address)
{
    String Raw = Str(Recip.lpszAddress);
    if (Raw.empty())
        Raw = Str(Recip.lpszName);
    if (StartsWithText(Raw, "SMTP:"))
        Raw = Raw.substr(5);
    if (StartsWithText(Raw, "FAX:")) {
        // Only a mail-to-fax gateway can carry a fax number.
        if (Profile.FaxGateway.empty()) {
            SetLastError("profile '" + Profile.Name + "' has no FaxGateway for the fax recipient '" + Raw + "'");
            return MAPI_E_UNKNOWN_RECIPIENT;
        }
        String Number;
        for (char C : Raw.substr(4))
            if ((C >= '0' && C <= '9') || (C == '+' && Number.empty()))
                Number += C;
        if (Number.empty())
            return MAPI_E_UNKNOWN_RECIPIENT;
        Address = Number + "@" + Profile.FaxGateway;
        return SUCCESS_SUCCESS;
    }
    Raw = Trim(Raw);
    if (Raw.empty())
        return MAPI_E_UNKNOWN_RECIPIENT;
    // Without "@" it is a name for the book, and book names may hold blanks.
    if (Raw.find('@') == String::npos) {
        String Found;
        if (MAPI_ULONG Result = ResolveInBook(Profile.AddressBook, Raw, Found, Address))
            return Result;
        Raw = Address;
    }
    // Anything that could end or split a header line is no deliverable address.
    if (Raw.find_first_of(HeaderBreakers) != String::npos)
        return MAPI_E_UNKNOWN_RECIPIENT;
    Address = Raw;
    return SUCCESS_SUCCESS;
}

MAPI_ULONG ReadMessage(const MapiMessage& Message, const TProfile& Profile, TOutgoing& Out)
{
    const char* User = std::getenv("USER");
    Out.From = Profile.From.empty() ? String(User && *User ? User : "nobody") + "@" + HostName()
                                    : Profile.From;
    Out.Subject = Str(Message.lpszSubject);
    Out.Body = Str(Message.lpszNoteText);
    Out.ReceiptRequested = (Message.flFlags & MAPI_RECEIPT_REQUESTED) != 0;
    if (Message.nRecipCount > 0 && !Message.lpRecips)
        return MAPI_E_FAILURE;
    for (MAPI_ULONG I = 0; I < Message.nRecipCount; ++I) {
        const MapiRecipDesc& Recip = Message.lpRecips[I];
        if (Recip.ulRecipClass < MAPI_TO || Recip.ulRecipClass > MAPI_BCC)
            return MAPI_E_BAD_RECIPTYPE;
        TRecipient R{Recip.ulRecipClass, Str(Recip.lpszName), String()};
        if (MAPI_ULONG Result = RecipientAddress(Recip, Profile, R.Address)) {
            if (LastError().empty()) SetLastError("cannot resolve the recipient '" + Str(Recip.lpszName) + "'");
            return Result;
        }
        Out.Recipients.push_back(R);
    }
    if (Out.Recipients.empty()) {
        SetLastError("the message has no recipient");
        return MAPI_E_UNKNOWN_RECIPIENT;
    }
    if (Message.nFileCount > 0 && !Message.lpFiles)
        return MAPI_E_FAILURE;
    for (MAPI_ULONG I = 0; I < Message.nFileCount; ++I) {
        TAttachment A;
        if (MAPI_ULONG Result = ReadAttachment(Message.lpFiles[I], A))
            return Result;
        Out.Attachments.push_back(std::move(A));
    }
    return SUCCESS_SUCCESS;
}

String ComposeMessage(const TOutgoing& Out)
{
    String Text = "From: " + Out.From + "\n";
    static const std::pair<const char*, MAPI_ULONG> Lists[] = {
        {"To", MAPI_TO}, {"Cc", MAPI_CC}, {"Bcc", MAPI_BCC}};
    // sendmail -t takes the envelope from these headers and removes Bcc before sending.
    for (const auto& [Header, Class] : Lists) {
        String List = AddressList(Out, Class);
        if (!List.empty())
            Text += String(Header) + ": " + List + "\n";
    }
    Text += "Subject: " + EncodeWord(Out.Subject) + "\nDate: " + DateHeader() + "\n";
    Text += "Message-ID: <" + UniqueToken() + "@" + HostName() + ">\n";
    if (Out.ReceiptRequested)
        Text += "Disposition-Notification-To: " + Out.From + "\n";
    Text += "MIME-Version: 1.0\n";
    if (Out.Attachments.empty())
        return Text + TextPart(Out);
    String Boundary = "=_qel_" + UniqueToken();
    Text += "Content-Type: multipart/mixed; boundary=\"" + Boundary + "\"\n\n";
    // The line break before a delimiter belongs to it, so each part keeps its own last one.
    Text += "--" + Boundary + "\n" + TextPart(Out);
    for (const TAttachment& A : Out.Attachments)
        Text += "\n--" + Boundary + "\n" + AttachmentPart(A);
    return Text + "\n--" + Boundary + "--\n";
}

}  // namespace qel::mapiprovider
