// What one report costs Simulator_3810: the window offscreen, "Repeat" at its fastest accepted
// interval (0.001 s) against the virtual device (r5200tx-virtual on 127.0.0.1, a process of its
// own), with every record it can keep switched on: the activity list, "List + File", the day's
// report CSV and the trend. Printed: reports a second, the window thread's and the process's
// CPU, reports per CPU second of the process, and beside them a fixed reference loop timed on
// the same thread in the same run, so runs on a busy or a quiet machine compare by the ratio.
// At the end the window is closed and the log file, the CSV file and the lines the list received
// are counted: every report must be in all three.
//
// Usage: bench_disim_rate [seconds, default 20]
#include "core/activity.h"
#include "core/reportcsv.h"
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

double threadCpuSeconds()
{
    QFile stat(u"/proc/thread-self/schedstat"_s);
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    return double(stat.readAll().split(' ').value(0).toLongLong()) / 1e9;
}

// User + system time of the whole process (every thread), from the kernel's account.
double processCpuSeconds()
{
    QFile stat(u"/proc/self/stat"_s);
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray s = stat.readAll();
    const QList<QByteArray> f = s.mid(s.lastIndexOf(')') + 2).split(' ');
    return double(f.value(11).toLongLong() + f.value(12).toLongLong()) / 100.0; // clock ticks
}

// The yardstick: a fixed integer loop, its thread CPU seconds per million rounds.
double referenceSecondsPerMillion()
{
    const double t0 = threadCpuSeconds();
    volatile quint64 sink = 0;
    quint64 x = 88172645463325252ull;
    for (int i = 0; i < 50'000'000; ++i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        sink = sink + (x & 0xff);
    }
    return (threadCpuSeconds() - t0) / 50.0;
}

qsizetype countIn(const QString &path, const QByteArray &what)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return file.readAll().count(what);
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(3, QByteArray(argv[1]).toInt()) : 20;
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

    const double refBefore = referenceSecondsPerMillion();
    auto f = std::make_unique<disim::test::SimFixture>();
    const QString logFolder = f->logDir.path();
    f->child<QComboBox>(u"cboTrendSpan"_s)->setCurrentIndex(3);
    auto *list = f->child<QListWidget>(u"List1"_s);
    qint64 listed = 0;
    QObject::connect(list->model(), &QAbstractItemModel::rowsInserted, &app,
                     [&](const QModelIndex &, int first, int last) {
                         for (int r = first; r <= last; ++r)
                             listed += list->item(r)->text().contains(u" RECV : "_s);
                     });
    f->type(u"txtDestIP"_s, u"127.0.0.1"_s);
    f->type(u"txtDestPort"_s, QString::number(port));
    f->choose(u"optLog(1)"_s);
    f->choose(u"optInterval(1)"_s);
    f->type(u"cboTime"_s, u"0.001"_s);
    f->click(u"cmdSend"_s);
    runFor(2000); // connected and running before the measurement

    const qint64 listed0 = listed;
    const double thread0 = threadCpuSeconds();
    const double process0 = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    runFor(seconds * 1000);
    const double wallS = double(wall.elapsed()) / 1000.0;
    const double threadS = threadCpuSeconds() - thread0;
    const double processS = processCpuSeconds() - process0;
    const qint64 reports = listed - listed0;
    f->click(u"cmdEnd"_s);
    runFor(500); // the last answers arrive
    const QDate day = f->clock.localDate();
    f->window.reset(); // closing writes out whatever is still held
    const double refAfter = referenceSecondsPerMillion();
    device.terminate();
    device.waitForFinished(3000);

    const double ref = (refBefore + refAfter) / 2;
    const double perCpuSecond = double(reports) / processS;
    std::printf("Simulator_3810, Repeat at 0.001 s for %d s, List + File, CSV and trend on:\n", seconds);
    std::printf("  %.1f reports/s; window thread %.1f %% of a core, process %.1f %%\n",
                double(reports) / wallS, 100.0 * threadS / wallS, 100.0 * processS / wallS);
    std::printf("  %.3f ms of the window thread per report; %.0f reports per process CPU second\n",
                1000.0 * threadS / double(std::max<qint64>(1, reports)), perCpuSecond);
    std::printf("  reference loop: %.2f ms per million rounds (%.2f before, %.2f after)\n", ref * 1000.0,
                refBefore * 1000.0, refAfter * 1000.0);
    std::printf("  reports per process CPU second x reference seconds per million rounds: %.3f\n",
                perCpuSecond * ref);

    const qsizetype logged = countIn(logFolder + u'/' + disim::logFileName(day), " RECV : ");
    const qsizetype rows = countIn(logFolder + u'/' + disim::reportCsvFileName(day), "\r\n") - 1;
    std::printf("  RECV lines listed %lld, in the log file %lld, CSV rows %lld%s\n",
                static_cast<long long>(listed), static_cast<long long>(logged), static_cast<long long>(rows),
                listed == logged && logged == rows ? "" : "  <-- MISMATCH");
    return listed == logged && logged == rows ? 0 : 2;
}
