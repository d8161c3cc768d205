#include "mail/pop/POPMail.h"

#include "framework/core/Application.h"
#include "framework/core/Guarded.h"
#include "framework/core/SysUtils.h"
#include "mail/pop/PopProtocol.h"
#include "mail/model/MailStrings.h"

#include <memory>

namespace qel {

QEL_REGISTER_CLASS(TQELPOPMail);

namespace {

// Reads the reply to the command just sent; a "-ERR" or no reply at all is reported as Kind.
bool ReplyAccepted(TQELPOPMail& Pop, TErrorEvent Kind)
{
    Pop.GetSocketText();
    if (Pop.ReplyError) Pop.HandleError(Kind);
    return !Pop.ReplyError;
}

// The account a held message was read from, when it is still one of the holder's accounts.
TQELMailAccount* AccountOf(const TQELMessage& Message, const TQELAccountHolder* Holder)
{
    const TQELMailAccounts* accounts = Holder ? Holder->Accounts() : nullptr;
    for (int i = 0; accounts && i < accounts->Count(); ++i)
        if (accounts->Items(i) == Message.Account) return Message.Account;
    return nullptr;
}

}  // namespace

TQELPOPMail::TQELPOPMail(TComponent* AOwner)
    : TQELMailHost(AOwner),
      ReceivedIds(std::make_unique<TStringList>()),
      DeletedNumbers(std::make_unique<TStringList>())
{
    FSeenUIDs->CaseSensitive = true;  // unique ids differ in letter case alone
}

TQELPOPMail::~TQELPOPMail() = default;

bool TQELPOPMail::Execute()
{
    DoBeforeExecute();
    if (!AccountInfo()) {
        DoAfterExecute();
        HandleServerResponse("-ERR", QELMailStr::NoAccountInfo, true);
        return false;
    }
    bool result = false;
    // A handler may change the holder or its accounts while a mailbox is read: look again each time.
    for (int i = 0; AccountInfo() && i < AccountInfo()->Accounts()->Count(); ++i) {
        TQELMailAccount* account = AccountInfo()->Accounts()->Items(i);
        if (!SessionRunning()) CurrentAccount = account;
        result = TQELMailHost::Execute();
        if (RunMailboxSession(account, [this] { RetrieveMessages(); }) == TSessionEnd::Raised) result = false;
    }
    DoAfterExecute();
    return result;
}

TQELMailHost::TSessionEnd TQELPOPMail::RunMailboxSession(TQELMailAccount* Account, const std::function<void()>& Work)
{
    return RunSession(Account, Account->Pop3Server, Account->Pop3Port, [&] {
        if (!Login()) return false;
        Init();
        if (Aborted) return false;  // STAT failed: there is no mailbox to work on
        Work();
        return true;
    });
}

void TQELPOPMail::StartDialogue()
{
    SessionState = Authorization;
    DeletedNumbers->Clear();  // a new session numbers the mailbox afresh
    FUids.clear();
    if (!SessionOpen()) return;  // a failed open has been reported
    const TQELMailSecurity security = CurrentAccount ? CurrentAccount->Pop3Security : msNone;
    if (security == msImplicitTLS && !StartSecurity(true)) return;
    // S: +OK POP3 server ready
    GetSocketText();
    if (ReplyError) {
        HandleError(eeConnect);  // quiet when the reader has reported a lost greeting
        return;
    }
    if (security == msStartTLS) StartSecurity(false);
}

String TQELPOPMail::GetSocketText()
{
    // The reply to RETR or TOP takes along the start of its text that came in the same read.
    PopProtocol::TReply reply(PopProtocol::TextFollows(CurrentStep()));
    bool complete = false;
    try {
        // A closed or silent connection ends the session with the reader's report.
        complete = SessionOpen() && AwaitReply(reply);
    } catch (const ESocketError&) {
        // The socket's error notice has reported it and closed the connection.
    }
    if (!complete) {
        ReplyError = true;
        return {};
    }
    LastStatus = reply.Status();
    LastMessage = reply.Message();
    LastReply = TrimRight(reply.Text().substr(0, reply.Text().find_first_of("\r\n")));
    ReplyError = reply.IsError();
    if (OnServerMessage) OnServerMessage(this, LastStatus, LastMessage);
    return std::move(reply).Text();
}

bool TQELPOPMail::Login()
{
    const String user = CurrentAccount ? CurrentAccount->Username : String();
    const String password = CurrentAccount ? CurrentAccount->Password : String();
    // C: USER ann  S: +OK
    const String userLine = PopProtocol::User(user);
    if (NoSessionFor(userLine) || Aborted) return false;
    SendSocketText(userLine);
    if (!ReplyAccepted(*this, eeGeneral)) return false;
    // C: PASS secret  S: +OK maildrop locked and ready
    SendSocketText(PopProtocol::Pass(password));
    if (!ReplyAccepted(*this, eeGeneral)) return false;
    SessionState = Transaction;
    return true;
}

uint16_t TQELPOPMail::Init()
{
    // C: STAT  S: +OK 3 5120
    if (NoSessionFor(PopProtocol::Stat()) || Aborted) return 0;
    SendSocketText(PopProtocol::Stat());
    if (!ReplyAccepted(*this, eeGeneral)) return 0;
    MessageCount = PopProtocol::StatCount(LastMessage);
    return MessageCount;
}

int32_t TQELPOPMail::RetrieveMessages()
{
    const bool newOnly = NewOnly();
    if (newOnly && !ReadUniqueIds()) return 0;
    const uint16_t last = MessageCount;
    int32_t count = 0;
    for (uint32_t i = 1; i <= last; ++i) {
        const auto number = static_cast<uint16_t>(i);
        if (DeletedNumbers->IndexOf(IntToStr(number)) >= 0) continue;
        if (newOnly && SeenBefore(number)) continue;  // neither read nor deleted
        const bool headerOnly = CurrentAccount && CurrentAccount->HeaderOnly;
        RetrieveMessage(number, headerOnly);
        // Only what the host was handed, or a true duplicate of what it holds, may go.
        if (CurrentAccount && CurrentAccount->DeleteOffServer && FRetrieved != TRetrieved::Nothing)
            DeleteMessage(number);
        if (Aborted || !SessionOpen()) break;  // ended, or never begun (the step has reported that)
        ++count;
    }
    return count;
}

void TQELPOPMail::DeleteMessage(uint16_t Number)
{
    Application->ProcessMessages();
    // C: DELE 1  S: +OK message 1 deleted
    const String command = PopProtocol::Dele(Number);
    if (NoSessionFor(command) || Aborted) return;
    SendSocketText(command);
    if (!ReplyAccepted(*this, eeGeneral)) return;
    DeletedNumbers->Add(IntToStr(Number));
    if (MessageCount > 0) --MessageCount;  // a host's DELE outside the counted range must not wrap to 65535
    if (OnDelete) OnDelete(this, Number);
}

bool TQELPOPMail::DownloadMessage(int32_t Index)
{
    if (Index > Messages()->Count() - 1) return false;
    TGuarded<TQELMessage> held = Messages()->Items(Index);
    TQELMailAccount* account = AccountOf(*held, AccountInfo());
    if (!account) return false;
    const auto number = static_cast<uint16_t>(held->MessageNumber);
    const TSessionEnd end = RunMailboxSession(account, [&] {
        // Handlers ran since the call (connect, replies): find the message where it is now.
        if (held) Messages()->Delete(held->Index());
        RetrieveMessage(number, false);
    });
    return end == TSessionEnd::Done;
}

bool TQELPOPMail::EraseMessage(int32_t Index)
{
    TGuarded<TQELMessage> held = Messages()->Items(Index);
    TQELMailAccount* account = AccountOf(*held, AccountInfo());
    if (!account) return false;
    const auto number = static_cast<uint16_t>(held->MessageNumber);
    bool accepted = false;
    const TSessionEnd end = RunMailboxSession(account, [&] {
        DeleteMessage(number);
        accepted = !Aborted;
        if (held) Messages()->Delete(held->Index());
    });
    // The server numbers the mailbox afresh only once QUIT committed the deletion; before that,
    // lowered numbers would point at other messages.
    const bool committed = end == TSessionEnd::Done && accepted && !ReplyError;
    if (!committed) return false;
    for (int i = 0; i < Messages()->Count(); ++i) {
        TQELMessage* message = Messages()->Items(i);
        if (message->Account == account && message->MessageNumber > number) --message->MessageNumber;
    }
    return true;
}

String TQELPOPMail::StepOf(const String& Sent) const
{
    return PopProtocol::CommandName(Sent);
}

String TQELPOPMail::SessionEndNote() const
{
    return DeletedNumbers->Count() > 0 ? QELMailStr::DeletionsNotCommitted : String();
}

}  // namespace qel
