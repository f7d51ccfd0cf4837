#include "r5setup/ui/mainwindow.h"

#include "apcommands.h"
#include "profilebridge.h"
#include "r5/guide.h"
#include "r5/screenfit.h"
#include "r5/suitefonts.h"
#include "r5device/portaccess.h"
#include "r5fw/downloadwatch.h"
#include "r5setup/setupconfig.h"
#include "r5setup/shelltexts.h"
#include "r5setup/ui/appage.h"
#include "r5setup/ui/comsetupdialog.h"
#include "r5setup/ui/defaultpage.h"
#include "r5setup/ui/deviceview.h"
#include "r5setup/ui/infoform.h"
#include "r5setup/ui/led.h"
#include "r5setup/ui/logpanel.h"
#include "r5setup/ui/maintenancepage.h"
#include "r5setup/ui/pagecontrol.h"
#include "r5setup/ui/sidetools.h"
#include "reconnectwatcher.h"
#include "saveverifier.h"
#include "settingscommands.h"
#include "topmenu.h"
#include "usersettings.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace r5setup {

namespace {

constexpr QSize kWindowSize(996, 896);
constexpr int kPageControlHeight = 560;
constexpr int kLogLines = 5;

QPlainTextEdit *makeMemo(QWidget *parent)
{
    auto *memo = new QPlainTextEdit(parent);
    memo->setObjectName(u"Memo"_s);
    memo->setAccessibleName(u"Log"_s);
    memo->setReadOnly(true);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette pal = memo->palette();
    pal.setColor(QPalette::Base, Qt::black);
    pal.setColor(QPalette::Text, Qt::white);
    memo->setPalette(pal);
    memo->setFont(r5::suiteFont(r5::FontRole::Mono));
    // The last lines of the log stay in sight, whatever the font, however small the screen.
    r5::reserveRows(memo, kLogLines);
    return memo;
}

// The log wants no more than its floor of lines: room beyond the other controls' wishes comes to
// it by stretch, and on a short screen the others give theirs up first.
class LogPane final : public QWidget
{
public:
    using QWidget::QWidget;
    QSize sizeHint() const override { return {QWidget::sizeHint().width(), minimumSizeHint().height()}; }
};

} // namespace

MainWindow::MainWindow(const Services &services, std::unique_ptr<SerialLink> link, QWidget *parent)
    : QWidget(parent), m_services(services), m_link(link.release()),
      m_top(std::make_unique<TopMenu>(buildTopMenu(this)))
{
    setObjectName(u"TForm_main"_s);
    setWindowTitle(text::appTitle());
    r5::addGuideKey(this, services.launcher, u"devsetup.html"_s);
    // Centred on the screen, scrolling where the screen is smaller than the window.
    QWidget *page = (new r5::ScreenFit(this, r5::ScreenFit::Sizing::Resizable, kWindowSize))->page();
    m_link->setParent(this);
    m_link->setObjectName(u"ComPortEnvBoard"_s);
    m_noAnswerTimer = new QTimer(this);
    m_noAnswerTimer->setObjectName(u"Timer_NoAnswer"_s);
    m_noAnswerTimer->setSingleShot(true);
    connect(m_noAnswerTimer, &QTimer::timeout, this, &MainWindow::Timer_NoAnswerTimer);

    m_pages = new PageControl(page);
    m_pages->setDesignHeight(kPageControlHeight);
    m_defaultPage = new DefaultPage(m_pages);
    m_apPage = new ApPage(m_pages);
    m_maintenancePage = new MaintenancePage(*this, m_pages);
    m_pages->addTab(m_defaultPage, DefaultPage::caption());
    m_pages->addTab(m_apPage, ApPage::caption());
    m_pages->addTab(m_maintenancePage, MaintenancePage::caption());

    auto *logPane = new LogPane(page);
    logPane->setObjectName(u"PaneLogMain"_s);
    m_memo = makeMemo(logPane);
    auto *logLayout = new QVBoxLayout(logPane);
    logLayout->setContentsMargins(0, 0, 0, 0);
    logLayout->addWidget(m_memo);
    m_log = new LogPanel(clock(), m_memo, m_top->saveLogFile, this);

    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_top->panel);
    layout->addWidget(m_pages);
    layout->addWidget(logPane, 1);

    connect(m_top->connect, &QPushButton::clicked, this, &MainWindow::ButtonStartClick);
    connect(m_top->disconnect, &QPushButton::clicked, this, &MainWindow::ButtonStopClick);
    connect(m_top->comSetup, &QPushButton::clicked, this, &MainWindow::Btn_ComSetupClick);
    connect(m_top->exit, &QPushButton::clicked, this, &MainWindow::BtnExitClick);
    connect(m_top->clearLog, &QPushButton::clicked, m_log, &LogPanel::clear);
    connect(m_link, &SerialLink::lineError, this, &MainWindow::ComPortEnvBoardError);
    connect(m_link, &SerialLink::vanished, this, &MainWindow::ComPortEnvBoardVanished);
    connect(m_link, &SerialLink::openChanged, m_top->comLed, &Led::setOn);
    connect(m_link, &SerialLink::transmitted, m_top->txLed, &Led::flash);
    connect(m_link, &SerialLink::rxChar, m_top->rxLed, &Led::flash);

    connect(m_defaultPage->statusButton(), &QPushButton::clicked, this, &MainWindow::Btn_CurrentStatusClick);
    connect(m_top->swInfo, &QPushButton::clicked, this, &MainWindow::Btn_SWInfoClick);
    const std::array<QLineEdit *, 4> &wan = m_defaultPage->ipEdits();
    auto *sideTools =
        new SideTools(*this, {m_maintenancePage->startServerButton(), m_maintenancePage->testServerButton(),
                              m_defaultPage->pingButton(), m_maintenancePage->simulatorButton(),
                              m_maintenancePage->httpServerPort(), m_maintenancePage->homeDir(), wan});
    m_connectedSet = m_defaultPage->connectedControls() + m_apPage->connectedControls() +
                     m_maintenancePage->connectedControls();
    m_deviceView = new DeviceView(*this);
    auto *settings = new SettingsCommands(*this);
    new ApCommands(*this); // after the device view: its timer runs the view's query handler

    r5fw::DownloadWatch *watch = &sideTools->downloadWatch();
    connect(m_maintenancePage, &MaintenancePage::firmwareOrderSent, watch, &r5fw::DownloadWatch::start);
    connect(m_deviceView, &DeviceView::statusShown, watch,
            [watch](const r5::protocol::StatusView &status) { watch->statusAnswered(status.version); });

    auto *profiles = new ProfileBridge(*this);
    connect(settings, &SettingsCommands::saveSent, &profiles->verifier(), &SaveVerifier::saveSent);
    connect(m_deviceView, &DeviceView::statusShown, &profiles->verifier(), &SaveVerifier::statusShown);
    m_reconnect = new ReconnectWatcher(*m_link, this);
    rememberCheck(m_top->reconnect, u"Field/Reconnect"_s, true);
    connect(m_reconnect, &ReconnectWatcher::returned, this, &MainWindow::ComPortEnvBoardReturned);
    connect(m_top->reconnect, &QCheckBox::toggled, this, [this](bool on) {
        if (!on && m_reconnect->watching())
            ButtonStopClick();
    });

    FormCreate();
}

MainWindow::~MainWindow()
{
    // FormDestroy
    m_link->close();
}

void MainWindow::log(const QString &message)
{
    m_log->log(message);
}

void MainWindow::log(const QStringList &messages)
{
    m_log->log(messages);
}

void MainWindow::FormCreate()
{
    log(text::startLine());
    m_statusQueried = false;
    m_top->version->setText(text::version());
    m_pages->setCurrentIndex(0);
    m_apPage->prepareGrid();
    setLinkState(LinkState::Disconnected);
}

void MainWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Read once, when first shown: values changed during the run stay until saved at close.
    if (!m_activated) {
        m_activated = true;
        FormActivate();
    }
}

void MainWindow::FormActivate()
{
    QString notRead;
    const ConfigValues values = loadConfigFile(configFilePath(), &notRead);
    if (!notRead.isEmpty())
        log(text::configNotRead(configFilePath(), notRead));
    m_link->setSettings(withConfigTexts(m_link->settings(), values[RowComPort], values[RowBaudRate],
                                        values[RowDataBits], values[RowStopBits], values[RowParity]));
    for (const auto &[row, edit] : configFields())
        edit->setText(values[row]);
}

QList<std::pair<int, QLineEdit *>> MainWindow::configFields() const
{
    const MaintenancePage &m = *m_maintenancePage;
    QList<std::pair<int, QLineEdit *>> fields{{RowHttpPort, m.httpServerPort()},
                                              {RowHomeDir, m.homeDir()},
                                              {RowDownloadPort, m.downloadPort()},
                                              {RowDownloadFile, m.downloadFile()},
                                              {RowTcpPort, m.tcpPort()}};
    for (int i = 0; i < 4; ++i) {
        fields.append({RowDownloadIp1 + i, m.downloadIpEdits()[std::size_t(i)]});
        fields.append({RowTcpIp1 + i, m.tcpIpEdits()[std::size_t(i)]});
    }
    return fields;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}

void MainWindow::FormClose()
{
    ConfigValues values = defaultConfig();
    values[RowComPort] = m_link->settings().portName;
    for (const auto &[row, edit] : configFields())
        values[row] = edit->text();
    const SaveResult saved = saveConfigFile(configFilePath(), values);
    if (!saved.ok()) {
        const QString line = text::configNotSaved(configFilePath(), saved.error);
        log(line);
        prompter().error(this, line);
    }
}

void MainWindow::setLinkState(LinkState state)
{
    m_linkState = state;
    const EnableRow row = enableRow(state);
    m_top->connect->setEnabled(row.connect);
    m_top->disconnect->setEnabled(row.disconnect);
    m_top->comSetup->setEnabled(row.comSetup);
    m_top->exit->setEnabled(row.exit);
    if (!row.connectedSet) {
        // Unchecking stops the automatic RSSI query with the connection.
        m_apPage->autoQueryCheck()->setChecked(false);
    }
    for (QWidget *w : std::as_const(m_connectedSet))
        w->setEnabled(row.connectedSet);
}

void MainWindow::ButtonStartClick()
{
    m_apPage->Btn_InitGridClick();
    setLinkState(LinkState::Connecting);
    log(text::tryingOpen());
    if (!m_link->isOpen() && !m_link->open()) {
        prompter().error(this, text::openFailed(m_link->settings().portName, m_link->errorString(),
                                                openFailureAdvice(m_link->openFailure())));
        return;
    }
    if (!m_link->isOpen())
        return;
    log(text::connectionSuccess(m_link->settings().portName));
    setLinkState(LinkState::Connected);
}

void MainWindow::ButtonStopClick()
{
    m_reconnect->stop();
    if (m_link->isOpen()) {
        log(text::connectionClose());
        m_link->close();
    }
    if (m_link->isOpen())
        return;
    m_answers.clear();
    m_noAnswerTimer->stop();
    setLinkState(LinkState::Disconnected);
}

void MainWindow::Btn_ComSetupClick()
{
    if (m_linkState == LinkState::Connected)
        return;
    auto *dialog = new ComSetupDialog(m_link->settings(), availablePortNames(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] { m_link->setSettings(dialog->settings()); });
    dialog->open();
}

void MainWindow::BtnExitClick()
{
    if (!prompter().askYesNo(this, {}, text::exitQuestion()))
        return;
    log(text::exitLine());
    m_link->close();
    close();
}

bool MainWindow::sendRequest(const r5::protocol::Request &request, Awaiting awaiting)
{
    ++m_requestCount;
    for (const QString &line : request.announce)
        log(line);
    if (!m_link->isOpen()) {
        prompter().message(this, r5::Prompter::Icon::None, {}, r5::protocol::texts::portNotConnected());
        log(r5::protocol::texts::portNotConnected());
        return false;
    }
    log(request.txLine());
    if (!m_link->write(request.frame)) {
        log(r5::protocol::texts::serialPortError());
        return false;
    }
    if (awaiting == Awaiting::Nothing)
        return true;
    m_answers.sent(std::uint8_t(request.frame.at(2)), clock().utcNow(),
                   awaiting == Awaiting::AutomaticAnswer);
    armNoAnswerTimer();
    return true;
}

void MainWindow::noteAnswer(std::uint8_t id, bool registered)
{
    m_answers.answered(id, registered);
    armNoAnswerTimer();
}

void MainWindow::armNoAnswerTimer()
{
    const std::optional<QDateTime> due = m_answers.nextDue();
    if (!due) {
        m_noAnswerTimer->stop();
        return;
    }
    // Due by the Clock, so a test's clock decides what is overdue; the timer only wakes us.
    const qint64 wait = clock().utcNow().msecsTo(*due);
    m_noAnswerTimer->start(int(std::clamp<qint64>(wait, 0, r5::protocol::AnswerWatch::kPatienceMs)));
}

void MainWindow::Timer_NoAnswerTimer()
{
    const SerialSettings port = m_link->settings();
    for (const std::uint8_t id : m_answers.overdue(clock().utcNow()))
        log(r5::protocol::texts::noAnswer(id, port.portName, port.baudRate));
    armNoAnswerTimer();
}

void MainWindow::Btn_CurrentStatusClick()
{
    sendRequest(r5::protocol::statusRequest());
}

void MainWindow::Btn_SWInfoClick()
{
    // Made on first use; it copies the version shown then.
    if (!m_info)
        m_info = new InfoForm(launcher(), m_top->version->text(), this);
    m_info->setWindowModality(Qt::ApplicationModal);
    m_info->show();
}

void MainWindow::ComPortEnvBoardError(LineErrors errors)
{
    log(text::lineError(lineErrorName(errors)));
}

void MainWindow::ComPortEnvBoardVanished()
{
    // The link has closed the port already. With "Reconnect" the window waits for the port to
    // come back; otherwise it follows as "Disconnect" would, and "Connect" opens it again.
    if (m_top->reconnect->isChecked()) {
        m_answers.clear();
        m_noAnswerTimer->stop();
        log(ReconnectWatcher::lostLine(m_link->settings().portName));
        setLinkState(LinkState::Waiting);
        m_reconnect->start();
        return;
    }
    log(text::lineError(lineErrorName(LineError::IO)));
    ButtonStopClick();
}

void MainWindow::ComPortEnvBoardReturned()
{
    // The view stays as it was; nothing is asked of the device until the installer asks.
    log(ReconnectWatcher::returnedLine(m_link->settings().portName));
    setLinkState(LinkState::Connected);
}

} // namespace r5setup
