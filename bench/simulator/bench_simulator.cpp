// Simulator under load. The real window runs offscreen as the server side with "Receive && Send
// Receive Data" (echo) and a loopback client drives it from threads of its own; a plain socat echo
// server is measured in the same run for comparison. Reports echo throughput per log level, the
// longest stall of the window's event loop, peak resident memory, and whether every data line of
// a paced small-message run reached the log file.
//
// Usage: bench_simulator [--mib N] [--seconds S] [--rate R]   (defaults 1024, 60, 10000)
#include "loadclient.h"
#include "r5/clock.h"
#include "r5/launcher.h"
#include "r5/prompter.h"
#include "sim/frmsimulator.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Boxes are counted, never shown: a benchmark has nobody to press OK.
class CountingPrompter final : public r5::Prompter
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
    const int seconds = arg(u"--seconds"_s, 60);
    const int rate = arg(u"--rate"_s, 10000);
    constexpr int kMessageSize = 16;

    QTemporaryDir dir;
    QDir::setCurrent(dir.path()); // the statistics file goes to ./log
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    CountingPrompter prompter;
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
    bench::PacedResult paced;
    Phase pacedPhase{"Simulator, List + File, HexA, paced", {}};
    QString logCheck;

    std::thread driver([&] {
        const quint16 socatPort = freePort();
        const pid_t socatPid = startSocat(socatPort);
        socat.echo = bench::echoBulk(socatPort, bulk);
        ::kill(socatPid, SIGTERM);
        ::waitpid(socatPid, nullptr, 0);

        listen("opt_None", "opt_Ascii");
        measure(none, [&] { none.echo = bench::echoBulk(port, bulk); });
        listen("opt_List", "opt_HexA");
        measure(list, [&] { list.echo = bench::echoBulk(port, bulk); });
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
        const quint64 want = paced.messages * kMessageSize;
        logCheck = QString::asprintf(
            "%llu Recv lines (%llu bytes), %llu Send lines (%llu bytes), %llu malformed; "
            "client sent %llu bytes: %s",
            recvLines, recvBytes, sendLines, sendBytes, bad, want,
            recvBytes == want && sendBytes == want && bad == 0 ? "all present" : "LINES LOST");
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    QApplication::exec();
    driver.join();

    const double ratio =
        socat.echo.mbPerSecond() > 0 ? none.echo.mbPerSecond() / socat.echo.mbPerSecond() : 0;
    std::printf("echo of %llu MiB over 127.0.0.1 (client writes and reads concurrently)\n",
                static_cast<unsigned long long>(bulk >> 20));
    std::printf("%-40s %10s %8s %12s %12s\n", "server", "MB/s", "intact", "stall ms", "peak RSS MB");
    for (const Phase *p : {&socat, &none, &list}) {
        std::printf("%-40s %10.1f %8s", p->name, p->echo.mbPerSecond(), p->echo.intact ? "yes" : "NO");
        if (p == &socat)
            std::printf(" %12s %12s\n", "-", "-");
        else
            std::printf(" %12lld %12.1f\n", static_cast<long long>(p->stallMs), double(p->peakKb) / 1024);
    }
    std::printf("None / socat throughput ratio: %.2f\n", ratio);
    std::printf(
        "paced: %llu messages of %d bytes in %.1f s (%.0f/s), echo %s; stall %lld ms, peak RSS %.1f MB\n",
        static_cast<unsigned long long>(paced.messages), kMessageSize, paced.seconds,
        paced.seconds > 0 ? double(paced.messages) / paced.seconds : 0.0,
        paced.allEchoed ? "complete" : "INCOMPLETE", static_cast<long long>(pacedPhase.stallMs),
        double(pacedPhase.peakKb) / 1024);
    std::printf("log file: %s\n", qPrintable(logCheck));
    return 0;
}
