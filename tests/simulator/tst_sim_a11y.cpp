// What assistive technology reads from Simulator's window: the window's role and caption, the
// byte count beside the data input as it is typed, the activity list's rows.
#include "a11yprobe.h"
#include "fakes.h"
#include "r5/accessibility.h"
#include "sim/frmsimulator.h"
#include "simpeer.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TstSimA11y : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void controlsSpeak_data();
    void controlsSpeak();

private:
    template <typename T = QWidget> T *child(const QString &name) const
    {
        return m_window->findChild<T *>(name);
    }
    QString row(int i) const
    {
        const QAbstractItemModel *model = child<QListView>(u"List1"_s)->model();
        return model->index(i, 0).data().toString();
    }

    QTemporaryDir m_settings;
    QTemporaryDir m_appDir;
    r5::test::FakePrompter m_prompter;
    r5::test::FakeClock m_clock{QDateTime(QDate(2026, 12, 7), QTime(9, 15, 2, 125))};
    r5::test::FakeLauncher m_launcher;
    std::unique_ptr<simtest::PeerServer> m_peer;
    std::unique_ptr<r5::sim::frmSimulator> m_window;
};

void TstSimA11y::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
    r5::a11y::install();
    m_peer = std::make_unique<simtest::PeerServer>();
    m_window = std::make_unique<r5::sim::frmSimulator>(m_prompter, m_clock, m_launcher, m_appDir.path());
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));

    const QStringList octets{u"127"_s, u"0"_s, u"0"_s, u"1"_s};
    for (int i = 0; i < 4; ++i)
        child<QLineEdit>(u"txt_Destination_IP_"_s + QString::number(i))->setText(octets[i]);
    child<QLineEdit>(u"txt_Destination_Port"_s)->setText(m_peer->portText());
    auto *receiveOnly = child<QRadioButton>(u"opt_Receive_Only"_s);
    QTest::mouseClick(receiveOnly, Qt::LeftButton, {}, QPoint(6, receiveOnly->height() / 2));
    auto *input = child<QLineEdit>(u"txt_Data_Input"_s);
    input->setFocus();
    QTest::keyClicks(QApplication::focusWidget(), u"HELLO"_s);
    QTest::mouseClick(child(u"Cmd_Start"_s), Qt::LeftButton);
    QTRY_VERIFY(m_peer->connections == 1 && row(0).endsWith(u"] : Connection Success"_s));
}

void TstSimA11y::cleanupTestCase()
{
    QCOMPARE(m_prompter.unexpected(), QStringList());
    m_window.reset();
    m_peer.reset();
}

void TstSimA11y::controlsSpeak_data()
{
    r5::test::addAccessibleColumns();

    QTest::newRow("window") << QString() << -1 << -1 << int(QAccessible::Window)
                            << u"Korvia Simulator Ver3.5.1 (2011/06/08)"_s << QString();
    QTest::newRow("data input") << u"txt_Data_Input"_s << -1 << -1 << int(QAccessible::EditableText)
                                << u"Data input"_s << u"HELLO"_s;
    QTest::newRow("byte count") << u"Label9"_s << -1 << -1 << int(QAccessible::StaticText)
                                << u"Data input bytes"_s << u"5"_s;
    QTest::newRow("step byte count") << u"lvlcnt_Byte_0"_s << -1 << -1 << int(QAccessible::StaticText)
                                     << u"1 Step bytes"_s << u"0"_s;
    QTest::newRow("activity row") << u"List1"_s << 0 << 0 << int(QAccessible::ListItem)
                                  << u"[09:15:02.125] : Connection Success"_s << QString();
}

void TstSimA11y::controlsSpeak()
{
    R5_CHECK_ACCESSIBLE_ROW(m_window.get());
}

QTEST_MAIN(TstSimA11y)
#include "tst_sim_a11y.moc"
