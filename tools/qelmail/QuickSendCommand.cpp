#include "QuickSendCommand.h"

#include "CommandLine.h"
#include "MapiStatus.h"
#include "RunReport.h"
#include "framework/core/SysUtils.h"
#include "mail/QELTMapiMail.h"

#include <QCommandLineParser>
#include <cstdio>
#include <cstdlib>

namespace qelmail_tool {

namespace {

struct TQuickSendOptions {
    String ToName, Address, Subject, Body;
    bool Fax = false;
};

TQuickSendOptions ParseQuickSendOptions(const QStringList& Args)
{
    QCommandLineParser p;
    p.setApplicationDescription(
        "Sends one short message, or a fax, to one recipient through the default profile of the\n"
        "Simple MAPI provider, without a logon of its own.");
    p.addOptions({
        {"to-name", "Display name of the recipient.", "name"},
        {"to", "Mail address of the recipient.", "addr"},
        {"fax", "Fax number of the recipient (instead of --to).", "number"},
        {"subject", "Subject line.", "text"},
    });
    p.addOptions(BodyOptions());
    ParseCommand(p, "quick-send", Args);
    if (p.isSet("to") == p.isSet("fax")) throw TUsageError("give either --to or --fax");

    TQuickSendOptions o;
    o.Fax = p.isSet("fax");
    o.Address = p.value(o.Fax ? "fax" : "to").trimmed().toStdString();
    if (o.Address.empty()) throw TUsageError(o.Fax ? "--fax needs a number" : "--to needs an address");
    o.ToName = p.value("to-name").toStdString();
    o.Subject = p.value("subject").toStdString();
    o.Body = ReadBody(p);
    return o;
}

}  // namespace

int RunQuickSend(const QStringList& Args)
{
    const TQuickSendOptions o = ParseQuickSendOptions(Args);
    const String missing = MapiUnavailableReason();
    if (!missing.empty()) {
        std::fprintf(stderr, "qelmail: %s\n", missing.c_str());
        return ExitUnavailable;
    }

    TQELQuickMail quick(nullptr);
    quick.ToName = o.ToName;
    quick.ToEmailorFaxAddress = o.Address;
    quick.MailorFax = o.Fax ? ccFax : ccMail;
    quick.Subject = o.Subject;
    quick.TextToSend()->SetText(o.Body);

    TRunReport report;
    quick.OnError = [&quick, &report](TObject*) {
        const auto code = static_cast<uint32_t>(StrToInt64Def(quick.ErrorNo, MAPI_E_FAILURE));
        report.Fail(MapiExitCode(code), "send failed with MAPI code " + MapiFailureText(code));
    };
    quick.Execute();
    if (quick.ErrorNo == "0" && report.Empty()) {
        std::printf("sent: \"%s\" %s %s\n", o.Subject.c_str(), o.Fax ? "as a fax to" : "to", o.Address.c_str());
        return ExitOk;
    }
    if (report.Empty()) report.Fail(ExitFailure, "the message was not sent");
    report.Print();
    return report.ExitCode();
}

}  // namespace qelmail_tool
