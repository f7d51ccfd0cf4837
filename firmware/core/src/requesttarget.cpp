#include "r5fw/requesttarget.h"

#include <QStringDecoder>
#include <QUrl>
#include <limits>
#include <optional>

using namespace Qt::StringLiterals;

namespace r5fw {

namespace {

Target refused(const QString &why)
{
    return {Target::Kind::Refused, {}, why};
}

// Digits only, no sign, and within qint64.
std::optional<qint64> number(QByteArrayView text)
{
    if (text.isEmpty() || text.size() > 18)
        return std::nullopt;
    qint64 value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

Target resolveTarget(QByteArrayView target)
{
    // An absolute-form target ("http://host/name") would name a host; a device never sends it.
    qsizetype end = target.size();
    for (const char stop : {'?', '#'}) {
        const qsizetype at = target.indexOf(stop);
        if (at >= 0 && at < end)
            end = at;
    }
    const QByteArray decoded = QByteArray::fromPercentEncoding(target.first(end).toByteArray());
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString name = utf8.decode(decoded);
    if (utf8.hasError())
        return refused(u"the name is not UTF-8"_s);
    if (name.startsWith(u'/'))
        name.remove(0, 1);
    // A download order pads its file field on the left with spaces.
    while (name.startsWith(u' '))
        name.remove(0, 1);
    if (name.isEmpty())
        return {Target::Kind::Listing, {}, {}};
    for (const QChar c : std::as_const(name)) {
        if (c == u'/' || c == u'\\')
            return refused(u"outside the firmware folder"_s);
        if (c == u':')
            return refused(u"a drive or stream name"_s);
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return refused(u"a control character in the name"_s);
    }
    if (name.startsWith(u'.'))
        return refused(name == u"." || name == u".." ? u"outside the firmware folder"_s : u"a hidden file"_s);
    return {Target::Kind::File, name, {}};
}

QString orderedName(QStringView orderedPath)
{
    QStringView name = orderedPath.trimmed();
    if (name.startsWith(u'/'))
        name = name.sliced(1);
    return name.toString();
}

RangeChoice chooseRange(QByteArrayView rangeHeader, qint64 size)
{
    const QByteArrayView header = rangeHeader.trimmed();
    constexpr QByteArrayView kUnit("bytes=");
    if (header.isEmpty() || !header.startsWith(kUnit) || header.contains(','))
        return {};
    const QByteArrayView bounds = header.sliced(kUnit.size()).trimmed();
    const qsizetype dash = bounds.indexOf('-');
    if (dash < 0)
        return {};
    const QByteArrayView from = bounds.first(dash).trimmed();
    const QByteArrayView to = bounds.sliced(dash + 1).trimmed();
    if (from.isEmpty()) {
        // "-N": the last N bytes.
        const std::optional<qint64> suffix = number(to);
        if (!suffix)
            return {};
        if (*suffix == 0 || size == 0)
            return {RangeChoice::Answer::Unsatisfiable};
        return {RangeChoice::Answer::Part, std::max<qint64>(0, size - *suffix), size - 1};
    }
    const std::optional<qint64> first = number(from);
    const std::optional<qint64> last = to.isEmpty() ? first : number(to);
    if (!first || !last || *last < *first)
        return {};
    if (*first >= size)
        return {RangeChoice::Answer::Unsatisfiable};
    return {RangeChoice::Answer::Part, *first, to.isEmpty() ? size - 1 : std::min(*last, size - 1)};
}

QByteArray listingPage(const QString &folderName, const QList<ListedFile> &files)
{
    QString html = u"<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Firmware: "_s +
                   folderName.toHtmlEscaped() + u"</title></head><body>\n<h1>Firmware: "_s +
                   folderName.toHtmlEscaped() +
                   u"</h1>\n<table>\n<tr><th>File</th><th>Size (bytes)</th><th>SHA-256</th></tr>\n"_s;
    for (const ListedFile &file : files) {
        const QString link = QString::fromLatin1(QUrl::toPercentEncoding(file.name));
        html += u"<tr><td><a href=\"/"_s + link + u"\">"_s + file.name.toHtmlEscaped() + u"</a></td><td>"_s +
                QString::number(file.size) + u"</td><td><code>"_s + QString::fromLatin1(file.sha256.toHex()) +
                u"</code></td></tr>\n"_s;
    }
    if (files.isEmpty())
        html += u"<tr><td colspan=\"3\">No files</td></tr>\n"_s;
    html += u"</table>\n</body></html>\n"_s;
    return html.toUtf8();
}

} // namespace r5fw
