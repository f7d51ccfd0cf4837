#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Comma-separated rows as spreadsheets write and read them: a field holding a comma, a quote
// or a line break is quoted, and a quote inside quotes is doubled. Text is UTF-8.
namespace r5cli::csv {

struct Table
{
    QList<QStringList> rows;
    // Empty when the text parsed; otherwise what is wrong and on which line.
    QString error;
};

// Rows of `bytes`; blank lines are skipped, CR LF and LF both end a row, a UTF-8 byte order mark
// is dropped. An unterminated quoted field is an error.
Table parse(QByteArrayView bytes);

// One row with its CR LF line end.
QByteArray line(const QStringList &fields);

} // namespace r5cli::csv
