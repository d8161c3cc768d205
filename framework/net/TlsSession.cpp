#include "framework/net/TlsSession.h"

#include "framework/core/Exceptions.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <utility>

namespace qel {

namespace {

using Clock = std::chrono::steady_clock;

// OpenSSL's own socket BIO writes with write(2), which raises SIGPIPE on a closed peer; this one
// sends with MSG_NOSIGNAL like the plain socket does.
int FdOf(BIO* B) { return static_cast<int>(reinterpret_cast<intptr_t>(BIO_get_data(B))); }

int BioWrite(BIO* B, const char* In, int Length)
{
    BIO_clear_retry_flags(B);
    ssize_t n = ::send(FdOf(B), In, static_cast<size_t>(Length), MSG_NOSIGNAL);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) BIO_set_retry_write(B);
    return static_cast<int>(n);
}

int BioRead(BIO* B, char* Out, int Length)
{
    BIO_clear_retry_flags(B);
    ssize_t n = ::recv(FdOf(B), Out, static_cast<size_t>(Length), 0);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) BIO_set_retry_read(B);
    return static_cast<int>(n);
}

long BioCtrl(BIO*, int Command, long, void*) { return Command == BIO_CTRL_FLUSH ? 1 : 0; }

BIO_METHOD* SocketMethod()
{
    static BIO_METHOD* method = [] {
        BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "qel socket");
        BIO_meth_set_write(m, BioWrite);
        BIO_meth_set_read(m, BioRead);
        BIO_meth_set_ctrl(m, BioCtrl);
        return m;
    }();
    return method;
}

BIO* SocketBio(int Fd)
{
    BIO* bio = BIO_new(SocketMethod());
    BIO_set_data(bio, reinterpret_cast<void*>(static_cast<intptr_t>(Fd)));
    BIO_set_init(bio, 1);
    return bio;
}

int WaitFor(int Fd, short Events, Clock::time_point Deadline)
{
    pollfd p{Fd, Events, 0};
    for (;;) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(Deadline - Clock::now()).count();
        int r = ::poll(&p, 1, static_cast<int>(std::clamp<long long>(left, 0, INT_MAX)));
        if (r >= 0 || errno != EINTR) return r;
    }
}

String LastSslError()
{
    unsigned long code = ERR_peek_last_error();
    char text[256] = "";
    if (code) ERR_error_string_n(code, text, sizeof text);
    ERR_clear_error();
    return text;
}

bool IsIpAddress(const String& Host)
{
    unsigned char buf[sizeof(in6_addr)];
    return inet_pton(AF_INET, Host.c_str(), buf) == 1 || inet_pton(AF_INET6, Host.c_str(), buf) == 1;
}

int SessionIndex()
{
    static const int index = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

String LeafFingerprint(X509* Cert)
{
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!Cert || !X509_digest(Cert, EVP_sha256(), md, &length)) return {};
    String hex;
    static const char digits[] = "0123456789abcdef";
    for (unsigned i = 0; i < length; ++i) (hex += digits[md[i] >> 4]) += digits[md[i] & 15];
    return hex;
}

// A pinned leaf stands for itself: every complaint about its chain or name is overruled.
int VerifyWithPin(int PreverifyOk, X509_STORE_CTX* Store)
{
    if (PreverifyOk) return 1;
    auto* ssl = static_cast<SSL*>(X509_STORE_CTX_get_ex_data(Store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    const auto* pin = ssl ? static_cast<const String*>(SSL_get_ex_data(ssl, SessionIndex())) : nullptr;
    if (!pin || pin->empty() || LeafFingerprint(X509_STORE_CTX_get0_cert(Store)) != *pin) return 0;
    X509_STORE_CTX_set_error(Store, X509_V_OK);
    return 1;
}

SSL_CTX* NewContext(const TTlsOptions& Options)
{
    SSL_CTX* ctx = SSL_CTX_new(TLS_client_method());
    if (!ctx) throw ESocketError("TLS handshake failed: " + LastSslError());
    SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
    SSL_CTX_set_default_verify_paths(ctx);
    if (!Options.CAFile.empty() && SSL_CTX_load_verify_locations(ctx, Options.CAFile.c_str(), nullptr) != 1) {
        SSL_CTX_free(ctx);
        ERR_clear_error();
        throw ESocketError("TLS: cannot read the CA file " + Options.CAFile);
    }
    const bool check = Options.VerifyPeer || !Options.PinnedSha256.empty();
    SSL_CTX_set_verify(ctx, check ? SSL_VERIFY_PEER : SSL_VERIFY_NONE, check ? VerifyWithPin : nullptr);
    SSL_CTX_set_mode(ctx, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    return ctx;
}

// "AB:CD:..." or "sha256 Fingerprint=AB:CD:..." as tools print it, to lower-case hex.
String NormalisedFingerprint(const String& Text)
{
    String hex;
    const size_t equals = Text.rfind('=');
    for (char c : equals == String::npos ? Text : Text.substr(equals + 1))
        if (std::isxdigit(static_cast<unsigned char>(c))) hex += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return hex;
}

}  // namespace

TTlsSession::TTlsSession(int Fd, const String& HostName, const TTlsOptions& Options, TDeadline Deadline)
    : FContext(NewContext(Options)), FPin(NormalisedFingerprint(Options.PinnedSha256))
{
    if (!Options.PinnedSha256.empty() && FPin.size() != 64) {
        Release();
        throw ESocketError("TLS handshake failed: the pinned fingerprint is no SHA-256 (64 hex digits)");
    }
    FSsl = SSL_new(FContext);
    BIO* bio = SocketBio(Fd);
    SSL_set_bio(FSsl, bio, bio);
    SSL_set_ex_data(FSsl, SessionIndex(), &FPin);
    if (IsIpAddress(HostName)) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(FSsl), HostName.c_str());
    } else if (!HostName.empty()) {
        SSL_set_tlsext_host_name(FSsl, HostName.c_str());
        SSL_set_hostflags(FSsl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        SSL_set1_host(FSsl, HostName.c_str());
    }
    for (;;) {
        ERR_clear_error();
        int r = SSL_connect(FSsl);
        if (r == 1) return;
        int err = SSL_get_error(FSsl, r);
        short wait = err == SSL_ERROR_WANT_READ ? POLLIN : err == SSL_ERROR_WANT_WRITE ? POLLOUT : 0;
        String why = wait ? String() : HandshakeFailure(r, HostName);
        if (wait && WaitFor(Fd, wait, Deadline) <= 0) why = "TLS handshake failed: timed out";
        if (!why.empty()) {
            Release();  // no destructor runs for a constructor that throws
            throw ESocketError(why);
        }
    }
}

TTlsSession::~TTlsSession() { Release(); }

void TTlsSession::Release()
{
    SSL_free(std::exchange(FSsl, nullptr));
    SSL_CTX_free(std::exchange(FContext, nullptr));
}

String TTlsSession::HandshakeFailure(int Result, const String& HostName) const
{
    const long verify = SSL_get_verify_result(FSsl);
    if (verify == X509_V_ERR_HOSTNAME_MISMATCH || verify == X509_V_ERR_IP_ADDRESS_MISMATCH) {
        ERR_clear_error();
        return "certificate host name mismatch: expected " + HostName;
    }
    if (verify != X509_V_OK) {
        ERR_clear_error();
        return String("certificate not trusted: ") + X509_verify_cert_error_string(verify);
    }
    String detail = LastSslError();
    if (detail.empty()) detail = Result == 0 || errno == 0 ? "the server closed the connection" : std::strerror(errno);
    return "TLS handshake failed: " + detail;
}

int TTlsSession::Outcome(int Result, short& Wait)
{
    if (Result > 0) return Result;
    switch (SSL_get_error(FSsl, Result)) {
    case SSL_ERROR_WANT_READ: Wait = POLLIN; return Retry;
    case SSL_ERROR_WANT_WRITE: Wait = POLLOUT; return Retry;
    case SSL_ERROR_ZERO_RETURN: return 0;
    case SSL_ERROR_SYSCALL:
        ERR_clear_error();
        if (Result == 0 || errno == 0) return 0;  // closed without close_notify: still a close
        return Failed;
    default:
        ERR_clear_error();
        errno = EPROTO;
        return Failed;
    }
}

int TTlsSession::Read(void* Buf, int Count, short& Wait)
{
    ERR_clear_error();
    errno = 0;
    return Outcome(SSL_read(FSsl, Buf, Count), Wait);
}

int TTlsSession::Write(const void* Buf, int Count, short& Wait)
{
    ERR_clear_error();
    errno = 0;
    int n = Outcome(SSL_write(FSsl, Buf, Count), Wait);
    return n == 0 ? Failed : n;
}

bool TTlsSession::Readable(short& Wait)
{
    if (SSL_pending(FSsl) > 0) return true;
    char probe;
    ERR_clear_error();
    errno = 0;
    return Outcome(SSL_peek(FSsl, &probe, 1), Wait) != Retry;
}

int TTlsSession::Pending() const { return SSL_pending(FSsl); }

void TTlsSession::Shutdown()
{
    ERR_clear_error();
    if (!(SSL_get_shutdown(FSsl) & SSL_SENT_SHUTDOWN)) SSL_shutdown(FSsl);
    ERR_clear_error();
}

String TTlsSession::Protocol() const { return SSL_get_version(FSsl); }

String TTlsSession::PeerSubject() const
{
    X509* cert = SSL_get0_peer_certificate(FSsl);
    if (!cert) return {};
    BIO* out = BIO_new(BIO_s_mem());
    X509_NAME_print_ex(out, X509_get_subject_name(cert), 0, XN_FLAG_RFC2253);
    char* data = nullptr;
    long length = BIO_get_mem_data(out, &data);
    String subject(data, static_cast<size_t>(std::max(length, 0L)));
    BIO_free(out);
    return subject;
}

}  // namespace qel
