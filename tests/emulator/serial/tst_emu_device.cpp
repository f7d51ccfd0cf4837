// Expected texts are built with plain +, which the string builder would turn into proxies.
#undef QT_USE_QSTRINGBUILDER

#include "emu/devicemodel.h"
#include "emu/faults.h"
#include "emu/requestreceiver.h"
#include "emu/serialside.h"
#include "r5/protocol/decoders.h"
#include "r5/protocol/receivepath.h"
#include "r5/protocol/requests.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace emu;
namespace proto = r5::protocol;

namespace {

QByteArray content(const QByteArray &frame)
{
    return frame.mid(1, frame.size() - 2);
}

QByteArray shortReply(int id)
{
    return QByteArray::fromHex("7E05" + QByteArray::number(id, 16) + "44FE");
}

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

class TstEmuDevice : public QObject
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

void TstEmuDevice::answersEveryRequest_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply"); // empty: checked by decoding below
    QTest::newRow("0x41") << proto::statusRequest().frame << QByteArray();
    QTest::newRow("0x42") << proto::setApRequest(u"GuestNet", u"").frame << shortReply(0x42);
    QTest::newRow("0x43") << proto::wanRequest({{127, 0, 0, 1}, {127, 0, 0, 1}, {255, 0, 0, 0}}).frame
                          << shortReply(0x43);
    QTest::newRow("0x44") << proto::serverRequest(4000, 0, 0).frame << shortReply(0x44);
    QTest::newRow("0x45") << proto::diRequest({10, 10, 10, 10, 10}, {0, 0, 0, 0, 0}).frame
                          << shortReply(0x45);
    QTest::newRow("0x46") << proto::factoryResetRequest(u"46", false).frame << shortReply(0x46);
    QTest::newRow("0x47") << proto::rebootRequest().frame << shortReply(0x47);
    QTest::newRow("0x48") << proto::hintQuery(u"48").frame << QByteArray();
    QTest::newRow("0x49") << proto::hintQuery(u"49").frame << QByteArray();
    QTest::newRow("0x4A") << proto::hintQuery(u"4A").frame << QByteArray();
    QTest::newRow("0x53") << proto::flashSaveRequest(30, 5).frame << shortReply(0x53);
    QTest::newRow("0x55") << proto::firmwareDownloadRequest({127, 0, 0, 1}, 8070, u"/R5200TX_v1.0.bin").frame
                          << shortReply(0x55);
    QTest::newRow("0x58") << proto::flashEraseRequest(u"58").frame << shortReply(0x58);
}

void TstEmuDevice::answersEveryRequest()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    DeviceModel model;
    const QByteArray answer = model.handle(request);
    QVERIFY(!answer.isEmpty());
    QCOMPARE(answer[2], request[2]);
    if (!reply.isEmpty()) {
        QCOMPARE(answer.toHex(' '), reply.toHex(' '));
        return;
    }
    // The tool's own decoders read what the device sends.
    switch (request[2]) {
    case 0x41: {
        const auto v = proto::decodeStatus(content(answer));
        QVERIFY(v);
        QCOMPARE(v->deviceName, u"R5200TX"_s);
        QCOMPARE(v->version, u"1.05"_s);
        QCOMPARE(v->mac, u"02:52:00:54:58:01"_s);
        QCOMPARE(v->serverPort, u"4000"_s);
        break;
    }
    case 0x48: {
        const auto list = proto::decodeApList(content(answer));
        QVERIFY(list);
        QCOMPARE(list->count, 5);
        QCOMPARE(list->entries.size(), 5);
        QCOMPARE(list->entries[2].cells(), (QStringList{u"3"_s, u"연구소 무선랜 2층"_s, u"11"_s, u"-73"_s,
                                                        u"54%"_s, u"WPA_WPA2_PSK"_s}));
        break;
    }
    case 0x49: {
        const auto ap = proto::decodeCurrentAp(content(answer));
        QVERIFY(ap);
        QCOMPARE(ap->ssid, u"R5200TX_LAB"_s);
        QCOMPARE(ap->password, u"r5200tx-lab"_s);
        break;
    }
    case 0x4A: {
        const auto r = proto::decodeRssi(content(answer));
        QVERIFY(r);
        QCOMPARE(r->ssid, u"R5200TX_LAB"_s);
        QCOMPARE(int(r->signal), int(proto::RssiReading::Signal::Quality));
        break;
    }
    default:
        QFAIL("no check for this id");
    }
}

void TstEmuDevice::setCommandsShowInTheNextAnswers()
{
    DeviceModel model;
    QVERIFY(!model.handle(proto::wanRequest({{192, 168, 1, 254}, {192, 168, 1, 1}, {255, 255, 255, 0}}).frame)
                 .isEmpty());
    QVERIFY(!model.handle(proto::serverRequest(65534, 30, 1).frame).isEmpty());
    QVERIFY(!model.handle(proto::diRequest({2550, 1, 100, 900, 20}, {1, 0, 1, 0, 0}).frame).isEmpty());
    QVERIFY(!model.handle(proto::flashSaveRequest(600, 60).frame).isEmpty());

    const auto v = proto::decodeStatus(content(model.handle(proto::statusRequest().frame)));
    QVERIFY(v);
    QCOMPARE(v->ip, (std::array<QString, 4>{u"192"_s, u"168"_s, u"1"_s, u"254"_s}));
    QCOMPARE(v->gateway, (std::array<QString, 4>{u"192"_s, u"168"_s, u"1"_s, u"1"_s}));
    QCOMPARE(v->mask, (std::array<QString, 4>{u"255"_s, u"255"_s, u"255"_s, u"0"_s}));
    QCOMPARE(v->serverPort, u"65534"_s);
    QCOMPARE(v->expiry, u"30"_s);
    QCOMPARE(v->protocolItem, 1);
    QCOMPARE(v->throughput, (std::array<QString, 5>{u"2550"_s, u"1"_s, u"100"_s, u"900"_s, u"20"_s}));
    QCOMPARE(v->countModeItem, (std::array<int, 5>{1, 0, 1, 0, 0}));
    QCOMPARE(v->flashInterval, u"600"_s);
    QCOMPARE(v->flashDelay, u"60"_s);
}

void TstEmuDevice::koreanAccessPointRoundTrip()
{
    DeviceModel model;
    model.setRssiDrift(0);
    QCOMPARE(model.handle(proto::setApRequest(u"연구소 무선랜 2층", u"비밀번호").frame), shortReply(0x42));
    const auto ap = proto::decodeCurrentAp(content(model.handle(proto::hintQuery(u"49").frame)));
    QVERIFY(ap);
    QCOMPARE(ap->ssid, u"연구소 무선랜 2층"_s);
    QCOMPARE(ap->password, u"비밀번호"_s);
    const auto r = proto::decodeRssi(content(model.handle(proto::hintQuery(u"4A").frame)));
    QVERIFY(r);
    QCOMPARE(r->ssid, u"연구소 무선랜 2층"_s);
    QCOMPARE(r->rssiText, u"-73"_s);
    QCOMPARE(r->quality, 54);

    // An AP out of sight leaves the device unassociated.
    model.handle(proto::setApRequest(u"Nowhere", u"x").frame);
    const auto gone = proto::decodeRssi(content(model.handle(proto::hintQuery(u"4A").frame)));
    QVERIFY(gone);
    QCOMPARE(int(gone->signal), int(proto::RssiReading::Signal::Disconnected));
    QCOMPARE(model.currentRssi(), std::nullopt);
}

void TstEmuDevice::rebootsAndWhatTheyReport()
{
    DeviceModel model;
    QSignalSpy rebooted(&model, &DeviceModel::rebooted);
    QSignalSpy network(&model, &DeviceModel::networkSettingsChanged);

    model.handle(proto::wanRequest({{127, 0, 0, 2}, {127, 0, 0, 1}, {255, 0, 0, 0}}).frame);
    QCOMPARE(rebooted.size(), 1);
    QCOMPARE(network.size(), 0);

    model.handle(proto::serverRequest(4100, 15, 1).frame);
    QCOMPARE(rebooted.size(), 2);
    QCOMPARE(network.size(), 1);
    QCOMPARE(model.serverPortInUse(), 4100);
    QCOMPARE(model.protocolModeInUse(), 'G');
    QCOMPARE(model.expiryInUse(), 15);

    model.handle(proto::rebootRequest().frame);
    QCOMPARE(rebooted.size(), 3);
    QCOMPARE(network.size(), 1);

    model.handle(proto::diRequest({10, 10, 10, 10, 10}, {0, 0, 0, 0, 0}).frame);
    model.handle(proto::flashSaveRequest(1, 1).frame);
    QCOMPARE(rebooted.size(), 3);
}

void TstEmuDevice::ignoredWrites_data()
{
    QTest::addColumn<WriteKind>("kind");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<bool>("reboots");
    QTest::newRow("wan") << WriteKind::Wan
                         << QByteArray::fromHex("7E114350C0A8016EC0A80101FFFFFF00FE") << true;
    QTest::newRow("server") << WriteKind::Server << QByteArray::fromHex("7E0944500FA01E47FE") << true;
    QTest::newRow("di") << WriteKind::Di
                        << QByteArray::fromHex("7E17455009F600010064038400140000524652464646FE")
                        << false;
    QTest::newRow("ap") << WriteKind::Ap
                        << QByteArray("\x7E\x35\x42\x50" + QByteArray(24, ' ') + "GuestNet" +
                                      QByteArray(14, ' ') + "pw\xFE")
                        << true;
}

void TstEmuDevice::ignoredWrites()
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
    QCOMPARE(ignoring.statusAnswer(), DeviceModel().statusAnswer());
    QCOMPARE(ignoring.currentApAnswer(), DeviceModel().currentApAnswer());
    bool said = false;
    for (const QList<QVariant> &args : std::as_const(logged))
        said = said || args.value(0).toString() == u"fault: "_s + writeKindName(kind) +
                           u" write answered but not kept"_s;
    QVERIFY(said);
}

void TstEmuDevice::rebootKeepsTheLineSilent()
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

void TstEmuDevice::factoryReset_data()
{
    QTest::addColumn<bool>("counters");
    QTest::newRow("settings only") << false;
    QTest::newRow("with DI counters") << true;
}

void TstEmuDevice::factoryReset()
{
    QFETCH(bool, counters);
    DeviceModel model;
    model.handle(proto::serverRequest(4100, 15, 1).frame);
    QSignalSpy counterReset(&model, &DeviceModel::counterResetRequested);
    QSignalSpy network(&model, &DeviceModel::networkSettingsChanged);
    QCOMPARE(model.handle(proto::factoryResetRequest(u"46", counters).frame), shortReply(0x46));
    QCOMPARE(counterReset.size(), counters ? 1 : 0);
    QCOMPARE(network.size(), 1);
    QCOMPARE(model.serverPortInUse(), 4000);
    DeviceState expected = DeviceState::factoryDefaults();
    expected.visibleAps = DeviceState::firstStart().visibleAps;
    QCOMPARE(model.state(), expected);
    const auto r = proto::decodeRssi(content(model.handle(proto::hintQuery(u"4A").frame)));
    QVERIFY(r);
    QCOMPARE(int(r->signal), int(proto::RssiReading::Signal::Disconnected));
}

void TstEmuDevice::rssiDriftsWithinBounds()
{
    DeviceModel model;
    model.setRssiDrift(3, 1);
    QSet<int> seen;
    for (int i = 0; i < 200; ++i) {
        const auto r = proto::decodeRssi(content(model.handle(proto::hintQuery(u"4A").frame)));
        QVERIFY(r);
        const int rssi = r->rssiText.toInt();
        QVERIFY2(rssi >= -58 - 8 && rssi <= -58 + 8, qPrintable(r->rssiText));
        seen.insert(rssi);
    }
    QVERIFY(seen.size() > 3);

    model.setRssiDrift(0);
    const QByteArray first = model.handle(proto::hintQuery(u"4A").frame);
    QCOMPARE(model.handle(proto::hintQuery(u"4A").frame), first);
}

void TstEmuDevice::stateFileSurvivesRestart()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"device.json"_s);
    {
        DeviceModel model;
        QVERIFY(model.useStateFile(path));
        QVERIFY(QFile::exists(path));
        model.handle(proto::serverRequest(4321, 45, 1).frame);
        model.handle(proto::setApRequest(u"연구소 무선랜 2층", u"pw").frame);
        model.handle(proto::diRequest({20, 30, 40, 50, 60}, {1, 1, 0, 0, 1}).frame);
    }
    DeviceModel again;
    QVERIFY(again.useStateFile(path));
    QCOMPARE(again.state().serverPort, 4321);
    QCOMPARE(again.serverPortInUse(), 4321);
    QCOMPARE(again.state().protocolMode, 'G');
    QCOMPARE(again.state().apSsid, u"연구소 무선랜 2층"_s);
    QCOMPARE(again.state().throughput, (std::array<std::uint16_t, 5>{20, 30, 40, 50, 60}));
    QCOMPARE(again.state().countMode, (std::array<char, 5>{'R', 'R', 'F', 'F', 'R'}));
}

void TstEmuDevice::badStateFileIsRefused()
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
        QString error;
        QVERIFY(!model.useStateFile(path, &error));
        QVERIFY(error.startsWith(path));
        QCOMPARE(model.state(), DeviceState::firstStart());
        QCOMPARE(model.stateFile(), QString());
        QFile back(path);
        QVERIFY(back.open(QIODevice::ReadOnly));
        QCOMPARE(back.readAll(), text);
    }
    // Keys left out keep their first-start values.
    QCOMPARE(DeviceState::fromJson(QJsonObject{{u"serverPort"_s, 4100}})->apSsid, u"R5200TX_LAB"_s);
    QCOMPARE(DeviceState::fromJson(DeviceState::firstStart().toJson()), DeviceState::firstStart());
}

void TstEmuDevice::requestFraming_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QByteArray>>("frames");
    QTest::addColumn<int>("skipped");
    const QByteArray wan =
        proto::wanRequest({{192, 168, 1, 254}, {192, 168, 1, 254}, {255, 255, 255, 254}}).frame;
    const QByteArray status = proto::statusRequest().frame;
    QTest::newRow("payload holds FE") << wan << QList<QByteArray>{wan} << 0;
    QTest::newRow("noise first") << QByteArray("\x01\x02" + status) << QList<QByteArray>{status} << 2;
    QTest::newRow("two at once") << QByteArray(wan + status) << QList<QByteArray>{wan, status} << 0;
    QTest::newRow("length too small") << QByteArray("\x7E\x03" + status) << QList<QByteArray>{status} << 2;
    QTest::newRow("no end byte where the length says")
        << QByteArray(QByteArray::fromHex("7E0541500041") + status) << QList<QByteArray>{status} << 6;
}

void TstEmuDevice::requestFraming()
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

void TstEmuDevice::faultSwitches_data()
{
    QTest::addColumn<Faults>("faults");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QList<QByteArray>>("pieces");

    const QByteArray status = DeviceModel().statusAnswer();
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

void TstEmuDevice::faultSwitches()
{
    QFETCH(Faults, faults);
    QFETCH(QByteArray, answer);
    QFETCH(QList<QByteArray>, pieces);
    FaultInjector injector(faults);
    QStringList notes;
    QCOMPARE(injector.apply(answer, &notes), pieces);
    QVERIFY(!notes.isEmpty());
    // What the tool then makes of it: never a status shown for a spoiled status answer.
    proto::ReceivePath path;
    for (const QByteArray &piece : pieces) {
        for (const proto::RxAction &a : path.feed(piece)) {
            if (!faults.pieces.isEmpty())
                continue;
            QVERIFY(!std::holds_alternative<proto::rx::ShowStatus>(a));
        }
    }
}

void TstEmuDevice::faultsSpoilOnlyTheFirstAnswers()
{
    const QByteArray status = DeviceModel().statusAnswer();
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

void TstEmuDevice::serialSideDeliversPiecesInOrder()
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
    line->peerSends("\x01" + proto::statusRequest().frame + proto::hintQuery(u"49").frame);
    // The first piece goes at once, the rest after pauses, and the second answer waits its turn.
    QCOMPARE(line->writes.size(), 1);
    QCOMPARE(line->writes[0].size(), 10);
    QTRY_COMPARE(line->writes.size(), 4);
    QCOMPARE(line->writes[1].size(), 30);
    QCOMPARE(line->writes[2].size(), 11);
    QCOMPARE(line->writes[0] + line->writes[1] + line->writes[2], model.statusAnswer());
    QCOMPARE(line->writes[3], model.currentApAnswer());
    QCOMPARE(side.piecesWritten(), 4);

    QStringList lines;
    for (const QList<QVariant> &args : std::as_const(logged))
        lines.append(args.value(0).toString());
    QVERIFY(lines.contains(u"1 byte(s) outside any frame skipped"_s));
    QVERIFY(lines.contains(u"fault: answer in 3 pieces of 10,30,11 bytes"_s));
    QVERIFY(lines.contains(u"TX piece 3/3 [00.46.46.46.46.46.46.00.1E.05.FE.]"_s));
}

QTEST_GUILESS_MAIN(TstEmuDevice)
#include "tst_emu_device.moc"
