#include "SendCommand.h"

#include "AccountsFile.h"
#include "CommandLine.h"
#include "ProgressBar.h"
#include "RunReport.h"
#include "framework/core/Application.h"
#include "framework/core/SysUtils.h"
#include "mail/QELTIEmails.h"
#include "mail/codec/HeaderDecoding.h"

#include <QCommandLineParser>
#include <cstdio>

namespace qelmail_tool {

namespace {

struct TSendOptions {
    TAccountSettings Account;
    String From, FromName, ReplyTo, To, Cc, Bcc, Subject, Body, Signature;
    QStringList Attachments;
    int32_t LinePause = 0;  // a tool has no old server to spare; the component keeps its own default
    bool Verbose = false;
};

TSendOptions ParseSendOptions(const QStringList& Args)
{
    QCommandLineParser p;
    p.setApplicationDescription("Sends one message with attachments through an SMTP server.");
    p.addOptions(AccountOptions("SMTP", 25));
    p.addOptions({
        {"from", "Sender address (default: the account's).", "addr"},
        {"from-name", "Sender's display name (default: the account's).", "name"},
        {"reply-to", "Reply-To address (default: the account's).", "addr"},
        {"to", "Recipients (repeatable; each may be a list separated by ',' or ';').", "list"},
        {"cc", "Copy recipients, shown in a Cc header (repeatable, lists as for --to).", "list"},
        {"bcc", "Blind copy recipients, in no header (repeatable, lists as for --to).", "list"},
        {"subject", "Subject line.", "text"},
        {"signature-file", "Signature lines added after the body.", "file"},
        {"attach", "A file to attach (repeatable).", "file"},
        {"line-pause", "Pause after each text line in ms (default 0: none).", "ms"},
        {"auth-user", "Log in (AUTH PLAIN or LOGIN, as the server offers) with this name and the password.", "name"},
        PasswordFileOption(),
        {{"v", "verbose"}, "Print every server reply, and the TLS protocol and certificate."},
    });
    p.addOptions(BodyOptions());
    ParseCommand(p, "send", Args);
    if (!p.isSet("to")) throw TUsageError("--to is required");

    TSendOptions o;
    o.Account = ReadAccountSettings(p, TProtocol::Smtp);
    if (p.isSet("auth-user")) o.Account.AuthUser = p.value("auth-user").toStdString();
    if (p.isSet("auth-user") && o.Account.AuthUser.empty()) throw TUsageError("--auth-user needs a name");
    // Only a login needs the password; a plain relay is never asked one.
    if (!o.Account.AuthUser.empty()) o.Account.Password = ReadPassword(p, o.Account, "QELMAIL_PASSWORD");
    else if (p.isSet("password-file")) throw TUsageError("--password-file needs --auth-user (or an account with one)");
    o.From = p.isSet("from") ? p.value("from").toStdString() : o.Account.FromMail;
    if (o.From.empty()) throw TUsageError("--from is required (or an account with a sender address)");
    o.FromName = p.isSet("from-name") ? p.value("from-name").toStdString() : o.Account.FromName;
    o.ReplyTo = p.isSet("reply-to") ? p.value("reply-to").toStdString() : o.Account.ReplyMail;
    o.To = AddressList(p.values("to"));
    o.Cc = AddressList(p.values("cc"));
    o.Bcc = AddressList(p.values("bcc"));
    if (o.To.empty()) throw TUsageError("--to names no recipient");
    o.Subject = p.value("subject").toStdString();
    o.Body = ReadBody(p);
    if (p.isSet("signature-file")) o.Signature = ReadWholeFile(p.value("signature-file"));
    o.Attachments = p.values("attach");
    for (const QString& a : o.Attachments)
        if (!FileExists(a.toStdString())) throw TUsageError("cannot read " + a.toStdString() + ": no such file");
    if (p.isSet("line-pause")) o.LinePause = ParseInt(p.value("line-pause"), "--line-pause", 0, 10000);
    o.Verbose = p.isSet("verbose");
    return o;
}

// Wires the component's events to the terminal and counts the accepted messages.
void WireEvents(TQELSMTPMail& Smtp, const TSendOptions& O, TProgressBar& Bar, TRunReport& Report, int& Accepted)
{
    if (O.Verbose)
        Smtp.OnServerMessage = [&Bar, &Smtp, shown = false](TObject*, const String& Status, const String& Msg) mutable {
            Bar.Finish();
            if (const String tls = TlsLine(Smtp); !shown && !tls.empty()) {
                shown = true;
                std::printf("%s\n", tls.c_str());
            }
            std::printf("S: %s %s\n", Status.c_str(), EscapeControlCharacters(Msg).c_str());
            std::fflush(stdout);
        };
    // Once every message is accepted, a failure to close the session loses nothing.
    Smtp.OnError = [&Smtp, &Report, &Accepted, fail = Report.ErrorHandler(Smtp)](TObject* Sender, const String& Status,
                                                                                const String& Text, bool IsError) {
        if (Accepted == Smtp.Messages()->Count())
            Report.Warn(Text);
        else
            fail(Sender, Status, Text, IsError);
    };
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
    ApplySettings(o.Account, TProtocol::Smtp, *account);

    TQELSMTPMail smtp(nullptr);
    smtp.SetAccountInfo(&holder);
    smtp.SetLinePause(o.LinePause);
    smtp.Signature()->SetText(o.Signature);
    TQELMessage* msg = smtp.Messages()->Add();
    msg->FromMail = o.From;
    msg->FromName = o.FromName;
    msg->ReplyTo = o.ReplyTo;
    msg->SendTo = o.To;
    msg->CC = o.Cc;
    msg->BCC = o.Bcc;
    msg->Subject = o.Subject;
    msg->Message()->SetText(o.Body);
    for (const QString& a : o.Attachments) msg->Attachments()->Add(a.toStdString());

    TProgressBar bar(StderrIsTerminal());
    TRunReport report;
    report.SetContext("smtp " + o.Account.Server + ":" + std::to_string(o.Account.Port));
    int accepted = 0;
    WireEvents(smtp, o, bar, report, accepted);
    smtp.Execute();
    bar.Finish();

    if (accepted == smtp.Messages()->Count() && report.Empty()) {
        report.Print();  // warnings only
        std::printf("sent: %d message(s) accepted by %s:%d\n", accepted, o.Account.Server.c_str(), o.Account.Port);
        return ExitOk;
    }
    if (report.Empty()) report.Fail(ExitFailure, "the message was not accepted");
    report.Print();
    return report.ExitCode();
}

}  // namespace qelmail_tool
