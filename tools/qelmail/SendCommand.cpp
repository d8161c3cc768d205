#include "SendCommand.h"

#include "CommandLine.h"
#include "ProgressBar.h"
#include "RunReport.h"
#include "framework/core/Application.h"
#include "framework/core/SysUtils.h"
#include "mail/QELTIEmails.h"

#include <QCommandLineParser>
#include <cstdio>

namespace qelmail_tool {

namespace {

struct TSendOptions {
    TServerAddress Server;
    String From, FromName, ReplyTo, To, Subject, Body, Signature;
    QStringList Attachments;
    int32_t TimeOut = 60, ProgressStep = 1, LinePause = 40;
    bool Verbose = false;
};

TSendOptions ParseSendOptions(const QStringList& Args)
{
    QCommandLineParser p;
    p.setApplicationDescription("Sends one message with attachments through an SMTP server.");
    p.addOptions({
        {"server", "SMTP server, HOST[:PORT] (port 25 by default).", "host[:port]"},
        {"from", "Sender address.", "addr"},
        {"from-name", "Sender's display name.", "name"},
        {"reply-to", "Reply-To address.", "addr"},
        {"to", "Recipients, separated by ';'.", "list"},
        {"subject", "Subject line.", "text"},
        {"body-file", "Body text (standard input without it).", "file"},
        {"signature-file", "Signature lines added after the body.", "file"},
        {"attach", "A file to attach (repeatable).", "file"},
        {"timeout", "Wait per reply in tenths of a second (default 60).", "tenths"},
        {"progress-step", "Progress granularity in percent (default 1).", "n"},
        {"line-pause", "Pause after each text line in ms (default 40; 0 = none).", "ms"},
        {{"v", "verbose"}, "Print every server reply."},
    });
    ParseCommand(p, "send", Args);
    for (const char* required : {"server", "from", "to"})
        if (!p.isSet(required)) throw TUsageError(String("--") + required + " is required");

    TSendOptions o;
    o.Server = ParseServer(p.value("server"), 25);
    o.From = p.value("from").toStdString();
    o.FromName = p.value("from-name").toStdString();
    o.ReplyTo = p.value("reply-to").toStdString();
    o.To = p.value("to").toStdString();
    o.Subject = p.value("subject").toStdString();
    o.Body = p.isSet("body-file") ? ReadWholeFile(p.value("body-file")) : ReadStandardInput();
    if (p.isSet("signature-file")) o.Signature = ReadWholeFile(p.value("signature-file"));
    o.Attachments = p.values("attach");
    for (const QString& a : o.Attachments)
        if (!FileExists(a.toStdString())) throw TUsageError("cannot read " + a.toStdString() + ": no such file");
    if (p.isSet("timeout")) o.TimeOut = ParseInt(p.value("timeout"), "--timeout", 1, 36000);
    if (p.isSet("progress-step")) o.ProgressStep = ParseInt(p.value("progress-step"), "--progress-step", 1, 100);
    if (p.isSet("line-pause")) o.LinePause = ParseInt(p.value("line-pause"), "--line-pause", 0, 10000);
    o.Verbose = p.isSet("verbose");
    return o;
}

// Wires the component's events to the terminal and counts the accepted messages.
void WireEvents(TQELSMTPMail& Smtp, const TSendOptions& O, TProgressBar& Bar, TRunReport& Report, int& Accepted)
{
    if (O.Verbose)
        Smtp.OnServerMessage = [&Bar](TObject*, const String& Status, const String& Msg) {
            Bar.Finish();
            std::printf("S: %s %s\n", Status.c_str(), Msg.c_str());
            std::fflush(stdout);
        };
    Smtp.OnError = Report.ErrorHandler();
    Smtp.OnEncodeStart = [&Bar](TObject*, const String& FileName, int32_t) { Bar.Start("Encoding " + ExtractFileName(FileName)); };
    Smtp.OnEncodeProgress = [&Bar](TObject*, uint16_t Percent, int32_t) { Bar.Update(Percent); };
    Smtp.OnEncodeend = [&Bar](TObject*) { Bar.Finish(); };
    Smtp.OnBeforeSend = [&Bar](TObject*) { Bar.Start("Sending"); };
    Smtp.OnSendProgress = [&Bar](TObject*, uint16_t Percent, int32_t) { Bar.Update(Percent); };
    Smtp.OnSuccessSend = [&Bar, &Accepted](TObject*) {
        Bar.Finish();
        ++Accepted;
    };
}

}  // namespace

int RunSend(const QStringList& Args)
{
    const TSendOptions o = ParseSendOptions(Args);

    TQELAccountHolder holder(nullptr);
    TQELMailAccount* account = holder.Accounts()->Add();
    account->SMTPServer = o.Server.Host;
    account->SMTPPort = o.Server.Port;
    account->SetTimeOut(o.TimeOut);
    account->SetProgressStep(o.ProgressStep);

    TQELSMTPMail smtp(nullptr);
    smtp.SetAccountInfo(&holder);
    smtp.SetLinePause(o.LinePause);
    smtp.Signature()->SetText(o.Signature);
    TQELMessage* msg = smtp.Messages()->Add();
    msg->FromMail = o.From;
    msg->FromName = o.FromName;
    msg->ReplyTo = o.ReplyTo;
    msg->SendTo = o.To;
    msg->Subject = o.Subject;
    msg->Message()->SetText(o.Body);
    for (const QString& a : o.Attachments) msg->Attachments()->Add(a.toStdString());

    TProgressBar bar(StderrIsTerminal());
    TRunReport report;
    int accepted = 0;
    WireEvents(smtp, o, bar, report, accepted);
    smtp.Execute();
    bar.Finish();

    report.Print();
    if (accepted == smtp.Messages()->Count() && report.Empty()) {
        std::printf("sent: %d message(s) accepted by %s:%d\n", accepted, o.Server.Host.c_str(), o.Server.Port);
        return 0;
    }
    if (report.Empty()) std::fprintf(stderr, "qelmail: the message was not accepted\n");
    return 1;
}

}  // namespace qelmail_tool
