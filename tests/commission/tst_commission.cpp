#include "r5/csv.h"
#include "r5commission/devicefields.h"
#include "r5commission/profile.h"
#include "r5commission/record.h"

#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;
using namespace r5commission;
namespace csv = r5::csv;

class TstCommission : public QObject
{
    Q_OBJECT
private slots:
    // Profile, plan and device MAC in; what would go to the device (or why nothing goes) out.
    void profileWithPlan_data();
    void profileWithPlan();
    // A record row written and read back: awkward texts survive, the password never appears.
    void recordRoundTrip_data();
    void recordRoundTrip();
    // Record files as the site view reads them: each MAC's newest row with its label, verdict
    // and time, from records of this version and older ones, and from the plan's Label column.
    void newestRowPerMac_data();
    void newestRowPerMac();
};

namespace {

const QByteArray kFullProfile = "[WAN]\r\nIP=127.0.10.20\r\nGateway=127.0.0.1\r\nMask=255.255.255.0\r\n"
                                "[Server]\r\nPort=4000\r\nExpire=30\r\nMode=g\r\n"
                                "[DI]\r\nTime1=10\r\nTime2=20\r\nTime3=30\r\nTime4=40\r\nTime5=2550\r\n"
                                "Mode1=F\r\nMode2=R\r\nMode3=F\r\nMode4=R\r\nMode5=F\r\n"
                                "[AP]\r\nSSID=Lab, \"east\"\r\nPassword=secret\r\n";

QString describe(const Fields &f)
{
    QStringList parts;
    for (const QString &key : profileKeys()) {
        if (f.contains(key))
            parts.append(key + u'=' + f.value(key));
    }
    return parts.join(u';');
}

// "refused: text", "error: text" or the wanted fields as "Key=value;...".
QString outcome(const QByteArray &profileBytes, const QByteArray &planBytes, const QString &mac)
{
    const auto profile = parseProfile(profileBytes);
    if (!profile.value)
        return u"error: "_s + profile.error;
    Fields fields = *profile.value;
    if (!planBytes.isEmpty()) {
        const auto plan = parsePlan(planBytes);
        if (!plan.value)
            return u"error: "_s + plan.error;
        fields = merged(fields, plan.value->rows.value(normalMac(mac)));
    }
    const auto checked = checkFields(fields);
    if (!checked)
        return u"refused: "_s + checked.refusal.message;
    return describe(wantedFields(*checked.value));
}

} // namespace

void TstCommission::profileWithPlan_data()
{
    QTest::addColumn<QByteArray>("profile");
    QTest::addColumn<QByteArray>("plan");
    QTest::addColumn<QString>("mac");
    QTest::addColumn<QString>("expected");

    QTest::newRow("all four sections, leading zeros and lower-case mode normalised")
        << QByteArray(kFullProfile).replace("IP=127.0.10.20", "ip = 127.000.010.020") << QByteArray()
        << QString()
        << u"WAN.IP=127.0.10.20;WAN.Gateway=127.0.0.1;WAN.Mask=255.255.255.0;Server.Port=4000;"
           "Server.Expire=30;Server.Mode=G;DI.Time1=10;DI.Time2=20;DI.Time3=30;DI.Time4=40;"
           "DI.Time5=2550;DI.Mode1=F;DI.Mode2=R;DI.Mode3=F;DI.Mode4=R;DI.Mode5=F;"
           "AP.SSID=Lab, \"east\";AP.Password=secret"_s;
    QTest::newRow("plan row picked by MAC in another spelling; empty cells keep the profile")
        << QByteArray("[WAN]\nIP=127.0.0.9\nGateway=127.0.0.1\nMask=255.0.0.0\n")
        << QByteArray("MAC,WAN.IP,wan.mask\r\n02:52:00:AB:CD:EE,127.0.0.7,\r\n"
                      "02-52-00-ab-cd-ef,\"127.0.0.8\",255.255.0.0\r\n")
        << u"02:52:00:AB:CD:EF"_s << u"WAN.IP=127.0.0.8;WAN.Gateway=127.0.0.1;WAN.Mask=255.255.0.0"_s;
    QTest::newRow("no row for the device: the profile alone")
        << QByteArray("[AP]\nSSID=Shop\n") << QByteArray("MAC,AP.SSID\n001122334455,Other\n")
        << u"02:52:00:AB:CD:EF"_s << u"AP.SSID=Shop;AP.Password="_s;
    QTest::newRow("a plan supplies what the profile leaves out")
        << QByteArray("[Server]\nPort=4000\nMode=N\n")
        << QByteArray("MAC,Server.Expire\n02:52:00:AB:CD:EF,0\n") << u"02:52:00:AB:CD:EF"_s
        << u"Server.Port=4000;Server.Expire=0;Server.Mode=N"_s;
    // The window's rules, first failing field first, in words that name the key.
    QTest::newRow("octet 256")
        << QByteArray("[WAN]\nIP=127.0.0.256\nGateway=127.0.0.1\nMask=255.0.0.0\n") << QByteArray()
        << QString() << u"refused: WAN.IP \"127.0.0.256\": each of the four numbers must be 0 to 255."_s;
    QTest::newRow("missing gateway is named, even before a bad octet")
        << QByteArray("[WAN]\nIP=999.0.0.1\nMask=255.0.0.0\n") << QByteArray() << QString()
        << u"refused: WAN.Gateway is missing; the [WAN] section needs it."_s;
    QTest::newRow("three-part address")
        << QByteArray("[WAN]\nIP=127.0.0.1\nGateway=127.0.1\nMask=255.0.0.0\n") << QByteArray() << QString()
        << u"refused: WAN.Gateway \"127.0.1\" is not an address: it needs four numbers, a.b.c.d."_s;
    QTest::newRow("port 0") << QByteArray("[Server]\nPort=0\nExpire=1\nMode=N\n") << QByteArray() << QString()
                            << u"refused: Server.Port \"0\" must be a whole number from 1 to 65535."_s;
    QTest::newRow("expiry empty") << QByteArray("[Server]\nPort=80\nExpire=\nMode=N\n") << QByteArray()
                                  << QString() << u"refused: Server.Expire is empty."_s;
    QTest::newRow("mode X") << QByteArray("[Server]\nPort=80\nExpire=3\nMode=X\n") << QByteArray()
                            << QString() << u"refused: Server.Mode must be N or G."_s;
    QTest::newRow("throughput 3 out of range, 4 too")
        << QByteArray(
               "[DI]\nTime1=1\nTime2=1\nTime3=2551\nTime4=0\nTime5=1\nMode1=F\nMode2=F\nMode3=F\nMode4=F\n"
               "Mode5=F\n")
        << QByteArray() << QString()
        << u"refused: DI.Time3 \"2551\" must be a whole number from 1 to 2550."_s;
    QTest::newRow("one-byte SSID") << QByteArray("[AP]\nSSID=A\n") << QByteArray() << QString()
                                   << u"refused: AP.SSID must be at least 2 bytes."_s;
    QTest::newRow("33-byte SSID") << QByteArray("[AP]\nSSID=" + QByteArray(33, 'x') + "\n") << QByteArray()
                                  << QString() << u"refused: AP.SSID is longer than 32 bytes."_s;
    QTest::newRow("a bad plan row is refused for its device")
        << QByteArray("[WAN]\nIP=127.0.0.9\nGateway=127.0.0.1\nMask=255.0.0.0\n")
        << QByteArray("MAC,WAN.IP\n02:52:00:AB:CD:EF,127.0.0.300\n") << u"02:52:00:AB:CD:EF"_s
        << u"refused: WAN.IP \"127.0.0.300\": each of the four numbers must be 0 to 255."_s;
    // Files that are not what they should be.
    QTest::newRow("misspelt key") << QByteArray("[Server]\nPrt=80\n") << QByteArray() << QString()
                                  << u"error: unknown key \"Prt\" in [Server] (known: "_s;
    QTest::newRow("plan without MAC column")
        << QByteArray("[AP]\nSSID=Shop\n") << QByteArray("WAN.IP\n127.0.0.1\n") << QString()
        << u"error: the plan's first column must be MAC"_s;
    QTest::newRow("plan row with a missing cell")
        << QByteArray("[AP]\nSSID=Shop\n") << QByteArray("MAC,AP.SSID,AP.Password\n001122334455,x\n")
        << QString() << u"error: plan row 2 has 2 fields, the header 3"_s;
    QTest::newRow("plan with an open quote")
        << QByteArray("[AP]\nSSID=Shop\n") << QByteArray("MAC,AP.SSID\n001122334455,\"Shop\n") << QString()
        << u"error: line 2: a quoted field is not closed"_s;
}

void TstCommission::profileWithPlan()
{
    QFETCH(QByteArray, profile);
    QFETCH(QByteArray, plan);
    QFETCH(QString, mac);
    QFETCH(QString, expected);
    const QString got = outcome(profile, plan, mac);
    if (expected.startsWith(u"error: "_s))
        QVERIFY2(got.startsWith(expected), qPrintable(got));
    else
        QCOMPARE(got, expected);
}

void TstCommission::recordRoundTrip_data()
{
    QTest::addColumn<QString>("ssid");
    QTest::newRow("plain") << u"Shop"_s;
    QTest::newRow("comma and quotes") << u"Lab, \"east\""_s;
    QTest::newRow("line break and Korean") << u"2층\r\nlab"_s;
    QTest::newRow("leading space") << u" x,"_s;
}

void TstCommission::recordRoundTrip()
{
    QFETCH(QString, ssid);
    DeviceReading reading;
    r5::protocol::StatusView status;
    status.mac = u"02:52:00:AB:CD:EF"_s;
    status.deviceName = u"R5200TX"_s;
    status.version = u"2.07"_s;
    reading.status = status;
    reading.ap = r5::protocol::CurrentAp{ssid, u"pw, \"secret\""_s};
    reading.rssi =
        r5::protocol::RssiReading{ssid, u"   -58"_s, r5::protocol::RssiReading::Signal::Quality, 84};
    const QDateTime time(QDate(2026, 12, 8), QTime(9, 30), QTimeZone(3600));

    const QByteArray bytes =
        csv::line(recordHeader()) + csv::line(recordRow(time, reading, Verdict::Differs, u"shop, v2.ini"_s));
    QVERIFY(!bytes.contains("secret"));
    const csv::Table table = csv::parse(bytes);
    QVERIFY2(table.error.isEmpty(), qPrintable(table.error));
    QCOMPARE(table.rows.size(), 2);
    const QStringList header = table.rows[0];
    const QStringList row = table.rows[1];
    QCOMPARE(row.size(), header.size());
    QCOMPARE(row.value(header.indexOf(u"Time"_s)), u"2026-12-08T09:30:00+01:00"_s);
    QCOMPARE(row.value(header.indexOf(u"MAC"_s)), u"02:52:00:AB:CD:EF"_s);
    QCOMPARE(row.value(header.indexOf(u"AP.SSID"_s)), ssid.trimmed());
    QCOMPARE(row.value(header.indexOf(u"RSSI"_s)), u"-58"_s);
    QCOMPARE(row.value(header.indexOf(u"Verdict"_s)), u"DIFFERS"_s);
    QCOMPARE(row.value(header.indexOf(u"Profile"_s)), u"shop, v2.ini"_s);
    QVERIFY(!header.contains(u"AP.Password"_s));
}

void TstCommission::newestRowPerMac_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QStringList>("newest"); // "MAC verdict time label", by MAC; none: unreadable
    const QDateTime t1(QDate(2026, 12, 8), QTime(9, 30), QTimeZone(3600));
    const QDateTime t2 = t1.addSecs(60);
    DeviceReading a;
    a.status.emplace().mac = u"02:52:00:00:00:01"_s;
    DeviceReading b;
    b.status.emplace().mac = u"02-52-00-00-00-02"_s;
    QStringList oldHeader = recordHeader();
    oldHeader.removeLast();
    QStringList oldRow = recordRow(t1, a, Verdict::Differs, u"p.ini"_s);
    oldRow.removeLast();
    const QByteArray now = recordBytes(true, t1, a, Verdict::Differs, u"p.ini"_s) +
                           recordBytes(false, t1, b, Verdict::Ok, u"p.ini"_s, u"Line 3, press 2"_s) +
                           recordBytes(false, t2, a, Verdict::Ok, u"p.ini"_s, u"Press 1"_s);
    const QString a2 = u"02:52:00:00:00:01 OK 2026-12-08T09:31:00+01:00 "_s;
    const QString b1 = u"02:52:00:00:00:02 OK 2026-12-08T09:30:00+01:00 Line 3, press 2"_s;
    QTest::newRow("this version, the later row wins") << now << QStringList{a2 + u"Press 1"_s, b1};
    QTest::newRow("older record, no label")
        << csv::line(oldHeader) + csv::line(oldRow)
        << QStringList{u"02:52:00:00:00:01 DIFFERS 2026-12-08T09:30:00+01:00 "_s};
    QTest::newRow("newer rows under an older header, a torn and a foreign line")
        << csv::line(oldHeader) + csv::line(oldRow) + "cut short,02:52\r\n" +
               recordBytes(false, t2, a, Verdict::Ok, u"p.ini"_s, u"Press 1"_s)
        << QStringList{a2 + u"Press 1"_s};
    QTest::newRow("no header") << recordBytes(false, t1, a, Verdict::Ok, u"p.ini"_s) << QStringList();
}

void TstCommission::newestRowPerMac()
{
    QFETCH(QByteArray, record);
    QFETCH(QStringList, newest);
    const auto parsed = parseRecord(record);
    QCOMPARE(bool(parsed.value), !newest.isEmpty());
    QStringList got;
    for (const RecordRow &row : parsed.value ? newestPerMac(*parsed.value) : QList<RecordRow>())
        got.append(row.mac() + u' ' + row.verdict() + u' ' + row.value(u"Time"_s) + u' ' + row.label());
    got.sort();
    QCOMPARE(got, newest);

    // The plan's Label column is a name for the record, not a setting for the device.
    const auto plan = parsePlan("MAC,Label,WAN.IP\n02:52:00:00:00:01,\"Line 3, press 2\",127.0.0.9\n");
    QVERIFY(plan.value);
    QCOMPARE(plan.value->labels.value(u"02:52:00:00:00:01"_s), u"Line 3, press 2"_s);
    QCOMPARE(plan.value->rows.value(u"02:52:00:00:00:01"_s), (Fields{{u"WAN.IP"_s, u"127.0.0.9"_s}}));
}

QTEST_GUILESS_MAIN(TstCommission)
#include "tst_commission.moc"
