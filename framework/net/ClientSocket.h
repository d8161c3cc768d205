#pragma once
// The client socket: a TCP connection opened by host name (or numeric address) and port, and a
// stream over it whose reads and writes wait at most a given time. Everything runs on the caller's
// thread. ctNonBlocking is accepted but behaves exactly like ctBlocking: there is no asynchronous
// notification mode.
#include "framework/core/Export.h"
#include "framework/core/Component.h"
#include "framework/core/Guarded.h"
#include "framework/net/Tls.h"

#include <functional>
#include <memory>

namespace qel {

enum TErrorEvent { eeGeneral, eeSend, eeReceive, eeConnect, eeDisconnect, eeAccept, eeLookup };
enum TClientType { ctNonBlocking, ctBlocking };

// A failed name lookup reports ErrorCode = LookupErrorBase - the resolver's EAI_ code (those are
// negative), so it never collides with an errno value. A lookup that outlasts the connect time-out
// reports EAI_AGAIN this way.
constexpr int LookupErrorBase = 10000;

class TClientSocket;
class TCustomWinSocket;
class TTlsSession;

using TSocketNotifyEvent = std::function<void(TObject* Sender, TCustomWinSocket* Socket)>;
using TSocketErrorEvent =
    std::function<void(TObject* Sender, TCustomWinSocket* Socket, TErrorEvent ErrorEvent, int& ErrorCode)>;

// One connection. Its notices (disconnect, errors) go to the client socket that made it, so a
// stream working on the connection reports through the component's events.
class QEL_FRAMEWORK_EXPORT TCustomWinSocket : public TObject {
    Q_OBJECT
public:
    explicit TCustomWinSocket(TClientSocket* AClient);  // AClient may be null: no notices then
    ~TCustomWinSocket() override;                        // closes without notices

    int SocketHandle() const { return FHandle; }  // -1 while closed
    bool Connected() const { return FHandle >= 0; }
    String LocalHost() const;  // this machine's name; never a DNS lookup
    String LocalAddress() const;
    int LocalPort() const;
    String RemoteHost() const { return FRemoteHost; }  // the name the connection was opened with
    String RemoteAddress() const;
    int RemotePort() const;

    int ReceiveLength();  // bytes readable now
    // One send / recv, never blocking. -1 when it would block (no notice) or on an error (reported
    // as eeSend / eeReceive, which also closes the connection). ReceiveBuf returns 0 when the peer
    // has closed; the connection is then closed and OnDisconnect fires.
    int SendBuf(const void* Buf, int Count);
    int ReceiveBuf(void* Buf, int Count);
    bool PeerClosed() const { return FPeerClosed; }

    void Close();  // fires the disconnect notice once, only when it was connected

    // Client TLS handshake on the open connection, within TimeOutMs; afterwards every read, write
    // and wait goes through TLS. Throws ESocketError ("TLS handshake failed: ...", "certificate
    // not trusted: ...", "certificate host name mismatch: expected <host>") and closes on failure.
    void StartTls(const String& HostName, const TTlsOptions& Options, int32_t TimeOutMs);
    bool Secure() const { return FTls != nullptr; }
    String TlsProtocol() const;  // e.g. "TLSv1.3"; empty without TLS
    String PeerSubject() const;  // e.g. "CN=localhost"; empty without TLS

private:
    friend class TClientSocket;
    friend class TWinSocketStream;

    void Attach(int Handle, const String& RemoteHost);
    void CloseQuietly();
    // The stream's waits: readable means data (TLS: decrypted data) or a close to report.
    bool WaitReadable(int32_t TimeoutMs);
    bool WaitWritable(int32_t TimeoutMs);
    // Fires the error notice; a fatal error then closes the connection. Raises ESocketError
    // unless the handler zeroed the code.
    void Error(TErrorEvent Kind, int ErrorCode, const char* Api, bool Fatal);

    TClientSocket* FClient;
    int FHandle = -1;
    bool FPeerClosed = false;
    String FRemoteHost;
    std::unique_ptr<TTlsSession> FTls;
    short FTlsWait = 0;  // what a TLS write that moved nothing waits for
};

class QEL_FRAMEWORK_EXPORT TClientSocket : public TComponent {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE SetActive)
    Q_PROPERTY(String Address MEMBER Address)
    Q_PROPERTY(String Host MEMBER Host)
    Q_PROPERTY(int32_t Port MEMBER Port)
    Q_CLASSINFO("default:Active", "false")
    Q_CLASSINFO("default:Port", "0")
public:
    Q_INVOKABLE explicit TClientSocket(TComponent* AOwner);
    ~TClientSocket() override;  // closes without firing OnDisconnect: the owner may be half gone

    String Host;     // looked up when set; else Address is used as a numeric address
    String Address;
    int32_t Port = 0;
    TClientType ClientType = ctNonBlocking;
    int32_t ConnectTimeOut = 30000;  // ms for lookup plus connect together

    bool Active() const;
    void SetActive(bool Value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TCustomWinSocket* Socket() const { return FSocket.get(); }

    void Loaded() override;

    TSocketNotifyEvent OnLookup;
    TSocketNotifyEvent OnConnecting;
    TSocketNotifyEvent OnConnect;
    TSocketNotifyEvent OnDisconnect;
    TSocketErrorEvent OnError;

protected:
    void DoLookup();
    void DoConnecting();
    void DoConnect();
    void DoDisconnect();
    void DoError(TErrorEvent ErrorEvent, int& ErrorCode);

private:
    friend class TCustomWinSocket;

    void Connect();

    std::unique_ptr<TCustomWinSocket> FSocket;
    bool FStreamedActive = false;  // Active while loading or designing; no connection then
};

// Reads and writes on a connection with time-outs in milliseconds (negative counts as 0).
// It outlives its connection safely: without one it reads nothing and writes nothing.
class QEL_FRAMEWORK_EXPORT TWinSocketStream : public TObject {
    Q_OBJECT
public:
    TWinSocketStream(TCustomWinSocket* ASocket, int32_t TimeOut);

    int32_t TimeOut() const { return FTimeOut; }
    void SetTimeOut(int32_t Value) { FTimeOut = Value; }

    // True when data is readable or the peer has closed; false after the time-out and at once
    // when the connection is closed.
    bool WaitForData(int32_t Timeout);
    // Waits up to TimeOut, then reads what is there (at most Count). 0 on time-out or close.
    int Read(void* Buffer, int Count);
    // Writes all of Buffer unless an error or a TimeOut-long stall (eeSend) stops it; returns the
    // bytes written.
    int Write(const void* Buffer, int Count);
    bool PeerClosed() const { return FSocket && FSocket->PeerClosed(); }

private:
    TGuarded<TCustomWinSocket> FSocket;
    int32_t FTimeOut;
};

}  // namespace qel
