#include "r5setup/ui/appage.h"

#include "r5setup/ui/formwidgets.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <array>
#include <utility>

using namespace Qt::StringLiterals;

namespace r5setup {

namespace {

// Entry rows below the headings.
constexpr int kGridRows = 4;

template <std::size_t N>
void layOutGrid(QTableWidget *grid, const std::array<std::pair<QStringView, int>, N> &columns)
{
    grid->setColumnCount(int(N));
    grid->setRowCount(kGridRows);
    for (std::size_t c = 0; c < N; ++c) {
        auto *item = grid->horizontalHeaderItem(int(c));
        if (!item) {
            item = new QTableWidgetItem;
            grid->setHorizontalHeaderItem(int(c), item);
        }
        item->setText(columns[c].first.toString());
        grid->setColumnWidth(int(c), columns[c].second);
    }
}

} // namespace

ApPage::ApPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(u"TabSheet2"_s);

    auto *current = form::panel(this, u"Panel_Info_CurrentAP"_s, u" [Access Point 설정]"_s);
    auto *currentBar = static_cast<QGridLayout *>(current->layout());
    currentBar->addWidget(form::button(current, u"Btn_Get_CurrentAP"_s, u"현재 설정 가져오기"_s, u"49"_s), 0,
                          1);
    currentBar->setColumnStretch(0, 1);

    auto *avail = form::panel(this, u"Panel_Info_AvailAP"_s, u" [Available Access Point List]"_s);
    auto *availLayout = static_cast<QGridLayout *>(avail->layout());
    availLayout->addWidget(form::button(avail, u"Btn_Search_AP"_s, u"Searching Available AP"_s, u"48"_s), 0,
                           1);
    auto *initGrid = form::button(avail, u"Btn_InitGrid"_s, u"Grid 초기화"_s);
    initGrid->hide();
    connect(initGrid, &QPushButton::clicked, this, &ApPage::Btn_InitGridClick);
    availLayout->addWidget(initGrid, 0, 2);
    m_grid = new QTableWidget(avail);
    m_grid->setObjectName(u"APList_Grid"_s);
    m_grid->setAccessibleName(u"Available Access Point List"_s);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->hide();
    m_grid->setEnabled(false);
    availLayout->addWidget(m_grid, 1, 0, 1, 3);
    availLayout->setColumnStretch(0, 1);

    auto *rssi = form::panel(this, u"Panel_Info_CurrentAP_RSSI"_s, u" [연결 AP 신호강도]"_s);
    auto *rssiLayout = static_cast<QGridLayout *>(rssi->layout());
    auto *autoCheck = new QCheckBox(u"자동조회"_s, rssi);
    autoCheck->setObjectName(u"CB_RSSI_AutoChk"_s);
    autoCheck->setAccessibleName(u"자동조회"_s);
    rssiLayout->addWidget(autoCheck, 0, 0);
    rssiLayout->addWidget(form::button(rssi, u"Btn_Get_CurrentAP_RSSI"_s, u"신호강도 확인"_s, u"4A"_s), 0, 2);
    rssiLayout->setColumnStretch(1, 1);

    auto *layout = new QGridLayout(this);
    layout->addWidget(current, 0, 0);
    layout->addWidget(rssi, 0, 1);
    layout->addWidget(avail, 1, 0, 1, 2);
    layout->setRowStretch(1, 1);

    prepareGrid();
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

} // namespace r5setup
