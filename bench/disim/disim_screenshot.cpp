// Takes the README's picture of Simulator_3810 with its trend: offscreen, against the virtual
// device's TCP side on 127.0.0.1 with pulses on every input, requests repeated every 0.2 s, the
// outputs switched on for a while and all counters reset part way, so the picture shows lines,
// states and a gap.
//
// Usage: disim_screenshot OUT.png [seconds, default 50]
#include "simfixture.h"
#include "virt/tcpside.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QSplitter>
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
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: disim_screenshot OUT.png [seconds]\n");
        return 2;
    }
    const QString out = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const int seconds = argc > 2 ? std::max(6, QByteArray(argv[2]).toInt()) : 50;
    QTemporaryDir settings;
    disim::test::isolateSettings(settings);

    virt::TcpSide side;
    virt::TcpConfig c;
    c.port = 0;
    c.mode = 'G';
    c.pulsesPerSecond = 12;
    side.start(c);
    disim::test::SimFixture f;
    f.child<QComboBox>(u"cboTrendSpan"_s)->setCurrentIndex(0);
    f.type(u"txtDestIP"_s, u"127.0.0.1"_s);
    f.type(u"txtDestPort"_s, QString::number(side.port()));
    f.choose(u"optInterval(1)"_s);
    f.type(u"cboTime"_s, u"0.2"_s);
    f.click(u"cmdSend"_s);

    // Output 1 on for a third of the run, then every counter reset, then pulses on, slower.
    runFor(seconds * 1000 / 3);
    f.choose(u"optCommand(1)"_s);
    f.combo(u"ComboValue"_s)->setCurrentIndex(1);
    runFor(seconds * 1000 / 3);
    f.combo(u"ComboValue"_s)->setCurrentIndex(0);
    runFor(400);
    side.resetCounters();
    c.pulsesPerSecond = 8;
    side.reconfigure(c);
    f.choose(u"optCommand(0)"_s);
    runFor(seconds * 1000 / 3);
    f.click(u"cmdEnd"_s);
    runFor(300);

    const bool saved = f.window->grab().save(out, "PNG");
    std::printf("%s: window %dx%d (needs %dx%d), trend %dx%d\n", qPrintable(out), f.window->width(),
                f.window->height(), f.window->minimumSizeHint().width(), f.window->minimumSizeHint().height(),
                f.child(u"TrendPanel"_s)->width(), f.child(u"TrendPanel"_s)->height());
    for (int i = 0; i < 6; ++i) {
        const QLabel *rate = f.child<QLabel>(u"lblRate(%1)"_s.arg(i));
        std::printf("  %s: %s\n", qPrintable(rate->accessibleName()), qPrintable(rate->text()));
    }
    return saved ? 0 : 1;
}
