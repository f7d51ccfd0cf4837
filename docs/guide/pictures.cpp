// Draws the guide's pictures from the programs' own windows: offscreen, with the suite's fonts,
// the virtual device behind them on a pseudo-terminal and 127.0.0.1. One window per run, set up
// as its program's main() sets it up; per-user settings and working folders in a temporary
// folder. Any window that cannot be drawn, or a box it shows, ends the run with an error.
//
// Usage: r5_guide_pictures KIND OUT.png, KIND one of those kKinds lists.
#include "r5/clock.h"
#include "r5/launcher.h"
#include "r5/prompter.h"
#include "r5/suitefonts.h"
#include "r5device/maintenancerules.h"
#include "r5device/protocol/requests.h"
#include "r5device/seriallinkfactory.h"
#include "r5device/settingsrules.h"
#include "r5device/tcp/hostresolver.h"
#include "r5device/tcp/icmpecho.h"
#include "r5setup/shelltexts.h"
#include "r5setup/ui/appage.h"
#include "r5setup/ui/defaultpage.h"
#include "r5setup/ui/mainwindow.h"
#include "r5setup/ui/pagecontrol.h"
#include "r5site/sitelist.h"
#include "sim/frmsimulator.h"
#include "ui/frmsim3810.h"
#include "ui/frmsite.h"
#include "virt/tcpprotocol.h"
#include "virt/tcpside.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const char kKinds[] = "devsetup devsetup-status comsetup devsetup-verified access-point maintenance-admin "
                      "simulator_3810 simulator site";

// The virtual device program while it runs: a failed picture must not leave it behind, holding
// the build's output pipe open (the build would wait for it for good).
QProcess *g_device = nullptr;

[[noreturn]] void fail(const QString &why)
{
    std::fprintf(stderr, "r5_guide_pictures: %s\n", qPrintable(why));
    if (g_device) {
        g_device->kill();
        g_device->waitForFinished(5000);
    }
    std::exit(1);
}

// A box means the window is not in the state the picture shows. The questions a picture's steps
// ask on purpose (a save's, the access point queries') are answered Yes; any other fails it.
class FailingPrompter final : public r5::Prompter
{
public:
    QStringList expectedQuestions;

    void message(QWidget *, Icon, const QString &, const QString &text) override { fail(u"box: "_s + text); }
    bool askYesNo(QWidget *, const QString &, const QString &text, Icon) override
    {
        if (!expectedQuestions.contains(text))
            fail(u"question: "_s + text);
        return true;
    }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &, bool) override
    {
        fail(u"save dialog"_s);
    }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        fail(u"open dialog"_s);
    }
};

// Nothing is started and no page is opened while a picture is made.
class NoLauncher final : public r5::Launcher
{
public:
    bool startDetached(const QString &, const QStringList &, const QString &) override { return false; }
    bool startDetachedToFile(const QString &, const QStringList &, const QString &, const QString &) override
    {
        return false;
    }
    bool openUrl(const QUrl &) override { return false; }
    QString findExecutable(const QString &) const override { return {}; }
};

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until `done` holds; a window that never gets there fails the picture.
void waitFor(const std::function<bool()> &done, const QString &what, int ms = 15000)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            fail(u"timed out waiting for "_s + what);
        runFor(50);
    }
}

template <typename T = QWidget> T *child(const QWidget &window, const QString &name)
{
    T *w = window.findChild<T *>(name);
    if (!w)
        fail(u"no control "_s + name + u" in "_s + window.objectName());
    return w;
}

void click(const QWidget &window, const QString &name)
{
    child<QAbstractButton>(window, name)->click();
}

// The window as the screen shows it, written as a small PNG: a palette of at most 256 colours
// where the picture has no more (a window mostly has), compressed hardest.
void save(QWidget &window, const QString &out)
{
    runFor(300); // pending layouts and paints
    QWidget *top = window.window();
    if (!top->isVisible() || top->width() < 50 || top->height() < 50)
        fail(u"window "_s + top->objectName() + u" is not shown"_s);
    QImage image = top->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
        fail(u"window "_s + top->objectName() + u" could not be drawn"_s);
    QList<QRgb> colours;
    const QRgb first = image.pixel(0, 0);
    bool plain = true;
    for (int y = 0; y < image.height() && colours.size() <= 256; ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            plain = plain && p == first;
            if (!colours.contains(p) && (colours.append(p), colours.size() > 256))
                break;
        }
    if (plain)
        fail(u"window "_s + top->objectName() + u" was drawn as one colour"_s);
    if (colours.size() <= 256)
        image = image.convertToFormat(QImage::Format_Indexed8, colours, Qt::ThresholdDither);
    QImageWriter writer(out, "png");
    writer.setQuality(0); // smallest file; the picture is the same
    if (!writer.write(image))
        fail(out + u": "_s + writer.errorString());
    std::printf("%s: %dx%d, %s\n", qPrintable(QDir::toNativeSeparators(out)), image.width(), image.height(),
                colours.size() <= 256 ? qPrintable(QString::number(colours.size()) + u" colours"_s)
                                      : "true colour");
}

// The virtual device program beside this one, on a pseudo-terminal; its TCP side on a port of the
// system's choosing on 127.0.0.1.
class VirtualDevice
{
public:
    explicit VirtualDevice(const QString &stateFile)
    {
        m_process.setProgram(QCoreApplication::applicationDirPath() + u"/r5200tx-virtual"_s);
        m_process.setArguments({u"--state"_s, stateFile, u"--tcp-port"_s, u"0"_s, u"--rssi-drift"_s, u"0"_s});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        if (!m_process.waitForStarted())
            fail(u"the virtual device did not start: "_s + m_process.errorString());
        g_device = &m_process;
    }
    ~VirtualDevice()
    {
        g_device = nullptr;
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }
    QString port()
    {
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired()) {
            while (m_process.canReadLine()) {
                const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
                if (line.startsWith(u"Serial port: "_s))
                    return line.mid(13);
            }
            m_process.waitForReadyRead(int(deadline.remainingTime()));
        }
        fail(u"the virtual device named no serial port"_s);
    }

private:
    QProcess m_process;
};

enum class SetupView { Start, Status, ComSetup, AccessPoint, Maintenance, Verified };

void writeSetupIni(const QString &port)
{
    QFile ini(u"cfg/SETUP.INI"_s);
    if (!ini.open(QIODevice::WriteOnly) || ini.write("[EnvBoard]\r\nComPort=" + port.toUtf8() + "\r\n") < 0)
        fail(u"cannot write cfg/SETUP.INI"_s);
}

QString logText(const r5setup::MainWindow &window)
{
    return window.memo().toPlainText();
}

int devsetup(const QString &out, SetupView view)
{
    // As devsetup's main() sets up its window.
    QApplication::setApplicationName(u"devsetup"_s);
    QApplication::setApplicationDisplayName(r5setup::text::appTitle());
    QApplication::setFont(r5::suiteFont(r5::FontRole::Korean, 9));
    QDir().mkpath(u"cfg"_s);
    QDir().mkpath(u"Log"_s);
    std::unique_ptr<VirtualDevice> device;
    if (view == SetupView::ComSetup) {
        // The dialog alone, as it opens for a USB adapter on Linux; nothing is opened.
        writeSetupIni(u"/dev/ttyUSB0"_s);
    } else {
        device = std::make_unique<VirtualDevice>(QDir::current().filePath(u"device.json"_s));
        writeSetupIni(device->port());
    }

    FailingPrompter prompter;
    NoLauncher launcher;
    r5setup::Services services{prompter, r5::SystemClock::instance(), launcher};
    r5setup::MainWindow window(services, r5setup::makeSerialLink());
    window.show();
    if (view == SetupView::ComSetup) {
        click(window, u"Btn_ComSetup"_s);
        QDialog *dialog = nullptr;
        waitFor(
            [&] {
                return (dialog = window.findChild<QDialog *>(u"ComSetupDialog"_s)) && dialog->isVisible();
            },
            u"the COM Setup dialog"_s);
        save(*dialog, out);
        return 0;
    }
    if (view != SetupView::Start) {
        click(window, u"ButtonStart"_s);
        waitFor([&] { return window.link().isOpen(); }, u"the port to open"_s);
        click(window, u"Btn_CurrentStatus"_s);
        waitFor([&] { return window.statusQueried(); }, u"the device's status"_s);
    }
    switch (view) {
    case SetupView::AccessPoint: {
        window.pageControl().setCurrentIndex(1);
        prompter.expectedQuestions = {r5::protocol::texts::networkDelayNotice()};
        click(window, u"Btn_Search_AP"_s);
        waitFor(
            [&] {
                const QTableWidgetItem *first = window.apPage().grid()->item(0, 1);
                return first && !first->text().isEmpty();
            },
            u"the access point list"_s);
        click(window, u"Btn_Get_CurrentAP"_s);
        waitFor([&] { return window.apPage().ssidEdit()->text() != u"Not Queried"; },
                u"the access point in use"_s);
        click(window, u"Btn_Get_CurrentAP_RSSI"_s);
        waitFor([&] { return child<QLineEdit>(window, u"Edit_Current_RSSI"_s)->text() != u"0"; },
                u"the signal strength"_s);
        break;
    }
    case SetupView::Maintenance: {
        window.pageControl().setCurrentIndex(2);
        auto *password = child<QLineEdit>(window, u"EditViewAdminPW"_s);
        password->setText(r5setup::maint::kAdminPassword);
        click(window, u"Btn_ViewAdmin"_s);
        if (child<QWidget>(window, u"Panel_Info_FW_Http"_s)->isHidden())
            fail(u"\"View Admin\" did not show the firmware panel"_s);
        break;
    }
    case SetupView::Verified: {
        // A DI save, as the first-device chapter makes it: input 1's throughput time from 10 to
        // 50 ms, verified by reading the device back.
        child<QCheckBox>(window, u"CB_VerifyAfterSave"_s)->setChecked(true);
        child<QComboBox>(window, u"CB_ThrouputTime1"_s)->setCurrentText(u"50"_s);
        prompter.expectedQuestions = {r5setup::settings::text::diQuestion()};
        click(window, u"Btn_Save_Config_DI"_s);
        waitFor([&] { return logText(window).contains(u"Verified: DI"_s); }, u"the line \"Verified: DI\""_s);
        if (logText(window).contains(u"Verify failed"_s))
            fail(u"the device did not keep the DI save"_s);
        break;
    }
    default:
        break;
    }
    save(window, out);
    return 0;
}

// The maker's link of the simulators is a placeholder: the pictures leave it out.
void hideMakerLink(QWidget &window)
{
    for (QLabel *label : window.findChildren<QLabel *>()) {
        if (label->accessibleName() != u"Maker's web page")
            continue;
        // Simulator_3810 frames the link in a panel of its own, which goes with it.
        if (auto *frame = qobject_cast<QGroupBox *>(label->parentWidget()))
            frame->hide();
        label->hide();
    }
}

int simulator3810(const QString &out)
{
    QApplication::setApplicationName(u"Simulator_3810"_s);
    // The device's TCP side at port 4000, the port the guide's text names. Another program may
    // hold 4000 on 127.0.0.1 (a virtual device someone runs); every address of 127.0.0.0/8 is this
    // machine, so the next ones are tried before the picture fails.
    virt::TcpSide side;
    virt::TcpConfig c;
    c.port = 4000;
    c.mode = 'G';
    c.pulsesPerSecond = 6;
    QString address;
    for (int last = 1; last <= 9 && address.isEmpty(); ++last) {
        c.address = QHostAddress(u"127.0.0."_s + QString::number(last));
        if (side.start(c) && side.port() == 4000)
            address = c.address.toString();
    }
    if (address.isEmpty())
        fail(u"port 4000 is taken on 127.0.0.1 to 127.0.0.9: the virtual device's TCP side cannot start"_s);

    FailingPrompter prompter;
    NoLauncher launcher;
    disim::SystemResolver resolver;
    disim::IcmpEcho echo;
    disim::frmSim_3810 window({prompter, r5::SystemClock::instance(), launcher, resolver, echo,
                               QDir::current().filePath(u"Log"_s)});
    window.show();
    hideMakerLink(window);
    child<QComboBox>(window, u"cboTrendSpan"_s)->setCurrentIndex(0);
    child<QLineEdit>(window, u"txtDestIP"_s)->setText(address);
    child<QLineEdit>(window, u"txtDestPort"_s)->setText(u"4000"_s);
    click(window, u"optInterval(1)"_s);
    child<QComboBox>(window, u"cboTime"_s)->setCurrentText(u"0.2"_s);
    click(window, u"cmdSend"_s);
    // The trend's shortest span is a minute: the reports run a little longer than that, the
    // inputs' pulse rate changing every 10 s so that the lines show what a trend is for.
    const double rates[] = {6, 15, 4, 10, 20, 8, 12};
    for (const double rate : rates) {
        c.pulsesPerSecond = rate;
        side.reconfigure(c);
        runFor(9000);
    }
    click(window, u"cmdEnd"_s);
    waitFor([&] { return !child<QLabel>(window, u"lblRate(0)"_s)->text().isEmpty(); }, u"a report"_s);
    save(window, out);
    return 0;
}

int simulator(const QString &out)
{
    QApplication::setApplicationName(u"Simulator"_s);
    FailingPrompter prompter;
    NoLauncher launcher;
    r5::sim::frmSimulator window(prompter, r5::SystemClock::instance(), launcher, QDir::currentPath());
    window.show();
    hideMakerLink(window);
    // The log file's name as an installed Simulator shows it on Linux, rather than this run's
    // temporary folder; the picture logs to the list only, so nothing is written there.
    click(window, u"opt_List"_s);
    child<QLineEdit>(window, u"txt_Logfile"_s)
        ->setText(u"/home/user/.local/share/r5200txtools/Simulator/Log/"_s +
                  r5::SystemClock::instance().localDate().toString(u"yyyyMMdd"_s) + u".dat"_s);

    // Listening on 127.0.0.1 as an echo server in HexA; a loopback peer sends a few messages.
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    click(window, u"opt_Client"_s);
    child<QLineEdit>(window, u"txt_Port"_s)->setText(QString::number(port));
    click(window, u"opt_Send_recv"_s);
    click(window, u"opt_HexA"_s);
    click(window, u"Cmd_Start"_s);

    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, port);
    if (!peer.waitForConnected(5000))
        fail(u"Simulator is not listening on 127.0.0.1:"_s + QString::number(port));
    QObject::connect(&peer, &QTcpSocket::readyRead, &peer, [&] { peer.readAll(); });
    for (int sent = 1; sent <= 6; ++sent) {
        peer.write(sent % 3 == 0 ? QByteArray::fromHex("4E5245517E0541500000FE")
                                 : "R5200TX status " + QByteArray::number(sent));
        runFor(150);
    }
    save(window, out);
    return 0;
}

// The Site window over a small fleet of its own on 127.0.9.1 to 127.0.9.12, port 4000: devices that
// answer every request with a fixed report, two switched off after their first answers, one
// address where nothing listens. Time comes from a clock that moves only when told, so the states
// and ages are the same in every picture.
class StillClock final : public r5::Clock
{
public:
    QDateTime localNow() const override { return m_local; }
    QDateTime utcNow() const override { return m_local.toUTC(); }
    void advanceMs(qint64 ms) { m_local = m_local.addMSecs(ms); }

private:
    QDateTime m_local{QDate(2026, 5, 12), QTime(10, 30, 0)};
};

class FixedDevice final : public QObject
{
public:
    FixedDevice(const QString &address, const virt::DiState &state)
        : m_report(virt::buildReport(state, 'N', false))
    {
        if (!m_server.listen(QHostAddress(address), 4000))
            fail(u"cannot listen on "_s + address + u":4000: "_s + m_server.errorString());
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_server.nextPendingConnection()) {
                s->setParent(this);
                QObject::connect(s, &QTcpSocket::readyRead, s, [this, s] {
                    for (qint64 n = s->readAll().size(); n >= 4; n -= 4)
                        s->write(m_report);
                });
            }
        });
    }
    void switchOff()
    {
        m_server.close();
        for (QTcpSocket *s : findChildren<QTcpSocket *>())
            s->abort();
    }

private:
    QTcpServer m_server;
    QByteArray m_report;
};

int site(const QString &out)
{
    QApplication::setApplicationName(u"Simulator_3810"_s);
    const QStringList labels{u"Entrance A"_s, u"Entrance B"_s, u"Hall 1"_s, u"Hall 2"_s,
                             u"Hall 3"_s,     u"Dock 1"_s,     u"Dock 2"_s, u"Office"_s,
                             u"Canteen"_s,    u"Car park"_s,   u"Store"_s,  u"Roof"_s};
    QList<r5site::SiteEntry> entries;
    std::vector<std::unique_ptr<FixedDevice>> devices;
    for (int i = 0; i < int(labels.size()); ++i) {
        r5site::SiteEntry e;
        e.label = labels[i];
        e.address = u"127.0.9.%1"_s.arg(i + 1);
        e.mac = u"02:52:00:00:09:%1"_s.arg(i + 1, 2, 16, QChar(u'0')).toUpper();
        entries.append(e);
        if (i == 10)
            continue; // "Store": nothing there
        virt::DiState state;
        state.inputs[0] = i % 3 == 0 ? '1' : '0';
        state.inputs[1] = i % 4 == 1 ? '1' : '0';
        for (int c = 0; c < 6; ++c)
            state.counters[std::size_t(c)] = std::uint32_t((i + 1) * 1000 / (c + 1) + 37 * c);
        devices.push_back(std::make_unique<FixedDevice>(e.address, state));
    }

    FailingPrompter prompter;
    NoLauncher launcher;
    disim::SystemResolver resolver;
    StillClock clock;
    disim::frmSite window({prompter, clock, launcher, resolver, {}, QDir::current().filePath(u"Log"_s)},
                          entries, QDir::current().filePath(u"site.csv"_s));
    window.show();
    window.resize(1160, 380); // twelve rows, no empty space under them
    QLabel *summary = child<QLabel>(window, u"lblSummary"_s);
    waitFor([&] { return summary->text().startsWith(u"12 devices: 11 online"_s); }, u"the first answers"_s);
    devices[3]->switchOff(); // "Hall 2"
    devices[6]->switchOff(); // "Dock 2"
    for (int poll = 0; poll < 3; ++poll) {
        clock.advanceMs(2000);
        runFor(400);
    }
    waitFor([&] { return summary->text() == u"12 devices: 9 online, 2 offline, 1 not reached"_s; },
            u"the devices switched off to be offline"_s);
    runFor(1200); // the ages on screen move on
    save(window, out);
    return 0;
}
} // namespace

int main(int argc, char *argv[])
{
    // A screen large enough for every window at its own size, at 100 % (the offscreen platform's
    // default screen is smaller than devsetup).
    QTemporaryDir screen;
    QFile config(screen.filePath(u"screen.json"_s));
    if (!config.open(QIODevice::WriteOnly) ||
        config.write(R"({"screens": [{"name": "guide", "x": 0, "y": 0, "width": 1920, "height": 1200, )"
                     R"("logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})") < 0)
        fail(u"cannot write the screen's configuration"_s);
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config.fileName()));
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: r5_guide_pictures KIND OUT.png, KIND one of: %s\n", kKinds);
        return 2;
    }
    const QString kind = QString::fromLocal8Bit(argv[1]);
    const QString out = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
    QDir().mkpath(QFileInfo(out).absolutePath());

    // Nothing of the user's is read or written: settings and working folder are temporary.
    QTemporaryDir home;
    if (!home.isValid() || !QDir::setCurrent(home.path()))
        fail(u"no temporary folder"_s);
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.path());
    QDir().mkpath(u"Log"_s);

    if (kind == u"devsetup")
        return devsetup(out, SetupView::Start);
    if (kind == u"devsetup-status")
        return devsetup(out, SetupView::Status);
    if (kind == u"comsetup")
        return devsetup(out, SetupView::ComSetup);
    if (kind == u"access-point")
        return devsetup(out, SetupView::AccessPoint);
    if (kind == u"maintenance-admin")
        return devsetup(out, SetupView::Maintenance);
    if (kind == u"devsetup-verified")
        return devsetup(out, SetupView::Verified);
    if (kind == u"simulator_3810")
        return simulator3810(out);
    if (kind == u"simulator")
        return simulator(out);
    if (kind == u"site")
        return site(out);
    fail(u"unknown picture "_s + kind);
}
