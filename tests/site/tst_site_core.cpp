#include "fakes.h"
#include "r5site/sitecore.h"
#include "r5site/sitelist.h"

#include <QTest>

using namespace Qt::StringLiterals;
using r5site::SiteCore;
using r5site::SiteState;

namespace {

disim::Report reportWith(std::uint32_t counter)
{
    disim::Report r;
    r.inputs.fill(u'0');
    r.outputs.fill(u'0');
    r.counters.fill(counter);
    return r;
}

QString entriesText(const r5site::SiteList &list)
{
    QStringList out;
    for (const r5site::SiteEntry &e : list.entries)
        out << u"%1|%2|%3:%4@%5"_s.arg(e.label, e.mac, e.address).arg(e.port).arg(e.line);
    return out.join(u"; "_s);
}

} // namespace

class TstSiteCore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // One device through a script of polls, answers and refusals as time passes: its state, the
    // changes of state a log would show, and whether its counters moved.
    void stateRules_data();
    void stateRules();
    // Records (newest row per MAC, with and without Label) and plain lists, and the messages of
    // lists that cannot be used, each naming the file, the line and the reason.
    void siteLists_data();
    void siteLists();
};

void TstSiteCore::stateRules_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("changes");
    QTest::addColumn<bool>("moved");
    // P poll sent, A report (counters as first seen), M report with moved counters, F connection
    // refused or broken, ~ half an interval passes, + a whole interval passes, C the check ends.
    QTest::newRow("answers first poll") << u"P~A"_s << u"online"_s << u"checking>online"_s << false;
    QTest::newRow("two polls unanswered: still checking") << u"P+P+"_s << u"checking"_s << QString() << false;
    QTest::newRow("three polls unanswered: not reached")
        << u"P+P+P+"_s << u"not reached"_s << u"checking>not reached"_s << false;
    QTest::newRow("refused twice: still checking") << u"PFPF"_s << u"checking"_s << QString() << false;
    QTest::newRow("refused thrice then its time")
        << u"PF+PF+PF"_s << u"not reached"_s << u"checking>not reached"_s << false;
    QTest::newRow("a poll counts once, refused or timed out")
        << u"PF+P+"_s << u"checking"_s << QString() << false;
    QTest::newRow("ends before three polls: not reached")
        << u"P+P~C"_s << u"not reached"_s << u"checking>not reached"_s << false;
    QTest::newRow("two misses after an answer: online")
        << u"PA+P+P+"_s << u"online"_s << u"checking>online"_s << false;
    QTest::newRow("three misses after an answer: offline")
        << u"PA+P+P+P+"_s << u"offline"_s << u"checking>online online>offline"_s << false;
    QTest::newRow("an answer in between starts the count again")
        << u"PA+P+P~A~P+P+"_s << u"online"_s << u"checking>online"_s << false;
    QTest::newRow("offline, then back online")
        << u"PA+P+P+P+P~M"_s << u"online"_s << u"checking>online online>offline offline>online"_s << true;
    QTest::newRow("not reached, then answers")
        << u"P+P+P+P~A"_s << u"online"_s << u"checking>not reached not reached>online"_s << false;
    QTest::newRow("broken after answering: offline")
        << u"PA~PF+PF+PF"_s << u"offline"_s << u"checking>online online>offline"_s << false;
    QTest::newRow("counters moved") << u"PA+PM+PA"_s << u"online"_s << u"checking>online"_s << true;
    QTest::newRow("an offline device stays offline at the end")
        << u"PA+P+P+P+C"_s << u"offline"_s << u"checking>online online>offline"_s << false;
}

void TstSiteCore::stateRules()
{
    QFETCH(QString, script);
    QFETCH(QString, state);
    QFETCH(QString, changes);
    QFETCH(bool, moved);

    r5::test::FakeClock clock;
    r5site::SiteEntry entry;
    entry.address = u"127.0.0.1"_s;
    SiteCore core({entry}, clock);
    core.setIntervalSeconds(2);
    QStringList seen;
    for (const QChar step : script) {
        switch (step.unicode()) {
        case 'P':
            core.polled(0);
            break;
        case 'A':
            core.answered(0, reportWith(7));
            break;
        case 'M':
            core.answered(0, reportWith(9));
            break;
        case 'F':
            core.failed(0);
            break;
        case '~':
        case '+':
            clock.advanceMs(step == u'+' ? core.intervalMs() : core.intervalMs() / 2);
            core.expire();
            break;
        case 'C':
            core.conclude();
            break;
        }
        for (const r5site::StateChange &c : core.takeStateChanges())
            seen << r5site::stateText(c.from) + u'>' + r5site::stateText(c.to);
    }
    QCOMPARE(r5site::stateText(core.status(0).state), state);
    QCOMPARE(seen.join(u' '), changes);
    QCOMPARE(core.status(0).countersMoved, moved);
    const r5site::SiteCounts counts = core.counts();
    QCOMPARE(counts.online + counts.offline + counts.notReached + counts.checking, 1);
    QCOMPARE(r5site::summaryLine(counts).startsWith(
                 u"1 devices: %1 online, %2 offline, %3 not reached"_s.arg(counts.online)
                     .arg(counts.offline)
                     .arg(counts.notReached)),
             true);
}

void TstSiteCore::siteLists_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("entries");
    QTest::addColumn<QString>("error");

    const QByteArray recordHeader = "Time,MAC,Result,WAN.IP,Server.Port";
    QTest::newRow("record: newest row per MAC, no Label")
        << recordHeader + "\r\n2026-12-07T09:00:00,02:52:00:00:00:01,OK,127.0.2.1,4000\r\n"
                          "2026-12-07T09:05:00,02:52:00:00:00:02,OK,127.000.002.002,4001\r\n"
                          "2026-12-07T10:00:00,02:52:00:00:00:01,OK,127.0.2.9,4000\r\n"
        << u"|02:52:00:00:00:01|127.0.2.9:4000@4; |02:52:00:00:00:02|127.0.2.2:4001@3"_s << QString();
    QTest::newRow("record with Label")
        << QByteArray("Time,MAC,WAN.IP,Server.Port,Label\n"
                      "2026-12-07T09:00:00,02:52:00:00:00:01,127.0.2.1,4000,\"Hall 3 \"\"east\"\"\"\n"
                      "2026-12-07T09:01:00,02:52:00:00:00:02,127.0.2.2,,'-west\n")
        << u"Hall 3 \"east\"|02:52:00:00:00:01|127.0.2.1:4000@2; -west|02:52:00:00:00:02|127.0.2.2:4000@3"_s
        << QString();
    QTest::newRow("plain list, Address only") << QByteArray("Address\n127.0.3.1\n\n127.0.3.2\n")
                                              << u"||127.0.3.1:4000@2; ||127.0.3.2:4000@4"_s << QString();
    QTest::newRow("plain list, columns in any order")
        << QByteArray(
               "\xEF\xBB\xBFMAC,Label,Port,Address\r\n02:52:00:00:00:0a,\"Gate, north\",5000,127.0.3.1\r\n")
        << u"Gate, north|02:52:00:00:00:0A|127.0.3.1:5000@2"_s << QString();
    QTest::newRow("no address column") << QByteArray("Host,Port\n127.0.0.1,4000\n") << QString()
                                       << u"site.csv: line 1: no column Address (nor WAN.IP and MAC of a "
                                          "commissioning record)"_s;
    QTest::newRow("empty file") << QByteArray() << QString()
                                << u"site.csv: line 1: empty; a site list needs a header with Address (or a "
                                   "commissioning record)"_s;
    QTest::newRow("header only") << QByteArray("Address,Port\n") << QString()
                                 << u"site.csv: line 1: no devices listed"_s;
    QTest::newRow("bad port") << QByteArray("Address,Port\n127.0.0.1,4000\n127.0.0.2,70000\n") << QString()
                              << u"site.csv: line 3: Port \"70000\" is not a port (1 to 65535)"_s;
    QTest::newRow("bad address") << QByteArray("Address\n127.0.0.1\n\n127.0.0.256\n") << QString()
                                 << u"site.csv: line 4: \"127.0.0.256\" is not an address"_s;
    QTest::newRow("missing address") << QByteArray("Label,Address\nA,127.0.0.1\nB,\n") << QString()
                                     << u"site.csv: line 3: no address in Address"_s;
    QTest::newRow("the same device twice")
        << QByteArray("Address,Port\n127.0.0.1,4000\n127.0.0.01,\n") << QString()
        << u"site.csv: line 3: 127.0.0.1:4000 is listed twice (line 2 too)"_s;
    QTest::newRow("record row without its address")
        << recordHeader + "\n2026-12-07T09:00:00,02:52:00:00:00:01,NO ANSWER,,\n"
        << QString() << u"site.csv: line 2: no address in WAN.IP"_s;
    QTest::newRow("record without Time") << QByteArray("MAC,WAN.IP\n02:52:00:00:00:01,127.0.0.1\n")
                                         << QString() << u"site.csv: line 1: no column Time"_s;
    QTest::newRow("quote never closed") << QByteArray("Address,Label\n127.0.0.1,\"Hall\n") << QString()
                                        << u"site.csv: line 2: a quoted field is not closed"_s;
}

void TstSiteCore::siteLists()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, entries);
    QFETCH(QString, error);
    const r5site::SiteList list = r5site::parseSiteList(bytes, u"site.csv"_s);
    QCOMPARE(list.error, error);
    QCOMPARE(entriesText(list), entries);
}

QTEST_GUILESS_MAIN(TstSiteCore)
#include "tst_site_core.moc"
