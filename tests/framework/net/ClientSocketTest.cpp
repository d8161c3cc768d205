#include "framework/net/ClientSocket.h"
#include "tests/support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <netdb.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <vector>

using namespace qel;

using namespace qeltest;
using Clock = std::chrono::steady_clock;

namespace {

std::string Err(TErrorEvent Kind, int Code) { return "error " + std::to_string(Kind) + " " + std::to_string(Code); }

void OpenTo(TClientSocket& S, int Port)
{
    S.Host = "127.0.0.1";
    S.Port = Port;
    S.Open();
}

// Records a client socket's notices as text, e.g. "connect", "error 3 111".
struct TEventLog {
    std::vector<std::string> Events;
    bool ZeroCode = true;  // what the error handler does with the code

    explicit TEventLog(TClientSocket& S)
    {
        auto note = [this, &S](const char* What) {
            return [this, &S, What](TObject* Sender, TCustomWinSocket* Socket) {
                EXPECT_EQ(Sender, &S);
                EXPECT_EQ(Socket, S.Socket());
                Events.push_back(What);
            };
        };
        S.OnLookup = note("lookup");
        S.OnConnecting = note("connecting");
        S.OnConnect = note("connect");
        S.OnDisconnect = note("disconnect");
        S.OnError = [this](TObject*, TCustomWinSocket*, TErrorEvent Kind, int& Code) {
            Events.push_back(Err(Kind, Code));
            if (ZeroCode) Code = 0;
        };
    }
    size_t Count(const std::string& What) const { return std::count(Events.begin(), Events.end(), What); }
};

long long MsSince(Clock::time_point Start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - Start).count();
}

}  // namespace

TEST(ClientSocket, OpensDescribesAndClosesOnce)
{
    LoopbackServer server([](LoopbackPeer& c) { c.ReadUntilClosed(); }, 2);
    TClientSocket client(nullptr);
    TEventLog log(client);
    client.OnConnect = [&, inner = client.OnConnect](TObject* Sender, TCustomWinSocket* S) {
        EXPECT_TRUE(client.Active());  // fires inside Open, connection ready
        inner(Sender, S);
    };
    client.Host = "localhost";
    client.Port = server.Port();
    client.Open();
    EXPECT_EQ(log.Events, (std::vector<std::string>{"lookup", "connecting", "connect"}));
    TCustomWinSocket* s = client.Socket();
    char name[256] = "";
    gethostname(name, sizeof name - 1);
    EXPECT_EQ(s->LocalHost(), name);
    EXPECT_EQ(s->RemoteHost(), "localhost");
    EXPECT_EQ(s->RemoteAddress(), "127.0.0.1");
    EXPECT_EQ(s->RemotePort(), server.Port());
    EXPECT_GT(s->LocalPort(), 0);

    client.Close();
    client.Close();
    EXPECT_EQ(log.Count("disconnect"), 1u);
    EXPECT_FALSE(client.Active());
    EXPECT_EQ(s->RemotePort(), 0);

    // By numeric address; destroying the component closes without notices and leaves a stream inert.
    auto other = std::make_unique<TClientSocket>(nullptr);
    other->Address = "127.0.0.1";
    other->Port = server.Port();
    other->Open();
    bool disconnected = false;
    other->OnDisconnect = [&](TObject*, TCustomWinSocket*) { disconnected = true; };
    TWinSocketStream stream(other->Socket(), 5000);
    other.reset();
    char c;
    EXPECT_FALSE(stream.WaitForData(1000));
    EXPECT_EQ(stream.Read(&c, 1), 0);
    EXPECT_EQ(stream.Write("x", 1), 0);
    EXPECT_FALSE(disconnected);
}

TEST(WinSocketStream, WaitsReadsAndWritesWholly)
{
    const std::string payload(8 * 1024 * 1024, 'p');
    std::string received;
    LoopbackServer server([&](LoopbackPeer& c) {
        received = c.Read(payload.size());
        c.SendInPieces("HELLO WORLD\r\n", 3);
        c.ReadUntilClosed();
    });
    TClientSocket client(nullptr);
    OpenTo(client, server.Port());
    TWinSocketStream stream(client.Socket(), 5000);

    auto start = Clock::now();
    EXPECT_FALSE(stream.WaitForData(200));
    EXPECT_GE(MsSince(start), 195);
    EXPECT_LT(MsSince(start), 1500);

    EXPECT_EQ(stream.Write(payload.data(), static_cast<int>(payload.size())), static_cast<int>(payload.size()));
    std::string text;
    char buf[64];
    while (text.size() < 13 && stream.WaitForData(2000)) text.append(buf, stream.Read(buf, sizeof buf));
    EXPECT_EQ(text, "HELLO WORLD\r\n");
    client.Close();
    server.Wait();
    EXPECT_TRUE(received == payload);

    // A peer that stops reading stalls the write for one TimeOut, then it is reported.
    LoopbackServer stalled([](LoopbackPeer& c) { c.Pause(10s); });
    TEventLog log(client);
    OpenTo(client, stalled.Port());
    TWinSocketStream slow(client.Socket(), 200);
    start = Clock::now();
    EXPECT_LT(slow.Write(payload.data(), static_cast<int>(payload.size())), static_cast<int>(payload.size()));
    EXPECT_GE(MsSince(start), 195);
    EXPECT_EQ(log.Events.back(), Err(eeSend, ETIMEDOUT));
    EXPECT_TRUE(client.Active());
}

TEST(WinSocketStream, PeerEndReadsZeroOnceThenStaysClosed)
{
    LoopbackServer server([](LoopbackPeer& c) { c.Send("bye"); c.Close(); });
    TClientSocket client(nullptr);
    TEventLog log(client);
    OpenTo(client, server.Port());
    TWinSocketStream stream(client.Socket(), 5000);
    char buf[16];
    ASSERT_TRUE(stream.WaitForData(2000));
    EXPECT_EQ(stream.Read(buf, sizeof buf), 3);
    EXPECT_TRUE(stream.WaitForData(2000));
    EXPECT_EQ(stream.Read(buf, sizeof buf), 0);
    EXPECT_TRUE(stream.PeerClosed());
    EXPECT_FALSE(client.Active());
    auto start = Clock::now();
    EXPECT_FALSE(stream.WaitForData(2000));
    EXPECT_EQ(stream.Read(buf, sizeof buf), 0);
    EXPECT_LT(MsSince(start), 100);
    EXPECT_EQ(log.Events, (std::vector<std::string>{"lookup", "connecting", "connect", "disconnect"}));

    // A reset is a receive error, and closes just the same.
    LoopbackServer crashing([](LoopbackPeer& c) { c.ReadLine(); c.Abort(); });
    TEventLog crashLog(client);
    OpenTo(client, crashing.Port());
    TWinSocketStream crashStream(client.Socket(), 5000);
    crashStream.Write("go\n", 3);
    EXPECT_EQ(crashStream.Read(buf, sizeof buf), 0);
    EXPECT_EQ(crashLog.Count(Err(eeReceive, ECONNRESET)), 1u);
    EXPECT_EQ(crashLog.Count("disconnect"), 1u);
    EXPECT_FALSE(crashStream.PeerClosed());
}

TEST(WinSocketStream, WriteToGonePeerReportsSendErrorWithoutSignal)
{
    LoopbackServer server([](LoopbackPeer& c) { c.Close(); });
    TClientSocket client(nullptr);
    TEventLog log(client);
    OpenTo(client, server.Port());
    TWinSocketStream stream(client.Socket(), 1000);
    ASSERT_TRUE(stream.WaitForData(2000));  // the peer's close has arrived, unread
    for (int i = 0; i < 200 && client.Active(); ++i) {
        stream.Write("data\r\n", 6);
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_TRUE(log.Count(Err(eeSend, EPIPE)) + log.Count(Err(eeSend, ECONNRESET)) == 1) << log.Events.back();
    EXPECT_EQ(log.Count("disconnect"), 1u);
    log.ZeroCode = false;
    EXPECT_THROW(stream.Write("x", 1), ESocketError);  // a closed connection loses no data silently

    // Mail components free the stream from their error handler, in the middle of its Write.
    LoopbackServer again([](LoopbackPeer& c) { c.Close(); });
    OpenTo(client, again.Port());
    auto owned = std::make_unique<TWinSocketStream>(client.Socket(), 1000);
    client.OnError = [&](TObject*, TCustomWinSocket*, TErrorEvent, int& Code) { Code = 0; owned.reset(); };
    for (int i = 0; i < 200 && owned; ++i) {
        owned->Write("data\r\n", 6);
        std::this_thread::sleep_for(5ms);
    }
    EXPECT_FALSE(owned);
}

TEST(ClientSocket, FailedOpenReportsThroughOnErrorAndRaisesUnlessZeroed)
{
    TClientSocket client(nullptr);
    TEventLog log(client);
    OpenTo(client, FreeLoopbackPort());
    EXPECT_FALSE(client.Active());
    EXPECT_EQ(log.Events.back(), Err(eeConnect, ECONNREFUSED));
    EXPECT_EQ(log.Count("connect") + log.Count("disconnect"), 0u);

    log.ZeroCode = false;
    try {
        client.Open();
        ADD_FAILURE() << "no ESocketError";
    } catch (const ESocketError& E) {
        EXPECT_EQ(E.Message(), "Socket error: Connection refused (" + std::to_string(ECONNREFUSED) + "), on API 'connect'");
    }

    log.Events.clear();
    client.Host = "no-such-host.invalid";
    client.ConnectTimeOut = 3000;
    auto start = Clock::now();
    EXPECT_THROW(client.Open(), ESocketError);
    EXPECT_LT(MsSince(start), 3500);
    ASSERT_EQ(log.Events.size(), 2u);  // lookup, then the error
    EXPECT_TRUE(log.Events[1] == Err(eeLookup, LookupErrorBase - EAI_NONAME) ||
                log.Events[1] == Err(eeLookup, LookupErrorBase - EAI_AGAIN))
        << log.Events[1];
    EXPECT_FALSE(client.Active());
}

TEST(ClientSocket, ConnectToSilentHostEndsAtConnectTimeOut)
{
    const FullListener silent;
    if (!silent.Full()) GTEST_SKIP() << "this kernel answers beyond the listen queue";
    TClientSocket client(nullptr);
    TEventLog log(client);
    client.ConnectTimeOut = 300;
    auto start = Clock::now();
    OpenTo(client, silent.Port());
    EXPECT_GE(MsSince(start), 295);
    EXPECT_LT(MsSince(start), 2000);
    EXPECT_EQ(log.Events.back(), Err(eeConnect, ETIMEDOUT));
}
