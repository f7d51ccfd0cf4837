#include "r5commission/record.h"

#include "r5/csv.h"

#include <QHash>
#include <algorithm>

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
    Record record;
    QStringList header;
    for (qsizetype i = 0; i < table.rows.size(); ++i) {
        const QStringList &cells = table.rows.at(i);
        if (cells.contains(u"Time"_s) && cells.contains(u"MAC"_s)) {
            header = cells;
            for (QString &name : header)
                name = name.trimmed();
            if (record.header.isEmpty())
                record.header = header;
            continue;
        }
        QStringList columns = header;
        // A row of this version under the header of an older one: its one more cell is the label.
        if (cells.size() == header.size() + 1 && !header.contains(u"Label"_s))
            columns.append(u"Label"_s);
        if (header.isEmpty() || cells.size() != columns.size())
            continue;
        RecordRow row;
        row.line = table.lines.value(i, int(i) + 1);
        for (qsizetype c = 0; c < columns.size(); ++c)
            row.cells.insert(columns.at(c), unguarded(cells.at(c)));
        row.time = QDateTime::fromString(row.value(u"Time"_s), Qt::ISODate);
        record.rows.append(row);
    }
    if (record.header.isEmpty()) {
        const QStringList first = table.rows.value(0);
        for (const char *needed : {"Time", "MAC"}) {
            if (!first.contains(QLatin1StringView(needed)))
                return {std::nullopt,
                        u"line %1: no column "_s.arg(table.lines.value(0, 1)) + QLatin1StringView(needed)};
        }
    }
    if (!record.header.contains(u"Label"_s) &&
        std::any_of(record.rows.cbegin(), record.rows.cend(),
                    [](const RecordRow &r) { return r.cells.contains(u"Label"_s); }))
        record.header.append(u"Label"_s);
    return {std::move(record), {}};
}

QList<RecordRow> newestPerMac(const Record &record)
{
    QList<RecordRow> out;
    QHash<QString, qsizetype> at;
    for (const RecordRow &row : record.rows) {
        const QString mac = row.mac();
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
