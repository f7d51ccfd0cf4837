#pragma once

#include "sim/textbytes.h"

#include <QByteArray>
#include <QString>
#include <deque>

namespace r5::sim {

// The rows of the activity list: at most `capacity` of the newest, older ones fall out. A data
// line is kept as its header and bytes, one entry for all its rows, and a row's text is made only
// when asked for, so a megabyte arrival costs as much as a status line and only rows that are
// shown are ever rendered.
//
// Rows are numbered from the first ever added; rows [first(), end()) are the list. A reader that
// still shows older rows pins them so that they stay readable until it catches up.
class LineRing
{
public:
    static constexpr qsizetype kListCapacity = 2001;

    explicit LineRing(qsizetype capacity = kListCapacity);

    void addText(const QString &line);
    void addData(const QString &header, const QByteArray &data, DataFormat format);
    void clear();

    qint64 first() const { return m_first; }
    qint64 end() const { return m_end; }
    qsizetype size() const { return qsizetype(m_end - m_first); }
    qsizetype capacity() const { return m_capacity; }

    // Text of row `number`, for first() <= number < end() or a pinned row; empty otherwise.
    QString row(qint64 number) const;

    // Keeps rows from `number` on readable even when they are past the capacity.
    void pin(qint64 number);

private:
    struct Entry
    {
        qint64 start = 0;
        qint64 rows = 1;
        QString text; // the whole status line, or the header of a data line
        QByteArray data;
        DataFormat format = DataFormat::Ascii;
        bool isData = false;
    };

    void add(Entry entry);
    void trim();

    std::deque<Entry> m_entries;
    qsizetype m_capacity;
    qint64 m_first = 0;
    qint64 m_end = 0;
    qint64 m_pin = 0;
};

} // namespace r5::sim
