#include "mail/session/MailHost.h"

#include "framework/core/Application.h"
#include "framework/core/SysUtils.h"
#include "mail/model/MailStrings.h"
#include "mail/session/ReplyReader.h"
#include "mail/smtp/SmtpProtocol.h"

#include <netdb.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

namespace qel {

namespace {

constexpr const char* TlsFailed = "TLS: ";

// An account's time-out counts tenths of a second; a huge one must not overflow into a negative wait.
int32_t WaitMilliseconds(int32_t TimeOut)
{
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{TimeOut} * 100, 0, INT32_MAX));
}

// Whole seconds as they are, else with one decimal.
String SecondsText(int64_t Milliseconds)
{
    if (Milliseconds % 1000 == 0) return IntToStr(Milliseconds / 1000);
    const int64_t tenths = (Milliseconds + 50) / 100;
    return IntToStr(tenths / 10) + "." + IntToStr(tenths % 10);
}

// The system's words for a socket's error code: the resolver's for a failed lookup, else errno's.
String SystemErrorText(int Code)
{
    return Code > LookupErrorBase ? gai_strerror(LookupErrorBase - Code) : std::strerror(Code);
}

String WithNote(const String& Note, const String& Text)
{
    return Note.empty() ? Text : Note + ": " + Text;
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
    FStep.clear();
    FClosing = false;
    OpenConnection(Host, Port, TimeOut);
    // Also after a failed open, which has been reported: the protocol then leaves it at that.
    StartDialogue();
}

void TQELMailHost::OpenConnection(const String& Host, int32_t Port, int32_t TimeOut)
{
    if (!ClientSocket) CreateClientSocket();
    ClientSocket->Port = Port;
    ClientSocket->Host = Host;
    // The connect is one more wait of the session, bounded as a silent server is.
    ClientSocket->ConnectTimeOut = static_cast<int32_t>(
        std::min<int64_t>(int64_t{WaitMilliseconds(TimeOut)} * std::max(FSilentWaitLimit, 1), INT32_MAX));
    FConnectFailure.clear();
    try {
        ClientSocket->Open();
    } catch (const std::exception&) {
        // The socket's notice has reported the system's error code; this report names the server.
        String text = String(QELMailStr::CannotConnect) + " " + HostAndPort();
        if (!FConnectFailure.empty()) text += ": " + FConnectFailure;
        AbortSession("0", text);
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
    if (String step = StepOf(Text); !step.empty()) FStep = std::move(step);
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
        FClosing = false;
        FStep.clear();
    };
    if (Aborted) {
        closeSession();
        return;
    }
    try {
        Quit();
    } catch (...) {
        closeSession();
        throw;
    }
    closeSession();
}

void TQELMailHost::Quit()
{
    if (!SessionOpen()) return;
    FClosing = true;
    try {
        // C: QUIT  S: 221 closing   (the same line ends a POP3 session: S: +OK)
        SendSocketText(SmtpProtocol::Quit());
        GetSocketText();
    } catch (const ESocketError&) {
        return;  // the socket's notice has reported it, with what of the work stands
    }
    // A reply lost with the connection has been reported by the reader already.
    if (Aborted || QuitAccepted()) return;
    ReplyError = true;
    HandleServerResponse(LastStatus, WithNote(SessionEndNote(), LastStatus + " " + LastMessage), true);
}

bool TQELMailHost::StartTls(const TTlsOptions& Options)
{
    if (!SessionOpen()) return false;
    // Bytes that came in clear after the server's go-ahead would pass for its words under TLS.
    FUnreadFrom = FUnreadTo = 0;
    try {
        ClientSocket->Socket()->StartTls(ClientSocket->Host, Options, ClientSocket->ConnectTimeOut);
    } catch (const ESocketError& e) {
        ReplyError = true;
        AbortSession("0", String(TlsFailed) + e.Message() + " (" + HostAndPort() + ")");
        return false;
    }
    return true;
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

void TQELMailHost::HandleErrorAndExit(TObject*, TCustomWinSocket*, TErrorEvent ErrorEvent, int& ErrorCode)
{
    // The socket's notices carry the system's error code; a report of a wrong reply carries none.
    if (ErrorCode == 0) {
        AbortSession("0", LastStatus + " " + LastMessage);
        return;
    }
    String words = SystemErrorText(ErrorCode);
    if (ErrorCode == ETIMEDOUT && ClientSocket && ErrorEvent == eeConnect)
        words += QELMailStr::After + SecondsText(ClientSocket->ConnectTimeOut) + QELMailStr::SecondsUnit;
    if (ErrorEvent == eeConnect || ErrorEvent == eeLookup) FConnectFailure = words;
    AbortSession(IntToStr(ErrorCode), words + " (" + HostAndPort() + ") " + Where(ErrorEvent));
}

void TQELMailHost::HandleError(TErrorEvent ErrorEvent)
{
    // A session ends with one report: once it has ended, its failure has been told.
    if (Aborted) return;
    int errorCode = 0;
    HandleErrorAndExit(this, ClientSocket ? ClientSocket->Socket() : nullptr, ErrorEvent, errorCode);
}

void TQELMailHost::HandleServerResponse(const String& Status, const String& MsgText, bool IsError)
{
    if ((IsError || UpperCase(Status) == "-ERR") && OnError) OnError(this, Status, MsgText, IsError);
    if (OnServerResponse) OnServerResponse(this, Status, MsgText, IsError);
}

bool TQELMailHost::AwaitReply(TReplyReader& Reader)
{
    const TReplyEnd end = ReadReply(Reader);
    if (end == TReplyEnd::Complete) return true;
    // The host, or a socket error with its notice, may have ended the session during the wait.
    if (!Aborted)
        AbortSession("0", end == TReplyEnd::Silent ? SilenceText() : QELMailStr::ServerClosed + Where(eeReceive));
    return false;
}

void TQELMailHost::AbortSession(const String& Status, const String& Text)
{
    Aborted = true;
    // Taken before the connection goes: the note may depend on the step the session was at.
    const String note = SessionEndNote();
    Disconnect();
    HandleServerResponse(Status, WithNote(note, Text), true);
}

bool TQELMailHost::NoSessionFor(const String& Command)
{
    if (SessionOpen() || FInSession) return false;
    HandleServerResponse("0", QELMailStr::NoSession + StepOf(Command) + QELMailStr::NotSent, true);
    return true;
}

String TQELMailHost::Where(TErrorEvent Kind) const
{
    if (Kind == eeConnect || Kind == eeLookup) return QELMailStr::WhileConnecting;
    if (Kind == eeSend) return QELMailStr::WhileSending + FStep;
    return FStep.empty() ? String(QELMailStr::AtGreeting) : QELMailStr::InReplyTo + FStep;
}

String TQELMailHost::HostAndPort() const
{
    if (!ClientSocket) return {};
    return (ClientSocket->Host.empty() ? ClientSocket->Address : ClientSocket->Host) + ":" + IntToStr(ClientSocket->Port);
}

String TQELMailHost::SilenceText() const
{
    const int64_t waited = int64_t{std::max(FSilentWaitLimit, 1)} * (SocketStream ? SocketStream->TimeOut() : 0);
    const String within = SecondsText(waited) + QELMailStr::SecondsUnit;
    if (FStep.empty()) return QELMailStr::NoGreetingWithin + within;
    return QELMailStr::NoReplyTo + FStep + QELMailStr::Within + within;
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
        if (silentWaits >= std::max(FSilentWaitLimit, 1)) return TReplyEnd::Silent;
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
