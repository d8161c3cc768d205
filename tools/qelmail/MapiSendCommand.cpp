#include "MapiSendCommand.h"

#include "CommandLine.h"
#include "MapiStatus.h"
#include "RunReport.h"
#include "framework/core/SysUtils.h"
#include "mail/QELTMapiMail.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>

namespace qelmail_tool {

namespace {

const char* const PasswordVariable = "QELMAIL_MAPI_PASSWORD";

struct TMapiSendOptions {
    String Profile, Password, Subject, Body, Signature, FaxNumber, FaxTo;
    QStringList To, Cc, Bcc, Attachments;
    bool Receipt = false;
};

// Each value may itself be a list separated by ';', as send's --to is.
QStringList Recipients(const QStringList& Values)
{
    QStringList result;
    for (const QString& v : Values)
        for (const QString& r : v.split(';', Qt::SkipEmptyParts))
            if (!r.trimmed().isEmpty()) result << r.trimmed();
    return result;
}

String PasswordFrom(const QCommandLineParser& p)
{
    if (p.isSet("password") && p.isSet("password-file"))
        throw TUsageError("--password and --password-file exclude each other");
    if (p.isSet("password")) return p.value("password").toStdString();
    if (p.isSet("password-file")) return ReadPasswordFile(p.value("password-file"));
    const char* env = std::getenv(PasswordVariable);
    return env ? String(env) : String();
}

TMapiSendOptions ParseMapiSendOptions(const QStringList& Args)
{
    QCommandLineParser p;
    p.setApplicationDescription(
        "Sends one message, or a fax, through the Simple MAPI provider and its profile.\n"
        "The password may also come from $QELMAIL_MAPI_PASSWORD.");
    p.addOptions({
        {"profile", "Profile to log on to (the default profile without it).", "name"},
        {"password", "Password of the profile.", "password"},
        {"password-file", "File whose first line is the password of the profile.", "file"},
        {"to", "A recipient: address or address-book name (repeatable; ';' separates several).", "addr"},
        {"cc", "A copy recipient (repeatable).", "addr"},
        {"bcc", "A blind copy recipient (repeatable).", "addr"},
        {"subject", "Subject line.", "text"},
        {"signature-file", "Signature lines added after the body.", "file"},
        {"attach", "A file to attach (repeatable).", "file"},
        {"receipt", "Ask for a read receipt."},
        {"fax", "Send as a fax to this number.", "number"},
        {"fax-to", "Name of the fax recipient.", "name"},
    });
    p.addOptions(BodyOptions());
    ParseCommand(p, "mapi-send", Args);

    TMapiSendOptions o;
    o.Profile = p.value("profile").toStdString();
    o.To = Recipients(p.values("to"));
    o.Cc = Recipients(p.values("cc"));
    o.Bcc = Recipients(p.values("bcc"));
    o.FaxNumber = p.value("fax").toStdString();
    o.FaxTo = p.value("fax-to").toStdString();
    if (p.isSet("fax") && o.FaxNumber.empty()) throw TUsageError("--fax needs a number");
    if (p.isSet("fax-to") && !p.isSet("fax")) throw TUsageError("--fax-to needs --fax");
    o.Attachments = p.values("attach");
    const bool lines = !o.To.isEmpty() || !o.Cc.isEmpty() || !o.Bcc.isEmpty();
    // A fax carries the text alone: anything else would be dropped without a word.
    if (!o.FaxNumber.empty() && (lines || !o.Attachments.isEmpty()))
        throw TUsageError("--fax sends the text only: it cannot go with --to, --cc, --bcc or --attach");
    if (o.FaxNumber.empty() && !lines) throw TUsageError("no recipient: give --to, --cc, --bcc or --fax");
    for (const QString& a : o.Attachments)
        if (!FileExists(a.toStdString())) throw TUsageError("cannot read " + a.toStdString() + ": no such file");
    o.Password = PasswordFrom(p);
    o.Subject = p.value("subject").toStdString();
    o.Receipt = p.isSet("receipt");
    if (p.isSet("signature-file")) o.Signature = ReadWholeFile(p.value("signature-file"));
    o.Body = ReadBody(p);
    return o;
}

void AddLines(TStrings* Lines, const QStringList& Values)
{
    for (const QString& v : Values) Lines->Add(v.toStdString());
}

TQELMapiMessage* AddMessage(TQELMapiMail& Mapi, const TMapiSendOptions& O)
{
    TQELMapiMessage* msg = Mapi.Messages()->Add();
    msg->Subject = O.Subject;
    msg->Message()->SetText(O.Body);
    AddLines(msg->RecipientsTo(), O.To);
    AddLines(msg->RecipientsCC(), O.Cc);
    AddLines(msg->RecipientsBC(), O.Bcc);
    for (const QString& a : O.Attachments) msg->Attachments()->Add(QFileInfo(a).absoluteFilePath().toStdString());
    msg->Receipt = O.Receipt;
    if (!O.FaxNumber.empty()) {
        msg->SendMethod = ccFax;
        msg->FaxNumber = O.FaxNumber;
        msg->FaxTo = O.FaxTo;
    }
    return msg;
}

// Wires the component's outcome events to the terminal; Failed tells whether any went wrong.
void WireEvents(TQELMapiMail& Mapi, TRunReport& Report)
{
    Mapi.OnLogonFailure = [&Mapi, &Report](TObject*, int32_t Code) {
        const String profile = Mapi.Profile.empty() ? String("the default profile") : "profile '" + Mapi.Profile + "'";
        // Whatever the code (a retry with the logon dialog ends in "user abort"), no logon is an
        // authentication failure to a script.
        Report.Fail(ExitNoPerm, "logon to " + profile + " failed with MAPI code " + MapiFailureText(uint32_t(Code)));
    };
    Mapi.OnSendError = [&Report](TObject*, int32_t Code, TQELMapiMessage*) {
        Report.Fail(MapiExitCode(uint32_t(Code)), "send failed with MAPI code " + MapiFailureText(uint32_t(Code)));
    };
    Mapi.AfterSendMail = [](TObject*, TQELMapiMessage* Mail) {
        if (!Mail->Sent) return;
        if (Mail->SendMethod == ccFax) {
            std::printf("sent: \"%s\" as a fax to %s\n", Mail->Subject.c_str(), Mail->FaxNumber.c_str());
        } else {
            const int recipients = Mail->RecipientsTo()->Count() + Mail->RecipientsCC()->Count() +
                                   Mail->RecipientsBC()->Count();
            std::printf("sent: \"%s\" to %d recipient(s)\n", Mail->Subject.c_str(), recipients);
        }
        std::fflush(stdout);
    };
    // The message is out by then: a failed logoff is worth a word, not a failure.
    Mapi.OnLogoffFailure = [](TObject*, int32_t Code) {
        std::fprintf(stderr, "qelmail: warning: logoff failed with MAPI code %s\n", MapiCodeText(uint32_t(Code)).c_str());
    };
}

}  // namespace

int RunMapiSend(const QStringList& Args)
{
    const TMapiSendOptions o = ParseMapiSendOptions(Args);
    const String missing = MapiUnavailableReason();
    if (!missing.empty()) {
        std::fprintf(stderr, "qelmail: %s\n", missing.c_str());
        return ExitUnavailable;
    }

    TQELMapiMail mapi(nullptr);
    mapi.DefaultProfile = o.Profile.empty();
    mapi.Profile = o.Profile;
    mapi.Password = o.Password;
    mapi.DeleteAfterSend = false;  // the run's outcome is read from the message afterwards
    mapi.Signature()->SetText(o.Signature);
    TQELMapiMessage* msg = AddMessage(mapi, o);

    TRunReport report;
    WireEvents(mapi, report);
    const bool loggedOn = mapi.Execute();
    if (loggedOn && msg->Sent && report.Empty()) return ExitOk;
    if (report.Empty()) report.Fail(ExitFailure, "the message was not sent");
    report.Print();
    return report.ExitCode();
}

}  // namespace qelmail_tool
