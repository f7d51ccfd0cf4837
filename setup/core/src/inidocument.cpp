#include "r5setup/inidocument.h"

namespace r5setup {

namespace {

constexpr QByteArrayView kBom("\xEF\xBB\xBF");
constexpr QByteArrayView kEol("\r\n");

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
    while (pos < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', pos);
        const qsizetype next = end < 0 ? bytes.size() : end + 1;
        if (end < 0)
            end = bytes.size();
        QByteArray raw = bytes.sliced(pos, end - pos).toByteArray();
        if (raw.endsWith('\r'))
            raw.chop(1);
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
        out += line.raw + kEol;
    bool first = true;
    for (const Section &section : m_sections) {
        // Exactly one blank line between sections, wherever keys were added or moved.
        if (!first)
            out += kEol;
        first = false;
        out += section.header + kEol;
        qsizetype end = section.lines.size();
        while (end > 0 && isBlank(section.lines[end - 1].raw))
            --end;
        for (qsizetype i = 0; i < end; ++i)
            out += section.lines[i].raw + kEol;
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
        QList<QByteArray> wanted;
        for (const QString &k : keys)
            wanted.append(k.toLatin1());

        Section merged;
        QList<Line> known(wanted.size());
        QList<Line> others;
        bool found = false;
        for (qsizetype i = 0; i < m_sections.size();) {
            Section &sec = m_sections[i];
            if (!sameName(sec.name, s)) {
                ++i;
                continue;
            }
            if (!found) {
                merged.header = sec.header;
                merged.name = sec.name;
                found = true;
            }
            for (Line &line : sec.lines) {
                qsizetype slot = -1;
                for (qsizetype w = 0; w < wanted.size() && !line.key.isEmpty(); ++w) {
                    if (sameName(line.key, wanted[w])) {
                        slot = w;
                        break;
                    }
                }
                if (slot < 0)
                    others.append(std::move(line));
                else if (known[slot].raw.isEmpty())
                    known[slot] = std::move(line);
            }
            m_sections.removeAt(i);
        }
        if (!found)
            continue;
        for (Line &line : known) {
            if (!line.raw.isEmpty())
                merged.lines.append(std::move(line));
        }
        // Blank lines that closed a section would land between keys after merging.
        while (!others.isEmpty() && isBlank(others.last().raw))
            others.removeLast();
        merged.lines += others;
        arranged.append(std::move(merged));
    }
    m_sections = arranged + m_sections;
}

} // namespace r5setup
