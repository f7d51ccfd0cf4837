// How long devsetup's "Reconnect" takes to open a port again once it is back, as a share of
// the watch interval. The real window (offscreen) holds a symbolic link to a pseudo-terminal
// as its port; each re-plug closes the terminal and removes the link (the window logs the
// loss), then after a varying pause makes a new terminal under the same link, and times from
// the link's return to the window's port being open again.
//
// Usage: bench_reconnect [re-plugs] (default 20)
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
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <pty.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Watch interval of the window's reconnect watcher (ReconnectWatcher::kIntervalMs).
constexpr double kWatchIntervalMs = 500;

class SilentPrompter final : public r5::Prompter
{
public:
    void message(QWidget *, Icon, const QString &, const QString &) override { ++boxes; }
    bool askYesNo(QWidget *, const QString &, const QString &, Icon) override { return ++boxes, false; }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &, bool) override
    {
        return {};
    }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    int boxes = 0;
};

// A pseudo-terminal whose terminal side only the window opens, linked at `link`.
int plugIn(const QString &link)
{
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return -1;
    ::close(slave);
    QFile::remove(link);
    if (!QFile::link(QString::fromLocal8Bit(name), link)) {
        ::close(master);
        return -1;
    }
    return master;
}

bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done() || t.elapsed() > timeoutMs)
            loop.quit();
    });
    tick.start(1);
    loop.exec();
    return done();
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int plugs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 20;

    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    QDir().mkdir(u"cfg"_s);
    QDir().mkdir(u"Log"_s);
    // The bench's own settings store: "Reconnect" at its default (on).
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath(u"config"_s));
    const QString link = dir.filePath(u"ttyUSB0"_s);
    QFile ini(u"cfg/SETUP.INI"_s);
    if (!ini.open(QIODevice::WriteOnly) || ini.write("[EnvBoard]\r\nComPort=" + link.toUtf8() + "\r\n") < 0)
        return 1;
    ini.close();

    int master = plugIn(link);
    SilentPrompter prompter;
    r5::SystemLauncher launcher;
    r5setup::MainWindow window({prompter, r5::SystemClock::instance(), launcher},
                               std::make_unique<r5setup::QtSerialLink>());
    window.show();
    window.findChild<QPushButton *>(u"ButtonStart"_s)->click();
    if (master < 0 || !window.link().isOpen()) {
        std::fprintf(stderr, "cannot connect the window to %s\n", qPrintable(link));
        return 1;
    }

    QList<double> lossMs;
    QList<double> returnMs;
    QElapsedTimer clock;
    for (int i = 0; i < plugs; ++i) {
        clock.start();
        ::close(master); // pulled: the window's reads fail
        QFile::remove(link);
        if (!waitFor([&] { return window.linkState() == r5setup::LinkState::Waiting; }, 10000))
            return std::fprintf(stderr, "loss %d not noticed\n", i), 1;
        lossMs.append(double(clock.nsecsElapsed()) / 1e6);
        // A pause of a different length each time, so the return falls at every point of the
        // watch interval.
        const int pause = 100 + (i * 137) % 700;
        waitFor([&] { return clock.elapsed() > lossMs.last() + pause; }, 10000);
        master = plugIn(link);
        clock.start();
        if (master < 0 ||
            !waitFor([&] { return window.linkState() == r5setup::LinkState::Connected; }, 10000))
            return std::fprintf(stderr, "re-plug %d not reconnected\n", i), 1;
        returnMs.append(double(clock.nsecsElapsed()) / 1e6);
    }
    ::close(master);

    std::sort(returnMs.begin(), returnMs.end());
    double sum = 0;
    for (double v : std::as_const(returnMs))
        sum += v;
    const double mean = sum / double(returnMs.size());
    const double lossMax = *std::max_element(lossMs.cbegin(), lossMs.cend());
    std::printf("re-plugs: %d, watch interval %.0f ms, boxes shown: %d\n", plugs, kWatchIntervalMs,
                prompter.boxes);
    std::printf("port back -> reopened: mean %.1f ms (%.2f x interval), median %.1f ms (%.2f x), "
                "min %.1f ms, max %.1f ms (%.2f x)\n",
                mean, mean / kWatchIntervalMs, returnMs[returnMs.size() / 2],
                returnMs[returnMs.size() / 2] / kWatchIntervalMs, returnMs.first(), returnMs.last(),
                returnMs.last() / kWatchIntervalMs);
    std::printf("pulled -> loss noticed: max %.1f ms\n", lossMax);
    return 0;
}
