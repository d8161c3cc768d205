#pragma once
// Mail accounts kept in a form file (a TQELAccountHolder with its accounts, the framework's own
// format), and the account settings a command works with: the chosen account of that file with
// the command line's options laid over it.
#include "framework/core/Types.h"
#include "mail/model/MailAccount.h"

#include <QCommandLineOption>
#include <QList>

#include <memory>

class QCommandLineParser;

namespace qel {
class TComponent;
class TQELAccountHolder;
class TQELMailAccount;
}  // namespace qel

namespace qelmail_tool {
using namespace qel;

enum class TProtocol { Smtp, Pop3 };

// What a command needs of an account; Password stays empty unless a source gave one.
struct TAccountSettings {
    String Name;
    String Server;
    int32_t Port = 0;
    // The account's TimeOut: each wait lasts TimeOut tenths of a second and a server silent for
    // ten waits in a row is given up, so it is also the seconds a silent server is given.
    int32_t TimeOut = 60;
    int32_t ProgressStep = 1;
    String User, Password;
    String FromMail, FromName, ReplyMail;
    // The connection's protection and how the server's certificate is checked.
    TQELMailSecurity Security = msNone;
    bool VerifyCertificate = true;
    String CAFile, PinnedCertificate;
    String AuthUser;       // SMTP: AUTH with this name and Password; empty: no AUTH
    bool NewOnly = false;  // POP3: only messages whose unique id was not seen before
};

class TAccountsFile {
public:
    // $XDG_CONFIG_HOME/qel/mail-accounts.json (default ~/.config).
    static String DefaultFileName();

    // Reads FileName; TUsageError naming the file and the fault.
    explicit TAccountsFile(const String& FileName);
    ~TAccountsFile();

    int Count() const;
    TQELMailAccount* Account(int Index) const;
    // By AccountName (letter case ignored); an empty name picks the default account, else the
    // first. TUsageError when there is none.
    TQELMailAccount* Find(const String& Name) const;

private:
    String FFileName;
    std::unique_ptr<TComponent> FRoot;
    TQELAccountHolder* FHolder = nullptr;
};

// --accounts, --account, --server, --timeout (seconds), --progress-step, --tls, --cacert.
QList<QCommandLineOption> AccountOptions(const char* Protocol, int32_t DefaultPort);

// The chosen account of --accounts (or of the default file when it exists) under the options
// given; TUsageError when no server is known.
TAccountSettings ReadAccountSettings(const QCommandLineParser& Parser, TProtocol Protocol);

// The account's password from the sources every command shares, in this order: --password-file,
// the environment variable Variable, the accounts file, the terminal (asked for User).
QCommandLineOption PasswordFileOption();
String ReadPassword(const QCommandLineParser& Parser, const TAccountSettings& Settings, const char* Variable);

// Writes the settings into a component's account.
void ApplySettings(const TAccountSettings& Settings, TProtocol Protocol, TQELMailAccount& Account);

}  // namespace qelmail_tool
