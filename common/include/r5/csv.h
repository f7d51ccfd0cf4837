#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

// Comma-separated rows as spreadsheets write and read them: a field holding a comma, a quote
// or a line break is quoted, and a quote inside quotes is doubled. Text is UTF-8.
namespace r5::csv {

struct Table
{
    QList<QStringList> rows;
    QList<int> lines; // the line each row begins on, 1-based
    // Empty when the text parsed; otherwise what is wrong and on which line.
    QString error;
};

// Rows of `bytes`; blank lines are skipped, CR LF and LF both end a row, a UTF-8 byte order mark
// is dropped. An unterminated quoted field is an error.
Table parse(QByteArrayView bytes);

// `text` as a cell that a spreadsheet shows rather than runs. A cell beginning with =, +, -, @,
// a tab or a CR is taken for a formula on opening, so it gets a leading ' (shown by none of
// them); a plain number ("-70", "+1.5") stays a number. Device names, access point names and
// whatever a peer sends end up in cells, and a file that runs them is no record.
QString cell(const QString &text);

// One row with its CR LF line end; every field goes through cell().
QByteArray line(const QStringList &fields);

} // namespace r5::csv
