// Firmware day, end to end: the installer starts devsetup's own HTTP server in a home folder
// holding the firmware, orders the download from the virtual device over its pseudo-terminal,
// and the device fetches the file from 127.0.0.1, reboots into the version in its name and says
// so when asked; devsetup's log follows it to "Firmware updated". Then r5200tx-cli does the same
// with the next image, its own server gone when it ends.
#include "httpfetch.h"
#include "maintfixture.h"
#include "r5setup/ui/pagecontrol.h"
#include "r5setup/ui/sidetools.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace r5setup;

namespace {

class Loopback final : public LocalAddress
{
public:
    std::optional<QString> lookup() const override { return u"127.0.0.1"_s; }
};

// A child process whose output the test reads as it comes.
struct Child
{
    QProcess process;
    QByteArray out;

    void start(const QString &program, const QStringList &arguments)
    {
        process.setProcessChannelMode(QProcess::MergedChannels);
        QObject::connect(&process, &QProcess::readyRead, &process, [this] { out += process.readAll(); });
        process.start(program, arguments);
    }
    ~Child()
    {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(5000)) {
                process.kill();
                process.waitForFinished(5000);
            }
        }
    }
};

bool portFree(quint16 port)
{
    QTcpServer probe;
    return probe.listen(QHostAddress::AnyIPv4, port);
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QByteArray image(qsizetype size, unsigned seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(((i + seed) * 2654435761u) >> 24);
    return bytes;
}

using r5::test::fetch;
using r5::test::writeWhole;

} // namespace

class TstFirmwareDay : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void firmwareDay();
};

void TstFirmwareDay::firmwareDay()
{
    // The virtual device, serial side only, keeping its state in a file; it runs 1.05.
    QTemporaryDir deviceDir;
    Child device;
    device.start(qEnvironmentVariable("R5_BIN_DIR") + u"/r5200tx-virtual"_s,
                 {u"--no-tcp"_s, u"--state"_s, deviceDir.filePath(u"device.json"_s)});
    QTRY_VERIFY_WITH_TIMEOUT(device.out.contains('\n'), 10000);
    const QString serialLine = QString::fromUtf8(device.out.left(device.out.indexOf('\n')));
    QVERIFY2(serialLine.startsWith(u"Serial port: "_s), qPrintable(serialLine));
    const QString port = serialLine.mid(13).trimmed();

    // A home folder with the firmware in it; the configuration beside it must never be served.
    MaintFixture f;
    QVERIFY(f.prepare(port));
    QVERIFY(QDir().mkdir(u"KorviaFW"_s));
    const QByteArray v107 = image(307 * 1024 + 3, 1);
    QVERIFY(writeWhole(u"KorviaFW/R5200TX_v1.07.bin"_s, v107));
    const quint16 httpPort = freePort();
    const QByteArray portText = QByteArray::number(httpPort);
    {
        QFile ini(u"cfg/SETUP.INI"_s);
        QVERIFY(ini.open(QIODevice::Append));
        ini.write("[HTTPServer]\r\nPort=" + portText +
                  "\r\nHomeDir=./KorviaFW\r\n[Download_WEB]\r\nIP1=127\r\n"
                  "IP2=0\r\nIP3=0\r\nIP4=1\r\nPort=" +
                  portText + "\r\nFile=/R5200TX_v1.07.bin\r\n");
    }
    f.makeWindow();
    // The follow-up keeps its time by the window's clock: here it moves with the real one.
    QElapsedTimer real;
    real.start();
    QTimer ticks;
    qint64 moved = 0;
    connect(&ticks, &QTimer::timeout, this, [&] {
        f.clock.advanceMs(real.elapsed() - moved);
        moved = real.elapsed();
    });
    ticks.start(50);
    f.window->findChild<SideTools *>()->setAddressLookup(std::make_unique<Loopback>());
    f.window->pageControl().setCurrentIndex(2);

    // "Start HTTP Server": served by devsetup itself, nothing started beside it.
    f.click(u"Btn_StartSvr"_s);
    const QStringList started = f.panel();
    QCOMPARE(started.size() >= 2, true);
    const QString portString = QString::number(httpPort);
    QCOMPARE(started[started.size() - 2].mid(12),
             u"Starting HTTP Server on[http://127.0.0.1:"_s + portString + u']');
    QVERIFY2(started.last().contains(u"listening on every IPv4 interface at port "_s + portString),
             qPrintable(started.last()));
    QCOMPARE(f.launcher.starts.size(), 0);
    f.click(u"Btn_TestHttpServer"_s);
    QCOMPARE(f.launcher.urls, QList<QUrl>{QUrl(u"http://127.0.0.1:"_s + portString)});

    // What the browser shows: the file with its size and SHA-256.
    const QByteArray sha = QCryptographicHash::hash(v107, QCryptographicHash::Sha256).toHex();
    const QByteArray page = fetch(httpPort, "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    QVERIFY2(page.startsWith("HTTP/1.1 200"), page.constData());
    QVERIFY(page.contains("R5200TX_v1.07.bin") && page.contains(QByteArray::number(v107.size())) &&
            page.contains(sha));

    // The order, from the firmware panel that the administrator panel shows.
    QVERIFY(f.connectLink());
    f.setText(u"EditViewAdminPW"_s, u"brimoxa"_s);
    f.click(u"Btn_ViewAdmin"_s);
    f.click(u"Btn_FW_DL"_s);
    QCOMPARE(f.prompter.takeTexts(), QStringList());
    const auto logged = [&f](const QString &text) {
        const QStringList lines = f.panel();
        return std::any_of(lines.begin(), lines.end(), [&](const QString &l) { return l.contains(text); });
    };
    QVERIFY(logged(u"tmpFileName : [32]["_s));
    QTRY_VERIFY_WITH_TIMEOUT(logged(u"Firmware updated: 1.05 → 1.07"_s), 60000);
    const QString sent = u"R5200TX_v1.07.bin sent, %1 of %1 bytes"_s.arg(v107.size());
    QVERIFY2(logged(sent), qPrintable(f.panel().join(u'\n')));

    QFile state(deviceDir.filePath(u"device.json"_s));
    QVERIFY(state.open(QIODevice::ReadOnly));
    const QJsonObject saved = QJsonDocument::fromJson(state.readAll()).object();
    QCOMPARE(saved[u"firmwareMinor"_s].toInt(), 7);
    QCOMPARE(saved[u"firmwareDownload"_s].toObject()[u"sha256"_s].toString(), QString::fromLatin1(sha));

    // devsetup ends: its port is free at once, and the device's port too.
    f.finish();
    QVERIFY(portFree(httpPort));

    // The same from the command line, with the next image.
    QTemporaryDir cliDir;
    const QByteArray v109 = image(96 * 1024, 2);
    QVERIFY(writeWhole(cliDir.filePath(u"R5200TX_v1.09.bin"_s), v109));
    const quint16 cliPort = freePort();
    QProcess cli;
    cli.setWorkingDirectory(cliDir.path());
    cli.start(qEnvironmentVariable("R5_BIN_DIR") + u"/r5200tx-cli"_s,
              {u"--port"_s, port, u"--json"_s, u"firmware"_s, u"R5200TX_v1.09.bin"_s, u"--serve"_s,
               u"127.0.0.1:"_s + QString::number(cliPort)});
    QVERIFY(cli.waitForFinished(90000));
    const QByteArray out = cli.readAllStandardOutput();
    QVERIFY2(cli.exitCode() == 0, QByteArray(out + cli.readAllStandardError()).constData());
    const QJsonObject report = QJsonDocument::fromJson(out).object();
    QCOMPARE(report[u"versionBefore"_s].toString(), u"1.07"_s);
    QCOMPARE(report[u"versionAfter"_s].toString(), u"1.09"_s);
    QCOMPARE(report[u"bytesSent"_s].toInteger(), v109.size());
    QCOMPARE(report[u"size"_s].toInteger(), v109.size());
    QVERIFY(portFree(cliPort));
    QCOMPARE(f.prompter.unexpected(), QStringList());
}

QTEST_MAIN(TstFirmwareDay)
#include "tst_firmware_day.moc"
