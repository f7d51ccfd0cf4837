// Expected texts are built with plain +, which the string builder would turn into proxies.
#undef QT_USE_QSTRINGBUILDER

#include "frames.h"
#include "r5device/protocol/frame.h"
#include "r5device/protocol/receivepath.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace r5::protocol;
using namespace testframes;

namespace {

// One line per step, so whole sequences compare at once.
QString describe(const RxAction &action)
{
    struct
    {
        QString operator()(const rx::Log &a) const { return a.text; }
        QString operator()(const rx::ShowStatus &a) const
        {
            return u"<status "_s + a.view->serverPort + u'>';
        }
        QString operator()(const rx::ShowApList &a) const
        {
            return u"<ap list %1/%2>"_s.arg(a.list.entries.size()).arg(a.list.count);
        }
        QString operator()(const rx::EnableApGrid &) const { return u"<enable grid>"_s; }
        QString operator()(const rx::ShowCurrentAp &a) const
        {
            return u"<current ap "_s + a.ap.ssid + u'/' + a.ap.password + u'>';
        }
        QString operator()(const rx::ShowRssi &a) const
        {
            return u"<rssi "_s + a.reading.ssid + u' ' + a.reading.rssiText + u'>';
        }
        QString operator()(const rx::SendStatusRequest &) const { return u"<send status request>"_s; }
        // What settles a waiting request is the window's test; here it would only repeat the id.
        QString operator()(const rx::Answered &) const { return {}; }
    } visitor;
    return std::visit(visitor, action);
}

QStringList describe(const QList<RxAction> &actions)
{
    QStringList out;
    for (const RxAction &a : actions) {
        if (!std::holds_alternative<rx::Answered>(a))
            out.append(describe(a));
    }
    return out;
}

QStringList feedInPieces(const QByteArray &stream, const QList<int> &pieces)
{
    ReceivePath path;
    QStringList out;
    qsizetype at = 0;
    for (const int n : pieces) {
        out += describe(path.feed(QByteArrayView(stream).sliced(at, n)));
        at += n;
    }
    out += describe(path.feed(QByteArrayView(stream).sliced(at)));
    return out;
}

QString rxLineOf(const QByteArray &shownFrame)
{
    return u"RX MSG ID:[0x"_s + QString::fromLatin1(shownFrame.mid(2, 1).toHex().toUpper()) + u"] LEN:["_s +
           QString::number(shownFrame.size()) + u"]:["_s + frameDump(shownFrame) + u"]"_s;
}

const QString kEot = u"[EOT]"_s;
const QString kSend = u"<send status request>"_s;

} // namespace

class TstProtocolReceive : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void dispatch_data();
    void dispatch();
    void statusInThreePieces();
    void everyChunkingGivesTheSameSteps();
    void overflowDiscardsAndGoesOn();
    void hostileInputStaysBounded();
    void classification_data();
    void classification();
};

void TstProtocolReceive::dispatch_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("steps");

    const QByteArray status = Status().frame();
    QTest::newRow("status") << status << QStringList{kEot, rxLineOf(status), u"<status 4000>"_s};

    QByteArray short48 = frame(0x41, Status().payload().left(45));
    QCOMPARE(short48.size(), 50);
    QTest::newRow("status with 48 content bytes") << short48 << QStringList{kEot, rxLineOf(short48)};
    QByteArray long50 = frame(0x41, Status().payload() + 'x');
    QTest::newRow("status with 50 content bytes") << long50 << QStringList{kEot, rxLineOf(long50)};

    QTest::newRow("reply 0x45") << QByteArray::fromHex("7E054544FE")
                                << QStringList{kEot, u"Device acknowledged the DI settings (0x45)."_s};
    QTest::newRow("reply 0x42") << QByteArray::fromHex("7E054244FE")
                                << QStringList{kEot, u"Device acknowledged the access point settings (0x42); "
                                                     u"it reboots to apply them."_s};
    QTest::newRow("reply 0x47") << QByteArray::fromHex("7E054744FE")
                                << QStringList{kEot, u"Device acknowledged the system reboot (0x47)."_s};

    for (const char *id : {"53", "55", "58", "40", "4B"}) {
        const QByteArray f = QByteArray::fromHex(QByteArray("7E05") + id + "44FE");
        QTest::addRow("unregistered 0x%s", id)
            << f
            << QStringList{kEot, u"Message ID:[0x"_s + QString::fromLatin1(id) + u"] is Unregistered."_s,
                           rxLineOf(f), kSend};
    }
    QTest::newRow("lone end byte") << QByteArray::fromHex("FE")
                                   << QStringList{kEot, u"Message ID:[0x00] is Unregistered."_s,
                                                  u"RX MSG ID:[0x00] LEN:[2]:[7E.FE.]"_s, kSend};
    QTest::newRow("one stray byte before a frame")
        << QByteArray("\x31" + status) << QStringList{kEot, rxLineOf(status), u"<status 4000>"_s};
    // Two stray bytes make the start byte data; the id is the second stray byte.
    const QByteArray stray2 = "\x31\x32" + status;
    QTest::newRow("two stray bytes before a frame")
        << stray2
        << QStringList{kEot, u"Message ID:[0x32] is Unregistered."_s,
                       u"RX MSG ID:[0x32] LEN:[54]:[7E."_s + frameDump(stray2) + u"]"_s, kSend};
    QTest::newRow("start byte restarts a one-byte hold")
        << QByteArray("\x7E\x10" + status) << QStringList{kEot, rxLineOf(status), u"<status 4000>"_s};

    // A payload byte 0xFE ends the frame early; the rest becomes a frame of its own.
    Status fe;
    fe.expiry = 0xFE;
    const QByteArray feFrame = fe.frame();
    const QByteArray head = feFrame.left(27) + '\xFE';
    const QByteArray tail = feFrame.mid(28);
    QTest::newRow("payload byte FE") << feFrame
                                     << QStringList{kEot,
                                                    rxLineOf(head),
                                                    kEot,
                                                    u"Message ID:[0x00] is Unregistered."_s,
                                                    u"RX MSG ID:[0x00] LEN:["_s +
                                                        QString::number(tail.size() + 1) + u"]:[7E."_s +
                                                        frameDump(tail) + u"]"_s,
                                                    kSend};

    const QByteArray ap = currentApFrame("R5_LAB", "secret");
    QTest::newRow("current AP") << ap
                                << QStringList{kEot, rxLineOf(ap),
                                               u"res[48] = ["_s + QString::fromLatin1(ap.mid(4, 48)) + u"]"_s,
                                               u"<current ap R5_LAB/secret>"_s};
    const QByteArray apShort = frame(0x49, padRight("R5_LAB", 32) + padRight("secret", 15));
    QTest::newRow("current AP with 50 content bytes") << apShort << QStringList{kEot, rxLineOf(apShort)};

    const QByteArray rssi = rssiFrame("R5_LAB", "-70");
    QTest::newRow("rssi") << rssi
                          << QStringList{kEot, rxLineOf(rssi),
                                         u"res[38] = ["_s + QString::fromLatin1(rssi.mid(4, 38)) + u"]"_s,
                                         u"<rssi R5_LAB -70>"_s};
    const QByteArray rssiLong = frame(0x4A, padRight("R5_LAB", 32) + padRight("-70", 7));
    QTest::newRow("rssi with 42 content bytes") << rssiLong << QStringList{kEot, rxLineOf(rssiLong)};

    const QByteArray list = frame(0x48, "1" + apRecord("R5_LAB", "6", "-48", "WPA2_PSK"));
    QTest::newRow("ap list") << list
                             << QStringList{kEot, rxLineOf(list),
                                            u"res[53] = ["_s + QString::fromLatin1(list.mid(4, 53)) + u"]"_s,
                                            u"<ap list 1/1>"_s, u"<enable grid>"_s};
    const QByteArray notDigit = frame(0x48, "X" + apRecord("R5_LAB", "6", "-48", "WPA2_PSK"));
    QTest::newRow("ap list without a count digit")
        << notDigit
        << QStringList{kEot, rxLineOf(notDigit),
                       u"res[53] = ["_s + QString::fromLatin1(notDigit.mid(4, 53)) + u"]"_s,
                       u"<enable grid>"_s};

    const QByteArray two = status + QByteArray::fromHex("7E055344FE");
    QTest::newRow("two frames in one chunk") << two
                                             << QStringList{kEot,
                                                            rxLineOf(status),
                                                            u"<status 4000>"_s,
                                                            kEot,
                                                            u"Message ID:[0x53] is Unregistered."_s,
                                                            u"RX MSG ID:[0x53] LEN:[5]:[7E.05.53.44.FE.]"_s,
                                                            kSend};
}

void TstProtocolReceive::dispatch()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, steps);
    ReceivePath path;
    QCOMPARE(describe(path.feed(bytes)), steps);
    QCOMPARE(path.receiver().held(), 0);
}

void TstProtocolReceive::statusInThreePieces()
{
    const QByteArray status = Status().frame();
    QCOMPARE(status.size(), 51);
    ReceivePath path;
    QVERIFY(path.feed(status.left(10)).isEmpty());
    QVERIFY(path.feed(status.mid(10, 30)).isEmpty());
    QCOMPARE(path.receiver().held(), 39);
    const QStringList steps = describe(path.feed(status.mid(40)));
    QCOMPARE(steps, (QStringList{kEot, u"RX MSG ID:[0x41] LEN:[51]:["_s + frameDump(status) + u"]"_s,
                                 u"<status 4000>"_s}));
}

void TstProtocolReceive::everyChunkingGivesTheSameSteps()
{
    const QByteArray stream = "\x31" + Status().frame() + QByteArray::fromHex("7E054344FE") +
                              frame(0x48, "2" + apRecord("R5_LAB", "6", "-48", "WPA2_PSK") +
                                              apRecord("한국 연구소"_ba, "11", "-73", "WPA_WPA2_PSK")) +
                              QByteArray::fromHex("7E055844FE") + rssiFrame("R5_LAB", "NOINFO") +
                              currentApFrame("R5_LAB", "secret");
    const QStringList whole = feedInPieces(stream, {});
    QCOMPARE(whole.count(kEot), 6);

    QList<int> ones(stream.size(), 1);
    QCOMPARE(feedInPieces(stream, ones), whole);

    QRandomGenerator rng(5200);
    for (int round = 0; round < 200; ++round) {
        QList<int> pieces;
        for (int left = int(stream.size()); left > 0;) {
            const int n = qMin(left, int(rng.bounded(1, 60)));
            pieces.append(n);
            left -= n;
        }
        QCOMPARE(feedInPieces(stream, pieces), whole);
    }
}

void TstProtocolReceive::overflowDiscardsAndGoesOn()
{
    const QByteArray status = Status().frame();
    ReceivePath path;
    QVERIFY(path.feed(QByteArray(FrameReceiver::kCapacity, ' ')).isEmpty());
    QCOMPARE(path.receiver().held(), FrameReceiver::kCapacity);
    // The start byte that finds the hold full starts the next frame as usual.
    QCOMPARE(describe(path.feed(status)), (QStringList{u"RX Buffer Overflow!! [8192] bytes discarded."_s,
                                                       kEot, rxLineOf(status), u"<status 4000>"_s}));

    // A frame that fills the hold exactly is still a frame.
    const QStringList full = describe(path.feed(QByteArray(FrameReceiver::kCapacity, ' ') + '\xFE'));
    QCOMPARE(full.value(1), u"Message ID:[0x20] is Unregistered."_s);
    QVERIFY(full.value(2).startsWith(u"RX MSG ID:[0x20] LEN:[8194]:[7E.20.20."_s));
}

void TstProtocolReceive::hostileInputStaysBounded()
{
    QRandomGenerator rng(3810);
    FrameReceiver receiver;
    qint64 fed = 0;
    qint64 discarded = 0;
    int frames = 0;
    while (fed < 1'000'000) {
        QByteArray chunk(rng.bounded(1, 20000), Qt::Uninitialized);
        for (char &c : chunk) {
            c = char(rng.bounded(256));
            if (std::uint8_t(c) == kEndByte)
                c = char(kStartByte);
        }
        if (rng.bounded(10) == 0)
            chunk.append(char(kEndByte));
        for (const RxEvent &ev : receiver.feed(chunk)) {
            if (ev.kind == RxEvent::Kind::Overflow) {
                QCOMPARE(ev.discarded, FrameReceiver::kCapacity);
                discarded += ev.discarded;
            } else {
                QVERIFY(ev.frame.contentCount() <= FrameReceiver::kCapacity);
                ++frames;
            }
            QVERIFY(receiver.held() <= FrameReceiver::kCapacity);
        }
        fed += chunk.size();
    }
    QVERIFY(discarded > 0);
    QVERIFY(frames > 0);
}

void TstProtocolReceive::classification_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("frameClass");
    QTest::newRow("status 49") << 0x41 << 49 << int(FrameClass::Accepted);
    QTest::newRow("status 48") << 0x41 << 48 << int(FrameClass::WrongCount);
    QTest::newRow("ap list any") << 0x48 << 3 << int(FrameClass::Accepted);
    QTest::newRow("current ap 51") << 0x49 << 51 << int(FrameClass::Accepted);
    QTest::newRow("current ap 52") << 0x49 << 52 << int(FrameClass::WrongCount);
    QTest::newRow("rssi 41") << 0x4A << 41 << int(FrameClass::Accepted);
    QTest::newRow("rssi 40") << 0x4A << 40 << int(FrameClass::WrongCount);
    QTest::newRow("reply 0x42") << 0x42 << 9 << int(FrameClass::ReplyOnly);
    QTest::newRow("below") << 0x40 << 3 << int(FrameClass::Unregistered);
    QTest::newRow("above") << 0x4B << 3 << int(FrameClass::Unregistered);
    QTest::newRow("flash erase reply") << 0x58 << 3 << int(FrameClass::Unregistered);
}

void TstProtocolReceive::classification()
{
    QFETCH(int, id);
    QFETCH(int, count);
    QFETCH(int, frameClass);
    QCOMPARE(int(classify(std::uint8_t(id), count)), frameClass);
}

QTEST_GUILESS_MAIN(TstProtocolReceive)
#include "tst_protocol_receive.moc"
