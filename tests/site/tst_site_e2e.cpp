#include "r5site/sitelist.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Run
{
    int code = -1;
    QJsonObject json;
    QString out;
    QString err;
};

QString bin(const QString &program)
{
    return QDir(qEnvironmentVariable("R5_BIN_DIR")).filePath(program);
}

Run cli(const QStringList &args, const QString &folder)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(bin(u"r5200tx-cli"_s), args);
    Run run;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return run;
    }
    run.code = p.exitCode();
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    run.json = QJsonDocument::fromJson(run.out.toUtf8()).object();
    return run;
}

// "address state" of each device of the JSON, in list order.
QStringList states(const QJsonObject &json)
{
    QStringList out;
    for (const QJsonValue &d : json.value(u"devices"_s).toArray())
        out << d[u"address"_s].toString() + u' ' + d[u"state"_s].toString();
    return out;
}

} // namespace

// r5200tx-cli site and scan against r5200tx-virtual --fleet, as a user tries a site on one
// machine: eight devices on 127.0.3.1 to 127.0.3.8, listed in a commissioning record with labels.
class TstSiteE2e : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    // Every device answers: all online with their reports, exit 0. Then one device switched off
    // (connections refused) and one hanging (connections taken, nothing answered): exactly those
    // two are not online, the log says so, exit 9.
    void siteCheck();
    // The scan finds the six that answer, writes them as a site list that reads back, and refuses
    // ranges it cannot take.
    void scan_data();
    void scan();

private:
    void fleetCommand(const QByteArray &line, const QString &reply);

    QTemporaryDir m_dir;
    QProcess m_fleet;
    quint16 m_port = 0;
    QString m_record;
};

void TstSiteE2e::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // A port of its own, so runs of the suite side by side do not meet.
    m_port = quint16(20000 + QCoreApplication::applicationPid() % 20000);
    const QString list = m_dir.filePath(u"fleet.csv"_s);
    m_fleet.start(bin(u"r5200tx-virtual"_s),
                  {u"--fleet"_s, u"8"_s, u"--tcp-address"_s, u"127.0.3.1"_s, u"--tcp-port"_s,
                   QString::number(m_port), u"--fleet-list"_s, list, u"--pulse-rate"_s, u"20"_s});
    QVERIFY(m_fleet.waitForStarted());
    QByteArray said;
    QTRY_VERIFY2_WITH_TIMEOUT((said += m_fleet.readAllStandardOutput()).contains("Fleet: 8 devices"),
                              qPrintable(QString::fromLocal8Bit(said + m_fleet.readAllStandardError())),
                              10000);

    // The fleet's own list, turned into a commissioning record as r5200tx-cli --record writes one.
    const r5site::SiteList fleet = r5site::readSiteList(list);
    QVERIFY2(fleet.ok(), qPrintable(fleet.error));
    QCOMPARE(fleet.entries.size(), 8);
    QByteArray record = "Time,MAC,Result,WAN.IP,Server.Port,Label\r\n";
    for (const r5site::SiteEntry &e : fleet.entries)
        record += u"2026-12-07T09:00:00,%1,OK,%2,%3,%4\r\n"_s.arg(e.mac, e.address)
                      .arg(e.port)
                      .arg(e.label)
                      .toUtf8();
    m_record = m_dir.filePath(u"record.csv"_s);
    QFile f(m_record);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(record);
}

void TstSiteE2e::cleanupTestCase()
{
    m_fleet.kill();
    m_fleet.waitForFinished();
}

void TstSiteE2e::fleetCommand(const QByteArray &line, const QString &reply)
{
    m_fleet.write(line + '\n');
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += m_fleet.readAllStandardOutput()).contains(reply.toUtf8()), 5000);
}

void TstSiteE2e::siteCheck()
{
    const Run all = cli({u"site"_s, m_record, u"--json"_s}, m_dir.path());
    QVERIFY2(all.code == 0, qPrintable(all.out + all.err));
    QCOMPARE(all.json.value(u"online"_s).toInt(), 8);
    QCOMPARE(all.json.value(u"offline"_s).toInt(), 0);
    QCOMPARE(all.json.value(u"notReached"_s).toInt(), 0);
    const QJsonObject third = all.json.value(u"devices"_s).toArray().at(2).toObject();
    QCOMPARE(third.value(u"label"_s).toString(), u"Virtual 3"_s);
    QCOMPARE(third.value(u"mac"_s).toString(), u"02:52:00:00:00:03"_s);
    QCOMPARE(third.value(u"address"_s).toString(), u"127.0.3.3"_s);
    QCOMPARE(third.value(u"port"_s).toInt(), int(m_port));
    QCOMPARE(third.value(u"state"_s).toString(), u"online"_s);
    QVERIFY(!third.value(u"lastReport"_s).toString().isEmpty());
    QCOMPARE(third.value(u"inputs"_s).toString().size(), 6);
    QCOMPARE(third.value(u"outputs"_s).toString(), u"00"_s);
    QCOMPARE(third.value(u"counters"_s).toArray().size(), 6);
    QVERIFY(third.contains(u"pingMs"_s) && third.contains(u"countersMoved"_s));

    fleetCommand("stop 2", u"device 2 stopped"_s);
    fleetCommand("hang 5", u"device 5 hanging"_s);
    const Run two =
        cli({u"site"_s, m_record, u"--interval"_s, u"1"_s, u"--duration"_s, u"5"_s}, m_dir.path());
    QCOMPARE(two.code, 9);
    QVERIFY2(two.out.contains(u"8 devices: 6 online, 0 offline, 2 not reached\n"_s), qPrintable(two.out));
    // Counting: the pulses moved every counter in five seconds.
    QVERIFY2(two.out.contains(u"Virtual 1"_s) && two.out.contains(u" yes"_s), qPrintable(two.out));
    const Run json = cli({u"site"_s, m_record, u"--interval"_s, u"1"_s, u"--duration"_s, u"4"_s, u"--json"_s},
                         m_dir.path());
    QCOMPARE(json.code, 9);
    QStringList expected;
    for (int n = 1; n <= 8; ++n)
        expected << u"127.0.3.%1 %2"_s.arg(n).arg(n == 2 || n == 5 ? u"not reached"_s : u"online"_s);
    QCOMPARE(states(json.json), expected);

    // Each not reached device is one line of the day's log.
    QDir logs(m_dir.filePath(u"Log"_s));
    const QStringList files = logs.entryList({u"R5200Setup_*.log"_s});
    QCOMPARE(files.size(), 1);
    QFile log(logs.filePath(files.first()));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromLocal8Bit(log.readAll());
    QCOMPARE(text.count(u"127.0.3.2:%1 Virtual 2 (02:52:00:00:00:02): checking -> not reached"_s.arg(m_port)),
             2);
    QCOMPARE(text.count(u"checking -> not reached"_s), 4);

    fleetCommand("start 2", u"device 2 running"_s);
    fleetCommand("start 5", u"device 5 running"_s);
}

void TstSiteE2e::scan_data()
{
    QTest::addColumn<QString>("range");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("found"); // the addresses that answered, or the message
    QTest::newRow("a /28") << u"127.0.3.0/28"_s << 0 << u"1 3 4 6 7 8"_s;
    QTest::newRow("first to last") << u"127.0.3.4-127.0.3.6"_s << 0 << u"4 6"_s;
    QTest::newRow("wider than a /16")
        << u"127.0.0.0/15"_s << 1 << u"a /15 is more than a /16 (65536 addresses), the most a scan takes"_s;
    QTest::newRow("last before first")
        << u"127.0.3.9-127.0.3.1"_s << 1 << u"the first address comes after the last"_s;
    QTest::newRow("no range") << u"127.0.3.1"_s << 1 << u"give ADDRESS/PREFIX"_s;
}

void TstSiteE2e::scan()
{
    QFETCH(QString, range);
    QFETCH(int, code);
    QFETCH(QString, found);
    fleetCommand("stop 2", u"device 2 stopped"_s);
    fleetCommand("hang 5", u"device 5 hanging"_s);
    const QString csv = m_dir.filePath(u"found.csv"_s);
    QFile::remove(csv);
    const Run run =
        cli({u"scan"_s, range, u"--tcp-port"_s, QString::number(m_port), u"--json"_s, u"--csv"_s, csv},
            m_dir.path());
    fleetCommand("start 2-5", u"devices 2 to 5 running"_s);
    QCOMPARE(run.code, code);
    if (code != 0) {
        QVERIFY2(run.err.contains(found), qPrintable(run.err));
        QCOMPARE(run.json.value(u"error"_s)[u"kind"_s].toString(), u"usage"_s);
        QVERIFY(!QFile::exists(csv));
        return;
    }
    QStringList answered;
    for (const QJsonValue &d : run.json.value(u"devices"_s).toArray()) {
        answered << d[u"address"_s].toString().section(u'.', 3);
        QCOMPARE(d[u"counters"_s].toArray().size(), 6);
    }
    QCOMPARE(answered.join(u' '), found);
    // What the scan wrote is a site list the site check takes.
    const r5site::SiteList list = r5site::readSiteList(csv);
    QVERIFY2(list.ok(), qPrintable(list.error));
    QStringList listed;
    for (const r5site::SiteEntry &e : list.entries) {
        listed << e.address.section(u'.', 3);
        QCOMPARE(e.port, m_port);
    }
    QCOMPARE(listed.join(u' '), found);
}

QTEST_GUILESS_MAIN(TstSiteE2e)
#include "tst_site_e2e.moc"
