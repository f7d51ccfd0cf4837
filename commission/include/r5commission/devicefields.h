#pragma once

#include "r5commission/profile.h"
#include "r5device/protocol/decoders.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// What a device reported, as profile fields, and what both programs show and record of it.
namespace r5commission {

// The answers to the status (0x41), current access point (0x49) and signal (0x4A) queries.
struct DeviceReading
{
    std::optional<r5::protocol::StatusView> status;
    std::optional<r5::protocol::CurrentAp> ap;
    std::optional<r5::protocol::RssiReading> rssi;
};

// The reported settings as profile fields (every key whose answer arrived).
Fields deviceFields(const DeviceReading &reading);

// The RSSI as a number, when the signal answer carried one.
std::optional<int> rssiValue(const DeviceReading &reading);

// "Name: value" lines of every field of the device view.
QStringList statusLines(const DeviceReading &reading);

// One line of the comparison of wanted and reported settings.
struct Comparison
{
    QString key;
    QString wanted;
    QString device; // empty when the device did not report the field
    bool ok = false;
};
// Every key of `wanted`, in profile order.
QList<Comparison> compare(const Fields &wanted, const Fields &device);
bool allMatch(const QList<Comparison> &rows);
// "field | wanted | device | ok/DIFFERS", aligned; the password is shown as stars.
QStringList comparisonTable(const QList<Comparison> &rows);

// The record of one device and run.
enum class Verdict { Ok, Differs, NoAnswer, Refused };
QString verdictText(Verdict verdict);

QStringList recordHeader();
// Time (ISO 8601 with offset), MAC, device, firmware, every field as read back but the
// password, RSSI, verdict, profile file name.
QStringList recordRow(const QDateTime &time, const DeviceReading &reading, Verdict verdict,
                      const QString &profileName);
// What one record appends to its file: the row, after the header when the file is still empty.
QByteArray recordBytes(bool fileEmpty, const QDateTime &time, const DeviceReading &reading, Verdict verdict,
                       const QString &profileName);

// The reading as JSON values, keyed device, firmware, mac, wan, server, di, flash, ap, rssi and
// quality (null where not read). The password never appears.
QJsonObject readingJson(const DeviceReading &reading);
// The comparison as JSON rows of field, wanted, device and ok; the password shown as stars.
QJsonArray comparisonJson(const QList<Comparison> &rows);

} // namespace r5commission
