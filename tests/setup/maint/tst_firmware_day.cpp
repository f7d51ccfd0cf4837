// Firmware day, end to end: the installer starts the HTTP server from devsetup in a home folder
// holding the firmware, on a machine without a terminal program, orders the download from the
// virtual device over its pseudo-terminal, and the device fetches the file from 127.0.0.1 and
// reports its exact size and hash.
#include "maintfixture.h"
#include "r5setup/ui/pagecontrol.h"
#include "r5setup/ui/sidetools.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>

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

    void start(const QString &program, const QStringList &arguments, const QString &workingDir = {})
    {
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setWorkingDirectory(workingDir);
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

std::uint16_t freeLoopbackPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

class TstFirmwareDay : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void firmwareDay();
};

void TstFirmwareDay::firmwareDay()
{
    const QString python3 = QStandardPaths::findExecutable(u"python3"_s);
    if (python3.isEmpty())
        QSKIP("no python3 to serve the firmware");

    // The virtual device, serial side only, keeping its state in a file.
    QTemporaryDir deviceDir;
    Child device;
    device.start(qEnvironmentVariable("R5_BIN_DIR") + u"/r5200tx-virtual"_s,
                 {u"--no-tcp"_s, u"--state"_s, deviceDir.filePath(u"device.json"_s)});
    QTRY_VERIFY_WITH_TIMEOUT(device.out.contains('\n'), 10000);
    const QString serialLine = QString::fromUtf8(device.out.left(device.out.indexOf('\n')));
    QVERIFY2(serialLine.startsWith(u"Serial port: "_s), qPrintable(serialLine));
    const QString port = serialLine.mid(13).trimmed();

    // A home folder with the firmware in it.
    MaintFixture f;
    QVERIFY(f.prepare(port));
    QVERIFY(QDir().mkdir(u"KorviaFW"_s));
    QByteArray image(307 * 1024 + 3, Qt::Uninitialized);
    for (qsizetype i = 0; i < image.size(); ++i)
        image[i] = char((i * 2654435761u) >> 24);
    {
        QFile bin(u"KorviaFW/R5200TX_v1.0.bin"_s);
        QVERIFY(bin.open(QIODevice::WriteOnly));
        QCOMPARE(bin.write(image), image.size());
    }
    const QString httpPort = QString::number(freeLoopbackPort());
    {
        QFile ini(u"cfg/SETUP.INI"_s);
        QVERIFY(ini.open(QIODevice::Append));
        ini.write("[HTTPServer]\r\nPort=" + httpPort.toLatin1() +
                  "\r\nHomeDir=./KorviaFW\r\n[Download_WEB]\r\nIP1=127\r\n"
                  "IP2=0\r\nIP3=0\r\nIP4=1\r\nPort=" +
                  httpPort.toLatin1() + "\r\nFile=/R5200TX_v1.0.bin\r\n");
    }
    // No "python" on this PATH and no terminal program: the server runs without a window.
    f.launcher.executables.insert(u"python3"_s, python3);
    f.makeWindow();
    auto *side = f.window->findChild<SideTools *>();
    side->setPlatform(tools::Platform::Linux);
    side->setAddressLookup(std::make_unique<Loopback>());
    f.window->pageControl().setCurrentIndex(2);

    // "Start HTTP Server": the command line the Launcher is handed is the one run here, its
    // output in the file the log names, kept on the loopback interface.
    f.click(u"Btn_StartSvr"_s);
    const QString output = QDir::current().absoluteFilePath(u"Log/HTTPServer_20261207.log"_s);
    QCOMPARE(
        f.panel().mid(f.panel().size() - 2),
        QStringList({u"[10:20:30]  Starting HTTP Server on[http://127.0.0.1:"_s + httpPort + u']',
                     u"[10:20:30]  No terminal program found: the HTTP Server runs without a window, its "
                     u"output in ["_s +
                         output + u']'}));
    QCOMPARE(f.launcher.starts.size(), 1);
    const auto &start = f.launcher.starts[0];
    QCOMPARE(start.program, python3);
    QCOMPARE(start.arguments, QStringList({u"-u"_s, u"-m"_s, u"http.server"_s, httpPort}));
    QCOMPARE(start.workingDir, u"./KorviaFW"_s);
    QCOMPARE(start.outputFile, output);
    QProcess server;
    server.setWorkingDirectory(start.workingDir);
    server.setStandardOutputFile(start.outputFile, QIODevice::Append);
    server.setStandardErrorFile(start.outputFile, QIODevice::Append);
    server.start(start.program, start.arguments + QStringList{u"--bind"_s, u"127.0.0.1"_s});
    const auto served = [&output] {
        QFile file(output);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    QTRY_VERIFY_WITH_TIMEOUT(served().contains("Serving HTTP"), 15000);

    f.click(u"Btn_TestHttpServer"_s);
    QCOMPARE(f.launcher.urls, QList<QUrl>{QUrl(u"http://127.0.0.1:"_s + httpPort)});

    // The order, from the firmware panel that the administrator panel shows.
    QVERIFY(f.connectLink());
    f.setText(u"EditViewAdminPW"_s, u"brimoxa"_s);
    f.click(u"Btn_ViewAdmin"_s);
    f.click(u"Btn_FW_DL"_s);
    QCOMPARE(f.prompter.takeTexts(), QStringList());
    QCOMPARE(f.panel().last().left(29), u"[10:20:30]  TX 0x55 : [43][7E"_s);

    const QString url = u"http://127.0.0.1:"_s + httpPort + u"/R5200TX_v1.0.bin"_s;
    const QString sha =
        QString::fromLatin1(QCryptographicHash::hash(image, QCryptographicHash::Sha256).toHex());
    QTRY_VERIFY_WITH_TIMEOUT(device.out.contains("firmware fetched") || device.out.contains("failed:"),
                             20000);
    const QRegularExpression fetched(u"firmware fetched from (\\S+): (\\d+) bytes, sha256 ([0-9a-f]{64})"_s);
    const QRegularExpressionMatch m = fetched.match(QString::fromUtf8(device.out));
    QVERIFY2(m.hasMatch(), device.out.constData());
    QCOMPARE(m.captured(1), url);
    QCOMPARE(m.captured(2).toLongLong(), image.size());
    QCOMPARE(m.captured(3), sha);
    // The server writes its request line after the device has its file: wait for it.
    QTRY_VERIFY_WITH_TIMEOUT(served().contains("GET /R5200TX_v1.0.bin HTTP/1.1\" 200"), 10000);
    server.terminate();
    QVERIFY(server.waitForFinished(5000));

    QFile state(deviceDir.filePath(u"device.json"_s));
    QVERIFY(state.open(QIODevice::ReadOnly));
    const QJsonObject fw =
        QJsonDocument::fromJson(state.readAll()).object()[u"firmwareDownload"_s].toObject();
    QCOMPARE(fw[u"url"_s].toString(), url);
    QCOMPARE(fw[u"result"_s].toString(), u"fetched"_s);
    QCOMPARE(fw[u"size"_s].toInteger(), image.size());
    QCOMPARE(fw[u"sha256"_s].toString(), sha);

    f.finish();
    QCOMPARE(f.prompter.unexpected(), QStringList());
}

QTEST_MAIN(TstFirmwareDay)
#include "tst_firmware_day.moc"
