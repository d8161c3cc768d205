#include "mail/smtp/SMTPMail.h"

#include "framework/core/Application.h"
#include "framework/core/Platform.h"
#include "mail/session/MailProgress.h"
#include "mail/model/MailStrings.h"
#include "mail/smtp/SmtpCompose.h"
#include "mail/smtp/SmtpProtocol.h"


namespace qel {

QEL_REGISTER_CLASS(TQELMailHost);
QEL_REGISTER_CLASS(TQELSMTPMail);

namespace {

TQELMailAccount* FirstDefaultAccount(const TQELAccountHolder& Holder)
{
    const TQELMailAccounts* accounts = Holder.Accounts();
    for (int i = 0; accounts && i < accounts->Count(); ++i)
        if (accounts->Items(i)->Default()) return accounts->Items(i);
    return nullptr;
}

}  // namespace

TQELSMTPMail::TQELSMTPMail(TComponent* AOwner)
    : TQELMailHost(AOwner), FSignature(std::make_unique<TStringList>())
{
}

TQELSMTPMail::~TQELSMTPMail() = default;

bool TQELSMTPMail::Execute()
{
    // A call from a handler of the running session must leave that session's state alone.
    if (!SessionRunning()) Connected = false;
    DoBeforeExecute();
    TQELMailAccount* account = AccountInfo() ? FirstDefaultAccount(*AccountInfo()) : nullptr;
    if (!AccountInfo() || (account && account->SMTPServer.empty())) {
        HandleServerResponse("-ERR", QELMailStr::NoAccountInfo, true);
        DoAfterExecute();
        return false;
    }
    bool result = false;
    if (account) {
        if (!SessionRunning()) CurrentAccount = account;
        result = TQELMailHost::Execute();
        // Each message is composed even when the session failed; an exception leaves the rest unsent.
        const auto sendAll = [this] {
            for (int i = 0; i < Messages()->Count(); ++i) SendMessage(Messages()->Items(i));
            return true;
        };
        if (RunSession(account, account->SMTPServer, account->SMTPPort, sendAll) == TSessionEnd::Raised) result = false;
    }
    DoAfterExecute();
    return result;
}

void TQELSMTPMail::StartDialogue()
{
    if (!Connected) return;  // a failed open has been reported
    // S: 220 mail.example ready   (or S: 421 / 554: no service)
    GetSocketText();
    while (LastStatus != "220" && LastStatus != "421" && LastStatus != "554") {
        if (!Connected) return;
        GetSocketText();
        Application->ProcessMessages();
    }
    ReplyError = LastStatus != "220";
    if (ReplyError) {
        HandleError(eeConnect);
        return;
    }
    // C: HELO myhost  S: 250 mail.example
    SendSocketText(SmtpProtocol::Helo(ClientSocket->Socket()->LocalHost()));
    GetSocketText();
    Expect("250", eeConnect);
    Aborted = false;
}

String TQELSMTPMail::GetSocketText()
{
    if (!SessionOpen()) return {};
    // Waits of the account's TimeOut x 100 ms, without limit: only a close or the host ends them.
    SmtpProtocol::TReplyAssembler reply;
    const TReplyEnd end = ReadReply(reply);
    LastStatus = reply.Status();
    LastMessage = reply.Message();
    if (end != TReplyEnd::Complete) {
        // The server hung up mid-reply: end the session with a report rather than wait on.
        if (!Aborted) HandleError(eeReceive);
        return reply.Text();
    }
    if (OnServerMessage) OnServerMessage(this, LastStatus, LastMessage);
    Application->ProcessMessages();
    return reply.Text();
}

bool TQELSMTPMail::SendMessage(TQELMessage* Message)
{
    if (!Message) return false;
    CurrentItemIndex = Message->MessageNumber;
    Message->Date = GetSMTPDate();
    const std::unique_ptr<TQELComposedText> text = ComposeMessage(Message);
    if (Aborted || !text) return false;
    DoOnBeforeSend();
    // C: MAIL FROM:<a@x>  S: 250 OK
    SendSocketText(SmtpProtocol::MailFrom(Message->FromMail));
    GetSocketText();
    if (!Expect("250", eeGeneral) || !SendRecipients(Message->SendTo)) return false;
    // C: DATA  S: 354 Start mail input
    SendSocketText(SmtpProtocol::Data());
    GetSocketText();
    if (!Expect("354", eeGeneral) || !SendText(*text)) return false;
    // C: <CR LF>.<CR LF>  S: 250 OK queued
    SendSocketText(SmtpProtocol::EndOfText());
    GetSocketText();
    if (SendPercent < 100) DoSendProgress(100);
    if (!Expect("250", eeGeneral)) return false;
    if (OnSuccessSend) OnSuccessSend(this);
    if (OnAfterSend) OnAfterSend(this, Message);
    return true;
}

void TQELSMTPMail::SetSignature(TStrings* Value)
{
    if (Value)
        FSignature->Assign(Value);
    else
        FSignature->Clear();
}

void TQELSMTPMail::DoOnBeforeSend()
{
    if (OnBeforeSend) OnBeforeSend(this);
}

void TQELSMTPMail::DoSendProgress(uint16_t Percent)
{
    if (OnSendProgress) OnSendProgress(this, Percent, CurrentItemIndex);
}

bool TQELSMTPMail::Expect(const char* Status, TErrorEvent OnFailure)
{
    // A session already aborted while its reply was awaited has been reported then.
    ReplyError = Aborted || LastStatus != Status;
    if (ReplyError && !Aborted) HandleError(OnFailure);
    return !ReplyError;
}

bool TQELSMTPMail::SendRecipients(const String& SendTo)
{
    for (const String& recipient : SmtpProtocol::SplitRecipients(SendTo)) {
        // C: RCPT TO:<b@y>  S: 250 OK
        SendSocketText(SmtpProtocol::RcptTo(recipient));
        GetSocketText();
        if (!Expect("250", eeGeneral)) return false;
    }
    return true;
}

bool TQELSMTPMail::SendText(const TQELComposedText& Text)
{
    TProgressThreshold threshold(CurrentAccount ? CurrentAccount->ProgressStep() : 0);
    const int count = Text.Count();
    // Without a pause, lines go out in blocks: one write per line would cost a system call each.
    constexpr size_t BlockSize = 64 * 1024;
    String pending;
    pending.reserve(BlockSize + 1024);
    int sent = 0;
    const bool completed = Text.ForEachLine([&](const String& Line) {
        pending += SmtpProtocol::TextLine(Line);
        if (FLinePause > 0 || pending.size() >= BlockSize) {
            SendSocketText(pending);
            pending.clear();
        }
        // Of the lines sent before this one: the last line reports below 100, the end of text 100.
        SendPercent = ProgressPercent(sent++, count);
        if (threshold.Reached(SendPercent)) DoSendProgress(SendPercent);
        Application->ProcessMessages();
        if (Aborted) return false;
        if (FLinePause > 0) Sleep(FLinePause);
        return true;
    });
    if (!completed) return false;
    if (!pending.empty()) SendSocketText(pending);
    return true;
}

}  // namespace qel
