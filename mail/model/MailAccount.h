#pragma once
// Mail accounts, their collection and the component that holds them.
#include "mail/MailExport.h"
#include "mail/model/MailCollection.h"
#include "mail/model/MailsComponent.h"
#include "framework/net/Tls.h"

namespace qel {

class TQELAccountHolder;
class TQELMailAccounts;

// How an account's connection to a server is protected (its own namespace: form files store names).
namespace QELMailSecurityKind {
Q_NAMESPACE_EXPORT(QEL_MAIL_EXPORT)
enum TQELMailSecurity { msNone, msStartTLS, msImplicitTLS };
Q_ENUM_NS(TQELMailSecurity)
}  // namespace QELMailSecurityKind

using QELMailSecurityKind::TQELMailSecurity;
using QELMailSecurityKind::msNone;
using QELMailSecurityKind::msStartTLS;
using QELMailSecurityKind::msImplicitTLS;

using TQELPStep = int32_t;  // 1 to 100

class QEL_MAIL_EXPORT TQELMailAccount : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(int32_t ProgressStep READ ProgressStep WRITE SetProgressStep)
    Q_PROPERTY(String Pop3Server MEMBER Pop3Server)
    Q_PROPERTY(String SMTPServer MEMBER SMTPServer)
    Q_PROPERTY(String Fullname MEMBER Fullname)
    Q_PROPERTY(String Organization MEMBER Organization)
    Q_PROPERTY(String Username MEMBER Username)
    Q_PROPERTY(String Password MEMBER Password)
    Q_PROPERTY(int32_t Pop3Port MEMBER Pop3Port)
    Q_PROPERTY(int32_t SMTPPort MEMBER SMTPPort)
    Q_PROPERTY(int32_t TimeOut READ TimeOut WRITE SetTimeOut)
    Q_PROPERTY(String FromMail MEMBER FromMail)
    Q_PROPERTY(String ReplyMail MEMBER ReplyMail)
    Q_PROPERTY(String AccountName MEMBER AccountName)
    Q_PROPERTY(bool Include MEMBER Include)
    Q_PROPERTY(bool Default READ Default WRITE SetDefault)
    Q_PROPERTY(bool HeaderOnly MEMBER HeaderOnly)
    Q_PROPERTY(bool DeleteOffServer MEMBER DeleteOffServer)
    Q_PROPERTY(qel::QELMailSecurityKind::TQELMailSecurity SMTPSecurity MEMBER SMTPSecurity)
    Q_PROPERTY(String SMTPAuthUser MEMBER SMTPAuthUser)
    Q_PROPERTY(qel::QELMailSecurityKind::TQELMailSecurity Pop3Security MEMBER Pop3Security)
    Q_PROPERTY(bool VerifyCertificate MEMBER VerifyCertificate)
    Q_PROPERTY(String CAFile MEMBER CAFile)
    Q_PROPERTY(String PinnedCertificate MEMBER PinnedCertificate)
    Q_PROPERTY(bool Pop3NewOnly MEMBER Pop3NewOnly)
    Q_CLASSINFO("default:Pop3Port", "110")
    Q_CLASSINFO("default:SMTPPort", "25")
    Q_CLASSINFO("default:TimeOut", "60")
    Q_CLASSINFO("default:Include", "true")
    // Default has no storage default: every account stores its mark, so a later default survives loading.
    Q_CLASSINFO("default:HeaderOnly", "false")
    Q_CLASSINFO("default:DeleteOffServer", "false")
    // The secure-mail settings are stored only when set, so older form files read and write unchanged.
    Q_CLASSINFO("default:SMTPSecurity", "msNone")
    Q_CLASSINFO("default:SMTPAuthUser", "")
    Q_CLASSINFO("default:Pop3Security", "msNone")
    Q_CLASSINFO("default:VerifyCertificate", "true")
    Q_CLASSINFO("default:CAFile", "")
    Q_CLASSINFO("default:PinnedCertificate", "")
    Q_CLASSINFO("default:Pop3NewOnly", "false")
public:
    // Collection must be a TQELMailAccounts owned by a TQELAccountHolder (EInvalidCast otherwise).
    Q_INVOKABLE explicit TQELMailAccount(TCollection* Collection);

    void Assign(TPersistent* Source) override;  // all but Default and ProgressStep
    // How this account's servers are checked over TLS.
    TTlsOptions TlsOptions() const;
    String GetDisplayName() const override;
    TQELAccountHolder* Holder() const { return FHolder; }

    int32_t TimeOut() const { return FTimeOut; }
    void SetTimeOut(int32_t Value);       // below 1 becomes 1
    int32_t ProgressStep() const { return FProgressStep; }
    void SetProgressStep(int32_t Value);  // outside 1..100 becomes 1
    bool Default() const { return FDefault; }
    void SetDefault(bool Value);          // True clears every other account's mark

    bool Include = true;
    String Fullname;
    String AccountName;
    String Organization;
    String Username;
    String Password;
    bool HeaderOnly = false;
    int32_t Pop3Port = 110;
    String Pop3Server;
    int32_t SMTPPort = 25;
    String ReplyMail;
    String FromMail;
    String SMTPServer;
    bool DeleteOffServer = false;
    TQELMailSecurity SMTPSecurity = msNone;
    String SMTPAuthUser;  // empty: no AUTH; else AUTH with this name and Password
    TQELMailSecurity Pop3Security = msNone;
    bool VerifyCertificate = true;
    String CAFile;             // an extra CA (PEM) trusted for this account's servers
    String PinnedCertificate;  // hex SHA-256 of a server certificate accepted without a CA
    bool Pop3NewOnly = false;  // fetch only messages whose UIDL was not seen before

private:
    TQELAccountHolder* FHolder = nullptr;
    int32_t FTimeOut = 60;
    bool FDefault = false;
    int32_t FProgressStep = 0;
};

class QEL_MAIL_EXPORT TQELMailAccounts : public TQELMailCollection<TQELMailAccount, TQELAccountHolder> {
    Q_OBJECT
public:
    explicit TQELMailAccounts(TQELAccountHolder* Holder);

    // Ends as if emptied and refilled one by one: the first copy is the default account.
    void Assign(TPersistent* Source) override;
    TQELMailAccount* GetQELMailAccount(int Index) const { return Items(Index); }
    void SetQELMailAccount(int Index, TQELMailAccount* Value) { SetItem(Index, Value); }
    TQELAccountHolder* Holder() const { return Owner(); }
};

class QEL_MAIL_EXPORT TQELAccountHolder : public TQELMailsComponent {
    Q_OBJECT
    Q_PROPERTY(TQELMailAccounts* Accounts READ Accounts WRITE SetQELMailAccounts)
public:
    Q_INVOKABLE explicit TQELAccountHolder(TComponent* AOwner);
    ~TQELAccountHolder() override;

    TQELMailAccounts* Accounts() const { return FAccounts.get(); }
    void SetQELMailAccounts(TQELMailAccounts* Value);

private:
    std::unique_ptr<TQELMailAccounts> FAccounts;
};

}  // namespace qel
