#include "ui/sitemodel.h"

#include "core/sitetext.h"
#include "r5/clock.h"
#include "r5site/sitecheck.h"

#include <QColor>
#include <QFont>
#include <QHostAddress>
#include <limits>

using namespace Qt::StringLiterals;

namespace disim {

namespace {
const QString kNone = u"-"_s;

QString counterText(const r5site::DeviceStatus &s)
{
    if (!s.last)
        return {};
    QStringList parts;
    for (const std::uint32_t c : s.last->counters)
        parts << QString::number(c);
    return parts.join(u' ');
}

// Problems first when the state column is sorted ascending.
int stateRank(r5site::SiteState state)
{
    switch (state) {
    case r5site::SiteState::Offline:
        return 0;
    case r5site::SiteState::NotReached:
        return 1;
    case r5site::SiteState::Checking:
        return 2;
    case r5site::SiteState::Online:
        break;
    }
    return 3;
}

// Addresses in numeric order (127.0.2.9 before 127.0.2.10), host names after them.
QString addressKey(const r5site::SiteEntry &e)
{
    bool ok = false;
    const quint32 v4 = QHostAddress(e.address).toIPv4Address(&ok);
    const QString port = QString::number(e.port).rightJustified(5, u'0');
    if (ok)
        return QString::number(v4).rightJustified(10, u'0') + u':' + port;
    return u"~"_s + e.address + u':' + port;
}

QString orNone(const QString &text)
{
    return text.isEmpty() ? kNone : text;
}
} // namespace

SiteTableModel::SiteTableModel(const r5site::SiteCheck &check, const r5::Clock &clock, QObject *parent)
    : QAbstractTableModel(parent), m_check(check), m_clock(clock)
{}

int SiteTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_check.size();
}

int SiteTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Columns;
}

QVariant SiteTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const std::array<QString, Columns> names{
        u"Label"_s, u"MAC"_s,    u"Address"_s, u"State"_s,    u"Last report"_s,
        u"Ping"_s,  u"Inputs"_s, u"Outputs"_s, u"Counters"_s, u"Counting"_s};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= Columns)
        return {};
    return names[std::size_t(section)];
}

QVariant SiteTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_check.size())
        return {};
    const r5site::SiteEntry &e = m_check.entry(index.row());
    const r5site::DeviceStatus &s = m_check.status(index.row());
    const bool down = s.state == r5site::SiteState::Offline || s.state == r5site::SiteState::NotReached;
    switch (role) {
    case StateRole:
        return int(s.state);
    case Qt::BackgroundRole:
        // The state's word is in its column; the colour makes the row stand out in a long list.
        if (s.state == r5site::SiteState::Offline)
            return QColor(0xF4, 0xC7, 0xC3);
        if (s.state == r5site::SiteState::NotReached)
            return QColor(0xFF, 0xE0, 0x9E);
        return {};
    case Qt::ForegroundRole:
        return down ? QVariant(QColor(Qt::black)) : QVariant();
    case Qt::FontRole:
        if (down && index.column() == State) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case Qt::DisplayRole:
    case ExportRole:
        break;
    case SortRole:
        switch (index.column()) {
        case Address:
            return addressKey(e);
        case State:
            return stateRank(s.state);
        case LastReport:
            // Ascending is youngest first; never reported is oldest of all.
            return s.lastReport.isValid() ? -s.lastReport.toMSecsSinceEpoch()
                                          : std::numeric_limits<qint64>::max();
        case Ping:
            return s.pingMs ? *s.pingMs : std::numeric_limits<int>::max();
        case Counters: {
            qint64 sum = -1;
            if (s.last) {
                sum = 0;
                for (const std::uint32_t c : s.last->counters)
                    sum += c;
            }
            return sum;
        }
        case Counting:
            return s.last ? int(s.countersMoved) : -1;
        default:
            return data(index, ExportRole);
        }
    default:
        return {};
    }

    const bool exported = role == ExportRole;
    const auto shown = [exported](const QString &text) { return exported ? text : orNone(text); };
    switch (index.column()) {
    case Label:
        return shown(e.label);
    case Mac:
        return shown(e.mac);
    case Address:
        return QString(e.address + u':' + QString::number(e.port));
    case State:
        return r5site::stateText(s.state);
    case LastReport:
        if (!s.lastReport.isValid())
            return shown({});
        // A file outlives the moment: it gets the time, the screen the age.
        return exported ? s.lastReport.toString(u"yyyy-MM-dd HH:mm:ss"_s)
                        : ageText(s.lastReport.msecsTo(m_clock.localNow()));
    case Ping:
        return shown(s.pingMs ? QString::number(*s.pingMs) + (exported ? QString() : u" ms"_s) : QString());
    case Inputs:
        return shown(s.inputsText());
    case Outputs:
        return shown(s.outputsText());
    case Counters:
        return shown(counterText(s));
    case Counting:
        return shown(s.last ? (s.countersMoved ? u"yes"_s : u"no"_s) : QString());
    default:
        return {};
    }
}

void SiteTableModel::devicesChanged(const QList<int> &rows)
{
    changedRuns(rows, 0, Columns - 1);
}

void SiteTableModel::agesMoved(QList<int> rows)
{
    std::sort(rows.begin(), rows.end());
    changedRuns(rows, LastReport, LastReport);
}

// One signal per run of neighbouring rows: the sorted view re-places a run at once.
void SiteTableModel::changedRuns(const QList<int> &rows, int firstColumn, int lastColumn)
{
    for (qsizetype i = 0; i < rows.size();) {
        qsizetype j = i;
        while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1)
            ++j;
        Q_EMIT dataChanged(index(rows[i], firstColumn), index(rows[j], lastColumn));
        i = j + 1;
    }
}

SiteFilterModel::SiteFilterModel(QObject *parent) : QSortFilterProxyModel(parent)
{
    setSortRole(SiteTableModel::SortRole);
}

void SiteFilterModel::setNotOnlineOnly(bool on)
{
    if (m_notOnlineOnly == on)
        return;
    m_notOnlineOnly = on;
    invalidateRowsFilter();
}

bool SiteFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    if (!m_notOnlineOnly)
        return true;
    const QModelIndex i = sourceModel()->index(sourceRow, SiteTableModel::State, sourceParent);
    return i.data(SiteTableModel::StateRole).toInt() != int(r5site::SiteState::Online);
}

} // namespace disim
