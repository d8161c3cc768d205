#include "FetchCommand.h"

#include "AccountsFile.h"
#include "CommandLine.h"
#include "FetchRun.h"

#include <QCommandLineParser>

namespace qelmail_tool {

namespace {

TFetchOptions ParseFetchOptions(const QStringList& Args)
{
    QCommandLineParser p;
    p.setApplicationDescription("Reads a POP3 mailbox; lists new messages, stores them in a Maildir, saves their "
                                "attachments.");
    p.addOptions(AccountOptions("POP3", 110));
    p.addOptions({
        {"user", "Mailbox user name (default: the account's).", "name"},
        PasswordFileOption(),
        {"headers-only", "Read only the header of each message."},
        {"maildir", "Store every message, exactly as the server sent it, in this Maildir (its new/ folder).", "dir"},
        {"delete", "Delete each message on the server once it is stored in the Maildir (needs --maildir)."},
        {"save-dir", "Save every attachment into this folder.", "dir"},
        {"new-only", "Fetch only messages not fetched before (by the server's unique ids, kept per account in "
                     "$XDG_STATE_HOME/qelmail)."},
        {{"v", "verbose"}, "Print every server reply and the TLS protocol and certificate on standard error."},
    });
    ParseCommand(p, "fetch", Args);
    TFetchOptions o;
    o.HeadersOnly = p.isSet("headers-only");
    o.Delete = p.isSet("delete");
    o.Verbose = p.isSet("verbose");
    if (p.isSet("maildir")) o.Maildir = p.value("maildir").toStdString();
    if (p.isSet("save-dir")) o.SaveDir = p.value("save-dir").toStdString();
    if (p.isSet("maildir") && o.Maildir.empty()) throw TUsageError("--maildir needs a folder");
    // Deleting what is kept nowhere loses it: the text of a message lives only on the server.
    if (o.Delete && o.Maildir.empty()) throw TUsageError("--delete needs --maildir: a message is deleted only once it is stored");
    if (o.HeadersOnly && !o.Maildir.empty()) throw TUsageError("--maildir stores whole messages: not with --headers-only");
    o.Account = ReadAccountSettings(p, TProtocol::Pop3);
    if (p.isSet("user")) o.Account.User = p.value("user").toStdString();
    if (p.isSet("new-only")) o.Account.NewOnly = true;
    if (o.Account.User.empty()) throw TUsageError("--user is required (or an account with a user name)");
    o.Account.Password = ReadPassword(p, o.Account, "QELMAIL_PASSWORD");
    return o;
}

}  // namespace

int RunFetch(const QStringList& Args)
{
    const TFetchOptions o = ParseFetchOptions(Args);
    TFetchRun run(o);
    return run.Run();
}

}  // namespace qelmail_tool
