#include "mail/session/MailHost.h"

#include "framework/core/Application.h"
#include "framework/core/SysUtils.h"
#include "mail/model/MailStrings.h"
#include "mail/session/ReplyReader.h"
#include "mail/smtp/SmtpProtocol.h"

#include <algorithm>
#include <climits>

namespace qel {

namespace {

// An account's time-out counts tenths of a second; a huge one must not overflow into a negative wait.
int32_t WaitMilliseconds(int32_t TimeOut)
{
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{TimeOut} * 100, 0, INT32_MAX));
}

}  // namespace

TQELMailHost::TQELMailHost(TComponent* AOwner)
    : TQELMailsComponent(AOwner), FMessages(std::make_unique<TQELMessages>(this))
{
}

TQELMailHost::~TQELMailHost()
{
    // The messages refer back to this host: they go before anything else of it.
    FMessages.reset();
    SocketStream.reset();
    ClientSocket.reset();
}

bool TQELMailHost::Execute()
{
    if (OnExecute) OnExecute(this);
    return true;
}

void TQELMailHost::Connect(const String& Host, int32_t Port, int32_t TimeOut)
{
    // An abort of an earlier run must not pass for one of this session, nor its bytes.
    Aborted = false;
    FUnreadFrom = FUnreadTo = 0;
    OpenConnection(Host, Port, TimeOut);
    // Also after a failed open, which has been reported: POP3 then reports the missing greeting.
    StartDialogue();
}

void TQELMailHost::OpenConnection(const String& Host, int32_t Port, int32_t TimeOut)
{
    if (!ClientSocket) CreateClientSocket();
    ClientSocket->Port = Port;
    ClientSocket->Host = Host;
    try {
        ClientSocket->Open();
    } catch (const std::exception&) {
        LastMessage = QELMailStr::CannotConnect;
        HandleError(eeConnect);
        return;
    }
    SocketStream = std::make_unique<TWinSocketStream>(ClientSocket->Socket(), WaitMilliseconds(TimeOut));
    // The blocking socket gives its connect notice inside Open; the loop only covers a late one.
    while (!Connected && ClientSocket && ClientSocket->Active())
        Application->ProcessMessages();
}

void TQELMailHost::SendSocketText(const String& Text)
{
    if (!ClientSocket || !ClientSocket->Active() || !SocketStream) return;
    SocketStream->Write(Text.data(), static_cast<int>(Text.size()));
}

String TQELMailHost::GetSocketText()
{
    return {};
}

void TQELMailHost::Disconnect()
{
    if (!Connected) return;
    auto closeSession = [this] {
        if (ClientSocket && ClientSocket->Active()) ClientSocket->Close();
        SocketStream.reset();
        Connected = false;
        Busy = false;
    };
    if (Aborted) {
        closeSession();
        return;
    }
    try {
        if (ClientSocket && SocketStream && ClientSocket->Active()) {
            // C: QUIT  S: 221 closing   (the same line ends a POP3 session)
            SendSocketText(SmtpProtocol::Quit());
            GetSocketText();
        }
        // A QUIT reply lost with the connection has been reported by the reader already.
        if (ChecksQuitReply() && !Aborted && LastStatus != "221")
            HandleServerResponse(LastStatus, LastMessage, true);
    } catch (...) {
        closeSession();
        throw;
    }
    closeSession();
}

void TQELMailHost::DoConnect(TObject* Sender, TCustomWinSocket*)
{
    Connected = true;
    if (OnConnect && ClientSocket) OnConnect(Sender, ClientSocket->Host, ClientSocket->Port);
}

void TQELMailHost::DoDisconnect(TObject* Sender, TCustomWinSocket*)
{
    Connected = false;
    if (OnDisconnect && ClientSocket) OnDisconnect(Sender, ClientSocket->Host, ClientSocket->Port);
}

void TQELMailHost::HandleErrorAndExit(TObject*, TCustomWinSocket*, TErrorEvent, int& ErrorCode)
{
    Aborted = true;
    Disconnect();
    HandleServerResponse(IntToStr(ErrorCode), LastStatus + " " + LastMessage, true);
}

void TQELMailHost::HandleError(TErrorEvent ErrorEvent)
{
    int errorCode = 0;
    HandleErrorAndExit(this, ClientSocket ? ClientSocket->Socket() : nullptr, ErrorEvent, errorCode);
}

void TQELMailHost::HandleServerResponse(const String& Status, const String& MsgText, bool IsError)
{
    if ((IsError || UpperCase(Status) == "-ERR") && OnError) OnError(this, Status, MsgText, IsError);
    if (OnServerResponse) OnServerResponse(this, Status, MsgText, IsError);
}

void TQELMailHost::SetQELMessages(TQELMessages* Value)
{
    if (Value && Value != FMessages.get()) FMessages->Assign(Value);
}

void TQELMailHost::SetAccountInfo(TQELAccountHolder* Value)
{
    if (Value == FAccountInfo) return;
    if (FAccountInfo) RemoveFreeNotification(FAccountInfo);
    FAccountInfo = Value;
    // Told of the holder's removal even when it lives on another form.
    if (FAccountInfo) FreeNotification(FAccountInfo);
}

void TQELMailHost::MessageDeleting(TQELMessage*) {}

void TQELMailHost::Notification(TComponent* AComponent, TOperation Operation)
{
    TQELMailsComponent::Notification(AComponent, Operation);
    if (Operation != opRemove || !AComponent || AComponent != FAccountInfo) return;
    FAccountInfo = nullptr;
    // The current account belongs to the holder, whose accounts may be freed already: forget it
    // without looking at it.
    CurrentAccount = nullptr;
}

bool TQELMailHost::SessionOpen() const
{
    return ClientSocket && ClientSocket->Active() && SocketStream;
}

TQELMailHost::TSessionEnd TQELMailHost::RunSession(TQELMailAccount* Account, const String& Server, int32_t Port,
                                                   const std::function<bool()>& Work)
{
    // A call from a handler of the running session must leave that session, its account included,
    // alone; also from OnError, when the error report has already cleared Busy.
    if (SessionRunning()) return TSessionEnd::Skipped;
    CurrentAccount = Account;
    Busy = true;
    FInSession = true;
    TSessionEnd end = TSessionEnd::Aborted;
    try {
        CreateClientSocket();
        Connect(Server, Port, Account->TimeOut());
        const bool worked = Work();
        Disconnect();
        if (worked && !Aborted) end = TSessionEnd::Done;
    } catch (...) {
        // Dropped without QUIT, so nothing of this session is committed (POP3 deletions).
        Application->HandleException(this);
        end = TSessionEnd::Raised;
    }
    Busy = false;
    FInSession = false;
    ReleaseClientSocket();
    Connected = false;  // else a later Disconnect would judge a QUIT that was never sent
    return end;
}

TQELMailHost::TReplyEnd TQELMailHost::ReadReply(TReplyReader& Reader)
{
    int32_t silentWaits = 0;
    while (!Reader.Complete()) {
        if (TakeUnread(Reader)) continue;
        if (!SessionOpen()) return TReplyEnd::Closed;
        if (FSilentWaitLimit > 0 && silentWaits >= FSilentWaitLimit) return TReplyEnd::Silent;
        if (!SocketStream->WaitForData(SocketStream->TimeOut())) {
            Application->ProcessMessages();
            ++silentWaits;
            continue;
        }
        silentWaits = 0;
        if (!FReceiveBuffer) FReceiveBuffer = std::make_unique_for_overwrite<char[]>(ReceiveBufferBytes);
        const size_t room = std::min(Reader.Room(), ReceiveBufferBytes);
        const int n = SocketStream->Read(FReceiveBuffer.get(), static_cast<int>(room));
        FUnreadFrom = 0;
        FUnreadTo = static_cast<size_t>(std::max(n, 0));
    }
    return TReplyEnd::Complete;
}

bool TQELMailHost::TakeUnread(TReplyReader& Reader)
{
    if (FUnreadFrom >= FUnreadTo) return false;
    const size_t count = std::min(FUnreadTo - FUnreadFrom, Reader.Room());
    FUnreadFrom += Reader.Take({FReceiveBuffer.get() + FUnreadFrom, count});
    return true;
}

void TQELMailHost::CreateClientSocket()
{
    SocketStream.reset();
    ClientSocket = std::make_unique<TClientSocket>(nullptr);
    ClientSocket->ClientType = ctBlocking;
    ClientSocket->OnConnect = [this](TObject* Sender, TCustomWinSocket* Socket) { DoConnect(Sender, Socket); };
    ClientSocket->OnDisconnect = [this](TObject* Sender, TCustomWinSocket* Socket) { DoDisconnect(Sender, Socket); };
    ClientSocket->OnError = [this](TObject* Sender, TCustomWinSocket* Socket, TErrorEvent Event, int& Code) {
        HandleErrorAndExit(Sender, Socket, Event, Code);
    };
}

void TQELMailHost::ReleaseClientSocket()
{
    SocketStream.reset();
    ClientSocket.reset();
    FReceiveBuffer.reset();
    FUnreadFrom = FUnreadTo = 0;
}

void TQELMailHost::DoBeforeExecute()
{
    if (BeforeExecute) BeforeExecute(this);
}

void TQELMailHost::DoAfterExecute()
{
    if (AfterExecute) AfterExecute(this);
}

}  // namespace qel
