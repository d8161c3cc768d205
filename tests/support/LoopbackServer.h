#pragma once
// A scriptable TCP server on 127.0.0.1 for socket and protocol tests. It listens on an ephemeral
// port as soon as it is built and runs a script per accepted connection on its own thread:
//
//     std::string got;                                    // declared before the server
//     LoopbackServer server([&](LoopbackPeer& c) { c.Send("+OK hi\r\n"); got = c.ReadLine().value_or(""); });
//     ... connect to server.Port() ...
//     server.Wait();                                      // the script is done: read `got`
//
// Every wait of the script ends after the peer's TimeOut or when the server is destroyed, so a
// script that waits for a client that never comes cannot hang the test.
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <arpa/inet.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>


namespace qeltest {

using namespace std::chrono_literals;

namespace detail {

// True when Fd is ready; false on time-out or once StopFd has been signalled.
inline bool WaitReady(int Fd, short Events, int StopFd, std::chrono::milliseconds TimeOut)
{
    pollfd p[2] = {{Fd, Events, 0}, {StopFd, POLLIN, 0}};
    int r = ::poll(p, 2, static_cast<int>(TimeOut.count()));
    return r > 0 && p[1].revents == 0 && p[0].revents != 0;
}

inline sockaddr_in Loopback(uint16_t Port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(Port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

inline int BoundPort(int Fd)
{
    sockaddr_in a{};
    socklen_t len = sizeof a;
    ::getsockname(Fd, reinterpret_cast<sockaddr*>(&a), &len);
    return ntohs(a.sin_port);
}

}  // namespace detail

// A listener on 127.0.0.1 that never accepts, its queue filled: a further connect to Port() goes
// unanswered. Full() is false on a kernel that answers beyond the queue (the test then skips).
class FullListener {
public:
    FullListener() : FListener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_in a = detail::Loopback(0);
        if (::bind(FListener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(FListener, 0) != 0) return;
        FPort = detail::BoundPort(FListener);
        a.sin_port = htons(static_cast<uint16_t>(FPort));
        bool answered = true;
        while (answered && FFillers.size() < 16) {
            FFillers.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
            ::connect(FFillers.back(), reinterpret_cast<sockaddr*>(&a), sizeof a);
            pollfd p{FFillers.back(), POLLOUT, 0};
            answered = ::poll(&p, 1, 200) > 0;
        }
        FFull = !answered;
    }
    ~FullListener()
    {
        for (int fd : FFillers) ::close(fd);
        ::close(FListener);
    }
    FullListener(const FullListener&) = delete;
    FullListener& operator=(const FullListener&) = delete;

    bool Full() const { return FFull; }
    int Port() const { return FPort; }

private:
    int FListener;
    int FPort = 0;
    bool FFull = false;
    std::vector<int> FFillers;
};

// A port on 127.0.0.1 that nobody listens on (bound once, then released).
inline int FreeLoopbackPort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = detail::Loopback(0);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    int port = detail::BoundPort(fd);
    ::close(fd);
    return port;
}

// The server's end of one connection, as a script sees it.
class LoopbackPeer {
public:
    LoopbackPeer(int Fd, int StopFd) : FFd(Fd), FStopFd(StopFd) {}
    ~LoopbackPeer() { Close(); }
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    std::chrono::milliseconds TimeOut{5000};  // per wait

    void Send(std::string_view Bytes)
    {
        while (!Bytes.empty() && FFd >= 0) {
            ssize_t n = ::send(FFd, Bytes.data(), Bytes.size(), MSG_NOSIGNAL);
            if (n > 0)
                Bytes.remove_prefix(static_cast<size_t>(n));
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                return;  // the client is gone
            else if (!detail::WaitReady(FFd, POLLOUT, FStopFd, TimeOut))
                return;
        }
    }

    // Sends Bytes PieceSize bytes at a time with a pause between, so the client sees them split.
    void SendInPieces(std::string_view Bytes, size_t PieceSize, std::chrono::milliseconds Gap = 10ms)
    {
        for (size_t i = 0; i < Bytes.size(); i += PieceSize) {
            if (i > 0) std::this_thread::sleep_for(Gap);
            Send(Bytes.substr(i, PieceSize));
        }
    }

    // One line without its terminator (LF or CR LF); nullopt when the client closed or went silent.
    std::optional<std::string> ReadLine()
    {
        size_t eol;
        while ((eol = FPending.find('\n')) == std::string::npos)
            if (!Fill()) return std::nullopt;
        std::string line = FPending.substr(0, eol);
        FPending.erase(0, eol + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
    }

    // Count bytes, or fewer when the client closed or went silent.
    std::string Read(size_t Count)
    {
        while (FPending.size() < Count && Fill()) {}
        return Take(std::min(Count, FPending.size()));
    }

    // Everything until the client closes (or goes silent for TimeOut).
    std::string ReadUntilClosed()
    {
        while (Fill()) {}
        return Take(FPending.size());
    }

    // Waits without reading (the client's writes back up), ending early when the server stops.
    void Pause(std::chrono::milliseconds Time)
    {
        pollfd p{FStopFd, POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(Time.count()));
    }

    bool ClientClosed() const { return FClientClosed; }
    const std::string& Received() const { return FReceived; }  // every byte received, raw

    void Close()
    {
        if (FFd >= 0) ::close(std::exchange(FFd, -1));
    }

    // Closes with a reset instead of an orderly end, as a crashed server would.
    void Abort()
    {
        linger l{1, 0};
        if (FFd >= 0) ::setsockopt(FFd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
        Close();
    }

private:
    bool Fill()
    {
        if (FFd < 0 || FClientClosed || !detail::WaitReady(FFd, POLLIN, FStopFd, TimeOut)) return false;
        char buf[65536];
        ssize_t n = ::recv(FFd, buf, sizeof buf, 0);
        if (n <= 0) {
            FClientClosed = n == 0 || (errno != EAGAIN && errno != EINTR);
            return !FClientClosed;
        }
        FPending.append(buf, static_cast<size_t>(n));
        FReceived.append(buf, static_cast<size_t>(n));
        return true;
    }

    std::string Take(size_t Count)
    {
        std::string out = FPending.substr(0, Count);
        FPending.erase(0, Count);
        return out;
    }

    int FFd;
    int FStopFd;
    bool FClientClosed = false;
    std::string FPending;
    std::string FReceived;
};

// Accepts Connections connections one after another and runs Script on each, then stops.
class LoopbackServer {
public:
    using TScript = std::function<void(LoopbackPeer&)>;

    explicit LoopbackServer(TScript Script, int Connections = 1)
    {
        if (::pipe2(FStop, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
        FListen = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in a = detail::Loopback(0);
        if (::bind(FListen, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(FListen, 8) != 0)
            throw std::runtime_error("cannot listen on 127.0.0.1");
        FPort = detail::BoundPort(FListen);
        FThread = std::thread([this, S = std::move(Script), Connections] { Serve(S, Connections); });
    }

    ~LoopbackServer()
    {
        [[maybe_unused]] ssize_t n = ::write(FStop[1], "x", 1);
        Wait();
        ::close(FListen);
        ::close(FStop[0]);
        ::close(FStop[1]);
    }

    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    int Port() const { return FPort; }

    // Until every script has run. Afterwards what the scripts stored may be read safely.
    void Wait()
    {
        if (FThread.joinable()) FThread.join();
    }

    // What a script threw, if anything; empty otherwise. Read after Wait.
    const std::string& ScriptError() const { return FScriptError; }

private:
    void Serve(const TScript& Script, int Connections)
    {
        for (int i = 0; i < Connections; ++i) {
            if (!detail::WaitReady(FListen, POLLIN, FStop[0], 5000ms)) return;
            int fd = ::accept4(FListen, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd < 0) continue;
            LoopbackPeer peer(fd, FStop[0]);
            try {
                Script(peer);
            } catch (const std::exception& E) {
                FScriptError = E.what();
            }
        }
    }

    int FStop[2] = {-1, -1};
    int FListen = -1;
    int FPort = 0;
    std::string FScriptError;
    std::thread FThread;
};

}  // namespace qeltest
