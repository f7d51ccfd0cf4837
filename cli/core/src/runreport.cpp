#include "r5cli/runreport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace r5cli {

QString errorKind(int exitCode)
{
    switch (exitCode) {
    case exitcode::Ok:
        return {};
    case exitcode::Usage:
        return u"usage"_s;
    case exitcode::NoAnswer:
        return u"no-answer"_s;
    case exitcode::Differs:
        return u"differs"_s;
    case exitcode::PortNotOpened:
        return u"port"_s;
    case exitcode::NotWritten:
        return u"not-written"_s;
    case exitcode::SomeDevices:
        return u"devices"_s;
    case exitcode::NoRequest:
        return u"no-request"_s;
    case exitcode::BrokenOff:
        return u"broken-off"_s;
    case exitcode::Refused:
        return u"refused"_s;
    case exitcode::NotOnline:
        return u"not-online"_s;
    case exitcode::Interrupted:
        return u"interrupted"_s;
    }
    return u"failure"_s;
}

QByteArray reportJson(const RunReport &report)
{
    return QJsonDocument(reportObject(report)).toJson(QJsonDocument::Indented);
}

QJsonObject reportObject(const RunReport &report)
{
    const auto text = [](const QString &t) { return t.isEmpty() ? QJsonValue() : QJsonValue(t); };
    QJsonObject o = r5commission::readingJson(report.reading);
    o.insert(u"command"_s, text(report.command));
    o.insert(u"ok"_s, report.exitCode == exitcode::Ok);
    o.insert(u"exitCode"_s, report.exitCode);
    o.insert(u"error"_s, report.errorMessage.isEmpty() ? QJsonValue()
                                                       : QJsonObject{{u"kind"_s, errorKind(report.exitCode)},
                                                                     {u"field"_s, text(report.errorField)},
                                                                     {u"message"_s, report.errorMessage}});
    o.insert(u"comparison"_s,
             report.comparison ? QJsonValue(r5commission::comparisonJson(*report.comparison)) : QJsonValue());
    o.insert(u"record"_s, report.record.isEmpty() ? QJsonValue()
                                                  : QJsonObject{{u"file"_s, report.record},
                                                                {u"written"_s, report.recordWritten}});
    o.insert(u"saved"_s, text(report.saved));
    return o;
}

QString verdictOf(const DeviceResult &result)
{
    if (!result.doneAt.isEmpty())
        return u"already commissioned"_s;
    switch (result.exitCode) {
    case exitcode::Ok:
        return u"OK"_s;
    case exitcode::Usage:
        return u"REFUSED"_s;
    case exitcode::NoAnswer:
        return u"NO ANSWER"_s;
    case exitcode::Differs:
        return u"DIFFERS"_s;
    case exitcode::PortNotOpened:
        return u"PORT"_s;
    case exitcode::NotWritten:
        return u"NOT WRITTEN"_s;
    case exitcode::NoRequest:
        return u"NO REQUEST"_s;
    case exitcode::BrokenOff:
        return u"BROKEN OFF"_s;
    case exitcode::Interrupted:
        return u"INTERRUPTED"_s;
    }
    return u"FAILED (%1)"_s.arg(result.exitCode);
}

namespace {

QString seconds(qint64 ms)
{
    return QString::number(double(ms) / 1000.0, 'f', 1) + u" s"_s;
}

QString macOrDash(const QString &mac)
{
    return mac.isEmpty() ? u"-"_s : mac;
}

} // namespace

QString resultLine(const DeviceResult &result)
{
    QString line = result.port + u' ' + macOrDash(result.mac) + u' ' + verdictOf(result);
    if (!result.doneAt.isEmpty())
        line += u" ("_s + result.doneAt + u')';
    if (!result.label.isEmpty())
        line += u" ["_s + result.label + u']';
    line += u' ' + seconds(result.ms);
    if (!result.message.isEmpty())
        line += u": "_s + QString(result.message).replace(u'\n', u' ');
    return line;
}

QStringList benchTable(const QList<DeviceResult> &results)
{
    QList<QStringList> cells{{u"port"_s, u"MAC"_s, u"label"_s, u"verdict"_s, u"time"_s}};
    for (const DeviceResult &r : results)
        cells.append({r.port, macOrDash(r.mac), r.label, verdictOf(r), seconds(r.ms)});
    std::array<qsizetype, 4> width{};
    for (const QStringList &row : std::as_const(cells)) {
        for (std::size_t i = 0; i < width.size(); ++i)
            width[i] = std::max(width[i], row[qsizetype(i)].size());
    }
    QStringList out;
    for (const QStringList &row : std::as_const(cells)) {
        QString line;
        for (std::size_t i = 0; i < width.size(); ++i)
            line += row[qsizetype(i)].leftJustified(width[i]) + u" | "_s;
        out.append(line + row[4]);
    }
    return out;
}

int benchExitCode(const QList<DeviceResult> &results, int none)
{
    if (results.isEmpty())
        return none;
    if (results.size() == 1)
        return results.first().exitCode;
    const bool allOk = std::all_of(results.begin(), results.end(),
                                   [](const DeviceResult &r) { return r.exitCode == exitcode::Ok; });
    return allOk ? exitcode::Ok : exitcode::SomeDevices;
}

QByteArray benchJson(const QString &command, int exitCode, const QString &errorMessage, const QString &record,
                     const QList<DeviceResult> &results)
{
    RunReport overall;
    overall.command = command;
    overall.exitCode = exitCode;
    overall.errorMessage = errorMessage;
    overall.record = record;
    overall.recordWritten =
        !record.isEmpty() && std::all_of(results.begin(), results.end(), [](const DeviceResult &r) {
            const QJsonValue written = r.json.value(u"record"_s).toObject().value(u"written"_s);
            return written.toBool() || !r.doneAt.isEmpty();
        });
    QJsonObject o = reportObject(overall);
    QJsonArray devices;
    for (const DeviceResult &r : results) {
        QJsonObject d = r.json;
        d.insert(u"port"_s, r.port);
        d.insert(u"label"_s, r.label.isEmpty() ? QJsonValue() : QJsonValue(r.label));
        d.insert(u"alreadyCommissioned"_s, r.doneAt.isEmpty() ? QJsonValue() : QJsonValue(r.doneAt));
        d.insert(u"seconds"_s, double(r.ms) / 1000.0);
        devices.append(d);
    }
    o.insert(u"devices"_s, devices);
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

} // namespace r5cli
