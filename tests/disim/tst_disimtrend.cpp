// The counters' trend: its rate, ring and gap rules as a table, then the window against a
// loopback device whose counters rise at known rates, with the day's report file and the
// spoken rates.
#include "a11yprobe.h"
#include "core/trend.h"
#include "r5/accessibility.h"
#include "simfixture.h"
#include "virt/tcpprotocol.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <cmath>

using namespace Qt::StringLiterals;
using namespace disim;

namespace {
// A device whose counter i stands at rate[i] pulses a minute times the time since it started
// (or since its counters were reset). It answers every "NREQ" with a report, 33, 34 and 57
// bytes in turn, and keeps the fields of each report after the time, as the CSV row has them.
class CountingDevice : public QObject
{
public:
    static constexpr std::array<double, 6> kPerMinute{600, 300, 1500, 120, 900, 240};

    CountingDevice()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        m_clock.start();
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *s = m_server.nextPendingConnection();
            connect(s, &QTcpSocket::readyRead, this, [this, s] { answer(s); });
        });
    }
    quint16 port() const { return m_server.serverPort(); }
    void resetCounters() { m_zeroMs = m_clock.elapsed(); }

    QList<QStringList> sent;

private:
    void answer(QTcpSocket *s)
    {
        m_pending += s->readAll();
        for (; m_pending.size() >= 4; m_pending.remove(0, 4)) {
            virt::DiState d;
            const double minutes = double(m_clock.elapsed() - m_zeroMs) / 60'000.0;
            QStringList fields;
            for (int i = 0; i < 6; ++i)
                d.counters[i] = std::uint32_t(std::floor(kPerMinute[i] * minutes));
            d.inputs = {'1', '0', '1', '0', '0', '1'};
            d.outputs = {'0', '1'};
            const int kind = int(sent.size() % 3);
            for (int i = 0; i < 6; ++i)
                d.gapTimesMs[i] = std::uint32_t(sent.size() * 10 + i);
            const QByteArray report = virt::buildReport(d, kind == 2 ? 'G' : 'N', kind == 1);
            fields << QString::number(report.size()) << u"101001"_s << u"01"_s;
            for (const auto c : d.counters)
                fields << QString::number(c);
            for (const auto g : d.gapTimesMs)
                fields << (kind == 2 ? QString::number(g) : QString());
            sent << fields;
            s->write(report);
        }
    }

    QTcpServer m_server;
    QElapsedTimer m_clock;
    qint64 m_zeroMs = 0;
    QByteArray m_pending;
};

// "Rate CH00" and so on, as assistive technology reads them: the number before "/min".
double spokenRate(QWidget *window, int channel)
{
    for (QLabel *l : window->findChildren<QLabel *>()) {
        QAccessibleInterface *a = r5::test::accessibleOf(l);
        if (a && a->text(QAccessible::Name) == u"Rate CH0"_s + QString::number(channel)) {
            const QString v = a->text(QAccessible::Value);
            return v.endsWith(u"/min"_s) ? v.chopped(4).toDouble() : -1;
        }
    }
    return -1;
}
} // namespace

class TstDisimTrend : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void trend_data();
    void trend();
    void windowFromDevice();

private:
    QTemporaryDir m_settingsDir;
};

void TstDisimTrend::initTestCase()
{
    disim::test::isolateSettings(m_settingsDir);
    r5::a11y::install();
}

void TstDisimTrend::trend_data()
{
    QTest::addColumn<QString>("reports"); // "ms:counter" of channel 0; the others stay 0
    QTest::addColumn<int>("moreEveryMs"); // then reports this far apart, one pulse each
    QTest::addColumn<int>("more");        // this many
    QTest::addColumn<int>("span");        // index of 1, 5, 15, 60 minutes
    QTest::addColumn<QString>("points");  // channel 0: "/" breaks the line, "-" no value
    QTest::addColumn<int>("pointCount");
    QTest::addColumn<double>("perMinute"); // -1: no rate yet

    QTest::newRow("steady") << u"0:0 1000:10 2000:20 3000:30 4000:40"_s << 0 << 0 << 0 << u"-,10,10,10,10"_s
                            << 5 << 600.0;
    // From pulse to pulse (4 s to 24 s), not from the first report: 3 pulses in 32 s would say 5.6.
    QTest::newRow("slow pulses")
        << u"0:0 2000:0 4000:1 6000:1 8000:1 10000:1 12000:1 14000:2 16000:2 18000:2 20000:2 22000:2 "
           "24000:3 26000:3 28000:3 30000:3 32000:3"_s
        << 0 << 0 << 0 << u"-,0,1,0,0,0,0,1,0,0,0,0,1,0,0,0,0"_s << 17 << 6.0;
    QTest::newRow("reset is a gap") << u"0:0 1000:10 2000:20 3000:30 4000:5 5000:15 6000:25"_s << 0 << 0 << 0
                                    << u"-,10,10,10,/-,10,10"_s << 7 << 600.0;
    QTest::newRow("wrap is a gap") << u"0:4294967280 1000:4294967290 2000:4 3000:14"_s << 0 << 0 << 0
                                   << u"-,10,/-,10"_s << 4 << 600.0;
    // 40 pulses from 1 s to 5 s, then 15 s of quiet: 40 in 18.9 s.
    QTest::newRow("stopped channel falls") << u"0:0 1000:10 2000:20 3000:30 4000:40 5000:50 20000:50"_s << 0
                                           << 0 << 0 << u"-,10,10,10,10,10,0"_s << 7 << 126.98;
    QTest::newRow("quiet beyond the rate window")
        << u"0:0 1000:10 2000:20 3000:30 4000:40 5000:50 70000:50 71000:50"_s << 0 << 0 << 1
        << u"-,10,10,10,10,10,0,0"_s << 8 << 0.0;
    QTest::newRow("too soon for a rate") << u"0:0 500:5"_s << 0 << 0 << 0 << u"-,5"_s << 2 << -1.0;
    QTest::newRow("an hour at 20 a second, 60 min")
        << u""_s << 50 << 72'000 << 3 << QString() << 600 << 1200.0;
    QTest::newRow("an hour at 20 a second, 1 min")
        << u""_s << 50 << 72'000 << 0 << QString() << 600 << 1200.0;
}

void TstDisimTrend::trend()
{
    QFETCH(QString, reports);
    QFETCH(int, moreEveryMs);
    QFETCH(int, more);
    QFETCH(int, span);
    QFETCH(QString, points);
    QFETCH(int, pointCount);
    QFETCH(double, perMinute);

    CounterTrend t;
    const CounterTrend::States states{u'0', u'0', u'0', u'0', u'0', u'0', u'0', u'0'};
    qint64 ms = 0;
    CounterTrend::Counters c{};
    for (const QString &r : reports.split(u' ', Qt::SkipEmptyParts)) {
        ms = r.section(u':', 0, 0).toLongLong();
        c[0] = r.section(u':', 1, 1).toUInt();
        t.add(ms, c, states);
    }
    for (int i = 0; i < more; ++i) {
        ms = qint64(i) * moreEveryMs;
        c[0] = std::uint32_t(i);
        t.add(ms, c, states);
    }

    const auto got = t.points(span, ms);
    QCOMPARE(int(got.size()), pointCount);
    if (!points.isNull()) {
        QStringList shown;
        for (const auto &p : got)
            shown << (p.gap[0] ? u"/"_s : QString()) +
                         (std::isnan(p.pulses[0]) ? u"-"_s : QString::number(p.pulses[0]));
        QCOMPARE(shown.join(u','), points);
    }
    if (perMinute < 0) {
        QVERIFY(!t.ratePerMinute(0));
    } else {
        QVERIFY(t.ratePerMinute(0));
        QVERIFY2(std::abs(*t.ratePerMinute(0) - perMinute) < 0.01,
                 qPrintable(QString::number(*t.ratePerMinute(0))));
        QCOMPARE(t.ratePerMinute(1).value_or(-1), 0.0);
    }
}

void TstDisimTrend::windowFromDevice()
{
    CountingDevice device;
    disim::test::SimFixture f;
    QVERIFY(f.child<QCheckBox>(u"chkCsv"_s)->isChecked());
    f.type(u"txtDestIP"_s, u"127.0.0.1"_s);
    f.type(u"txtDestPort"_s, QString::number(device.port()));
    f.choose(u"optInterval(1)"_s);
    f.type(u"cboTime"_s, u"0.1"_s);
    f.click(u"cmdSend"_s);

    QTest::qWait(10'000);
    for (int i = 0; i < 6; ++i) {
        const double spoken = spokenRate(f.window.get(), i);
        const double truth = CountingDevice::kPerMinute[std::size_t(i)];
        QVERIFY2(std::abs(spoken - truth) <= 0.05 * truth,
                 qPrintable(u"CH0%1: %2/min, true %3/min"_s.arg(i).arg(spoken).arg(truth)));
    }

    device.resetCounters();
    QTest::qWait(1500);
    f.click(u"cmdEnd"_s);
    QTest::qWait(300); // a request already on its way is still answered
    const qsizetype sent = device.sent.size();
    QTest::qWait(300);
    QCOMPARE(device.sent.size(), sent);
    // Lines that came faster than the list is drawn: once they stop, it is drawn and shows the last.
    const auto *list = f.child<QListWidget>(u"List1"_s);
    QTRY_VERIFY(list->viewport()->updatesEnabled());
    QCOMPARE(list->currentRow(), list->count() - 1);

    // The day's file: the header, then one row per report that arrived whole, as it was sent.
    QFile csv(f.logDir.filePath(u"20261207_reports.csv"_s));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QStringList rows = QString::fromUtf8(csv.readAll()).split(u"\r\n"_s, Qt::SkipEmptyParts);
    QCOMPARE(rows.value(0), u"Time,Type,DI,DO,Counter 0,Counter 1,Counter 2,Counter 3,Counter 4,Counter 5,"
                            "GapTime 0,GapTime 1,GapTime 2,GapTime 3,GapTime 4,GapTime 5"_s);
    qsizetype recvLines = 0;
    for (const QString &l : f.lines())
        recvLines += l.contains(u" RECV : "_s);
    QCOMPARE(rows.size() - 1, recvLines);
    QVERIFY(recvLines > sent * 9 / 10);
    qsizetype next = 0;
    for (const QString &row : rows.mid(1)) {
        QVERIFY2(QRegularExpression(u"^2026-12-07 09:15:02\\.125,"_s).match(row).hasMatch(), qPrintable(row));
        const QStringList fields = row.section(u',', 1).split(u',');
        while (next < sent && device.sent[next] != fields)
            ++next;
        QVERIFY2(next < sent, qPrintable(u"not sent, or out of order: "_s + row));
        ++next;
    }

    // The reset is a gap in the exported trend: a row with no channel values after rows with
    // them, and no negative values anywhere.
    const QString exported = f.logDir.filePath(u"trend.csv"_s);
    f.prompter.answerFile(exported);
    f.click(u"cmdExport"_s);
    QFile out(exported);
    QVERIFY(out.open(QIODevice::ReadOnly));
    const QStringList points = QString::fromUtf8(out.readAll()).split(u"\r\n"_s, Qt::SkipEmptyParts);
    QCOMPARE(points.value(0), u"Time,CH00,CH01,CH02,CH03,CH04,CH05,DI,DO"_s);
    bool values = false;
    bool gapAfterValues = false;
    for (const QString &p : points.mid(1)) {
        const QStringList cells = p.split(u',').mid(1, 6);
        QVERIFY2(!p.contains(u",-"_s), qPrintable(p));
        values = values || !cells.join(QString()).isEmpty();
        gapAfterValues = gapAfterValues || (values && cells.join(QString()).isEmpty());
        QCOMPARE(p.section(u',', 7), u"101001,01"_s);
    }
    QVERIFY(gapAfterValues);
    const auto boxes = f.prompter.takeBoxes();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].kind, r5::test::FakePrompter::Box::SaveDialog);
}

QTEST_MAIN(TstDisimTrend)
#include "tst_disimtrend.moc"
