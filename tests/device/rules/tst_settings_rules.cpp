// The checks of the WAN, server, DI and access point commands: which refusal comes first,
// with which text and focus, and the values that go out when all pass.
#include "r5device/settingsrules.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace r5setup::settings;

class TstSettingsRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void wan_data();
    void wan();
    void server_data();
    void server();
    void throughput_data();
    void throughput();
    void ssid_data();
    void ssid();
};

namespace {

std::array<QString, 12> wanFields(const QStringList &changes)
{
    std::array<QString, 12> f{u"192"_s, u"168"_s, u"1"_s,   u"110"_s, u"192"_s, u"168"_s,
                              u"1"_s,   u"1"_s,   u"255"_s, u"255"_s, u"255"_s, u"0"_s};
    for (const QString &c : changes)
        f[std::size_t(c.section(u'=', 0, 0).toInt())] = c.section(u'=', 1);
    return f;
}

} // namespace

void TstSettingsRules::wan_data()
{
    QTest::addColumn<QStringList>("changes"); // index=text
    QTest::addColumn<QString>("message");     // empty: accepted
    QTest::addColumn<bool>("conversion");

    const QString empty = u"IP 주소에는 공란입력이 불가합니다."_s;
    const QString range = u"0 ~ 255 정수만 입력 가능합니다."_s;
    QTest::newRow("accepted") << QStringList{} << QString() << false;
    QTest::newRow("empty GW3 beside IP2 of 300") << QStringList{u"6="_s, u"1=300"_s} << empty << false;
    QTest::newRow("empty last mask octet") << QStringList{u"11="_s} << empty << false;
    QTest::newRow("256") << QStringList{u"3=256"_s} << range << false;
    QTest::newRow("255 and 0") << QStringList{u"0=255"_s, u"1=0"_s} << QString() << false;
    QTest::newRow("pasted minus") << QStringList{u"5=-1"_s} << range << false;
    QTest::newRow("space kept in a field")
        << QStringList{u"2=1 "_s} << u"'1 ' is not a valid integer value"_s << true;
    // Read in order: the letter in the gateway is met before the range of the mask.
    QTest::newRow("letter before a later range")
        << QStringList{u"4=1x"_s, u"8=999"_s} << u"'1x' is not a valid integer value"_s << true;
    QTest::newRow("range before a later letter") << QStringList{u"4=999"_s, u"8=1x"_s} << range << false;
}

void TstSettingsRules::wan()
{
    QFETCH(QStringList, changes);
    QFETCH(QString, message);
    QFETCH(bool, conversion);
    const auto checked = checkWan(wanFields(changes));
    if (message.isEmpty()) {
        QVERIFY(checked);
        if (changes.isEmpty()) {
            QCOMPARE(checked.value->ip, (std::array<std::uint8_t, 4>{192, 168, 1, 110}));
            QCOMPARE(checked.value->gateway, (std::array<std::uint8_t, 4>{192, 168, 1, 1}));
            QCOMPARE(checked.value->mask, (std::array<std::uint8_t, 4>{255, 255, 255, 0}));
        }
        return;
    }
    QVERIFY(!checked);
    QCOMPARE(checked.refusal.message, message);
    QCOMPARE(checked.refusal.focus, QString()); // the WAN command moves no focus
    QCOMPARE(checked.refusal.conversion, conversion);
}

void TstSettingsRules::server_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("expiry");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("sentPort");
    QTest::addColumn<int>("sentExpiry");

    const QString port = u"Edit_Server_Port"_s;
    const QString exp = u"CB_Server_ExpTime"_s;
    const QString portRange = u"TCP Server port 값은 1 ~ 65535 정수만 가능합니다."_s;
    const QString expRange = u"Server Expire Time(Sec)은0 ~ 255 정수만 가능합니다."_s;
    QTest::newRow("4000, 30") << u"4000"_s << u"30"_s << QString() << QString() << 4000 << 30;
    QTest::newRow("65535, 255") << u"65535"_s << u"255"_s << QString() << QString() << 65535 << 255;
    QTest::newRow("1, 0") << u"1"_s << u"0"_s << QString() << QString() << 1 << 0;
    QTest::newRow("port 0") << u"0"_s << u"30"_s << portRange << port << 0 << 0;
    QTest::newRow("port 65536") << u"65536"_s << u"30"_s << portRange << port << 0 << 0;
    QTest::newRow("port 99999") << u"99999"_s << u"30"_s << portRange << port << 0 << 0;
    QTest::newRow("expiry 256") << u"4000"_s << u"256"_s << expRange << exp << 0 << 0;
    QTest::newRow("empty port") << QString() << QString() << u"TCP Server port 값은 공란 입력이 불가합니다."_s
                                << port << 0 << 0;
    // Both emptiness tests come before the port's range.
    QTest::newRow("empty expiry beside port 0")
        << u"0"_s << QString() << u"Server Expire(Sec) 값은 공란 입력이 불가합니다."_s << exp << 0 << 0;
    QTest::newRow("bad port before bad expiry") << u"0"_s << u"256"_s << portRange << port << 0 << 0;
    QTest::newRow("expiry with a letter")
        << u"4000"_s << u"3a"_s << u"'3a' is not a valid integer value"_s << QString() << 0 << 0;
}

void TstSettingsRules::server()
{
    QFETCH(QString, port);
    QFETCH(QString, expiry);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    QFETCH(int, sentPort);
    QFETCH(int, sentExpiry);
    const auto checked = checkServer(port, expiry);
    if (message.isEmpty()) {
        QVERIFY(checked);
        QCOMPARE(int(checked.value->port), sentPort);
        QCOMPARE(int(checked.value->expirySeconds), sentExpiry);
        return;
    }
    QVERIFY(!checked);
    QCOMPARE(checked.refusal.message, message);
    QCOMPARE(checked.refusal.focus, focus);
}

void TstSettingsRules::throughput_data()
{
    QTest::addColumn<QStringList>("times");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");

    const QString empty = u"ThrouputTime에는 공란입력이 불가능합니다."_s;
    QTest::newRow("initial") << QStringList{u"10"_s, u"10"_s, u"10"_s, u"10"_s, u"10"_s} << QString()
                             << QString();
    QTest::newRow("limits") << QStringList{u"2550"_s, u"1"_s, u"100"_s, u"900"_s, u"20"_s} << QString()
                            << QString();
    QTest::newRow("0 in 3 beside bad 4")
        << QStringList{u"10"_s, u"10"_s, u"0"_s, u"9999"_s, u"10"_s}
        << u"ThrouputTime3 값을 확인하세요. 1 ~ 2550 정수만 가능합니다."_s << u"CB_ThrouputTime3"_s;
    QTest::newRow("2551 in 3 beside bad 4")
        << QStringList{u"10"_s, u"10"_s, u"2551"_s, u"0"_s, u"10"_s}
        << u"ThrouputTime3 값을 확인하세요. 1 ~ 2550 정수만 가능합니다."_s << u"CB_ThrouputTime3"_s;
    QTest::newRow("empty 5 beside bad 1")
        << QStringList{u"0"_s, u"10"_s, u"10"_s, u"10"_s, QString()} << empty << QString();
    QTest::newRow("bad 5") << QStringList{u"10"_s, u"10"_s, u"10"_s, u"10"_s, u"3000"_s}
                           << u"ThrouputTime5 값을 확인하세요. 1 ~ 2550 정수만 가능합니다."_s
                           << u"CB_ThrouputTime5"_s;
    QTest::newRow("letter in 2") << QStringList{u"10"_s, u"1O"_s, u"10"_s, u"10"_s, u"10"_s}
                                 << u"'1O' is not a valid integer value"_s << QString();
}

void TstSettingsRules::throughput()
{
    QFETCH(QStringList, times);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    std::array<QString, 5> fields;
    for (std::size_t i = 0; i < 5; ++i)
        fields[i] = times[qsizetype(i)];
    const auto checked = checkThroughputTimes(fields);
    if (message.isEmpty()) {
        QVERIFY(checked);
        for (std::size_t i = 0; i < 5; ++i)
            QCOMPARE(int(checked.value->at(i)), times[qsizetype(i)].toInt());
        return;
    }
    QVERIFY(!checked);
    QCOMPARE(checked.refusal.message, message);
    QCOMPARE(checked.refusal.focus, focus);
}

void TstSettingsRules::ssid_data()
{
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("1 character") << u"A"_s << false;
    QTest::newRow("2 characters") << u"AB"_s << true;
    // Lengths are bytes of the multi-byte encoding, so one Korean syllable is enough.
    QTest::newRow("one syllable") << u"집"_s << true;
}

void TstSettingsRules::ssid()
{
    QFETCH(QString, ssid);
    QFETCH(bool, accepted);
    const auto refusal = checkSsid(ssid);
    QCOMPARE(!refusal.has_value(), accepted);
    if (refusal) {
        QCOMPARE(refusal->message, u"SSID를 확인하세요."_s);
        QCOMPARE(refusal->focus, u"Edit_Current_SSID"_s);
    }
}

QTEST_GUILESS_MAIN(TstSettingsRules)
#include "tst_settings_rules.moc"
