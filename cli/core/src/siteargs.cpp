#include "r5cli/siteargs.h"

using namespace Qt::StringLiterals;

namespace r5cli {

namespace {
const QString kInterval = u"interval"_s;
const QString kDuration = u"duration"_s;
const QString kTcpPort = u"tcp-port"_s;
const QString kCsv = u"csv"_s;
// The serial commands' options: they mean nothing to a check over the network.
const QStringList kSerialOptions = {u"port"_s,      u"baud"_s,    u"data-bits"_s, u"parity"_s,
                                    u"stop-bits"_s, u"timeout"_s, u"tries"_s,     u"reboot-timeout"_s,
                                    u"plan"_s,      u"record"_s,  u"no-verify"_s, u"serve"_s};

std::optional<int> seconds(const QString &text, int low, int high)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok || v < low || v > high)
        return std::nullopt;
    return v;
}
} // namespace

QList<QCommandLineOption> siteOptions()
{
    return {QCommandLineOption(kInterval, u"site: seconds between polls, 1 to 600 (2)."_s, u"S"_s, u"2"_s),
            QCommandLineOption(kDuration,
                               u"site: seconds to watch (default: until every device has answered, "
                               "at most three intervals)."_s,
                               u"S"_s),
            QCommandLineOption(kTcpPort, u"scan: the devices' status port (4000)."_s, u"P"_s, u"4000"_s),
            QCommandLineOption(kCsv, u"scan: also write what answered as a site list."_s, u"FILE"_s)};
}

bool hasSiteOptions(const QCommandLineParser &p)
{
    return p.isSet(kInterval) || p.isSet(kDuration) || p.isSet(kTcpPort) || p.isSet(kCsv);
}

std::optional<ArgError> parseSiteArgs(const QCommandLineParser &p, bool site, SiteArgs &out)
{
    const QString cmd = site ? u"site"_s : u"scan"_s;
    for (const QString &name : kSerialOptions) {
        if (p.isSet(name))
            return ArgError{u"--"_s + name, u"--%1 does not go with %2"_s.arg(name, cmd)};
    }
    const QStringList pos = p.positionalArguments();
    const QString arg = site ? u"FILE"_s : u"RANGE"_s;
    if (pos.size() != 2)
        return ArgError{arg, cmd + u" takes one "_s + arg};
    if (site) {
        for (const QString &name : {kTcpPort, kCsv}) {
            if (p.isSet(name))
                return ArgError{u"--"_s + name, u"--%1 goes with scan"_s.arg(name)};
        }
        out.file = pos.at(1);
        const auto interval = seconds(p.value(kInterval), 1, 600);
        if (!interval)
            return ArgError{u"--interval"_s,
                            u"--interval: \"%1\" is not 1 to 600 s"_s.arg(p.value(kInterval))};
        out.intervalSeconds = *interval;
        if (p.isSet(kDuration)) {
            const auto duration = seconds(p.value(kDuration), 1, 7 * 24 * 3600);
            if (!duration)
                return ArgError{u"--duration"_s,
                                u"--duration: \"%1\" is not 1 to 604800 s"_s.arg(p.value(kDuration))};
            out.durationSeconds = *duration;
        }
        return std::nullopt;
    }
    for (const QString &name : {kInterval, kDuration}) {
        if (p.isSet(name))
            return ArgError{u"--"_s + name, u"--%1 goes with site"_s.arg(name)};
    }
    out.range = pos.at(1);
    const auto port = seconds(p.value(kTcpPort), 1, 65535);
    if (!port)
        return ArgError{u"--tcp-port"_s, u"--tcp-port: \"%1\" is not 1 to 65535"_s.arg(p.value(kTcpPort))};
    out.tcpPort = quint16(*port);
    out.csv = p.value(kCsv);
    return std::nullopt;
}

} // namespace r5cli
