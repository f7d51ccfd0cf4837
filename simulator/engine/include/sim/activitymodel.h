#pragma once

#include "sim/linering.h"

#include <QAbstractListModel>
#include <QTimer>

namespace r5::sim {

// The activity list `List1` as a model: the last 2001 rows of a LineRing. Rows reach the view
// in batches (at most one per kBatchMs), so a flood of arrivals costs the view a few updates a
// second, not one per line; rows that fall out before they were shown never reach it.
class ActivityModel : public QAbstractListModel
{
    Q_OBJECT
public:
    static constexpr int kBatchMs = 40;

    explicit ActivityModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    void addText(const QString &line);
    void addData(const QString &header, const QByteArray &data, DataFormat format);
    void clear();

    // Shows what is waiting now (tests and the end of a batch).
    void flush();

    // Every row the list holds, rows waiting for the next batch included.
    QStringList allRows() const;

Q_SIGNALS:
    // After a batch added rows: the view scrolls to the last one.
    void rowsShown();

private:
    void schedule();

    LineRing m_ring;
    QTimer m_batch;
    qint64 m_viewFirst = 0;
    qint64 m_viewEnd = 0;
};

} // namespace r5::sim
