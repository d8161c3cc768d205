#include "AccountsCommand.h"

#include "AccountsFile.h"
#include "CommandLine.h"
#include "framework/core/SysUtils.h"
#include "mail/QELTMailAccount.h"

#include <QCommandLineParser>
#include <cstdio>

namespace qelmail_tool {

namespace {

String ServerText(const String& Host, int32_t Port)
{
    return Host.empty() ? String("-") : Host + ":" + std::to_string(Port);
}

}  // namespace

int RunAccounts(const QStringList& Args)
{
    QCommandLineParser p;
    p.setApplicationDescription("Lists the accounts of an accounts file (a form file holding a TQELAccountHolder); "
                                "passwords are never shown.");
    p.addOption({"accounts", "Accounts file (default: $XDG_CONFIG_HOME/qel/mail-accounts.json).", "file"});
    ParseCommand(p, "accounts", Args);
    const String file = p.isSet("accounts") ? p.value("accounts").toStdString() : TAccountsFile::DefaultFileName();
    if (!FileExists(file)) throw TUsageError("no accounts file " + file);
    const TAccountsFile accounts(file);
    std::printf("accounts in %s:\n", file.c_str());
    for (int i = 0; i < accounts.Count(); ++i) {
        const TQELMailAccount& a = *accounts.Account(i);
        std::printf("%s %-16s  smtp %-28s  pop3 %-28s  user %-12s  from %s%s\n", a.Default() ? "*" : " ",
                    a.AccountName.empty() ? "(unnamed)" : a.AccountName.c_str(), ServerText(a.SMTPServer, a.SMTPPort).c_str(),
                    ServerText(a.Pop3Server, a.Pop3Port).c_str(), a.Username.empty() ? "-" : a.Username.c_str(),
                    a.FromMail.empty() ? "-" : a.FromMail.c_str(), a.Password.empty() ? "" : "  (password stored)");
    }
    return 0;
}

}  // namespace qelmail_tool
