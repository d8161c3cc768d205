// qelmail: a command-line mail tool on the qelmail components.
#include "AccountsCommand.h"
#include "CommandLine.h"
#include "ExitCodes.h"
#include "FetchCommand.h"
#include "MapiSendCommand.h"
#include "QuickSendCommand.h"
#include "SendCommand.h"
#include "framework/core/Application.h"

#include <QStringList>
#include <cstdio>
#include <malloc.h>

using namespace qel;
using namespace qelmail_tool;

namespace {

const char* Usage =
    "usage: qelmail <command> [options]\n"
    "commands:\n"
    "  send        send a message with attachments through an SMTP server\n"
    "  fetch       read a POP3 mailbox: list new messages, store them in a Maildir, save attachments\n"
    "  mapi-send   send a message or fax through the Simple MAPI provider and a profile\n"
    "  quick-send  send a short message or fax to one recipient through the default profile\n"
    "  accounts    list the mail accounts of an accounts file\n"
    "run 'qelmail <command> --help' for the options of a command, 'qelmail --version' for the version\n";

}  // namespace

int main(int argc, char** argv)
{
    // The tool allocates and frees the lines of one message after another: keep the freed heap
    // for the next one rather than hand it back to the kernel and fault it in again.
    mallopt(M_TRIM_THRESHOLD, 32 << 20);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    Application->Initialize(argc, argv);
    Application->SetTitle("qelmail");
    QStringList args;
    for (int i = 2; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    const String command = argc > 1 ? argv[1] : "";
    try {
        if (command == "send") return RunSend(args);
        if (command == "fetch") return RunFetch(args);
        if (command == "mapi-send") return RunMapiSend(args);
        if (command == "quick-send") return RunQuickSend(args);
        if (command == "accounts") return RunAccounts(args);
        if (command == "-h" || command == "--help" || command == "help") {
            std::fputs(Usage, stdout);
            std::fputs(ExitCodesHelp, stdout);
            return 0;
        }
        if (command == "--version") {
            std::printf("qelmail %s\n", QEL_VERSION);
            return 0;
        }
        throw TUsageError(command.empty() ? "no command given" : "unknown command '" + command + "'");
    } catch (const TUsageError& e) {
        std::fprintf(stderr, "qelmail: %s\n%s", e.what(), Usage);
        return ExitUsage;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qelmail: %s\n", e.what());
        return 1;
    }
}
