#pragma once

#include "r5commission/profile.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// A commissioning record read back: the rows r5200tx-cli and devsetup append, one per device and
// run, for the commands and windows that work from what was commissioned (skip what is done, the
// site list, the handover report). Columns are found by their header names, so older records
// (without the later columns) read as well as new ones.
namespace r5commission {

struct RecordRow
{
    int line = 0;                 // in the file, 1-based, for messages
    QMap<QString, QString> cells; // header name -> cell, as written (spreadsheet guards removed)
    QDateTime time;               // the Time column; invalid when it does not parse

    QString value(const QString &column) const { return cells.value(column); }
};

struct Record
{
    QStringList header;
    QList<RecordRow> rows;
};

// Rows of a record file. An error names the line and what is wrong: no header with Time and MAC,
// a broken quoted cell. Blank lines are skipped; a row shorter than the header has empty cells.
Parsed<Record> parseRecord(QByteArrayView bytes);

// The newest row of each MAC (by Time, a later line winning a tie), in the order each MAC first
// appears in the file. Rows without a MAC are left out.
QList<RecordRow> newestPerMac(const Record &record);

} // namespace r5commission
