// libFuzzer entry: any bytes as the lines of a retrieved message, through the parser and the
// decoders. Beyond the sanitizers' checks it traps when a received name could leave its folder.
#include "mail/codec/MailDecoders.h"
#include "mail/QELTIEmails.h"

#include <cstddef>
#include <cstdint>

using namespace qel;

namespace {

void Check(bool Condition)
{
    if (!Condition) __builtin_trap();
}

void CheckAttachments(const TQELMessages& Messages)
{
    for (int i = 0; i < Messages.Count(); ++i) {
        const TQELAttachments* list = Messages.Items(i)->Attachments();
        for (int k = 0; k < list->Count(); ++k) {
            const String& name = list->Items(k)->FileName;
            Check(!name.empty() && name.find_first_of("\\/:") == String::npos);
        }
    }
}

// The decoders on their own, each line of the input as encoded text.
void FeedDecoders(const TStringList& Lines)
{
    TBase64GroupDecoder base64;
    String bytes, name;
    for (int i = 0; i < Lines.Count(); ++i) {
        const String line = Lines.Get(i);
        bytes.resize(TBase64GroupDecoder::MaxBytesFor(line.size()));
        size_t groups = 0, bad = 0;
        Check(base64.Decode(line, reinterpret_cast<uint8_t*>(bytes.data()), groups) <= 3 * groups);
        uint8_t uu[TUULineDecoder::MaxBytes];
        Check(TUULineDecoder::Decode(line, uu, bad) <= TUULineDecoder::MaxBytes);
        if (TUUBeginFinder::IsBeginLine(line, name)) Check(name.size() <= TUUBeginFinder::NameLength);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    if (Size == 0) return 0;
    TQELAccountHolder holder(nullptr);
    TQELPOPMail mail(nullptr);
    TQELMailAccount* account = holder.Accounts()->Add();
    // The first byte picks the settings, so both reading modes and odd steps get their turn.
    account->SetProgressStep(1 + Data[0] % 100);
    account->HeaderOnly = (Data[0] & 0x80) != 0;
    mail.SetAccountInfo(&holder);
    mail.CurrentAccount = account;
    int afterRetrieve = 0;
    mail.AfterRetrieve = [&](TObject*, TQELMessage* Message) {
        Check(Message && Message->Collection() == mail.Messages());
        ++afterRetrieve;
    };
    mail.OnDecodeProgress = [](TObject*, uint16_t Percent, int32_t) { Check(Percent <= 100); };

    TStringList lines;
    lines.SetText(String(reinterpret_cast<const char*>(Data + 1), Size - 1));
    mail.ParseRetrievedMessage(1, lines, account->HeaderOnly);
    Check(mail.Messages()->Count() == 1 && afterRetrieve == 1);
    // The same Message-ID is dropped again; without one, a message is never a duplicate.
    const int copies = mail.Messages()->Items(0)->MessageId.empty() ? 2 : 1;
    mail.ParseRetrievedMessage(2, lines, account->HeaderOnly);
    Check(mail.Messages()->Count() == copies && afterRetrieve == copies);
    CheckAttachments(*mail.Messages());
    while (mail.Messages()->Count() > 0) Check(mail.Messages()->Delete(0));
    Check(mail.ReceivedIds->Count() == 0);

    FeedDecoders(lines);
    int32_t index = 0, column = 0;
    TQELPOPMail::FindInHeaders("FROM:", &lines, index);
    TQELPOPMail::FindInStringList("BOUNDARY=", &lines, index, column);
    TQELPOPMail::FindInStringListCS("--", &lines, index, column);
    return 0;
}
