#include "mail/smtp/SMTPMail.h"

#include "framework/core/Application.h"
#include "framework/core/Guarded.h"
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
    FAccepted = 0;
    if (!Connected) return;  // a failed open has been reported
    TLogin login;
    if (CurrentAccount)
        login = {CurrentAccount->SMTPSecurity, CurrentAccount->SMTPAuthUser, CurrentAccount->Password,
                 CurrentAccount->TlsOptions()};
    FSecrets = LoginSecrets(login);
    if (login.Security == msImplicitTLS && !StartTls(login.Tls)) return;
    // S: 220 mail.example ready   (or S: 421 / 554: no service); other replies before it are passed over
    do GetSocketText();
    while (!Aborted && LastStatus != "220" && LastStatus != "421" && LastStatus != "554");
    if (Aborted) return;  // reported by the reader
    ReplyError = LastStatus != "220";
    if (ReplyError) {
        HandleError(eeConnect);
        return;
    }
    if (login.Secure())
        SecureOpening(login);
    else
        Hello();
}

void TQELSMTPMail::Hello()
{
    // C: HELO myhost  S: 250 mail.example
    SendSocketText(SmtpProtocol::Helo(ClientSocket->Socket()->LocalHost()));
    // 220 answers nothing but the connection: a greeting sent twice is passed over here.
    do GetSocketText();
    while (!Aborted && LastStatus == "220");
    Expect("250", eeConnect);
}

String TQELSMTPMail::GetSocketText()
{
    if (!SessionOpen()) return {};
    // Waits of the account's TimeOut x 100 ms, ten empty ones in a row at most (the engine's rule).
    SmtpProtocol::TReplyAssembler reply;
    const bool complete = AwaitReply(reply);
    LastStatus = reply.Status();
    // A server may echo what it was sent: no credential of the login reaches the events or the reports.
    LastMessage = Scrubbed(reply.Message());
    if (!complete) return Scrubbed(reply.Text());  // the session has ended with its report
    LastReply = TrimRight(Scrubbed(reply.Text()));
    if (OnServerMessage) OnServerMessage(this, LastStatus, LastMessage);
    Application->ProcessMessages();
    return reply.Text();
}

bool TQELSMTPMail::SendMessage(TQELMessage* Message)
{
    if (!Message || NoSessionFor(SmtpProtocol::MailFrom(Message->FromMail))) return false;
    CurrentItemIndex = Message->MessageNumber;
    Message->Date = GetSMTPDate();
    // Handlers may free the message: gone before its MAIL FROM it is not sent; later, its text and
    // envelope are the sender's own and go out whole.
    const TGuarded<TQELMessage> message(Message);
    const std::unique_ptr<TQELComposedText> text = ComposeMessage(Message);
    if (Aborted || !text) return false;
    DoOnBeforeSend();
    if (!message.Assigned()) return false;
    const String from = message->FromMail;
    const std::vector<String> recipients = EnvelopeRecipients(message->SendTo, message->CC, message->BCC);
    // C: MAIL FROM:<a@x>  S: 250 OK
    SendSocketText(SmtpProtocol::MailFrom(from));
    GetSocketText();
    if (!Expect("250", eeGeneral) || !SendRecipients(recipients)) return false;
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
    if (OnAfterSend && message.Assigned()) OnAfterSend(this, message);
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
    if (!ReplyError && CurrentStep() == QELMailStr::EndOfTextStep) ++FAccepted;
    return !ReplyError;
}

String TQELSMTPMail::StepOf(const String& Sent) const
{
    if (FSendingSecret) return {};
    // Between DATA and the end of text everything sent is message text, whatever it looks like.
    const String& step = CurrentStep();
    if (Sent != SmtpProtocol::EndOfText() && (step == "DATA" || step == QELMailStr::MessageTextStep))
        return QELMailStr::MessageTextStep;
    return SmtpProtocol::CommandName(Sent);
}

String TQELSMTPMail::SessionEndNote() const
{
    // The server keeps what it accepted; only the closing failed.
    if (!Closing() || FAccepted == 0) return {};
    return IntToStr(FAccepted) + QELMailStr::AcceptedClosingFailed;
}

bool TQELSMTPMail::SendRecipients(const std::vector<String>& Recipients)
{
    for (const String& recipient : Recipients) {
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
