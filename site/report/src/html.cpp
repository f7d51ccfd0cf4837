#include "r5site/report/output.h"

using namespace Qt::StringLiterals;

namespace r5site::report {

namespace {

// A text inside a CSS string: quotes and backslashes escaped, and no "<" that could end the
// style element early.
QString cssString(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\')
            out += u'\\' + QString(c);
        else if (c == u'<' || c == u'\n' || c == u'\r')
            out += u"\\%1 "_s.arg(uint(c.unicode()), 0, 16);
        else
            out += c;
    }
    return u'"' + out + u'"';
}

QString esc(const QString &text)
{
    return text.toHtmlEscaped();
}

const char *const kStyle = R"(
body { font-family: %1, sans-serif; font-size: 9pt; color: #111; margin: 12mm; }
@media print { body { margin: 0; } * { -webkit-print-color-adjust: exact; print-color-adjust: exact; } }
h1 { font-size: 22pt; margin: 0 0 6mm; }
h2 { font-size: 13pt; margin: 0 0 3mm; }
.cover { break-after: page; page-break-after: always; }
table.facts td { padding: 1.5mm 6mm 1.5mm 0; font-size: 11pt; }
table.facts td:first-child { font-weight: bold; }
.counts { display: flex; flex-wrap: wrap; gap: 3mm; margin: 8mm 0 4mm; }
.count { border: 1px solid #999; padding: 2mm 3mm; min-width: 28mm; }
.count b { display: block; font-size: 20pt; }
.count.warn { border-color: #b3261e; color: #b3261e; background: #fdecea; }
.count small { display: block; }
table.devices { border-collapse: collapse; width: 100%; font-size: 7.5pt; }
table.devices th { background: #e6e6e6; text-align: left; padding: 1mm 1.5mm; border-bottom: 1px solid #777; }
table.devices td { padding: 0.8mm 1.5mm; border-bottom: 1px solid #ddd; vertical-align: top; white-space: nowrap; }
table.devices td.w { white-space: normal; }
table.devices td.mac { font-family: "DejaVu Sans Mono", monospace; }
thead { display: table-header-group; }
tr { break-inside: avoid; page-break-inside: avoid; }
tr.attention { background: #fdecea; }
tr.attention td:first-child { color: #b3261e; font-weight: bold; }
.needs { margin-top: 8mm; }
.legend { color: #555; font-size: 8pt; margin: 0 0 2mm; }
.needs li { break-inside: avoid; margin: 1mm 0; }
.signatures { break-inside: avoid; page-break-inside: avoid; margin-top: 10mm; }
.signers { display: flex; gap: 10mm; }
.signer { flex: 1; border: 1px solid #777; padding: 4mm; }
.signer h3 { margin: 0 0 3mm; font-size: 11pt; }
.field { display: flex; align-items: flex-end; height: 11mm; }
.field span { width: 28mm; }
.field div { flex: 1; border-bottom: 1px solid #444; padding-bottom: 1mm; }
@page { size: A4 landscape; margin: 12mm 12mm 16mm;
  @bottom-center { content: %2; font-size: 8pt; color: #555; } }
)";

} // namespace

QByteArray html(const Sheet &s)
{
    const QString fonts =
        s.language == u"ko"_s ? u"\"NanumGothic\", \"DejaVu Sans\""_s : u"\"DejaVu Sans\", \"NanumGothic\""_s;
    // The page counter of the printed page; browsers without margin boxes leave it out.
    const QStringList footerParts = s.footerFormat.split(u"%1"_s);
    QString footer = cssString(footerParts.value(0));
    if (footerParts.size() > 1) {
        const QStringList rest = footerParts.at(1).split(u"%2"_s);
        footer += u" counter(page) "_s + cssString(rest.value(0));
        if (rest.size() > 1)
            footer += u" counter(pages) "_s + cssString(rest.at(1));
    }

    QString h;
    h.reserve(512 + s.rows.size() * 400);
    h += u"<!DOCTYPE html>\n<html lang=\""_s + s.language + u"\">\n<head>\n<meta charset=\"utf-8\">\n"_s;
    h += u"<title>"_s + esc(s.pdfTitle) + u"</title>\n<style>"_s;
    h += QString::fromUtf8(kStyle).arg(fonts, footer);
    h += u"</style>\n</head>\n<body>\n<section class=\"cover\">\n<h1>"_s + esc(s.title) + u"</h1>\n"_s;
    h += u"<table class=\"facts\">\n"_s;
    for (const auto &[word, value] : s.facts)
        h += u"<tr><td>"_s + esc(word) + u"</td><td>"_s + esc(value) + u"</td></tr>\n"_s;
    h += u"</table>\n<div class=\"counts\">\n"_s;
    for (const Sheet::Count &c : s.counts) {
        h += c.warn ? u"<div class=\"count warn\">"_s : u"<div class=\"count\">"_s;
        h += u"<b>"_s + esc(c.number) + u"</b>"_s + esc(c.word);
        if (!c.detail.isEmpty())
            h += u"<small>"_s + esc(c.detail) + u"</small>"_s;
        h += u"</div>\n"_s;
    }
    h += u"</div>\n"_s;
    h += u"<div class=\"needs\">\n<h2>"_s + esc(s.attentionTitle) + u"</h2>\n"_s;
    if (s.attention.isEmpty()) {
        h += u"<p>"_s + esc(s.attentionNone) + u"</p>\n"_s;
    } else {
        h += u"<ul>\n"_s;
        for (const QString &line : s.attention)
            h += u"<li>"_s + esc(line) + u"</li>\n"_s;
        h += u"</ul>\n"_s;
    }
    h += u"</div>\n</section>\n"_s;

    h += u"<section>\n<h2>"_s + esc(s.tableTitle) + u"</h2>\n<p class=\"legend\">"_s + esc(s.legend) +
         u"</p>\n<table class=\"devices\">\n<thead><tr>"_s;
    for (const QString &c : s.columns)
        h += u"<th>"_s + esc(c) + u"</th>"_s;
    h += u"</tr></thead>\n<tbody>\n"_s;
    for (const Sheet::Row &row : s.rows) {
        h += row.attention ? u"<tr class=\"attention\">"_s : u"<tr>"_s;
        for (qsizetype i = 0; i < row.cells.size(); ++i) {
            const QString kind = s.freeText.contains(int(i)) ? u" class=\"w\""_s
                                 : i == s.macColumn          ? u" class=\"mac\""_s
                                                             : QString();
            h += u"<td"_s + kind + u'>' + esc(row.cells.at(i)) + u"</td>"_s;
        }
        h += u"</tr>\n"_s;
    }
    h += u"</tbody>\n</table>\n</section>\n"_s;

    h += u"<section class=\"signatures\">\n<h2>"_s + esc(s.signTitle) + u"</h2>\n<div class=\"signers\">\n"_s;
    for (qsizetype i = 0; i < s.signers.size(); ++i) {
        h += u"<div class=\"signer\"><h3>"_s + esc(s.signers.at(i)) + u"</h3>\n"_s;
        for (qsizetype f = 0; f < s.signFields.size(); ++f) {
            const QString filled = i == 0 && f == 0 ? s.installerName : QString();
            h += u"<div class=\"field\"><span>"_s + esc(s.signFields.at(f)) + u"</span><div>"_s +
                 esc(filled) + u"</div></div>\n"_s;
        }
        h += u"</div>\n"_s;
    }
    h += u"</div>\n</section>\n</body>\n</html>\n"_s;
    return h.toUtf8();
}

} // namespace r5site::report
