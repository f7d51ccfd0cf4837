// CPU of the site check watching 100, 250 and 500 devices of a virtual fleet at a 1 s interval,
// beside a reference loop in the same run: the same devices polled by the barest client (one
// socket each, a request a second, every answer decoded, nothing kept). All on 127.0.4.x.
// Usage: bench_site [seconds per measurement, default 10]   (r5200tx-virtual beside this program)
#include "r5site/sitecheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTcpSocket>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int kFleet = 500;
constexpr quint16 kPort = 4000;

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

QList<r5site::SiteEntry> devices(int n)
{
    QList<r5site::SiteEntry> out;
    for (int k = 0; k < n; ++k) {
        r5site::SiteEntry e;
        e.address = u"127.0.%1.%2"_s.arg(4 + (k + 1) / 256).arg((k + 1) % 256);
        e.port = kPort;
        out.append(e);
    }
    return out;
}

struct Measured
{
    double cpuPercent = 0;
    double reportsPerSecond = 0;
};

// The reference: a socket per device, a request a second, each answer decoded and dropped.
Measured bareLoop(int n, int seconds)
{
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    qint64 reports = 0;
    for (const r5site::SiteEntry &e : devices(n)) {
        auto s = std::make_unique<QTcpSocket>();
        QTcpSocket *raw = s.get();
        QObject::connect(raw, &QTcpSocket::readyRead, raw, [raw, &reports] {
            if (disim::decodeReport(raw->readAll()))
                ++reports;
        });
        s->connectToHost(e.address, e.port);
        sockets.push_back(std::move(s));
    }
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &tick, [&sockets] {
        for (auto &s : sockets)
            s->write("NREQ");
    });
    tick.start(1000);
    runFor(2000);
    reports = 0;
    const double cpu0 = cpuSeconds();
    runFor(seconds * 1000);
    return {100.0 * (cpuSeconds() - cpu0) / seconds, double(reports) / seconds};
}

Measured siteCheck(int n, int seconds, bool *pinged)
{
    r5site::SiteCheck check(devices(n), r5::SystemClock::instance());
    check.setIntervalSeconds(1);
    qint64 changedRows = 0;
    QObject::connect(&check, &r5site::SiteCheck::changed, &check,
                     [&changedRows](const QList<int> &rows) { changedRows += rows.size(); });
    check.start();
    runFor(2000);
    // Each report marks its row: the rows changed stand for the reports taken.
    changedRows = 0;
    const double cpu0 = cpuSeconds();
    runFor(seconds * 1000);
    const double cpu = cpuSeconds() - cpu0;
    *pinged = check.status(0).pingMs.has_value();
    const r5site::SiteCounts c = check.counts();
    if (c.online != n)
        std::printf("  (only %d of %d online)\n", c.online, n);
    return {100.0 * cpu / seconds, double(changedRows) / seconds};
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 10;
    QProcess fleet;
    fleet.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    fleet.start(QDir(QCoreApplication::applicationDirPath()).filePath(u"r5200tx-virtual"_s),
                {u"--fleet"_s, QString::number(kFleet), u"--tcp-address"_s, u"127.0.4.1"_s, u"--tcp-port"_s,
                 QString::number(kPort)});
    if (!fleet.waitForReadyRead(10000)) {
        std::printf("the fleet did not start\n");
        return 1;
    }
    std::printf(
        "site check at 1 s against the bare loop, %d s each, fleet of %d on 127.0.4.1 (own process)\n",
        seconds, kFleet);
    for (const int n : {100, 250, 500}) {
        const Measured bare = bareLoop(n, seconds);
        bool pinged = false;
        const Measured site = siteCheck(n, seconds, &pinged);
        std::printf(
            "%3d devices: site check %.2f %% of a core (%.0f rows/s changed, ping %s), bare loop %.2f %% "
            "(%.0f reports/s), ratio %.2f\n",
            n, site.cpuPercent, site.reportsPerSecond, pinged ? "on" : "not permitted", bare.cpuPercent,
            bare.reportsPerSecond, bare.cpuPercent > 0 ? site.cpuPercent / bare.cpuPercent : 0.0);
        std::fflush(stdout);
    }
    fleet.kill();
    fleet.waitForFinished();
    return 0;
}
