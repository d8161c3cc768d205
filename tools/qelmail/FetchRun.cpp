#include "FetchRun.h"

#include "AttachmentNames.h"
#include "SafeFile.h"
#include "SeenList.h"
#include "framework/core/SysUtils.h"
#include "framework/net/ClientSocket.h"

#include <cstdio>
#include <cstring>
#include <netdb.h>
#include <unistd.h>

namespace qelmail_tool {

namespace {

// A socket failure reports the system's error number as its status: the text says what it means.
String NamedError(const String& Status, const String& Text)
{
    const int code = StrToIntDef(Status, 0);
    if (code <= 0) return Text;
    const String name = code > LookupErrorBase ? gai_strerror(LookupErrorBase - code) : std::strerror(code);
    if (Text.find(name) != String::npos) return Text;
    const String rest = Trim(Text);
    return rest.empty() ? name : name + ", after \"" + rest + "\"";
}

String Shown(const String& HeaderText)
{
    return EscapeControlCharacters(Trim(DecodeHeaderText(HeaderText)));
}

}  // namespace

void TFetchMail::Disconnect()
{
    if (Connected && !Aborted) {
        Closing = true;
        NoteSessionClosing();
    }
    TQELPOPMail::Disconnect();
}

TFetchRun::TFetchRun(const TFetchOptions& Options) : FOptions(Options), FBar(StderrIsTerminal()) {}

int TFetchRun::Run()
{
    if (!PrepareFolders()) {
        FReport.Print();
        return ExitCantCreate;
    }
    if (!LoadSeen()) {
        FReport.Print();
        return ExitNoInput;
    }
    TQELAccountHolder holder(nullptr);
    TQELMailAccount* account = holder.Accounts()->Add();
    ApplySettings(FOptions.Account, TProtocol::Pop3, *account);
    account->HeaderOnly = FOptions.HeadersOnly;
    // The run deletes each message itself, once it is stored: see TakeMessage.
    account->DeleteOffServer = false;
    FPop.SetAccountInfo(&holder);
    FReport.SetContext("pop3 " + FOptions.Account.Server + ":" + std::to_string(FOptions.Account.Port));
    Wire();
    InstallInterruptCleanup();
    FPop.Execute();
    // A session that broke off in the middle of the last message tells nothing about its Message-ID.
    if (!FPop.Closing) FTextEnded = false;
    EndMessage();
    FBar.Finish();
    SaveSeen();
    return Outcome();
}

bool TFetchRun::LoadSeen()
{
    if (!FOptions.Account.NewOnly) return true;
    FSeenFile = SeenListFile(FOptions.Account);
    String error;
    if (!LoadSeenList(FSeenFile, *FPop.SeenUIDs(), error)) {
        FReport.Fail(ExitNoInput, error);
        return false;
    }
    FSeenLoaded = FPop.SeenUIDs()->Count();
    return true;
}

// Whatever was handed over and kept is seen; the list is written only when it grew.
void TFetchRun::SaveSeen()
{
    if (FSeenFile.empty()) return;
    TStrings& seen = *FPop.SeenUIDs();
    for (int i = seen.Count() - 1; i >= FSeenLoaded; --i)
        if (FUnkept.count(seen.Strings(i)) > 0) seen.Delete(i);
    if (seen.Count() == FSeenLoaded) return;
    if (String error; !SaveSeenList(FSeenFile, seen, error)) FReport.Fail(ExitCantCreate, error);
}

// -v: the server's replies, and the TLS protocol and certificate once the handshake is done.
void TFetchRun::ShowReply(const String& Status, const String& Text)
{
    FBar.Finish();
    if (const String tls = TlsLine(FPop); !FTlsShown && !tls.empty()) {
        FTlsShown = true;
        std::fprintf(stderr, "%s\n", tls.c_str());
    }
    std::fprintf(stderr, "S: %s %s\n", Status.c_str(), EscapeControlCharacters(Text).c_str());
}

bool TFetchRun::PrepareFolders()
{
    String error;
    if (!FOptions.Maildir.empty() && !FMaildir.Open(FOptions.Maildir)) error = FMaildir.Error();
    if (error.empty() && !FOptions.SaveDir.empty() && MakeFolder(FOptions.SaveDir, error) &&
        ::access(FOptions.SaveDir.c_str(), W_OK | X_OK) != 0)
        error = "cannot write into " + FOptions.SaveDir + ": " + std::strerror(errno);
    if (error.empty()) return true;
    FReport.Fail(ExitCantCreate, error);
    return false;
}

void TFetchRun::Wire()
{
    FPop.BeforeRetrieve = [this](TObject*, uint16_t Number) { StartMessage(Number); };
    FPop.OnRetrieveProgress = [this](TObject*, uint16_t Percent, int32_t) { FBar.Update(Percent); };
    if (!FOptions.Maildir.empty())
        FPop.OnRetrieveText = [this](TObject*, uint16_t, const String& Text) { FMaildir.Write(Text); };
    FPop.OnRetrieveTextEnd = [this](TObject*, uint16_t) { FTextEnded = true; };
    FPop.OnPartHeader = [this](TObject*, TQELAttachment* A, const String& Header) { FPartHeaders[A] = Header; };
    FPop.OnDecodeStart = [this](TObject*, const String& FileName, int32_t) {
        FBar.Start("Decoding " + EscapeControlCharacters(FileName));
    };
    FPop.OnDecodeProgress = [this](TObject*, uint16_t Percent, int32_t) { FBar.Update(Percent); };
    FPop.OnDecodeEnd = [this](TObject*) { FBar.Finish(); };
    FPop.AfterRetrieve = [this](TObject*, TQELMessage* Msg) { TakeMessage(Msg); };
    FPop.OnDelete = [this](TObject*, uint16_t) { ++FDeleted; };
    if (FOptions.Verbose)
        FPop.OnServerMessage = [this](TObject*, const String& Status, const String& Text) { ShowReply(Status, Text); };
    FFail = FReport.ErrorHandler(FPop);
    FPop.OnError = [this](TObject* Sender, const String& Status, const String& Text, bool IsError) {
        ReportError(Sender, Status, Text, IsError);
    };
}

void TFetchRun::StartMessage(uint16_t Number)
{
    EndMessage();
    FNumber = Number;
    FBar.Start("Retrieving #" + std::to_string(Number));
}

// The message before: its text came whole but it was not handed over, so it repeats the
// Message-ID of one listed before. It is neither stored again nor deleted.
void TFetchRun::EndMessage()
{
    if (FTextEnded && !FHanded) ++FDuplicates;
    FMaildir.Discard();
    FPartHeaders.clear();
    FTextEnded = FHanded = false;
}

void TFetchRun::TakeMessage(TQELMessage* Msg)
{
    FBar.Finish();
    FHanded = true;
    ++FReceived;
    const auto number = static_cast<uint16_t>(Msg->MessageNumber);
    const bool stored = StoreText(number);
    const bool saved = ListAndSave(Msg);
    // POP3 commits a DELE only at QUIT; whatever could not be kept stays on the server.
    if (FOptions.Delete && stored && saved) FPop.DeleteMessage(number);
    if (!(stored && saved) && !Msg->UID.empty()) FUnkept.insert(Msg->UID);
    // The memory goes, the Message-ID stays known: a duplicate later in the mailbox is no new message.
    FPop.ReleaseMessage(Msg->Index());
}

bool TFetchRun::StoreText(uint16_t Number)
{
    if (FOptions.Maildir.empty() || FMaildir.Commit()) return true;
    FReport.Fail(ExitCantCreate, "message #" + std::to_string(Number) + " not stored: " + FMaildir.Error() +
                                     (FOptions.Delete ? "; it stays on the server" : ""));
    return false;
}

// One line per message: number, sender, subject, then each attachment's name and size; every
// text from the server decoded and shown with its control characters escaped.
bool TFetchRun::ListAndSave(TQELMessage* Msg)
{
    const auto number = static_cast<uint16_t>(Msg->MessageNumber);
    String line = "#" + std::to_string(number) + "  " + Shown(Msg->FromName) + " <" +
                  EscapeControlCharacters(Msg->FromMail) + ">  " + Shown(Msg->Subject);
    bool saved = true;
    for (int i = 0; i < Msg->Attachments()->Count(); ++i) {
        const TQELAttachment* a = Msg->Attachments()->Items(i);
        const auto header = FPartHeaders.find(a);
        const String name = DecodedAttachmentName(*a, header == FPartHeaders.end() ? String() : header->second,
                                                  Msg->Subject);
        line += (i == 0 ? "  [" : ", ") + EscapeControlCharacters(name) + " " + std::to_string(a->Content->Size()) +
                " bytes";
        if (FOptions.SaveDir.empty()) continue;
        const String path = SaveAttachment(*a, SafeFileName(name, i + 1), number);
        if (path.empty()) saved = false;
        else if (ExtractFileName(path) != name) line += " (saved as " + EscapeControlCharacters(ExtractFileName(path)) + ")";
    }
    if (Msg->Attachments()->Count() > 0) line += "]";
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    return saved;
}

// Written under a temporary name and renamed once on the disk: the path it got, empty on failure.
String TFetchRun::SaveAttachment(const TQELAttachment& Attachment, const String& Name, uint16_t Number)
{
    TSafeFile file;
    const String dir = IncludeTrailingPathDelimiter(FOptions.SaveDir);
    const String temp = dir + ".qelmail-" + std::to_string(::getpid()) + "-" + std::to_string(++FSaveCounter) + ".part";
    const auto* bytes = reinterpret_cast<const char*>(Attachment.Content->Memory());
    bool done = file.Create(temp, 0666) && file.Write({bytes, static_cast<size_t>(Attachment.Content->Size())});
    String path;
    for (int attempt = 0; done && attempt < 10; ++attempt) {
        path = FreeFileName(dir, Name);
        done = !path.empty() && file.Commit(path);
        if (done || !file.Taken()) break;
    }
    if (done) return path;
    const String why = path.empty() && file.Error().empty() ? "no free file name for it" : file.Error();
    FReport.Fail(ExitCantCreate, "message #" + std::to_string(Number) + ": attachment " + Name + " not saved: " + why +
                                     (FOptions.Delete ? "; the message stays on the server" : ""));
    return {};
}

void TFetchRun::ReportError(TObject* Sender, const String& Status, const String& Text, bool IsError)
{
    FBar.Finish();
    const String text = NamedError(Status, Text);
    if (!FPop.Closing) return FFail(Sender, Status, text, IsError);
    // All the work is done; only the deletions hang on the session's close.
    FCloseFailed = true;
    if (FDeleted > 0)
        FReport.Fail(ExitTempFail, "closing the session failed (" + Status + ": " + text + ")");
    else
        FReport.Warn("closing the session failed: " + Status + ": " + text);
}

// QUIT went out on a session that was not aborted, and the server answered it "+OK".
bool TFetchRun::QuitConfirmed() const
{
    return FPop.Closing && !FCloseFailed && !FPop.Aborted && !FPop.ReplyError && UpperCase(FPop.LastStatus) == "+OK";
}

int TFetchRun::Outcome()
{
    const bool committed = QuitConfirmed();
    if (!committed && FDeleted == 0 && FPop.Closing && !FCloseFailed)
        FReport.Warn("the server did not confirm the end of the session");
    if (!committed && FDeleted > 0)
        FReport.Fail(ExitTempFail, "the session did not end with a confirmed QUIT, so no deletion was committed: the " +
                                       std::to_string(FDeleted) + " message(s) marked for deletion stay on the server");
    if (FDuplicates > 0)
        FReport.Warn(std::to_string(FDuplicates) +
                     " message(s) repeated the Message-ID of one listed before: listed once" +
                     (FOptions.Delete ? ", the repeats left on the server" : ""));
    FReport.Print();
    String summary = "fetched: " + std::to_string(FReceived) + " new message(s) from " + FOptions.Account.Server + ":" +
                     std::to_string(FOptions.Account.Port);
    if (!FOptions.Maildir.empty()) summary += ", stored in " + FOptions.Maildir;
    if (FOptions.Delete) summary += committed ? ", " + std::to_string(FDeleted) + " deleted on the server" : ", none deleted on the server";
    std::printf("%s\n", summary.c_str());
    return !committed && FDeleted > 0 ? ExitTempFail : FReport.ExitCode();
}

}  // namespace qelmail_tool
