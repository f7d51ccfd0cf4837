#include "r5/inidocument.h"

#include <algorithm>

namespace r5 {

namespace {

constexpr QByteArrayView kBom("\xEF\xBB\xBF");

bool sameName(QByteArrayView a, QByteArrayView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isBlank(const QByteArray &raw)
{
    return raw.trimmed().isEmpty();
}

// "[name]" with anything after the bracket; the name between the brackets, trimmed.
std::optional<QByteArray> sectionName(const QByteArray &trimmed)
{
    if (!trimmed.startsWith('['))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(']');
    if (close < 0)
        return std::nullopt;
    return trimmed.mid(1, close - 1).trimmed();
}

QByteArray keyOf(const QByteArray &trimmed)
{
    if (trimmed.startsWith(';') || trimmed.startsWith('#'))
        return {};
    const qsizetype eq = trimmed.indexOf('=');
    if (eq <= 0)
        return {};
    return trimmed.left(eq).trimmed();
}

QByteArray valueOf(const QByteArray &raw)
{
    return raw.mid(raw.indexOf('=') + 1).trimmed();
}

QByteArray entryLine(const QByteArray &key, const QString &value)
{
    QString clean = value;
    clean.replace(u'\r', u' ').replace(u'\n', u' ');
    return key + '=' + clean.toLocal8Bit();
}

} // namespace

IniDocument IniDocument::parse(QByteArrayView bytes)
{
    IniDocument doc;
    if (bytes.startsWith(kBom)) {
        doc.m_bom = true;
        bytes = bytes.sliced(kBom.size());
    }
    QList<Line> *target = &doc.m_preamble;
    qsizetype pos = 0;
    bool eolKnown = false;
    while (pos < bytes.size()) {
        // A line ends at CR LF, LF or a lone CR (old Mac editors): all three are read alike.
        qsizetype end = pos;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        qsizetype next = end;
        if (end < bytes.size()) {
            next = end + ((bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ? 2 : 1);
            if (!eolKnown) {
                // The file's own line ends are the ones it is written back with.
                doc.m_eol = bytes.sliced(end, next - end).toByteArray();
                eolKnown = true;
            }
        }
        QByteArray raw = bytes.sliced(pos, end - pos).toByteArray();
        pos = next;

        const QByteArray trimmed = raw.trimmed();
        if (const auto name = sectionName(trimmed)) {
            doc.m_sections.append(Section{raw, *name, {}});
            target = &doc.m_sections.last().lines;
            continue;
        }
        target->append(Line{raw, keyOf(trimmed)});
    }
    return doc;
}

QByteArray IniDocument::serialize() const
{
    QByteArray out;
    if (m_bom)
        out += kBom;
    for (const Line &line : m_preamble)
        out += line.raw + m_eol;
    bool first = true;
    for (const Section &section : m_sections) {
        // Exactly one blank line between sections, wherever keys were added or moved.
        if (!first)
            out += m_eol;
        first = false;
        out += section.header + m_eol;
        qsizetype end = section.lines.size();
        while (end > 0 && isBlank(section.lines[end - 1].raw))
            --end;
        for (qsizetype i = 0; i < end; ++i)
            out += section.lines[i].raw + m_eol;
    }
    return out;
}

const IniDocument::Line *IniDocument::findLine(QAnyStringView section, QAnyStringView key) const
{
    const QByteArray s = section.toString().toLatin1();
    const QByteArray k = key.toString().toLatin1();
    for (const Section &sec : m_sections) {
        if (!sameName(sec.name, s))
            continue;
        for (const Line &line : sec.lines) {
            if (!line.key.isEmpty() && sameName(line.key, k))
                return &line;
        }
    }
    return nullptr;
}

std::optional<QString> IniDocument::value(QAnyStringView section, QAnyStringView key) const
{
    if (const Line *line = findLine(section, key))
        return QString::fromLocal8Bit(valueOf(line->raw));
    return std::nullopt;
}

QList<std::pair<QString, QString>> IniDocument::keys() const
{
    QList<std::pair<QString, QString>> out;
    for (const Line &line : m_preamble) {
        if (!line.key.isEmpty())
            out.append({QString(), QString::fromLocal8Bit(line.key)});
    }
    for (const Section &sec : m_sections) {
        for (const Line &line : sec.lines) {
            if (!line.key.isEmpty())
                out.append({QString::fromLocal8Bit(sec.name), QString::fromLocal8Bit(line.key)});
        }
    }
    return out;
}

void IniDocument::setValue(QAnyStringView section, QAnyStringView key, const QString &value)
{
    const QByteArray s = section.toString().toLatin1();
    const QByteArray k = key.toString().toLatin1();
    Line entry{entryLine(k, value), k};
    Section *first = nullptr;
    for (Section &sec : m_sections) {
        if (!sameName(sec.name, s))
            continue;
        if (!first)
            first = &sec;
        for (Line &line : sec.lines) {
            if (!line.key.isEmpty() && sameName(line.key, k)) {
                line = entry;
                return;
            }
        }
    }
    if (!first) {
        m_sections.append(Section{'[' + s + ']', s, {}});
        first = &m_sections.last();
    }
    // After the last non-blank line, so the blank line before the next section stays last.
    qsizetype at = first->lines.size();
    while (at > 0 && isBlank(first->lines[at - 1].raw))
        --at;
    first->lines.insert(at, entry);
}

void IniDocument::arrange(const QList<SectionOrder> &order)
{
    QList<Section> arranged;
    for (const auto &[name, keys] : order) {
        const QByteArray s = name.toLatin1();
        const auto found = std::find_if(m_sections.begin(), m_sections.end(),
                                        [&](const Section &sec) { return sameName(sec.name, s); });
        if (found == m_sections.end())
            continue;
        Section section = std::move(*found);
        m_sections.erase(found);

        // The first line of each named key, in the order given; then every other line as it
        // stood, repeated keys included (only the first of a key is read, but the rest are the
        // file's, not ours to drop).
        QList<Line> known;
        QList<Line> others = std::move(section.lines);
        for (const QString &key : keys) {
            const QByteArray k = key.toLatin1();
            const auto line = std::find_if(others.begin(), others.end(), [&](const Line &l) {
                return !l.key.isEmpty() && sameName(l.key, k);
            });
            if (line == others.end())
                continue;
            known.append(std::move(*line));
            others.erase(line);
        }
        // Blank lines that closed the section would land between keys.
        while (!others.isEmpty() && isBlank(others.last().raw))
            others.removeLast();
        section.lines = known + others;
        arranged.append(std::move(section));
    }
    m_sections = arranged + m_sections;
}

} // namespace r5
