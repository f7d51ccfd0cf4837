#include "r5/wholefile.h"
#include "r5site/report/output.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace r5site::report {

std::optional<Format> formatOf(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"pdf"_s)
        return Format::Pdf;
    if (suffix == u"html"_s || suffix == u"htm"_s)
        return Format::Html;
    return std::nullopt;
}

std::optional<WriteFailure> write(const Report &report, const QString &path)
{
    const std::optional<Format> format = formatOf(path);
    if (!format)
        return WriteFailure{WriteFailure::Kind::UnknownFormat,
                            path + u": the report is written as .pdf or .html, not as \"."_s +
                                QFileInfo(path).suffix() + u"\""_s};
    const Sheet s = sheet(report);
    const QByteArray bytes = *format == Format::Pdf ? pdf(s) : html(s);
    if (bytes.isEmpty())
        return WriteFailure{WriteFailure::Kind::NotWritten, path + u": the PDF could not be made"_s};
    if (const QString why = r5::replaceFile(path, bytes); !why.isEmpty())
        return WriteFailure{WriteFailure::Kind::NotWritten,
                            path + u": the report cannot be written ("_s + why + u')'};
    return std::nullopt;
}

} // namespace r5site::report
