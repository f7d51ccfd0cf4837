// Expected texts are built with plain +, which the string builder would turn into proxies.
#undef QT_USE_QSTRINGBUILDER

#include "devicetext.h"
#include "virt/devicemodel.h"
#include "virt/faults.h"
#include "virt/requestreceiver.h"
#include "virt/serialside.h"
#include "virt/statefile.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace virt;

namespace {

// Frames as the protocol tables give them. Requests: 7E LEN id 50 payload FE; answers carry
// 44 where requests carry 50.
QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

QByteArray shortReply(int id)
{
    return hex("7E05") + char(id) + hex("44FE");
}

QByteArray query(int id)
{
    return hex("7E05") + char(id) + hex("50FE");
}

// A padded text of a request: spaces first, then the text's bytes.
QByteArray leftPadded(const QString &text, int width)
{
    const QByteArray bytes = r5::test::wireText(text);
    return QByteArray(width - bytes.size(), ' ') + bytes;
}

// A padded text of an answer: the text's bytes, then spaces.
QByteArray rightPadded(const QString &text, int width)
{
    return r5::test::wireText(text).leftJustified(width, ' ');
}

QByteArray setAp(const QString &ssid, const QString &password)
{
    return hex("7E354250") + leftPadded(ssid, 32) + leftPadded(password, 16) + hex("FE");
}

QByteArray currentApAnswer(const QString &ssid, const QString &password)
{
    return hex("7E354944") + rightPadded(ssid, 32) + rightPadded(password, 16) + hex("FE");
}

QByteArray rssiAnswer(const QString &ssid, const char *rssi6)
{
    return hex("7E2B4A44") + rightPadded(ssid, 32) + QByteArray(rssi6) + hex("FE");
}

const QByteArray kStatusRequest = hex("7E054150FE");
// 127.0.0.1, 127.0.0.1, 255.0.0.0.
const QByteArray kLoopbackWan = hex("7E1143507F0000017F000001FF000000FE");
// The status of a device at first start: type 1, firmware 1.05, MAC 02:52:00:54:58:01, WAN on
// loopback, port 4000, expiry 0, mode 'N', DI 10 ms falling, flash every 30 with delay 5.
const QByteArray kFirstStatus = hex("7E334144"
                                    "010105"
                                    "025200545801"
                                    "7F000001"
                                    "7F000001"
                                    "FF000000"
                                    "0FA0"
                                    "00"
                                    "4E"
                                    "000A000A000A000A000A"
                                    "0000"
                                    "4646464646"
                                    "46"
                                    "001E"
                                    "05"
                                    "FE");
const QByteArray kFirstCurrentAp = currentApAnswer(u"R5200TX_LAB"_s, u"r5200tx-lab"_s);

// Stands in for the serial line: records every write separately.
class FakeTransport final : public Transport
{
public:
    QString name() const override { return u"fake"_s; }
    void write(const QByteArray &bytes) override { writes.append(bytes); }
    void peerSends(const QByteArray &bytes) { Q_EMIT received(bytes); }
    QList<QByteArray> writes;
};

} // namespace

class TstVirtualDevice : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void answersEveryRequest_data();
    void answersEveryRequest();
    void setCommandsShowInTheNextAnswers();
    void koreanAccessPointRoundTrip();
    void rebootsAndWhatTheyReport();
    void ignoredWrites_data();
    void ignoredWrites();
    void rebootKeepsTheLineSilent();
    void factoryReset_data();
    void factoryReset();
    void rssiDriftsWithinBounds();
    void stateFileSurvivesRestart();
    void badStateFileIsRefused();
    void requestFraming_data();
    void requestFraming();
    void faultSwitches_data();
    void faultSwitches();
    void faultsSpoilOnlyTheFirstAnswers();
    void serialSideDeliversPiecesInOrder();
};

void TstVirtualDevice::answersEveryRequest_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");
    const auto record = [](const char *ssid, const char *channel, const char *rssi, const char *auth) {
        return QByteArray(ssid).leftJustified(32, ' ') + QByteArray(channel).leftJustified(4, ' ') +
               QByteArray(rssi).leftJustified(4, ' ') + QByteArray(auth).leftJustified(12, ' ');
    };
    // 266 bytes: the length byte stays at 255.
    const QByteArray apList = hex("7EFF4844") + "5" + record("R5200TX_LAB", "6", "-58", "WPA2_PSK") +
                              record("Office-2G", "1", "-67", "WPA2_PSK") +
                              // In UTF-8: its CP949 form would hold the frame's end byte ("층" is C3 FE).
                              record("연구소 무선랜 2층", "11", "-73", "WPA_WPA2_PSK") +
                              record("GuestNet", "3", "-88", "OPEN") +
                              record("Warehouse", "13", "-95", "WPA2_PSK") + hex("FE");
    QTest::newRow("0x41") << kStatusRequest << kFirstStatus;
    QTest::newRow("0x42") << setAp(u"GuestNet"_s, {}) << shortReply(0x42);
    QTest::newRow("0x43") << kLoopbackWan << shortReply(0x43);
    QTest::newRow("0x44") << hex("7E0944500FA0004EFE") << shortReply(0x44);
    QTest::newRow("0x45") << hex("7E174550000A000A000A000A000A0000464646464646FE") << shortReply(0x45);
    QTest::newRow("0x46") << hex("7E0646504EFE") << shortReply(0x46);
    QTest::newRow("0x47") << query(0x47) << shortReply(0x47);
    QTest::newRow("0x48") << query(0x48) << apList;
    QTest::newRow("0x49") << query(0x49) << kFirstCurrentAp;
    QTest::newRow("0x4A") << query(0x4A) << rssiAnswer(u"R5200TX_LAB"_s, "   -58");
    QTest::newRow("0x53") << hex("7E085350001E05FE") << shortReply(0x53);
    QTest::newRow("0x55") << hex("7E2B55507F0000011F86") + leftPadded(u"/R5200TX_v1.0.bin"_s, 32) + hex("FE")
                          << shortReply(0x55);
    QTest::newRow("0x58") << query(0x58) << shortReply(0x58);
    QTest::newRow("unknown id: no answer") << query(0x4B) << QByteArray();
    QTest::newRow("payload of the wrong size: no answer")
        << hex("7E1043507F0000017F000001FF0000FE") << QByteArray();
}

void TstVirtualDevice::answersEveryRequest()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);
    DeviceModel model;
    model.setRssiDrift(0);
    QCOMPARE(model.handle(request).toHex(' '), answer.toHex(' '));
}

void TstVirtualDevice::setCommandsShowInTheNextAnswers()
{
    DeviceModel model;
    // 192.168.1.254, 192.168.1.1, 255.255.255.0; port 65534, 30 s, 'G'; DI 2550/1/100/900/20
    // R F R F F; flash 600 and 60. Payload bytes FE are data: the length byte says so.
    QCOMPARE(model.handle(hex("7E114350C0A801FEC0A80101FFFFFF00FE")), shortReply(0x43));
    QCOMPARE(model.handle(hex("7E094450FFFE1E47FE")), shortReply(0x44));
    QCOMPARE(model.handle(hex("7E17455009F600010064038400140000524652464646FE")), shortReply(0x45));
    QCOMPARE(model.handle(hex("7E08535002583CFE")), shortReply(0x53));
    QCOMPARE(model.handle(kStatusRequest).toHex(' '), hex("7E334144"
                                                          "010105"
                                                          "025200545801"
                                                          "C0A801FE"
                                                          "C0A80101"
                                                          "FFFFFF00"
                                                          "FFFE"
                                                          "1E"
                                                          "47"
                                                          "09F60001006403840014"
                                                          "0000"
                                                          "5246524646"
                                                          "46"
                                                          "0258"
                                                          "3C"
                                                          "FE")
                                                          .toHex(' '));
}

void TstVirtualDevice::koreanAccessPointRoundTrip()
{
    DeviceModel model;
    model.setRssiDrift(0);
    const QString ssid = u"연구소 무선랜 2층"_s; // 24 bytes
    QCOMPARE(model.handle(setAp(ssid, u"비밀번호"_s)), shortReply(0x42));
    QCOMPARE(model.handle(query(0x49)), currentApAnswer(ssid, u"비밀번호"_s));
    QCOMPARE(model.handle(query(0x4A)), rssiAnswer(ssid, "   -73"));

    // An AP out of sight leaves the device unassociated.
    model.handle(setAp(u"Nowhere"_s, u"x"_s));
    QCOMPARE(model.handle(query(0x4A)), rssiAnswer(u"Nowhere"_s, "NOINFO"));
    QCOMPARE(model.currentRssi(), std::nullopt);
}

void TstVirtualDevice::rebootsAndWhatTheyReport()
{
    DeviceModel model;
    QSignalSpy rebooted(&model, &DeviceModel::rebooted);
    QSignalSpy network(&model, &DeviceModel::networkSettingsChanged);

    model.handle(hex("7E1143507F0000027F000001FF000000FE"));
    QCOMPARE(rebooted.size(), 1);
    QCOMPARE(network.size(), 0);

    model.handle(hex("7E09445010040F47FE")); // 4100, 15 s, 'G'
    QCOMPARE(rebooted.size(), 2);
    QCOMPARE(network.size(), 1);
    QCOMPARE(model.serverPortInUse(), 4100);
    QCOMPARE(model.protocolModeInUse(), 'G');
    QCOMPARE(model.expiryInUse(), 15);

    model.handle(query(0x47));
    QCOMPARE(rebooted.size(), 3);
    QCOMPARE(network.size(), 1);

    model.handle(hex("7E174550000A000A000A000A000A0000464646464646FE"));
    model.handle(hex("7E085350000101FE"));
    QCOMPARE(rebooted.size(), 3);
}

void TstVirtualDevice::ignoredWrites_data()
{
    QTest::addColumn<WriteKind>("kind");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<bool>("reboots");
    QTest::newRow("wan") << WriteKind::Wan << QByteArray::fromHex("7E114350C0A8016EC0A80101FFFFFF00FE")
                         << true;
    QTest::newRow("server") << WriteKind::Server << QByteArray::fromHex("7E0944500FA01E47FE") << true;
    QTest::newRow("di") << WriteKind::Di
                        << QByteArray::fromHex("7E17455009F600010064038400140000524652464646FE") << false;
    QTest::newRow("ap") << WriteKind::Ap
                        << QByteArray("\x7E\x35\x42\x50" + QByteArray(24, ' ') + "GuestNet" +
                                      QByteArray(14, ' ') + "pw\xFE")
                        << true;
}

void TstVirtualDevice::ignoredWrites()
{
    QFETCH(WriteKind, kind);
    QFETCH(QByteArray, request);
    QFETCH(bool, reboots);
    const QByteArray reply = QByteArray::fromHex("7E05") + request[2] + QByteArray::fromHex("44FE");

    DeviceModel keeping;
    QCOMPARE(keeping.handle(request).toHex(' '), reply.toHex(' '));
    QVERIFY(keeping.state() != DeviceState::firstStart());

    // Answered and rebooted as usual, and nothing kept: a read-back shows the old settings.
    DeviceModel ignoring;
    ignoring.setIgnoredWrites({kind});
    QSignalSpy rebooted(&ignoring, &DeviceModel::rebooted);
    QSignalSpy logged(&ignoring, &DeviceModel::log);
    QCOMPARE(ignoring.handle(request).toHex(' '), reply.toHex(' '));
    QCOMPARE(rebooted.size(), reboots ? 1 : 0);
    QCOMPARE(ignoring.state(), DeviceState::firstStart());
    QCOMPARE(ignoring.handle(kStatusRequest), kFirstStatus);
    QCOMPARE(ignoring.handle(query(0x49)), kFirstCurrentAp);
    bool said = false;
    for (const QList<QVariant> &args : std::as_const(logged))
        said = said || args.value(0).toString() ==
                           u"fault: "_s + writeKindName(kind) + u" write answered but not kept"_s;
    QVERIFY(said);
}

void TstVirtualDevice::rebootKeepsTheLineSilent()
{
    DeviceModel model;
    auto owned = std::make_unique<FakeTransport>();
    FakeTransport *line = owned.get();
    SerialSide side(&model, std::move(owned));
    side.setRebootTime(50);
    const QByteArray status = QByteArray::fromHex("7E054150FE");

    // The save is answered; what comes with it or after it, until the device is up, is lost.
    line->peerSends(QByteArray::fromHex("7E0944500FA01E47FE") + status);
    QCOMPARE(line->writes, QList<QByteArray>{QByteArray::fromHex("7E054444FE")});
    QVERIFY(side.rebooting());
    line->peerSends(status);
    line->peerSends(QByteArray::fromHex("7E0541")); // half a request, forgotten with the reboot
    QCOMPARE(line->writes.size(), 1);

    QTRY_VERIFY(!side.rebooting());
    line->peerSends(QByteArray::fromHex("50FE") + status);
    QCOMPARE(line->writes.size(), 2);
    const QByteArray answer = line->writes[1];
    QCOMPARE(answer.size(), 51);
    QCOMPARE(answer.mid(25, 4).toHex(' '), QByteArray("0f a0 1e 47")); // port 4000, 30 s, 'G'

    // The reboot command goes the same way; with no reboot time the line never falls silent.
    line->peerSends(QByteArray::fromHex("7E054750FE"));
    QVERIFY(side.rebooting());
    QTRY_VERIFY(!side.rebooting());
    side.setRebootTime(0);
    line->peerSends(QByteArray::fromHex("7E054750FE") + status);
    QCOMPARE(line->writes.size(), 5);
    QCOMPARE(line->writes[4].size(), 51);
}

void TstVirtualDevice::factoryReset_data()
{
    QTest::addColumn<bool>("counters");
    QTest::newRow("settings only") << false;
    QTest::newRow("with DI counters") << true;
}

void TstVirtualDevice::factoryReset()
{
    QFETCH(bool, counters);
    DeviceModel model;
    model.handle(hex("7E09445010040F47FE"));
    QSignalSpy counterReset(&model, &DeviceModel::counterResetRequested);
    QSignalSpy network(&model, &DeviceModel::networkSettingsChanged);
    QCOMPARE(model.handle(hex("7E064650") + (counters ? 'Y' : 'N') + hex("FE")), shortReply(0x46));
    QCOMPARE(counterReset.size(), counters ? 1 : 0);
    QCOMPARE(network.size(), 1);
    QCOMPARE(model.serverPortInUse(), 4000);
    DeviceState expected = DeviceState::factoryDefaults();
    expected.visibleAps = DeviceState::firstStart().visibleAps;
    QCOMPARE(model.state(), expected);
    QCOMPARE(model.handle(query(0x4A)), rssiAnswer({}, "NOINFO"));
}

void TstVirtualDevice::rssiDriftsWithinBounds()
{
    DeviceModel model;
    model.setRssiDrift(3, 1);
    QSet<int> seen;
    for (int i = 0; i < 200; ++i) {
        const QByteArray answer = model.handle(query(0x4A));
        QCOMPARE(answer.size(), 43);
        bool ok = false;
        const int rssi = answer.mid(36, 6).trimmed().toInt(&ok);
        QVERIFY2(ok && rssi >= -58 - 8 && rssi <= -58 + 8, answer.constData());
        seen.insert(rssi);
    }
    QVERIFY(seen.size() > 3);

    model.setRssiDrift(0);
    const QByteArray first = model.handle(query(0x4A));
    QCOMPARE(model.handle(query(0x4A)), first);
}

void TstVirtualDevice::stateFileSurvivesRestart()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"device.json"_s);
    {
        DeviceModel model;
        StateFile file(path);
        QVERIFY(file.keep(model));
        QVERIFY(QFile::exists(path));
        model.handle(hex("7E09445010E12D47FE")); // 4321, 45 s, 'G'
        model.handle(setAp(u"연구소 무선랜 2층"_s, u"pw"_s));
        model.handle(hex("7E1745500014001E00280032003C0000525246465246FE"));
    }
    DeviceModel again;
    StateFile file(path);
    QVERIFY(file.keep(again));
    QCOMPARE(again.state().serverPort, 4321);
    QCOMPARE(again.serverPortInUse(), 4321);
    QCOMPARE(again.state().protocolMode, 'G');
    QCOMPARE(again.state().apSsid, u"연구소 무선랜 2층"_s);
    QCOMPARE(again.state().throughput, (std::array<std::uint16_t, 5>{20, 30, 40, 50, 60}));
    QCOMPARE(again.state().countMode, (std::array<char, 5>{'R', 'R', 'F', 'F', 'R'}));
}

void TstVirtualDevice::badStateFileIsRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"device.json"_s);
    for (const QByteArray &text :
         {QByteArray("{not json"), QByteArray(R"({"serverPort": 70000})"), QByteArray(R"({"ip": "1.2.3"})"),
          QByteArray(R"({"throughput": [1,2]})")}) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
        f.close();
        DeviceModel model;
        StateFile file(path);
        QString error;
        QVERIFY(!file.keep(model, &error));
        QVERIFY(error.startsWith(path));
        QCOMPARE(model.state(), DeviceState::firstStart());
        // Nothing is written to a file that was refused, now or at the next change.
        model.handle(kLoopbackWan);
        QFile back(path);
        QVERIFY(back.open(QIODevice::ReadOnly));
        QCOMPARE(back.readAll(), text);
    }
    // Keys left out keep their first-start values.
    QCOMPARE(DeviceState::fromJson(QJsonObject{{u"serverPort"_s, 4100}})->apSsid, u"R5200TX_LAB"_s);
    QCOMPARE(DeviceState::fromJson(DeviceState::firstStart().toJson()), DeviceState::firstStart());
}

void TstVirtualDevice::requestFraming_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QByteArray>>("frames");
    QTest::addColumn<int>("skipped");
    const QByteArray wan = hex("7E114350C0A801FEC0A801FEFFFFFFFEFE");
    const QByteArray status = kStatusRequest;
    QTest::newRow("payload holds FE") << wan << QList<QByteArray>{wan} << 0;
    QTest::newRow("noise first") << QByteArray("\x01\x02" + status) << QList<QByteArray>{status} << 2;
    QTest::newRow("two at once") << QByteArray(wan + status) << QList<QByteArray>{wan, status} << 0;
    QTest::newRow("length too small") << QByteArray("\x7E\x03" + status) << QList<QByteArray>{status} << 2;
    QTest::newRow("no end byte where the length says")
        << QByteArray(QByteArray::fromHex("7E0541500041") + status) << QList<QByteArray>{status} << 6;
}

void TstVirtualDevice::requestFraming()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QByteArray>, frames);
    QFETCH(int, skipped);
    RequestReceiver whole;
    QCOMPARE(whole.feed(bytes), frames);
    QCOMPARE(whole.takeSkipped(), skipped);
    QCOMPARE(whole.pending(), 0);

    RequestReceiver bytewise;
    QList<QByteArray> got;
    for (const char c : bytes)
        got += bytewise.feed(QByteArrayView(&c, 1));
    QCOMPARE(got, frames);
}

void TstVirtualDevice::faultSwitches_data()
{
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QList<QByteArray>>("pieces");

    const QByteArray status = kFirstStatus;
    Faults pieces;
    pieces.pieces = {10, 30, 11};
    QTest::newRow("pieces") << pieces << status
                            << QList<QByteArray>{status.left(10), status.mid(10, 30), status.mid(40)};
    Faults shortPieces;
    shortPieces.pieces = {2};
    QTest::newRow("pieces with a rest")
        << shortPieces << status << QList<QByteArray>{status.left(2), status.mid(2)};

    Faults stray;
    stray.stray = "\x31\x32";
    QTest::newRow("stray") << stray << status << QList<QByteArray>{QByteArray("\x31\x32" + status)};

    Faults fe;
    fe.payloadFe = true;
    QByteArray spoiled = status;
    spoiled[27] = char(0xFE);
    QTest::newRow("payload FE") << fe << status << QList<QByteArray>{spoiled};
    QTest::newRow("payload FE in a short reply")
        << fe << shortReply(0x45) << QList<QByteArray>{QByteArray::fromHex("7E064544FEFE")};

    Faults unregistered;
    unregistered.unregistered = true;
    QTest::newRow("unregistered") << unregistered << status
                                  << QList<QByteArray>{QByteArray::fromHex("7E055A44FE")};

    Faults wrong;
    wrong.wrongCount = true;
    QByteArray longer = status;
    longer.insert(50, ' ');
    longer[1] = char(52);
    QTest::newRow("wrong count") << wrong << status << QList<QByteArray>{longer};
}

void TstVirtualDevice::faultSwitches()
{
    QFETCH(Faults, faults);
    QFETCH(QByteArray, answer);
    QFETCH(QList<QByteArray>, pieces);
    FaultInjector injector(faults);
    QStringList notes;
    QCOMPARE(injector.apply(answer, &notes), pieces);
    QVERIFY(!notes.isEmpty());
}

void TstVirtualDevice::faultsSpoilOnlyTheFirstAnswers()
{
    const QByteArray status = kFirstStatus;
    Faults f;
    f.stray = "\x31";
    f.answers = 2;
    FaultInjector two(f);
    QCOMPARE(two.apply(status).constFirst().size(), 52);
    QCOMPARE(two.apply(status).constFirst().size(), 52);
    QCOMPARE(two.apply(status), QList<QByteArray>{status});
    f.answers = 0;
    FaultInjector every(f);
    for (int i = 0; i < 10; ++i)
        QCOMPARE(every.apply(status).constFirst().size(), 52);
    QCOMPARE(FaultInjector().apply(status), QList<QByteArray>{status});
}

void TstVirtualDevice::serialSideDeliversPiecesInOrder()
{
    DeviceModel model;
    auto owned = std::make_unique<FakeTransport>();
    FakeTransport *line = owned.get();
    SerialSide side(&model, std::move(owned));
    Faults f;
    f.pieces = {10, 30, 11};
    side.setFaults(f);
    side.setPieceGap(5);
    QSignalSpy logged(&side, &SerialSide::log);

    // Two requests in one read, the first split in the middle of nowhere by noise.
    line->peerSends("\x01" + kStatusRequest + query(0x49));
    // The first piece goes at once, the rest after pauses, and the second answer waits its turn.
    QCOMPARE(line->writes.size(), 1);
    QCOMPARE(line->writes[0].size(), 10);
    QTRY_COMPARE(line->writes.size(), 4);
    QCOMPARE(line->writes[1].size(), 30);
    QCOMPARE(line->writes[2].size(), 11);
    QCOMPARE(line->writes[0] + line->writes[1] + line->writes[2], kFirstStatus);
    QCOMPARE(line->writes[3], kFirstCurrentAp);
    QCOMPARE(side.piecesWritten(), 4);

    QStringList lines;
    for (const QList<QVariant> &args : std::as_const(logged))
        lines.append(args.value(0).toString());
    QVERIFY(lines.contains(u"1 byte(s) outside any frame skipped"_s));
    QVERIFY(lines.contains(u"fault: answer in 3 pieces of 10,30,11 bytes"_s));
    QVERIFY(lines.contains(u"TX piece 3/3 [00.46.46.46.46.46.46.00.1E.05.FE.]"_s));
}

QTEST_GUILESS_MAIN(TstVirtualDevice)
#include "tst_virtual_device.moc"
