// The maintenance page in the window: its requests byte for byte over a pseudo-terminal with
// their log lines, every refusal with its box and focus, the side tools through the Launcher,
// the key filter of its number fields, the administrator panel and the About window.
#include "keyfilter.h"
#include "maintfixture.h"
#include "r5device/protocol/requests.h"
#include "r5setup/ui/infoform.h"
#include "r5setup/ui/jpegimage.h"
#include "r5setup/ui/maintenancepage.h"
#include "r5setup/ui/pagecontrol.h"
#include "r5setup/ui/sidetools.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTcpServer>
#include <QTcpSocket>

using namespace Qt::StringLiterals;
using namespace r5setup;
using Box = r5::test::FakePrompter::Box;

Q_DECLARE_METATYPE(r5setup::tools::Platform)

namespace {

const QStringList kHiddenPanels{u"Panel_Info_Flash"_s, u"Panel_Info_FW_Http"_s, u"Panel_Info_test"_s,
                                u"Panel_Info_FW_Tcp"_s};

// The address lookup of the tests: no name query leaves the machine.
class FixedAddress final : public LocalAddress
{
public:
    explicit FixedAddress(std::optional<QString> answer) : m_answer(std::move(answer)) {}
    std::optional<QString> lookup() const override { return m_answer; }

private:
    std::optional<QString> m_answer;
};

} // namespace

class TstMaintWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void requests_data();
    void requests();
    void noSendsNothing_data();
    void noSendsNothing();
    void refusals_data();
    void refusals();
    void portClosedAfterConfirmation();
    void sideTools_data();
    void sideTools();
    void httpServerPortRefusedStartsNothing();
    void httpServerLifetime();
    void diSimulator();
    void keyFilter();
    void spaceMovesToTheNextOctet();
    void keyFilterOnEditableComboBox();
    void adminPanel();
    void adminPanelWithSpaceKey();
    void aboutWindow();
    void logoDecodes();

private:
    void openAdmin();

    MaintFixture f;
};

void TstMaintWindow::init()
{
    f.open();
    if (QTest::currentTestFailed())
        return;
    f.window->pageControl().setCurrentIndex(2);
    f.newLines();
}

void TstMaintWindow::cleanup()
{
    f.close();
}

void TstMaintWindow::openAdmin()
{
    f.setText(u"EditViewAdminPW"_s, u"brimoxa"_s);
    f.click(u"Btn_ViewAdmin"_s);
    for (const QString &name : kHiddenPanels)
        QVERIFY(f.control(name)->isVisible());
}

void TstMaintWindow::requests_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("fields"); // name=text pairs set before the click
    QTest::addColumn<QString>("question");   // empty: no confirmation
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QStringList>("lines");

    const QString send = u"Send Command to Korvia R5200TX... "_s;
    QTest::newRow("factory reset with counters")
        << u"Btn_FactoryReset"_s << QStringList{u"CB_CntReset=1"_s}
        << u"모든 설정값이 공장출고 상태로 초기화 됩니다. 진행하시겠습니까?? "_s << hex("7E 06 46 50 59 FE")
        << QStringList{send, u"TX 0x46 : [6][7E.06.46.50.59.FE.]"_s};
    QTest::newRow("factory reset, settings only")
        << u"Btn_FactoryReset"_s << QStringList{}
        << u"모든 설정값이 공장출고 상태로 초기화 됩니다. 진행하시겠습니까?? "_s << hex("7E 06 46 50 4E FE")
        << QStringList{send, u"TX 0x46 : [6][7E.06.46.50.4E.FE.]"_s};
    QTest::newRow("reboot") << u"Btn_SystemReboot"_s << QStringList{}
                            << u"System Reboot을 진행하시겠습니까?? "_s << hex("7E 05 47 50 FE")
                            << QStringList{send, u"TX 0x47 : [5][7E.05.47.50.FE.] : System reboot Command"_s};
    QTest::newRow("flash save 30, 5")
        << u"Btn_FlashSaveInt"_s << QStringList{u"Edit_FlashSaveInt=30"_s, u"Edit_FlashSaveDelay=5"_s}
        << QString() << hex("7E 08 53 50 00 1E 05 FE")
        << QStringList{u"[001E]"_s, u"TX 0x53 : [8][7E.08.53.50.00.1E.05.FE.]"_s};
    QTest::newRow("flash save 65535, 255 typed")
        << u"Btn_FlashSaveInt"_s << QStringList{u"Edit_FlashSaveInt=65535"_s, u"Edit_FlashSaveDelay=255"_s}
        << QString() << hex("7E 08 53 50 FF FF FF FE")
        << QStringList{u"[FFFF]"_s, u"TX 0x53 : [8][7E.08.53.50.FF.FF.FF.FE.]"_s};
    QTest::newRow("flash erase")
        << u"Btn_FlashErase"_s << QStringList{}
        << u"모든 Flash Memory 영역이 삭제되어 Device를 사용할수 없게됩니다. 계속하시겠습니까? "_s
        << hex("7E 05 58 50 FE") << QStringList{send, u"TX 0x58 : [5][7E.05.58.50.FE.]"_s};

    const QByteArray name = "/R5200TX_v1.0.bin";
    const QByteArray padded = QByteArray(15, ' ') + name;
    const QByteArray download = hex("7E 2B 55 50 7F 0A 00 0A 1F 86") + padded + hex("FE");
    QString dump;
    for (const char c : download)
        dump += u"%1."_s.arg(uint(std::uint8_t(c)), 2, 16, QChar(u'0')).toUpper();
    QTest::newRow("firmware download")
        << u"Btn_FW_DL"_s
        << QStringList{u"Edit_DL_IP1=127"_s, u"Edit_DL_IP2=10"_s,    u"Edit_DL_IP3=0"_s,
                       u"Edit_DL_IP4=10"_s,  u"Edit_DL_Port=8070"_s, u"Edit_DL_File=/R5200TX_v1.0.bin"_s}
        << QString() << download
        << QStringList{u"tmpFileName : [32]["_s + QString::fromLatin1(padded) + u']',
                       u"TX 0x55 : [43]["_s + dump + u']',
                       u"Firmware download from http://127.10.0.10:8070/R5200TX_v1.0.bin cannot be followed "
                       u"from here: the HTTP Server is not running here"_s};
    QTest::newRow("firmware download, port 0")
        << u"Btn_FW_DL"_s << QStringList{u"Edit_DL_Port=0"_s, u"Edit_DL_File=/fw.bin"_s} << QString()
        << hex("7E 2B 55 50 7F 00 00 01 00 00") + QByteArray(25, ' ') + "/fw.bin" + hex("FE")
        << QStringList();
    QTest::newRow("JSON Test") << u"Btn_SockClose"_s << QStringList{} << QString() << hex("7E 05 41 50 FE")
                               << QStringList{u"Send Current Status Read Command to Korvia R5200TX... "_s,
                                              u"TX 0x41 : [5][7E.05.41.50.FE.]"_s};
    QTest::newRow("Get DNS Test") << u"Btn_DnsTest"_s << QStringList{} << QString() << hex("7E 05 41 50 FE")
                                  << QStringList{u"Send Current Status Read Command to Korvia R5200TX... "_s,
                                                 u"TX 0x41 : [5][7E.05.41.50.FE.]"_s};
}

void TstMaintWindow::requests()
{
    QFETCH(QString, button);
    QFETCH(QStringList, fields);
    QFETCH(QString, question);
    QFETCH(QByteArray, frame);
    QFETCH(QStringList, lines);
    openAdmin();
    for (const QString &pair : fields) {
        const QString name = pair.section(u'=', 0, 0);
        const QString value = pair.section(u'=', 1);
        if (auto *box = f.window->findChild<QCheckBox *>(name))
            box->setChecked(value == u"1"_s);
        else if (auto *combo = f.window->findChild<QComboBox *>(name))
            combo->setCurrentText(value);
        else
            f.setText(name, value);
    }
    if (!question.isEmpty())
        f.prompter.answerYes();
    f.newLines();
    f.click(button);

    QCOMPARE(f.pty->readAtLeast(int(frame.size())).toHex(' '), frame.toHex(' '));
    const QList<Box> boxes = f.prompter.takeBoxes();
    if (question.isEmpty()) {
        QCOMPARE(boxes.size(), 0);
    } else {
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(int(boxes[0].kind), int(Box::Question));
        QCOMPARE(boxes[0].text, question);
    }
    if (!lines.isEmpty())
        QCOMPARE(f.newLines(), stamped(lines));
}

void TstMaintWindow::noSendsNothing_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("factory reset") << u"Btn_FactoryReset"_s;
    QTest::newRow("reboot") << u"Btn_SystemReboot"_s;
    QTest::newRow("flash erase") << u"Btn_FlashErase"_s;
}

void TstMaintWindow::noSendsNothing()
{
    QFETCH(QString, button);
    openAdmin();
    f.prompter.answerNo();
    f.click(button);
    QCOMPARE(f.prompter.takeBoxes().size(), 1);
    QCOMPARE(f.newLines(), QStringList());
    f.nothingSent();
}

void TstMaintWindow::refusals_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("toolkitError");
    QTest::addColumn<QString>("focus"); // empty: the focus stays on the button

    const QString word = u"1 ~ 65535 정수만 가능합니다."_s;
    const QString octet = u"0 ~ 255 정수만 입력 가능합니다."_s;
    QTest::newRow("interval empty") << u"Btn_FlashSaveInt"_s << QStringList{u"Edit_FlashSaveInt="_s} << word
                                    << false << QString();
    QTest::newRow("interval with a space") << u"Btn_FlashSaveInt"_s << QStringList{u"Edit_FlashSaveInt=3 0"_s}
                                           << u"'3 0' is not a valid integer value"_s << true << QString();
    QTest::newRow("delay 256") << u"Btn_FlashSaveInt"_s << QStringList{u"Edit_FlashSaveDelay=256"_s} << octet
                               << false << u"Edit_FlashSaveDelay"_s;
    QTest::newRow("address octet empty") << u"Btn_FW_DL"_s << QStringList{u"Edit_DL_IP2="_s}
                                         << u"'' is not a valid integer value"_s << true << QString();
    QTest::newRow("download port 99999")
        << u"Btn_FW_DL"_s << QStringList{u"Edit_DL_Port=99999"_s} << word << false << QString();
    QTest::newRow("one-character file") << u"Btn_FW_DL"_s << QStringList{u"Edit_DL_File=/"_s}
                                        << u"Filename를 확인하세요."_s << false << u"Edit_DL_File"_s;
}

void TstMaintWindow::refusals()
{
    QFETCH(QString, button);
    QFETCH(QStringList, fields);
    QFETCH(QString, message);
    QFETCH(bool, toolkitError);
    QFETCH(QString, focus);
    openAdmin();
    for (const QString &pair : fields) {
        const QString name = pair.section(u'=', 0, 0);
        if (auto *combo = f.window->findChild<QComboBox *>(name))
            combo->setCurrentText(pair.section(u'=', 1));
        else
            f.setText(name, pair.section(u'=', 1));
    }
    f.newLines();
    f.click(button);
    const QList<Box> boxes = f.prompter.takeBoxes();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, message);
    QCOMPARE(boxes[0].icon, toolkitError ? r5::Prompter::Icon::Critical : r5::Prompter::Icon::None);
    QCOMPARE(QApplication::focusWidget(), f.control(focus.isEmpty() ? button : focus));
    QCOMPARE(f.newLines(), QStringList());
    f.nothingSent();
}

void TstMaintWindow::portClosedAfterConfirmation()
{
    f.click(u"ButtonStop"_s);
    f.newLines();
    // The button is disabled now; the handler itself still asks first and only then finds the
    // port closed.
    f.prompter.answerYes();
    f.window->maintenancePage().Btn_SystemRebootClick();
    QCOMPARE(f.prompter.takeTexts(), (QStringList{u"System Reboot을 진행하시겠습니까?? "_s,
                                                  u"단말기의 Serial Port 상태를 확인하십시오."_s}));
    QCOMPARE(f.newLines(), stamped({u"Send Command to Korvia R5200TX... "_s,
                                    u"단말기의 Serial Port 상태를 확인하십시오."_s}));
}

void TstMaintWindow::sideTools_data()
{
    QTest::addColumn<tools::Platform>("platform");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("onPath");
    QTest::addColumn<bool>("sockets");       // false: the network layer is unavailable
    QTest::addColumn<QStringList>("fields"); // Edit_IP1 and Edit_HttpSvr_Port as typed or pasted
    QTest::addColumn<QStringList>("start");  // program, then arguments; last: working folder
    QTest::addColumn<QString>("url");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("box");

    const QStringList linuxPath{u"x-terminal-emulator"_s, u"python3"_s};
    const QStringList typed{u"127"_s, u"8070"_s};
    const QString noTerminal =
        u"터미널 프로그램을 찾을 수 없습니다. (x-terminal-emulator, gnome-terminal, konsole, xfce4-terminal, xterm)"_s;
    const QString noTerminalLine =
        u"No terminal program found (looked for x-terminal-emulator, gnome-terminal, konsole, xfce4-terminal, xterm)"_s;
    QTest::newRow("connection test, sockets unavailable")
        << tools::Platform::Windows << u"Btn_TestHttpServer"_s << QStringList() << false << typed
        << QStringList() << u"http://127.0.0.1:8070"_s << QStringList() << QString();
    QTest::newRow("ping, Windows") << tools::Platform::Windows << u"Btn_ping"_s << QStringList() << true
                                   << typed << QStringList{u"cmd.exe"_s,   u"/C"_s, u"ping"_s,
                                                           u"127.0.0.7"_s, u"-t"_s, u"C:\\"_s}
                                   << QString() << QStringList{u"Starting ping test to [127.0.0.7]"_s}
                                   << QString();
    QTest::newRow("ping, Windows, a command pasted into an octet")
        << tools::Platform::Windows << u"Btn_ping"_s << QStringList() << true
        << QStringList{u"1&calc"_s, u"8070"_s} << QStringList() << QString() << QStringList()
        << u"0 ~ 255 정수만 입력 가능합니다."_s;
    QTest::newRow("ping, Linux")
        << tools::Platform::Linux << u"Btn_ping"_s << linuxPath << true << typed
        << QStringList{u"/usr/bin/x-terminal-emulator"_s, u"-e"_s, u"ping"_s, u"--"_s, u"127.0.0.7"_s, u"/"_s}
        << QString() << QStringList{u"Starting ping test to [127.0.0.7]"_s} << QString();
    QTest::newRow("ping, Linux, no terminal")
        << tools::Platform::Linux << u"Btn_ping"_s << QStringList{u"python3"_s} << true << typed
        << QStringList() << QString() << QStringList{noTerminalLine} << noTerminal;
}

void TstMaintWindow::sideTools()
{
    QFETCH(tools::Platform, platform);
    QFETCH(QString, button);
    QFETCH(QStringList, onPath);
    QFETCH(bool, sockets);
    QFETCH(QStringList, fields);
    QFETCH(QStringList, start);
    QFETCH(QString, url);
    QFETCH(QStringList, lines);
    QFETCH(QString, box);

    auto *side = f.window->findChild<SideTools *>();
    QVERIFY(side);
    side->setPlatform(platform);
    side->setAddressLookup(
        std::make_unique<FixedAddress>(sockets ? std::optional<QString>(u"127.0.0.5"_s) : std::nullopt));
    for (const QString &name : onPath)
        f.launcher.executables.insert(name, u"/usr/bin/"_s + name);
    const QStringList wan{fields[0], u"0"_s, u"0"_s, u"7"_s};
    for (int i = 0; i < 4; ++i)
        f.setText(u"Edit_IP"_s + QString::number(i + 1), wan[i]);
    f.setText(u"Edit_HttpSvr_Port"_s, fields[1]);
    if (button == u"Btn_ping"_s)
        f.window->pageControl().setCurrentIndex(0);
    f.newLines();
    f.click(button);

    if (start.isEmpty()) {
        QCOMPARE(f.launcher.starts.size(), 0);
    } else {
        QCOMPARE(f.launcher.starts.size(), 1);
        const auto &s = f.launcher.starts[0];
        QCOMPARE(s.program, start.first());
        QCOMPARE(s.arguments, start.mid(1, start.size() - 2));
        QCOMPARE(s.workingDir, start.last());
    }
    QCOMPARE(f.launcher.urls, url.isEmpty() ? QList<QUrl>() : QList<QUrl>{QUrl(url)});
    for (QString &line : lines)
        line.replace(u"<cwd>"_s, QDir::currentPath());
    QCOMPARE(f.newLines(), stamped(lines));
    QCOMPARE(f.prompter.takeTexts(), box.isEmpty() ? QStringList() : QStringList{box});
}

void TstMaintWindow::httpServerPortRefusedStartsNothing()
{
    const QString message = u"HTTP Server Port는 1 ~ 65535 정수만 가능합니다. [Default Port : 8070]"_s;
    for (const QString &port : {QString(), u"65536"_s, u"0"_s}) {
        f.setText(u"Edit_HttpSvr_Port"_s, port);
        f.click(u"Btn_StartSvr"_s);
        QCOMPARE(f.prompter.takeTexts(), QStringList{message});
    }
    QCOMPARE(f.launcher.starts.size(), 0);
    QCOMPARE(f.newLines(), QStringList());
}

void TstMaintWindow::httpServerLifetime()
{
    const auto portFree = [](quint16 port) {
        QTcpServer probe;
        return probe.listen(QHostAddress::AnyIPv4, port);
    };
    quint16 port = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    f.window->pageControl().setCurrentIndex(2);
    f.setText(u"Edit_HttpSvr_Port"_s, QString::number(port));
    QVERIFY(QDir().mkdir(u"KorviaFW"_s));
    f.newLines();

    // Folders that would serve nothing or too much: a box that names each, nothing listens.
    const QList<std::pair<QString, QString>> refused{
        {QString(), u"Home Dir is empty"_s},
        {u"./missing"_s, f.path(u"missing"_s) + u"] does not exist"_s},
        {QDir::rootPath(), u"is the root of a disk"_s}};
    for (const auto &[folder, named] : refused) {
        f.setText(u"Edit_HomeDir"_s, folder);
        f.click(u"Btn_StartSvr"_s);
        const QStringList boxes = f.prompter.takeTexts();
        QVERIFY2(boxes.size() == 1 && boxes[0].contains(QDir::toNativeSeparators(named)),
                 qPrintable(boxes.join(u'|')));
        QVERIFY(portFree(port));
    }
    f.setText(u"Edit_HomeDir"_s, u"./KorviaFW"_s);
    {
        // The port taken by another program: the box names it and the reason.
        QTcpServer other;
        QVERIFY(other.listen(QHostAddress::AnyIPv4, port));
        f.click(u"Btn_StartSvr"_s);
        const QStringList boxes = f.prompter.takeTexts();
        QVERIFY2(boxes.size() == 1 && boxes[0].contains(u"port %1 cannot be used ("_s.arg(port)),
                 qPrintable(boxes.join(u'|')));
    }
    f.newLines();
    f.click(u"Btn_StartSvr"_s);
    QCOMPARE(f.newLines().size(), 2); // "Starting HTTP Server on[...]" and where it listens
    QVERIFY(!portFree(port));
    // Pressed again while it runs: nothing new, and the log says so.
    f.click(u"Btn_StartSvr"_s);
    const QStringList again = f.newLines();
    QVERIFY2(again.size() == 1 && again[0].contains(u"already running at port %1"_s.arg(port)),
             qPrintable(again.join(u'|')));
    QCOMPARE(f.prompter.takeTexts(), QStringList());

    // A peer still connected does not keep the port once devsetup has ended.
    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, port);
    QTRY_COMPARE(peer.state(), QAbstractSocket::ConnectedState);
    f.window.reset();
    QVERIFY(portFree(port));
}

void TstMaintWindow::diSimulator()
{
    auto *side = f.window->findChild<SideTools *>();
    side->setPlatform(tools::Platform::Linux);
    QVERIFY(QDir().mkdir(u"bin"_s));
    side->setProgramFolder(f.path(u"bin"_s));
    const auto touch = [](const QString &path) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly);
    };

    f.click(u"ButtonStop"_s); // always enabled
    f.newLines();
    // Nowhere: the start is tried in the working folder and fails without a word.
    f.launcher.succeed = false;
    f.click(u"Btn_simulator"_s);
    // Beside devsetup only (a desktop launch).
    QVERIFY(touch(f.path(u"bin/Simulator_3810"_s)));
    f.click(u"Btn_simulator"_s);
    // In the working folder too: that one wins.
    QVERIFY(touch(f.path(u"Simulator_3810"_s)));
    f.click(u"Btn_simulator"_s);

    const QString here = QDir::currentPath();
    QCOMPARE(f.launcher.starts.size(), 3);
    QCOMPARE(f.launcher.starts[0].program, QDir(here).filePath(u"Simulator_3810"_s));
    QCOMPARE(f.launcher.starts[1].program, f.path(u"bin/Simulator_3810"_s));
    QCOMPARE(f.launcher.starts[1].workingDir, f.path(u"bin"_s));
    QCOMPARE(f.launcher.starts[2].program, QDir(here).filePath(u"Simulator_3810"_s));
    QCOMPARE(f.launcher.starts[2].workingDir, here);
    for (const auto &start : std::as_const(f.launcher.starts))
        QCOMPARE(start.arguments, QStringList());
    QVERIFY(f.control(u"Btn_simulator"_s)->isEnabled());
    QCOMPARE(f.newLines(), QStringList());
}

void TstMaintWindow::keyFilter()
{
    openAdmin();
    const QString digitsOnly = u"숫자만 입력 가능합니다"_s;
    for (const QString &name : {u"Edit_DL_IP1"_s, u"Edit_DL_Tcp_IP4"_s, u"Edit_DL_Port"_s,
                                u"Edit_DL_Tcp_Port"_s, u"Edit_HttpSvr_Port"_s, u"Edit_FlashSaveInt"_s}) {
        auto *edit = f.control<QLineEdit>(name);
        edit->clear();
        edit->setFocus();
        QTest::keyClicks(edit, u"1a"_s);
        QCOMPARE(edit->text(), u"1"_s);
        QCOMPARE(f.prompter.takeTexts(), QStringList{digitsOnly});
        QTest::keyClicks(edit, u"-"_s);
        QCOMPARE(edit->text(), u"1"_s);
        QCOMPARE(f.prompter.takeTexts(), QStringList{digitsOnly});
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString());
    }
    // The port fields take 5 digits, so 99999 is typed and refused by the command.
    auto *port = f.control<QLineEdit>(u"Edit_DL_Port"_s);
    QTest::keyClicks(port, u"999999"_s);
    QCOMPARE(port->text(), u"99999"_s);
    // A space passes the filter of a port field and fails when the command reads it.
    f.setText(u"Edit_DL_IP1"_s, u"127"_s);
    port->setText(u"807"_s);
    QTest::keyClick(port, Qt::Key_Space);
    QCOMPARE(port->text(), u"807 "_s);
    f.click(u"Btn_FW_DL"_s);
    QCOMPARE(f.prompter.takeTexts(), QStringList{u"'807 ' is not a valid integer value"_s});
    // The flash delay has no filter.
    auto *delay = f.control<QComboBox>(u"Edit_FlashSaveDelay"_s);
    delay->setFocus();
    delay->lineEdit()->clear();
    QTest::keyClicks(delay, u"5x"_s);
    QCOMPARE(delay->currentText(), u"5x"_s);
    QCOMPARE(f.prompter.pending(), 0);
    f.nothingSent();
}

void TstMaintWindow::spaceMovesToTheNextOctet()
{
    openAdmin();
    auto *first = f.control<QLineEdit>(u"Edit_DL_IP1"_s);
    first->setText(u"10"_s);
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Space);
    QCOMPARE(QApplication::focusWidget(), f.control(u"Edit_DL_IP2"_s));
    QCOMPARE(first->text(), u"10"_s);
    QCOMPARE(f.control<QLineEdit>(u"Edit_DL_IP2"_s)->text(), u"0"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(QApplication::focusWidget(), f.control(u"Edit_DL_IP3"_s));
    auto *tcp = f.control<QLineEdit>(u"Edit_DL_Tcp_IP3"_s);
    tcp->setFocus();
    QTest::keyClick(tcp, Qt::Key_Space);
    QCOMPARE(QApplication::focusWidget(), f.control(u"Edit_DL_Tcp_IP4"_s));
    QCOMPARE(f.prompter.pending(), 0);
}

void TstMaintWindow::keyFilterOnEditableComboBox()
{
    // The filter also serves the editable combo boxes of the other pages.
    QWidget form;
    auto *combo = new QComboBox(&form);
    combo->setEditable(true);
    auto *next = new QLineEdit(&form);
    KeyFilter keys(f.prompter, &form);
    keys.attach(combo);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    combo->setFocus();
    QTest::keyClicks(combo, u"2x5"_s);
    QCOMPARE(combo->currentText(), u"25"_s);
    QCOMPARE(f.prompter.takeTexts(), QStringList{u"숫자만 입력 가능합니다"_s});
    // Without the octet switch, Space is typed.
    QTest::keyClick(combo, Qt::Key_Space);
    QCOMPARE(combo->currentText(), u"25 "_s);
    QCOMPARE(QApplication::focusWidget(), combo);
    QVERIFY(!next->hasFocus());
}

void TstMaintWindow::adminPanel()
{
    auto *password = f.control<QLineEdit>(u"EditViewAdminPW"_s);
    QCOMPARE(password->text(), u"8642"_s);
    QCOMPARE(password->echoMode(), QLineEdit::Password);
    QCOMPARE(password->maxLength(), 32);
    const auto panelsShown = [this] {
        int shown = 0;
        for (const QString &name : kHiddenPanels)
            shown += f.control(name)->isVisible() ? 1 : 0;
        return shown;
    };
    QCOMPARE(panelsShown(), 0);

    // The start text is not the password: emptied, focus back in the edit.
    f.click(u"Btn_ViewAdmin"_s);
    QCOMPARE(panelsShown(), 0);
    QCOMPARE(password->text(), QString());
    QCOMPARE(QApplication::focusWidget(), password);

    // Enter in the edit.
    QTest::keyClicks(password, u"brimoxa"_s);
    QTest::keyClick(password, Qt::Key_Return);
    QCOMPARE(panelsShown(), 4);
    QCOMPARE(password->text(), QString());
    // Shown, and enabled only because the port is open.
    QVERIFY(f.control(u"Panel_Info_Flash"_s)->isEnabled());

    // Upper case is another word: nothing changes but the edit.
    QTest::keyClicks(password, u"BRIMOXA"_s);
    f.click(u"Btn_ViewAdmin"_s);
    QCOMPARE(panelsShown(), 4);
    QCOMPARE(password->text(), QString());

    // An empty click hides them.
    f.click(u"Btn_ViewAdmin"_s);
    QCOMPARE(panelsShown(), 0);

    // By click.
    QTest::keyClicks(password, u"brimoxa"_s);
    f.click(u"Btn_ViewAdmin"_s);
    QCOMPARE(panelsShown(), 4);
    QCOMPARE(password->text(), QString());

    // Disconnected, they stay shown but the flash and firmware panels are disabled.
    f.click(u"ButtonStop"_s);
    QCOMPARE(panelsShown(), 4);
    QVERIFY(!f.control(u"Panel_Info_Flash"_s)->isEnabled());
    QVERIFY(!f.control(u"Panel_Info_FW_Http"_s)->isEnabled());
    QCOMPARE(f.prompter.pending(), 0);
}

void TstMaintWindow::adminPanelWithSpaceKey()
{
    auto *password = f.control<QLineEdit>(u"EditViewAdminPW"_s);
    password->clear();
    password->setFocus();
    QTest::keyClicks(password, u"brimoxa"_s);
    QTest::keyClick(password, Qt::Key_Space);
    QVERIFY(f.control(u"Panel_Info_FW_Tcp"_s)->isVisible());
    QCOMPARE(password->text(), QString()); // the space is not typed into the emptied edit
    QTest::keyClick(password, Qt::Key_Enter);
    QVERIFY(!f.control(u"Panel_Info_FW_Tcp"_s)->isVisible());
}

void TstMaintWindow::aboutWindow()
{
    QVERIFY(!f.window->findChild<InfoForm *>());
    f.click(u"Btn_SWInfo"_s);
    auto *info = f.window->findChild<InfoForm *>();
    QVERIFY(info);
    QCOMPARE(info->objectName(), u"Form_Info"_s);
    QVERIFY(info->isVisible());
    QCOMPARE(info->windowModality(), Qt::ApplicationModal);
    QCOMPARE(info->windowTitle(), u"프로그램 정보"_s);
    QCOMPARE(info->size(), QSize(498, 150));
    QVERIFY(!(info->windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!(info->windowFlags() & Qt::WindowSystemMenuHint));
    auto *version = info->findChild<QLabel *>(u"Lb_VersionInfo"_s);
    QCOMPARE(version->text(), u"v1.1"_s);
    QVERIFY(version->font().bold());
    auto *text = info->findChild<QLabel *>(u"LbInfo"_s);
    QCOMPARE(text->text().split(u'\n').size(), 2);
    QCOMPARE(text->text().split(u'\n').first(), u"Korvia R5200TX Serial Setup Program "_s);
    QVERIFY(text->alignment() & Qt::AlignHCenter);
    auto *logo = info->findChild<QLabel *>(u"ImgLogo"_s);
    QCOMPARE(logo->pixmap().size(), QSize(160, 96));
    auto *ok = info->findChild<QPushButton *>(u"Btn_OK"_s);
    QCOMPARE(ok->text(), u" 확인 "_s);
    QCOMPARE(ok->toolTip(), u"창닫기"_s);

    // The logo and the text open the maker's page; nothing else is started.
    QTest::mouseClick(logo, Qt::LeftButton);
    QTest::mouseClick(text, Qt::LeftButton);
    QCOMPARE(f.launcher.urls, (QList<QUrl>{InfoForm::makerPage(), InfoForm::makerPage()}));
    QCOMPARE(f.launcher.starts.size(), 0);

    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(!info->isVisible());
    // Made once: the second "S/W Info" shows the same window.
    f.click(u"Btn_SWInfo"_s);
    QCOMPARE(f.window->findChildren<InfoForm *>().size(), 1);
    QVERIFY(info->isVisible());
    QTest::mouseClick(ok, Qt::LeftButton);
}

void TstMaintWindow::logoDecodes()
{
    const QImage logo = makerLogo();
    QCOMPARE(logo.size(), QSize(160, 96));
    // Really decoded: white round the badge, blue inside it.
    const QColor corner = logo.pixelColor(0, 0);
    QVERIFY2(corner.red() > 240 && corner.green() > 240 && corner.blue() > 240, qPrintable(corner.name()));
    const QColor inside = logo.pixelColor(20, 80);
    QVERIFY2(inside.blue() > inside.red() + 60, qPrintable(inside.name()));

    QVERIFY(decodeJpeg({}).isNull());
    QVERIFY(decodeJpeg("not a picture at all").isNull());
    QFile file(u":/r5setup/logo.jpg"_s);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(decodeJpeg(bytes.first(20)).isNull()); // the header alone
}

QTEST_MAIN(TstMaintWindow)
#include "tst_maint_window.moc"
