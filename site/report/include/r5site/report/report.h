#pragma once

#include "r5commission/record.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QLocale>
#include <QPair>
#include <QString>
#include <QStringList>
#include <optional>

// The handover report: what was commissioned (the record), verified, and found on the network and
// counting (a site check), as the customer signs it. build() gathers the facts, sheet() words them
// in the reader's language; every output (PDF, HTML, the guide's picture) lays out the same sheet.
// No I/O here.
namespace r5site::report {

enum class Language { Korean, English };

// The system's language as the user guide picks it: Korean for a Korean locale, English otherwise.
Language systemLanguage(const QLocale &locale = QLocale());

struct Options
{
    QString site;
    QString by;   // who hands over
    QDateTime at; // when the report is made
    Language language = Language::English;
};

// A device's state in the site check, as the check names it; NotChecked when there was no check
// or the device is not in it.
enum class State { Online, Offline, NotReached, NotChecked };

struct Device
{
    QString label;
    QString mac;
    QString firmware;
    QString wanAddress;
    QString serverPort;
    QString serverMode;
    QString accessPoint;
    QString rssi;
    bool recorded = false; // a record row was found
    QString verdict;       // as recorded ("OK", "DIFFERS", ...)
    QDateTime verdictTime; // invalid when the row's time does not read
    bool checked = false;  // the site check holds it
    State state = State::NotChecked;
    QDateTime lastReport;
    std::optional<double> pingMs;
    std::optional<bool> countersMoved;

    bool verified() const;
};

struct Counts
{
    int devices = 0;
    int verified = 0;
    int notVerified = 0;
    // Not verified, by verdict as recorded; an empty verdict stands for "no record row".
    QList<QPair<QString, int>> notVerifiedBy;
    int online = 0;
    int offline = 0;
    int notReached = 0;
    int notChecked = 0; // with a check, devices of the record that it does not hold
    int counting = 0;   // counters moved during the check
};

struct Report
{
    Options options;
    bool checked = false; // a site check was given
    QList<Device> devices;
    Counts counts;
};

// The newest row of each MAC of `record`, matched by MAC (however written) to the devices of
// `check` (the JSON of `r5200tx-cli site --json`; a device without a MAC is matched by address
// and port); a device the check holds but the record does not is listed too, unverified. Missing
// keys in the check read as unknown.
Report build(const r5commission::Record &record, const std::optional<QJsonObject> &check,
             const Options &options);

// A site check read back; an error says what is wrong (not JSON, where; no device list).
r5commission::Parsed<QJsonObject> parseCheck(QByteArrayView bytes);

// Why a device needs attention, in the reader's language, its state aside; empty when it needs
// none (verified and, where a check was given, online).
QStringList attentionReasons(const Report &report, const Device &device);

// The report worded for the reader, ready to lay out.
struct Sheet
{
    QString language; // "ko", "en"
    QString title;
    QString site;
    QList<QPair<QString, QString>> facts; // site, date and time, handed over by, version
    struct Count
    {
        QString word;
        QString number;
        QString detail;    // what the number is made of ("DIFFERS 2, no record 1")
        bool warn = false; // a number the reader must look at
    };
    QList<Count> counts; // the cover's
    QString legend;      // how marked rows look
    QString tableTitle;
    QStringList columns; // the first is the mark column
    QList<int> freeText; // columns of free texts (label, access point), which may wrap
    int macColumn = 2;   // the state, where there is one, follows it
    struct Row
    {
        QStringList cells;
        bool attention = false;
    };
    QList<Row> rows;
    QString attentionTitle;
    QStringList attention; // one line per device; `attentionNone` when empty
    QString attentionNone;
    QString signTitle;
    QStringList signers;    // installer, customer
    QStringList signFields; // name, date, signature
    QString installerName;  // the installer's name filled in
    QString footerFormat;   // %1 page, %2 pages
    QString pdfTitle;
    QString creator;
};

Sheet sheet(const Report &report);

} // namespace r5site::report
