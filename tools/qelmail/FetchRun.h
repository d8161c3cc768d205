#pragma once
// One run of qelmail fetch: the POP3 component's events turned into the listing, the Maildir, the
// saved attachments and the deletions, and an outcome that says what stands on the server.
#include "AccountsFile.h"
#include "Maildir.h"
#include "ProgressBar.h"
#include "RunReport.h"
#include "mail/QELTIEmails.h"

#include <map>
#include <set>

namespace qelmail_tool {

struct TFetchOptions {
    TAccountSettings Account;
    String SaveDir, Maildir;  // empty: none
    bool HeadersOnly = false, Delete = false, Verbose = false;
};

// The component, telling the run when QUIT goes out: a failure from then on is one of closing the
// session, after all the work.
class TFetchMail : public TQELPOPMail {
public:
    using TQELPOPMail::TQELPOPMail;
    void Disconnect() override;
    bool Closing = false;
};

class TFetchRun {
public:
    explicit TFetchRun(const TFetchOptions& Options);
    int Run();  // the exit code

private:
    bool PrepareFolders();
    bool LoadSeen();
    void SaveSeen();
    void ShowReply(const String& Status, const String& Text);
    void Wire();
    void StartMessage(uint16_t Number);
    void EndMessage();
    void TakeMessage(TQELMessage* Msg);
    bool StoreText(uint16_t Number);
    bool ListAndSave(TQELMessage* Msg);
    String SaveAttachment(const TQELAttachment& Attachment, const String& Name, uint16_t Number);
    void ReportError(TObject* Sender, const String& Status, const String& Text, bool IsError);
    bool QuitConfirmed() const;
    int Outcome();

    const TFetchOptions& FOptions;
    TFetchMail FPop{nullptr};
    TProgressBar FBar;
    TRunReport FReport;
    TQELOnInfoMessage FFail;
    TMaildir FMaildir;
    std::map<const TQELAttachment*, String> FPartHeaders;
    String FSeenFile;           // --new-only: the account's list of unique ids fetched before
    int FSeenLoaded = 0;
    std::set<String> FUnkept;   // unique ids of messages handed over but not kept: fetched again next time
    bool FTlsShown = false;
    uint16_t FNumber = 0;
    bool FTextEnded = false, FHanded = false, FCloseFailed = false;
    int FReceived = 0, FDeleted = 0, FDuplicates = 0, FSaveCounter = 0;
};

}  // namespace qelmail_tool
