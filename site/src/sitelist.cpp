#include "r5site/sitelist.h"

#include "r5/csv.h"
#include "r5commission/record.h"

#include <QHash>

using namespace Qt::StringLiterals;

namespace r5site {

namespace {

// Spreadsheets and the device's own padding give "127.000.002.001"; a connection needs
// "127.0.2.1" (a leading zero would read as octal to some resolvers).
std::optional<QString> addressText(const QString &cell)
{
    const QString text = cell.trimmed();
    if (text.isEmpty() || text.contains(u' '))
        return std::nullopt;
    const QStringList parts = text.split(u'.');
    bool numeric = parts.size() == 4;
    QStringList octets;
    for (const QString &p : parts) {
        bool ok = false;
        const uint v = p.toUInt(&ok);
        if (!ok) {
            numeric = false;
            break;
        }
        if (p.size() > 3 || v > 255)
            return std::nullopt;
        octets.append(QString::number(v));
    }
    if (numeric)
        return octets.join(u'.');
    // Anything else all digits and dots is a broken address, not a name.
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit() || c == u'.'; }))
        return std::nullopt;
    const bool nameLike = std::all_of(text.begin(), text.end(), [](QChar c) {
        // Host names, and IPv6 addresses by their colons.
        return c.isLetterOrNumber() || c == u'.' || c == u'-' || c == u'_' || c == u':';
    });
    if (!nameLike || text.size() > 253)
        return std::nullopt;
    return text;
}

std::optional<quint16> portNumber(const QString &cell)
{
    const QString text = cell.trimmed();
    if (text.isEmpty())
        return kDefaultPort;
    bool ok = false;
    const uint v = text.toUInt(&ok);
    if (!ok || v < 1 || v > 65535)
        return std::nullopt;
    return quint16(v);
}

// r5::csv::cell() puts a ' before a cell a spreadsheet would take for a formula.
QString unguarded(const QString &cell)
{
    static const QString formulaStarts = u"=+-@\t\r"_s;
    if (cell.size() >= 2 && cell.front() == u'\'' && formulaStarts.contains(cell.at(1)))
        return cell.mid(1);
    return cell;
}

struct Columns
{
    QString address;
    QString port;
    QString label = u"Label"_s;
    QString mac = u"MAC"_s;
};

// Each row as a map of header name to cell, whichever kind the list is.
struct Rows
{
    QList<QMap<QString, QString>> cells;
    QList<int> lines;
};

} // namespace

SiteList parseSiteList(QByteArrayView bytes, const QString &fileName)
{
    SiteList out;
    const auto fail = [&out, &fileName](const QString &why) {
        out.entries.clear();
        out.error = fileName + u": "_s + why;
        return out;
    };
    const r5::csv::Table table = r5::csv::parse(bytes);
    if (!table.error.isEmpty())
        return fail(table.error);
    if (table.rows.isEmpty())
        return fail(u"line 1: empty; a site list needs a header with Address (or a commissioning record)"_s);
    QStringList header = table.rows.front();
    for (QString &name : header)
        name = name.trimmed();

    Columns columns;
    Rows rows;
    if (header.contains(u"Address"_s)) {
        columns.address = u"Address"_s;
        columns.port = u"Port"_s;
        for (qsizetype r = 1; r < table.rows.size(); ++r) {
            QMap<QString, QString> cells;
            for (qsizetype c = 0; c < header.size(); ++c)
                cells.insert(header.at(c),
                             unguarded(c < table.rows.at(r).size() ? table.rows.at(r).at(c) : QString()));
            rows.cells.append(cells);
            rows.lines.append(table.lines.value(r, int(r) + 1));
        }
    } else if (header.contains(u"WAN.IP"_s) && header.contains(u"MAC"_s)) {
        const auto record = r5commission::parseRecord(bytes);
        if (!record.value)
            return fail(record.error);
        columns.address = u"WAN.IP"_s;
        columns.port = u"Server.Port"_s;
        for (const r5commission::RecordRow &row : r5commission::newestPerMac(*record.value)) {
            rows.cells.append(row.cells);
            rows.lines.append(row.line);
        }
    } else {
        return fail(u"line %1: no column Address (nor WAN.IP and MAC of a commissioning record)"_s.arg(
            table.lines.value(0, 1)));
    }

    QHash<QString, int> seen; // address:port -> line
    for (qsizetype r = 0; r < rows.cells.size(); ++r) {
        const QMap<QString, QString> &cells = rows.cells.at(r);
        const int line = rows.lines.at(r);
        const QString where = u"line %1: "_s.arg(line);
        const QString addressCell = cells.value(columns.address);
        if (addressCell.trimmed().isEmpty())
            return fail(where + u"no address in "_s + columns.address);
        const auto address = addressText(addressCell);
        if (!address)
            return fail(where + u"\"%1\" is not an address"_s.arg(addressCell));
        const QString portCell = cells.value(columns.port);
        const auto port = portNumber(portCell);
        if (!port)
            return fail(where + u"%1 \"%2\" is not a port (1 to 65535)"_s.arg(columns.port, portCell));
        const QString key = *address + u':' + QString::number(*port);
        if (const auto it = seen.constFind(key); it != seen.constEnd())
            return fail(where + u"%1 is listed twice (line %2 too)"_s.arg(key).arg(*it));
        seen.insert(key, line);
        SiteEntry e;
        e.address = *address;
        e.port = *port;
        e.label = cells.value(columns.label).trimmed();
        e.mac = cells.value(columns.mac).trimmed().toUpper();
        e.line = line;
        out.entries.append(e);
    }
    if (out.entries.isEmpty())
        return fail(u"line %1: no devices listed"_s.arg(table.lines.value(0, 1)));
    return out;
}

} // namespace r5site
