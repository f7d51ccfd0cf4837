#include "simfixture.h"
#include "ui/settings.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace disim;
using disim::test::SimFixture;

class TstFrmSim3810 : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void startUpState();
    void everyInputHasAnAccessibleName();
    void keyFilter_data();
    void keyFilter();
    void commandOptionsEnableArguments();
    void repeatOptionEnablesInterval();
    void settingsRestoredAtNextStart();
    void badPortGivesMessageNoAttempt_data();
    void badPortGivesMessageNoAttempt();
    void badIntervalDoesNotStartRepeat_data();
    void badIntervalDoesNotStartRepeat();
    void pingStartStop();
    void makerLink();
    void listClear();
    void cleanup();

private:
    QTemporaryDir m_settingsDir;
    std::unique_ptr<SimFixture> f;
};

void TstFrmSim3810::initTestCase()
{
    QVERIFY(m_settingsDir.isValid());
    disim::test::isolateSettings(m_settingsDir);
}

void TstFrmSim3810::init()
{
    openSettings()->remove(QString());
    f = std::make_unique<SimFixture>();
}

void TstFrmSim3810::cleanup()
{
    if (f)
        QCOMPARE(f->prompter.unexpected(), QStringList());
    f.reset();
}

void TstFrmSim3810::startUpState()
{
    QCOMPARE(f->window->windowTitle(), u"Korvia 3810/3850 Simulator Ver2.0 (2011.08.16)"_s);
    QCOMPARE(f->text(u"txtDestIP"_s), u"192.168.1.110"_s);
    QCOMPARE(f->text(u"txtDestPort"_s), u"4000"_s);
    QCOMPARE(f->combo(u"cboTime"_s)->currentText(), u"1"_s);
    QCOMPARE(f->edit(u"txtDestIP"_s)->maxLength(), 15);
    QCOMPARE(f->edit(u"txtDestPort"_s)->maxLength(), 5);

    QStringList frames;
    for (const QGroupBox *g : f->window->findChildren<QGroupBox *>())
        frames << g->title();
    for (const QString &t :
         {u" TCP Information "_s, u" Data Send Action "_s, u" Data Send "_s, u" Log Level "_s,
          u" Ping TEST "_s, u" DI "_s, u" DO"_s, u" Counter "_s, u"GapTime"_s, u"CheckSum"_s})
        QVERIFY2(frames.contains(t), qPrintable(t));

    const QStringList enabled{u"cmdConnect"_s,   u"cmdSend"_s,     u"cmdClear"_s,
                              u"cmdPingStart"_s, u"cmdPingStop"_s, u"txtDestIP"_s};
    const QStringList disabled{u"cmdDisconnect"_s, u"cmdEnd"_s,   u"cboTime"_s,    u"lblTime(0)"_s,
                               u"lblTime(1)"_s,    u"ComboSet"_s, u"ComboValue"_s, u"ComboReset"_s};
    for (const QString &n : enabled)
        QVERIFY2(f->child(n)->isEnabled(), qPrintable(n));
    for (const QString &n : disabled)
        QVERIFY2(!f->child(n)->isEnabled(), qPrintable(n));

    QVERIFY(f->option(u"optCommand(0)"_s)->isChecked());
    QVERIFY(f->option(u"optInterval(0)"_s)->isChecked());
    QVERIFY(f->option(u"optLog(0)"_s)->isChecked());
    QCOMPARE(f->option(u"optCommand(1)"_s)->text(), u"T (DO Setting) "_s);
    QCOMPARE(f->option(u"optLog(1)"_s)->text(), u"List + File"_s);

    const auto items = [&](const QString &name) {
        QStringList out;
        QComboBox *c = f->combo(name);
        for (int i = 0; i < c->count(); ++i)
            out << c->itemText(i);
        return out;
    };
    QCOMPARE(items(u"ComboSet"_s), (QStringList{u"1"_s, u"2"_s, u"A"_s}));
    QCOMPARE(items(u"ComboValue"_s), (QStringList{u"0"_s, u"1"_s}));
    QCOMPARE(items(u"ComboReset"_s), (QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"6"_s, u"A"_s}));
    QCOMPARE(items(u"cboTime"_s).size(), 15);
    QCOMPARE(items(u"cboTime"_s).last(), u"15"_s);
    for (const QString &c : {u"ComboSet"_s, u"ComboValue"_s, u"ComboReset"_s})
        QCOMPARE(f->combo(c)->currentIndex(), 0);

    QVERIFY(!f->window->findChild<QTimer *>(u"SendTimer"_s)->isActive());
    QVERIFY(f->lines().isEmpty());
    QCOMPARE(f->window->minimumSize(), f->window->maximumSize());
}

void TstFrmSim3810::everyInputHasAnAccessibleName()
{
    const QList<QWidget *> widgets = f->window->findChildren<QWidget *>();
    int inputs = 0;
    for (const QWidget *w : widgets) {
        if (qobject_cast<const QLineEdit *>(w) && w->parent() && qobject_cast<const QComboBox *>(w->parent()))
            continue; // the combo box's own editor speaks through the combo box
        if (qobject_cast<const QLineEdit *>(w) || qobject_cast<const QComboBox *>(w) ||
            qobject_cast<const QAbstractButton *>(w)) {
            ++inputs;
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
        }
    }
    QVERIFY(inputs >= 40);
}

void TstFrmSim3810::keyFilter_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("result");
    for (const QString &c : {u"txtDestIP"_s, u"txtDestPort"_s, u"cboTime"_s}) {
        const QByteArray name = c.toLatin1();
        QTest::addRow("%s digits and dot", name.constData()) << c << u"12.5"_s << u"12.5"_s;
        QTest::addRow("%s letter", name.constData()) << c << u"1a2"_s << u"12"_s;
        QTest::addRow("%s minus", name.constData()) << c << u"-3"_s << u"3"_s;
        QTest::addRow("%s space and colon", name.constData()) << c << u"4 :5"_s << u"45"_s;
        QTest::addRow("%s letters only", name.constData()) << c << u"abc7"_s << u"7"_s;
        QTest::addRow("%s digit minus letter", name.constData()) << c << u"3-q9"_s << u"39"_s;
    }
}

void TstFrmSim3810::keyFilter()
{
    QFETCH(QString, control);
    QFETCH(QString, typed);
    QFETCH(QString, result);
    f->choose(u"optInterval(1)"_s); // the interval box takes keys only while enabled
    f->type(control, typed);
    QWidget *w = f->child(control);
    const QString text = qobject_cast<QComboBox *>(w) ? qobject_cast<QComboBox *>(w)->currentText()
                                                      : qobject_cast<QLineEdit *>(w)->text();
    QCOMPARE(text, result);
    // Backspace is one of the keys let through.
    QLineEdit *e = qobject_cast<QLineEdit *>(w) ? qobject_cast<QLineEdit *>(w)
                                                : qobject_cast<QComboBox *>(w)->lineEdit();
    f->key(control, Qt::Key_Backspace);
    QCOMPARE(e->text(), result.chopped(1));
    // Enter keeps the text and adds nothing to a list.
    f->key(control, Qt::Key_Return);
    QCOMPARE(e->text(), result.chopped(1));
    if (auto *combo = qobject_cast<QComboBox *>(w))
        QCOMPARE(combo->count(), 15);
}

void TstFrmSim3810::commandOptionsEnableArguments()
{
    const auto enabled = [&]() -> QString {
        return QString::number(f->combo(u"ComboSet"_s)->isEnabled()) +
               QString::number(f->combo(u"ComboValue"_s)->isEnabled()) +
               QString::number(f->combo(u"ComboReset"_s)->isEnabled());
    };
    f->choose(u"optCommand(1)"_s);
    QCOMPARE(enabled(), u"110"_s);
    f->choose(u"optCommand(2)"_s);
    QCOMPARE(enabled(), u"001"_s);
    f->choose(u"optCommand(0)"_s);
    QCOMPARE(enabled(), u"000"_s);
}

void TstFrmSim3810::repeatOptionEnablesInterval()
{
    QComboBox *time = f->combo(u"cboTime"_s);
    f->choose(u"optInterval(1)"_s);
    QVERIFY(time->isEnabled());
    QVERIFY(f->child(u"lblTime(0)"_s)->isEnabled());
    QVERIFY(f->child(u"lblTime(1)"_s)->isEnabled());
    QCOMPARE(time->palette().color(QPalette::Base), QColor(Qt::white));
    f->choose(u"optInterval(0)"_s);
    QVERIFY(!time->isEnabled());
    QVERIFY(!f->child(u"lblTime(0)"_s)->isEnabled());
    QVERIFY(time->palette().color(QPalette::Base) != QColor(Qt::white));
}

void TstFrmSim3810::settingsRestoredAtNextStart()
{
    f->type(u"txtDestIP"_s, u"127.0.0.1"_s);
    f->type(u"txtDestPort"_s, u"40000"_s);
    f->choose(u"optInterval(1)"_s);
    QComboBox *time = f->combo(u"cboTime"_s);
    time->setCurrentIndex(time->findText(u"7"_s)); // a pick from the list
    {
        const auto s = openSettings();
        QCOMPARE(s->value(u"ADDRESS"_s).toString(), u"127.0.0.1"_s);
        QCOMPARE(s->value(u"PORT"_s).toString(), u"40000"_s);
        QCOMPARE(s->value(u"INTERVAL"_s).toString(), u"7"_s);
    }
    f->type(u"cboTime"_s, u"2.5"_s);
    QCOMPARE(openSettings()->value(u"INTERVAL"_s).toString(), u"2.5"_s);
    QVERIFY(f->child<QCheckBox>(u"chkCsv"_s)->isChecked());
    QTest::mouseClick(f->child(u"chkCsv"_s), Qt::LeftButton, {}, QPoint(4, 4));
    QCOMPARE(openSettings()->value(u"CSV"_s).toString(), u"0"_s);

    f->create();
    QCOMPARE(f->text(u"txtDestIP"_s), u"127.0.0.1"_s);
    QCOMPARE(f->text(u"txtDestPort"_s), u"40000"_s);
    QCOMPARE(f->combo(u"cboTime"_s)->currentText(), u"2.5"_s);
    QVERIFY(f->option(u"optInterval(0)"_s)->isChecked());
    QVERIFY(!f->child<QCheckBox>(u"chkCsv"_s)->isChecked());
}

void TstFrmSim3810::badPortGivesMessageNoAttempt_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("button");
    QTest::newRow("empty, connect") << QString() << u"cmdConnect"_s;
    QTest::newRow("zero, connect") << u"0"_s << u"cmdConnect"_s;
    QTest::newRow("too big, connect") << u"70000"_s << u"cmdConnect"_s;
    QTest::newRow("pasted letters, connect") << u"4o00"_s << u"cmdConnect"_s;
    QTest::newRow("empty, send") << QString() << u"cmdSend"_s;
    QTest::newRow("too big, send") << u"99999"_s << u"cmdSend"_s;
}

void TstFrmSim3810::badPortGivesMessageNoAttempt()
{
    QFETCH(QString, port);
    QFETCH(QString, button);
    f->edit(u"txtDestIP"_s)->setText(u"127.0.0.1"_s);
    f->edit(u"txtDestPort"_s)->setText(port); // as pasted: no key filter
    f->click(button);
    QCOMPARE(f->prompter.takeTexts(), QStringList{u"Port must be a whole number from 1 to 65535."_s});
    QTest::qWait(50);
    QVERIFY(f->lines().isEmpty());
    QVERIFY(f->button(u"cmdConnect"_s)->isEnabled());
    // Nothing was sent, so the send options stay as they were.
    QVERIFY(f->option(u"optInterval(0)"_s)->isEnabled());
}

void TstFrmSim3810::badIntervalDoesNotStartRepeat_data()
{
    QTest::addColumn<QString>("interval");
    QTest::newRow("zero") << u"0"_s;
    QTest::newRow("empty") << QString();
    QTest::newRow("dot") << u"."_s;
    QTest::newRow("below a millisecond") << u"0.0001"_s;
}

void TstFrmSim3810::badIntervalDoesNotStartRepeat()
{
    QFETCH(QString, interval);
    f->choose(u"optInterval(1)"_s);
    f->type(u"cboTime"_s, interval);
    f->type(u"txtDestPort"_s, u"4000"_s);
    f->click(u"cmdSend"_s);
    QCOMPARE(f->prompter.takeTexts(), QStringList{u"Time Interval must be more than 0 seconds."_s});
    QVERIFY(!f->window->findChild<QTimer *>(u"SendTimer"_s)->isActive());
    QVERIFY(f->combo(u"cboTime"_s)->isEnabled());
    QTest::qWait(50);
    QVERIFY(f->lines().isEmpty());
}

void TstFrmSim3810::pingStartStop()
{
    f->resolver.table.insert(u"127.0.0.1"_s, QHostAddress(u"127.0.0.1"_s));
    f->type(u"txtDestIP"_s, u"127.0.0.1"_s);
    f->click(u"cmdPingStart"_s);
    QVERIFY(!f->edit(u"txtDestIP"_s)->isEnabled());
    QTRY_COMPARE(f->echo.targets.size(), 1);
    f->echo.complete(disim::test::FakeEcho::reply(u"127.0.0.1"_s, 3, 64));
    QCOMPARE(f->lines(), QStringList{u"Reply From 127.0.0.1: Bytes=0 Time=3ms TTL=64"_s});
    f->click(u"cmdPingStop"_s);
    f->click(u"cmdPingStop"_s);
    QCOMPARE(f->lines().last(), u"Ping Test End~!!"_s);
    QCOMPARE(f->lines().count(u"Ping Test End~!!"_s), 1);
    QVERIFY(f->edit(u"txtDestIP"_s)->isEnabled());

    // An unknown host repeats the text as typed.
    f->edit(u"txtDestIP"_s)->setText(u" nohost "_s);
    f->click(u"cmdPingStart"_s);
    QTRY_COMPARE(f->lines().last(), u"Ping: Unknown Host  nohost "_s);
    QCOMPARE(f->resolver.asked.last(), u"nohost"_s);
    f->click(u"cmdPingStop"_s);
}

void TstFrmSim3810::makerLink()
{
    f->click(u"Label1(1)"_s);
    f->click(u"Label1(0)"_s);
    QCOMPARE(f->launcher.urls.size(), 2);
    QCOMPARE(f->launcher.urls.first(), frmSim_3810::makerUrl());
    QCOMPARE(f->child<QLabel>(u"Label1(1)"_s)->text(), frmSim_3810::makerUrl().toString());
    f->launcher.succeed = false;
    f->click(u"Label1(1)"_s);
    const auto boxes = f->prompter.takeBoxes();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().title, u"Error"_s);
    QCOMPARE(boxes.first().icon, r5::Prompter::Icon::Critical);
}

void TstFrmSim3810::listClear()
{
    f->type(u"txtDestIP"_s, u"127.0.0.1"_s);
    f->click(u"cmdPingStart"_s);
    QTRY_COMPARE(f->lines().size(), 1);
    f->click(u"cmdPingStop"_s);
    QCOMPARE(f->lines().size(), 2);
    f->click(u"cmdClear"_s);
    QVERIFY(f->lines().isEmpty());
    f->click(u"cmdPingStart"_s);
    QTRY_COMPARE(f->lines().size(), 1);
    QVERIFY(f->lines().first().startsWith(u"Ping: Unknown Host"_s));
    f->click(u"cmdPingStop"_s);
}

QTEST_MAIN(TstFrmSim3810)
#include "tst_frmsim3810.moc"
