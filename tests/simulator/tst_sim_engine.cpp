#include "fakes.h"
#include "filefaults.h"
#include "sim/simengine.h"
#include "simpeer.h"

#include <QDir>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;
using namespace r5::sim;
using simtest::PeerServer;

Q_DECLARE_METATYPE(r5::sim::LogLevel)
Q_DECLARE_METATYPE(r5::sim::Role)

namespace {
const QString kStamp = u"[09:15:02.125"_s;

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int countOf(const QStringList &rows, const QString &text)
{
    return int(std::count(rows.begin(), rows.end(), text));
}

// The byte counts of the Recv and of the Send lines of a log file, each added up.
std::pair<qint64, qint64> recvSendBytes(const QString &path)
{
    static const QRegularExpression form(u"^\\[ ?[\\d:.]+ ?\\] : (Recv|Send) \\[ ?(\\d+) byte ?\\] : "_s);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {-1, -1};
    qint64 recv = 0, send = 0;
    while (!f.atEnd()) {
        const auto m = form.match(QString::fromLatin1(f.readLine()));
        if (m.hasMatch())
            (m.captured(1) == u"Recv" ? recv : send) += m.captured(2).toLongLong();
    }
    return {recv, send};
}
} // namespace

class TstSimEngine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void clientConnectsAndCloses();
    void closedPortFailsWithErrorRecord();
    void emptyInputsAreRefused_data();
    void emptyInputsAreRefused();
    void lostLinkReportedOnce();
    void serverServesOnePeerAtATime();
    void listenRetriesWhilePortIsTaken();
    void echoReturnsExactlyWhatArrived_data();
    void echoReturnsExactlyWhatArrived();
    void halfClosingPeerGetsEveryReply_data();
    void halfClosingPeerGetsEveryReply();
    void peerResetIsAnError_data();
    void peerResetIsAnError();
    void replyWithInput();
    void sendRefusesPastedJunkAndWarnsOddHex();
    void repeatSendsCountTimesThenStaysConnected();
    void repeatReconnectsAfterLostLink();
    void programSendsFilledStepsOnly();
    void connectSendReceiveClose();
    void logLevelsRouteLines_data();
    void logLevelsRouteLines();
    void listKeepsNewest2001AndClears();
    void logFilePreparation();
    void unwritableLogSaysSoOnceAndTrafficGoesOn();
    void logFilesFollowTheirPaths_data();
    void logFilesFollowTheirPaths();

private:
    QStringList rows() const { return m_log->model()->allRows(); }
    QString statPath() const { return m_dir->filePath(u"log/STAT_20261207.log"_s); }
    void connectTo(const PeerServer &peer);

    std::unique_ptr<QTemporaryDir> m_dir;
    r5::test::FakeClock m_clock;
    Options m_opts;
    std::unique_ptr<ActivityLog> m_log;
    std::unique_ptr<SimEngine> m_engine;
    QList<Notice> m_notices;
    QList<SimEngine::Layout> m_layouts;
};

void TstSimEngine::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    m_opts = Options();
    m_opts.destination = {u"127"_s, u"0"_s, u"0"_s, u"1"_s};
    m_opts.action = Action::ReceiveOnly;
    m_opts.repeat = false;
    m_opts.timeGap = u"1"_s;
    m_opts.count = u"Endless"_s;
    m_opts.logPath = m_dir->filePath(u"Log/user.dat"_s);
    m_opts.steps = {QString(), QString(), QString(), QString()};
    m_opts.stepGaps = {QString(), QString(), QString()};
    m_log = std::make_unique<ActivityLog>(m_clock, m_dir->path());
    m_engine = std::make_unique<SimEngine>([this] { return m_opts; }, *m_log);
    m_notices.clear();
    m_layouts.clear();
    connect(m_engine.get(), &SimEngine::notice, this, [this](const Notice &n) { m_notices.append(n); });
    connect(m_engine.get(), &SimEngine::layoutChanged, this,
            [this](SimEngine::Layout l) { m_layouts.append(l); });
}

void TstSimEngine::cleanup()
{
    m_engine.reset();
    m_log.reset();
    QDir::setCurrent(QDir::tempPath());
    m_dir.reset();
}

void TstSimEngine::connectTo(const PeerServer &peer)
{
    m_opts.destinationPort = peer.portText();
    m_engine->startRun();
    QTRY_COMPARE(m_engine->clientState(), SocketState::Connected);
    QTRY_COMPARE(peer.connections, 1);
}

void TstSimEngine::clientConnectsAndCloses()
{
    PeerServer peer;
    connectTo(peer);
    QTRY_VERIFY(rows().contains(kStamp + u"] : Connection Success"_s));
    QCOMPARE(m_layouts, (QList{SimEngine::Layout::Connecting, SimEngine::Layout::Connected}));
    m_engine->endRun();
    QCOMPARE(m_engine->clientState(), SocketState::Closed);
    QCOMPARE(m_layouts.last(), SimEngine::Layout::Idle);
    QTRY_VERIFY(rows().contains(kStamp + u"] : Client Disconnected"_s));
    QTRY_COMPARE(peer.last()->state(), QAbstractSocket::UnconnectedState);
    QVERIFY(m_notices.isEmpty());
}

void TstSimEngine::closedPortFailsWithErrorRecord()
{
    m_opts.destinationPort = QString::number(simtest::freePort());
    m_engine->startRun();
    // The refusal is a socket error at once; the wait still ends at its first tick.
    QTRY_VERIFY(rows().contains(u"09:15:02Client Socket Error : Referance Err_Log File ....... "_s));
    QVERIFY(!rows().contains(kStamp + u"] : Connection Fail"_s));
    QTRY_VERIFY(rows().contains(kStamp + u"] : Connection Fail"_s));
    QCOMPARE(m_notices, QList{notices::socketError()});
    QCOMPARE(m_layouts.last(), SimEngine::Layout::Idle);
    QCOMPARE(m_engine->clientState(), SocketState::Closed);

    m_log->waitWritten();
    const QByteArray record = readAll(m_dir->filePath(u"Err_Log/20261207.txt"_s));
    QVERIFY2(record.startsWith("Err Title : Client Socket Error\r\nErr Time : 2026/12/07 09:15:02\r\n"
                               "Err Number : 10061\r\nErr Desc : "),
             record.constData());
    QVERIFY(record.endsWith("Err Source : Client_Socket\r\n\r\n"));
    QCOMPARE(readAll(statPath()), record);
}

void TstSimEngine::emptyInputsAreRefused_data()
{
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("box");
    QTest::newRow("address") << int(Role::Connect) << u"address"_s << u"Input Destination IP"_s;
    QTest::newRow("port") << int(Role::Connect) << u"port"_s << u"Input Destination Port"_s;
    QTest::newRow("listen port") << int(Role::Listen) << u"listen"_s << u"Input Port No"_s;
    QTest::newRow("time gap") << int(Role::Connect) << u"gap"_s << u"Input Timegap"_s;
    QTest::newRow("count") << int(Role::Connect) << u"count"_s << u"Input Count"_s;
    QTest::newRow("send data") << int(Role::Connect) << u"input"_s << u"input Send Data"_s;
}

void TstSimEngine::emptyInputsAreRefused()
{
    QFETCH(int, role);
    QFETCH(QString, which);
    QFETCH(QString, box);
    PeerServer peer;
    m_opts.role = Role(role);
    m_opts.action = Action::SendOnly;
    m_opts.input = u"x"_s;
    m_opts.destinationPort = peer.portText();
    if (which == u"address")
        m_opts.destination = {QString(), QString(), QString(), QString()};
    else if (which == u"port")
        m_opts.destinationPort.clear();
    else if (which == u"gap")
        m_opts.timeGap.clear();
    else if (which == u"count")
        m_opts.count.clear();
    else if (which == u"input")
        m_opts.input.clear();
    m_engine->startRun();
    QCOMPARE(m_notices.size(), 1);
    QCOMPARE(m_notices[0].text, box);
    QCOMPARE(m_layouts.last(), SimEngine::Layout::Idle);
    QTest::qWait(50);
    QCOMPARE(peer.connections, 0);
    QCOMPARE(m_engine->serverState(), SocketState::Closed);
}

void TstSimEngine::lostLinkReportedOnce()
{
    PeerServer peer;
    connectTo(peer);
    peer.closeAll();
    QTRY_COMPARE(countOf(rows(), kStamp + u"] : Connection Fail"_s), 1);
    QTest::qWait(1300); // a further tick of the status watch says nothing more
    QCOMPARE(countOf(rows(), kStamp + u"] : Connection Fail"_s), 1);
}

void TstSimEngine::serverServesOnePeerAtATime()
{
    const quint16 port = simtest::freePort();
    m_opts.role = Role::Listen;
    m_opts.listenPort = QString::number(port);
    m_engine->startRun();
    QCOMPARE(m_engine->serverState(), SocketState::Listening);
    QTRY_COMPARE(rows(), QStringList{kStamp + u"] : Listen.."_s});
    QCOMPARE(m_layouts.last(), SimEngine::Layout::Listening);

    QTcpSocket first;
    first.connectToHost(QHostAddress::LocalHost, port);
    QTRY_COMPARE(m_engine->serverState(), SocketState::Connected);
    QTRY_VERIFY(rows().contains(kStamp + u"] : Client Connected"_s));

    QTcpSocket second; // nothing listens while the first peer is served
    QSignalSpy refused(&second, &QTcpSocket::errorOccurred);
    second.connectToHost(QHostAddress::LocalHost, port);
    QTRY_COMPARE(refused.size(), 1);
    QCOMPARE(second.error(), QAbstractSocket::ConnectionRefusedError);

    first.disconnectFromHost();
    QTRY_VERIFY(rows().contains(kStamp + u"] : Client Disconnected"_s));
    QTRY_COMPARE(m_engine->serverState(), SocketState::Listening);
    QCOMPARE(countOf(rows(), kStamp + u"] : Listen.."_s), 2);

    QTcpSocket third; // served without pressing Listen again
    third.connectToHost(QHostAddress::LocalHost, port);
    QTRY_COMPARE(countOf(rows(), kStamp + u"] : Client Connected"_s), 2);

    m_engine->endRun();
    QCOMPARE(m_engine->serverState(), SocketState::Closed);
    QVERIFY(rows().contains(kStamp + u"] : Server Closed"_s));
    QCOMPARE(m_layouts.last(), SimEngine::Layout::Idle);
    QTcpSocket fourth;
    QSignalSpy refusedAgain(&fourth, &QTcpSocket::errorOccurred);
    fourth.connectToHost(QHostAddress::LocalHost, port);
    QTRY_COMPARE(refusedAgain.size(), 1);
    QTest::qWait(1200); // no listener comes back and no stray status line follows
    QCOMPARE(m_engine->serverState(), SocketState::Closed);
    QCOMPARE(rows().last(), kStamp + u"] : Server Closed"_s);
}

void TstSimEngine::listenRetriesWhilePortIsTaken()
{
    auto blocker = std::make_unique<QTcpServer>();
    QVERIFY(blocker->listen(QHostAddress::Any, 0));
    m_opts.role = Role::Listen;
    m_opts.listenPort = QString::number(blocker->serverPort());
    m_engine->startRun();
    QTRY_COMPARE(rows().value(0), kStamp + u"] : Listen Fail"_s);
    QVERIFY(m_notices.isEmpty());
    blocker.reset(); // the next attempt, a tick later, gets the port
    QTRY_COMPARE(m_engine->serverState(), SocketState::Listening);
    QCOMPARE(rows().last(), kStamp + u"] : Listen.."_s);
    QCOMPARE(m_layouts.last(), SimEngine::Layout::Listening);
    m_engine->endRun();
}

void TstSimEngine::echoReturnsExactlyWhatArrived_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<bool>("lateReader");
    QTest::newRow("1 byte") << 1 << false;
    QTest::newRow("one segment") << 1400 << false;
    QTest::newRow("many reads") << 300000 << false;
    // The tool stops reading while its echo cannot leave, and loses nothing when it can again.
    QTest::newRow("reader late") << 48 * 1024 * 1024 << true;
}

void TstSimEngine::echoReturnsExactlyWhatArrived()
{
    QFETCH(int, n);
    QFETCH(bool, lateReader);
    m_opts.role = Role::Listen;
    m_opts.action = Action::SendReceived;
    m_opts.format = DataFormat::Hex;
    m_opts.listenPort = QString::number(simtest::freePort());
    m_engine->startRun();
    QTcpSocket peer;
    if (lateReader) {
        peer.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 64 * 1024);
        peer.setReadBufferSize(64 * 1024);
    }
    peer.connectToHost(QHostAddress::LocalHost, quint16(m_opts.listenPort.toUInt()));
    QVERIFY(peer.waitForConnected(2000));
    QByteArray sent(n, '\0');
    for (int i = 0; i < n; ++i)
        sent[i] = char(i * 7);
    peer.write(sent);
    if (lateReader) {
        QTest::qWait(300);
        QVERIFY(peer.bytesToWrite() > 0); // held back: the tool is not reading
        peer.setReadBufferSize(0);
    }
    QByteArray back;
    QTRY_VERIFY((back += peer.readAll()).size() >= n);
    QTest::qWait(100);
    back += peer.readAll();
    QCOMPARE(back.size(), n);
    QCOMPARE(back, sent);
    if (n == 1) {
        QTRY_VERIFY(rows().contains(u"[ 09:15:02.125 ] : Recv [ 1 byte ] :  00"_s));
        QVERIFY(rows().contains(u"[ 09:15:02.125 ] : Send [ 1 byte ] :  00"_s));
    }
}

void TstSimEngine::halfClosingPeerGetsEveryReply_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<Role>("role");
    QTest::addColumn<LogLevel>("level");
    QTest::newRow("1000 bytes, List + File") << 1000 << Role::Listen << LogLevel::ListFile;
    QTest::newRow("100000 bytes, List + File") << 100000 << Role::Listen << LogLevel::ListFile;
    QTest::newRow("1 MiB, File") << 1024 * 1024 << Role::Listen << LogLevel::File;
    QTest::newRow("8 MiB, None") << 8 * 1024 * 1024 << Role::Listen << LogLevel::None;
    QTest::newRow("client role, 100000 bytes, File") << 100000 << Role::Connect << LogLevel::File;
}

// A peer that sends, half-closes and keeps reading gets the echo of every byte before the link
// closes, and the log holds one Send byte for each byte that left.
void TstSimEngine::halfClosingPeerGetsEveryReply()
{
    QFETCH(int, n);
    QFETCH(Role, role);
    QFETCH(LogLevel, level);
    QByteArray data(n, '\0');
    for (int i = 0; i < n; ++i)
        data[i] = char('a' + i % 26);
    simtest::HalfClosingPeer peer(data);
    m_opts.role = role;
    m_opts.action = Action::SendReceived;
    m_opts.level = level;
    if (role == Role::Listen) {
        m_opts.listenPort = QString::number(simtest::freePort());
        m_engine->startRun();
        QCOMPARE(m_engine->serverState(), SocketState::Listening);
        peer.connectTo(quint16(m_opts.listenPort.toUInt()));
    } else {
        m_opts.destinationPort = QString::number(peer.listen());
        m_engine->startRun();
    }
    QTRY_VERIFY_WITH_TIMEOUT(peer.finished.load(), 30000);
    QCOMPARE(peer.received.size(), n);
    QVERIFY(peer.received == data);
    if (role == Role::Listen) {
        QTRY_VERIFY(rows().contains(kStamp + u"] : Client Disconnected"_s));
        QTRY_COMPARE(m_engine->serverState(), SocketState::Listening);
        m_engine->endRun();
    } else {
        QTRY_COMPARE(m_engine->clientState(), SocketState::Closed);
    }
    if (levelHasFile(level)) {
        m_log->waitWritten();
        QCOMPARE(recvSendBytes(m_opts.logPath), std::make_pair(qint64(n), qint64(n)));
    }
    QVERIFY(m_notices.isEmpty());
}

void TstSimEngine::peerResetIsAnError_data()
{
    QTest::addColumn<Role>("role");
    QTest::addColumn<int>("unread");
    QTest::newRow("server role") << Role::Listen << 0;
    QTest::newRow("client role") << Role::Connect << 0;
    // Replies still waiting when the peer resets never left: no Send line for them.
    QTest::newRow("server role, replies waiting") << Role::Listen << 24 * 1024 * 1024;
}

// A reset by the peer is a socket error (10054) with its record, then the link is closed as
// a lost one: a server run says its peer left and listens again.
void TstSimEngine::peerResetIsAnError()
{
    QFETCH(Role, role);
    QFETCH(int, unread);
    m_opts.role = role;
    m_opts.action = Action::SendReceived;
    m_opts.level = LogLevel::File;
    PeerServer server;
    QTcpSocket client;
    QTcpSocket *peer = &client;
    if (role == Role::Listen) {
        m_opts.listenPort = QString::number(simtest::freePort());
        m_engine->startRun();
        client.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 64 * 1024);
        client.setReadBufferSize(64 * 1024); // and then it stops reading
        client.connectToHost(QHostAddress::LocalHost, quint16(m_opts.listenPort.toUInt()));
        QVERIFY(client.waitForConnected(2000));
    } else {
        connectTo(server);
        peer = server.last();
    }
    QTRY_COMPARE(role == Role::Listen ? m_engine->serverState() : m_engine->clientState(),
                 SocketState::Connected);
    if (unread > 0) {
        peer->write(QByteArray(unread, 'x'));
        QTest::qWait(500);
    } else if (simtest::resetReadsAsEnd()) {
        QSKIP("Wine reads a reset as an end of file; only a failed send shows it there");
    }
    simtest::resetOnClose(peer->socketDescriptor());
    peer->abort();

    const QString side = role == Role::Listen ? u"Server"_s : u"Client"_s;
    QTRY_VERIFY(rows().contains(u"09:15:02"_s + side + u" Socket Error : Referance Err_Log File ....... "_s));
    QCOMPARE(m_notices, QList{notices::socketError()});
    m_log->waitWritten();
    const QByteArray record = readAll(m_dir->filePath(u"Err_Log/20261207.txt"_s));
    QVERIFY2(record.startsWith(QByteArray("Err Title : " + side.toLatin1() +
                                          " Socket Error\r\nErr Time : 2026/12/07 09:15:02\r\n"
                                          "Err Number : 10054\r\nErr Desc : ")),
             record.constData());
    if (role == Role::Listen) {
        QVERIFY(rows().contains(kStamp + u"] : Client Disconnected"_s));
        QTRY_COMPARE(m_engine->serverState(), SocketState::Listening);
        m_engine->endRun();
    } else {
        QCOMPARE(m_engine->clientState(), SocketState::Closed);
    }
    const auto [recv, send] = recvSendBytes(m_opts.logPath);
    if (unread > 0) {
        QVERIFY(recv > 0);
        QVERIFY2(send < recv, qPrintable(QString::asprintf("%lld of %lld", send, recv)));
    }
}

void TstSimEngine::replyWithInput()
{
    PeerServer peer;
    m_opts.action = Action::SendInput;
    m_opts.input = u"ok"_s;
    connectTo(peer);
    peer.sendToLast("hello");
    QTRY_COMPARE(peer.received, QByteArray("ok"));
    QTRY_VERIFY(rows().contains(kStamp + u"] : Recv [5 byte] :  hello"_s));
    QVERIFY(rows().contains(kStamp + u"] : Send [2 byte] :  ok"_s));
}

void TstSimEngine::sendRefusesPastedJunkAndWarnsOddHex()
{
    PeerServer peer;
    m_opts.format = DataFormat::Hex;
    connectTo(peer);
    m_opts.input = u"ZZ"_s;
    m_engine->sendOnce();
    QCOMPARE(m_notices, QList{notices::invalidData()});
    m_opts.input = u"ABC"_s;
    m_engine->sendOnce();
    QCOMPARE(m_notices.size(), 2);
    QTRY_COMPARE(peer.received, QByteArray("\xAB"));
    m_opts.input.clear();
    m_engine->sendOnce();
    QCOMPARE(m_notices.last(), notices::pleaseInputData());
    QTest::qWait(50);
    QCOMPARE(peer.received, QByteArray("\xAB"));
}

void TstSimEngine::repeatSendsCountTimesThenStaysConnected()
{
    PeerServer peer;
    m_opts.action = Action::SendOnly;
    m_opts.repeat = true;
    m_opts.timeGap = u"0.02"_s;
    m_opts.count = u"12"_s;
    m_opts.input = u"ping"_s;
    connectTo(peer);
    QTRY_COMPARE(peer.received.size(), 12 * 4);
    QTest::qWait(200);
    QCOMPARE(peer.received, QByteArray("ping").repeated(12));
    QCOMPARE(m_engine->sendCount(), 12);
    QCOMPARE(m_engine->clientState(), SocketState::Connected);
}

void TstSimEngine::repeatReconnectsAfterLostLink()
{
    PeerServer peer;
    m_opts.action = Action::SendOnly;
    m_opts.repeat = true;
    m_opts.timeGap = u"0.05"_s;
    m_opts.count = u"3"_s;
    m_opts.input = u"a"_s;
    connectTo(peer);
    QTRY_COMPARE(peer.received, QByteArray("aaa"));
    peer.closeAll();
    // The count is spent, so nothing notices the loss until the status watch: no reconnect.
    QTRY_VERIFY(rows().contains(kStamp + u"] : Connection Fail"_s));
    QCOMPARE(peer.connections, 1);

    m_opts.count = u"Endless"_s;
    m_engine->endRun();
    m_engine->startRun();
    QTRY_COMPARE(peer.connections, 2);
    QTRY_VERIFY(peer.received.size() >= 5);
    peer.closeAll();
    // The next tick finds the link gone and runs a new connection.
    QTRY_COMPARE(peer.connections, 3);
    QTRY_COMPARE(countOf(rows(), kStamp + u"] : Connection Success"_s), 3);
    const qsizetype before = peer.received.size();
    QTRY_VERIFY(peer.received.size() > before);
}

void TstSimEngine::programSendsFilledStepsOnly()
{
    PeerServer peer;
    m_opts.format = DataFormat::Hex;
    m_opts.programMode = true;
    m_opts.destinationPort = peer.portText();
    m_opts.steps = {u"0102"_s, u"03"_s, QString(), u"04"_s};
    m_opts.stepGaps = {u"100"_s, QString(), QString()};
    QSignalSpy started(m_engine.get(), &SimEngine::programStartedChanged);
    QSignalSpy filled(m_engine.get(), &SimEngine::stepGapFilled);
    m_engine->toggleProgram();
    QTRY_COMPARE(started.size(), 1);
    QCOMPARE(started[0][0].toBool(), true);
    QVERIFY(rows().contains(kStamp + u"] : Client Connected"_s));
    QTRY_COMPARE(peer.received, QByteArray("\x01\x02\x03"));
    QTRY_COMPARE(filled.size(), 1); // the gap after step 2 was empty
    QCOMPARE(filled[0][0].toInt(), 1);
    QCOMPARE(filled[0][1].toString(), u"1000"_s);
    QTest::qWait(1300); // the empty third step ends the program: the fourth is never sent
    QCOMPARE(peer.received, QByteArray("\x01\x02\x03"));
    QCOMPARE(countOf(rows(), u"[ 09:15:02.125 ] : Send [ 2 byte ] :  01 02"_s), 1);

    m_engine->toggleProgram(); // "End"
    QCOMPARE(started.size(), 2);
    QCOMPARE(m_engine->clientState(), SocketState::Closed);
    QVERIFY(rows().contains(kStamp + u"] : Client Closed"_s));
}

void TstSimEngine::connectSendReceiveClose()
{
    PeerServer peer;
    peer.echo = true;
    m_opts.closeAfter = true;
    m_opts.input = u"hello"_s;
    m_opts.destinationPort = peer.portText();
    m_engine->connectSendClose();
    QTRY_VERIFY(rows().contains(kStamp + u"] : Client Disconnected"_s));
    QCOMPARE(rows(),
             (QStringList{kStamp + u"] : Connection Success"_s, kStamp + u"] : Send [5 byte] :  hello"_s,
                          u" "_s, kStamp + u"] : Recv [5 byte] :  hello"_s, u" "_s,
                          kStamp + u"] : Client Disconnected"_s}));
    QCOMPARE(m_engine->clientState(), SocketState::Closed);
    QCOMPARE(m_layouts.last(), SimEngine::Layout::Connected); // until Close or the next cycle
    QTRY_COMPARE(peer.last()->state(), QAbstractSocket::UnconnectedState);
}

void TstSimEngine::logLevelsRouteLines_data()
{
    QTest::addColumn<LogLevel>("level");
    QTest::addColumn<bool>("listData");
    QTest::addColumn<bool>("fileData");
    QTest::addColumn<bool>("fileStatus");
    QTest::newRow("None") << LogLevel::None << false << false << false;
    QTest::newRow("List") << LogLevel::List << true << false << false;
    QTest::newRow("File") << LogLevel::File << false << true << false;
    QTest::newRow("List + File") << LogLevel::ListFile << true << true << true;
}

void TstSimEngine::logLevelsRouteLines()
{
    QFETCH(LogLevel, level);
    QFETCH(bool, listData);
    QFETCH(bool, fileData);
    QFETCH(bool, fileStatus);
    PeerServer peer;
    m_opts.level = level;
    m_opts.action = Action::SendReceived;
    connectTo(peer);
    peer.sendToLast("abc");
    QTRY_COMPARE(peer.received, QByteArray("abc")); // echoed, so the arrival has been handled
    m_engine->endRun();

    const QString success = kStamp + u"] : Connection Success"_s;
    const QString closed = kStamp + u"] : Client Disconnected"_s;
    QStringList list{success};
    if (listData) {
        list << kStamp + u"] : Recv [3 byte] :  abc"_s << u" "_s;
        list << kStamp + u"] : Send [3 byte] :  abc"_s << u" "_s;
    }
    list << closed;
    QCOMPARE(rows(), list);

    QByteArray file;
    if (fileStatus)
        file += success.toLatin1() + "\r\n";
    if (fileData) {
        file += kStamp.toLatin1() + "] : Recv [3 byte] : abc\r\n";
        file += kStamp.toLatin1() + "] : Send [3 byte] : abc\r\n";
    }
    if (fileStatus)
        file += closed.toLatin1() + "\r\n";
    m_log->waitWritten();
    QCOMPARE(readAll(m_opts.logPath), file);
    QCOMPARE(readAll(statPath()), file);
    QCOMPARE(QFileInfo::exists(m_opts.logPath), levelHasFile(level));
}

void TstSimEngine::listKeepsNewest2001AndClears()
{
    ActivityModel *model = m_log->model();
    for (int i = 1; i <= 2002; ++i)
        m_log->status(QString(u"] : "_s + QString::number(i)), LogLevel::List, QString());
    model->flush();
    QCOMPARE(model->rowCount(), 2001);
    QCOMPARE(model->index(0).data().toString(), kStamp + u"] : 2"_s);
    QCOMPARE(model->index(2000).data().toString(), kStamp + u"] : 2002"_s);
    // One arrival larger than the list: only its tail is there, ending with the closing row.
    m_log->data(QByteArray(100000, 'z'), Direction::Received, DataFormat::Ascii, LogLevel::List, QString());
    QTRY_COMPARE(model->index(2000).data().toString(), u" "_s);
    QCOMPARE(model->rowCount(), 2001);
    QCOMPARE(model->index(1999).data().toString(), u" "_s + QString(100000 % 60, u'z'));
    m_log->clearList();
    QCOMPARE(model->rowCount(), 0);
}

void TstSimEngine::logFilePreparation()
{
    PeerServer peer;
    m_opts.level = LogLevel::File;
    m_opts.destinationPort = peer.portText();
    m_opts.logPath = u"/r5-no-such-folder/a/b.log"_s;
    m_engine->startRun();
    QCOMPARE(m_notices, QList{notices::invalidPass()});
    QTest::qWait(50);
    QCOMPARE(peer.connections, 0);

    // Missing folders after the first are made; an existing log keeps its lines.
    m_opts.logPath = m_dir->filePath(u"x/y/z.log"_s);
    m_engine->startRun();
    QTRY_COMPARE(peer.connections, 1);
    QVERIFY(QFileInfo::exists(m_opts.logPath));
    m_engine->endRun();
    {
        QFile f(m_opts.logPath);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Append));
        f.write("kept\r\n");
    }
    m_engine->startRun();
    QTRY_COMPARE(peer.connections, 2);
    m_log->waitWritten();
    QCOMPARE(readAll(m_opts.logPath), QByteArray("kept\r\n"));
    // A relative path is taken from the working folder.
    m_engine->endRun();
    m_opts.logPath = u"rel/u.log"_s;
    m_engine->startRun();
    QTRY_COMPARE(peer.connections, 3);
    QVERIFY(QFileInfo::exists(m_dir->filePath(u"rel/u.log"_s)));
    QCOMPARE(m_notices.size(), 1);
}

void TstSimEngine::unwritableLogSaysSoOnceAndTrafficGoesOn()
{
    PeerServer peer;
    m_opts.level = LogLevel::ListFile;
    m_opts.action = Action::SendReceived;
    connectTo(peer);
    m_opts.logPath = m_dir->filePath(u"gone/user.dat"_s); // its folder does not exist
    peer.sendToLast("1");
    QTRY_COMPARE(peer.received, QByteArray("1"));
    peer.sendToLast("2");
    QTRY_COMPARE(peer.received, QByteArray("12"));
    const QString failure = kStamp + u"] : File Write Fail : "_s + m_opts.logPath;
    QTRY_COMPARE(countOf(rows(), failure), 1);
    QVERIFY(rows().contains(kStamp + u"] : Send [1 byte] :  2"_s));
    m_log->waitWritten();
    QVERIFY(readAll(statPath()).contains("Send [1 byte] : 2\r\n"));
}

void TstSimEngine::logFilesFollowTheirPaths_data()
{
    QTest::addColumn<bool>("statistics");
    QTest::addColumn<QString>("change");
    for (const bool stat : {false, true}) {
        const char *file = stat ? "statistics file" : "user log";
        QTest::addRow("%s renamed", file) << stat << u"rename"_s;
        QTest::addRow("%s deleted", file) << stat << u"delete"_s;
        QTest::addRow("%s folder replaced", file) << stat << u"folder"_s;
    }
}

// A log file moved, deleted or with its folder replaced while lines go to it: the next line
// is in a file at the same path again.
void TstSimEngine::logFilesFollowTheirPaths()
{
    QFETCH(bool, statistics);
    QFETCH(QString, change);
    PeerServer peer;
    m_opts.level = LogLevel::File;
    connectTo(peer);
    const QString path = statistics ? statPath() : m_opts.logPath;
    peer.sendToLast("1");
    QTRY_VERIFY((m_log->waitWritten(), readAll(path).contains("Recv [1 byte] : 1\r\n")));
    const QString folder = QFileInfo(path).absolutePath();
    if (change == u"rename")
        QVERIFY(QFile::rename(path, path + u".old"_s));
    else if (change == u"delete")
        QVERIFY(QFile::remove(path));
    else
        QVERIFY(QDir().rename(folder, folder + u".old"_s) && QDir().mkpath(folder));
    peer.sendToLast("2");
    QTRY_VERIFY((m_log->waitWritten(), readAll(path).contains("Recv [1 byte] : 2\r\n")));
    if (change == u"delete" && r5::test::runsUnderWine())
        QEXPECT_FAIL("", r5::test::kWineKeepsDeletedFile, Continue);
    QVERIFY(!readAll(path).contains("Recv [1 byte] : 1\r\n"));
}

QTEST_GUILESS_MAIN(TstSimEngine)
#include "tst_sim_engine.moc"
