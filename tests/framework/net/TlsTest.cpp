#include "framework/net/ClientSocket.h"
#include "tests/framework/net/TlsTestPeer.h"
#include "tests/support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

using namespace qel;
using namespace qeltest;

namespace {

using Clock = std::chrono::steady_clock;

TTlsOptions TrustingTestCA()
{
    TTlsOptions o;
    o.CAFile = TestCert("ca.pem");
    return o;
}

// "AB:CD:..." as the openssl tool prints it, so the pin is taken as a user would copy it.
std::string ToolFingerprint(const std::string& Cert)
{
    std::string command = "openssl x509 -noout -fingerprint -sha256 -in '" + TestCert(Cert) + "'";
    FILE* out = ::popen(command.c_str(), "r");
    char text[256] = "";
    if (!std::fgets(text, sizeof text, out)) text[0] = 0;
    ::pclose(out);
    std::string line = text;
    return line.substr(line.find('=') + 1);
}

struct TTlsClient {
    TClientSocket Client{nullptr};
    TTlsClient(int Port)
    {
        Client.Address = "127.0.0.1";
        Client.Port = Port;
        Client.Open();
    }
    TCustomWinSocket& Socket() { return *Client.Socket(); }
};

// The text of the ESocketError StartTls raises; empty when it succeeds.
std::string StartTlsFailure(TCustomWinSocket& Socket, const std::string& Host, const TTlsOptions& Options,
                            int32_t TimeOut = 5000)
{
    try {
        Socket.StartTls(Host, Options, TimeOut);
    } catch (const ESocketError& e) {
        return e.Message();
    }
    return {};
}

std::string ReadLine(TWinSocketStream& Stream)
{
    std::string line;
    char c;
    while (Stream.Read(&c, 1) == 1 && c != '\n') line += c;
    return line;
}

}  // namespace

TEST(Tls, HandshakeWithTheExtraCAThenTalksThroughTls)
{
    for (const char* host : {"localhost", "127.0.0.1"}) {
        std::string heard;
        TlsPeer peer("server", [&](SSL* Ssl) {
            WriteTls(Ssl, "hello\n");
            heard = ReadTlsLine(Ssl);
        });
        TTlsClient c(peer.Port());
        ASSERT_EQ(StartTlsFailure(c.Socket(), host, TrustingTestCA()), "") << host;
        EXPECT_TRUE(c.Socket().Secure());
        EXPECT_EQ(c.Socket().TlsProtocol(), "TLSv1.3");
        EXPECT_EQ(c.Socket().PeerSubject(), "CN=localhost");
        TWinSocketStream stream(c.Client.Socket(), 5000);
        EXPECT_EQ(ReadLine(stream), "hello");
        EXPECT_EQ(stream.Write("over tls\n", 9), 9);
        peer.Wait();
        EXPECT_EQ(heard, "over tls") << "the peer reads the client's words decrypted";
    }
}

TEST(Tls, UntrustedOrMisnamedCertificatesAreRefusedAndTheConnectionClosed)
{
    struct TCase { const char* Cert; const char* Host; TTlsOptions Options; std::string Failure; };
    const TCase cases[] = {
        {"stranger", "localhost", TrustingTestCA(), "certificate not trusted: "},
        {"server", "localhost", TTlsOptions{}, "certificate not trusted: "},  // the system store alone
        {"other", "localhost", TrustingTestCA(), "certificate host name mismatch: expected localhost"},
        {"server", "127.0.0.2", TrustingTestCA(), "certificate host name mismatch: expected 127.0.0.2"},
    };
    for (const auto& k : cases) {
        TlsPeer peer(k.Cert, [](SSL*) {});
        TTlsClient c(peer.Port());
        const std::string failure = StartTlsFailure(c.Socket(), k.Host, k.Options);
        EXPECT_EQ(failure.substr(0, k.Failure.size()), k.Failure) << k.Cert << " " << failure;
        EXPECT_GT(failure.size(), k.Failure.size() - 1) << "a reason follows";
        EXPECT_FALSE(c.Socket().Connected());
        EXPECT_FALSE(c.Socket().Secure());
        peer.Wait();
        EXPECT_FALSE(peer.HandshakeDone()) << k.Cert << ": the refusal ends the handshake";
    }
}

TEST(Tls, PinnedFingerprintIsAcceptedWithoutACaAndOnlyThatOne)
{
    {
        TlsPeer peer("stranger", [](SSL* Ssl) { WriteTls(Ssl, "pinned\n"); });
        TTlsClient c(peer.Port());
        TTlsOptions pin;
        pin.PinnedSha256 = ToolFingerprint("stranger.pem");
        ASSERT_NE(pin.PinnedSha256.find(':'), std::string::npos);
        ASSERT_EQ(StartTlsFailure(c.Socket(), "localhost", pin), "");
        TWinSocketStream stream(c.Client.Socket(), 5000);
        EXPECT_EQ(ReadLine(stream), "pinned");
    }
    {
        // As the openssl tool prints it, prefix and all; the pin overrules the name too.
        TlsPeer peer("stranger", [](SSL*) {});
        TTlsClient c(peer.Port());
        TTlsOptions pin;
        pin.PinnedSha256 = "sha256 Fingerprint=" + ToolFingerprint("stranger.pem");
        EXPECT_EQ(StartTlsFailure(c.Socket(), "mail.example", pin), "");
    }
    {
        TlsPeer peer("stranger", [](SSL*) {});
        TTlsClient c(peer.Port());
        TTlsOptions wrong;
        wrong.PinnedSha256 = ToolFingerprint("server.pem");
        EXPECT_EQ(StartTlsFailure(c.Socket(), "localhost", wrong).rfind("certificate not trusted: ", 0), 0u);
    }
    TlsPeer peer("stranger", [](SSL*) {});
    TTlsClient c(peer.Port());
    TTlsOptions truncated;
    truncated.PinnedSha256 = "AB:CD";
    EXPECT_EQ(StartTlsFailure(c.Socket(), "localhost", truncated),
              "TLS handshake failed: the pinned fingerprint is no SHA-256 (64 hex digits)");
    EXPECT_FALSE(c.Socket().Connected());
}

TEST(Tls, HandshakeWithSilentPeerEndsAtTheTimeOut)
{
    LoopbackServer silent([](LoopbackPeer& P) { P.Pause(std::chrono::seconds(3)); });
    TTlsClient c(silent.Port());
    const auto start = Clock::now();
    EXPECT_EQ(StartTlsFailure(c.Socket(), "localhost", TrustingTestCA(), 300), "TLS handshake failed: timed out");
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_GE(took, 280);
    EXPECT_LT(took, 2000);
    EXPECT_FALSE(c.Socket().Connected());
}

TEST(Tls, PeerThatIsNoTlsServerFailsTheHandshake)
{
    LoopbackServer plain([](LoopbackPeer& P) { P.Send("220 plain text here\r\n"); });
    TTlsClient c(plain.Port());
    EXPECT_EQ(StartTlsFailure(c.Socket(), "localhost", TrustingTestCA()).rfind("TLS handshake failed: ", 0), 0u);
    EXPECT_FALSE(c.Socket().Connected());
}

TEST(Tls, BytesArriveOneRecordAtATimeAndBufferedDataCountsAsReadable)
{
    TlsPeer peer("server", [](SSL* Ssl) {
        for (char c : std::string("piecewise\n")) {
            SSL_write(Ssl, &c, 1);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        WriteTls(Ssl, "abc");  // one record
        ReadTlsLine(Ssl);      // stays until the client is done
    });
    TTlsClient c(peer.Port());
    ASSERT_EQ(StartTlsFailure(c.Socket(), "localhost", TrustingTestCA()), "");
    TWinSocketStream stream(c.Client.Socket(), 5000);
    EXPECT_EQ(ReadLine(stream), "piecewise");
    char first = 0;
    ASSERT_EQ(stream.Read(&first, 1), 1);
    EXPECT_EQ(first, 'a');
    // The rest of the record waits inside TLS, not on the socket.
    EXPECT_TRUE(stream.WaitForData(0));
    EXPECT_EQ(c.Socket().ReceiveLength(), 2);
    char rest[8] = {};
    EXPECT_EQ(stream.Read(rest, sizeof rest), 2);
    EXPECT_EQ(std::string(rest), "bc");
    EXPECT_FALSE(stream.WaitForData(50)) << "nothing more is there";
    stream.Write("done\n", 5);
}

TEST(Tls, PeerCloseReadsAsCloseAndCloseSendsCloseNotify)
{
    int peerGot = 0;
    TlsPeer peer("server", [&](SSL* Ssl) {
        WriteTls(Ssl, "bye\n");
        char c;
        peerGot = SSL_read(Ssl, &c, 1);  // 0: a clean close_notify from the client
    });
    TTlsClient c(peer.Port());
    ASSERT_EQ(StartTlsFailure(c.Socket(), "localhost", TrustingTestCA()), "");
    TWinSocketStream stream(c.Client.Socket(), 5000);
    EXPECT_EQ(ReadLine(stream), "bye");
    c.Client.Close();
    peer.Wait();
    EXPECT_EQ(peerGot, 0);
    EXPECT_FALSE(c.Socket().Secure());
}
