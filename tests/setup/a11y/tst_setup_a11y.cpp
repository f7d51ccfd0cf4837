// What assistive technology reads from devsetup's window once a device has answered: the
// window's role and caption, the device's values, an edit, the access point grid.
#include "a11yprobe.h"
#include "fakes.h"
#include "frames.h"
#include "r5/accessibility.h"
#include "r5setup/ui/appage.h"
#include "r5setup/ui/mainwindow.h"
#include "serialpair.h"
#include "viewsupport.h"

#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace Qt::StringLiterals;
namespace tf = testframes;

class TstSetupA11y : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void controlsSpeak_data();
    void controlsSpeak();

private:
    ViewFixture m_f{QDateTime(QDate(2026, 12, 7), QTime(14, 5, 9))};
    std::unique_ptr<r5::test::SerialPair> m_pty;
};

void TstSetupA11y::initTestCase()
{
    r5::a11y::install();
    QVERIFY(m_f.enter());
    m_pty = std::make_unique<r5::test::SerialPair>();
    QVERIFY(m_pty->isValid());
    QVERIFY(m_f.makeWindow(m_pty->portName()));
    QTest::mouseClick(m_f.window->findChild<QPushButton *>(u"ButtonStart"_s), Qt::LeftButton);
    QVERIFY(m_f.window->link().isOpen());

    tf::Status status;
    status.mac = QByteArray::fromHex("001A2B3C4DEF");
    QVERIFY(m_pty->write(status.frame()));
    QVERIFY(m_pty->write(tf::rssiFrame("LAB", "-70")));
    QVERIFY(m_pty->write(tf::frame(0x48, "1" + tf::apRecord("R5200TX_LAB", "6", "-58", "WPA2_PSK"))));
    const QTableWidget *grid = m_f.window->apPage().grid();
    QTRY_COMPARE(grid->item(0, 1) ? grid->item(0, 1)->text() : QString(), u"R5200TX_LAB"_s);
    QCOMPARE(m_f.shown(u"Panel_Quality"_s), u"60%"_s);
    QCOMPARE(m_f.shown(u"PanelMacAddr"_s), u"00:1A:2B:3C:4D:EF"_s);
}

void TstSetupA11y::cleanupTestCase()
{
    m_f.leave();
    m_pty.reset();
}

void TstSetupA11y::controlsSpeak_data()
{
    r5::test::addAccessibleColumns();

    QTest::newRow("window") << QString() << -1 << -1 << int(QAccessible::Window)
                            << u"Korvia R5200TX Serial Setup Program"_s << QString();
    QTest::newRow("device name") << u"Panel_DevName"_s << -1 << -1 << int(QAccessible::StaticText)
                                 << u"Device Name"_s << u"R5200TX"_s;
    QTest::newRow("version") << u"Panel_Version"_s << -1 << -1 << int(QAccessible::StaticText)
                             << u"F/W Version"_s << u"1.05"_s;
    QTest::newRow("MAC") << u"PanelMacAddr"_s << -1 << -1 << int(QAccessible::StaticText) << u"MAC Address"_s
                         << u"00:1A:2B:3C:4D:EF"_s;
    QTest::newRow("quality") << u"Panel_Quality"_s << -1 << -1 << int(QAccessible::StaticText) << u"Quality"_s
                             << u"60%"_s;
    QTest::newRow("WAN address edit")
        << u"Edit_IP1"_s << -1 << -1 << int(QAccessible::EditableText) << u"IP Address 1"_s << u"127"_s;
    QTest::newRow("grid cell SSID") << u"APList_Grid"_s << 0 << 1 << int(QAccessible::Cell)
                                    << u"R5200TX_LAB"_s << QString();
    QTest::newRow("grid cell quality")
        << u"APList_Grid"_s << 0 << 4 << int(QAccessible::Cell) << u"84%"_s << QString();
}

void TstSetupA11y::controlsSpeak()
{
    R5_CHECK_ACCESSIBLE_ROW(m_f.window.get());
}

QTEST_MAIN(TstSetupA11y)
#include "tst_setup_a11y.moc"
