// r5200tx-virtual: a headless R5200TX for devsetup and the tests, without hardware.
#include "fleet.h"
#include "options.h"
#include "r5/clock.h"
#include "r5/consolesignals.h"
#include "r5/consoletext.h"
#include "r5/wholefile.h"
#include "stdinlines.h"
#include "virt/devicemodel.h"
#include "virt/firmwarefetcher.h"
#include "virt/floodgate.h"
#include "virt/serialside.h"
#include "virt/statefile.h"
#include "virt/tcpside.h"
#include "virt/transport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QTextStream>
#include <QTimer>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// The console: one line per event, at most kPerSecond lines a second (the rest are counted and
// the count shown once a second) and none longer than kMaxLine characters, so a flood of
// requests or garbage makes a log of bounded size.
class Console
{
public:
    static constexpr int kPerSecond = 200;
    static constexpr qsizetype kMaxLine = 1000;

    Console() { m_clock.start(); }

    void line(const QString &text)
    {
        if (!m_gate.admit(m_clock.elapsed()))
            return;
        stamped(text.size() <= kMaxLine
                    ? text
                    : text.left(kMaxLine) + u" … (cut, %1 characters)"_s.arg(text.size()));
    }
    // Says how many lines were left out since the last call; called once a second.
    void summarise()
    {
        if (const qint64 held = m_gate.takeHeld())
            stamped(u"(%1 console line(s) left out in the last second)"_s.arg(held));
    }
    void plain(const QString &text) { m_out << text << Qt::endl; }
    void error(const QString &text) { m_err << text << Qt::endl; }

private:
    void stamped(const QString &text)
    {
        m_out << u'[' << r5::SystemClock::instance().localNow().toString(u"HH:mm:ss.zzz"_s) << u"] "_s << text
              << Qt::endl;
    }

    QElapsedTimer m_clock;
    virt::FloodGate m_gate{kPerSecond};
    QTextStream m_out{stdout};
    QTextStream m_err{stderr};
};

// The TCP side: the status report server that Simulator_3810 talks to. It starts with the
// device's server settings and follows them whenever a reboot changes them.
void startTcpSide(const virt::Options &options, virt::DeviceModel &model, Console &console, QObject *owner)
{
    auto config = [&options, &model] {
        virt::TcpConfig c;
        c.address = QHostAddress(options.tcpAddress);
        c.port = options.tcpPort.value_or(model.serverPortInUse());
        c.mode = model.protocolModeInUse();
        c.checkByte = options.tcpCheckByte;
        c.expirySeconds = model.expiryInUse();
        c.pulsesPerSecond = options.pulsesPerSecond;
        return c;
    };
    auto *tcp = new virt::TcpSide(owner);
    QObject::connect(tcp, &virt::TcpSide::log, owner, [&console](const QString &l) { console.line(l); });
    // As on the real device, port, mode and expiry written over serial take effect at its reboot.
    QObject::connect(&model, &virt::DeviceModel::networkSettingsChanged, tcp,
                     [tcp, config] { tcp->reconfigure(config()); });
    QObject::connect(&model, &virt::DeviceModel::counterResetRequested, tcp, &virt::TcpSide::resetCounters);
    if (!tcp->start(config())) {
        // The serial side is still useful (another copy may hold the port): say so and go on.
        console.error(u"TCP status server cannot listen on %1:%2; serial side only"_s.arg(options.tcpAddress)
                          .arg(config().port));
        return;
    }
    console.plain(u"TCP status server: %1:%2"_s.arg(options.tcpAddress).arg(tcp->port()));
}

// Many devices' TCP sides and nothing else; the console's input switches devices off and on.
int runFleet(const virt::Options &options, Console &console)
{
    const quint16 port = options.tcpPort.value_or(4000);
    virt::Fleet fleet(options.tcpAddress, options.fleet, port, 'N', options.pulsesPerSecond);
    QString error;
    if (!fleet.start(&error)) {
        console.error(u"fleet cannot start: "_s + error);
        return virt::kExitCannotStart;
    }
    if (!options.fleetList.isEmpty()) {
        if (const QString why = r5::replaceFile(options.fleetList, fleet.siteList()); !why.isEmpty()) {
            console.error(u"cannot write the site list "_s + options.fleetList + u": "_s + why);
            return virt::kExitCannotStart;
        }
    }
    console.plain(u"Fleet: %1 devices on %2 to %3, port %4"_s.arg(fleet.size())
                      .arg(fleet.device(0).address, fleet.device(fleet.size() - 1).address)
                      .arg(port));
    StdinLines input;
    QObject::connect(&input, &StdinLines::line, &input, [&fleet, &console](const QString &line) {
        const QString reply = fleet.command(line);
        if (!reply.isEmpty())
            console.line(reply);
    });
    r5::onConsoleSignals(&input, [] { QCoreApplication::quit(); });
    QTimer summary;
    QObject::connect(&summary, &QTimer::timeout, &input, [&console] { console.summarise(); });
    summary.start(1000);
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char *argv[])
{
    // Korean texts (access point names, device texts) must read right in a Windows console.
    const r5::ConsoleText consoleText;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"r5200tx-virtual"_s);
    Console console;

    const virt::ParsedOptions parsed = virt::parseOptions(QCoreApplication::arguments());
    if (!parsed.options) {
        if (parsed.exitCode == 0)
            console.plain(parsed.text);
        else
            console.error(parsed.text);
        return parsed.exitCode;
    }
    const virt::Options &options = *parsed.options;
    if (options.fleet > 0)
        return runFleet(options, console);

    virt::DeviceModel model;
    QObject::connect(&model, &virt::DeviceModel::log, &app,
                     [&console](const QString &l) { console.line(l); });
    model.setRssiDrift(options.rssiDrift, options.seed);
    model.setIgnoredWrites(options.faults.ignoredWrites);
    // Firmware download orders are really fetched, from wherever devsetup points the device.
    virt::FirmwareFetcher fetcher;
    virt::FirmwareFetcher::serve(model, fetcher);
    std::unique_ptr<virt::StateFile> stateFile;
    if (!options.stateFile.isEmpty()) {
        stateFile = std::make_unique<virt::StateFile>(options.stateFile);
        QObject::connect(stateFile.get(), &virt::StateFile::log, &app,
                         [&console](const QString &l) { console.line(l); });
        QString error;
        if (!stateFile->keep(model, &error)) {
            console.error(error);
            return virt::kExitCannotStart;
        }
    }

    std::unique_ptr<virt::Transport> transport;
    QString error;
    if (!options.port.isEmpty()) {
        transport = virt::PortTransport::open(options.port, &error);
    } else {
        transport = virt::createPtyTransport(&error);
    }
    if (!transport) {
        console.error(error);
        return virt::kExitCannotStart;
    }

    bool linked = false;
    if (!options.link.isEmpty()) {
        const QFileInfo existing(options.link);
        // Only a link left by an earlier run is replaced, never a file.
        if (existing.isSymLink())
            QFile::remove(options.link);
        if (!QFile::link(transport->name(), options.link)) {
            console.error(u"cannot make the link "_s + options.link);
            return virt::kExitCannotStart;
        }
        linked = true;
    }

    virt::SerialSide serial(&model, std::move(transport));
    serial.setFaults(options.faults);
    serial.setPieceGap(options.pieceGapMs);
    serial.setRebootTime(options.rebootMs);
    QObject::connect(&serial, &virt::SerialSide::log, &app,
                     [&console](const QString &l) { console.line(l); });

    console.plain(u"Serial port: "_s + serial.portName());
    if (linked)
        console.plain(u"Linked at: "_s + options.link);
    const virt::DeviceState &s = model.state();
    console.line(u"R5200TX %1.%2, server port %3, mode '%4', access point \"%5\""_s.arg(s.firmwareMajor)
                     .arg(uint(s.firmwareMinor), 2, 10, QChar(u'0'))
                     .arg(s.serverPort)
                     .arg(QString(QLatin1Char(s.protocolMode)), s.apSsid));
    if (options.faults.any())
        console.line(u"fault switches on for %1"_s.arg(
            options.faults.answers == 0 ? u"every answer"_s
                                        : u"the first %1 answer(s)"_s.arg(options.faults.answers)));

    for (const virt::WriteKind kind : options.faults.ignoredWrites)
        console.line(
            u"fault switch on: %1 writes are answered but not kept"_s.arg(virt::writeKindName(kind)));

    if (options.tcp)
        startTcpSide(options, model, console, &app);

    // SIGINT/SIGTERM/SIGHUP (Ctrl+C, Ctrl+Break, the console's close on Windows) end the event
    // loop, so the link is removed on the way out.
    r5::onConsoleSignals(&app, [] { QCoreApplication::quit(); });
    QTimer summary;
    QObject::connect(&summary, &QTimer::timeout, &app, [&console] { console.summarise(); });
    summary.start(1000);

    const int rc = QCoreApplication::exec();
    if (linked)
        QFile::remove(options.link);
    return rc;
}
