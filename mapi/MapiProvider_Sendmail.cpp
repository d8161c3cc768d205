// Hands a composed message to the local sendmail interface.
#include "mapi/MapiProvider.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <utility>
#include <vector>
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

bool WaitSuccess(pid_t Child, const String& Program)
{
    int Status = 0;
    while (waitpid(Child, &Status, 0) < 0)
        if (errno != EINTR) {
            SetLastError("lost the sendmail program " + Program + ": " + std::strerror(errno));
            return false;
        }
    if (WIFEXITED(Status) && WEXITSTATUS(Status) == 0)
        return true;
    SetLastError(WIFEXITED(Status)
                     ? "the sendmail program " + Program + " failed with exit status " + std::to_string(WEXITSTATUS(Status))
                     : "the sendmail program " + Program + " was ended by signal " + std::to_string(WTERMSIG(Status)));
    return false;
}

}  // namespace

std::vector<String> SendmailCommand(const String& SendmailPath)
{
    std::vector<String> Words;
    String Word;
    bool Quoted = false, InWord = false;
    for (char C : SendmailPath) {
        if (C == '"') {
            Quoted = !Quoted;
            InWord = true;
        } else if ((C == ' ' || C == '\t') && !Quoted) {
            if (InWord) Words.push_back(std::exchange(Word, String()));
            InWord = false;
        } else {
            Word += C;
            InWord = true;
        }
    }
    if (InWord) Words.push_back(Word);
    return Words;
}

bool RunSendmail(const String& SendmailPath, const String& Text)
{
    std::vector<String> Words = SendmailCommand(SendmailPath);
    if (Words.empty()) {
        SetLastError("the profile names no sendmail program (SendmailPath)");
        return false;
    }
    if (access(Words[0].c_str(), X_OK) != 0) {
        SetLastError("the sendmail program " + Words[0] + " cannot be run: " + std::strerror(errno) + " (SendmailPath)");
        return false;
    }
    int Pipe[2];
    if (pipe2(Pipe, O_CLOEXEC) != 0) {
        SetLastError(String("cannot start the sendmail program: ") + std::strerror(errno));
        return false;
    }
    // Built before fork: the child may only make async-signal-safe calls.
    Words.push_back("-t");
    Words.push_back("-oi");
    std::vector<char*> Argv;
    for (String& W : Words) Argv.push_back(W.data());
    Argv.push_back(nullptr);
    TSigPipeBlock Block;
    pid_t Child = fork();
    if (Child == 0) {
        if (dup2(Pipe[0], STDIN_FILENO) < 0)
            _exit(127);
        execv(Argv[0], Argv.data());
        _exit(127);
    }
    close(Pipe[0]);
    if (Child < 0) {
        SetLastError(String("cannot start the sendmail program: ") + std::strerror(errno));
        close(Pipe[1]);
        return false;
    }
    bool Written = WriteAll(Pipe[1], Text);
    close(Pipe[1]);
    if (!WaitSuccess(Child, Words[0])) return false;
    if (!Written) SetLastError("the sendmail program " + Words[0] + " did not take the whole message");
    return Written;
}

}  // namespace qel::mapiprovider
