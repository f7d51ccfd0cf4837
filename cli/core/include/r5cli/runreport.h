#pragma once

#include "r5cli/cliargs.h"
#include "r5commission/devicefields.h"

#include <QByteArray>
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

// "usage", "no-answer", "differs", "port", "not-written", "not-online" (empty for 0).
QString errorKind(int exitCode);

// One JSON object with the same keys for every command and outcome: command, ok, exitCode,
// error (null, or kind, field and message), the device's reading (device, firmware, mac, wan,
// server, di, flash, ap, rssi, quality; null where not read), comparison, record and saved
// (null where they do not apply). The password never appears.
QByteArray reportJson(const RunReport &report);

} // namespace r5cli
