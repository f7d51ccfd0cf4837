#include "fakes.h"
#include "filefaults.h"
#include "linksupport.h"
#include "r5/appendfile.h"
#include "r5device/qtseriallink.h"
#include "r5device/setuplog.h"
#include "r5setup/ui/appage.h"
#include "r5setup/ui/comsetupdialog.h"
#include "r5setup/ui/led.h"
#include "r5setup/ui/mainwindow.h"
#include "r5setup/ui/pagecontrol.h"
#include "serialpair.h"
#include "shellsupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSerialPort>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <linux/capability.h>
#include <optional>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace r5setup;

namespace {

// Holds the calling thread's effective capabilities empty while it lives, so that a test run
// as root meets a device file's mode as a user does.
class AsPlainUser
{
public:
    AsPlainUser()
    {
        ::syscall(SYS_capget, &m_header, m_saved);
        __user_cap_data_struct none[2] = {{0, m_saved[0].permitted, m_saved[0].inheritable},
                                          {0, m_saved[1].permitted, m_saved[1].inheritable}};
        ::syscall(SYS_capset, &m_header, none);
    }
    ~AsPlainUser() { ::syscall(SYS_capset, &m_header, m_saved); }
    AsPlainUser(const AsPlainUser &) = delete;
    AsPlainUser &operator=(const AsPlainUser &) = delete;

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2]{};
};

const QDateTime kNow(QDate(2026, 12, 7), QTime(10, 20, 30));

// Controls of the enable-state table, in its column order.
const QStringList kButtons{u"ButtonStart"_s, u"ButtonStop"_s, u"Btn_ComSetup"_s, u"BtnExit"_s};
const QStringList kConnectedSet{
    u"Panel_Info_Default"_s, u"Panel_Info_Wan"_s,         u"Panel_Info_Server"_s,
    u"Panel_Info_Di"_s,      u"Panel_Info_CurrentAP"_s,   u"Panel_Info_AvailAP"_s,
    u"Panel_Info_Flash"_s,   u"Panel_Info_FW_Http"_s,     u"Btn_CurrentStatus"_s,
    u"Btn_FactoryReset"_s,   u"Btn_SystemReboot"_s,       u"Btn_Search_AP"_s,
    u"Btn_Get_CurrentAP"_s,  u"Btn_Get_CurrentAP_RSSI"_s, u"Btn_Save_Config_Wan"_s,
    u"Btn_ping"_s,           u"Btn_Save_Config_Server"_s, u"Btn_Save_Config_DI"_s,
    u"Btn_FlashSaveInt"_s,   u"Btn_FlashErase"_s,         u"CB_RSSI_AutoChk"_s};

} // namespace

class TstSetupWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void startState();
    void defaultsWithoutConfigFile();
    void configFileReadWhenFirstShown();
    void enableStates_data();
    void enableStates();
    void openFailureBox_data();
    void openFailureBox();
    void connectAndDisconnect();
    void comSetupUnreachableWhileConnected();
    void comSetupTakesTypedDevicePath();
    void lineErrorIsLogged();
    void pulledAdapterIsReportedOnce();
    void configFileFaults_data();
    void configFileFaults();
    void exitNoLeavesEverything();
    void exitYesLogsClosesAndSaves();
    void closeBoxWhileConnectedSaves();
    void selectedTabTakesPageColour();

private:
    void makeWindow();
    void pointConfigAt(const QString &port);
    void connectToPty();
    QStringList panel() const;
    template <typename T = QWidget> T *control(const QString &name) const
    {
        auto *w = m_window->findChild<T *>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    void click(const QString &name) { QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldCwd;
    r5::test::FakePrompter m_prompter;
    r5::test::FakeClock m_clock{kNow};
    r5::test::FakeLauncher m_launcher;
    ProbeScript m_probe;
    std::unique_ptr<r5::test::SerialPair> m_pty;
    std::unique_ptr<MainWindow> m_window;
    QtSerialLink *m_link = nullptr;
};

void TstSetupWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_oldCwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    QVERIFY(QDir().mkdir(u"cfg"_s));
    QVERIFY(QDir().mkdir(u"Log"_s));
    m_prompter.reset();
    m_probe = {};
    m_pty = std::make_unique<r5::test::SerialPair>();
    QVERIFY(m_pty->isValid());
}

void TstSetupWindow::cleanup()
{
    m_window.reset();
    m_pty.reset();
    QCOMPARE(m_prompter.unexpected(), QStringList());
    QCOMPARE(m_prompter.pending(), 0);
    QCOMPARE(m_prompter.unusedAnswers(), 0);
    QDir::setCurrent(m_oldCwd);
    m_dir.reset();
}

void TstSetupWindow::makeWindow()
{
    auto link = std::make_unique<QtSerialLink>(nullptr, fakeProbes(m_probe));
    m_link = link.get();
    m_window = std::make_unique<MainWindow>(Services{m_prompter, m_clock, m_launcher}, std::move(link));
}

void TstSetupWindow::pointConfigAt(const QString &port)
{
    QVERIFY(
        writeFile(u"cfg/SETUP.INI"_s, "[EnvBoard]\r\nComPort=" + port.toUtf8() + "\r\nBaudRate=9600\r\n"));
}

void TstSetupWindow::connectToPty()
{
    click(u"ButtonStart"_s);
    QVERIFY2(m_link->isOpen(), qPrintable(m_prompter.takeTexts().join(u'|')));
}

QStringList TstSetupWindow::panel() const
{
    const QString text = m_window->memo().toPlainText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

void TstSetupWindow::startState()
{
    makeWindow();
    QCOMPARE(m_window->objectName(), u"TForm_main"_s);
    QCOMPARE(m_window->windowTitle(), u"Korvia R5200TX Serial Setup Program"_s);
    QCOMPARE(panel(), QStringList{u"[10:20:30]  Start R5200TX Serial Setup Program..."_s});
    QCOMPARE(readFile(setuplog::filePath(kNow.date())),
             QByteArray("[10:20:30]  Start R5200TX Serial Setup Program...\r\n"));
    QCOMPARE(control<QLabel>(u"Lb_PGVersion"_s)->text(), u"v1.1"_s);
    QVERIFY(!m_window->statusQueried());
    QVERIFY(control<QCheckBox>(u"CB_SaveLogFile"_s)->isChecked());

    const PageControl &pages = m_window->pageControl();
    QCOMPARE(pages.objectName(), u"PageControl1"_s);
    QCOMPARE(pages.currentIndex(), 0);
    QCOMPARE(pages.count(), 3);
    QCOMPARE(pages.tabText(0), u"    [기본설정]    "_s);
    QCOMPARE(pages.tabText(1), u"    [AP 설정]    "_s);
    QCOMPARE(pages.tabText(2), u"    [Maintenance]    "_s);
    QCOMPARE(pages.widget(2)->objectName(), u"TabSheet3"_s);

    const QTableWidget *grid = m_window->apPage().grid();
    QCOMPARE(grid->objectName(), u"APList_Grid"_s);
    QCOMPARE(grid->columnCount(), 5);
    QCOMPARE(grid->horizontalHeaderItem(4)->text(), u"AuthMode"_s);
    QCOMPARE(grid->columnWidth(1), 250);

    // Shown only by the administrator panel.
    m_window->show();
    for (const QString &name :
         {u"Panel_Info_Flash"_s, u"Panel_Info_FW_Http"_s, u"Panel_Info_test"_s, u"Panel_Info_FW_Tcp"_s})
        QVERIFY(control(name)->isHidden());
}

void TstSetupWindow::defaultsWithoutConfigFile()
{
    makeWindow();
    m_window->show();
    QCOMPARE(m_link->settings(), SerialSettings{});
    QCOMPARE(m_link->settings().portName, u"COM1"_s);
    const QList<std::pair<QString, QString>> edits{
        {u"Edit_HttpSvr_Port"_s, u"8070"_s}, {u"Edit_HomeDir"_s, u"./KorviaFW"_s},
        {u"Edit_DL_IP1"_s, u"127"_s},        {u"Edit_DL_IP4"_s, u"1"_s},
        {u"Edit_DL_Port"_s, u"8070"_s},      {u"Edit_DL_File"_s, u"/R5200TX_v1.0.bin"_s},
        {u"Edit_DL_Tcp_IP1"_s, u"192"_s},    {u"Edit_DL_Tcp_IP3"_s, u"88"_s},
        {u"Edit_DL_Tcp_Port"_s, u"8071"_s}};
    for (const auto &[name, text] : edits)
        QCOMPARE(control<QLineEdit>(name)->text(), text);
}

void TstSetupWindow::configFileReadWhenFirstShown()
{
    QVERIFY(writeFile(u"cfg/SETUP.INI"_s, "[EnvBoard]\r\nComPort=COM3\r\nBaudRate=9600\r\nParity=Even\r\n"
                                          "[HTTPServer]\r\nPort=9000\r\n[Download_TCP]\r\nIP4=7\r\n"));
    makeWindow();
    QCOMPARE(control<QLineEdit>(u"Edit_HttpSvr_Port"_s)->text(), u"8070"_s);
    m_window->show();
    QCOMPARE(m_link->settings().portName, u"COM3"_s);
    QCOMPARE(m_link->settings().baudRate, 9600);
    QCOMPARE(m_link->settings().parity, SerialSettings::Parity::Even);
    QCOMPARE(control<QLineEdit>(u"Edit_HttpSvr_Port"_s)->text(), u"9000"_s);
    QCOMPARE(control<QLineEdit>(u"Edit_DL_Tcp_IP4"_s)->text(), u"7"_s);

    // Not read again: what changed during the run stays.
    control<QLineEdit>(u"Edit_HttpSvr_Port"_s)->setText(u"9100"_s);
    m_window->hide();
    m_window->show();
    QCOMPARE(control<QLineEdit>(u"Edit_HttpSvr_Port"_s)->text(), u"9100"_s);
}

void TstSetupWindow::enableStates_data()
{
    // Expected enabled state of Connect, Disconnect, COM Setup, Exit and the connected set.
    QTest::addColumn<QString>("state");
    QTest::addColumn<QList<bool>>("enabled");
    QTest::newRow("disconnected (start)") << u"start"_s << QList<bool>{true, false, true, true, false};
    QTest::newRow("open failed") << u"failed"_s << QList<bool>{true, false, true, false, false};
    QTest::newRow("connected") << u"connected"_s << QList<bool>{false, true, false, false, true};
    QTest::newRow("disconnected again") << u"disconnected"_s << QList<bool>{true, false, true, true, false};
}

void TstSetupWindow::enableStates()
{
    QFETCH(QString, state);
    QFETCH(QList<bool>, enabled);
    pointConfigAt(state == u"failed"_s ? m_dir->filePath(u"ttyGONE"_s) : m_pty->portName());
    makeWindow();
    m_window->show();
    if (state != u"start"_s) {
        click(u"ButtonStart"_s);
        if (state == u"failed"_s)
            QCOMPARE(m_prompter.takeTexts().size(), 1);
    }
    if (state == u"disconnected"_s)
        click(u"ButtonStop"_s);

    for (int i = 0; i < kButtons.size(); ++i)
        QVERIFY2(control(kButtons[i])->isEnabled() == enabled[i], qPrintable(kButtons[i]));
    for (const QString &name : kConnectedSet)
        QVERIFY2(control(name)->isEnabled() == enabled[4], qPrintable(name));
    QCOMPARE(control<Led>(u"ComLed1"_s)->isOn(), state == u"connected"_s);
}

void TstSetupWindow::openFailureBox_data()
{
    QTest::addColumn<QString>("port");   // "pty": the pseudo-terminal's slave side
    QTest::addColumn<QString>("holder"); // "program": another program has it open; "mode": mode 000
    QTest::addColumn<QString>("box");    // %1: the port
    QTest::newRow("no such port") << u"ttyGONE"_s << QString()
                                  << u"Port[%1]: No such file or directory\nThere is no such port: check "
                                     u"that the cable or USB adapter is "
                                     u"plugged in and choose its port in \"COM Setup\"."_s;
    QTest::newRow("in use by another program") << u"pty"_s << u"program"_s
                                               << u"Port[%1]: Permission error while locking the "
                                                  u"device\nAnother program is using the port: close it, "
                                                  u"then connect again."_s;
    QTest::newRow("no permission")
        << u"pty"_s << u"mode"_s
        << u"Port[%1]: Permission denied\nYour user may not use serial ports: add it to the 'dialout' group "
           u"(sudo usermod -aG dialout $USER), then log out and log in again."_s;
}

void TstSetupWindow::openFailureBox()
{
    QFETCH(QString, port);
    QFETCH(QString, holder);
    QFETCH(QString, box);
    const QString path = port == u"pty"_s ? m_pty->portName() : m_dir->filePath(port);
    pointConfigAt(path);
    makeWindow();
    m_window->show();
    QSerialPort other(path);
    if (holder == u"program"_s)
        QVERIFY(other.open(QIODevice::ReadWrite));
    if (holder == u"mode"_s) {
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0), 0);
        AsPlainUser user;
        click(u"ButtonStart"_s);
    } else {
        click(u"ButtonStart"_s);
    }

    QVERIFY(!m_link->isOpen());
    const auto boxes = m_prompter.takeBoxes();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].icon, r5::Prompter::Icon::Critical);
    QCOMPARE(boxes[0].text, box.arg(path));
    // The state rules stay: only the attempt is logged, and "Connect" may be tried again.
    QCOMPARE(panel().mid(1), QStringList{u"[10:20:30]  Trying Korvia R5200TX Comport Open... "_s});
    QVERIFY(control(u"ButtonStart"_s)->isEnabled());
    QVERIFY(!control(u"ButtonStop"_s)->isEnabled());
    QVERIFY(!control(u"BtnExit"_s)->isEnabled());
}

void TstSetupWindow::connectAndDisconnect()
{
    pointConfigAt(m_pty->portName());
    makeWindow();
    m_window->show();
    m_window->apPage().grid()->setItem(0, 1, new QTableWidgetItem(u"earlier AP"_s));
    connectToPty();
    QCOMPARE(panel().mid(1), (QStringList{u"[10:20:30]  Trying Korvia R5200TX Comport Open... "_s,
                                          u"[10:20:30]  Connection Success with Korvia R5200TX on Port["_s +
                                              m_pty->portName() + u']'}));
    // Connecting lays the grid out for the access point list and keeps its entries.
    QTableWidget *grid = m_window->apPage().grid();
    QCOMPARE(grid->columnCount(), 6);
    QCOMPARE(grid->horizontalHeaderItem(2)->text(), u"CH"_s);
    QCOMPARE(grid->item(0, 1)->text(), u"earlier AP"_s);

    // The lamps follow the line.
    QVERIFY(m_link->write("\x7E\x05\x41\x50\xFE"));
    QVERIFY(control<Led>(u"BCRTx1"_s)->isOn());
    QVERIFY(m_pty->write("\xFE"));
    QTRY_VERIFY(control<Led>(u"BCRRx1"_s)->isOn());

    auto *autoCheck = control<QCheckBox>(u"CB_RSSI_AutoChk"_s);
    autoCheck->setChecked(true);
    click(u"ButtonStop"_s);
    QVERIFY(!m_link->isOpen());
    QCOMPARE(panel().last(), u"[10:20:30]  Connection Close from Korvia R5200TX."_s);
    QVERIFY(!autoCheck->isChecked());
    QVERIFY(!autoCheck->isEnabled());
    QVERIFY(!control<Led>(u"ComLed1"_s)->isOn());
}

void TstSetupWindow::comSetupUnreachableWhileConnected()
{
    pointConfigAt(m_pty->portName());
    makeWindow();
    m_window->show();
    connectToPty();
    click(u"Btn_ComSetup"_s);
    m_window->Btn_ComSetupClick();
    QVERIFY(m_window->findChildren<ComSetupDialog *>().isEmpty());
}

void TstSetupWindow::comSetupTakesTypedDevicePath()
{
    makeWindow();
    m_window->show();
    click(u"Btn_ComSetup"_s);
    auto *dialog = m_window->findChild<ComSetupDialog *>();
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), u"Setup"_s);
    QVERIFY(dialog->isModal());
    auto *port = dialog->findChild<QComboBox *>(u"CB_Port"_s);
    QCOMPARE(port->currentText(), u"COM1"_s);
    port->lineEdit()->clear();
    QTest::keyClicks(port->lineEdit(), m_pty->portName());
    auto *baud = dialog->findChild<QComboBox *>(u"CB_BaudRate"_s);
    baud->setCurrentIndex(baud->findText(u"9600"_s));
    auto *parity = dialog->findChild<QComboBox *>(u"CB_Parity"_s);
    parity->setCurrentIndex(parity->findText(u"Odd"_s));
    QTest::mouseClick(dialog->findChild<QPushButton *>(u"Btn_OK"_s), Qt::LeftButton);

    QCOMPARE(m_link->settings().portName, m_pty->portName());
    QCOMPARE(m_link->settings().baudRate, 9600);
    QCOMPARE(m_link->settings().parity, SerialSettings::Parity::Odd);
    connectToPty();
    QVERIFY(panel().last().endsWith(u"on Port["_s + m_pty->portName() + u']'));
    QTRY_VERIFY(m_window->findChildren<ComSetupDialog *>().isEmpty());
}

void TstSetupWindow::lineErrorIsLogged()
{
    pointConfigAt(m_pty->portName());
    makeWindow();
    m_window->show();
    connectToPty();
    m_probe.answers = {LineErrors(LineError::RxParity)};
    QTRY_COMPARE(panel().last(), u"[10:20:30]  CPort OnError Occured!! [ceRxParity]"_s);
    QVERIFY(m_link->isOpen());
    QCOMPARE(m_window->linkState(), LinkState::Connected);

    // Reception goes on: a reply to a set-command is logged.
    QVERIFY(m_pty->write("\x7E\x05\x45\x44\xFE"));
    QTRY_COMPARE(panel().last(), u"[10:20:30]  Device acknowledged the DI settings (0x45)."_s);
}

// An adapter pulled out while connected: the far side of the pseudo-terminal closes and no
// other handle on it stays open, which is what makes the port fail every read. Twenty times
// in a row, each time under the same device name.
void TstSetupWindow::pulledAdapterIsReportedOnce()
{
    const QString name = m_dir->filePath(u"ttyR5200"_s);
    pointConfigAt(name);
    makeWindow();
    m_window->show();
    control<QCheckBox>(u"CB_Reconnect"_s)->setChecked(false); // with it on, the window waits instead
    auto *autoCheck = control<QCheckBox>(u"CB_RSSI_AutoChk"_s);
    for (int round = 0; round < 20; ++round) {
        auto adapter = std::make_unique<r5::test::SerialPair>();
        QFile::remove(name);
        QVERIFY(QFile::link(adapter->portName(), name));
        connectToPty();
        if (round == 0)
            autoCheck->setChecked(true);
        QVERIFY(adapter->write("\x7E\x05\x45\x44\xFE"));
        QTRY_COMPARE(panel().last(), u"[10:20:30]  Device acknowledged the DI settings (0x45)."_s);
        const qsizetype before = panel().size();

        adapter.reset(); // unplugged: master and the test's own slave handle both closed
        // Every other round the installer asks for the status before the window has noticed:
        // the port refuses the bytes, and the log says so rather than showing them as sent.
        const bool asked = round % 2 == 1;
        if (asked)
            m_window->Btn_CurrentStatusClick();
        QTRY_COMPARE(m_window->linkState(), LinkState::Disconnected);
        QTest::qWait(50); // time for a flood to show, were there one
        QStringList expected;
        if (asked)
            expected << u"[10:20:30]  Send Current Status Read Command to Korvia R5200TX... "_s
                     << u"[10:20:30]  TX 0x41 : [5][7E.05.41.50.FE.]"_s
                     << u"[10:20:30]  Serial Port ERROR!!"_s;
        expected << u"[10:20:30]  CPort OnError Occured!! [ceIO]"_s;
        QCOMPARE(panel().mid(before), expected);
        QVERIFY(!m_link->isOpen());
        QVERIFY(control(u"ButtonStart"_s)->isEnabled());
        QVERIFY(!control(u"ButtonStop"_s)->isEnabled());
        QVERIFY(control(u"BtnExit"_s)->isEnabled());
        for (const QString &member : kConnectedSet)
            QVERIFY2(!control(member)->isEnabled(), qPrintable(member));
        QVERIFY(!autoCheck->isChecked());
        QVERIFY(!m_window->apPage().autoQueryTimer()->isActive());
        QVERIFY(!control<Led>(u"ComLed1"_s)->isOn());
    }
    QCOMPARE(m_prompter.pending(), 0);
}

// SETUP.INI as installers leave it: the values are read whatever the line ends, and a file
// that cannot be read or saved is said so, never silently replaced by the defaults.
void TstSetupWindow::configFileFaults_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("diskFullAtClose");
    QTest::addColumn<QString>("port");        // the port the window takes from the file
    QTest::addColumn<QString>("startLine");   // logged when the file is read, if any
    QTest::addColumn<QString>("closeError");  // box and log line at close, if any
    QTest::addColumn<QByteArray>("savedHas"); // in the file after close
    const QString path = u"cfg/SETUP.INI"_s;
    const QByteArray crOnly = "; by hand\r[EnvBoard]\rComPort=COM7\rBaudRate=9600\r[Mine]\rA=1\rA=2\r";
    QTest::newRow("CR line ends") << crOnly << false << u"COM7"_s << QString() << QString()
                                  << QByteArray("; by hand\r[EnvBoard]\rComPort=COM7\rBaudRate=115200\r");
    QTest::newRow("CR LF, repeated key kept")
        << QByteArray("[EnvBoard]\r\nComPort=COM7\r\nComPort=COM8\r\n") << false << u"COM7"_s << QString()
        << QString() << QByteArray("Parity=None\r\nComPort=COM8\r\n");
    QTest::newRow("disk full at close")
        << QByteArray("[EnvBoard]\nComPort=COM7\n") << true << u"COM7"_s << QString()
        << u"SETUP.INI Save ERROR!! [cfg/SETUP.INI] "_s << QByteArray("[EnvBoard]\nComPort=COM7\n");
    const QByteArray huge = "[EnvBoard]\nComPort=COM7\n" + QByteArray(1024 * 1024, ';');
    QTest::newRow("over 1 MiB: not read, not overwritten")
        << huge << false << u"COM1"_s
        << u"SETUP.INI Read ERROR!! [cfg/SETUP.INI] larger than 1 MiB, not a settings file; left as it is; "
           u"the defaults are used."_s
        << u"SETUP.INI Save ERROR!! [cfg/SETUP.INI] larger than 1 MiB, not a settings file; left as it is; "
           u"this run's settings are not saved."_s
        << huge;
}

void TstSetupWindow::configFileFaults()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, diskFullAtClose);
    QFETCH(QString, port);
    QFETCH(QString, startLine);
    QFETCH(QString, closeError);
    QFETCH(QByteArray, savedHas);
    QVERIFY(writeFile(u"cfg/SETUP.INI"_s, file));
    makeWindow();
    m_window->show();
    QCOMPARE(m_link->settings().portName, port);
    QCOMPARE(panel().mid(1),
             startLine.isEmpty() ? QStringList() : QStringList{u"[10:20:30]  "_s + startLine});

    {
        std::optional<r5::test::FileSizeLimit> full;
        r5::ignoreFileSizeSignal();
        if (diskFullAtClose)
            full.emplace(64); // the new file cannot be written (nor the log line: said once)
        QVERIFY(m_window->close());
    }
    const QStringList boxes = m_prompter.takeTexts();
    if (closeError.isEmpty()) {
        QCOMPARE(boxes, QStringList());
    } else {
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].startsWith(closeError), qPrintable(boxes[0]));
        QVERIFY(panel().contains(u"[10:20:30]  "_s + boxes[0]));
    }
    const QByteArray saved = readFile(u"cfg/SETUP.INI"_s);
    QVERIFY2(saved.contains(savedHas), saved.left(200).constData());
    if (file.contains('\r') && !file.contains('\n'))
        QVERIFY(!saved.contains('\n'));
}

void TstSetupWindow::exitNoLeavesEverything()
{
    makeWindow();
    m_window->show();
    const QStringList before = panel();
    m_prompter.answerNo();
    click(u"BtnExit"_s);
    const auto boxes = m_prompter.takeBoxes();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].kind, r5::test::FakePrompter::Box::Question);
    QCOMPARE(boxes[0].text, u"프로그램을 종료하시겠습니까? "_s);
    QVERIFY(m_window->isVisible());
    QCOMPARE(panel(), before);
    QVERIFY(!QFile::exists(u"cfg/SETUP.INI"_s));
}

void TstSetupWindow::exitYesLogsClosesAndSaves()
{
    pointConfigAt(m_pty->portName());
    makeWindow();
    m_window->show();
    connectToPty();
    click(u"ButtonStop"_s);
    m_prompter.answerYes();
    click(u"BtnExit"_s);
    QCOMPARE(m_prompter.takeTexts(), QStringList{u"프로그램을 종료하시겠습니까? "_s});
    QVERIFY(!m_window->isVisible());
    QVERIFY(!m_link->isOpen());
    QCOMPARE(panel().last(), u"[10:20:30]  Korvia R5200TX Serial Setup Program Exit... "_s);
    QVERIFY(readFile(setuplog::filePath(kNow.date())).endsWith("Program Exit... \r\n"));
    const QByteArray saved = readFile(u"cfg/SETUP.INI"_s);
    const QByteArray head = "[EnvBoard]\r\nComPort=" + m_pty->portName().toUtf8() + "\r\nBaudRate=115200\r\n";
    QVERIFY(saved.startsWith(head));
}

void TstSetupWindow::closeBoxWhileConnectedSaves()
{
    pointConfigAt(m_pty->portName());
    makeWindow();
    m_window->show();
    control<QLineEdit>(u"Edit_DL_File"_s)->setText(u"/next.bin"_s);
    connectToPty();
    QVERIFY(!control(u"BtnExit"_s)->isEnabled());
    QVERIFY(m_window->close());
    QVERIFY(readFile(u"cfg/SETUP.INI"_s).contains("\r\nFile=/next.bin\r\n"));
    QVERIFY(readFile(u"cfg/SETUP.INI"_s).contains("\r\nBaudRate=115200\r\n"));
    m_window.reset();
    // Destroying the window closed the port: it can be opened again at once.
    QSerialPort again(m_pty->portName());
    QVERIFY2(again.open(QIODevice::ReadWrite), qPrintable(again.errorString()));
}

void TstSetupWindow::selectedTabTakesPageColour()
{
    makeWindow();
    m_window->show();
    PageTabBar *bar = m_window->pageControl().pageTabBar();
    const QColor face = bar->palette().color(QPalette::Button);
    const QList<QColor> colours{QColor(255, 255, 0), QColor(192, 220, 192), QColor(0, 255, 255)};
    for (int page = 0; page < 3; ++page) {
        m_window->pageControl().setCurrentIndex(page);
        const QImage image = bar->grab().toImage();
        for (int tab = 0; tab < 3; ++tab) {
            const QRect r = bar->tabRect(tab);
            // Left of the caption and inside the frame.
            const QColor seen = image.pixelColor(r.left() + 2, r.center().y());
            QCOMPARE(seen, tab == page ? colours[tab] : face);
        }
    }
    QCOMPARE(PageTabBar::selectedColour(3), QColor(128, 128, 0));
    QCOMPARE(PageTabBar::selectedColour(4), QColor(0, 128, 0));
    QCOMPARE(PageTabBar::selectedColour(9), QColor(0, 128, 128));
}

QTEST_MAIN(TstSetupWindow)
#include "tst_setup_window.moc"
