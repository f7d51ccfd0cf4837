#include "core/activity.h"
#include "core/entry.h"
#include "r5device/tcp/command.h"
#include "r5device/tcp/icmp.h"
#include "r5device/tcp/pingtext.h"
#include "r5device/tcp/report.h"

#include <QTest>
#include <QTimeZone>

using namespace Qt::StringLiterals;
using namespace disim;

namespace {
// A 33-byte report: lead 'N', inputs "010101", outputs "10", counters as given.
QByteArray report33(const std::array<QByteArray, 6> &counters)
{
    QByteArray r("N01010110");
    for (const QByteArray &c : counters)
        r += c;
    return r;
}

QByteArray le(quint32 v)
{
    QByteArray b;
    for (int i = 0; i < 4; ++i)
        b.append(char(v >> (8 * i)));
    return b;
}

const QDateTime kStamp(QDate(2026, 12, 7), QTime(9, 15, 2, 125), Qt::UTC);
} // namespace

class TstDisimCore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void commands_data();
    void commands();
    void timeStampIsUtc();
    void counters_data();
    void counters();
    void reportKinds_data();
    void reportKinds();
    void wrongLengths_data();
    void wrongLengths();
    void characterFieldsTakeAnyByte();
    void listKeepsNewest1001();
    void logRecordAndFileName();
    void port_data();
    void port();
    void interval_data();
    void interval();
    void pingHostName_data();
    void pingHostName();
    void pingLines();
    void icmpChecksum();
    void icmpReplies_data();
    void icmpReplies();
};

void TstDisimCore::commands_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("reset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("request ignores arguments")
        << int(Command::Request) << u"A"_s << u"1"_s << u"6"_s << QByteArray::fromHex("4E524551");
    QTest::newRow("DO all on") << int(Command::DoSetting) << u"A"_s << u"1"_s << u"1"_s
                               << QByteArray::fromHex("4E544131");
    QTest::newRow("DO 2 off") << int(Command::DoSetting) << u"2"_s << u"0"_s << u"1"_s
                              << QByteArray::fromHex("4E543230");
    QTest::newRow("count reset 3") << int(Command::CountReset) << u"1"_s << u"0"_s << u"3"_s
                                   << QByteArray::fromHex("4E433330");
    QTest::newRow("count reset all") << int(Command::CountReset) << u"1"_s << u"0"_s << u"A"_s
                                     << QByteArray::fromHex("4E434130");
}

void TstDisimCore::commands()
{
    QFETCH(int, command);
    QFETCH(QString, set);
    QFETCH(QString, value);
    QFETCH(QString, reset);
    QFETCH(QByteArray, bytes);
    const QByteArray built =
        buildCommand(Command(command), argumentByte(set), argumentByte(value), argumentByte(reset));
    QCOMPARE(built, bytes);
    QString expected = u"[09:15:02.125] SEND : "_s;
    for (const char b : bytes)
        expected += QString::fromLatin1(QByteArray(1, b).toHex().toUpper()) + u' ';
    QCOMPARE(sendLine(timeStamp(kStamp), built), expected);
    QVERIFY(expected.endsWith(u' '));
}

void TstDisimCore::timeStampIsUtc()
{
    QCOMPARE(timeStamp(kStamp), u"[09:15:02.125]"_s);
    const QDateTime seoul(QDate(2026, 12, 7), QTime(9, 0, 0, 7), QTimeZone(9 * 3600));
    QCOMPARE(timeStamp(seoul), u"[00:00:00.007]"_s);
}

void TstDisimCore::counters_data()
{
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<quint32>("value");
    QTest::newRow("one") << QByteArray::fromHex("01000000") << 1u;
    QTest::newRow("high byte") << QByteArray::fromHex("00000001") << 16777216u;
    QTest::newRow("max") << QByteArray::fromHex("FFFFFFFF") << 4294967295u;
    QTest::newRow("mixed") << QByteArray::fromHex("A0860100") << 100000u;
}

void TstDisimCore::counters()
{
    QFETCH(QByteArray, field);
    QFETCH(quint32, value);
    const QByteArray zero(4, '\0');
    for (int i = 0; i < 6; ++i) {
        std::array<QByteArray, 6> fields{zero, zero, zero, zero, zero, zero};
        fields[i] = field;
        const auto r = decodeReport(report33(fields));
        QVERIFY(r);
        for (int k = 0; k < 6; ++k)
            QCOMPARE(r->counters[k], k == i ? value : 0u);
    }
}

void TstDisimCore::reportKinds_data()
{
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<QString>("checkByte"); // empty: none
    QTest::addColumn<bool>("gapTimes");
    QTest::newRow("33 normal") << QByteArray() << QString() << false;
    QTest::newRow("34 check byte 0A") << QByteArray::fromHex("0A") << u"A"_s << false;
    QTest::newRow("34 check byte A0") << QByteArray::fromHex("A0") << u"A0"_s << false;
    QTest::newRow("34 check byte 05") << QByteArray::fromHex("05") << u"5"_s << false;
    QByteArray gaps;
    for (quint32 g : {10u, 20u, 300u, 4000u, 50000u, 600000u})
        gaps += le(g);
    QTest::newRow("57 gap times") << gaps << QString() << true;
}

void TstDisimCore::reportKinds()
{
    QFETCH(QByteArray, tail);
    QFETCH(QString, checkByte);
    QFETCH(bool, gapTimes);
    const QByteArray bytes = report33({le(1), le(2), le(3), le(4), le(5), le(6)}) + tail;
    const auto r = decodeReport(bytes);
    QVERIFY(r);
    QCOMPARE(QString(r->inputs.data(), 6), u"010101"_s);
    QCOMPARE(QString(r->outputs.data(), 2), u"10"_s);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(r->counters[i], quint32(i + 1));
    QCOMPARE(r->checkByte.has_value(), !checkByte.isEmpty());
    if (r->checkByte)
        QCOMPARE(checkByteText(*r->checkByte), checkByte);
    QCOMPARE(r->gapTimes.has_value(), gapTimes);
    if (gapTimes) {
        const std::array<quint32, 6> expected{10, 20, 300, 4000, 50000, 600000};
        QCOMPARE(*r->gapTimes, expected);
    }
    const QString line = recvLine(u"[00:00:00.000]"_s, bytes);
    QCOMPARE(line, u"[00:00:00.000] RECV : "_s + QString::fromLatin1(bytes.toHex().toUpper()));
    QCOMPARE(line.size() - 22, 2 * bytes.size());
}

void TstDisimCore::wrongLengths_data()
{
    QTest::addColumn<int>("length");
    for (int n : {0, 1, 2, 13, 20, 32, 35, 56, 58, 66})
        QTest::addRow("%d bytes", n) << n;
}

void TstDisimCore::wrongLengths()
{
    QFETCH(int, length);
    QVERIFY(!decodeReport(QByteArray(length, '1')));
    QCOMPARE(wrongLengthLine(length),
             u"Different responce data length : "_s + QString::number(length) + u" Bytes"_s);
}

void TstDisimCore::characterFieldsTakeAnyByte()
{
    QByteArray bytes = report33({le(0), le(0), le(0), le(0), le(0), le(0)});
    bytes[1] = '\0';
    bytes[8] = char(0xE9);
    const auto r = decodeReport(bytes);
    QVERIFY(r);
    QCOMPARE(r->inputs[0], QChar(0));
    QCOMPARE(r->outputs[1], QChar(0xE9));
    QVERIFY(recvLine({}, bytes).contains(u"4E0031"_s));
}

void TstDisimCore::listKeepsNewest1001()
{
    QStringList list;
    for (int i = 0; i < 1005; ++i) {
        list.remove(0, entriesToDrop(int(list.size())));
        list.append(QString::number(i));
        QVERIFY(list.size() <= kListMax);
    }
    QCOMPARE(list.size(), 1001);
    QCOMPARE(list.front(), u"4"_s);
    QCOMPARE(list.back(), u"1004"_s);
}

void TstDisimCore::logRecordAndFileName()
{
    QCOMPARE(logFileName(QDate(2026, 1, 5)), u"20260105.txt"_s);
    QCOMPARE(logRecord(u"[01:02:03.004] RECV : 4E"_s), QByteArray("\r\n[01:02:03.004] RECV : 4E\r\n\r\n"));
}

void TstDisimCore::port_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("port"); // 0: refused
    QTest::newRow("default") << u"4000"_s << 4000;
    QTest::newRow("above signed 16 bit") << u"40000"_s << 40000;
    QTest::newRow("highest") << u"65535"_s << 65535;
    QTest::newRow("lowest") << u"1"_s << 1;
    QTest::newRow("spaces") << u" 80 "_s << 80;
    QTest::newRow("zero") << u"0"_s << 0;
    QTest::newRow("too big") << u"65536"_s << 0;
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("letters") << u"40a0"_s << 0;
    QTest::newRow("negative") << u"-1"_s << 0;
    QTest::newRow("dot") << u"40.0"_s << 0;
    QTest::newRow("too long") << u"000080"_s << 0;
}

void TstDisimCore::port()
{
    QFETCH(QString, text);
    QFETCH(int, port);
    const auto p = parsePort(text);
    QCOMPARE(p.has_value(), port != 0);
    if (p)
        QCOMPARE(int(*p), port);
}

void TstDisimCore::interval_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("ms"); // 0: refused
    QTest::newRow("one second") << u"1"_s << 1000;
    QTest::newRow("fraction") << u"2.5"_s << 2500;
    QTest::newRow("fifteen") << u"15"_s << 15000;
    QTest::newRow("rounded") << u"0.0016"_s << 2;
    QTest::newRow("leading number") << u"3abc"_s << 3000;
    QTest::newRow("second dot ends it") << u"1.2.3"_s << 1200;
    QTest::newRow("leading spaces") << u"  2"_s << 2000;
    QTest::newRow("above old timer range") << u"100"_s << 100000;
    QTest::newRow("zero") << u"0"_s << 0;
    QTest::newRow("below a millisecond") << u"0.0004"_s << 0;
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("dot") << u"."_s << 0;
    QTest::newRow("letters") << u"abc"_s << 0;
    QTest::newRow("beyond a timer") << u"99999999999"_s << 0;
}

void TstDisimCore::interval()
{
    QFETCH(QString, text);
    QFETCH(int, ms);
    const auto v = parseIntervalMs(text);
    QCOMPARE(v.has_value(), ms != 0);
    if (v)
        QCOMPARE(*v, ms);
}

void TstDisimCore::pingHostName_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("name");
    QTest::newRow("as is") << u"127.0.0.1"_s << u"127.0.0.1"_s;
    QTest::newRow("spaces around") << u"  127.0.0.1 "_s << u"127.0.0.1"_s;
    QTest::newRow("65 characters") << QString(65, u'a') << QString(64, u'a');
    QTest::newRow("cut after trimming") << u"  "_s + QString(70, u'b') << QString(64, u'b');
    QTest::newRow("NUL ends the name") << u"ab"_s + QChar(0) + u"cd"_s << u"ab"_s;
    QTest::newRow("only spaces") << u"   "_s << QString();
}

void TstDisimCore::pingHostName()
{
    QFETCH(QString, typed);
    QFETCH(QString, name);
    QCOMPARE(disim::pingHostName(typed), name);
}

void TstDisimCore::pingLines()
{
    QCOMPARE(pingReplyLine(u"127.0.0.110"_s, 0, 1, 64), u"Reply From 127.0.0.110: Bytes=0 Time=1ms TTL=64"_s);
    QCOMPARE(pingNoAnswerLine(u"127.0.0.9"_s), u"No answer from 127.0.0.9"_s);
    QCOMPARE(pingUnknownHostLine(u" nohost "_s), u"Ping: Unknown Host  nohost "_s);
    QCOMPARE(pingEndLine(), u"Ping Test End~!!"_s);
}

void TstDisimCore::icmpChecksum()
{
    // The worked example of the Internet checksum.
    QCOMPARE(icmp::checksum(QByteArray::fromHex("0001F203F4F5F6F7")), quint16(0x220D));
    QCOMPARE(icmp::checksum(QByteArray::fromHex("01")), quint16(0xFEFF));
    const QByteArray request = icmp::echoRequest(0x1234, 7, "xyz");
    QCOMPARE(request.left(2), QByteArray::fromHex("0800"));
    QCOMPARE(request.mid(4, 4), QByteArray::fromHex("12340007"));
    QCOMPARE(request.mid(8), QByteArray("xyz"));
    QCOMPARE(icmp::checksum(request), quint16(0));
}

void TstDisimCore::icmpReplies_data()
{
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<bool>("withIpHeader");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("ttl");
    QTest::addColumn<int>("dataSize");

    const QByteArray reply = QByteArray::fromHex("00000000ABCD0009");
    const QByteArray ip = QByteArray::fromHex("4500001C00004000400100007F0000017F000001");
    QTest::newRow("datagram reply") << reply << false << true << -1 << 0;
    QTest::newRow("datagram reply with data") << reply + "data" << false << true << -1 << 4;
    QTest::newRow("datagram request") << icmp::echoRequest(0xABCD, 9) << false << false << 0 << 0;
    QTest::newRow("datagram short") << reply.left(7) << false << false << 0 << 0;
    QTest::newRow("unreachable") << QByteArray::fromHex("0301000000000000") << false << false << 0 << 0;
    QTest::newRow("raw reply") << ip + reply << true << true << 64 << 0;
    QByteArray ttl255 = ip + reply;
    ttl255[8] = char(0xFF);
    QTest::newRow("raw ttl 255") << ttl255 << true << true << 255 << 0;
    QByteArray tcp = ip + reply;
    tcp[9] = 6;
    QTest::newRow("raw not icmp") << tcp << true << false << 0 << 0;
    QByteArray ihl4 = ip + reply;
    ihl4[0] = 0x44;
    QTest::newRow("raw header too short") << ihl4 << true << false << 0 << 0;
    QTest::newRow("raw cut") << QByteArray(ip + reply).left(25) << true << false << 0 << 0;
    QTest::newRow("raw ipv6") << QByteArray(48, '\x60') << true << false << 0 << 0;
    QTest::newRow("raw own request") << ip + icmp::echoRequest(0xABCD, 9) << true << false << 0 << 0;
}

void TstDisimCore::icmpReplies()
{
    QFETCH(QByteArray, packet);
    QFETCH(bool, withIpHeader);
    QFETCH(bool, valid);
    QFETCH(int, ttl);
    QFETCH(int, dataSize);
    const auto r = icmp::parseEchoReply(packet, withIpHeader);
    QCOMPARE(r.has_value(), valid);
    if (!r)
        return;
    QCOMPARE(r->id, quint16(0xABCD));
    QCOMPARE(r->sequence, quint16(9));
    QCOMPARE(r->ttl, ttl);
    QCOMPARE(r->dataSize, dataSize);
    QCOMPARE(r->source, withIpHeader ? quint32(0x7F000001) : quint32(0));
}

QTEST_GUILESS_MAIN(TstDisimCore)
#include "tst_disimcore.moc"
