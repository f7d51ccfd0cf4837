#pragma once

#include "r5cli/cliargs.h"
#include "r5commission/devicefields.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <optional>

namespace r5cli {

// What one run did, for --json.
struct RunReport
{
    QString command; // as typed; empty when none was named
    int exitCode = exitcode::Ok;
    QString errorField;   // the option, argument or profile key the error is about
    QString errorMessage; // empty: no error
    r5commission::DeviceReading reading;
    std::optional<QList<r5commission::Comparison>> comparison;
    QString record; // the record file, when one was asked for
    bool recordWritten = false;
    QString saved; // save's profile, once written
};

// "usage", "no-answer", "differs", "port", "not-written", "devices", "not-online" (empty for 0).
QString errorKind(int exitCode);

// One JSON object with the same keys for every command and outcome: command, ok, exitCode,
// error (null, or kind, field and message), the device's reading (device, firmware, mac, wan,
// server, di, flash, ap, rssi, quality; null where not read), comparison, record and saved
// (null where they do not apply). The password never appears.
QByteArray reportJson(const RunReport &report);
QJsonObject reportObject(const RunReport &report);

// How one device of a bench ended.
struct DeviceResult
{
    QString port;
    QString mac;    // empty when the device never answered
    QString label;  // the plan's, when its row has one
    QString doneAt; // --skip-done: the time of the record's OK row; empty when it was commissioned
    int exitCode = exitcode::Ok;
    QString message;  // the error, for the line; empty for 0
    qint64 ms = 0;    // from the first request to the end
    QJsonObject json; // the single-device object
};

// "OK", "DIFFERS", "NO ANSWER", ..., "already commissioned" for a skipped device.
QString verdictOf(const DeviceResult &result);
// "PORT MAC VERDICT (label) 3.2 s: message": the line printed as the device ends.
QString resultLine(const DeviceResult &result);
// "port | MAC | label | verdict | time", aligned, with a header.
QStringList benchTable(const QList<DeviceResult> &results);
// The run's code: a single device's own; 0 when every device ended with 0; otherwise
// SomeDevices. Without any device, `none`.
int benchExitCode(const QList<DeviceResult> &results, int none);
// The one object of a bench run: the keys of reportJson() for the run as a whole (error kind
// "devices" when some device did not end with 0), and `devices`: every device's own object with
// `port`, `label`, `alreadyCommissioned` and `seconds` added.
QByteArray benchJson(const QString &command, int exitCode, const QString &errorMessage, const QString &record,
                     const QList<DeviceResult> &results);

} // namespace r5cli
