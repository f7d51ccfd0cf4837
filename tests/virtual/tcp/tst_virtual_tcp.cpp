#include "virt/tcpside.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;
using namespace virt;

namespace {
QString kinds(const TcpParse &p)
{
    QString out;
    for (const TcpCommand &c : p.commands) {
        out += c.kind == TcpCommand::Kind::Request     ? u"R"_s
               : c.kind == TcpCommand::Kind::SetOutput ? u"T"_s
                                                       : u"C"_s;
        if (c.channel)
            out += QChar::fromLatin1(c.channel);
        if (c.value)
            out += QChar::fromLatin1(c.value);
        out += u' ';
    }
    return out.trimmed();
}

std::unique_ptr<QTcpSocket> connectTo(quint16 port)
{
    auto s = std::make_unique<QTcpSocket>();
    s->connectToHost(QHostAddress::LocalHost, port);
    return s;
}

// Sends `command` and returns the next `size` bytes the device answers.
QByteArray exchange(QTcpSocket &s, const QByteArray &command, int size)
{
    s.write(command);
    [&] { QTRY_VERIFY(s.bytesAvailable() >= size); }();
    return s.read(size);
}
} // namespace

class TstVirtualTcp : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data();
    void parse();
    void commandsChangeState();
    void reports_data();
    void reports();
    void pulsesCountWithGapTimes();
    void servesSeveralClients();
    void commandSplitOverReadsAndGarbage();
    void aFlooderHoldsBackOnlyItself();
    void modeAndPortChangeAfterReboot();
    void silentClientExpires();
    // Clients past the limit are closed at once and the console says so; those connected go on
    // being served, and a place that frees up is taken again.
    void refusesClientsPastTheLimit();
    void simulatedPulsesReachReports();
};

void TstVirtualTcp::parse_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("commands");
    QTest::addColumn<int>("rejected");
    QTest::addColumn<int>("consumed");
    QTest::newRow("request") << QByteArray("NREQ") << u"R"_s << 0 << 4;
    QTest::newRow("two glued") << QByteArray("NREQNTA1") << u"R TA1"_s << 0 << 8;
    QTest::newRow("partial waits") << QByteArray("NRE") << QString() << 0 << 0;
    QTest::newRow("lead byte waits") << QByteArray("NREQN") << u"R"_s << 0 << 4;
    QTest::newRow("garbage before") << QByteArray("xy\r\nNC30") << u"C3"_s << 1 << 8;
    QTest::newRow("garbage only") << QByteArray("hello") << QString() << 1 << 5;
    QTest::newRow("bad output") << QByteArray("NT31NT20") << u"T20"_s << 1 << 8;
    QTest::newRow("bad value") << QByteArray("NT12") << QString() << 1 << 4;
    QTest::newRow("bad counter") << QByteArray("NC70NCA0") << u"CA"_s << 1 << 8;
    QTest::newRow("reset needs 0") << QByteArray("NC11") << QString() << 1 << 4;
    QTest::newRow("lower case") << QByteArray("nreqNREQ") << u"R"_s << 1 << 8;
    QTest::newRow("empty") << QByteArray() << QString() << 0 << 0;
}

void TstVirtualTcp::parse()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, commands);
    QFETCH(int, rejected);
    QFETCH(int, consumed);
    const TcpParse p = parseTcpCommands(input);
    QCOMPARE(kinds(p), commands);
    QCOMPARE(int(p.rejected.size()), rejected);
    QCOMPARE(int(p.consumed), consumed);
}

void TstVirtualTcp::commandsChangeState()
{
    DiState s;
    s.counters = {1, 2, 3, 4, 5, 6};
    applyCommand(s, {TcpCommand::Kind::SetOutput, 'A', '1'});
    QCOMPARE(QByteArray(s.outputs.data(), 2), QByteArray("11"));
    applyCommand(s, {TcpCommand::Kind::SetOutput, '2', '0'});
    QCOMPARE(QByteArray(s.outputs.data(), 2), QByteArray("10"));
    applyCommand(s, {TcpCommand::Kind::ResetCounter, '3', 0});
    const std::array<std::uint32_t, 6> oneReset{1, 2, 0, 4, 5, 6};
    QCOMPARE(s.counters, oneReset);
    applyCommand(s, {TcpCommand::Kind::Request, 0, 0});
    QCOMPARE(s.counters, oneReset);
    applyCommand(s, {TcpCommand::Kind::ResetCounter, 'A', 0});
    QCOMPARE(s.counters, (std::array<std::uint32_t, 6>{}));
}

void TstVirtualTcp::reports_data()
{
    QTest::addColumn<char>("mode");
    QTest::addColumn<bool>("checkByte");
    QTest::addColumn<int>("length");
    QTest::newRow("N") << 'N' << false << 33;
    QTest::newRow("N with check byte") << 'N' << true << 34;
    QTest::newRow("G") << 'G' << false << 57;
    QTest::newRow("G ignores check byte") << 'G' << true << 57;
}

void TstVirtualTcp::reports()
{
    QFETCH(char, mode);
    QFETCH(bool, checkByte);
    QFETCH(int, length);
    DiState s;
    s.inputs = {'1', '0', '1', '0', '0', '1'};
    s.outputs = {'0', '1'};
    s.counters = {1, 16777216, 4294967295u, 0, 256, 65536};
    s.gapTimesMs = {500, 0, 0, 0, 0, 70000};
    const QByteArray r = buildReport(s, mode, checkByte);
    QCOMPARE(r.size(), length);
    QCOMPARE(r.left(9), QByteArray(1, mode) + "10100101");
    QCOMPARE(r.mid(9, 24).toHex(), QByteArray("0100000000000001ffffffff000000000001000000000100"));
    if (length == 34) {
        char x = 0;
        for (int i = 0; i < 33; ++i)
            x = char(x ^ r[i]);
        QCOMPARE(r[33], x);
    }
    if (length == 57)
        QCOMPARE(r.mid(33).toHex(), QByteArray("f40100000000000000000000000000000000000070110100"));
}

void TstVirtualTcp::pulsesCountWithGapTimes()
{
    DiState s;
    PulseModel m;
    for (int step = 1; step <= 12; ++step)
        m.step(s, step * 10);
    // Input 1 rises on every second step, input 6 on every twelfth.
    const std::array<std::uint32_t, 6> counts{6, 3, 2, 2, 1, 1};
    QCOMPARE(s.counters, counts);
    QCOMPARE(s.gapTimesMs[0], 20u);
    QCOMPARE(s.gapTimesMs[1], 40u);
    QCOMPARE(s.gapTimesMs[2], 60u);
    QCOMPARE(s.gapTimesMs[5], 0u); // only one rising edge so far
}

void TstVirtualTcp::servesSeveralClients()
{
    TcpSide side;
    QVERIFY(side.start({QHostAddress::LocalHost, 0}));
    QVERIFY(side.port() != 0);
    auto a = connectTo(side.port());
    auto b = connectTo(side.port());
    QTRY_COMPARE(side.clientCount(), 2);

    const QByteArray afterSet = exchange(*a, "NTA1", 33);
    QCOMPARE(afterSet.mid(7, 2), QByteArray("11"));
    QCOMPARE(exchange(*b, "NREQ", 33).mid(7, 2), QByteArray("11"));
    QCOMPARE(exchange(*b, "NT20", 33).mid(7, 2), QByteArray("10"));
    QCOMPARE(exchange(*a, "NREQ", 33).mid(7, 2), QByteArray("10"));

    b->disconnectFromHost();
    QTRY_COMPARE(side.clientCount(), 1);
}

void TstVirtualTcp::commandSplitOverReadsAndGarbage()
{
    TcpSide side;
    QSignalSpy logs(&side, &TcpSide::log);
    QVERIFY(side.start({QHostAddress::LocalHost, 0}));
    auto c = connectTo(side.port());
    QTRY_COMPARE(side.clientCount(), 1);
    c->write("zzNR");
    QTRY_VERIFY(!logs.isEmpty() && logs.last().at(0).toString().contains(u"ignored 7A 7A"_s));
    QCOMPARE(c->bytesAvailable(), 0);
    QCOMPARE(exchange(*c, "EQ", 33).size(), 33);
    // A long run of garbage is shown cut, with its size.
    c->write(QByteArray(100, 'z'));
    QTRY_VERIFY(!logs.isEmpty() && logs.last().at(0).toString().endsWith(u"ignored" + u" 7A"_s.repeated(16) +
                                                                         u" … (100 bytes)"_s));
}

void TstVirtualTcp::aFlooderHoldsBackOnlyItself()
{
    TcpSide side;
    QSignalSpy logs(&side, &TcpSide::log);
    QVERIFY(side.start({QHostAddress::LocalHost, 0}));
    auto flooder = connectTo(side.port());
    auto polite = connectTo(side.port());
    QTRY_COMPARE(side.clientCount(), 2);
    // It pipelines requests and never reads a report.
    flooder->setReadBufferSize(4096);
    const QByteArray flood = QByteArray("NREQ").repeated(4 << 20);
    flooder->write(flood);

    for (int i = 0; i < 20; ++i)
        QCOMPARE(exchange(*polite, "NREQ", 33).size(), 33);
    // The device stopped taking its commands (most of the 16 MiB is still with it), and said
    // what it answered as counts, not a line per command.
    QVERIFY2(flooder->bytesToWrite() > flood.size() / 2,
             QByteArray::number(flooder->bytesToWrite()).constData());
    QTRY_VERIFY(std::any_of(logs.cbegin(), logs.cend(), [](const QList<QVariant> &args) {
        return args.at(0).toString().contains(u"in the last second also: "_s);
    }));
    QVERIFY2(logs.size() < 200, QByteArray::number(logs.size()).constData());
}

void TstVirtualTcp::modeAndPortChangeAfterReboot()
{
    TcpSide side;
    TcpConfig config{QHostAddress::LocalHost, 0};
    QVERIFY(side.start(config));
    const quint16 first = side.port();
    auto c = connectTo(first);
    QTRY_COMPARE(side.clientCount(), 1);

    config.mode = 'G';
    side.reconfigure(config);
    QCOMPARE(exchange(*c, "NREQ", 57).size(), 57);
    config.mode = 'N';
    config.checkByte = true;
    side.reconfigure(config);
    QCOMPARE(exchange(*c, "NREQ", 34).size(), 34);
    QCOMPARE(side.clientCount(), 1);

    // A new port: the device comes back listening there, its old clients gone.
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    config.port = probe.serverPort();
    probe.close();
    side.reconfigure(config);
    QCOMPARE(side.port(), config.port);
    QTRY_COMPARE(c->state(), QAbstractSocket::UnconnectedState);
    auto d = connectTo(config.port);
    QCOMPARE(exchange(*d, "NREQ", 34).size(), 34);
}

void TstVirtualTcp::silentClientExpires()
{
    TcpSide side;
    QVERIFY(side.start({QHostAddress::LocalHost, 0, 'N', false, 1}));
    auto silent = connectTo(side.port());
    auto talking = connectTo(side.port());
    QTRY_COMPARE(side.clientCount(), 2);
    // Each command restarts the talking client's clock; the silent one runs out.
    for (int i = 0; i < 50 && silent->state() == QAbstractSocket::ConnectedState; ++i) {
        talking->write("NREQ");
        QTest::qWait(200);
    }
    QCOMPARE(silent->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(side.clientCount(), 1);
    QCOMPARE(talking->state(), QAbstractSocket::ConnectedState);
    QTRY_COMPARE(talking->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(side.clientCount(), 0);
}

void TstVirtualTcp::refusesClientsPastTheLimit()
{
    TcpSide side;
    QSignalSpy logs(&side, &TcpSide::log);
    QVERIFY(side.start({QHostAddress::LocalHost, 0, 'N'}));
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int i = 0; i < TcpSide::kMaxClients; ++i)
        clients.push_back(connectTo(side.port()));
    QTRY_COMPARE(side.clientCount(), 64);
    auto refused = connectTo(side.port());
    QTRY_COMPARE(refused->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(side.clientCount(), 64);
    QVERIFY(logs.last().at(0).toString().endsWith(u" refused: 64 clients already connected"_s));
    QCOMPARE(exchange(*clients.back(), "NREQ", 33).size(), 33);

    clients.front()->disconnectFromHost();
    QTRY_COMPARE(side.clientCount(), 63);
    auto next = connectTo(side.port());
    QCOMPARE(exchange(*next, "NREQ", 33).size(), 33);
}

void TstVirtualTcp::simulatedPulsesReachReports()
{
    TcpSide side;
    TcpConfig config{QHostAddress::LocalHost, 0, 'G'};
    config.pulsesPerSecond = 250;
    QVERIFY(side.start(config));
    QTRY_VERIFY(side.state().counters[1] >= 2);
    auto c = connectTo(side.port());
    const QByteArray r = exchange(*c, "NREQ", 57);
    QVERIFY(r[9] != 0 || r[10] != 0);          // counter 1
    QVERIFY(r.mid(33, 4) != QByteArray(4, 0)); // gap time 1
    side.resetCounters();
    config.pulsesPerSecond = 0;
    side.reconfigure(config);
    QCOMPARE(exchange(*c, "NREQ", 57).mid(9, 48), QByteArray(48, 0));
}

QTEST_GUILESS_MAIN(TstVirtualTcp)
#include "tst_virtual_tcp.moc"
