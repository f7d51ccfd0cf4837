// devsetup's window (offscreen) against a device that streams status answers back to back at
// the full 115200-baud line rate, every frame logged to the panel and the day's file.
// Prints the window thread's share of one core, the longest stall of its event loop (a 1 ms
// timer measuring how late it fires) and how many frames were not logged.
//
// Usage: bench_devsetup_stream [seconds] [--changing] [--noise fe|unregistered|random]
//                              (default 30 s)
// Each frame carries its number in the two status bytes the tool does not show, so every
// frame is a different line while the fields stay as a real device's repeated status leaves
// them; with --changing the number goes into the flash interval instead, so one field
// changes with every frame. With --noise the line carries no status at all but lone end bytes
// (each one a frame of its own, four log lines), unregistered 5-byte frames, or random bytes,
// still at the full line rate.
//
// CPU figures are also given as a ratio to a fixed CPU-bound reference loop timed in the same
// run: the shared build machines differ by half in speed from run to run.
#include "r5/clock.h"
#include "r5/launcher.h"
#include "r5/prompter.h"
#include "r5device/qtseriallink.h"
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
#include <poll.h>
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

enum class Noise { None, EndBytes, Unregistered, Random };

// `count` bytes of the noise, continuing where the previous call stopped.
QByteArray noiseBytes(Noise noise, qsizetype count, std::uint32_t &state)
{
    static const QByteArray unregistered = QByteArray::fromHex("7E055A44FE");
    QByteArray out(count, '\xFE');
    for (qsizetype i = 0; i < count; ++i) {
        switch (noise) {
        case Noise::Unregistered:
            out[i] = unregistered[qsizetype(state++ % unregistered.size())];
            break;
        case Noise::Random:
            state = state * 1664525u + 1013904223u; // a fixed sequence, the same every run
            out[i] = char(state >> 24);
            break;
        case Noise::None:
        case Noise::EndBytes:
            break;
        }
    }
    return out;
}

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

// CPU seconds of a fixed amount of integer work on this thread: the yardstick that the
// window's figures are divided by.
double referenceLoopSeconds()
{
    const double cpu0 = threadCpuSeconds();
    std::uint64_t x = 88172645463325252ull;
    for (int i = 0; i < 40'000'000; ++i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
    }
    const double spent = threadCpuSeconds() - cpu0;
    // The result is used, so the loop cannot be left out.
    if (x == 0)
        std::puts("");
    return spent;
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
    Noise noise = Noise::None;
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView arg(argv[i]);
        if (arg == "--changing") {
            changing = true;
        } else if (arg == "--noise" && i + 1 < argc) {
            const QByteArrayView kind(argv[++i]);
            noise = kind == "fe"             ? Noise::EndBytes
                    : kind == "unregistered" ? Noise::Unregistered
                    : kind == "random"       ? Noise::Random
                                             : Noise::None;
            if (noise == Noise::None) {
                std::fprintf(stderr, "--noise takes fe, unregistered or random\n");
                return 2;
            }
        } else {
            seconds = std::max(2.0, QByteArray(argv[i]).toDouble());
        }
    }
    const double referenceBefore = referenceLoopSeconds();
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

    // The device: whole frames (or pieces of noise), paced so that the bytes written never run
    // ahead of the line. A write that blocks means the window is not taking the line rate: the
    // share of the schedule that was written tells how much of it was absorbed.
    std::atomic<int> sent{0};
    std::atomic<bool> stop{false};
    std::uint16_t lastNumber = 0;
    double sentBytes = 0;
    double sendWall = 0;
    double blockedSeconds = 0;
    constexpr qsizetype kNoiseChunk = 64; // what a USB adapter hands over at a time, about
    std::thread device([&] {
        using Clock = std::chrono::steady_clock;
        const auto start = Clock::now();
        double bytes = 0;
        std::uint16_t number = 0;
        std::uint32_t noiseState = 1;
        char answers[256];
        while (!stop.load()) {
            const double due = bytes / kLineBytesPerSecond;
            std::this_thread::sleep_until(
                start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(due)));
            // The window's automatic status requests; nobody answers them.
            for (pollfd p{master, POLLIN, 0}; ::poll(&p, 1, 0) > 0 && (p.revents & POLLIN);)
                if (::read(master, answers, sizeof answers) <= 0)
                    break;
            QByteArray chunk;
            if (noise == Noise::None) {
                do
                    ++number;
                while (hasEndByte(number));
                chunk = statusFrame(number, numberAt);
            } else {
                chunk = noiseBytes(noise, kNoiseChunk, noiseState);
            }
            const auto before = Clock::now();
            if (::write(master, chunk.constData(), size_t(chunk.size())) != chunk.size())
                break;
            blockedSeconds += std::chrono::duration<double>(Clock::now() - before).count();
            bytes += double(chunk.size());
            lastNumber = number;
            sent.fetch_add(noise == Noise::None ? 1 : int(chunk.size()));
        }
        sentBytes = bytes;
        sendWall = std::chrono::duration<double>(Clock::now() - start).count();
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

    const double referenceAfter = referenceLoopSeconds();
    const double reference = (referenceBefore + referenceAfter) / 2;

    // Every status frame is logged as "[EOT]" and its RX line; every lone end byte as "[EOT]"
    // and three more; every unregistered frame names its id. Count them in the day's file.
    const QByteArray counted = noise == Noise::None       ? QByteArray("RX MSG ID:[0x41] LEN:[51]")
                               : noise == Noise::EndBytes ? QByteArray("]  [EOT]")
                               : noise == Noise::Unregistered
                                   ? QByteArray("Message ID:[0x5A] is Unregistered.")
                                   : QByteArray();
    const int expected = noise == Noise::Unregistered ? sent.load() / 5 : sent.load();
    int logged = 0;
    qint64 fileBytes = 0;
    const QStringList logs = QDir(u"Log"_s).entryList(QDir::Files);
    for (const QString &log : logs) {
        QFile f(u"Log/"_s + log);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        fileBytes += f.size();
        while (!counted.isEmpty() && !f.atEnd())
            logged += f.readLine().contains(counted) ? 1 : 0;
    }
    const QString lastDump =
        QString::fromLatin1(statusFrame(lastNumber, numberAt).toHex('.').toUpper()) + u'.';
    const bool lastShown = window.memo().toPlainText().endsWith(lastDump + u']');

    const double streamWall = plainWall + probedWall;
    const char *mode = noise == Noise::EndBytes       ? "lone 0xFE bytes"
                       : noise == Noise::Unregistered ? "unregistered 5-byte frames 7E 05 5A 44 FE"
                       : noise == Noise::Random       ? "random bytes"
                       : changing                     ? "status frames, one field changes with every frame"
                                                      : "status frames, fields as the device repeats them";
    std::printf("devsetup stream benchmark: %.1f s at 115200 baud (%s; platform %s)\n", streamWall, mode,
                qPrintable(QGuiApplication::platformName()));
    std::printf(
        "  line absorbed: %.1f %% of the line rate (%.0f of %.0f bytes due; the sender was blocked %.2f s)\n",
        100.0 * sentBytes / (sendWall * kLineBytesPerSecond), sentBytes, sendWall * kLineBytesPerSecond,
        blockedSeconds);
    if (noise == Noise::None)
        std::printf("  frames sent %d, logged to file %d, missed %d, last frame in the panel: %s\n",
                    sent.load(), logged, sent.load() - logged, lastShown ? "yes" : "no");
    else if (!counted.isEmpty())
        std::printf("  %s sent %d, logged to file %d, missed %d\n",
                    noise == Noise::EndBytes ? "end bytes" : "frames", expected, logged, expected - logged);
    std::printf("  day's file: %.1f MB (%.2f MB/s)\n", double(fileBytes) / 1e6,
                double(fileBytes) / 1e6 / streamWall);
    const double share = plainCpu / plainWall;
    std::printf("  reference loop: %.1f ms CPU (before %.1f, after %.1f)\n", 1e3 * reference,
                1e3 * referenceBefore, 1e3 * referenceAfter);
    std::printf("  window thread CPU: %.1f %% of one core = %.3f reference loops per second "
                "(%.1f %% with the 1 ms probe running; the probe alone, idle: %.1f %% = %.3f)\n",
                100.0 * share, share / reference, 100.0 * probedCpu / probedWall, 100.0 * idleCpu / 3.0,
                idleCpu / 3.0 / reference);
    std::printf("  event loop: longest stall %.1f ms; ticks late by >16 ms: %d, >50 ms: %d (of %lld)\n",
                double(busy.worstNs) / 1e6, busy.over16, busy.over50, static_cast<long long>(busy.ticks));
    std::printf("  log panel repaints: %.1f/s; boxes shown: %d\n", paints / streamWall, prompter.boxes);
    ::close(slave);
    ::close(master);
    return 0;
}
