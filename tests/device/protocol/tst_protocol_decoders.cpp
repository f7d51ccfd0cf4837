// Expected texts are built with plain +, which the string builder would turn into proxies.
#undef QT_USE_QSTRINGBUILDER

#include "devicetext.h"
#include "frames.h"
#include "r5device/protocol/decoders.h"
#include "r5device/protocol/requests.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace r5::protocol;
using namespace testframes;

class TstProtocolDecoders : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void statusFillsEveryField();
    void statusChoices_data();
    void statusChoices();
    void statusNeedsItsCount();
    void quality_data();
    void quality();
    void rssi_data();
    void rssi();
    void koreanSsidCutAtEveryBytePosition();
    void apList_data();
    void apList();
    void currentApCutsByBytes();
    void textEndsAtTheFirstZeroByte();
    void deviceTextsReadTheSameEverywhere_data();
    void deviceTextsReadTheSameEverywhere();
};

void TstProtocolDecoders::statusFillsEveryField()
{
    const std::optional<StatusView> v = decodeStatus(content(Status().frame()));
    QVERIFY(v);
    QCOMPARE(v->deviceName, u"R5200TX"_s);
    QCOMPARE(v->version, u"1.05"_s);
    QCOMPARE(v->mac, u"00:1A:2B:3C:4D:5E"_s);
    QCOMPARE(v->ip, (std::array<QString, 4>{u"127"_s, u"0"_s, u"0"_s, u"1"_s}));
    QCOMPARE(v->gateway, (std::array<QString, 4>{u"127"_s, u"0"_s, u"0"_s, u"1"_s}));
    QCOMPARE(v->mask, (std::array<QString, 4>{u"255"_s, u"0"_s, u"0"_s, u"0"_s}));
    QCOMPARE(v->serverPort, u"4000"_s);
    QCOMPARE(v->expiry, u"30"_s);
    QCOMPARE(v->protocolItem, 0);
    QCOMPARE(v->throughput, (std::array<QString, 5>{u"10"_s, u"20"_s, u"30"_s, u"40"_s, u"2550"_s}));
    QCOMPARE(v->countModeItem, (std::array<int, 5>{0, 1, 0, 1, 0}));
    QCOMPARE(v->flashInterval, u"30"_s);
    QCOMPARE(v->flashDelay, u"5"_s);
}

void TstProtocolDecoders::statusChoices_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("port");
    QTest::addColumn<char>("mode");
    QTest::addColumn<char>("countMode");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("version");
    QTest::addColumn<int>("protocolItem");
    QTest::addColumn<int>("countItem");
    QTest::newRow("other type") << 2 << 1 << 5 << 0x1F90 << 'G' << 'R' << u"ETC"_s << u"1.05"_s << 1 << 1;
    QTest::newRow("type 0") << 0 << 2 << 123 << 65535 << 'X' << 'f' << u"ETC"_s << u"2.12"_s << 1 << 1;
    QTest::newRow("minor 10") << 1 << 0 << 10 << 0 << 'N' << 'F' << u"R5200TX"_s << u"0.10"_s << 0 << 0;
    QTest::newRow("largest bytes") << 1 << 255 << 255 << 1 << 'n' << 'F' << u"R5200TX"_s << u"255.25"_s << 1
                                   << 0;
    QTest::newRow("minor 0") << 1 << 3 << 0 << 4000 << 'N' << '\0' << u"R5200TX"_s << u"3.00"_s << 0 << 1;
}

void TstProtocolDecoders::statusChoices()
{
    QFETCH(int, type);
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, port);
    QFETCH(char, mode);
    QFETCH(char, countMode);
    Status s;
    s.type = std::uint8_t(type);
    s.major = std::uint8_t(major);
    s.minor = std::uint8_t(minor);
    s.port = std::uint16_t(port);
    s.mode = mode;
    s.modes[2] = countMode;
    const std::optional<StatusView> v = decodeStatus(content(s.frame()));
    QVERIFY(v);
    QTEST(v->deviceName, "name");
    QTEST(v->version, "version");
    QCOMPARE(v->serverPort, QString::number(port));
    QTEST(v->protocolItem, "protocolItem");
    QTEST(v->countModeItem[2], "countItem");
}

void TstProtocolDecoders::statusNeedsItsCount()
{
    const QByteArray c = content(Status().frame());
    QVERIFY(!decodeStatus(c.left(48)));
    QVERIFY(!decodeStatus(c + 'x'));
    QVERIFY(!decodeStatus({}));
}

void TstProtocolDecoders::quality_data()
{
    QTest::addColumn<int>("rssi");
    QTest::addColumn<int>("quality");
    QTest::newRow("-127") << -127 << 0;
    QTest::newRow("-100") << -100 << 0;
    QTest::newRow("-99") << -99 << 2;
    QTest::newRow("-70") << -70 << 60;
    QTest::newRow("-51") << -51 << 98;
    QTest::newRow("-50") << -50 << 100;
    QTest::newRow("0") << 0 << 100;
    QTest::newRow("+20") << 20 << 100;
}

void TstProtocolDecoders::quality()
{
    QFETCH(int, rssi);
    QFETCH(int, quality);
    QCOMPARE(signalQuality(rssi), quality);
}

void TstProtocolDecoders::rssi_data()
{
    QTest::addColumn<QByteArray>("rssiField");
    QTest::addColumn<QString>("rssiText");
    QTest::addColumn<int>("signal");
    QTest::addColumn<int>("quality");
    QTest::newRow("-70") << QByteArray("   -70") << u"-70"_s << int(RssiReading::Signal::Quality) << 60;
    QTest::newRow("-100 left") << QByteArray("-100") << u"-100"_s << int(RssiReading::Signal::Quality) << 0;
    QTest::newRow("-50") << QByteArray(" -50") << u"-50"_s << int(RssiReading::Signal::Quality) << 100;
    QTest::newRow("NOINFO") << QByteArray("NOINFO") << u"NOINFO"_s << int(RssiReading::Signal::Disconnected)
                            << 0;
    QTest::newRow("not a number") << QByteArray("-7O") << u"-7O"_s << int(RssiReading::Signal::Unreadable)
                                  << 0;
    QTest::newRow("blank") << QByteArray("      ") << QString() << int(RssiReading::Signal::Unreadable) << 0;
}

void TstProtocolDecoders::rssi()
{
    QFETCH(QByteArray, rssiField);
    const std::optional<RssiReading> r = decodeRssi(content(rssiFrame("  R5_LAB", rssiField)));
    QVERIFY(r);
    QCOMPARE(r->ssid, u"R5_LAB"_s);
    QTEST(r->rssiText, "rssiText");
    QTEST(int(r->signal), "signal");
    QTEST(r->quality, "quality");
    QVERIFY(!decodeRssi(content(rssiFrame("R5_LAB", rssiField)).left(40)));
}

void TstProtocolDecoders::koreanSsidCutAtEveryBytePosition()
{
    const QString ssid = u"연구소 무선랜 2층"_s; // 24 bytes in UTF-8, 17 in code page 949
    for (int shift = 0; shift <= 40; ++shift) {
        // The device cut the SSID field by bytes wherever it fell.
        const QByteArray field = (QByteArray(shift, ' ') + r5::test::deviceText(ssid)).left(32);
        // Whole characters that fit in the 32 bytes after the shift.
        QString expected;
        int used = shift;
        for (const QChar c : ssid) {
            used += int(r5::test::deviceText(QString(c)).size());
            if (used > 32)
                break;
            expected += c;
        }
        const std::optional<RssiReading> r = decodeRssi(content(rssiFrame(field, "   -62")));
        QVERIFY(r);
        QCOMPARE(r->ssid, expected.trimmed());
        QCOMPARE(r->rssiText, u"-62"_s);
        QCOMPARE(r->quality, 76);

        const std::optional<ApList> list =
            decodeApList(content(frame(0x48, "1" + apRecord(field, "11", "-73", "WPA_WPA2_PSK"))));
        QVERIFY(list);
        QCOMPARE(list->entries.size(), 1);
        QCOMPARE(list->entries[0].ssid, expected.trimmed());
        QCOMPARE(list->entries[0].channel, u"11"_s);
    }
    // A field whose cut begins inside a character drops the bytes that continue it: "가" starts
    // one byte before the SSID field's end.
    const QByteArray spill =
        "1" + (QByteArray(33 - r5::test::syllableBytes(), ' ') + r5::test::deviceText(u"가나")).left(52) +
        QByteArray(20, ' ');
    const std::optional<ApList> list = decodeApList(content(frame(0x48, spill)));
    QVERIFY(list);
    QCOMPARE(list->entries.value(0).ssid, QString());
    QCOMPARE(list->entries.value(0).channel, u"나"_s);
}

void TstProtocolDecoders::apList_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<bool>("decoded");
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<bool>("stopped");

    const QByteArray r1 = apRecord("R5_LAB", "6", "-48", "WPA2_PSK");
    const QByteArray r2 = apRecord("Office-2G", "1", "-67", "WPA2_PSK");
    const QByteArray r3 = apRecord(r5::test::deviceText(u"한국 연구소"), "11", "-73", "WPA_WPA2_PSK");
    const QStringList row1{u"1"_s, u"R5_LAB"_s, u"6"_s, u"-48"_s, u"100%"_s, u"WPA2_PSK"_s};
    const QStringList row2{u"2"_s, u"Office-2G"_s, u"1"_s, u"-67"_s, u"66%"_s, u"WPA2_PSK"_s};
    const QStringList row3{u"3"_s, u"한국 연구소"_s, u"11"_s, u"-73"_s, u"54%"_s, u"WPA_WPA2_PSK"_s};

    QTest::newRow("three") << QByteArray("3" + r1 + r2 + r3) << true << 3
                           << QList<QStringList>{row1, row2, row3} << false;
    QTest::newRow("zero") << QByteArray("0" + r1) << true << 0 << QList<QStringList>{} << false;
    QTest::newRow("not a digit") << QByteArray("A" + r1) << false << 0 << QList<QStringList>{} << false;
    QTest::newRow("empty") << QByteArray() << false << 0 << QList<QStringList>{} << false;
    QTest::newRow("rssi not a number")
        << QByteArray("3" + r1 + apRecord("Office-2G", "1", "-6x", "WPA2_PSK") + r3) << true << 3
        << QList<QStringList>{row1, {u"2"_s, u"Office-2G"_s, u"1"_s}} << true;
    QTest::newRow("count beyond the records")
        << QByteArray("9" + r1) << true << 9 << QList<QStringList>{row1, {u"2"_s, QString(), QString()}}
        << true;
    QTest::newRow("record cut short")
        << QByteArray("1" + r1.left(38)) << true << 1
        << QList<QStringList>{{u"1"_s, u"R5_LAB"_s, u"6"_s, u"-4"_s, u"100%"_s, QString()}} << false;
    QTest::newRow("five entries") << QByteArray("5" + r1 + r2 + r3 + r1 + r2) << true << 5
                                  << QList<QStringList>{row1, row2, row3, QStringList{u"4"_s} + row1.mid(1),
                                                        QStringList{u"5"_s} + row2.mid(1)}
                                  << false;
}

void TstProtocolDecoders::apList()
{
    QFETCH(QByteArray, payload);
    QFETCH(bool, decoded);
    const std::optional<ApList> list = decodeApList(content(frame(0x48, payload)));
    QCOMPARE(bool(list), decoded);
    if (!list)
        return;
    QTEST(list->count, "count");
    QList<QStringList> rows;
    for (const ApEntry &e : list->entries)
        rows.append(e.cells());
    QTEST(rows, "rows");
    QTEST(list->stopped, "stopped");
}

void TstProtocolDecoders::currentApCutsByBytes()
{
    const std::optional<CurrentAp> ap = decodeCurrentAp(
        content(currentApFrame(r5::test::deviceText(u"한국 연구소"), r5::test::deviceText(u"비밀번호"))));
    QVERIFY(ap);
    QCOMPARE(ap->ssid, u"한국 연구소"_s);
    QCOMPARE(ap->password, u"비밀번호"_s);
    const std::optional<CurrentAp> left = decodeCurrentAp(
        content(frame(0x49, QByteArray(QByteArray(26, ' ') + "R5_LAB" + QByteArray(9, ' ') + "pass123"))));
    QVERIFY(left);
    QCOMPARE(left->ssid, u"R5_LAB"_s);
    QCOMPARE(left->password, u"pass123"_s);
    QVERIFY(!decodeCurrentAp(content(currentApFrame("R5_LAB", "pw")).left(50)));
}

void TstProtocolDecoders::textEndsAtTheFirstZeroByte()
{
    const QByteArray c = content(rssiFrame(QByteArray("R5_LAB\0junk", 11), "-70"));
    QCOMPARE(responseText(c), QByteArray("R5_LAB"));
    QCOMPARE(resLine(responseText(c)), u"res[6] = [R5_LAB]"_s);
    const std::optional<RssiReading> r = decodeRssi(c);
    QVERIFY(r);
    QCOMPARE(r->ssid, u"R5_LAB"_s);
    QCOMPARE(r->rssiText, QString());
    QCOMPARE(int(r->signal), int(RssiReading::Signal::Unreadable));
    QCOMPARE(resLine(r5::test::deviceText(u"한국 AP")), u"res[5] = [한국 AP]"_s);
    QCOMPARE(responseText(QByteArray("\x33\x4A")), QByteArray());
}

void TstProtocolDecoders::deviceTextsReadTheSameEverywhere_data()
{
    QTest::addColumn<QByteArray>("ssidField");
    QTest::addColumn<QByteArray>("passwordField");
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArray>("reported"); // the SSID's bytes as a choice from the list keeps them

    const QByteArray cp949Name = QByteArray::fromHex("bfacb1b8bcd22032b5bf");
    const QByteArray utf8Name = QByteArray::fromHex("ec97b0eab5acec868c2032eb8f99");
    const QByteArray cp949Password = QByteArray::fromHex("baf1b9d0b9f8c8a3");
    const QString name = u"연구소 2동"_s;
    QTest::newRow("CP949, as a Korean Windows PC wrote it")
        << cp949Name << cp949Password << name << u"비밀번호"_s << cp949Name;
    QTest::newRow("UTF-8, as an access point broadcasts it")
        << utf8Name << cp949Password << name << u"비밀번호"_s << utf8Name;
    QTest::newRow("UTF-8 beyond CP949") << QByteArray("Cafe \xE2\x98\x95") << QByteArray("pw") << u"Cafe ☕"_s
                                        << u"pw"_s << QByteArray("Cafe \xE2\x98\x95");
    QTest::newRow("neither") << QByteArray("\xFF\xFE"
                                           "AB")
                             << QByteArray("pw") << QString(u"\uFFFD\uFFFDAB"_s) << u"pw"_s
                             << QByteArray("\xFF\xFE"
                                           "AB");
    // The device cut a UTF-8 name at its 32 bytes: the half character is left out.
    const QByteArray cutUtf8 = QByteArray(30, 'x') + utf8Name.left(2);
    QTest::newRow("UTF-8 cut inside a character")
        << cutUtf8 << QByteArray("pw") << QString(30, u'x') << u"pw"_s << QByteArray(30, 'x');
}

void TstProtocolDecoders::deviceTextsReadTheSameEverywhere()
{
    QFETCH(QByteArray, ssidField);
    QFETCH(QByteArray, passwordField);
    QFETCH(QString, ssid);
    QFETCH(QByteArray, reported);
    const std::optional<CurrentAp> ap = decodeCurrentAp(content(currentApFrame(ssidField, passwordField)));
    QVERIFY(ap);
    QCOMPARE(ap->ssid, ssid);
    QTEST(ap->password, "password");
    const std::optional<RssiReading> rssi = decodeRssi(content(rssiFrame(ssidField, "-70")));
    QVERIFY(rssi);
    QCOMPARE(rssi->ssid, ssid);

    // The fifth access point in sight is listed like the first.
    const QByteArray other = apRecord("Office-2G", "1", "-67", "WPA2_PSK");
    const std::optional<ApList> list = decodeApList(content(
        frame(0x48, "5" + other + other + other + other + apRecord(ssidField, "6", "-48", "WPA2_PSK"))));
    QVERIFY(list);
    QCOMPARE(list->entries.size(), 5);
    QCOMPARE(list->entries[4].ssid, ssid);
    QCOMPARE(list->entries[4].ssidBytes, reported);
    const Request set = setApRequest(list->entries[4].ssidBytes, u"pw");
    QCOMPARE(set.frame.mid(4, 32), QByteArray(32 - reported.size(), ' ') + reported);
    QCOMPARE(set.announce.value(0),
             u"tmpSSIDName : [32]["_s + QString(32 - reported.size(), u' ') + ssid + u']');
}

QTEST_GUILESS_MAIN(TstProtocolDecoders)
#include "tst_protocol_decoders.moc"
