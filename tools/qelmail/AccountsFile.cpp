#include "AccountsFile.h"

#include "CommandLine.h"
#include "PasswordPrompt.h"
#include "framework/core/FormFiles.h"
#include "framework/core/SysUtils.h"
#include "mail/QELTMailAccount.h"

#include <QCommandLineParser>
#include <QStandardPaths>

#include <cstdlib>

namespace qelmail_tool {

namespace {

// The holder is the file's root, or the first holder the root owns (a form with other components).
TQELAccountHolder* HolderIn(TComponent* Root)
{
    if (auto* holder = dynamic_cast<TQELAccountHolder*>(Root)) return holder;
    for (int i = 0; i < Root->ComponentCount(); ++i)
        if (auto* holder = dynamic_cast<TQELAccountHolder*>(Root->Components(i))) return holder;
    return nullptr;
}

TAccountSettings SettingsOf(const TQELMailAccount& Account, TProtocol Protocol)
{
    TAccountSettings s;
    s.Name = Account.AccountName;
    s.Server = Protocol == TProtocol::Smtp ? Account.SMTPServer : Account.Pop3Server;
    s.Port = Protocol == TProtocol::Smtp ? Account.SMTPPort : Account.Pop3Port;
    s.TimeOut = Account.TimeOut();
    s.ProgressStep = Account.ProgressStep();
    s.User = Account.Username;
    s.Password = Account.Password;
    s.FromMail = Account.FromMail;
    s.FromName = Account.Fullname;
    s.ReplyMail = Account.ReplyMail;
    s.Security = Protocol == TProtocol::Smtp ? Account.SMTPSecurity : Account.Pop3Security;
    s.VerifyCertificate = Account.VerifyCertificate;
    s.CAFile = Account.CAFile;
    s.PinnedCertificate = Account.PinnedCertificate;
    if (Protocol == TProtocol::Smtp) s.AuthUser = Account.SMTPAuthUser;
    else s.NewOnly = Account.Pop3NewOnly;
    return s;
}

TQELMailSecurity ParseTls(const QString& Text)
{
    if (Text == "starttls") return msStartTLS;
    if (Text == "implicit") return msImplicitTLS;
    if (Text == "none") return msNone;
    throw TUsageError("--tls must be starttls, implicit or none");
}

// Implicit TLS has ports of its own: SMTP 465, POP3 995.
int32_t StandardPort(TProtocol Protocol, TQELMailSecurity Security)
{
    if (Protocol == TProtocol::Smtp) return Security == msImplicitTLS ? 465 : 25;
    return Security == msImplicitTLS ? 995 : 110;
}

void ReadSecurityOptions(const QCommandLineParser& Parser, TAccountSettings& S)
{
    if (Parser.isSet("tls")) S.Security = ParseTls(Parser.value("tls"));
    if (!Parser.isSet("cacert")) return;
    S.CAFile = Parser.value("cacert").toStdString();
    if (!FileExists(S.CAFile)) throw TUsageError("cannot read " + S.CAFile + ": no such file");
}

}  // namespace

String TAccountsFile::DefaultFileName()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString() + "/qel/mail-accounts.json";
}

TAccountsFile::TAccountsFile(const String& FileName) : FFileName(FileName)
{
    try {
        FRoot.reset(ReadComponentFile(FileName));
    } catch (const Exception& E) {
        throw TUsageError("cannot read the accounts file " + FileName + ": " + E.Message());
    }
    FHolder = HolderIn(FRoot.get());
    if (!FHolder) throw TUsageError("the accounts file " + FileName + " holds no TQELAccountHolder");
}

TAccountsFile::~TAccountsFile() = default;

int TAccountsFile::Count() const { return FHolder->Accounts()->Count(); }

TQELMailAccount* TAccountsFile::Account(int Index) const { return FHolder->Accounts()->Items(Index); }

TQELMailAccount* TAccountsFile::Find(const String& Name) const
{
    if (Count() == 0) throw TUsageError("the accounts file " + FFileName + " holds no account");
    for (int i = 0; i < Count(); ++i)
        if (Name.empty() ? Account(i)->Default() : SameText(Account(i)->AccountName, Name)) return Account(i);
    if (Name.empty()) return Account(0);
    throw TUsageError("no account named '" + Name + "' in " + FFileName + " (see 'qelmail accounts')");
}

QList<QCommandLineOption> AccountOptions(const char* Protocol, int32_t DefaultPort)
{
    const QString port = QString::number(DefaultPort);
    const QString implicitPort = DefaultPort == 25 ? "465" : "995";
    return {
        {"accounts", "Accounts file (default: $XDG_CONFIG_HOME/qel/mail-accounts.json when it exists).", "file"},
        {"account", "Account of the accounts file to use (default: its default account).", "name"},
        {"server",
         QString("%1 server, HOST[:PORT] (port %2 by default, %3 with --tls implicit).").arg(Protocol, port, implicitPort),
         "host[:port]"},
        {"timeout", "Seconds to wait for the connection and each server reply (default 60).", "seconds"},
        {"progress-step", "Progress granularity in percent (default 1).", "n"},
        {"tls", "TLS: starttls (required before anything else is sent), implicit (TLS from the first byte) or none.",
         "mode"},
        {"cacert", "Also trust this CA certificate (PEM) when checking the server's certificate.", "file"},
    };
}

TAccountSettings ReadAccountSettings(const QCommandLineParser& Parser, TProtocol Protocol)
{
    TAccountSettings s;
    String file = Parser.value("accounts").toStdString();
    if (file.empty() && FileExists(TAccountsFile::DefaultFileName())) file = TAccountsFile::DefaultFileName();
    if (!file.empty()) {
        s = SettingsOf(*TAccountsFile(file).Find(Parser.value("account").toStdString()), Protocol);
    } else if (Parser.isSet("account")) {
        throw TUsageError("--account needs an accounts file: --accounts FILE or " + TAccountsFile::DefaultFileName());
    }
    ReadSecurityOptions(Parser, s);
    const int32_t defaultPort = StandardPort(Protocol, s.Security);
    if (file.empty()) s.Port = defaultPort;
    if (Parser.isSet("server")) {
        const TServerAddress address = ParseServer(Parser.value("server"), defaultPort);
        s.Server = address.Host;
        s.Port = address.Port;
    }
    if (s.Server.empty()) throw TUsageError("--server is required (or an account that names its server)");
    if (Parser.isSet("timeout")) s.TimeOut = ParseInt(Parser.value("timeout"), "--timeout", 1, 3600);
    if (Parser.isSet("progress-step"))
        s.ProgressStep = ParseInt(Parser.value("progress-step"), "--progress-step", 1, 100);
    return s;
}

QCommandLineOption PasswordFileOption()
{
    return {"password-file",
            "File whose first line is the password (without it: $QELMAIL_PASSWORD, the account's, or asked on the terminal).",
            "file"};
}

String ReadPassword(const QCommandLineParser& Parser, const TAccountSettings& Settings, const char* Variable)
{
    if (Parser.isSet("password-file")) return ReadPasswordFile(Parser.value("password-file"));
    if (const char* value = std::getenv(Variable)) return value;
    if (!Settings.Password.empty()) return Settings.Password;
    const String& user = Settings.AuthUser.empty() ? Settings.User : Settings.AuthUser;
    return AskPassword("Password for " + user + "@" + Settings.Server + ": ");
}

void ApplySettings(const TAccountSettings& Settings, TProtocol Protocol, TQELMailAccount& Account)
{
    Account.AccountName = Settings.Name;
    if (Protocol == TProtocol::Smtp) {
        Account.SMTPServer = Settings.Server;
        Account.SMTPPort = Settings.Port;
    } else {
        Account.Pop3Server = Settings.Server;
        Account.Pop3Port = Settings.Port;
    }
    Account.SetTimeOut(Settings.TimeOut);
    Account.SetProgressStep(Settings.ProgressStep);
    Account.Username = Settings.User;
    Account.Password = Settings.Password;
    Account.FromMail = Settings.FromMail;
    Account.Fullname = Settings.FromName;
    Account.ReplyMail = Settings.ReplyMail;
    (Protocol == TProtocol::Smtp ? Account.SMTPSecurity : Account.Pop3Security) = Settings.Security;
    Account.VerifyCertificate = Settings.VerifyCertificate;
    Account.CAFile = Settings.CAFile;
    Account.PinnedCertificate = Settings.PinnedCertificate;
    if (Protocol == TProtocol::Smtp) Account.SMTPAuthUser = Settings.AuthUser;
    else Account.Pop3NewOnly = Settings.NewOnly;
}

}  // namespace qelmail_tool
