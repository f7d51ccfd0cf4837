#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QSortFilterProxyModel>

namespace r5 {
class Clock;
}
namespace r5site {
class SiteCheck;
}

namespace disim {

// The Site window's table: one row per device of the check, in list order, read from the check
// whenever the view asks (the check holds the states; the model keeps no copy of them). A row is
// announced as changed only when the check says its device changed, and the ages of the rows on
// screen when the window's one timer says they moved on, so 500 devices cost the view the rows
// that changed, not the whole table.
class SiteTableModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column {
        Label,
        Mac,
        Address,
        State,
        LastReport,
        Ping,
        Inputs,
        Outputs,
        Counters,
        Counting,
        Columns
    };
    // What the sort compares (numbers where the text would sort wrongly), and what an exported
    // cell holds (the time of the last report rather than its age; empty where nothing is known).
    static constexpr int SortRole = Qt::UserRole + 1;
    static constexpr int ExportRole = Qt::UserRole + 2;
    static constexpr int StateRole = Qt::UserRole + 3;

    SiteTableModel(const r5site::SiteCheck &check, const r5::Clock &clock, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The devices of `rows` (sorted, each once, as the check gives them) changed.
    void devicesChanged(const QList<int> &rows);
    // Time moved on for the last-report ages of `rows`.
    void agesMoved(QList<int> rows);

private:
    void changedRuns(const QList<int> &rows, int firstColumn, int lastColumn);

    const r5site::SiteCheck &m_check;
    const r5::Clock &m_clock;
};

// The table as shown: sorted by the column the user picked (list order until then) and, with
// "Not online only", without the devices that are online.
class SiteFilterModel final : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit SiteFilterModel(QObject *parent = nullptr);
    void setNotOnlineOnly(bool on);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    bool m_notOnlineOnly = false;
};

} // namespace disim
