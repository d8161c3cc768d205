// The session engine's wait for a reply, driven with a reader that takes one line per reply.
#include "framework/core/Timer.h"
#include "mail/session/MailHost.h"
#include "mail/session/ReplyReader.h"
#include "tests/support/ScriptedServer.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string_view>
#include <vector>

using namespace qel;
using namespace qeltest;
using Clock = std::chrono::steady_clock;
using Lines = std::vector<std::string>;

namespace {

// Takes the bytes up to its first LF and leaves the rest for the next reply.
class TOneLine : public TReplyReader {
public:
    explicit TOneLine(size_t Room = 64 * 1024) : FRoom(Room) {}

    bool Complete() const override { return Line.ends_with('\n'); }
    size_t Room() const override { return FRoom; }
    size_t Take(std::string_view Bytes) override
    {
        Handed.push_back(Bytes.size());
        const size_t lf = Bytes.find('\n');
        const size_t used = lf == std::string_view::npos ? Bytes.size() : lf + 1;
        Line.append(Bytes.substr(0, used));
        return used;
    }

    String Line;
    std::vector<size_t> Handed;  // how many bytes each Take was offered

private:
    size_t FRoom;
};

class TTestHost : public TQELMailHost {
public:
    TTestHost() : TQELMailHost(nullptr) {}
    using TQELMailHost::ReadReply;
    using TQELMailHost::TReplyEnd;
    void SetSilentWaitLimit(int32_t Limit) { FSilentWaitLimit = Limit; }
};

}  // namespace

TEST(MailHostEngine, BytesAfterAReplyWaitForTheNext)
{
    TScriptedServer server(Conversations(TDialogue{{"", Sent("one\r\ntwo\r\nthr")}, {"more", Sent("ee\r\nstale\r\n")}}));
    TTestHost host;
    host.Connect("127.0.0.1", server.Port(), 10);
    ASSERT_TRUE(host.Connected);
    Lines replies;
    for (int i = 0; i < 3; ++i) {
        if (i == 2) host.SendSocketText("more\r\n");
        TOneLine reply;
        EXPECT_EQ(host.ReadReply(reply), TTestHost::TReplyEnd::Complete);
        replies.push_back(reply.Line);
    }
    EXPECT_EQ(replies, (Lines{"one\r\n", "two\r\n", "three\r\n"}));
    host.Disconnect();
    EXPECT_EQ(server.Lines(), (Lines{"more", "QUIT"}));

    // A new connection starts with nothing of the last one.
    TScriptedServer next(Conversations(TDialogue{{"", Sent("fresh\r\n")}}));
    host.Connect("127.0.0.1", next.Port(), 10);
    TOneLine reply;
    host.ReadReply(reply);
    EXPECT_EQ(reply.Line, "fresh\r\n");
}

TEST(MailHostEngine, ReadsTakeNoMoreThanTheReaderHasRoomFor)
{
    TScriptedServer server(Conversations(TDialogue{{"", Sent("abcdefghij\r\n")}}));
    TTestHost host;
    host.Connect("127.0.0.1", server.Port(), 10);
    TOneLine reply(4);
    EXPECT_EQ(host.ReadReply(reply), TTestHost::TReplyEnd::Complete);
    EXPECT_EQ(reply.Line, "abcdefghij\r\n");
    EXPECT_EQ(reply.Handed, (std::vector<size_t>{4, 4, 4}));
}

TEST(MailHostEngine, SilentOrClosedServerEndsTheWait)
{
    // A limit counts empty waits of the stream's time-out (here 100 ms) in a row.
    TScriptedServer silent(Conversations(TDialogue{}));
    TTestHost host;
    host.SetSilentWaitLimit(3);
    host.Connect("127.0.0.1", silent.Port(), 1);
    auto start = Clock::now();
    TOneLine nothing;
    EXPECT_EQ(host.ReadReply(nothing), TTestHost::TReplyEnd::Silent);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(300));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));

    // Within the limit the queue is serviced between empty waits, so the host can end the session
    // from there.
    host.SetSilentWaitLimit(50);
    TTimer timer(nullptr);
    timer.SetInterval(250);
    timer.OnTimer = [&](TObject*) {
        timer.SetEnabled(false);
        host.HandleError(eeGeneral);
    };
    start = Clock::now();
    EXPECT_EQ(host.ReadReply(nothing), TTestHost::TReplyEnd::Closed);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(200));

    // A server that hangs up mid-reply leaves what it sent.
    TScriptedServer closing(Conversations(TDialogue{{"", {{"half a li"}, {}, {}, TEnd::Close}}}));
    host.Connect("127.0.0.1", closing.Port(), 1);
    TOneLine cut;
    EXPECT_EQ(host.ReadReply(cut), TTestHost::TReplyEnd::Closed);
    EXPECT_EQ(cut.Line, "half a li");
}

TEST(MailHostEngine, EveryWaitIsBoundedByTheAccountsTimeOut)
{
    // Ten empty waits of TimeOut x 100 ms in a row: with a time-out of 1, a second of silence.
    TScriptedServer silent(Conversations(TDialogue{}));
    TTestHost host;
    Lines errors;
    host.OnError = [&](TObject*, const String& Status, const String& Text, bool) { errors.push_back(Status + "|" + Text); };
    host.Connect("127.0.0.1", silent.Port(), 1);
    const auto start = Clock::now();
    TOneLine nothing;
    EXPECT_FALSE(host.AwaitReply(nothing));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(950));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    // Reported once, saying how long and for what; the session is over.
    EXPECT_EQ(errors, Lines{"0|No greeting from the server within 1 s"});
    EXPECT_TRUE(host.Aborted);
    EXPECT_FALSE(host.Connected);
}

TEST(MailHostEngine, ConnectWaitFollowsTheAccountsTimeOut)
{
    const qeltest::FullListener silent;
    if (!silent.Full()) GTEST_SKIP() << "this kernel answers beyond the listen queue";
    const int port = silent.Port();
    TTestHost host;
    Lines errors;
    host.OnError = [&](TObject*, const String& Status, const String& Text, bool) { errors.push_back(Status + "|" + Text); };
    const auto start = Clock::now();
    host.Connect("127.0.0.1", port, 1);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    const String where = "127.0.0.1:" + std::to_string(port);
    EXPECT_EQ(errors, (Lines{std::to_string(ETIMEDOUT) + "|Connection timed out after 1 s (" + where + ") while connecting",
                             "0|Can not connect to server " + where + ": Connection timed out after 1 s"}));
    EXPECT_FALSE(host.Connected);
}
