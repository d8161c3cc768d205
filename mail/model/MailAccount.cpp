#include "mail/model/MailAccount.h"

#include "mail/model/MailErrors.h"

namespace qel {

QEL_REGISTER_CLASS(TQELAccountHolder);
QEL_REGISTER_CLASS(TQELMailAccount);

// ---------------------------------------------------------------- TQELMailAccount

TQELMailAccount::TQELMailAccount(TCollection* Collection) : TCollectionItem(Collection)
{
    FHolder = OwnerOrRefuse<TQELMailAccounts>(this, Collection, "a TQELMailAccounts owned by a TQELAccountHolder");
    if (Collection->Count() <= 1) FDefault = true;
}

void TQELMailAccount::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TQELMailAccount*>(Source);
    if (!src) {
        TCollectionItem::Assign(Source);
        return;
    }
    // Default and ProgressStep stay: a copy must never make a second default account.
    Include = src->Include;
    FTimeOut = src->FTimeOut;
    Fullname = src->Fullname;
    AccountName = src->AccountName;
    Organization = src->Organization;
    Username = src->Username;
    Password = src->Password;
    Pop3Port = src->Pop3Port;
    Pop3Server = src->Pop3Server;
    SMTPPort = src->SMTPPort;
    ReplyMail = src->ReplyMail;
    FromMail = src->FromMail;
    SMTPServer = src->SMTPServer;
    DeleteOffServer = src->DeleteOffServer;
    HeaderOnly = src->HeaderOnly;
    SMTPSecurity = src->SMTPSecurity;
    SMTPAuthUser = src->SMTPAuthUser;
    Pop3Security = src->Pop3Security;
    VerifyCertificate = src->VerifyCertificate;
    CAFile = src->CAFile;
    PinnedCertificate = src->PinnedCertificate;
    Pop3NewOnly = src->Pop3NewOnly;
}

TTlsOptions TQELMailAccount::TlsOptions() const
{
    TTlsOptions options;
    options.VerifyPeer = VerifyCertificate;
    options.CAFile = CAFile;
    options.PinnedSha256 = PinnedCertificate;
    return options;
}

String TQELMailAccount::GetDisplayName() const
{
    return AccountName.empty() ? TCollectionItem::GetDisplayName() : AccountName;
}

void TQELMailAccount::SetTimeOut(int32_t Value)
{
    FTimeOut = Value > 0 ? Value : 1;
}

void TQELMailAccount::SetProgressStep(int32_t Value)
{
    FProgressStep = (Value >= 1 && Value <= 100) ? Value : 1;
}

void TQELMailAccount::SetDefault(bool Value)
{
    if (Value && Collection()) {
        TCollection* accounts = Collection();
        for (int i = 0; i < accounts->Count(); ++i)
            if (auto* account = dynamic_cast<TQELMailAccount*>(accounts->Items(i))) account->FDefault = false;
    }
    FDefault = Value;
}

// ---------------------------------------------------------------- TQELMailAccounts

TQELMailAccounts::TQELMailAccounts(TQELAccountHolder* Holder) : TQELMailCollection(Holder) {}

void TQELMailAccounts::Assign(TPersistent* Source)
{
    // The copies are made beside the old accounts, which go last, so no copy was ever the first.
    const bool copies = Source != this && dynamic_cast<TCollection*>(Source);
    TQELMailCollection::Assign(Source);
    if (copies && Count() > 0) Items(0)->SetDefault(true);
}

// ---------------------------------------------------------------- TQELAccountHolder

TQELAccountHolder::TQELAccountHolder(TComponent* AOwner)
    : TQELMailsComponent(AOwner), FAccounts(std::make_unique<TQELMailAccounts>(this))
{
}

TQELAccountHolder::~TQELAccountHolder() = default;

void TQELAccountHolder::SetQELMailAccounts(TQELMailAccounts* Value)
{
    FAccounts->Assign(Value);
}

}  // namespace qel
