#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// `r5200tx-cli report`: the handover report from a record and a site check.
namespace r5cli {

struct ReportArgs
{
    QString record;
    QString siteCheck; // empty: no check
    QString site;
    QString by;
    QString language; // "ko", "en"; empty: the system's, as the guide chooses
    QString out;
};

struct ParsedReportArgs
{
    std::optional<ReportArgs> args; // nullopt: print `text` and end with `exitCode`
    QString text;
    int exitCode = 0;
};

// Whether the command line (main's) asks for the report, which runs apart from the serial
// commands: "report" comes first.
bool isReportCommand(int argc, const char *const *argv);

ParsedReportArgs parseReportArgs(const QStringList &arguments);

} // namespace r5cli
