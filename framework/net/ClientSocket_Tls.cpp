// TCustomWinSocket's TLS: the handshake and what it tells (ClientSocket.cpp does the I/O).
#include "framework/net/ClientSocket.h"

#include "framework/core/Exceptions.h"
#include "framework/net/TlsSession.h"

#include <algorithm>
#include <chrono>

namespace qel {

void TCustomWinSocket::StartTls(const String& HostName, const TTlsOptions& Options, int32_t TimeOutMs)
{
    if (FHandle < 0) throw ESocketError("TLS handshake failed: not connected");
    if (FTls) throw ESocketError("TLS handshake failed: TLS is already active");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(TimeOutMs, 0));
    try {
        FTls = std::make_unique<TTlsSession>(FHandle, HostName, Options, deadline);
    } catch (const ESocketError&) {
        // Half a handshake leaves the connection useless: nothing more may go over it in clear.
        Close();
        throw;
    }
}

String TCustomWinSocket::TlsProtocol() const { return FTls ? FTls->Protocol() : String(); }
String TCustomWinSocket::PeerSubject() const { return FTls ? FTls->PeerSubject() : String(); }

}  // namespace qel
