// Simulator_3810 against the virtual device's TCP side on 127.0.0.1, through the real window.
#include "core/activity.h"
#include "filefaults.h"
#include "r5device/tcp/devicelink.h"
#include "r5device/tcp/report.h"
#include "simfixture.h"
#include "virt/tcpside.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace disim;
using disim::test::SimFixture;

namespace {
quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}
} // namespace

class TstDisimE2e : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void requestShowsEveryField();
    void outputSettingAndCounterReset();
    void checkByteKeepsGapTimes();
    void repeatFollowsCommandChanges();
    void disconnectThenSendReconnects();
    // Nothing listens: one line says why, however many attempts a click or a repeat makes.
    void noDeviceSaysWhyOnce_data();
    void noDeviceSaysWhyOnce();
    void peerCloseDuringRepeat();
    void listPlusFileWritesRecord();
    void dayFileFollowsItsPath_data();
    void dayFileFollowsItsPath();
    void arrivalsOfWrongLength();
    void pingLoopback();

private:
    void start(const virt::TcpConfig &config);
    void connectWindow();
    QString sendAndWaitForReport();
    void freezeCountersAfterPulses();

    QTemporaryDir m_settingsDir;
    std::unique_ptr<SimFixture> f;
    std::unique_ptr<virt::TcpSide> m_side;
};

void TstDisimE2e::initTestCase()
{
    disim::test::isolateSettings(m_settingsDir);
}

void TstDisimE2e::init()
{
    f = std::make_unique<SimFixture>();
    m_side = std::make_unique<virt::TcpSide>();
}

void TstDisimE2e::cleanup()
{
    if (f)
        QCOMPARE(f->prompter.takeTexts(), QStringList());
    f.reset();
    m_side.reset();
}

void TstDisimE2e::start(const virt::TcpConfig &config)
{
    virt::TcpConfig c = config;
    c.address = QHostAddress::LocalHost;
    c.port = 0;
    QVERIFY(m_side->start(c));
    f->type(u"txtDestIP"_s, u"127.0.0.1"_s);
    f->type(u"txtDestPort"_s, QString::number(m_side->port()));
}

void TstDisimE2e::connectWindow()
{
    f->click(u"cmdConnect"_s);
    QTRY_VERIFY(!f->lines().isEmpty() && f->lines().last().endsWith(u"] Socket Connected!!"_s));
    QVERIFY(!f->button(u"cmdConnect"_s)->isEnabled());
    QVERIFY(f->button(u"cmdDisconnect"_s)->isEnabled());
    QVERIFY(f->button(u"cmdSend"_s)->isEnabled());
    QVERIFY(f->button(u"cmdEnd"_s)->isEnabled());
}

// Clicks "Send" and returns the RECV line of the answer.
QString TstDisimE2e::sendAndWaitForReport()
{
    const qsizetype before = f->lines().size();
    f->click(u"cmdSend"_s);
    QString recv;
    [&] {
        QTRY_VERIFY(f->lines().size() >= before + 2 && f->lines().last().contains(u" RECV : "_s));
        recv = f->lines().last();
    }();
    return recv;
}

void TstDisimE2e::freezeCountersAfterPulses()
{
    virt::TcpConfig c = m_side->config();
    c.pulsesPerSecond = 250;
    m_side->reconfigure(c);
    QTRY_VERIFY(m_side->state().counters[5] >= 2);
    c.pulsesPerSecond = 0;
    m_side->reconfigure(c);
}

void TstDisimE2e::requestShowsEveryField()
{
    start({.mode = 'G'});
    freezeCountersAfterPulses();
    connectWindow();
    const QString recv = sendAndWaitForReport();
    const QStringList lines = f->lines();
    const QString stamp = timeStamp(f->clock.utcNow());
    QCOMPARE(lines.at(lines.size() - 2), stamp + u" SEND : 4E 52 45 51 "_s);

    const virt::DiState &s = m_side->state();
    QCOMPARE(recv, recvLine(stamp, virt::buildReport(s, 'G', false)));
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(f->text(u"txt_Input(%1)"_s.arg(i)), QString(QChar::fromLatin1(s.inputs[i])));
        QCOMPARE(f->text(u"txtCounter(%1)"_s.arg(i)), QString::number(s.counters[i]));
        QCOMPARE(f->text(u"txtGapTime(%1)"_s.arg(i)), QString::number(s.gapTimesMs[i]));
        QVERIFY(s.gapTimesMs[i] > 0);
    }
    for (int j = 0; j < 2; ++j)
        QCOMPARE(f->text(u"txt_Output(%1)"_s.arg(j)), u"0"_s);
    QCOMPARE(f->text(u"txt_CheckSum"_s), QString());

    // A one-time send leaves the send options locked until "End".
    for (const QString &n : {u"optInterval(0)"_s, u"optInterval(1)"_s, u"cboTime"_s})
        QVERIFY2(!f->child(n)->isEnabled(), qPrintable(n));
    f->click(u"cmdEnd"_s);
    for (const QString &n : {u"optInterval(0)"_s, u"optInterval(1)"_s, u"cboTime"_s})
        QVERIFY2(f->child(n)->isEnabled(), qPrintable(n));
}

void TstDisimE2e::outputSettingAndCounterReset()
{
    start({});
    freezeCountersAfterPulses();
    connectWindow();
    f->choose(u"optCommand(1)"_s);
    f->combo(u"ComboSet"_s)->setCurrentIndex(2);   // "A"
    f->combo(u"ComboValue"_s)->setCurrentIndex(1); // "1"
    sendAndWaitForReport();
    QVERIFY(f->lines().at(f->lines().size() - 2).endsWith(u"SEND : 4E 54 41 31 "_s));
    QCOMPARE(f->text(u"txt_Output(0)"_s) + f->text(u"txt_Output(1)"_s), u"11"_s);

    f->choose(u"optCommand(2)"_s);
    f->combo(u"ComboReset"_s)->setCurrentIndex(2); // "3"
    sendAndWaitForReport();
    QVERIFY(f->lines().at(f->lines().size() - 2).endsWith(u"SEND : 4E 43 33 30 "_s));

    f->choose(u"optCommand(0)"_s);
    sendAndWaitForReport();
    QCOMPARE(f->text(u"txtCounter(2)"_s), u"0"_s);
    QVERIFY(f->text(u"txtCounter(0)"_s).toUInt() > 0);
    QCOMPARE(f->text(u"txtCounter(0)"_s), QString::number(m_side->state().counters[0]));
    QCOMPARE(f->text(u"txt_Output(1)"_s), u"1"_s);
}

void TstDisimE2e::checkByteKeepsGapTimes()
{
    start({.mode = 'G'});
    freezeCountersAfterPulses();
    connectWindow();
    sendAndWaitForReport();
    const QString gap0 = f->text(u"txtGapTime(0)"_s);
    QVERIFY(gap0.toUInt() > 0);

    virt::TcpConfig c = m_side->config();
    c.mode = 'N';
    c.checkByte = true;
    m_side->reconfigure(c);
    const QString recv = sendAndWaitForReport();
    const QByteArray report = virt::buildReport(m_side->state(), 'N', true);
    QCOMPARE(recv.size() - 22, 68);
    QCOMPARE(f->text(u"txt_CheckSum"_s), checkByteText(quint8(report.back())));
    QCOMPARE(f->text(u"txtGapTime(0)"_s), gap0);

    c.checkByte = false;
    m_side->reconfigure(c);
    f->edit(u"txt_CheckSum"_s)->setText(u"kept"_s);
    sendAndWaitForReport();
    QCOMPARE(f->text(u"txt_CheckSum"_s), u"kept"_s);
}

void TstDisimE2e::repeatFollowsCommandChanges()
{
    start({});
    connectWindow();
    f->choose(u"optInterval(1)"_s);
    f->type(u"cboTime"_s, u"0.05"_s);
    f->click(u"cmdSend"_s);
    const auto sends = [&](const QString &bytes) { return f->lines().filter(u"SEND : "_s + bytes).size(); };
    QTRY_VERIFY(sends(u"4E 52 45 51 "_s) >= 3);
    QVERIFY(!f->child(u"optInterval(0)"_s)->isEnabled());
    QVERIFY(!f->child(u"cboTime"_s)->isEnabled());

    f->choose(u"optCommand(1)"_s);
    f->combo(u"ComboValue"_s)->setCurrentIndex(1);
    QTRY_VERIFY(sends(u"4E 54 31 31 "_s) >= 2);
    QCOMPARE(m_side->state().outputs[0], '1');
    QTRY_COMPARE(f->text(u"txt_Output(0)"_s), u"1"_s);

    f->click(u"cmdEnd"_s);
    QVERIFY(!f->window->findChild<QTimer *>(u"SendTimer"_s)->isActive());
    const qsizetype after = f->lines().size();
    QTest::qWait(300);
    QVERIFY(f->lines().size() <= after + 1); // at most the answer to the last command
    QVERIFY(f->child(u"optInterval(0)"_s)->isEnabled());
}

void TstDisimE2e::disconnectThenSendReconnects()
{
    start({});
    connectWindow();
    f->click(u"cmdDisconnect"_s);
    QVERIFY(f->lines().last().endsWith(u"] Socket Closed!!"_s));
    QVERIFY(f->button(u"cmdConnect"_s)->isEnabled());
    QVERIFY(!f->button(u"cmdDisconnect"_s)->isEnabled());
    QVERIFY(!f->button(u"cmdEnd"_s)->isEnabled());
    QVERIFY(f->button(u"cmdSend"_s)->isEnabled());
    QTRY_COMPARE(m_side->clientCount(), 0);

    const qsizetype before = f->lines().size();
    f->click(u"cmdSend"_s);
    // The send waits for the new connection without holding up the window.
    QCOMPARE(f->lines().size(), before);
    QTRY_VERIFY(f->lines().size() >= before + 3);
    const QStringList lines = f->lines().mid(before);
    QVERIFY(lines.at(0).endsWith(u"] Socket Connected!!"_s));
    QVERIFY(lines.at(1).endsWith(u"SEND : 4E 52 45 51 "_s));
    QVERIFY(lines.at(2).contains(u" RECV : "_s));
}

void TstDisimE2e::noDeviceSaysWhyOnce_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("repeat");
    QTest::addColumn<int>("clicks");
    QTest::newRow("connect") << u"cmdConnect"_s << false << 1;
    QTest::newRow("send, and again during the wait") << u"cmdSend"_s << false << 2;
    QTest::newRow("repeat") << u"cmdSend"_s << true << 1;
}

void TstDisimE2e::noDeviceSaysWhyOnce()
{
    QFETCH(QString, button);
    QFETCH(bool, repeat);
    QFETCH(int, clicks);
    const QString port = QString::number(freePort());
    f->type(u"txtDestIP"_s, u"127.0.0.1"_s);
    f->type(u"txtDestPort"_s, port);
    if (repeat) {
        f->choose(u"optInterval(1)"_s);
        f->type(u"cboTime"_s, u"0.3"_s);
    }
    for (int i = 0; i < clicks; ++i)
        f->click(button); // a second click comes during the wait and runs once after it
    QTest::qWait(2 * DeviceLink::kConnectWaitMs + 500);
    const QStringList lines = f->lines();
    QCOMPARE(lines.size(), 1);
    QVERIFY2(
        lines.first().endsWith(u"] Socket Connect Fail!! 127.0.0.1:"_s + port + u" : Connection refused"_s),
        qPrintable(lines.first()));
    QVERIFY(f->button(u"cmdConnect"_s)->isEnabled());
}

void TstDisimE2e::peerCloseDuringRepeat()
{
    start({});
    connectWindow();
    f->choose(u"optInterval(1)"_s);
    f->type(u"cboTime"_s, u"0.1"_s);
    f->click(u"cmdSend"_s);
    QTRY_VERIFY(f->lines().filter(u" RECV : "_s).size() >= 2);

    // The device reboots onto another port: the client sees the close, the repeat goes on.
    virt::TcpConfig c = m_side->config();
    c.port = freePort();
    m_side->reconfigure(c);
    QTRY_VERIFY(!f->lines().filter(u"] Socket Closed!!"_s).isEmpty());
    QVERIFY(!f->button(u"cmdEnd"_s)->isEnabled());
    QVERIFY(f->window->findChild<QTimer *>(u"SendTimer"_s)->isActive());

    f->type(u"txtDestPort"_s, QString::number(m_side->port()));
    const qsizetype closedAt = f->lines().size();
    QTRY_VERIFY(f->lines().mid(closedAt).filter(u" RECV : "_s).size() >= 1);
    QVERIFY(f->lines().mid(closedAt).filter(u"] Socket Connected!!"_s).size() == 1);
    QVERIFY(f->button(u"cmdEnd"_s)->isEnabled());
    f->click(u"cmdEnd"_s);
}

void TstDisimE2e::listPlusFileWritesRecord()
{
    start({});
    connectWindow();
    const QString path = f->logDir.path() + u'/' + logFileName(f->clock.localDate());
    sendAndWaitForReport();
    QVERIFY(!QFile::exists(path));

    f->choose(u"optLog(1)"_s);
    const QString recv = sendAndWaitForReport();
    f->choose(u"optLog(0)"_s);
    sendAndWaitForReport();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), "\r\n" + recv.toLatin1() + "\r\n\r\n");
}

void TstDisimE2e::dayFileFollowsItsPath_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("file renamed") << u"rename"_s;
    QTest::newRow("file deleted") << u"delete"_s;
    QTest::newRow("folder replaced") << u"folder"_s;
}

// The day's file is moved, deleted or its folder replaced while the program runs: the next
// record goes to a file at the day's path again, not into the file that went away.
void TstDisimE2e::dayFileFollowsItsPath()
{
    QFETCH(QString, change);
    start({});
    connectWindow();
    const QString folder = f->logDir.path();
    const QString path = folder + u'/' + logFileName(f->clock.localDate());
    f->choose(u"optLog(1)"_s);
    sendAndWaitForReport();
    QVERIFY(QFile::exists(path));
    if (change == u"rename")
        QVERIFY(QFile::rename(path, path + u".old"_s));
    else if (change == u"delete")
        QVERIFY(QFile::remove(path));
    else
        QVERIFY(QDir().rename(folder, folder + u".old"_s) && QDir().mkpath(folder));
    const QString recv = sendAndWaitForReport();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    if (change == u"delete" && r5::test::runsUnderWine())
        QEXPECT_FAIL("", r5::test::kWineKeepsDeletedFile, Continue);
    QCOMPARE(file.readAll(), "\r\n" + recv.toLatin1() + "\r\n\r\n");
    if (change == u"folder")
        QDir(folder + u".old"_s).removeRecursively();
}

void TstDisimE2e::arrivalsOfWrongLength()
{
    QTcpServer device;
    QVERIFY(device.listen(QHostAddress::LocalHost, 0));
    f->type(u"txtDestIP"_s, u"127.0.0.1"_s);
    f->type(u"txtDestPort"_s, QString::number(device.serverPort()));
    f->click(u"cmdConnect"_s);
    QTRY_VERIFY(device.hasPendingConnections());
    QTcpSocket *peer = device.nextPendingConnection();
    QTRY_COMPARE(f->lines().size(), 1);

    const auto arrive = [&](const QByteArray &bytes, const QString &line) {
        peer->write(bytes);
        QTRY_COMPARE(f->lines().last(), line);
    };
    peer->write("N");
    QTest::qWait(200); // let the single byte arrive on its own
    arrive(QByteArray(2, '1'), u"Different responce data length : 2 Bytes"_s);
    const QByteArray report = QByteArray("N01010110") + QByteArray(24, '\0');
    arrive(report + report, u"Different responce data length : 66 Bytes"_s);
    arrive(report.left(20), u"Different responce data length : 20 Bytes"_s);
    arrive(report.mid(20), u"Different responce data length : 13 Bytes"_s);
    QCOMPARE(f->lines().size(), 5);
    QCOMPARE(f->lines().filter(u" RECV : "_s).size(), 0);
    QCOMPARE(f->text(u"txt_Input(1)"_s), QString());
    QVERIFY(f->button(u"cmdDisconnect"_s)->isEnabled());
}

void TstDisimE2e::pingLoopback()
{
    f = std::make_unique<SimFixture>(true);
    f->type(u"txtDestIP"_s, u"127.0.0.1"_s);
    f->click(u"cmdPingStart"_s);
    QTRY_VERIFY_WITH_TIMEOUT(!f->lines().isEmpty(), Echo::kTimeoutMs + 5000);
    const QString line = f->lines().first();
    static const QRegularExpression reply(u"^Reply From 127\\.0\\.0\\.1: Bytes=0 Time=\\d+ms TTL=\\d+$"_s);
    QVERIFY2(reply.match(line).hasMatch() || line.startsWith(u"Ping: no ICMP socket permitted"_s),
             qPrintable(line));
    f->click(u"cmdPingStop"_s);
    f->click(u"cmdPingStop"_s);
    QCOMPARE(f->lines().filter(u"Ping Test End~!!"_s).size(), 1);
    QCOMPARE(f->lines().last(), u"Ping Test End~!!"_s);
}

QTEST_MAIN(TstDisimE2e)
#include "tst_disime2e.moc"
