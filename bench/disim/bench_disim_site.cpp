// The Site window watching 100, 250 and 500 devices of a virtual fleet (r5200tx-virtual --fleet, a
// process of its own, on 127.0.6.1 and on) at a 1 s interval, offscreen, with the real ICMP echo:
// per size, this process's CPU while it watches (nothing else runs in it), beside a reference
// loop timed on the same thread in the same run; the longest stall of the window thread (how late
// a 1 ms timer comes); and how long after five devices are switched off their rows say "offline".
//
// Usage: bench_disim_site [seconds of CPU per size, default 20] [column to sort by, default none]
// (4, "Last report", is the costliest: every answer moves its row)
#include "r5/clock.h"
#include "r5/prompter.h"
#include "r5device/tcp/icmpecho.h"
#include "r5site/sitelist.h"
#include "simfixture.h"
#include "ui/frmsite.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QProcess>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {
constexpr int kFleet = 500;

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until `done` holds or `ms` passed; the time it took, or -1.
qint64 waitFor(const std::function<bool()> &done, int ms, int stepMs = 20)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return -1;
        runFor(stepMs);
    }
    return t.elapsed();
}

double threadCpuSeconds()
{
    QFile stat(u"/proc/thread-self/schedstat"_s);
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    return double(stat.readAll().split(' ').value(0).toLongLong()) / 1e9;
}

// Every thread of the process, from the scheduler's account.
double processCpuSeconds()
{
    double sum = 0;
    const QDir tasks(u"/proc/self/task"_s);
    for (const QString &t : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(t + u"/schedstat"_s));
        if (stat.open(QIODevice::ReadOnly))
            sum += double(stat.readAll().split(' ').value(0).toLongLong()) / 1e9;
    }
    return sum;
}

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

class NoBoxes final : public r5::Prompter
{
public:
    void message(QWidget *, Icon, const QString &, const QString &text) override
    {
        std::fprintf(stderr, "box: %s\n", qPrintable(text));
    }
    bool askYesNo(QWidget *, const QString &, const QString &, Icon) override { return false; }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &, bool) override
    {
        return {};
    }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
};
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(5, QByteArray(argv[1]).toInt()) : 20;
    const int sortColumn = argc > 2 ? QByteArray(argv[2]).toInt() : -1;
    QTemporaryDir dir;
    disim::test::isolateSettings(dir);

    QProcess fleet;
    fleet.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    fleet.start(QCoreApplication::applicationDirPath() + u"/r5200tx-virtual"_s,
                {u"--fleet"_s, QString::number(kFleet), u"--tcp-address"_s, u"127.0.6.1"_s, u"--fleet-list"_s,
                 dir.filePath(u"fleet.csv"_s)});
    if (!fleet.waitForReadyRead(10000)) {
        std::fprintf(stderr, "cannot start r5200tx-virtual --fleet beside this program\n");
        return 1;
    }
    QObject::connect(&fleet, &QProcess::readyReadStandardOutput, &fleet,
                     [&] { fleet.readAllStandardOutput(); });
    const r5site::SiteList all = r5site::readSiteList(dir.filePath(u"fleet.csv"_s));
    if (!all.ok() || all.entries.size() != kFleet) {
        std::fprintf(stderr, "fleet list: %s\n", qPrintable(all.error));
        return 1;
    }

    NoBoxes prompter;
    r5::test::FakeLauncher launcher;
    disim::test::FakeResolver resolver;
    const double refBefore = referenceSecondsPerMillion();
    std::printf("Site window at a 1 s interval, offscreen, fleet on 127.0.6.x in its own process; CPU over "
                "%d s; %s:\n",
                seconds,
                sortColumn < 0 ? "list order"
                               : qPrintable(u"sorted by column "_s + QString::number(sortColumn)));
    for (const int n : {100, 250, 500}) {
        disim::frmSite window({prompter, r5::SystemClock::instance(), launcher, resolver,
                               [] { return std::make_unique<disim::IcmpEcho>(); }, dir.path()},
                              all.entries.mid(0, n), dir.filePath(u"fleet.csv"_s));
        window.resize(1100, 700);
        window.show();
        window.findChild<QSpinBox *>(u"spnInterval"_s)->setValue(1);
        if (sortColumn >= 0)
            window.findChild<QTableView *>(u"tblSite"_s)->sortByColumn(sortColumn, Qt::AscendingOrder);
        auto *summary = window.findChild<QLabel *>(u"lblSummary"_s);
        const QString allOnline = u"%1 devices: %1 online, 0 offline, 0 not reached"_s.arg(n);
        const qint64 settled = waitFor([&] { return summary->text() == allOnline; }, 20000);
        runFor(3000);

        const double cpu0 = processCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        runFor(seconds * 1000);
        const double cpu = (processCpuSeconds() - cpu0) / (double(wall.elapsed()) / 1000.0);

        // How late a 1 ms timer comes is how long the window thread was held up.
        qint64 worstUs = 0;
        {
            QElapsedTimer beatClock;
            qint64 last = -1;
            QTimer beat;
            beat.setTimerType(Qt::PreciseTimer);
            QObject::connect(&beat, &QTimer::timeout, &app, [&] {
                const qint64 now = beatClock.nsecsElapsed() / 1000;
                if (last >= 0)
                    worstUs = std::max(worstUs, now - last - 1000);
                last = now;
            });
            beatClock.start();
            beat.start(1);
            runFor(10000);
        }

        // Five devices switched off (connections refused), then on again.
        QAbstractItemModel *shown = window.findChild<QTableView *>(u"tblSite"_s)->model();
        const auto rowsSay = [&](const QString &state) {
            int found = 0;
            for (int r = 0; r < shown->rowCount(); ++r) {
                const QString address = shown->index(r, 2).data().toString();
                if (address.startsWith(u"127.0.6."_s) &&
                    address.section(u'.', 3).section(u':', 0, 0).toInt() <= 5)
                    found += shown->index(r, 3).data().toString() == state;
            }
            return found == 5;
        };
        fleet.write("stop 1-5\n");
        // The table reads the check as it draws; what the user sees changes with the check's signal,
        // which updates the summary line too.
        const QString fiveOff = u"%1 online, 5 offline"_s.arg(n - 5);
        const qint64 offlineMs =
            waitFor([&] { return rowsSay(u"offline"_s) && summary->text().contains(fiveOff); }, 30000, 5);
        fleet.write("start 1-5\n");
        const qint64 onlineMs = waitFor([&] { return summary->text() == allOnline; }, 30000, 5);

        std::printf("  %3d devices: all online after %.1f s; CPU %.2f %% of a core; longest stall %.1f ms; "
                    "five switched off: \"%s\" and their rows \"offline\" after %.2f s, all online again "
                    "%.2f s after they were switched on\n",
                    n, double(settled) / 1000.0, 100.0 * cpu, double(worstUs) / 1000.0, qPrintable(fiveOff),
                    double(offlineMs) / 1000.0, double(onlineMs) / 1000.0);
        std::fflush(stdout);
    }
    const double refAfter = referenceSecondsPerMillion();
    std::printf("  reference loop: %.2f ms per million rounds (%.2f before, %.2f after)\n",
                500.0 * (refBefore + refAfter), 1000.0 * refBefore, 1000.0 * refAfter);
    fleet.closeWriteChannel();
    fleet.terminate();
    fleet.waitForFinished(3000);
    return 0;
}
