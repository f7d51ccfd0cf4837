#include "r5site/report/report.h"

#include <QTest>

using namespace Qt::StringLiterals;

// What the handover report's cover counts, from a record and a site check as the installer has
// them: MACs written several ways, devices in only one of the two, rows read again.
class TstSiteReport : public QObject
{
    Q_OBJECT
private slots:
    void coverCounts_data();
    void coverCounts();
};

namespace {

const QByteArray kHeader = "Time,MAC,Firmware,WAN.IP,Server.Port,Server.Mode,AP.SSID,RSSI,Verdict,Profile\n";

QByteArray row(const char *time, const char *mac, const char *ip, const char *verdict)
{
    return QByteArray("2024-05-02T") + time + "+09:00," + mac + ",V2.7," + ip + ",4000,N,AP,-50," + verdict +
           ",p.ini\n";
}

} // namespace

void TstSiteReport::coverCounts_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QByteArray>("check"); // empty: no site check
    // devices, verified, not verified, online, offline, not reached, not in the check, counting,
    // rows needing attention
    QTest::addColumn<QList<int>>("counts");
    QTest::addColumn<QString>("notVerifiedBy");

    const QByteArray three = kHeader + row("09:00:00", "02:52:00:00:00:01", "127.0.2.1", "OK") +
                             row("09:01:00", "02:52:00:00:00:02", "127.0.2.2", "DIFFERS") +
                             row("09:02:00", "02:52:00:00:00:03", "127.0.2.3", "NO ANSWER");
    QTest::newRow("record alone: online state unknown, only the verdicts count")
        << three << QByteArray() << QList<int>{3, 1, 2, 0, 0, 0, 0, 0, 2} << u"DIFFERS 1, NO ANSWER 1"_s;

    // 01 online (its MAC lower case with dashes), 02 offline, 03 in the record only, 04 in the
    // check only.
    const QByteArray check = R"({"devices": [
        {"label": "A", "mac": "02-52-00-00-00-01", "address": "127.0.2.1", "port": 4000, "state": "online",
         "lastReport": "2024-05-02T01:00:00Z", "pingMs": 0.5, "countersMoved": true},
        {"mac": "02:52:00:00:00:02", "state": "offline", "lastReport": null, "pingMs": null, "countersMoved": false},
        {"label": "D", "mac": "02:52:00:00:00:04", "address": "127.0.2.4", "port": 4000, "state": "online",
         "countersMoved": true}],
        "online": 2, "offline": 1, "notReached": 0})";
    QTest::newRow("a device in the check only, one in the record only")
        << QByteArray(kHeader + row("09:00:00", "02:52:00:00:00:01", "127.0.2.1", "OK") +
                      row("09:01:00", "02:52:00:00:00:02", "127.0.2.2", "OK") +
                      row("09:02:00", "02:52:00:00:00:03", "127.0.2.3", "DIFFERS"))
        << check << QList<int>{4, 2, 2, 2, 1, 0, 1, 2, 3} << u"DIFFERS 1, no record 1"_s;

    // A failed run, then a later good one; an older failure further down the file changes nothing.
    QTest::newRow("the newest row of a MAC counts")
        << QByteArray(kHeader + row("09:00:00", "02:52:00:00:00:01", "127.0.2.1", "NO ANSWER") +
                      row("10:00:00", "02:52:00:00:00:01", "127.0.2.1", "OK") +
                      row("08:00:00", "02:52:00:00:00:01", "127.0.2.1", "DIFFERS"))
        << QByteArray() << QList<int>{1, 1, 0, 0, 0, 0, 0, 0, 0} << QString();

    // A site list without MACs: the check's device is the record's by address and port.
    QTest::newRow("a check device without MAC found by its address")
        << QByteArray(kHeader + row("09:00:00", "02:52:00:00:00:01", "127.0.2.1", "OK") +
                      row("09:00:00", "02:52:00:00:00:02", "127.0.2.2", "OK"))
        << QByteArray(R"({"devices": [{"address": "127.0.2.2", "port": 4000, "state": "not reached"},
                                      {"address": "127.0.2.1", "port": "4000", "state": "online"}]})")
        << QList<int>{2, 2, 0, 1, 0, 1, 0, 0, 1} << QString();

    // Whatever a check leaves out or gets wrong reads as unknown, never as online.
    QTest::newRow("a check with keys missing or of the wrong kind")
        << QByteArray(kHeader + row("09:00:00", "02:52:00:00:00:01", "127.0.2.1", "OK"))
        << QByteArray(R"({"devices": [{"mac": "02:52:00:00:00:01", "state": 1, "countersMoved": "yes"},
                                      {}, 7]})")
        << QList<int>{3, 1, 2, 0, 0, 0, 3, 0, 3} << u"no record 2"_s;
}

void TstSiteReport::coverCounts()
{
    QFETCH(QByteArray, record);
    QFETCH(QByteArray, check);
    QFETCH(QList<int>, counts);
    QFETCH(QString, notVerifiedBy);

    const auto parsedRecord = r5commission::parseRecord(record);
    QVERIFY2(parsedRecord.value, qPrintable(parsedRecord.error));
    std::optional<QJsonObject> checkObject;
    if (!check.isEmpty()) {
        const auto parsedCheck = r5site::report::parseCheck(check);
        QVERIFY2(parsedCheck.value, qPrintable(parsedCheck.error));
        checkObject = parsedCheck.value;
    }
    r5site::report::Options options;
    options.language = r5site::report::Language::English;
    options.at = QDateTime::fromString(u"2024-05-02T11:00:00+09:00"_s, Qt::ISODate);
    const r5site::report::Report report = r5site::report::build(*parsedRecord.value, checkObject, options);
    const r5site::report::Counts &n = report.counts;
    const r5site::report::Sheet sheet = r5site::report::sheet(report);
    QCOMPARE((QList<int>{n.devices, n.verified, n.notVerified, n.online, n.offline, n.notReached,
                         n.notChecked, n.counting, int(sheet.attention.size())}),
             counts);
    QCOMPARE(sheet.counts.at(2).detail, notVerifiedBy);
    QCOMPARE(sheet.rows.size(), n.devices);
}

QTEST_GUILESS_MAIN(TstSiteReport)
#include "tst_site_report.moc"
