#include "sim/linering.h"

#include "sim/display.h"

#include <algorithm>

namespace r5::sim {

LineRing::LineRing(qsizetype capacity) : m_capacity(std::max<qsizetype>(1, capacity)) {}

void LineRing::addText(const QString &line)
{
    Entry e;
    e.text = line;
    add(std::move(e));
}

void LineRing::addData(const QString &header, const QByteArray &data, DataFormat format)
{
    Entry e;
    e.rows = listRowCount(data.size(), format);
    e.text = header;
    e.data = data;
    e.format = format;
    e.isData = true;
    add(std::move(e));
}

void LineRing::add(Entry entry)
{
    entry.start = m_end;
    m_end += entry.rows;
    m_first = std::max(m_first, m_end - m_capacity);
    m_entries.push_back(std::move(entry));
    trim();
}

void LineRing::clear()
{
    m_entries.clear();
    m_first = m_end;
    m_pin = m_end;
}

void LineRing::pin(qint64 number)
{
    m_pin = number;
    trim();
}

void LineRing::trim()
{
    const qint64 keepFrom = std::min(m_first, m_pin);
    while (!m_entries.empty() && m_entries.front().start + m_entries.front().rows <= keepFrom)
        m_entries.pop_front();
}

QString LineRing::row(qint64 number) const
{
    if (number >= m_end || m_entries.empty() || number < m_entries.front().start)
        return {};
    if (number < std::min(m_first, m_pin))
        return {};
    auto it = std::upper_bound(m_entries.begin(), m_entries.end(), number,
                               [](qint64 n, const Entry &e) { return n < e.start; });
    const Entry &e = *std::prev(it);
    if (!e.isData)
        return e.text;
    return listRow(e.text, e.data, e.format, number - e.start);
}

} // namespace r5::sim
