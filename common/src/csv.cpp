#include "r5/csv.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace r5::csv {

Table parse(QByteArrayView bytes)
{
    Table table;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QStringList row;
    QByteArray field;
    bool quoted = false;    // inside a quoted field
    bool wasQuoted = false; // the current field began with a quote
    int lineNo = 1;
    int rowLine = 1;
    auto endField = [&] {
        row.append(QString::fromUtf8(field));
        field.clear();
        wasQuoted = false;
    };
    auto endRow = [&] {
        endField();
        if (!(row.size() == 1 && row.first().isEmpty())) {
            table.rows.append(row);
            table.lines.append(rowLine);
        }
        row.clear();
    };
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < bytes.size() && bytes[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == '\n')
                    ++lineNo;
                field += c;
            }
            continue;
        }
        switch (c) {
        case '"':
            if (field.isEmpty() && !wasQuoted) {
                quoted = true;
                wasQuoted = true;
            } else {
                field += c; // a quote inside an unquoted field is taken as it stands
            }
            break;
        case ',':
            endField();
            break;
        case '\r':
            if (i + 1 < bytes.size() && bytes[i + 1] == '\n')
                break;
            field += c;
            break;
        case '\n':
            endRow();
            rowLine = ++lineNo;
            break;
        default:
            field += c;
        }
    }
    if (quoted) {
        table.error = u"line %1: a quoted field is not closed"_s.arg(rowLine);
        return table;
    }
    if (!field.isEmpty() || !row.isEmpty() || wasQuoted)
        endRow();
    return table;
}

QString cell(const QString &text)
{
    static const QRegularExpression number(u"\\A[+-]?[0-9]+(\\.[0-9]+)?\\z"_s);
    if (text.isEmpty() || !QStringView(u"=+-@\t\r").contains(text.front()) || number.match(text).hasMatch())
        return text;
    return u'\'' + text;
}

QByteArray line(const QStringList &fields)
{
    QByteArray out;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        const QByteArray f = cell(fields[i]).toUtf8();
        const bool quote = f.contains(',') || f.contains('"') || f.contains('\n') || f.contains('\r') ||
                           f.startsWith(' ') || f.endsWith(' ');
        if (quote) {
            QByteArray q = f;
            q.replace("\"", "\"\"");
            out += '"' + q + '"';
        } else {
            out += f;
        }
    }
    out += "\r\n";
    return out;
}

} // namespace r5::csv
