#include "r5setup/ui/defaultpage.h"

#include "r5device/protocol/decoders.h"
#include "r5setup/ui/formwidgets.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace r5setup {

namespace {

const QString kNotQueried = u"Not Queried"_s;

QGridLayout *grid(QGroupBox *panel)
{
    return static_cast<QGridLayout *>(panel->layout());
}

QStringList expiryItems()
{
    QStringList items;
    for (int s = 0; s <= 60; s += 5)
        items.append(QString::number(s));
    return items;
}

QStringList throughputItems()
{
    return {u"10"_s,  u"20"_s,  u"30"_s,  u"40"_s,  u"50"_s,   u"60"_s,   u"70"_s,
            u"80"_s,  u"90"_s,  u"100"_s, u"200"_s, u"300"_s,  u"400"_s,  u"500"_s,
            u"600"_s, u"700"_s, u"800"_s, u"900"_s, u"1000"_s, u"2000"_s, u"2550"_s};
}

// One row of four octet edits ("0" to start, three digits at most) joined by "." labels.
std::array<QLineEdit *, 4> addAddressRow(QGroupBox *panel, int row, const QString &label,
                                         const QString &prefix)
{
    std::array<QLineEdit *, 4> edits{};
    grid(panel)->addWidget(form::label(panel, label), row, 0);
    for (int i = 0; i < 4; ++i) {
        const QString n = QString::number(i + 1);
        edits[std::size_t(i)] = form::edit(panel, prefix + n, u"0"_s, 3, label + u' ' + n);
        grid(panel)->addWidget(edits[std::size_t(i)], row, 1 + 2 * i);
        if (i < 3)
            grid(panel)->addWidget(form::label(panel, u"."_s), row, 2 + 2 * i);
    }
    return edits;
}

} // namespace

DefaultPage::DefaultPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(u"TabSheet1"_s);

    m_panels = {buildIdentity(), buildWan(), buildServer(), buildDi()};
    m_status = form::button(this, u"Btn_CurrentStatus"_s, u"    현재 설정 확인"_s, u"41"_s);
    m_status->setMinimumHeight(40);

    auto *layout = new QGridLayout(this);
    layout->addWidget(m_panels[0], 0, 0);
    layout->addWidget(m_panels[1], 1, 0);
    layout->addWidget(m_panels[2], 2, 0);
    m_tools = new QWidget(this);
    auto *side = new QVBoxLayout;
    side->addWidget(m_status);
    side->addWidget(m_tools);
    side->addStretch();
    layout->addLayout(side, 0, 1);
    layout->addWidget(m_panels[3], 1, 1, 2, 1);
    layout->setRowStretch(3, 1);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);
}

QString DefaultPage::caption()
{
    return u"    [기본설정]    "_s;
}

QList<QWidget *> DefaultPage::connectedControls() const
{
    return {m_panels[0], m_panels[1], m_panels[2],  m_panels[3], m_status,
            m_saveWan,   m_ping,      m_saveServer, m_saveDi};
}

QGroupBox *DefaultPage::buildIdentity()
{
    auto *info = form::panel(this, u"Panel_Info_Default"_s, {});
    m_devName = form::display(info, u"Panel_DevName"_s, kNotQueried, u"Device Name"_s);
    m_version = form::display(info, u"Panel_Version"_s, kNotQueried, u"F/W Version"_s);
    m_mac = form::display(info, u"PanelMacAddr"_s, u"00:00:00:00:00:00"_s, u"MAC Address"_s);
    auto *g = grid(info);
    g->addWidget(form::label(info, u"Device Name"_s), 0, 0);
    g->addWidget(m_devName, 0, 1);
    g->addWidget(form::label(info, u"F/W Version"_s), 0, 2);
    g->addWidget(m_version, 0, 3);
    g->addWidget(form::label(info, u"MAC Address"_s), 1, 0);
    g->addWidget(m_mac, 1, 1, 1, 3);
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
    return info;
}

QGroupBox *DefaultPage::buildWan()
{
    auto *wan = form::panel(this, u"Panel_Info_Wan"_s, u" [WAN 설정]"_s);
    // Title bar: the save and ping buttons; the octet rows below it.
    m_saveWan = form::button(wan, u"Btn_Save_Config_Wan"_s, u"WAN 설정 저장하기"_s);
    auto *bar = new QHBoxLayout;
    bar->addStretch();
    bar->addWidget(m_saveWan);
    m_ping = form::button(wan, u"Btn_ping"_s, u"ping"_s);
    bar->addWidget(m_ping);
    grid(wan)->addLayout(bar, 0, 0, 1, 8);
    m_ip = addAddressRow(wan, 1, u"IP Address"_s, u"Edit_IP"_s);
    m_gateway = addAddressRow(wan, 2, u"GateWay"_s, u"Edit_GW"_s);
    m_mask = addAddressRow(wan, 3, u"Subnet Mask"_s, u"Edit_SM"_s);
    return wan;
}

QGroupBox *DefaultPage::buildServer()
{
    auto *server = form::panel(this, u"Panel_Info_Server"_s, u" [Server 설정]"_s);
    auto *g = grid(server);
    m_saveServer = form::button(server, u"Btn_Save_Config_Server"_s, u"Server 설정 저장하기"_s);
    g->addWidget(m_saveServer, 0, 2, Qt::AlignRight);

    m_serverPort = form::edit(server, u"Edit_Server_Port"_s, u"0"_s, 5, u"TCP Server Port"_s);
    g->addWidget(form::label(server, u"TCP Server Port"_s), 1, 0);
    g->addWidget(m_serverPort, 1, 1);

    m_expiry =
        form::combo(server, u"CB_Server_ExpTime"_s, expiryItems(), u"0"_s, true, u"Server Expire Time"_s);
    g->addWidget(form::label(server, u"Server Expire Time"_s), 2, 0);
    g->addWidget(m_expiry, 2, 1);
    g->addWidget(form::label(server, u"sec"_s), 2, 2);

    m_protocol = new form::RadioGroup(
        server, u"RG_Protocol_Mode"_s, u" [Protocol Mode] "_s,
        {u"  'N'   (0x4E;   Normal Mode;  33bytes)"_s, u"  'G'   (0x47;   GapTime Mode; 57bytes)"_s});
    g->addWidget(m_protocol, 3, 0, 1, 3);
    g->setColumnStretch(1, 1);
    return server;
}

QGroupBox *DefaultPage::buildDi()
{
    auto *di = form::panel(this, u"Panel_Info_Di"_s, u" [Digital Input 설정]"_s);
    auto *g = grid(di);
    m_saveDi = form::button(di, u"Btn_Save_Config_DI"_s, u"DI 설정 저장하기"_s);
    g->addWidget(m_saveDi, 0, 3, 1, 2, Qt::AlignRight);
    g->addWidget(form::label(di, u"[Throuput Time]"_s), 1, 1, 1, 2);
    g->addWidget(form::label(di, u"[Count Mode]"_s), 1, 3, 1, 2);
    const QStringList edges{u"Falling"_s, u"Rising"_s};
    for (int i = 0; i < 5; ++i) {
        const QString n = QString::number(i + 1);
        const QString channel = u"DI #"_s + n;
        const int row = 2 + i;
        auto *time = form::combo(di, u"CB_ThrouputTime"_s + n, throughputItems(), u"10"_s, true,
                                 channel + u" Throuput Time"_s);
        auto *mode =
            form::combo(di, u"CB_CountMode"_s + n, edges, u"Falling"_s, false, channel + u" Count Mode"_s);
        m_throughput[std::size_t(i)] = time;
        m_countMode[std::size_t(i)] = mode;
        g->addWidget(form::label(di, channel), row, 0);
        g->addWidget(time, row, 1);
        g->addWidget(form::label(di, u"m/s"_s), row, 2);
        g->addWidget(mode, row, 3);
        g->addWidget(form::label(di, u"Edge"_s), row, 4);
    }
    g->setColumnStretch(1, 1);
    g->setColumnStretch(3, 1);
    g->setRowStretch(7, 1);
    return di;
}

void DefaultPage::showStatus(const r5::protocol::StatusView &view)
{
    form::showText(m_devName, view.deviceName);
    form::showText(m_version, view.version);
    form::showText(m_mac, view.mac);
    for (std::size_t i = 0; i < 4; ++i)
        form::showText(m_ip[i], view.ip[i]);
    for (std::size_t i = 0; i < 4; ++i)
        form::showText(m_gateway[i], view.gateway[i]);
    for (std::size_t i = 0; i < 4; ++i)
        form::showText(m_mask[i], view.mask[i]);
    form::showText(m_serverPort, view.serverPort);
    form::showText(m_expiry, view.expiry);
    m_protocol->setItemIndex(view.protocolItem);
    for (std::size_t i = 0; i < 5; ++i)
        form::showText(m_throughput[i], view.throughput[i]);
    for (std::size_t i = 0; i < 5; ++i)
        m_countMode[i]->setCurrentIndex(view.countModeItem[i]);
}

void DefaultPage::enableStatusPanels()
{
    for (QGroupBox *panel : m_panels)
        panel->setEnabled(true);
}

} // namespace r5setup
