#include "r5setup/ui/appage.h"

#include "r5device/protocol/decoders.h"
#include "r5setup/ui/formwidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <array>
#include <utility>

using namespace Qt::StringLiterals;

namespace r5setup {

namespace {

// Entry rows below the headings (more when the device reports more).
constexpr int kGridRows = 4;
constexpr int kSsidColumn = 1;
// Where an SSID cell keeps the bytes behind its text.
constexpr int kSsidBytesRole = Qt::UserRole;
// The automatic signal query's interval until another is chosen.
constexpr int kAutoQueryStartMs = 3000;

const QString kNotQueried = u"Not Queried"_s;

QGridLayout *panelGrid(QGroupBox *panel)
{
    return static_cast<QGridLayout *>(panel->layout());
}

// Redraws the data cells with the alignment of their column.
class ApGridDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->displayAlignment = ApPage::dataAlignment(index.column());
    }
};

template <std::size_t N>
void layOutGrid(QTableWidget *grid, const std::array<std::pair<QStringView, int>, N> &columns)
{
    grid->setColumnCount(int(N));
    // Rows of an earlier, longer list stay until a new list overwrites them.
    grid->setRowCount(std::max(kGridRows, grid->rowCount()));
    for (std::size_t c = 0; c < N; ++c) {
        auto *item = grid->horizontalHeaderItem(int(c));
        if (!item) {
            item = new QTableWidgetItem;
            grid->setHorizontalHeaderItem(int(c), item);
        }
        item->setText(columns[c].first.toString());
        QFont bold = grid->horizontalHeader()->font();
        bold.setBold(true);
        item->setFont(bold);
        item->setTextAlignment(Qt::AlignCenter);
        grid->setColumnWidth(int(c), columns[c].second);
    }
}

} // namespace

ApPage::ApPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(u"TabSheet2"_s);

    auto *current = form::panel(this, u"Panel_Info_CurrentAP"_s, u" [Access Point 설정]"_s);
    m_currentPanel = current;
    auto *currentGrid = panelGrid(current);
    m_currentAp = form::button(current, u"Btn_Get_CurrentAP"_s, u"현재 설정 가져오기"_s, u"49"_s);
    // Title bar: column 0 is left for the manual entry box, the last column for its save button.
    currentGrid->addWidget(m_currentAp, 0, 2);
    m_manual = new QCheckBox(u"수동 설정"_s, current);
    m_manual->setObjectName(u"CB_Manual_set_AP"_s);
    m_manual->setAccessibleName(u"수동 설정"_s);
    currentGrid->addWidget(m_manual, 0, 0, 1, 2);
    m_setAp = form::button(current, u"Btn_Set_CurrentAP"_s, u"수동 설정 저장하기"_s);
    m_setAp->setEnabled(false);
    currentGrid->addWidget(m_setAp, 0, 3);
    m_ssid = form::edit(current, u"Edit_Current_SSID"_s, kNotQueried, 32, u"SSID"_s);
    m_password = form::edit(current, u"Edit_Current_Pw"_s, kNotQueried, 16, u"PASSWORD"_s);
    // Display only until manual entry is switched on.
    m_ssid->setEnabled(false);
    m_password->setEnabled(false);
    currentGrid->addWidget(form::label(current, u"SSID"_s), 1, 0);
    currentGrid->addWidget(m_ssid, 1, 1, 1, 3);
    currentGrid->addWidget(form::label(current, u"PASSWORD"_s), 2, 0);
    currentGrid->addWidget(m_password, 2, 1, 1, 3);
    currentGrid->setColumnStretch(1, 1);

    auto *avail = form::panel(this, u"Panel_Info_AvailAP"_s, u" [Available Access Point List]"_s);
    m_availPanel = avail;
    auto *availLayout = panelGrid(avail);
    m_search = form::button(avail, u"Btn_Search_AP"_s, u"Searching Available AP"_s, u"48"_s);
    availLayout->addWidget(m_search, 0, 1);
    auto *initGrid = form::button(avail, u"Btn_InitGrid"_s, u"Grid 초기화"_s);
    initGrid->hide();
    connect(initGrid, &QPushButton::clicked, this, &ApPage::Btn_InitGridClick);
    availLayout->addWidget(initGrid, 0, 2);
    m_grid = new QTableWidget(avail);
    m_grid->setObjectName(u"APList_Grid"_s);
    m_grid->setAccessibleName(u"Available Access Point List"_s);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->setItemDelegate(new ApGridDelegate(m_grid));
    m_grid->setEnabled(false);
    availLayout->addWidget(m_grid, 1, 0, 1, 3);
    availLayout->setColumnStretch(0, 1);

    auto *rssi = form::panel(this, u"Panel_Info_CurrentAP_RSSI"_s, u" [연결 AP 신호강도]"_s);
    auto *rssiLayout = panelGrid(rssi);
    m_autoCheck = new QCheckBox(u"자동조회"_s, rssi);
    m_autoCheck->setObjectName(u"CB_RSSI_AutoChk"_s);
    m_autoCheck->setAccessibleName(u"자동조회"_s);
    m_autoCheck->setEnabled(false);
    m_interval = form::combo(rssi, u"CB_Chk_RSSI_Interval"_s, {u"3"_s, u"4"_s, u"5"_s}, u"3"_s, false,
                             u"자동조회 간격 (초)"_s);
    m_rssiButton = form::button(rssi, u"Btn_Get_CurrentAP_RSSI"_s, u"신호강도 확인"_s, u"4A"_s);
    auto *bar = new QHBoxLayout;
    bar->addWidget(m_autoCheck);
    bar->addWidget(m_interval);
    bar->addWidget(form::label(rssi, u"초"_s));
    bar->addStretch();
    bar->addWidget(m_rssiButton);
    rssiLayout->addLayout(bar, 0, 0, 1, 4);

    m_rssi = form::edit(rssi, u"Edit_Current_RSSI"_s, u"0"_s, 0, u"RSSI"_s);
    m_rssi->setEnabled(false);
    rssiLayout->addWidget(form::label(rssi, u"RSSI    :"_s), 1, 0);
    rssiLayout->addWidget(m_rssi, 1, 1);
    rssiLayout->addWidget(form::label(rssi, u"dBm"_s), 1, 2);

    m_qualityPanel = form::display(rssi, u"Panel_Quality"_s, u"100%"_s, u"Quality"_s);
    m_signal = new QProgressBar(rssi);
    m_signal->setObjectName(u"PB_SignalQuality"_s);
    m_signal->setAccessibleName(u"Signal Quality"_s);
    m_signal->setRange(0, 100);
    m_signal->setValue(0);
    m_signal->setTextVisible(false);
    // Written by the signal decoder with the quality as a number, or "Disconnected".
    m_quality = form::edit(rssi, u"Edit_Quality"_s, u"100"_s, 0, u"Quality"_s);
    m_quality->hide();
    rssiLayout->addWidget(form::label(rssi, u"Quality :"_s), 2, 0);
    rssiLayout->addWidget(m_qualityPanel, 2, 1);
    rssiLayout->addWidget(m_signal, 2, 2, 1, 2);
    rssiLayout->setColumnStretch(3, 1);

    m_timer = new QTimer(this);
    m_timer->setObjectName(u"Timer_AutoQryRSSI"_s);
    m_timer->setInterval(kAutoQueryStartMs);

    auto *layout = new QGridLayout(this);
    layout->addWidget(current, 0, 0);
    layout->addWidget(rssi, 0, 1);
    layout->addWidget(avail, 1, 0, 1, 2);
    layout->setRowStretch(1, 1);

    prepareGrid();
}

QList<QWidget *> ApPage::connectedControls() const
{
    return {m_currentPanel, m_availPanel, m_search, m_currentAp, m_rssiButton, m_autoCheck};
}

QString ApPage::caption()
{
    return u"    [AP 설정]    "_s;
}

void ApPage::prepareGrid()
{
    static constexpr std::array<std::pair<QStringView, int>, 5> kStart{
        {{u"순번", 60}, {u"SSID", 250}, {u"Channel", 80}, {u"RSSI", 60}, {u"AuthMode", 200}}};
    layOutGrid(m_grid, kStart);
}

void ApPage::Btn_InitGridClick()
{
    static constexpr std::array<std::pair<QStringView, int>, 6> kList{
        {{u"순번", 60}, {u"SSID", 290}, {u"CH", 60}, {u"RSSI", 65}, {u"Quality", 70}, {u"Auth Mode", 220}}};
    layOutGrid(m_grid, kList);
}

Qt::Alignment ApPage::dataAlignment(int column)
{
    switch (column) {
    case 0:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case 2:
    case 3:
    case 4:
        return Qt::AlignRight | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

void ApPage::setCell(int row, int column, const QString &text)
{
    if (auto *item = m_grid->item(row, column))
        item->setText(text);
    else
        m_grid->setItem(row, column, new QTableWidgetItem(text));
}

void ApPage::showApList(const r5::protocol::ApList &list)
{
    // Every access point the device reports gets a row: one left out could be the one wanted.
    const int rows = int(list.entries.size());
    if (rows > m_grid->rowCount())
        m_grid->setRowCount(rows);
    for (int row = 0; row < rows; ++row) {
        const QStringList cells = list.entries[row].cells();
        for (int column = 0; column < cells.size() && column < m_grid->columnCount(); ++column)
            setCell(row, column, cells[column]);
        m_grid->item(row, kSsidColumn)->setData(kSsidBytesRole, list.entries[row].ssidBytes);
    }
}

std::optional<QByteArray> ApPage::listedSsidBytes(const QString &ssid) const
{
    for (int row = 0; row < m_grid->rowCount(); ++row) {
        const QTableWidgetItem *cell = m_grid->item(row, kSsidColumn);
        const QVariant bytes = cell ? cell->data(kSsidBytesRole) : QVariant();
        if (bytes.isValid() && cell->text() == ssid)
            return bytes.toByteArray();
    }
    return std::nullopt;
}

void ApPage::enableGrid()
{
    m_grid->setEnabled(true);
}

void ApPage::showCurrentAp(const r5::protocol::CurrentAp &ap)
{
    form::showText(m_ssid, ap.ssid);
    form::showText(m_password, ap.password);
}

void ApPage::showRssi(const r5::protocol::RssiReading &reading)
{
    using Signal = r5::protocol::RssiReading::Signal;
    form::showText(m_ssid, reading.ssid);
    form::showText(m_rssi, reading.rssiText);
    switch (reading.signal) {
    case Signal::Disconnected:
        form::showText(m_quality, u"Disconnected"_s);
        break;
    case Signal::Quality:
        form::showText(m_quality, QString::number(reading.quality));
        form::showText(m_qualityPanel, QString::number(reading.quality) + u'%');
        m_signal->setValue(reading.quality);
        break;
    case Signal::Unreadable:
        break;
    }
}

} // namespace r5setup
