#pragma once
// The OpenSSL side of a client socket's TLS: one session over a connected, non-blocking socket.
// Internal to the framework; the socket's users see TTlsOptions and TCustomWinSocket only.
#include "framework/core/Types.h"
#include "framework/net/Tls.h"

#include <chrono>

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

namespace qel {

class TTlsSession {
public:
    using TDeadline = std::chrono::steady_clock::time_point;
    // Result of Read / Write that moved nothing: wait for Wait (POLLIN / POLLOUT) and retry.
    static constexpr int Retry = -1;
    static constexpr int Failed = -2;  // errno (or EPROTO) tells why

    // The client handshake with HostName's server; throws ESocketError with the reason.
    TTlsSession(int Fd, const String& HostName, const TTlsOptions& Options, TDeadline Deadline);
    ~TTlsSession();
    TTlsSession(const TTlsSession&) = delete;
    TTlsSession& operator=(const TTlsSession&) = delete;

    // > 0 bytes moved; 0 the peer has closed (Read only); Retry or Failed.
    int Read(void* Buf, int Count, short& Wait);
    int Write(const void* Buf, int Count, short& Wait);
    // True when application data is buffered, or the next Read will not block (close, error);
    // decrypts what is on the socket without taking it.
    bool Readable(short& Wait);
    int Pending() const;
    void Shutdown();  // sends close_notify once, never waiting

    String Protocol() const;
    String PeerSubject() const;

private:
    void Release();
    int Outcome(int Result, short& Wait);
    String HandshakeFailure(int Result, const String& HostName) const;

    SSL_CTX* FContext = nullptr;
    SSL* FSsl = nullptr;
    String FPin;  // normalised: lower-case hex, no colons
};

}  // namespace qel
