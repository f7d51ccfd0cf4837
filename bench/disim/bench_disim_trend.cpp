// What the trend costs the window: Simulator_3810 offscreen, requesting a report every 50 ms
// from the virtual device (r5200tx-virtual, its TCP side on 127.0.0.1, a process of its own),
// in blocks that alternate between the trend shown (60-minute span) and the trend hidden, so
// a busy machine's swings fall on both alike. Per mode: window-thread CPU, reports received,
// the longest stall of the event loop; the resident memory at the start and the end.
//
// Usage: bench_disim_trend [seconds per mode, default 600]
#include "simfixture.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTimer>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {
void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// CPU seconds of the calling thread, from the scheduler's own account (nanoseconds).
double threadCpuSeconds()
{
    QFile stat(u"/proc/thread-self/schedstat"_s);
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    return double(stat.readAll().split(' ').value(0).toLongLong()) / 1e9;
}

// Resident memory from the kernel's account (Linux; elsewhere 0).
double rssMiB()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

struct Mode
{
    double cpu = 0;
    double seconds = 0;
    qint64 reports = 0;
    qint64 longestStallUs = 0;
};
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int perMode = argc > 1 ? std::max(10, QByteArray(argv[1]).toInt()) : 600;
    const int block = std::min(30, perMode / 2);
    QTemporaryDir dir;
    disim::test::isolateSettings(dir);

    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    QProcess device;
    device.setStandardOutputFile(QProcess::nullDevice());
    device.setStandardErrorFile(QProcess::nullDevice());
    device.start(QCoreApplication::applicationDirPath() + u"/r5200tx-virtual"_s,
                 {u"--tcp-address"_s, u"127.0.0.1"_s, u"--tcp-port"_s, QString::number(port),
                  u"--pulse-rate"_s, u"40"_s, u"--state"_s, dir.filePath(u"state.json"_s)});
    if (!device.waitForStarted()) {
        std::fprintf(stderr, "cannot start r5200tx-virtual beside this program\n");
        return 1;
    }
    runFor(1500);

    disim::test::SimFixture f;
    f.child<QComboBox>(u"cboTrendSpan"_s)->setCurrentIndex(3);
    QWidget *trend = f.child(u"TrendPanel"_s);
    qint64 received = 0;
    QObject::connect(f.child<QListWidget>(u"List1"_s)->model(), &QAbstractItemModel::rowsInserted, &app,
                     [&](const QModelIndex &, int first, int) {
                         if (f.child<QListWidget>(u"List1"_s)->item(first)->text().contains(u" RECV : "_s))
                             ++received;
                     });
    f.type(u"txtDestIP"_s, u"127.0.0.1"_s);
    f.type(u"txtDestPort"_s, QString::number(port));
    f.choose(u"optInterval(1)"_s);
    f.type(u"cboTime"_s, u"0.05"_s);
    f.click(u"cmdSend"_s);
    runFor(3000);

    // A 5 ms beat: how late it comes is how long the event loop was held up.
    QElapsedTimer beatClock;
    qint64 lastBeat = -1;
    qint64 *stall = nullptr;
    QTimer beat;
    beat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&beat, &QTimer::timeout, &app, [&] {
        const qint64 now = beatClock.nsecsElapsed() / 1000;
        if (lastBeat >= 0 && stall)
            *stall = std::max(*stall, now - lastBeat - 5000);
        lastBeat = now;
    });
    beatClock.start();
    beat.start(5);

    const double rssStart = rssMiB();
    double rssAfterMinute = 0; // by then the activity list holds its 1001 lines
    std::array<Mode, 2> modes; // 0 trend shown, 1 hidden
    for (int done = 0; done < 2 * perMode; done += block) {
        const int m = (done / block) % 2;
        trend->setVisible(m == 0);
        runFor(200); // the layout settles outside the measurement
        stall = &modes[m].longestStallUs;
        lastBeat = -1;
        const qint64 reports0 = received;
        const double cpu0 = threadCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        runFor(block * 1000);
        modes[m].cpu += threadCpuSeconds() - cpu0;
        modes[m].seconds += double(wall.elapsed()) / 1000.0;
        modes[m].reports += received - reports0;
        stall = nullptr;
        if (done + block == 2 * block)
            rssAfterMinute = rssMiB();
    }
    const double rssEnd = rssMiB();
    f.click(u"cmdEnd"_s);
    device.terminate();
    device.waitForFinished(3000);

    std::printf("Simulator_3810 trend, %d s per mode in %d s blocks, a report requested every 50 ms:\n",
                perMode, block);
    const char *names[] = {"trend shown (60 min span)", "trend hidden"};
    for (int m = 0; m < 2; ++m) {
        const Mode &r = modes[std::size_t(m)];
        std::printf("  %-26s %.1f reports/s, window thread %.2f %% of a core, longest stall %.1f ms\n",
                    names[m], double(r.reports) / r.seconds, 100.0 * r.cpu / r.seconds,
                    double(r.longestStallUs) / 1000.0);
    }
    std::printf("  CPU shown / hidden: %.2f\n",
                (modes[0].cpu / modes[0].seconds) / (modes[1].cpu / modes[1].seconds));
    std::printf("  resident memory: %.1f MiB at the start, %.1f MiB after the first two blocks, %.1f MiB at "
                "the end\n",
                rssStart, rssAfterMinute, rssEnd);
    return 0;
}
