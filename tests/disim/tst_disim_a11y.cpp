// What assistive technology reads from Simulator_3810's window after a report from the virtual
// device on 127.0.0.1: the window's role and caption, the fields, the activity list's rows.
#include "a11yprobe.h"
#include "r5/accessibility.h"
#include "simfixture.h"
#include "virt/tcpside.h"

#include <QListWidget>

using namespace Qt::StringLiterals;
using disim::test::SimFixture;

class TstDisimA11y : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void controlsSpeak_data();
    void controlsSpeak();

private:
    QTemporaryDir m_settingsDir;
    std::unique_ptr<virt::TcpSide> m_side;
    std::unique_ptr<SimFixture> f;
};

void TstDisimA11y::initTestCase()
{
    disim::test::isolateSettings(m_settingsDir);
    r5::a11y::install();
    m_side = std::make_unique<virt::TcpSide>();
    virt::TcpConfig c;
    c.address = QHostAddress::LocalHost;
    c.port = 0;
    c.mode = 'N';
    c.pulsesPerSecond = 0;
    QVERIFY(m_side->start(c));
    f = std::make_unique<SimFixture>();
    f->type(u"txtDestIP"_s, u"127.0.0.1"_s);
    f->type(u"txtDestPort"_s, QString::number(m_side->port()));
    f->click(u"cmdConnect"_s);
    QTRY_VERIFY(!f->lines().isEmpty() && f->lines().last().endsWith(u"] Socket Connected!!"_s));
    f->click(u"cmdSend"_s);
    QTRY_VERIFY(f->lines().last().contains(u" RECV : "_s));
    QCOMPARE(f->prompter.takeTexts(), QStringList());
}

void TstDisimA11y::cleanupTestCase()
{
    f.reset();
    m_side.reset();
}

void TstDisimA11y::controlsSpeak_data()
{
    r5::test::addAccessibleColumns();

    const virt::DiState &s = m_side->state();
    const QStringList lines = f->lines();
    QTest::newRow("window") << QString() << -1 << -1 << int(QAccessible::Window)
                            << u"Korvia 3810/3850 Simulator Ver2.0 (2011.08.16)"_s << QString();
    QTest::newRow("address") << u"txtDestIP"_s << -1 << -1 << int(QAccessible::EditableText)
                             << u"Destination IP"_s << u"127.0.0.1"_s;
    QTest::newRow("input") << u"txt_Input(0)"_s << -1 << -1 << int(QAccessible::EditableText) << u"DI CH00"_s
                           << QString(QChar::fromLatin1(s.inputs[0]));
    QTest::newRow("output") << u"txt_Output(1)"_s << -1 << -1 << int(QAccessible::EditableText)
                            << u"DO CH01"_s << u"0"_s;
    QTest::newRow("counter") << u"txtCounter(5)"_s << -1 << -1 << int(QAccessible::EditableText)
                             << u"Counter 5"_s << QString::number(s.counters[5]);
    QTest::newRow("first activity row")
        << u"List1"_s << 0 << 0 << int(QAccessible::ListItem) << lines.first() << QString();
    QTest::newRow("report row") << u"List1"_s << int(lines.size() - 1) << 0 << int(QAccessible::ListItem)
                                << lines.last() << QString();
}

void TstDisimA11y::controlsSpeak()
{
    R5_CHECK_ACCESSIBLE_ROW(f->window.get());
}

QTEST_MAIN(TstDisimA11y)
#include "tst_disim_a11y.moc"
