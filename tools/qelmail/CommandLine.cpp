#include "CommandLine.h"

#include "ExitCodes.h"
#include "framework/core/SysUtils.h"

#include <QCommandLineParser>
#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <unistd.h>

namespace qelmail_tool {

TServerAddress ParseServer(const QString& Text, int32_t DefaultPort)
{
    QString host = Text.trimmed();
    int32_t port = DefaultPort;
    const int colon = host.lastIndexOf(':');
    const bool bracketed = host.startsWith('[');
    // A bare IPv6 address has several colons and no port.
    if (colon > 0 && (bracketed ? host.indexOf(']') < colon : host.count(':') == 1)) {
        port = ParseInt(host.mid(colon + 1), "--server port", 1, 65535);
        host = host.left(colon);
    }
    if (bracketed && host.endsWith(']')) host = host.mid(1, host.size() - 2);
    if (host.isEmpty()) throw TUsageError("--server needs a host name");
    return {host.toStdString(), port};
}

int32_t ParseInt(const QString& Text, const char* Option, int32_t Min, int32_t Max)
{
    bool ok = false;
    const qlonglong v = Text.toLongLong(&ok);
    if (!ok || v < Min || v > Max)
        throw TUsageError(String(Option) + " must be a number from " + std::to_string(Min) + " to " + std::to_string(Max));
    return static_cast<int32_t>(v);
}

String ReadWholeFile(const QString& FileName)
{
    QFile f(FileName);
    if (!f.open(QIODevice::ReadOnly))
        throw TUsageError("cannot read " + FileName.toStdString() + ": " + f.errorString().toStdString());
    return f.readAll().toStdString();
}

String ReadStandardInput()
{
    return String(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
}

String ReadPasswordFile(const QString& FileName)
{
    const String text = ReadWholeFile(FileName);
    return text.substr(0, text.find_first_of("\r\n"));
}

void ParseCommand(QCommandLineParser& Parser, const char* Command, const QStringList& Args)
{
    Parser.addHelpOption();
    Parser.addOption({"version", "Displays the version of qelmail."});
    if (!Parser.parse(QStringList{QString("qelmail ") + Command} + Args))
        throw TUsageError(Parser.errorText().toStdString());
    if (Parser.isSet("help")) {
        // Qt names the program by its path alone; the user needs the command too.
        QString help = Parser.helpText();
        help.replace(0, help.indexOf('\n'), QString("Usage: qelmail %1 [options]").arg(Command));
        std::fputs(help.toUtf8().constData(), stdout);
        std::fputs(ExitCodesHelp, stdout);
        std::exit(0);
    }
    if (Parser.isSet("version")) {
        std::printf("qelmail %s\n", QEL_VERSION);
        std::exit(0);
    }
    if (!Parser.positionalArguments().isEmpty())
        throw TUsageError("unexpected argument '" + Parser.positionalArguments().first().toStdString() + "'");
}

QList<QCommandLineOption> BodyOptions()
{
    return {
        {{"body-file", "body"}, "Body text from a file (standard input without it or --body-text).", "file"},
        {"body-text", "Body text given on the command line.", "text"},
    };
}

String ReadBody(const QCommandLineParser& Parser)
{
    const bool file = Parser.isSet("body-file"), text = Parser.isSet("body-text");
    if (file && text) throw TUsageError("--body-file and --body-text exclude each other");
    if (file) return ReadWholeFile(Parser.value("body-file"));
    if (text) return Parser.value("body-text").toStdString();
    if (::isatty(STDIN_FILENO) == 1)
        throw TUsageError("no body given: use --body-file or --body-text, or pipe the text into standard input");
    return ReadStandardInput();
}

String AddressList(const QStringList& Values)
{
    String list;
    const auto add = [&list](const String& Address) {
        // The component takes bare addresses: "Name <addr>" gives its addr.
        String trimmed = Trim(Address);
        const size_t open = trimmed.rfind('<'), close = trimmed.rfind('>');
        if (open != String::npos && close != String::npos && open < close) trimmed = Trim(trimmed.substr(open + 1, close - open - 1));
        if (trimmed.empty()) return;
        if (!list.empty()) list += ';';
        list += trimmed;
    };
    for (const QString& value : Values) {
        // A separator inside a quoted name or inside <...> belongs to the address.
        const String text = value.toStdString();
        String current;
        bool quoted = false, bracketed = false;
        for (const char c : text) {
            if (c == '"' && !bracketed) quoted = !quoted;
            if (c == '<' && !quoted) bracketed = true;
            if (c == '>' && !quoted) bracketed = false;
            if ((c == ',' || c == ';') && !quoted && !bracketed) {
                add(current);
                current.clear();
            } else {
                current += c;
            }
        }
        add(current);
    }
    return list;
}

}  // namespace qelmail_tool
