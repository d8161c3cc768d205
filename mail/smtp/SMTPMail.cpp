#include "mail/smtp/SMTPMail.h"

#include "framework/core/Application.h"
#include "mail/session/MailProgress.h"
#include "mail/model/MailStrings.h"
#include "mail/smtp/SmtpCompose.h"
#include "mail/smtp/SmtpProtocol.h"

#include <chrono>
#include <thread>

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

bool SessionOpen(const TQELMailHost& Host)
{
    return Host.ClientSocket && Host.ClientSocket->Active() && Host.SocketStream;
}

// Waits until bytes (or the server's close) can be read, servicing the queue between empty waits;
// false once the connection is gone, whoever closed it.
bool WaitForBytes(TQELMailHost& Host, int32_t WaitMs)
{
    while (SessionOpen(Host) && !Host.SocketStream->WaitForData(WaitMs))
        Application->ProcessMessages();
    return SessionOpen(Host);
}

}  // namespace

TQELSMTPMail::TQELSMTPMail(TComponent* AOwner)
    : TQELMailHost(AOwner), FSignature(std::make_unique<TStringList>())
{
    Busy = false;
}

TQELSMTPMail::~TQELSMTPMail() = default;

bool TQELSMTPMail::Execute()
{
    // A call from a handler of the running session must leave that session's state alone.
    if (!Busy) Connected = false;
    DoBeforeExecute();
    TQELMailAccount* account = AccountInfo() ? FirstDefaultAccount(*AccountInfo()) : nullptr;
    if (!AccountInfo() || (account && account->SMTPServer.empty())) {
        HandleServerResponse("-ERR", QELMailStr::NoAccountInfo, true);
        DoAfterExecute();
        return false;
    }
    bool result = false;
    if (account) {
        if (!Busy) CurrentAccount = account;
        result = TQELMailHost::Execute();
    }
    if (account && !Busy) {
        Busy = true;
        try {
            CreateClientSocket();
            Connect(account->SMTPServer, account->SMTPPort, account->TimeOut());
            for (int i = 0; i < Messages()->Count(); ++i) SendMessage(Messages()->Items(i));
            Disconnect();
            Busy = false;
            ReleaseClientSocket();
        } catch (...) {
            // Dropped without QUIT; the messages not sent yet stay unsent.
            Application->HandleException(this);
            result = false;
            ReleaseClientSocket();
            Connected = false;  // else a later Disconnect would judge a QUIT that was never sent
            Busy = false;
        }
    }
    DoAfterExecute();
    return result;
}

void TQELSMTPMail::Connect(const String& Host, int32_t Port, int32_t TimeOut)
{
    // An abort of an earlier run must not pass for one of this session.
    Aborted = false;
    TQELMailHost::Connect(Host, Port, TimeOut);
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
    if (!SessionOpen(*this)) return {};
    const int32_t waitMs = SocketStream->TimeOut();  // the account's TimeOut x 100 ms, set by Connect
    SmtpProtocol::TReplyAssembler reply;
    char buffer[1024];
    while (!reply.Complete()) {
        const int n = WaitForBytes(*this, waitMs) ? SocketStream->Read(buffer, sizeof buffer) : 0;
        if (n > 0) {
            reply.Feed({buffer, static_cast<size_t>(n)});
        } else if (!SessionOpen(*this)) {
            // The server hung up mid-reply: end the session with a report rather than wait on.
            LastStatus = reply.Status();
            LastMessage = reply.Message();
            if (!Aborted) HandleError(eeReceive);
            return reply.Text();
        }
    }
    LastStatus = reply.Status();
    LastMessage = reply.Message();
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
        if (FLinePause > 0) std::this_thread::sleep_for(std::chrono::milliseconds(FLinePause));
        return true;
    });
    if (!completed) return false;
    if (!pending.empty()) SendSocketText(pending);
    return true;
}

}  // namespace qel
