// A bench of devices: r5200tx-cli apply (all four sections, with its verification) on 1, 4, 8 and
// 16 virtual devices on as many ports at once, each run beside the same apply on one device alone
// just before it, so the ratio compares like with like. Also the CLI's peak resident memory
// (VmHWM, read while it runs) for each.
//
// Usage: bench_cli_fleet [reboot-ms] [sizes...]   (default 1500 ms; 1 4 8 16). Linux (/proc).
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kProfile = "[WAN]\nIP=127.0.10.30\nGateway=127.0.0.1\nMask=255.255.255.0\n"
                            "[Server]\nPort=4100\nExpire=40\nMode=N\n"
                            "[DI]\nTime1=11\nTime2=22\nTime3=33\nTime4=44\nTime5=55\n"
                            "Mode1=R\nMode2=F\nMode3=R\nMode4=F\nMode5=R\n"
                            "[AP]\nSSID=R5200TX_LAB\nPassword=pw\n";

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

qint64 peakKiB(qint64 pid)
{
    QFile status(u"/proc/%1/status"_s.arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

struct Devices
{
    std::vector<std::unique_ptr<QProcess>> processes;
    QStringList ports;
    ~Devices()
    {
        for (auto &p : processes) {
            p->terminate();
            p->waitForFinished(5000);
        }
    }
};

bool startDevices(Devices &d, int n, int first, int rebootMs, const QString &bin)
{
    for (int i = 0; i < n; ++i) {
        auto p = std::make_unique<QProcess>();
        p->start(bin + u"/r5200tx-virtual"_s, {u"--no-tcp"_s, u"--rssi-drift"_s, u"0"_s, u"--reboot-ms"_s,
                                               QString::number(rebootMs), u"--mac"_s,
                                               u"02:52:00:00:%1:%2"_s.arg(first / 256, 2, 16, QChar(u'0'))
                                                   .arg(first % 256 + i, 2, 16, QChar(u'0'))});
        const QString port = waitForPort(*p);
        if (port.isEmpty())
            return false;
        d.ports.append(port);
        d.processes.push_back(std::move(p));
    }
    return true;
}

struct Result
{
    double seconds = 0;
    qint64 peakKiB = 0;
    int code = -1;
};

Result apply(const QStringList &ports, const QString &dir, const QString &bin)
{
    QStringList args;
    for (const QString &p : ports)
        args << u"--port"_s << p;
    args << u"apply"_s << u"bench.ini"_s;
    QProcess cli;
    cli.setWorkingDirectory(dir);
    cli.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    cli.start(bin + u"/r5200tx-cli"_s, args);
    cli.waitForStarted();
    Result r;
    // The peak so far, read while it runs: the last read before it ends is its peak but for the
    // last few milliseconds of tearing down.
    while (!cli.waitForFinished(20))
        r.peakKiB = std::max(r.peakKiB, peakKiB(cli.processId()));
    r.seconds = double(t.nsecsElapsed()) / 1e9;
    r.code = cli.exitCode();
    return r;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int rebootMs = args.size() > 1 ? args[1].toInt() : 1500;
    QList<int> sizes;
    for (qsizetype i = 2; i < args.size(); ++i)
        sizes.append(args[i].toInt());
    if (sizes.isEmpty())
        sizes = {1, 4, 8, 16};
    const QString bin = QCoreApplication::applicationDirPath();
    QTemporaryDir dir;
    QFile profile(dir.filePath(u"bench.ini"_s));
    if (!profile.open(QIODevice::WriteOnly) || profile.write(kProfile) != kProfile.size())
        return 1;
    profile.close();

    std::printf("reboot %d ms; apply of WAN, server, DI and AP with verification\n", rebootMs);
    std::printf("%7s %10s %10s %7s %12s %12s\n", "devices", "alone s", "bench s", "ratio", "alone KiB",
                "bench KiB");
    int first = 1;
    for (const int n : sizes) {
        Devices alone;
        Devices bench;
        if (!startDevices(alone, 1, first, rebootMs, bin) ||
            !startDevices(bench, n, first + 1, rebootMs, bin)) {
            std::fprintf(stderr, "the virtual devices did not start\n");
            return 1;
        }
        first += n + 1;
        const Result one = apply(alone.ports, dir.path(), bin);
        const Result many = apply(bench.ports, dir.path(), bin);
        if (one.code != 0 || many.code != 0) {
            std::fprintf(stderr, "apply ended with %d (alone) and %d (bench)\n", one.code, many.code);
            return 1;
        }
        std::printf("%7d %10.3f %10.3f %7.3f %12lld %12lld\n", n, one.seconds, many.seconds,
                    many.seconds / one.seconds, one.peakKiB, many.peakKiB);
        std::fflush(stdout);
    }
    return 0;
}
