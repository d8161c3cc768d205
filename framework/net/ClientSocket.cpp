#include "framework/net/ClientSocket.h"

#include "framework/core/Platform.h"
#include "framework/net/TlsSession.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <future>
#include <thread>
#include <utility>

namespace qel {

namespace {

using Clock = std::chrono::steady_clock;

struct TAddrInfoFree {
    void operator()(addrinfo* List) const { freeaddrinfo(List); }
};
using TAddrList = std::unique_ptr<addrinfo, TAddrInfoFree>;

struct TLookupResult {
    int Status = EAI_AGAIN;
    TAddrList List;
};

// A handler may free the component whose event member is running: call a copy.
template <class F, class... A>
void Fire(const F& Event, A&&... Args)
{
    if (!Event) return;
    F handler = Event;
    handler(std::forward<A>(Args)...);
}

Clock::time_point DeadlineAfter(int32_t Ms)
{
    return Clock::now() + std::chrono::milliseconds(std::max(Ms, 0));
}

// A signal interrupting the wait resumes it with the time left, so time-outs stay exact.
int PollUntil(int Fd, short Events, Clock::time_point Deadline)
{
    pollfd p{Fd, Events, 0};
    for (;;) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(Deadline - Clock::now()).count();
        int r = ::poll(&p, 1, static_cast<int>(std::clamp<long long>(left, 0, INT_MAX)));
        if (r >= 0 || errno != EINTR) return r;
    }
}

String SocketErrorMessage(int Code, const char* Api)
{
    const char* text = Code > LookupErrorBase ? gai_strerror(LookupErrorBase - Code) : std::strerror(Code);
    return "Socket error: " + String(text) + " (" + std::to_string(Code) + "), on API '" + Api + "'";
}

// getaddrinfo cannot be cancelled and a dead resolver can stall it for long, so it runs on a
// thread of its own and the wait ends at the deadline; a late answer is dropped with the thread.
TLookupResult Lookup(const String& Name, int32_t Port, bool Numeric, Clock::time_point Deadline)
{
    auto promise = std::make_shared<std::promise<TLookupResult>>();
    auto answer = promise->get_future();
    std::thread([promise, Name, Port, Numeric] {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_NUMERICSERV | (Numeric ? AI_NUMERICHOST : 0);
        addrinfo* list = nullptr;
        int status = getaddrinfo(Name.c_str(), std::to_string(Port).c_str(), &hints, &list);
        promise->set_value({status, TAddrList(list)});
    }).detach();
    if (answer.wait_until(Deadline) != std::future_status::ready) return {};
    return answer.get();
}

// Returns 0 once the pending connect has succeeded, else the errno it failed with.
int FinishConnect(int Fd, Clock::time_point Deadline)
{
    int r = PollUntil(Fd, POLLOUT, Deadline);
    if (r == 0) return ETIMEDOUT;
    if (r < 0) return errno;
    int err = 0;
    socklen_t len = sizeof err;
    if (getsockopt(Fd, SOL_SOCKET, SO_ERROR, &err, &len) < 0) return errno;
    return err;
}

// Non-blocking, so that an unreachable address costs at most the time left.
int ConnectOne(const addrinfo& A, Clock::time_point Deadline, int& Error)
{
    int fd = ::socket(A.ai_family, A.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, A.ai_protocol);
    if (fd < 0) {
        Error = errno;
        return -1;
    }
    Error = ::connect(fd, A.ai_addr, A.ai_addrlen) == 0 ? 0 : errno;
    if (Error == EINPROGRESS || Error == EINTR) Error = FinishConnect(fd, Deadline);
    if (Error == 0) return fd;
    ::close(fd);
    return -1;
}

// A name may give several addresses (IPv6 and IPv4): the first that accepts wins.
int ConnectAny(const addrinfo* List, Clock::time_point Deadline, int& Error)
{
    Error = EADDRNOTAVAIL;
    for (const addrinfo* a = List; a; a = a->ai_next) {
        int fd = ConnectOne(*a, Deadline, Error);
        if (fd >= 0 || Error == ETIMEDOUT) return fd;
    }
    return -1;
}

using TNameOf = int (*)(int, sockaddr*, socklen_t*);

// Address and port of one end of the connection, numeric; empty and 0 while closed.
std::pair<String, int> EndPoint(int Fd, TNameOf NameOf)
{
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    char host[NI_MAXHOST] = "";
    char serv[NI_MAXSERV] = "";
    if (Fd < 0 || NameOf(Fd, reinterpret_cast<sockaddr*>(&addr), &len) < 0) return {"", 0};
    if (getnameinfo(reinterpret_cast<sockaddr*>(&addr), len, host, sizeof host, serv, sizeof serv,
                    NI_NUMERICHOST | NI_NUMERICSERV) != 0)
        return {"", 0};
    return {host, std::atoi(serv)};
}

bool WouldBlock(int Err) { return Err == EAGAIN || Err == EWOULDBLOCK || Err == EINTR; }

}  // namespace

QEL_REGISTER_CLASS(TClientSocket);

// --- TCustomWinSocket ---

TCustomWinSocket::TCustomWinSocket(TClientSocket* AClient) : FClient(AClient) {}

TCustomWinSocket::~TCustomWinSocket() { CloseQuietly(); }

String TCustomWinSocket::LocalHost() const
{
    return LocalHostName();
}

String TCustomWinSocket::LocalAddress() const { return EndPoint(FHandle, ::getsockname).first; }
int TCustomWinSocket::LocalPort() const { return EndPoint(FHandle, ::getsockname).second; }
String TCustomWinSocket::RemoteAddress() const { return EndPoint(FHandle, ::getpeername).first; }
int TCustomWinSocket::RemotePort() const { return EndPoint(FHandle, ::getpeername).second; }

int TCustomWinSocket::ReceiveLength()
{
    int n = 0;
    if (FTls) return FHandle < 0 ? 0 : FTls->Pending();
    if (FHandle < 0 || ::ioctl(FHandle, FIONREAD, &n) < 0) return 0;
    return n;
}

int TCustomWinSocket::SendBuf(const void* Buf, int Count)
{
    if (FHandle < 0) {
        Error(eeSend, ENOTCONN, "send", false);
        return -1;
    }
    if (FTls) {
        int n = FTls->Write(Buf, std::max(Count, 0), FTlsWait);
        if (n >= 0) return n;
        if (n == TTlsSession::Failed) Error(eeSend, errno ? errno : EPIPE, "SSL_write", true);
        return -1;
    }
    // MSG_NOSIGNAL: a closed peer gives EPIPE here instead of killing the process.
    ssize_t n = ::send(FHandle, Buf, static_cast<size_t>(std::max(Count, 0)), MSG_NOSIGNAL);
    if (n >= 0) return static_cast<int>(n);
    if (!WouldBlock(errno)) Error(eeSend, errno, "send", true);
    return -1;
}

int TCustomWinSocket::ReceiveBuf(void* Buf, int Count)
{
    if (FHandle < 0) {
        Error(eeReceive, ENOTCONN, "recv", false);
        return -1;
    }
    if (Count <= 0) return 0;  // recv of nothing also gives 0, which must not read as a close
    short wait = 0;
    ssize_t n = FTls ? FTls->Read(Buf, Count, wait) : ::recv(FHandle, Buf, static_cast<size_t>(Count), 0);
    if (FTls && n == TTlsSession::Retry) return -1;
    if (n > 0) return static_cast<int>(n);
    if (n == 0) {
        FPeerClosed = true;
        Close();
        return 0;
    }
    if (FTls || !WouldBlock(errno)) Error(eeReceive, errno ? errno : EPROTO, FTls ? "SSL_read" : "recv", true);
    return -1;
}

void TCustomWinSocket::Close()
{
    if (FHandle < 0) return;
    if (FTls && !FPeerClosed) FTls->Shutdown();
    FTls.reset();
    ::close(std::exchange(FHandle, -1));
    if (FClient) FClient->DoDisconnect();
}

void TCustomWinSocket::Attach(int Handle, const String& RemoteHost)
{
    CloseQuietly();
    FHandle = Handle;
    FRemoteHost = RemoteHost;
    FPeerClosed = false;
}

void TCustomWinSocket::CloseQuietly()
{
    FTls.reset();
    if (FHandle >= 0) ::close(std::exchange(FHandle, -1));
}

bool TCustomWinSocket::WaitReadable(int32_t TimeoutMs)
{
    const auto deadline = DeadlineAfter(TimeoutMs);
    if (!FTls) return PollUntil(FHandle, POLLIN, deadline) > 0;
    // Readiness of the socket is not readiness of TLS: a record may hold no data (a session
    // ticket), and decrypted data may wait inside TLS with nothing left on the socket.
    for (;;) {
        short wait = POLLIN;
        if (FTls->Readable(wait)) return true;
        if (PollUntil(FHandle, wait, deadline) <= 0) return false;
    }
}

bool TCustomWinSocket::WaitWritable(int32_t TimeoutMs)
{
    return PollUntil(FHandle, FTls && FTlsWait ? FTlsWait : POLLOUT, DeadlineAfter(TimeoutMs)) > 0;
}

void TCustomWinSocket::Error(TErrorEvent Kind, int ErrorCode, const char* Api, bool Fatal)
{
    TGuarded<TCustomWinSocket> alive(this);  // the handler may free the client socket and us
    int code = ErrorCode;
    if (FClient) FClient->DoError(Kind, code);
    if (Fatal && alive) Close();
    if (code != 0) throw ESocketError(SocketErrorMessage(code, Api));
}

// --- TClientSocket ---

TClientSocket::TClientSocket(TComponent* AOwner)
    : TComponent(AOwner), FSocket(std::make_unique<TCustomWinSocket>(this))
{
}

TClientSocket::~TClientSocket()
{
    FSocket->CloseQuietly();
}

bool TClientSocket::Active() const { return FSocket->Connected() || FStreamedActive; }

void TClientSocket::SetActive(bool Value)
{
    // A form file or the designer only records the wish; Loaded opens outside the designer.
    if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDesigning)) {
        FStreamedActive = Value;
        return;
    }
    if (Value == FSocket->Connected()) return;
    if (Value)
        Connect();
    else
        FSocket->Close();
}

void TClientSocket::Loaded()
{
    TComponent::Loaded();
    if (FStreamedActive && !ComponentState().Contains(csDesigning)) {
        FStreamedActive = false;
        Open();
    }
}

void TClientSocket::DoLookup() { Fire(OnLookup, this, FSocket.get()); }
void TClientSocket::DoConnecting() { Fire(OnConnecting, this, FSocket.get()); }
void TClientSocket::DoConnect() { Fire(OnConnect, this, FSocket.get()); }
void TClientSocket::DoDisconnect() { Fire(OnDisconnect, this, FSocket.get()); }

void TClientSocket::DoError(TErrorEvent ErrorEvent, int& ErrorCode)
{
    Fire(OnError, this, FSocket.get(), ErrorEvent, ErrorCode);
}

void TClientSocket::Connect()
{
    const bool byName = !Host.empty();
    const String target = byName ? Host : Address;
    const auto deadline = DeadlineAfter(ConnectTimeOut);
    DoLookup();
    TLookupResult found;
    if (Port < 0 || Port > 65535)
        found.Status = EAI_SERVICE;
    else if (target.empty())
        found.Status = EAI_NONAME;
    else
        found = Lookup(target, Port, !byName, deadline);
    if (found.Status != 0) {
        FSocket->Error(eeLookup, LookupErrorBase - found.Status, "getaddrinfo", false);
        return;
    }
    DoConnecting();
    int err = 0;
    int fd = ConnectAny(found.List.get(), deadline, err);
    if (fd < 0) {
        FSocket->Error(eeConnect, err, "connect", false);
        return;
    }
    FSocket->Attach(fd, target);
    DoConnect();
}

// --- TWinSocketStream ---

TWinSocketStream::TWinSocketStream(TCustomWinSocket* ASocket, int32_t TimeOut)
    : FSocket(ASocket), FTimeOut(TimeOut)
{
}

bool TWinSocketStream::WaitForData(int32_t Timeout)
{
    if (!FSocket || !FSocket->Connected()) return false;
    // A hang-up or error counts as readable: the following Read reports it.
    return FSocket->WaitReadable(Timeout);
}

int TWinSocketStream::Read(void* Buffer, int Count)
{
    if (Count <= 0 || !WaitForData(FTimeOut)) return 0;
    return std::max(FSocket->ReceiveBuf(Buffer, Count), 0);
}

int TWinSocketStream::Write(const void* Buffer, int Count)
{
    TGuarded<TWinSocketStream> alive(this);  // an error handler may free this stream
    const auto* bytes = static_cast<const char*>(Buffer);
    int done = 0;
    while (done < Count && FSocket) {
        TCustomWinSocket* socket = FSocket;
        int n = socket->SendBuf(bytes + done, Count - done);
        if (!alive || !FSocket) break;
        if (n > 0) {
            done += n;
        } else if (!socket->Connected()) {
            break;  // the error has been reported and the connection closed
        } else if (!socket->WaitWritable(FTimeOut)) {
            socket->Error(eeSend, ETIMEDOUT, "send", false);
            break;
        }
    }
    return done;
}

}  // namespace qel
