#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <optional>

namespace r5cli {

// The site commands' own arguments: site FILE [--interval S] [--duration S];
// scan RANGE [--tcp-port P] [--csv FILE].
struct SiteArgs
{
    QString file;  // site: the site list or commissioning record
    QString range; // scan: as typed
    int intervalSeconds = 2;
    std::optional<int> durationSeconds; // none: until every device has answered or three intervals
    quint16 tcpPort = 4000;
    QString csv; // scan: the site list to write
};

QList<QCommandLineOption> siteOptions();

struct ArgError
{
    QString field;
    QString message;
};

// Reads the site commands' arguments from `p` (already parsed) into `out`; `site` tells site from
// scan. Options of the other commands, and these options with them, are errors.
std::optional<ArgError> parseSiteArgs(const QCommandLineParser &p, bool site, SiteArgs &out);

// True when `p` carries an option only site or scan take.
bool hasSiteOptions(const QCommandLineParser &p);

} // namespace r5cli
