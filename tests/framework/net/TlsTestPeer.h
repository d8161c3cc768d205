#pragma once
// A TLS server on 127.0.0.1 for the TLS tests: accepts one connection on its own thread, makes the
// server handshake with the given certificate and runs a script over the session. Every wait ends
// after a few seconds, so a test that never connects cannot hang.
#include <openssl/err.h>
#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <csignal>
#include <pthread.h>
#include <thread>

namespace qeltest {

// The certificates of tests/support/make-test-certs.sh, made once per test program.
inline const std::string& TestCertDir()
{
    static const std::string dir = [] {
        char pattern[] = "/tmp/qel-tls-XXXXXX";
        std::string d = ::mkdtemp(pattern);
        std::string command = "bash '" QEL_TEST_SUPPORT_DIR "/make-test-certs.sh' '" + d + "'";
        if (std::system(command.c_str()) != 0) throw std::runtime_error("cannot make the test certificates");
        return d;
    }();
    // Registered after dir exists, so it runs before dir is destroyed.
    static const bool cleanup = std::atexit([] { std::system(("rm -rf '" + dir + "'").c_str()); }) == 0;
    (void)cleanup;
    return dir;
}

inline std::string TestCert(const std::string& Name) { return TestCertDir() + "/" + Name; }

class TlsPeer {
public:
    using Script = std::function<void(SSL*)>;
    using Prelude = std::function<bool(int Fd)>;  // the talk in clear before TLS; false: no TLS

    // Cert names a pair of make-test-certs.sh ("server", "other", "stranger").
    TlsPeer(const std::string& Cert, Script Run) : TlsPeer(Cert, nullptr, std::move(Run)) {}
    TlsPeer(const std::string& Cert, Prelude Clear, Script Run)
        : FListener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(FListener, reinterpret_cast<sockaddr*>(&a), len) != 0 || ::listen(FListener, 1) != 0)
            throw std::runtime_error("cannot listen");
        ::getsockname(FListener, reinterpret_cast<sockaddr*>(&a), &len);
        FPort = ntohs(a.sin_port);
        FContext = SSL_CTX_new(TLS_server_method());
        SSL_CTX_use_certificate_file(FContext, TestCert(Cert + ".pem").c_str(), SSL_FILETYPE_PEM);
        SSL_CTX_use_PrivateKey_file(FContext, TestCert(Cert + ".key").c_str(), SSL_FILETYPE_PEM);
        FThread = std::thread([this, Clear = std::move(Clear), Run = std::move(Run)] { Serve(Clear, Run); });
    }
    ~TlsPeer()
    {
        Wait();
        SSL_CTX_free(FContext);
        ::close(FListener);
    }
    TlsPeer(const TlsPeer&) = delete;
    TlsPeer& operator=(const TlsPeer&) = delete;

    int Port() const { return FPort; }
    void Wait()
    {
        if (FThread.joinable()) FThread.join();
    }
    bool HandshakeDone() const { return FHandshakeDone; }  // read after Wait

private:
    void Serve(const Prelude& Clear, const Script& Run)
    {
        // OpenSSL's plain socket writes here may meet a client that already hung up: that must
        // end this thread's write with EPIPE, not the test program (the client side is blocked
        // nowhere, so its own writes still prove they never raise SIGPIPE).
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        pollfd p{FListener, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0) return;
        int fd = ::accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC);
        timeval five{5, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &five, sizeof five);
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &five, sizeof five);
        if (Clear && !Clear(fd)) {
            ::close(fd);
            return;
        }
        SSL* ssl = SSL_new(FContext);
        SSL_set_fd(ssl, fd);
        FHandshakeDone = SSL_accept(ssl) == 1;
        if (FHandshakeDone) {
            Run(ssl);
            SSL_shutdown(ssl);
        }
        SSL_free(ssl);
        ERR_clear_error();
        ::close(fd);
    }

    int FListener;
    int FPort = 0;
    SSL_CTX* FContext = nullptr;
    bool FHandshakeDone = false;
    std::thread FThread;
};

// One line from the session, CR LF dropped; empty on close.
inline std::string ReadTlsLine(SSL* Ssl)
{
    std::string line;
    char c;
    while (SSL_read(Ssl, &c, 1) == 1 && c != '\n') line += c;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

// The same in clear, before TLS.
inline std::string ReadPlainLine(int Fd)
{
    std::string line;
    char c;
    while (::recv(Fd, &c, 1, 0) == 1 && c != '\n') line += c;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

inline void WritePlain(int Fd, const std::string& Text) { ::send(Fd, Text.data(), Text.size(), MSG_NOSIGNAL); }

inline void WriteTls(SSL* Ssl, const std::string& Text) { SSL_write(Ssl, Text.data(), static_cast<int>(Text.size())); }

}  // namespace qeltest
