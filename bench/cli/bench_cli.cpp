// r5200tx-cli apply (all four sections) + verify against r5200tx-virtual with its reboot delay.
// Prints seconds per device and their ratio to the floor: the sum of the reboot delays the
// device imposes (WAN, server and access point saves each reboot it).
//
// Usage: bench_cli [devices] [reboot-ms]   (default 5 devices, 1500 ms)
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kProfile = "[WAN]\nIP=127.0.10.30\nGateway=127.0.0.1\nMask=255.255.255.0\n"
                            "[Server]\nPort=4100\nExpire=40\nMode=N\n"
                            "[DI]\nTime1=11\nTime2=22\nTime3=33\nTime4=44\nTime5=55\n"
                            "Mode1=R\nMode2=F\nMode3=R\nMode4=F\nMode5=R\n"
                            "[AP]\nSSID=R5200TX_LAB\nPassword=pw\n";
constexpr int kRebootingSaves = 3;

QString waitForPort(QProcess &device)
{
    QDeadlineTimer deadline(10000);
    QByteArray console;
    while (!deadline.hasExpired() && device.waitForReadyRead(int(deadline.remainingTime()))) {
        console += device.readAllStandardOutput();
        for (const QByteArray &line : console.split('\n')) {
            if (line.startsWith("Serial port: "))
                return QString::fromUtf8(line.mid(13).trimmed());
        }
    }
    return {};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int devices = args.size() > 1 ? args[1].toInt() : 5;
    const int rebootMs = args.size() > 2 ? args[2].toInt() : 1500;
    const QString bin = QCoreApplication::applicationDirPath();

    QTemporaryDir dir;
    QFile profile(dir.filePath(u"bench.ini"_s));
    if (!profile.open(QIODevice::WriteOnly) || profile.write(kProfile) != kProfile.size())
        return 1;
    profile.close();

    double total = 0;
    for (int d = 0; d < devices; ++d) {
        // A fresh device each time, as on a bench where one device follows another.
        QProcess device;
        device.start(bin + u"/r5200tx-virtual"_s,
                     {u"--state"_s, dir.filePath(u"device%1.json"_s.arg(d)), u"--tcp-port"_s, u"0"_s,
                      u"--reboot-ms"_s, QString::number(rebootMs)});
        const QString port = waitForPort(device);
        if (port.isEmpty()) {
            std::fprintf(stderr, "the virtual device did not start (does it know --reboot-ms?)\n");
            return 1;
        }
        QProcess cli;
        cli.setWorkingDirectory(dir.path());
        QElapsedTimer t;
        t.start();
        cli.start(bin + u"/r5200tx-cli"_s, {u"--port"_s, port, u"apply"_s, u"bench.ini"_s});
        cli.waitForFinished(120000);
        const double s = double(t.nsecsElapsed()) / 1e9;
        if (cli.exitCode() != 0) {
            std::fprintf(stderr, "apply ended with %d:\n%s\n", cli.exitCode(), cli.readAll().constData());
            return 1;
        }
        total += s;
        device.terminate();
        device.waitForFinished(5000);
    }
    const double perDevice = total / devices;
    const double floor = kRebootingSaves * rebootMs / 1000.0;
    std::printf("devices %d, reboot %d ms: %.3f s per device (apply + verify), floor %.3f s, ratio %.3f\n",
                devices, rebootMs, perDevice, floor, perDevice / floor);
    return 0;
}
