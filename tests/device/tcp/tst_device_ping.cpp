#include "echokinds.h"
#include "pingfakes.h"
#include "r5device/tcp/icmpecho.h"
#include "r5device/tcp/pingsession.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace disim;
using disim::test::FakeEcho;
using disim::test::FakeResolver;

namespace {
QString firstLine(PingSession &session)
{
    QSignalSpy lines(&session, &PingSession::line);
    if (lines.isEmpty() && !lines.wait(Echo::kTimeoutMs + 5000))
        return {};
    return lines.first().at(0).toString();
}

// A session whose name "dev" resolves to `address`, with an echo the test ends by hand.
struct FakePing
{
    explicit FakePing(const QString &address = u"127.0.0.1"_s)
    {
        resolver.table.insert(u"dev"_s, QHostAddress(address));
    }
    FakeResolver resolver;
    FakeEcho echo;
    PingSession session{resolver, echo};
    QSignalSpy lines{&session, &PingSession::line};
};

const QRegularExpression kLoopbackReply(u"^Reply From 127\\.0\\.0\\.1: Bytes=0 Time=\\d+ms TTL=(\\d+)$"_s);
} // namespace

class TstDisimPing : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void loopbackEcho_data();
    void loopbackEcho();
    void noSocketKindListsWhy();
    void unknownHostRepeatsTypedText();
    void resolvesTrimmedName();
    void noAnswerNamesAddress();
    void ticksDuringAttemptCollapseIntoOne();
    void stopDropsAttemptAndIsOnce();
    void literalAddressesNeedNoLookup();
};

void TstDisimPing::loopbackEcho_data()
{
    QTest::addColumn<int>("kinds");
    QTest::addColumn<bool>("permitted");
    for (const auto &row : disim::test::echoKindRows()) {
        if (qEnvironmentVariableIsSet("R5_EXPECT_ICMP_DATAGRAM") && row.kinds == IcmpEcho::Datagram)
            QVERIFY(row.permitted);
        QTest::newRow(row.name) << row.kinds << row.permitted;
    }
}

void TstDisimPing::loopbackEcho()
{
    QFETCH(int, kinds);
    QFETCH(bool, permitted);
    SystemResolver resolver;
    IcmpEcho echo{IcmpEcho::SocketKinds(kinds)};
    PingSession session(resolver, echo);
    QSignalSpy lines(&session, &PingSession::line);
    session.start(u"127.0.0.1"_s);
    QVERIFY(session.isAttemptRunning());
    QVERIFY(lines.wait(Echo::kTimeoutMs + 5000));
    const QString line = lines.first().at(0).toString();
    if (!permitted) {
        QVERIFY2(line.startsWith(u"Ping: no ICMP socket permitted ("_s), qPrintable(line));
        return;
    }
    const auto m = kLoopbackReply.match(line);
    QVERIFY2(m.hasMatch(), qPrintable(line));
    QVERIFY(m.captured(1).toInt() > 0);
    // The next tick pings again with a new sequence number, and is answered as well.
    QVERIFY(lines.wait(PingSession::kIntervalMs + Echo::kTimeoutMs + 5000));
    QVERIFY2(kLoopbackReply.match(lines.at(1).at(0).toString()).hasMatch(),
             qPrintable(lines.at(1).at(0).toString()));
    QVERIFY(session.stop());
}

void TstDisimPing::noSocketKindListsWhy()
{
    if (!disim::test::socketKindsApply())
        QSKIP("this system's echo has no socket kinds to refuse");
    SystemResolver resolver;
    IcmpEcho echo{IcmpEcho::SocketKinds()};
    PingSession session(resolver, echo);
    session.start(u"127.0.0.1"_s);
    const QString line = firstLine(session);
    QVERIFY2(line.startsWith(u"Ping: no ICMP socket permitted ("_s), qPrintable(line));
    QVERIFY(line.contains(u"ping_group_range"_s));
    QVERIFY(line.contains(u"CAP_NET_RAW"_s));
}

void TstDisimPing::unknownHostRepeatsTypedText()
{
    FakeResolver resolver;
    FakeEcho echo;
    PingSession session(resolver, echo);
    session.start(u"  nohost.invalid "_s);
    QCOMPARE(firstLine(session), u"Ping: Unknown Host   nohost.invalid "_s);
    QCOMPARE(resolver.asked, QStringList{u"nohost.invalid"_s});
    QVERIFY(echo.targets.isEmpty());
    QVERIFY(session.isRunning());
}

void TstDisimPing::resolvesTrimmedName()
{
    FakeResolver resolver;
    FakeEcho echo;
    const QString name = QString(60, u'a') + u".lan"_s;
    resolver.table.insert(name, QHostAddress(u"127.0.0.1"_s));
    PingSession session(resolver, echo);
    session.start(u" "_s + name + u"-and-more-than-64"_s);
    QTRY_COMPARE(echo.targets.size(), 1);
    QCOMPARE(resolver.asked, QStringList{name});
    QCOMPARE(echo.targets.first(), QHostAddress(u"127.0.0.1"_s));
}

void TstDisimPing::noAnswerNamesAddress()
{
    FakePing p(u"127.0.0.9"_s);
    p.session.start(u"dev"_s);
    QTRY_VERIFY(p.echo.running);
    p.echo.complete({});
    QCOMPARE(p.lines.size(), 1);
    QCOMPARE(p.lines.first().at(0).toString(), u"No answer from 127.0.0.9"_s);
}

void TstDisimPing::ticksDuringAttemptCollapseIntoOne()
{
    FakePing p;
    p.session.start(u"dev"_s);
    QTRY_VERIFY(p.echo.running);
    // Two ticks fall due while the first attempt waits for its reply.
    QTest::qWait(2 * PingSession::kIntervalMs + 300);
    QCOMPARE(p.echo.targets.size(), 1);
    p.echo.complete(FakeEcho::reply(u"127.0.0.1"_s));
    // One attempt follows at once for the missed ticks, not two.
    QTRY_COMPARE(p.echo.targets.size(), 2);
    p.echo.complete(FakeEcho::reply(u"127.0.0.1"_s));
    QCOMPARE(p.echo.targets.size(), 2);
    QCOMPARE(p.lines.size(), 2);
    QVERIFY(!p.session.isAttemptRunning());
}

void TstDisimPing::stopDropsAttemptAndIsOnce()
{
    FakePing p;
    PingSession &session = p.session;
    FakeEcho &echo = p.echo;
    QVERIFY(!session.stop());
    session.start(u"dev"_s);
    QTRY_VERIFY(echo.running);
    QVERIFY(session.stop());
    QCOMPARE(echo.cancels, 1);
    QVERIFY(!session.stop());
    echo.complete({}); // a late answer to the dropped attempt
    QTest::qWait(50);
    QVERIFY(p.lines.isEmpty());
    QVERIFY(!session.isRunning());
}

void TstDisimPing::literalAddressesNeedNoLookup()
{
    SystemResolver resolver;
    QObject context;
    std::optional<std::optional<QHostAddress>> got;
    const auto record = [&](std::optional<QHostAddress> a) { got = a; };
    resolver.resolve(u"127.0.0.1"_s, &context, record);
    QTRY_VERIFY(got.has_value());
    QCOMPARE(got->value_or(QHostAddress()), QHostAddress(u"127.0.0.1"_s));
    got.reset();
    resolver.resolve(QString(), &context, record);
    QTRY_VERIFY(got.has_value());
    QVERIFY(!got->has_value());
    got.reset();
    resolver.resolve(u"::1"_s, &context, record); // IPv4 only, as the echo is
    QTRY_VERIFY(got.has_value());
    QVERIFY(!got->has_value());
}

QTEST_GUILESS_MAIN(TstDisimPing)
#include "tst_device_ping.moc"
