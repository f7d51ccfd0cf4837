#include "sim/activitymodel.h"

namespace r5::sim {

ActivityModel::ActivityModel(QObject *parent) : QAbstractListModel(parent)
{
    m_batch.setSingleShot(true);
    m_batch.setInterval(kBatchMs);
    connect(&m_batch, &QTimer::timeout, this, &ActivityModel::flush);
}

int ActivityModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_viewEnd - m_viewFirst);
}

QVariant ActivityModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    return m_ring.row(m_viewFirst + index.row());
}

void ActivityModel::addText(const QString &line)
{
    m_ring.addText(line);
    schedule();
}

void ActivityModel::addData(const QString &header, const QByteArray &data, DataFormat format)
{
    m_ring.addData(header, data, format);
    schedule();
}

void ActivityModel::schedule()
{
    if (!m_batch.isActive())
        m_batch.start();
}

void ActivityModel::clear()
{
    m_batch.stop();
    beginResetModel();
    m_ring.clear();
    m_viewFirst = m_viewEnd = m_ring.end();
    endResetModel();
}

void ActivityModel::flush()
{
    m_batch.stop();
    const qint64 first = m_ring.first();
    const qint64 end = m_ring.end();
    if (first == m_viewFirst && end == m_viewEnd)
        return;
    if (first >= m_viewEnd) {
        // Everything shown has fallen out: one reset is cheaper than a removal and an insertion.
        beginResetModel();
        m_viewFirst = first;
        m_viewEnd = end;
        endResetModel();
    } else {
        if (first > m_viewFirst) {
            beginRemoveRows({}, 0, int(first - m_viewFirst) - 1);
            m_viewFirst = first;
            endRemoveRows();
        }
        if (end > m_viewEnd) {
            beginInsertRows({}, rowCount(), rowCount() + int(end - m_viewEnd) - 1);
            m_viewEnd = end;
            endInsertRows();
        }
    }
    m_ring.pin(m_viewFirst);
    Q_EMIT rowsShown();
}

QStringList ActivityModel::allRows() const
{
    QStringList out;
    out.reserve(m_ring.size());
    for (qint64 n = m_ring.first(); n < m_ring.end(); ++n)
        out.append(m_ring.row(n));
    return out;
}

} // namespace r5::sim
