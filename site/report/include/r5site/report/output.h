#pragma once

#include "r5site/report/report.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>

// The report's outputs: a PDF (A4 landscape, rows never cut, the table's header on every page,
// the suite's fonts embedded) and one self-contained HTML page that prints the same way. The PDF
// and the picture need a QGuiApplication (fonts); the HTML does not.
namespace r5site::report {

QByteArray html(const Sheet &sheet);
QByteArray pdf(const Sheet &sheet);
// The first page as a picture, `dpi` dots per inch (the user guide shows it).
QImage firstPage(const Sheet &sheet, int dpi = 96);

enum class Format { Pdf, Html };
// The format a file name asks for by its extension (.pdf; .html or .htm), any case.
std::optional<Format> formatOf(const QString &path);

struct WriteFailure
{
    enum class Kind { UnknownFormat, NotWritten } kind = Kind::NotWritten;
    QString message; // names the file and the reason
};

// Writes the report to `path` in the format its extension names. The file is replaced whole or
// not at all.
std::optional<WriteFailure> write(const Report &report, const QString &path);

} // namespace r5site::report
