#pragma once
// Small helpers the mail tool's commands share.
#include "framework/core/Types.h"

#include <QCommandLineOption>
#include <QList>
#include <QStringList>
#include <stdexcept>

class QCommandLineParser;

namespace qelmail_tool {
using namespace qel;

// A command-line mistake: reported with the usage hint and exit code 2.
class TUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TServerAddress {
    String Host;
    int32_t Port;
};

// "host", "host:port" or "[v6addr]:port"; DefaultPort when none is given.
TServerAddress ParseServer(const QString& Text, int32_t DefaultPort);
int32_t ParseInt(const QString& Text, const char* Option, int32_t Min, int32_t Max);
String ReadWholeFile(const QString& FileName);  // TUsageError naming the file when unreadable
String ReadStandardInput();
String ReadPasswordFile(const QString& FileName);  // its first line

// Adds --help, parses "qelmail Command Args"; prints the help and exits 0 when asked.
// TUsageError for an unknown option or a stray argument.
void ParseCommand(QCommandLineParser& Parser, const char* Command, const QStringList& Args);

// --body-file (alias --body) and --body-text; ReadBody takes the one given, else standard input
// when it is not a terminal (nobody would know the tool is waiting for them to type a body).
QList<QCommandLineOption> BodyOptions();
String ReadBody(const QCommandLineParser& Parser);  // TUsageError when both or none are given

// The values of a repeatable address option, each a list separated by ',' or ';', as one
// ';'-separated list of bare addresses ("Name <addr>" gives addr; a quoted name keeps its commas).
String AddressList(const QStringList& Values);

}  // namespace qelmail_tool
