#include "FetchCommand.h"

#include "AccountsFile.h"
#include "CommandLine.h"
#include "ProgressBar.h"
#include "RunReport.h"
#include "framework/core/Application.h"
#include "framework/core/SysUtils.h"
#include "mail/QELTIEmails.h"

#include <QCommandLineParser>
#include <QDir>
#include <cstdio>

namespace qelmail_tool {

namespace {

struct TFetchOptions {
    TAccountSettings Account;
    String SaveDir;
    bool HeadersOnly = false, Delete = false;
};

TFetchOptions ParseFetchOptions(const QStringList& Args)
{
    QCommandLineParser p;
    p.setApplicationDescription("Reads a POP3 mailbox; lists new messages and saves their attachments.");
    p.addOptions(AccountOptions("POP3", 110));
    p.addOptions({
        {"user", "Mailbox user name (default: the account's).", "name"},
        {"password-file",
         "File whose first line is the password (without it: $QELMAIL_PASSWORD, the account's, or asked on the terminal).",
         "file"},
        {"headers-only", "Read only the header of each message."},
        {"delete", "Delete each message on the server after reading it."},
        {"save-dir", "Save every attachment into this folder.", "dir"},
    });
    ParseCommand(p, "fetch", Args);
    TFetchOptions o;
    o.Account = ReadAccountSettings(p, TProtocol::Pop3);
    if (p.isSet("user")) o.Account.User = p.value("user").toStdString();
    if (o.Account.User.empty()) throw TUsageError("--user is required (or an account with a user name)");
    o.Account.Password = ReadPassword(p, o.Account, "QELMAIL_PASSWORD");
    o.HeadersOnly = p.isSet("headers-only");
    o.Delete = p.isSet("delete");
    if (p.isSet("save-dir")) {
        o.SaveDir = p.value("save-dir").toStdString();
        if (!QDir().mkpath(p.value("save-dir"))) throw TUsageError("cannot create " + o.SaveDir);
    }
    return o;
}

// A file name in Dir that is not taken yet: "name.ext", then "name-1.ext", "name-2.ext", ...
String FreeFileName(const String& Dir, const String& Name)
{
    const String base = IncludeTrailingPathDelimiter(Dir);
    const String ext = ExtractFileExt(Name);
    const String stem = Name.substr(0, Name.size() - ext.size());
    String candidate = base + Name;
    for (int i = 1; FileExists(candidate); ++i) candidate = base + stem + "-" + std::to_string(i) + ext;
    return candidate;
}

// One line per message: number, sender, subject, then each attachment's name and size.
void PrintMessage(TQELMessage* Msg, const String& SaveDir)
{
    String line = "#" + std::to_string(Msg->MessageNumber) + "  " + Trim(Msg->FromName) + " <" + Msg->FromMail + ">  " +
                  Msg->Subject;
    for (int i = 0; i < Msg->Attachments()->Count(); ++i) {
        TQELAttachment* a = Msg->Attachments()->Items(i);
        line += (i == 0 ? "  [" : ", ") + a->FileName + " " + std::to_string(a->Content->Size()) + " bytes";
        if (!SaveDir.empty()) a->SaveToFile(FreeFileName(SaveDir, a->FileName));
    }
    if (Msg->Attachments()->Count() > 0) line += "]";
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void WireEvents(TQELPOPMail& Pop, const TFetchOptions& O, TProgressBar& Bar, TRunReport& Report, int& Received)
{
    Pop.BeforeRetrieve = [&Bar](TObject*, uint16_t Index) { Bar.Start("Retrieving #" + std::to_string(Index)); };
    Pop.OnRetrieveProgress = [&Bar](TObject*, uint16_t Percent, int32_t) { Bar.Update(Percent); };
    Pop.OnDecodeStart = [&Bar](TObject*, const String& FileName, int32_t) { Bar.Start("Decoding " + FileName); };
    Pop.OnDecodeProgress = [&Bar](TObject*, uint16_t Percent, int32_t) { Bar.Update(Percent); };
    Pop.OnDecodeEnd = [&Bar](TObject*) { Bar.Finish(); };
    Pop.AfterRetrieve = [&Pop, &Bar, &Received, &O](TObject*, TQELMessage* Msg) {
        Bar.Finish();
        ++Received;
        PrintMessage(Msg, O.SaveDir);
        // Listed and saved: the tool has no use for it any more, and a mailbox can be large.
        Pop.Messages()->Delete(Msg->Index());
    };
    Pop.OnError = Report.ErrorHandler(Pop);
}

}  // namespace

int RunFetch(const QStringList& Args)
{
    const TFetchOptions o = ParseFetchOptions(Args);

    TQELAccountHolder holder(nullptr);
    TQELMailAccount* account = holder.Accounts()->Add();
    ApplySettings(o.Account, TProtocol::Pop3, *account);
    account->HeaderOnly = o.HeadersOnly;
    account->DeleteOffServer = o.Delete;

    TQELPOPMail pop(nullptr);
    pop.SetAccountInfo(&holder);
    TProgressBar bar(StderrIsTerminal());
    TRunReport report;
    int received = 0;
    WireEvents(pop, o, bar, report, received);
    pop.Execute();
    bar.Finish();

    report.Print();
    std::printf("fetched: %d new message(s) from %s:%d\n", received, o.Account.Server.c_str(), o.Account.Port);
    return report.ExitCode();
}

}  // namespace qelmail_tool
