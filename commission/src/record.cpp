#include "r5commission/record.h"

#include "r5/csv.h"

#include <QHash>

using namespace Qt::StringLiterals;

namespace r5commission {

namespace {

// r5::csv::cell() puts a ' before a cell a spreadsheet would take for a formula; the value is
// the text after it.
QString unguarded(const QString &cell)
{
    static const QString formulaStarts = u"=+-@\t\r"_s;
    if (cell.size() >= 2 && cell.front() == u'\'' && formulaStarts.contains(cell.at(1)))
        return cell.mid(1);
    return cell;
}

} // namespace

Parsed<Record> parseRecord(QByteArrayView bytes)
{
    const r5::csv::Table table = r5::csv::parse(bytes);
    if (!table.error.isEmpty())
        return {std::nullopt, table.error};
    if (table.rows.isEmpty())
        return {std::nullopt, u"line 1: no header (Time, MAC, ...)"_s};
    Record record;
    record.header = table.rows.front();
    for (QString &name : record.header)
        name = name.trimmed();
    for (const char *needed : {"Time", "MAC"}) {
        if (!record.header.contains(QLatin1StringView(needed)))
            return {std::nullopt, u"line 1: no column "_s + QLatin1StringView(needed)};
    }
    for (qsizetype i = 1; i < table.rows.size(); ++i) {
        const QStringList &cells = table.rows.at(i);
        RecordRow row;
        row.line = table.lines.value(i, int(i) + 1);
        for (qsizetype c = 0; c < record.header.size(); ++c)
            row.cells.insert(record.header.at(c), unguarded(c < cells.size() ? cells.at(c) : QString()));
        row.time = QDateTime::fromString(row.value(u"Time"_s), Qt::ISODate);
        record.rows.append(row);
    }
    return {std::move(record), {}};
}

QList<RecordRow> newestPerMac(const Record &record)
{
    QList<RecordRow> out;
    QHash<QString, qsizetype> at;
    for (const RecordRow &row : record.rows) {
        const QString mac = row.value(u"MAC"_s).trimmed().toUpper();
        if (mac.isEmpty())
            continue;
        const auto it = at.constFind(mac);
        if (it == at.constEnd()) {
            at.insert(mac, out.size());
            out.append(row);
            continue;
        }
        RecordRow &kept = out[*it];
        // An unreadable time never replaces a readable one; otherwise the later line wins ties.
        if (!row.time.isValid() && kept.time.isValid())
            continue;
        if (!kept.time.isValid() || row.time >= kept.time)
            kept = row;
    }
    return out;
}

} // namespace r5commission
