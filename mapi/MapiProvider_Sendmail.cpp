// Hands a composed message to the local sendmail interface.
#include "mapi/MapiProvider.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace qel::mapiprovider {

namespace {

// A sendmail that exits early must not kill the host with SIGPIPE.
class TSigPipeBlock {
public:
    TSigPipeBlock()
    {
        sigset_t Set;
        sigemptyset(&Set);
        sigaddset(&Set, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &Set, &FOld);
    }
    ~TSigPipeBlock()
    {
        sigset_t Set;
        sigemptyset(&Set);
        sigaddset(&Set, SIGPIPE);
        timespec Zero{0, 0};
        while (sigtimedwait(&Set, nullptr, &Zero) > 0) {
        }
        pthread_sigmask(SIG_SETMASK, &FOld, nullptr);
    }
    TSigPipeBlock(const TSigPipeBlock&) = delete;
    TSigPipeBlock& operator=(const TSigPipeBlock&) = delete;

private:
    sigset_t FOld;
};

bool WriteAll(int Fd, const String& Text)
{
    size_t Done = 0;
    while (Done < Text.size()) {
        ssize_t N = write(Fd, Text.data() + Done, Text.size() - Done);
        if (N < 0 && errno == EINTR)
            continue;
        if (N <= 0)
            return false;
        Done += size_t(N);
    }
    return true;
}

bool WaitSuccess(pid_t Child)
{
    int Status = 0;
    while (waitpid(Child, &Status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(Status) && WEXITSTATUS(Status) == 0;
}

}  // namespace

bool RunSendmail(const String& SendmailPath, const String& Text)
{
    int Pipe[2];
    if (SendmailPath.empty() || pipe2(Pipe, O_CLOEXEC) != 0)
        return false;
    // Built before fork: the child may only make async-signal-safe calls.
    String Path = SendmailPath;
    char T[] = "-t";
    char Oi[] = "-oi";
    char* Argv[] = {Path.data(), T, Oi, nullptr};
    TSigPipeBlock Block;
    pid_t Child = fork();
    if (Child == 0) {
        if (dup2(Pipe[0], STDIN_FILENO) < 0)
            _exit(127);
        execv(Argv[0], Argv);
        _exit(127);
    }
    close(Pipe[0]);
    if (Child < 0) {
        close(Pipe[1]);
        return false;
    }
    bool Written = WriteAll(Pipe[1], Text);
    close(Pipe[1]);
    return WaitSuccess(Child) && Written;
}

}  // namespace qel::mapiprovider
