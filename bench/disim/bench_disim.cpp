// Numbers for Simulator_3810, all on 127.0.0.1: the repeat interval's jitter as the device sees
// it, the report decoder's throughput and the loopback echo round trip.
// Usage: bench_disim [seconds of repeat at 1 s, default 60]
#include "r5device/tcp/pingsession.h"
#include "r5device/tcp/report.h"
#include "simfixture.h"
#include "virt/tcpside.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {
void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void repeatJitter(int seconds)
{
    virt::TcpSide side;
    side.start({QHostAddress::LocalHost, 0});
    QElapsedTimer clock;
    clock.start();
    QList<qint64> arrivals;
    QObject::connect(&side, &virt::TcpSide::log, &side, [&](const QString &line) {
        if (line.contains(u"status request"_s))
            arrivals << clock.nsecsElapsed();
    });
    disim::test::SimFixture f;
    f.type(u"txtDestIP"_s, u"127.0.0.1"_s);
    f.type(u"txtDestPort"_s, QString::number(side.port()));
    f.choose(u"optInterval(1)"_s);
    f.type(u"cboTime"_s, u"1"_s);
    f.click(u"cmdSend"_s); // connects on demand, then every second
    runFor(seconds * 1000 + 1500);
    f.click(u"cmdEnd"_s);

    QList<double> gaps;
    for (qsizetype i = 2; i < arrivals.size(); ++i) // the first gap includes the connect wait
        gaps << (arrivals[i] - arrivals[i - 1]) / 1e6;
    if (gaps.isEmpty()) {
        std::printf("repeat: no arrivals\n");
        return;
    }
    double sum = 0, sq = 0;
    for (double g : gaps)
        sum += g;
    const double mean = sum / double(gaps.size());
    for (double g : gaps)
        sq += (g - mean) * (g - mean);
    const auto [lo, hi] = std::minmax_element(gaps.cbegin(), gaps.cend());
    std::printf("repeat at 1 s over %d s: %lld commands, interval mean %.3f ms, stddev %.3f ms, "
                "min %.3f ms, max %.3f ms, drift over run %.1f ms\n",
                seconds, static_cast<long long>(arrivals.size()), mean, std::sqrt(sq / double(gaps.size())),
                *lo, *hi, sum - 1000.0 * double(gaps.size()));
}

void decoderThroughput()
{
    QByteArray report = "G01010110" + QByteArray(48, '\x11');
    const int n = 2'000'000;
    QElapsedTimer t;
    t.start();
    quint64 sink = 0;
    for (int i = 0; i < n; ++i) {
        report[9] = char(i);
        sink += disim::decodeReport(report)->counters[0];
    }
    const double ms = double(t.nsecsElapsed()) / 1e6;
    std::printf("decoder: %d 57-byte reports in %.1f ms (%.0f ns each, sink %llu)\n", n, ms, ms * 1e6 / n,
                static_cast<unsigned long long>(sink));
}

void loopbackEcho()
{
    disim::SystemResolver resolver;
    disim::IcmpEcho echo;
    disim::PingSession session(resolver, echo);
    QStringList lines;
    QObject::connect(&session, &disim::PingSession::line, &session, [&](const QString &l) { lines << l; });
    session.start(u"127.0.0.1"_s);
    runFor(5500);
    session.stop();
    std::printf("ping 127.0.0.1 for 5.5 s: %lld lines\n", static_cast<long long>(lines.size()));
    for (const QString &l : lines)
        std::printf("  %s\n", qPrintable(l));
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir settings;
    disim::test::isolateSettings(settings);
    const int seconds = argc > 1 ? std::max(2, QByteArray(argv[1]).toInt()) : 60;
    decoderThroughput();
    loopbackEcho();
    repeatJitter(seconds);
    return 0;
}
