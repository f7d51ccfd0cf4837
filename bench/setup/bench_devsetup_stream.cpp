// devsetup's window (offscreen) against a device that streams status answers back to back at
// the full 115200-baud line rate, every frame logged to the panel and the day's file.
// Prints the window thread's share of one core, the longest stall of its event loop (a 1 ms
// timer measuring how late it fires) and how many frames were not logged.
//
// Usage: bench_devsetup_stream [seconds] [--changing]   (default 30 s)
// Each frame carries its number in the two status bytes the tool does not show, so every
// frame is a different line while the fields stay as a real device's repeated status leaves
// them; with --changing the number goes into the flash interval instead, so one field
// changes with every frame.
#include "r5/clock.h"
#include "r5/launcher.h"
#include "r5/prompter.h"
#include "r5setup/qtseriallink.h"
#include "r5setup/ui/mainwindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// 115200 baud, 8N1: ten bit times per byte.
constexpr double kLineBytesPerSecond = 115200.0 / 10.0;
constexpr int kFrameSize = 51;

// A box during the run is a fault of the run; it is counted and answered No at once.
class CountingPrompter final : public r5::Prompter
{
public:
    void message(QWidget *, Icon, const QString &, const QString &text) override { note(text); }
    bool askYesNo(QWidget *, const QString &, const QString &text, Icon) override
    {
        note(text);
        return false;
    }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &, bool) override
    {
        return {};
    }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    int boxes = 0;

private:
    void note(const QString &text)
    {
        ++boxes;
        std::fprintf(stderr, "box: %s\n", qPrintable(text));
    }
};

// A status answer carrying the frame's number at `at` (two bytes, high first), so each frame
// differs and the last one can be recognised. Numbers with a byte 0xFE are skipped: that byte
// would end the frame early.
constexpr int kUnshownAt = 39;
constexpr int kFlashIntervalAt = 47;

QByteArray statusFrame(std::uint16_t number, int at)
{
    QByteArray f = QByteArray::fromHex("7E334144"
                                       "010105"
                                       "0252005458"
                                       "01"
                                       "7F000001"
                                       "7F000001"
                                       "FF000000"
                                       "0FA0"
                                       "00"
                                       "4E"
                                       "000A000A000A000A000A"
                                       "0000"
                                       "4646464646"
                                       "46"
                                       "0000"
                                       "05"
                                       "FE");
    f[at] = char(number >> 8);
    f[at + 1] = char(number & 0xFF);
    return f;
}

// Counts the log panel's repaints: where the platform paints, the panel's cost includes them.
class PaintCounter final : public QObject
{
public:
    using QObject::QObject;
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

bool hasEndByte(std::uint16_t n)
{
    return (n >> 8) == 0xFE || (n & 0xFF) == 0xFE;
}

// CPU time of the calling thread. The scheduler's own account (nanoseconds) where there is one:
// getrusage() counts in scheduler ticks, too coarse for a few percent of a core.
double threadCpuSeconds()
{
    QFile stat(u"/proc/thread-self/schedstat"_s);
    if (stat.open(QIODevice::ReadOnly)) {
        bool ok = false;
        const qint64 ns = stat.readAll().split(' ').value(0).toLongLong(&ok);
        if (ok)
            return double(ns) / 1e9;
    }
    rusage u{};
    getrusage(RUSAGE_THREAD, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Probe
{
    QElapsedTimer clock;
    qint64 lastNs = 0;
    qint64 worstNs = 0;
    int over16 = 0;
    int over50 = 0;
    qint64 ticks = 0;

    void tick()
    {
        const qint64 now = clock.nsecsElapsed();
        const qint64 late = now - lastNs - 1'000'000;
        lastNs = now;
        ++ticks;
        worstNs = std::max(worstNs, late);
        over16 += late > 16'000'000 ? 1 : 0;
        over50 += late > 50'000'000 ? 1 : 0;
    }
};

// Runs the event loop for `seconds`, with the 1 ms probe when one is given; returns the window
// thread's CPU time.
double runFor(double seconds, Probe *probe)
{
    // A loop of its own: quitting the application would close the window.
    QEventLoop loop;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(1);
    QObject::connect(&timer, &QTimer::timeout, &loop, [probe] { probe->tick(); });
    QTimer::singleShot(int(seconds * 1000), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    const double cpu0 = threadCpuSeconds();
    if (probe) {
        probe->clock.start();
        timer.start();
    }
    loop.exec();
    return threadCpuSeconds() - cpu0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    double seconds = 30.0;
    bool changing = false;
    for (int i = 1; i < argc; ++i) {
        if (QByteArrayView(argv[i]) == "--changing")
            changing = true;
        else
            seconds = std::max(2.0, QByteArray(argv[i]).toDouble());
    }
    const int numberAt = changing ? kFlashIntervalAt : kUnshownAt;

    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    QDir().mkdir(u"cfg"_s);
    QDir().mkdir(u"Log"_s);

    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }
    termios tio{};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);
    QFile ini(u"cfg/SETUP.INI"_s);
    if (!ini.open(QIODevice::WriteOnly))
        return 1;
    ini.write("[EnvBoard]\r\nComPort=" + QByteArray(name) + "\r\n");
    ini.close();

    CountingPrompter prompter;
    r5::SystemLauncher launcher;
    r5setup::MainWindow window({prompter, r5::SystemClock::instance(), launcher},
                               std::make_unique<r5setup::QtSerialLink>());
    window.show();
    window.ButtonStartClick();
    if (!window.link().isOpen()) {
        std::fprintf(stderr, "cannot open %s\n", name);
        return 1;
    }

    // The window alone first: what the probe itself costs.
    Probe idle;
    const double idleCpu = runFor(3, &idle);

    // The device: whole frames, paced so that the bytes written never run ahead of the line.
    std::atomic<int> sent{0};
    std::atomic<bool> stop{false};
    std::uint16_t lastNumber = 0;
    std::thread device([&] {
        using Clock = std::chrono::steady_clock;
        const auto start = Clock::now();
        double bytes = 0;
        std::uint16_t number = 0;
        while (!stop.load()) {
            const double due = bytes / kLineBytesPerSecond;
            std::this_thread::sleep_until(
                start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(due)));
            do
                ++number;
            while (hasEndByte(number));
            const QByteArray frame = statusFrame(number, numberAt);
            if (::write(master, frame.constData(), size_t(frame.size())) != frame.size())
                break;
            bytes += kFrameSize;
            lastNumber = number;
            sent.fetch_add(1);
        }
    });

    PaintCounter panelPaints;
    window.memo().viewport()->installEventFilter(&panelPaints);
    // Half the time without the probe, for the window's own CPU share; half with it, for the
    // stalls.
    QElapsedTimer wall;
    wall.start();
    const double plainCpu = runFor(seconds / 2, nullptr);
    const double plainWall = double(wall.nsecsElapsed()) / 1e9;
    Probe busy;
    wall.restart();
    const double probedCpu = runFor(seconds / 2, &busy);
    const double probedWall = double(wall.nsecsElapsed()) / 1e9;
    const int paints = panelPaints.paints;
    stop.store(true);
    device.join();
    // Let the last frames in.
    Probe drain;
    runFor(1, &drain);

    // Every frame is logged as "[EOT]" and its RX line; count the RX lines in the day's file.
    int logged = 0;
    const QStringList logs = QDir(u"Log"_s).entryList(QDir::Files);
    for (const QString &log : logs) {
        QFile f(u"Log/"_s + log);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        while (!f.atEnd())
            logged += f.readLine().contains("RX MSG ID:[0x41] LEN:[51]") ? 1 : 0;
    }
    const QString lastDump =
        QString::fromLatin1(statusFrame(lastNumber, numberAt).toHex('.').toUpper()) + u'.';
    const bool lastShown = window.memo().toPlainText().endsWith(lastDump + u']');

    const double streamWall = plainWall + probedWall;
    std::printf(
        "devsetup stream benchmark: %.1f s at 115200 baud (%.1f status frames/s, 2 log lines each; %s)\n",
        streamWall, kLineBytesPerSecond / kFrameSize,
        changing ? "one field changes with every frame" : "fields as the device repeats them");
    std::printf("  frames sent %d, logged to file %d, missed %d, last frame in the panel: %s\n", sent.load(),
                logged, sent.load() - logged, lastShown ? "yes" : "no");
    std::printf(
        "  window thread CPU: %.1f %% of one core (%.1f %% with the 1 ms probe running; the probe alone, "
        "idle: %.1f %%)\n",
        100.0 * plainCpu / plainWall, 100.0 * probedCpu / probedWall, 100.0 * idleCpu / 3.0);
    std::printf("  event loop: longest stall %.1f ms; ticks late by >16 ms: %d, >50 ms: %d (of %lld)\n",
                double(busy.worstNs) / 1e6, busy.over16, busy.over50, static_cast<long long>(busy.ticks));
    std::printf("  log panel repaints: %.1f/s (platform %s); boxes shown: %d\n", paints / streamWall,
                qPrintable(QGuiApplication::platformName()), prompter.boxes);
    ::close(slave);
    ::close(master);
    return 0;
}
