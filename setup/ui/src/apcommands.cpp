#include "apcommands.h"

#include "r5device/protocol/requests.h"
#include "r5device/settingsrules.h"
#include "r5setup/ui/appage.h"
#include "r5setup/ui/deviceview.h"
#include "r5setup/ui/mainwindow.h"
#include "refusalbox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace r5setup {

namespace {
constexpr int kSsidColumn = 1;
}

ApCommands::ApCommands(MainWindow &window) : QObject(&window), m_window(window)
{
    setObjectName(u"ApCommands"_s);
    ApPage &page = window.apPage();
    // Toggled rather than clicked: Disconnect unchecks the automatic query in code, and that
    // must stop its timer too.
    connect(page.manualCheck(), &QCheckBox::toggled, this, &ApCommands::CB_Manual_set_APClick);
    connect(page.grid(), &QTableWidget::cellDoubleClicked, this, &ApCommands::APList_GridDblClick);
    connect(page.setApButton(), &QPushButton::clicked, this, &ApCommands::Btn_Set_CurrentAPClick);
    connect(page.autoQueryCheck(), &QCheckBox::toggled, this, &ApCommands::CB_RSSI_AutoChkClick);
    connect(page.intervalCombo(), &QComboBox::currentIndexChanged, this,
            &ApCommands::CB_Chk_RSSI_IntervalChange);
    connect(page.autoQueryTimer(), &QTimer::timeout, this, &ApCommands::Timer_AutoQryRSSITimer);
}

void ApCommands::CB_Manual_set_APClick()
{
    ApPage &page = m_window.apPage();
    const bool manual = page.manualCheck()->isChecked();
    page.setApButton()->setEnabled(manual);
    page.ssidEdit()->setEnabled(manual);
    page.passwordEdit()->setEnabled(manual);
}

void ApCommands::APList_GridDblClick()
{
    ApPage &page = m_window.apPage();
    if (!page.manualCheck()->isChecked() || page.grid()->currentColumn() != kSsidColumn)
        return;
    const QTableWidgetItem *cell = page.grid()->currentItem();
    page.ssidEdit()->setText(cell ? cell->text() : QString());
    page.passwordEdit()->clear();
    page.passwordEdit()->setFocus(Qt::OtherFocusReason);
}

void ApCommands::Btn_Set_CurrentAPClick()
{
    ApPage &page = m_window.apPage();
    const QString ssid = page.ssidEdit()->text();
    if (const auto refusal = settings::checkSsid(ssid)) {
        showRefusal(m_window.prompter(), &m_window, *refusal, {page.ssidEdit()});
        return;
    }
    if (!m_window.prompter().askYesNo(&m_window, {}, settings::text::apQuestion()))
        return;
    // The request carries the "tmpSSIDName" and "tmpSSIDPW" lines, logged before its frame.
    // A name chosen from the list goes back as the bytes the device reported (UTF-8 from many
    // access points), not re-encoded; a typed one goes in CP949.
    const QString password = page.passwordEdit()->text();
    if (const std::optional<QByteArray> listed = page.listedSsidBytes(ssid))
        m_window.sendRequest(r5::protocol::setApRequest(*listed, password));
    else
        m_window.sendRequest(r5::protocol::setApRequest(ssid, password));
}

void ApCommands::CB_RSSI_AutoChkClick()
{
    QTimer *timer = m_window.apPage().autoQueryTimer();
    m_tickWaiting = false;
    if (m_window.apPage().autoQueryCheck()->isChecked())
        timer->start();
    else
        timer->stop();
}

void ApCommands::CB_Chk_RSSI_IntervalChange()
{
    const int seconds = m_window.apPage().intervalCombo()->currentText().toInt();
    if (seconds > 0)
        m_window.apPage().autoQueryTimer()->setInterval(seconds * 1000);
}

void ApCommands::Timer_AutoQryRSSITimer()
{
    if (m_asking) {
        m_tickWaiting = true;
        return;
    }
    m_asking = true;
    m_window.deviceView().Btn_Get_CurrentAPClick(m_window.apPage().rssiButton());
    m_asking = false;
    if (!m_tickWaiting)
        return;
    m_tickWaiting = false;
    // The waiting tick runs after this one has returned, and only while the query is still on.
    QTimer::singleShot(0, this, [this] {
        if (m_window.apPage().autoQueryTimer()->isActive())
            Timer_AutoQryRSSITimer();
    });
}

} // namespace r5setup
