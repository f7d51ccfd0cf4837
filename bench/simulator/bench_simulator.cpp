// Simulator under load. First the gaps: the window as client sends a four-step program and a
// repeat run to a loopback peer that notes when each message arrives (set and measured gaps).
// Then the real window runs offscreen as the server side with "Receive && Send Receive Data"
// (echo) and a loopback client drives it from threads of its own; a plain socat echo server is
// measured in the same run for comparison. Reports echo throughput per log level, the longest
// stall of the window's event loop, peak resident memory, the bytes the log files took per
// second under a flood beside a plain sequential write of as many bytes, and whether every data
// line of a paced small-message run reached the log file.
//
// Usage: bench_simulator [--mib N] [--file-mib N] [--seconds S] [--rate R] [--long]
//        (defaults 1024, 32, 60, 10000; --long adds program gaps of 5, 10 and 30 s)
#include "consoleprompter.h"
#include "loadclient.h"
#include "r5/clock.h"
#include "r5/launcher.h"
#include "r5/prompter.h"
#include "sim/frmsimulator.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Longest gap between ticks of a 5 ms timer on the window's thread, beyond the 5 ms.
class StallProbe : public QObject
{
public:
    StallProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this,
                [this] { m_worst = std::max(m_worst, m_clock.restart() - kTickMs); });
        m_clock.start();
        m_timer.start(kTickMs);
    }
    void reset()
    {
        m_worst = 0;
        m_clock.restart();
    }
    qint64 worstMs() const { return m_worst; }

private:
    static constexpr qint64 kTickMs = 5;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_worst = 0;
};

long peakRssKb()
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

void resetPeakRss()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

pid_t startSocat(quint16 port)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        const std::string listen = "TCP-LISTEN:" + std::to_string(port) + ",bind=127.0.0.1,reuseaddr";
        ::execlp("socat", "socat", listen.c_str(), "EXEC:cat", static_cast<char *>(nullptr));
        ::_exit(127);
    }
    return pid;
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

struct Phase
{
    const char *name;
    bench::EchoResult echo;
    qint64 stallMs = 0;
    long peakKb = 0;
};

struct Gap
{
    QString what;
    int setMs;
    double measuredMs;
};

// Seconds to write `bytes` to a new file in `dir` in 1 MiB pieces, as plainly as it gets.
double plainWriteSeconds(const QString &dir, qint64 bytes)
{
    QFile f(dir + u"/plain.bin"_s);
    if (!f.open(QIODevice::WriteOnly))
        return 0;
    const QByteArray piece(1024 * 1024, 'x');
    QElapsedTimer t;
    t.start();
    for (qint64 left = bytes; left > 0; left -= piece.size())
        f.write(piece.constData(), std::min<qint64>(left, piece.size()));
    f.close();
    const double seconds = double(t.nsecsElapsed()) / 1e9;
    QFile::remove(f.fileName());
    return seconds;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const auto arg = [&](const QString &name, int fallback) {
        const qsizetype i = args.indexOf(name);
        return i >= 0 && i + 1 < args.size() ? args[i + 1].toInt() : fallback;
    };
    const std::uint64_t bulk = std::uint64_t(arg(u"--mib"_s, 1024)) << 20;
    const std::uint64_t fileBulk = std::uint64_t(arg(u"--file-mib"_s, 32)) << 20;
    const bool longGaps = args.contains(u"--long"_s);
    const int seconds = arg(u"--seconds"_s, 60);
    const int rate = arg(u"--rate"_s, 10000);
    constexpr int kMessageSize = 16;

    QTemporaryDir dir;
    QDir::setCurrent(dir.path()); // the statistics file goes to ./log
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    bench::ConsolePrompter prompter;
    r5::SystemLauncher launcher;
    r5::sim::frmSimulator window(prompter, r5::SystemClock::instance(), launcher, dir.path());
    window.show();
    StallProbe probe;

    const auto onWindow = [&](auto f) {
        QMetaObject::invokeMethod(&window, f, Qt::BlockingQueuedConnection);
    };
    const auto click = [&](const char *name) {
        window.findChild<QAbstractButton *>(QLatin1StringView(name))->click();
    };
    const quint16 port = freePort();
    // Stops any run, sets the log level and format, and listens again as an echo server.
    const auto listen = [&](const char *level, const char *format) {
        onWindow([&] {
            if (window.findChild<QAbstractButton *>(u"cmd_End"_s)->isEnabled())
                click("cmd_End");
            click("opt_Client");
            window.findChild<QLineEdit *>(u"txt_Port"_s)->setText(QString::number(port));
            click("opt_Send_recv");
            click(format);
            click(level);
            click("Cmd_Start");
        });
    };
    const auto measure = [&](Phase &p, auto run) {
        onWindow([&] {
            resetPeakRss();
            probe.reset();
        });
        run();
        onWindow([&] {
            p.stallMs = probe.worstMs();
            p.peakKb = peakRssKb();
        });
    };

    Phase socat{"socat EXEC:cat echo", {}};
    Phase none{"Simulator, None", {}};
    Phase list{"Simulator, List, HexA", {}};
    Phase flood{"Simulator, List + File, HexA", {}};
    qint64 diskBytes = 0;
    double diskSeconds = 0, plainSeconds = 0;
    std::vector<Gap> gaps;
    bench::PacedResult paced;
    Phase pacedPhase{"Simulator, List + File, HexA, paced", {}};
    QString logCheck;

    const auto text = [&](const QString &name, const QString &value) {
        window.findChild<QLineEdit *>(name)->setText(value);
    };
    const auto clientOf = [&](quint16 peerPort) {
        const QStringList octets{u"127"_s, u"0"_s, u"0"_s, u"1"_s};
        for (int i = 0; i < 4; ++i)
            text(u"txt_Destination_IP_"_s + QString::number(i), octets[i]);
        text(u"txt_Destination_Port"_s, QString::number(peerPort));
        click("opt_Server");
        click("opt_Send_Only");
        click("opt_Ascii");
        click("opt_None");
    };
    // A four-step program with the given gaps; the first step goes one second after connecting.
    const auto program = [&](const std::vector<int> &stepGaps) {
        bench::ArrivalClock peer;
        onWindow([&] {
            clientOf(peer.port());
            if (!window.findChild<QCheckBox *>(u"chkMode"_s)->isChecked())
                click("chkMode");
            for (int i = 0; i < 4; ++i)
                text(u"txtStep_"_s + QString::number(i), u"step "_s + QString::number(i + 1));
            for (int i = 0; i < 3; ++i)
                window.findChild<QComboBox *>(u"txtTimeGap_"_s + QString::number(i))
                    ->setEditText(QString::number(stepGaps[size_t(i)]));
            click("cmdSendStart");
        });
        const auto at = peer.arrivals(4, 40000);
        onWindow([&] {
            click("cmdSendStart");
            click("chkMode");
        });
        if (at.size() < 4)
            return;
        gaps.push_back({u"program, first step after connecting"_s, 1000, at[0]});
        for (int i = 0; i < 3; ++i)
            gaps.push_back({u"program, step %1 to %2"_s.arg(i + 1).arg(i + 2), stepGaps[size_t(i)],
                            at[size_t(i + 1)] - at[size_t(i)]});
    };

    std::thread driver([&] {
        program({100, 500, 1000});
        program({200, 900, 3000});
        if (longGaps)
            program({5000, 10000, 30000});
        {
            // Repeat sending, a 1-second gap: the first send one gap after connecting.
            bench::ArrivalClock peer;
            onWindow([&] {
                clientOf(peer.port());
                click("opt_Repeat");
                window.findChild<QComboBox *>(u"com_Timegap"_s)->setEditText(u"1"_s);
                window.findChild<QComboBox *>(u"com_Count"_s)->setEditText(u"5"_s);
                text(u"txt_Data_Input"_s, u"R"_s);
                click("Cmd_Start");
            });
            const auto at = peer.arrivals(5, 5000);
            onWindow([&] { click("cmd_End"); });
            for (size_t i = 0; i < at.size(); ++i)
                gaps.push_back({i == 0 ? u"repeat, first send after connecting"_s
                                       : u"repeat, send %1 to %2"_s.arg(i).arg(i + 1),
                                1000, i == 0 ? at[0] : at[i] - at[i - 1]});
        }

        const quint16 socatPort = freePort();
        const pid_t socatPid = startSocat(socatPort);
        socat.echo = bench::echoBulk(socatPort, bulk);
        ::kill(socatPid, SIGTERM);
        ::waitpid(socatPid, nullptr, 0);

        listen("opt_None", "opt_Ascii");
        measure(none, [&] { none.echo = bench::echoBulk(port, bulk); });
        listen("opt_List", "opt_HexA");
        measure(list, [&] { list.echo = bench::echoBulk(port, bulk); });
        // A flood with every byte written to two files as hex: the disk's share, in the same
        // run, beside a plain sequential write of as many bytes.
        listen("Opt_List_File", "opt_HexA");
        qint64 before = 0;
        QElapsedTimer floodClock;
        onWindow([&] { before = window.activityLog().bytesWritten(); });
        floodClock.start();
        measure(flood, [&] { flood.echo = bench::echoBulk(port, fileBulk); });
        onWindow([&] { window.activityLog().waitWritten(); });
        diskSeconds = double(floodClock.nsecsElapsed()) / 1e9;
        onWindow([&] { diskBytes = window.activityLog().bytesWritten() - before; });
        plainSeconds = plainWriteSeconds(dir.path(), diskBytes);

        listen("Opt_List_File", "opt_HexA");
        measure(pacedPhase, [&] { paced = bench::echoPaced(port, rate, seconds, kMessageSize); });
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        QString userLog;
        onWindow([&] {
            click("cmd_End");
            userLog = window.findChild<QLineEdit *>(u"txt_Logfile"_s)->text();
        });

        // Every data line must be in the log file: the byte counts of the Recv lines and of
        // the Send lines each add up to what the client sent.
        QFile f(userLog);
        f.open(QIODevice::ReadOnly);
        static const QRegularExpression form(
            u"^\\[ \\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\] : (Recv|Send) \\[ (\\d+) byte \\] : (.*)$"_s);
        quint64 recvBytes = 0, sendBytes = 0, recvLines = 0, sendLines = 0, bad = 0;
        while (!f.atEnd()) {
            const QString line = QString::fromLatin1(f.readLine()).chopped(2);
            const auto m = form.match(line);
            if (!m.hasMatch())
                continue; // status lines
            const quint64 n = m.captured(2).toULongLong();
            if (quint64(m.captured(3).size()) != 3 * n)
                ++bad;
            (m.captured(1) == u"Recv" ? recvBytes : sendBytes) += n;
            ++(m.captured(1) == u"Recv" ? recvLines : sendLines);
        }
        // The flood before wrote to the same file.
        const quint64 want = paced.messages * kMessageSize + flood.echo.bytes;
        logCheck = QString::asprintf(
            "%llu Recv lines (%llu bytes), %llu Send lines (%llu bytes), %llu malformed; "
            "the flood's and the paced client's bytes: %llu: %s",
            recvLines, recvBytes, sendLines, sendBytes, bad, want,
            recvBytes == want && sendBytes == want && bad == 0 ? "all present" : "LINES LOST");
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    QApplication::exec();
    driver.join();

    const double ratio =
        socat.echo.mbPerSecond() > 0 ? none.echo.mbPerSecond() / socat.echo.mbPerSecond() : 0;
    std::printf("gaps at a loopback peer (set, measured, difference)\n");
    double worstGap = 0;
    for (const Gap &g : gaps) {
        std::printf("  %-40s %6d ms %9.1f ms %+6.1f ms\n", qPrintable(g.what), g.setMs, g.measuredMs,
                    g.measuredMs - g.setMs);
        worstGap = std::max(worstGap, std::abs(g.measuredMs - g.setMs));
    }
    std::printf("  largest difference: %.1f ms over %zu gaps\n", worstGap, gaps.size());
    std::printf("echo of %llu MiB over 127.0.0.1 (client writes and reads concurrently)\n",
                static_cast<unsigned long long>(bulk >> 20));
    std::printf("%-40s %10s %8s %12s %12s\n", "server", "MB/s", "intact", "stall ms", "peak RSS MB");
    for (const Phase *p : {&socat, &none, &list, &flood}) {
        std::printf("%-40s %10.1f %8s", p->name, p->echo.mbPerSecond(), p->echo.intact ? "yes" : "NO");
        if (p == &socat)
            std::printf(" %12s %12s\n", "-", "-");
        else
            std::printf(" %12lld %12.1f\n", static_cast<long long>(p->stallMs), double(p->peakKb) / 1024);
    }
    std::printf("None / socat throughput ratio: %.2f\n", ratio);
    std::printf(
        "flood of %llu MiB, List + File, HexA: echo %.1f MB/s (%s), stall %lld ms, peak RSS %.1f MB\n",
        static_cast<unsigned long long>(fileBulk >> 20), flood.echo.mbPerSecond(),
        flood.echo.intact ? "intact" : "NOT INTACT", static_cast<long long>(flood.stallMs),
        double(flood.peakKb) / 1024);
    const double diskRate = diskSeconds > 0 ? double(diskBytes) / diskSeconds / 1e6 : 0;
    const double plainRate = plainSeconds > 0 ? double(diskBytes) / plainSeconds / 1e6 : 0;
    std::printf("log files took %.1f MB in %.2f s: %.1f MB/s; plain sequential write of as many bytes: "
                "%.1f MB/s; ratio %.2f\n",
                double(diskBytes) / 1e6, diskSeconds, diskRate, plainRate,
                plainRate > 0 ? diskRate / plainRate : 0.0);
    std::printf(
        "paced: %llu messages of %d bytes in %.1f s (%.0f/s), echo %s; stall %lld ms, peak RSS %.1f MB\n",
        static_cast<unsigned long long>(paced.messages), kMessageSize, paced.seconds,
        paced.seconds > 0 ? double(paced.messages) / paced.seconds : 0.0,
        paced.allEchoed ? "complete" : "INCOMPLETE", static_cast<long long>(pacedPhase.stallMs),
        double(pacedPhase.peakKb) / 1024);
    std::printf("log file: %s\n", qPrintable(logCheck));
    return 0;
}
