#include "r5setup/ui/maintenancepage.h"

#include "../adminpanel.h"
#include "../keyfilter.h"
#include "../rangemark.h"
#include "../refusalbox.h"
#include "r5device/maintenancerules.h"
#include "r5device/protocol/requests.h"
#include "r5setup/ui/formwidgets.h"
#include "r5setup/ui/mainwindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace r5setup {

namespace {

QGridLayout *grid(QGroupBox *panel)
{
    return static_cast<QGridLayout *>(panel->layout());
}

// A field's spoken name: its caption without the colon.
QString spokenName(const QString &label)
{
    QString name = label.trimmed();
    if (name.endsWith(u':'))
        name.chop(1);
    return name.trimmed();
}

// Four octet edits in one row with "." between them, from column 1; Space moves on to the
// next octet.
std::array<QLineEdit *, 4> addAddress(QGroupBox *panel, int row, const QString &label, const QString &prefix,
                                      const QStringList &texts, KeyFilter &keys)
{
    std::array<QLineEdit *, 4> edits{};
    grid(panel)->addWidget(form::label(panel, label), row, 0);
    for (int i = 0; i < 4; ++i) {
        const QString n = QString::number(i + 1);
        auto *e = form::edit(panel, prefix + n, texts.value(i), 3, spokenName(label) + u' ' + n);
        keys.attach(e, true);
        grid(panel)->addWidget(e, row, 1 + 2 * i);
        if (i < 3)
            grid(panel)->addWidget(form::label(panel, u"."_s), row, 2 + 2 * i);
        edits[std::size_t(i)] = e;
    }
    return edits;
}

void addField(QGroupBox *panel, int row, const QString &label, QWidget *field)
{
    grid(panel)->addWidget(form::label(panel, label), row, 0);
    grid(panel)->addWidget(field, row, 1, 1, 7);
}

// A port or interval: five digits at most, through the key filter.
QLineEdit *addNumber(QGroupBox *panel, int row, const QString &label, const QString &name,
                     const QString &text, KeyFilter &keys)
{
    auto *e = form::edit(panel, name, text, 5, spokenName(label));
    keys.attach(e);
    addField(panel, row, label, e);
    return e;
}

QString hint(const QPushButton *button)
{
    return button->property("hint").toString();
}

// The side-tool buttons carry the firmware command's id as their Hint, which nothing reads.
const QString kToolHint = u"55"_s;

} // namespace

MaintenancePage::MaintenancePage(MainWindow &window, QWidget *parent) : QWidget(parent), m_window(window)
{
    setObjectName(u"TabSheet3"_s);
    auto *keys = new KeyFilter(window.prompter(), &window);

    auto *reset = form::panel(this, u"Panel_Info_FactoryReset"_s, u" [공장초기화]"_s);
    m_factoryReset = form::button(reset, u"Btn_FactoryReset"_s, u"Factory Reset"_s, u"46"_s);
    grid(reset)->addWidget(m_factoryReset, 0, 1);
    m_counterReset = new QCheckBox(u"DI 카운터 초기화"_s, reset);
    m_counterReset->setObjectName(u"CB_CntReset"_s);
    m_counterReset->setAccessibleName(u"DI 카운터 초기화"_s);
    grid(reset)->addWidget(m_counterReset, 1, 1);

    auto *reboot = form::panel(this, u"Panel_Info_Sys_Reboot"_s, u" [System Reboot]"_s);
    m_systemReboot = form::button(reboot, u"Btn_SystemReboot"_s, u"System Reboot"_s, u"47"_s);
    grid(reboot)->addWidget(m_systemReboot, 0, 1);

    auto *flash = form::panel(this, u"Panel_Info_Flash"_s, u" [Falsh Memory R/W 설정]"_s);
    m_flashPanel = flash;
    m_flashSave = form::button(flash, u"Btn_FlashSaveInt"_s, u"설정 저장"_s);
    m_flashErase = form::button(flash, u"Btn_FlashErase"_s, u"All Flash Erase"_s, u"58"_s);
    grid(flash)->addWidget(m_flashSave, 0, 1);
    grid(flash)->addWidget(m_flashErase, 0, 2);
    m_flashInterval = addNumber(flash, 1, u"Flash save Interval"_s, u"Edit_FlashSaveInt"_s, u"0"_s, *keys);
    m_flashDelay = new QComboBox(flash);
    m_flashDelay->setObjectName(u"Edit_FlashSaveDelay"_s);
    m_flashDelay->setAccessibleName(u"Flash save Delay"_s);
    m_flashDelay->setEditable(true);
    for (int seconds = 0; seconds <= 60; seconds += 5)
        m_flashDelay->addItem(QString::number(seconds));
    m_flashDelay->setCurrentText(u"0"_s);
    addField(flash, 2, u"Flash save Delay"_s, m_flashDelay);

    auto *http = form::panel(this, u"Panel_Info_FW_Http"_s, u" [F/W Update from HTTP Sever]"_s);
    m_firmwarePanel = http;
    auto *download = form::button(http, u"Btn_FW_DL"_s, u"Start F/W Download"_s, kToolHint);
    grid(http)->addWidget(download, 0, 1, 1, 7);
    m_downloadIp =
        addAddress(http, 1, u"Address :"_s, u"Edit_DL_IP"_s, {u"127"_s, u"0"_s, u"0"_s, u"1"_s}, *keys);
    m_downloadPort = addNumber(http, 2, u"Download Port : "_s, u"Edit_DL_Port"_s, u"8070"_s, *keys);
    m_downloadFile = form::edit(http, u"Edit_DL_File"_s, u"/R5200TX_v1.0.bin"_s, 32, u"Filename"_s);
    addField(http, 3, u"Filename : "_s, m_downloadFile);

    // Kept for the settings it stores; its buttons have no action.
    auto *tcp = form::panel(this, u"Panel_Info_FW_Tcp"_s, u" [F/W Update - TCP]"_s);
    grid(tcp)->addWidget(form::button(tcp, u"Btn_FW_TCPDL"_s, u"Start F/W Download"_s), 0, 1, 1, 3);
    grid(tcp)->addWidget(form::button(tcp, u"Btn_FileOpen"_s, u"File Open"_s), 0, 4, 1, 2);
    grid(tcp)->addWidget(form::button(tcp, u"Btn_TCPConn"_s, u"Conn"_s), 0, 6, 1, 2);
    m_tcpIp = addAddress(tcp, 1, u"Server IP : "_s, u"Edit_DL_Tcp_IP"_s,
                         {u"192"_s, u"168"_s, u"88"_s, u"101"_s}, *keys);
    m_tcpPort = addNumber(tcp, 2, u"Server Port : "_s, u"Edit_DL_Tcp_Port"_s, u"8071"_s, *keys);
    addField(tcp, 3, u"Filename : "_s,
             form::edit(tcp, u"Edit_DL_FilePath"_s, u"d:\\file.bin"_s, 0, u"File path"_s));

    auto *test = form::panel(this, u"Panel_Info_test"_s, u" [TEST]"_s);
    auto *jsonTest = form::button(test, u"Btn_SockClose"_s, u"JSON Test"_s, u"54"_s);
    auto *dnsTest = form::button(test, u"Btn_DnsTest"_s, u"Get DNS Test"_s, u"56"_s);
    auto *test2 = form::button(test, u"Button1"_s, u"Test2"_s);
    auto *test3 = form::button(test, u"Button4"_s, u"Test3"_s);
    test2->setEnabled(false);
    test3->setEnabled(false);
    grid(test)->addWidget(jsonTest, 0, 0);
    grid(test)->addWidget(dnsTest, 0, 1);
    grid(test)->addWidget(test2, 1, 0);
    grid(test)->addWidget(test3, 1, 1);

    auto *simulator = form::panel(this, u"Panel_Info_Simulator"_s, u" [Test Program]"_s);
    m_simulator = form::button(simulator, u"Btn_simulator"_s, u" DI Simulator 실행"_s, kToolHint);
    grid(simulator)->addWidget(m_simulator, 0, 0);

    auto *server = form::panel(this, u"Panel1"_s, u" [HTTP Server]"_s);
    m_startServer = form::button(server, u"Btn_StartSvr"_s, u"Start HTTP Server"_s, kToolHint);
    m_testServer = form::button(server, u"Btn_TestHttpServer"_s, u"Connection Test"_s, kToolHint);
    grid(server)->addWidget(m_startServer, 0, 1, 1, 3);
    grid(server)->addWidget(m_testServer, 0, 4, 1, 4);
    m_httpPort = addNumber(server, 1, u"HTTP Server Port : "_s, u"Edit_HttpSvr_Port"_s, u"8070"_s, *keys);
    // Changed only through the configuration file.
    m_homeDir = form::edit(server, u"Edit_HomeDir"_s, u"./KorviaFW"_s, 0, u"Home Dir"_s);
    m_homeDir->setEnabled(false);
    addField(server, 2, u"Home Dir : "_s, m_homeDir);

    auto *adminPassword = form::edit(this, u"EditViewAdminPW"_s, u"8642"_s, 32, u"Admin password"_s);
    adminPassword->setEchoMode(QLineEdit::Password);
    adminPassword->setStyleSheet(u"lineedit-password-character: 42;"_s); // '*'
    auto *viewAdmin = form::button(this, u"Btn_ViewAdmin"_s, u"View Admin"_s);

    for (const auto *row : {&m_downloadIp, &m_tcpIp}) {
        for (QLineEdit *octet : *row)
            markOutOfRange(octet, kOctetRange);
    }
    for (QLineEdit *word : {m_downloadPort, m_tcpPort, m_flashInterval})
        markOutOfRange(word, kWordRange);
    markOutOfRange(m_httpPort, kPortRange);

    // Shown by the administrator panel.
    for (QGroupBox *hidden : {flash, http, test, tcp})
        hidden->hide();
    new AdminPanel(adminPassword, viewAdmin, {flash, http, test, tcp}, this);

    connect(m_factoryReset, &QPushButton::clicked, this, &MaintenancePage::Btn_FactoryResetClick);
    connect(m_systemReboot, &QPushButton::clicked, this, &MaintenancePage::Btn_SystemRebootClick);
    connect(m_flashSave, &QPushButton::clicked, this, &MaintenancePage::Btn_FlashSaveIntClick);
    connect(m_flashErase, &QPushButton::clicked, this, &MaintenancePage::Btn_FlashEraseClick);
    connect(download, &QPushButton::clicked, this, &MaintenancePage::Btn_FW_DLClick);
    // The test buttons ask for the current status, as "    현재 설정 확인" does.
    connect(jsonTest, &QPushButton::clicked, &window, &MainWindow::Btn_CurrentStatusClick);
    connect(dnsTest, &QPushButton::clicked, &window, &MainWindow::Btn_CurrentStatusClick);

    auto *admin = new QHBoxLayout;
    admin->addStretch();
    admin->addWidget(adminPassword);
    admin->addWidget(viewAdmin);

    auto *layout = new QGridLayout(this);
    layout->addWidget(reset, 0, 0);
    layout->addWidget(reboot, 0, 1);
    layout->addWidget(server, 1, 0);
    layout->addWidget(simulator, 1, 1);
    layout->addWidget(flash, 2, 0);
    layout->addWidget(test, 2, 1);
    layout->addWidget(http, 3, 0);
    layout->addWidget(tcp, 3, 1);
    layout->setRowStretch(4, 1);
    layout->addLayout(admin, 5, 0, 1, 2);
}

QString MaintenancePage::caption()
{
    return u"    [Maintenance]    "_s;
}

QList<QWidget *> MaintenancePage::connectedControls() const
{
    return {m_flashPanel, m_firmwarePanel, m_factoryReset, m_systemReboot, m_flashSave, m_flashErase};
}

void MaintenancePage::Btn_FactoryResetClick()
{
    if (!m_window.prompter().askYesNo(&m_window, {}, maint::text::factoryResetQuestion()))
        return;
    m_window.sendRequest(
        r5::protocol::factoryResetRequest(hint(m_factoryReset), m_counterReset->isChecked()));
}

void MaintenancePage::Btn_SystemRebootClick()
{
    if (!m_window.prompter().askYesNo(&m_window, {}, maint::text::rebootQuestion()))
        return;
    m_window.sendRequest(r5::protocol::rebootRequest());
}

void MaintenancePage::Btn_FlashSaveIntClick()
{
    const maint::Checked<maint::FlashSave> checked =
        maint::checkFlashSave(m_flashInterval->text(), m_flashDelay->currentText());
    if (!checked) {
        showRefusal(m_window.prompter(), &m_window, checked.refusal, {m_flashInterval, m_flashDelay});
        return;
    }
    m_window.sendRequest(r5::protocol::flashSaveRequest(checked.value->interval, checked.value->delay));
}

void MaintenancePage::Btn_FlashEraseClick()
{
    if (!m_window.prompter().askYesNo(&m_window, {}, maint::text::flashEraseQuestion()))
        return;
    m_window.sendRequest(r5::protocol::flashEraseRequest(hint(m_flashErase)));
}

void MaintenancePage::Btn_FW_DLClick()
{
    std::array<QString, 4> octets;
    for (std::size_t i = 0; i < octets.size(); ++i)
        octets[i] = m_downloadIp[i]->text();
    const QString fileName = m_downloadFile->text();
    const maint::Checked<maint::FirmwareOrder> checked =
        maint::checkFirmwareDownload(octets, m_downloadPort->text(), fileName);
    if (!checked) {
        showRefusal(m_window.prompter(), &m_window, checked.refusal, {m_downloadFile});
        return;
    }
    const auto &server = checked.value->server;
    if (m_window.sendRequest(r5::protocol::firmwareDownloadRequest(server, checked.value->port, fileName)))
        Q_EMIT firmwareOrderSent(u"%1.%2.%3.%4"_s.arg(server[0]).arg(server[1]).arg(server[2]).arg(server[3]),
                                 checked.value->port, fileName);
}

} // namespace r5setup
