#include "PasswordPrompt.h"

#include "CommandLine.h"

#include <cstdio>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace qelmail_tool {

String AskPassword(const String& Prompt)
{
    const int fd = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (fd < 0) throw TUsageError("no terminal to ask for the password: use --password-file");
    termios saved{};
    const bool isTty = ::tcgetattr(fd, &saved) == 0;
    if (isTty) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(fd, TCSAFLUSH, &quiet);
    }
    (void)!::write(fd, Prompt.data(), Prompt.size());
    String password;
    char c = 0;
    while (::read(fd, &c, 1) == 1 && c != '\n' && c != '\r') password.push_back(c);
    if (isTty) ::tcsetattr(fd, TCSAFLUSH, &saved);
    (void)!::write(fd, "\n", 1);
    ::close(fd);
    return password;
}

}  // namespace qelmail_tool
