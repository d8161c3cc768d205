// TQELMapiMail: building the MAPI records of a message and sending them.
#include "framework/core/SysUtils.h"
#include "mail/mapi/MapiBinding.h"
#include "mail/mapi/MapiMail.h"
#include "mail/model/MailErrors.h"
#include "mail/model/MailStrings.h"

namespace qel {

namespace {

constexpr int MaxRecipientLines = 1000;
constexpr int MaxAttachments = 100;
constexpr size_t MaxResolvedName = 255;
constexpr MAPI_ULONG NoPosition = 0xFFFFFFFFu;

int RecipientLines(const TQELMapiMessage* Mail)
{
    return Mail->RecipientsTo()->Count() + Mail->RecipientsCC()->Count() + Mail->RecipientsBC()->Count();
}

bool Contains(const String& Text, char C)
{
    return Text.find(C) != String::npos;
}

// "[FAX:123]" becomes "FAX:123": the first "]" goes, then the first "[".
String WithoutBrackets(String Line)
{
    Line.erase(Line.find(']'), 1);
    Line.erase(Line.find('['), 1);
    return Line;
}

}  // namespace

uint32_t TQELMapiMail::SendMapi()
{
    CheckMAPI();
    if (!MapiInstalled()) return MAPI_E_FAILURE;
    uint32_t result = SUCCESS_SUCCESS;
    const int count = FMessages->Count();
    // A handler may delete messages; the walk ends with the collection.
    for (int i = 0; i < count && i < FMessages->Count(); ++i) {
        TQELMapiMessage* mail = FMessages->Items(i);
        mail->Sent = false;
        if (BeforeSendMail) BeforeSendMail(this, mail);
        if (RecipientLines(mail) > MaxRecipientLines) return MAPI_E_TOO_MANY_RECIPIENTS;
        if (mail->Attachments()->Count() > MaxAttachments) return MAPI_E_TOO_MANY_FILES;
        RunReported(this, [&] {
            result = SendOne(mail);
            if (result != SUCCESS_SUCCESS) {
                if (OnSendError) OnSendError(this, static_cast<int32_t>(result), mail);
            } else {
                mail->Sent = true;
                if (AfterSendMail) AfterSendMail(this, mail);
            }
        });
    }
    if (DeleteAfterSend) DeleteSentMessages();
    return result;
}

uint32_t TQELMapiMail::SendOne(TQELMapiMessage* Mail)
{
    const int attachments = Mail->Attachments()->Count();
    const String blanks(static_cast<size_t>(attachments), ' ');
    const String text = Mail->Message()->Text() + FSignature->Text();
    TMapiStrings strings;
    TMapiRecipients recipients;
    MapiRecipDesc fax{};
    std::vector<MapiFileDesc> files;
    MapiMessage record{};
    MAPI_FLAGS flags = 0;
    record.lpszSubject = strings.Copy(Mail->Subject);

    if (Mail->SendMethod == ccMail) {
        record.nRecipCount = static_cast<MAPI_ULONG>(RecipientLines(Mail));
        record.lpszNoteText = strings.Copy(blanks + text);
        if (record.nRecipCount > 0) {
            flags = Mail->Dialog ? MAPI_DIALOG : 0;
            recipients = TheRecipients(Mail);
            record.lpRecips = recipients.Entries.data();
        } else {
            // No recipients: the user supplies them in the provider's dialog.
            flags = MAPI_DIALOG;
        }
        files.resize(static_cast<size_t>(attachments), MapiFileDesc{});
        for (int k = 0; k < attachments; ++k) {
            MapiFileDesc& file = files[static_cast<size_t>(k)];
            file.nPosition = NoPosition;
            const String& name = Mail->Attachments()->Items(k)->Filename;
            // A missing file stays listed without path and name; the provider answers for it.
            if (FileExists(name)) {
                file.lpszPathName = strings.Copy(name);
                file.lpszFileName = strings.Copy(ExtractFileName(name));
            }
        }
        record.nFileCount = static_cast<MAPI_ULONG>(attachments);
        record.lpFiles = attachments > 0 ? files.data() : nullptr;
    } else {
        record.lpszNoteText = strings.Copy(blanks + '\r' + text);
        // Without a number there is no recipient: the count says so rather than point at nothing.
        if (!Mail->FaxNumber.empty()) {
            fax.ulRecipClass = MAPI_TO;
            fax.lpszName = strings.Copy(Mail->FaxTo);
            fax.lpszAddress = strings.Copy(QELMailStr::FaxAddressPrefix + Mail->FaxNumber);
            record.nRecipCount = 1;
            record.lpRecips = &fax;
        }
    }
    if (Mail->Receipt) record.flFlags |= MAPI_RECEIPT_REQUESTED;
    return CallMapi(MapiEntries().MAPISendMail, Session, UIParam, &record, flags, MAPI_ULONG(0));
}

TMapiRecipients TQELMapiMail::TheRecipients(TQELMapiMessage* Mail)
{
    std::vector<String> lines;
    lines.reserve(static_cast<size_t>(RecipientLines(Mail)));
    for (const TStrings* list : {Mail->RecipientsTo(), Mail->RecipientsCC(), Mail->RecipientsBC()})
        for (int i = 0; i < list->Count(); ++i) lines.push_back(list->Strings(i));
    const size_t toLines = static_cast<size_t>(Mail->RecipientsTo()->Count());
    const size_t ccLines = static_cast<size_t>(Mail->RecipientsCC()->Count());

    TMapiRecipients table;
    // One entry per line, so that a full table of the largest allowed message fits.
    table.Entries.assign(lines.size(), MapiRecipDesc{});
    const auto resolve = MapiEntries().MAPIResolveName;
    const auto release = MapiEntries().MAPIFreeBuffer;
    for (size_t i = 0; i < lines.size(); ++i) {
        const String& line = lines[i];
        if (line.empty()) continue;
        String name = line.substr(0, MaxResolvedName);
        lpMapiRecipDesc found = nullptr;
        uint32_t r = CallMapi(resolve, Session, UIParam, name.data(), MAPI_FLAGS(0), MAPI_ULONG(0), &found);
        // Let the user pick or confirm in the provider's dialog.
        if (r == MAPI_E_AMBIGUOUS_RECIPIENT || r == MAPI_E_UNKNOWN_RECIPIENT)
            r = CallMapi(resolve, Session, UIParam, name.data(), MAPI_FLAGS(MAPI_DIALOG), MAPI_ULONG(0), &found);
        if (r != SUCCESS_SUCCESS || !found) continue;

        const String resolved = found->lpszName ? found->lpszName : "";
        CallMapi(release, static_cast<void*>(found));
        MapiRecipDesc& entry = table.Entries[i];
        entry.ulRecipClass = i < toLines ? MAPI_TO : i < toLines + ccLines ? MAPI_CC : MAPI_BCC;
        if (Contains(line, '[') && Contains(line, ']') && !Contains(resolved, '[') && !Contains(resolved, ']')) {
            // A bracketed address the provider did not keep goes out as written.
            const String address = WithoutBrackets(line);
            entry.lpszName = table.Strings.Copy(address);
            entry.lpszAddress = table.Strings.Copy(address);
        } else {
            // The provider resolves the display name again when it sends.
            entry.lpszName = table.Strings.Copy(resolved);
        }
    }
    return table;
}

void TQELMapiMail::DeleteSentMessages()
{
    for (int i = 0; i < FMessages->Count();) {
        // A message that could not be freed stays where it is; the walk goes on past it.
        if (!FMessages->Items(i)->Sent || !FMessages->Delete(i)) ++i;
    }
}

}  // namespace qel
