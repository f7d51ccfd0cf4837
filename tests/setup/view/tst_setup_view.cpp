// Expected texts and frames are built with plain +, which the string builder would turn into proxies.
#undef QT_USE_QSTRINGBUILDER

// The device view of devsetup: the window on a pseudo-terminal whose other side plays the
// device with scripted bytes.
#include "fakes.h"
#include "frames.h"
#include "r5device/protocol/receivepath.h"
#include "r5setup/ui/appage.h"
#include "r5setup/ui/defaultpage.h"
#include "r5setup/ui/deviceview.h"
#include "r5setup/ui/formwidgets.h"
#include "r5setup/ui/mainwindow.h"
#include "r5setup/ui/pagecontrol.h"
#include "serialpair.h"
#include "viewsupport.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace r5setup;
namespace tf = testframes;

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(14, 5, 9));
const QString kStamp = u"14:05:09"_s;

const QStringList kStatusFields = statusFieldNames();
const QStringList kApFields{u"Edit_Current_SSID"_s, u"Edit_Current_Pw"_s, u"Edit_Current_RSSI"_s,
                            u"Edit_Quality"_s, u"Panel_Quality"_s};
const QStringList kStatusPanels{u"Panel_Info_Default"_s, u"Panel_Info_Wan"_s, u"Panel_Info_Server"_s,
                                u"Panel_Info_Di"_s};

const QString kModeN = u"  'N'   (0x4E;   Normal Mode;  33bytes)"_s;
const QString kModeG = u"  'G'   (0x47;   GapTime Mode; 57bytes)"_s;

// A status unlike the start values in every field (and without a byte 0xFE, which would end it).
tf::Status sampleStatus()
{
    tf::Status s;
    s.mac = QByteArray::fromHex("001A2B3C4DEF");
    s.wan = QByteArray::fromHex("7F0A141E"
                                "7F000001"
                                "FFFFFC00");
    s.port = 0x1F90;
    s.expiry = 45;
    s.mode = 'G';
    s.times[0] = 2550;
    s.times[1] = 1;
    s.times[2] = 100;
    s.times[3] = 900;
    s.times[4] = 20;
    s.modes[0] = 'R';
    s.modes[1] = 'F';
    s.modes[2] = 'X';
    s.modes[3] = 'F';
    s.modes[4] = 'F';
    s.flashInterval = 300;
    s.flashDelay = 7;
    return s;
}

const QStringList kSampleShown{u"R5200TX"_s, u"1.05"_s,   u"00:1A:2B:3C:4D:EF"_s,
                               u"127"_s,     u"10"_s,     u"20"_s,
                               u"30"_s,      u"127"_s,    u"0"_s,
                               u"0"_s,       u"1"_s,      u"255"_s,
                               u"255"_s,     u"252"_s,    u"0"_s,
                               u"8080"_s,    u"45"_s,     kModeG,
                               u"2550"_s,    u"1"_s,      u"100"_s,
                               u"900"_s,     u"20"_s,     u"Rising"_s,
                               u"Falling"_s, u"Rising"_s, u"Falling"_s,
                               u"Falling"_s, u"300"_s,    u"7"_s};

QString dumpOf(const QByteArray &bytes)
{
    QString out;
    for (const char c : bytes)
        out += u"%1."_s.arg(uint(std::uint8_t(c)), 2, 16, QChar(u'0')).toUpper();
    return out;
}

QString rxLine(const QByteArray &frame)
{
    return u"RX MSG ID:[0x%1] LEN:[%2]:[%3]"_s.arg(dumpOf(frame.mid(2, 1)).chopped(1))
        .arg(frame.size())
        .arg(dumpOf(frame));
}

QString resLine(const QByteArray &payload)
{
    const QString text = QString::fromUtf8(payload);
    return u"res[%1] = [%2]"_s.arg(text.size()).arg(text);
}

QStringList statusRequestLines()
{
    return {u"Send Current Status Read Command to Korvia R5200TX... "_s, u"TX 0x41 : [5][7E.05.41.50.FE.]"_s};
}

const QByteArray kStatusRequest("\x7E\x05\x41\x50\xFE", 5);
// A reply to a set-command: only "[EOT]" is logged, so it marks that earlier bytes are through.
const QByteArray kMarker("\x7E\x05\x45\x44\xFE", 5);

QByteArray apListPayload()
{
    return "5" + tf::apRecord("R5200TX_LAB", "6", "-58", "WPA2_PSK") +
           tf::apRecord("Office-2G", "1", "-67", "WPA2_PSK") +
           tf::apRecord("연구소 무선랜 2층", "11", "-73", "WPA_WPA2_PSK") +
           tf::apRecord("GuestNet", "3", "-88", "OPEN") + tf::apRecord("Warehouse", "13", "-95", "WPA2_PSK");
}

} // namespace

class TstSetupView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void startContents();
    void controlsAsLaidOut();
    void statusFillsEveryField_data();
    void statusFillsEveryField();
    void statusFieldRules_data();
    void statusFieldRules();
    void wrongCountsChangeNothing_data();
    void wrongCountsChangeNothing();
    void unregisteredAsksForStatusOnce_data();
    void unregisteredAsksForStatusOnce();
    void unregisteredRunIsBounded();
    void repliesToSetCommandsAreLoggedInWords();
    void overlongNoiseIsDroppedAndReceptionGoesOn();
    void burstOfLinesKeepsThePanelRule();
    void repeatedAnswerLeavesCursor();
    void apListFillsGrid();
    void currentApAndSignal_data();
    void currentApAndSignal();
    void textAnswersStayOneLine_data();
    void textAnswersStayOneLine();
    void hintQueries_data();
    void hintQueries();
    void hintQueryWithPortClosed();
    void gridDrawing();

private:
    void openWindow();
    QWidget *control(const QString &name) const
    {
        auto *w = m_f.window->findChild<QWidget *>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    QString shown(const QString &name) const { return m_f.shown(name); }
    QStringList shownAll(const QStringList &names) const { return m_f.shownAll(names); }
    QStringList gridTexts() const;
    QStringList newLines() const { return panelLines(m_f.window->memo()).mid(m_seen); }
    void markSeen() { m_seen = int(panelLines(m_f.window->memo()).size()); }
    int held() const { return m_f.window->deviceView().receivePath().receiver().held(); }
    // Writes `bytes` in the pieces given, each one received before the next is written.
    void deliver(const QByteArray &bytes, const QList<int> &pieces = {});
    // Everything the window wrote to the device up to now: a marker frame is sent and its
    // "[EOT]" awaited, so every step of the earlier frames has run.
    QByteArray writtenAfterMarker();

    ViewFixture m_f{kNow};
    std::unique_ptr<r5::test::SerialPair> m_pty;
    int m_seen = 0;
};

void TstSetupView::init()
{
    QVERIFY(m_f.enter());
    m_pty = std::make_unique<r5::test::SerialPair>();
    QVERIFY(m_pty->isValid());
    QVERIFY(m_f.makeWindow(m_pty->portName()));
    m_seen = 0;
}

void TstSetupView::cleanup()
{
    m_f.leave();
    m_pty.reset();
}

void TstSetupView::openWindow()
{
    QTest::mouseClick(qobject_cast<QPushButton *>(control(u"ButtonStart"_s)), Qt::LeftButton);
    QVERIFY2(m_f.window->link().isOpen(), qPrintable(m_f.prompter.takeTexts().join(u'|')));
    markSeen();
}

QStringList TstSetupView::gridTexts() const
{
    const QTableWidget *grid = m_f.window->apPage().grid();
    QStringList out;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < grid->columnCount(); ++c)
            row.append(grid->item(r, c) ? grid->item(r, c)->text() : QString());
        out.append(row.join(u'|'));
    }
    return out;
}

void TstSetupView::deliver(const QByteArray &bytes, const QList<int> &pieces)
{
    if (pieces.isEmpty()) {
        QVERIFY(m_pty->write(bytes));
        return;
    }
    // Each piece is read by its own receive event before the next is written.
    QSignalSpy received(&m_f.window->link(), &SerialLink::rxChar);
    qsizetype at = 0;
    for (const int size : pieces) {
        QVERIFY(m_pty->write(bytes.mid(at, size)));
        at += size;
        if (at < bytes.size())
            QVERIFY(received.wait(5000));
    }
    QCOMPARE(at, bytes.size());
}

QByteArray TstSetupView::writtenAfterMarker()
{
    const int eots = int(newLines().count(u'[' + kStamp + u"]  [EOT]"_s));
    if (!m_pty->write(kMarker))
        return "marker not written";
    if (!QTest::qWaitFor([&] { return newLines().count(u'[' + kStamp + u"]  [EOT]"_s) > eots; }))
        return "marker not received";
    m_seen = int(panelLines(m_f.window->memo()).size());
    QCoreApplication::processEvents();
    QByteArray out;
    for (QByteArray more = m_pty->read(100); !more.isEmpty(); more = m_pty->read(100))
        out += more;
    return out;
}

void TstSetupView::startContents()
{
    QStringList expected{u"Not Queried"_s, u"Not Queried"_s, u"00:00:00:00:00:00"_s};
    for (int i = 0; i < 13; ++i)
        expected.append(u"0"_s);
    expected += {u"0"_s, kModeN};
    for (int i = 0; i < 5; ++i)
        expected.append(u"10"_s);
    for (int i = 0; i < 5; ++i)
        expected.append(u"Falling"_s);
    expected += {u"0"_s, u"0"_s};
    QCOMPARE(shownAll(kStatusFields), expected);
    QCOMPARE(shownAll(kApFields),
             (QStringList{u"Not Queried"_s, u"Not Queried"_s, u"0"_s, u"100"_s, u"100%"_s}));
    const auto *signal = qobject_cast<QProgressBar *>(control(u"PB_SignalQuality"_s));
    QCOMPARE(signal->minimum(), 0);
    QCOMPARE(signal->maximum(), 100);
    QCOMPARE(shown(u"CB_Chk_RSSI_Interval"_s), u"3"_s);
    QVERIFY(!qobject_cast<QCheckBox *>(control(u"CB_RSSI_AutoChk"_s))->isChecked());
    const auto *timer = m_f.window->findChild<QTimer *>(u"Timer_AutoQryRSSI"_s);
    QVERIFY(timer);
    QVERIFY(!timer->isActive());
    QCOMPARE(timer->interval(), 3000);
    QVERIFY(!m_f.window->apPage().grid()->isEnabled());
}

void TstSetupView::controlsAsLaidOut()
{
    const QList<std::pair<QString, int>> maxLengths{{u"Edit_IP1"_s, 3},           {u"Edit_GW4"_s, 3},
                                                    {u"Edit_SM2"_s, 3},           {u"Edit_Server_Port"_s, 5},
                                                    {u"Edit_Current_SSID"_s, 32}, {u"Edit_Current_Pw"_s, 16}};
    for (const auto &[name, length] : maxLengths)
        QCOMPARE(qobject_cast<QLineEdit *>(control(name))->maxLength(), length);

    const auto items = [this](const QString &name) {
        const auto *combo = qobject_cast<QComboBox *>(control(name));
        QStringList out;
        for (int i = 0; i < combo->count(); ++i)
            out.append(combo->itemText(i));
        return std::pair{out, combo->isEditable()};
    };
    QCOMPARE(items(u"CB_Server_ExpTime"_s),
             std::pair(QStringList{u"0"_s, u"5"_s, u"10"_s, u"15"_s, u"20"_s, u"25"_s, u"30"_s, u"35"_s,
                                   u"40"_s, u"45"_s, u"50"_s, u"55"_s, u"60"_s},
                       true));
    const QStringList times{u"10"_s,  u"20"_s,  u"30"_s,  u"40"_s,  u"50"_s,   u"60"_s,   u"70"_s,
                            u"80"_s,  u"90"_s,  u"100"_s, u"200"_s, u"300"_s,  u"400"_s,  u"500"_s,
                            u"600"_s, u"700"_s, u"800"_s, u"900"_s, u"1000"_s, u"2000"_s, u"2550"_s};
    for (int i = 1; i <= 5; ++i) {
        QCOMPARE(items(u"CB_ThrouputTime"_s + QString::number(i)), std::pair(times, true));
        QCOMPARE(items(u"CB_CountMode"_s + QString::number(i)),
                 std::pair(QStringList{u"Falling"_s, u"Rising"_s}, false));
    }
    QCOMPARE(items(u"CB_Chk_RSSI_Interval"_s), std::pair(QStringList{u"3"_s, u"4"_s, u"5"_s}, false));

    auto *mode = qobject_cast<QGroupBox *>(control(u"RG_Protocol_Mode"_s));
    QCOMPARE(mode->title(), u" [Protocol Mode] "_s);
    QStringList captions;
    for (const QRadioButton *radio : mode->findChildren<QRadioButton *>())
        captions.append(radio->text());
    QCOMPARE(captions, (QStringList{kModeN, kModeG}));

    // Display-only fields.
    for (const QString &name : {u"Edit_Current_SSID"_s, u"Edit_Current_Pw"_s, u"Edit_Current_RSSI"_s})
        QVERIFY2(!control(name)->isEnabled(), qPrintable(name));
    QVERIFY(control(u"Edit_Quality"_s)->isHidden());

    // Every input on the two pages can be spoken (the parts of combo boxes and of the grid
    // are spoken as the whole).
    const auto isPart = [](const QWidget *w) {
        for (const QWidget *p = w->parentWidget(); p; p = p->parentWidget())
            if (qobject_cast<const QComboBox *>(p) || qobject_cast<const QAbstractItemView *>(p))
                return true;
        return false;
    };
    for (QWidget *page : {static_cast<QWidget *>(&m_f.window->defaultPage()),
                          static_cast<QWidget *>(&m_f.window->apPage())}) {
        for (QWidget *w : page->findChildren<QWidget *>()) {
            const bool input = qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w) ||
                               qobject_cast<QAbstractButton *>(w) || qobject_cast<QTableWidget *>(w);
            if (input && !isPart(w))
                QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName() + u' ' + shownText(w)));
        }
    }
}

void TstSetupView::statusFillsEveryField_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<int>>("pieces");
    QTest::addColumn<int>("statuses");
    const QByteArray status = sampleStatus().frame();
    QList<int> oneByOne(status.size(), 1);
    QTest::newRow("one chunk") << status << QList<int>{} << 1;
    QTest::newRow("pieces of 10, 30 and 11") << status << QList<int>{10, 30, 11} << 1;
    QTest::newRow("one byte at a time") << status << oneByOne << 1;
    QTest::newRow("one stray byte first") << "\x31" + status << QList<int>{} << 1;
    QTest::newRow("two frames in one chunk") << tf::Status{}.frame() + status << QList<int>{} << 2;
}

void TstSetupView::statusFillsEveryField()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<int>, pieces);
    QFETCH(int, statuses);
    openWindow();
    // A status enables the same panels as Connect; switched off here to see it do so.
    for (const QString &name : kStatusPanels)
        control(name)->setEnabled(false);
    QVERIFY(!m_f.window->statusQueried());

    deliver(bytes, pieces);
    const QByteArray status = sampleStatus().frame();
    QStringList expected;
    if (statuses == 2)
        expected += {u"[EOT]"_s, rxLine(tf::Status{}.frame())};
    expected += {u"[EOT]"_s, rxLine(status)};
    QTRY_COMPARE(newLines(), stamped(kStamp, expected));
    QCOMPARE(shownAll(kStatusFields), kSampleShown);
    QVERIFY(m_f.window->statusQueried());
    for (const QString &name : kStatusPanels)
        QVERIFY2(control(name)->isEnabled(), qPrintable(name));
    QCOMPARE(held(), 0);
    QCOMPARE(writtenAfterMarker(), QByteArray());
}

void TstSetupView::statusFieldRules_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");
    tf::Status s;
    s.type = 2;
    QTest::newRow("another device type") << s.frame() << u"Panel_DevName"_s << u"ETC"_s;
    s = {};
    s.major = 2;
    s.minor = 123;
    QTest::newRow("three-digit minor version") << s.frame() << u"Panel_Version"_s << u"2.12"_s;
    s = {};
    s.major = 0;
    s.minor = 0;
    QTest::newRow("version 0.00") << s.frame() << u"Panel_Version"_s << u"0.00"_s;
    s = {};
    s.mode = 'N';
    QTest::newRow("mode N") << s.frame() << u"RG_Protocol_Mode"_s << kModeN;
    s.mode = 'n';
    QTest::newRow("mode n is not N") << s.frame() << u"RG_Protocol_Mode"_s << kModeG;
    s = {};
    s.port = 65535;
    QTest::newRow("highest port") << s.frame() << u"Edit_Server_Port"_s << u"65535"_s;
    s = {};
    s.expiry = 255;
    QTest::newRow("expiry off the list") << s.frame() << u"CB_Server_ExpTime"_s << u"255"_s;
    s = {};
    s.times[4] = 65535;
    QTest::newRow("throughput beyond the list") << s.frame() << u"CB_ThrouputTime5"_s << u"65535"_s;
    s = {};
    s.modes[4] = 'f';
    QTest::newRow("count mode f is not F") << s.frame() << u"CB_CountMode5"_s << u"Rising"_s;
    s = {};
    s.flashInterval = 65535;
    s.flashDelay = 255;
    QTest::newRow("largest flash interval") << s.frame() << u"Edit_FlashSaveInt"_s << u"65535"_s;
    QTest::newRow("largest flash delay") << s.frame() << u"Edit_FlashSaveDelay"_s << u"255"_s;
}

void TstSetupView::statusFieldRules()
{
    QFETCH(QByteArray, frame);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    openWindow();
    // The sample first, so every rule has to change what is shown.
    deliver(sampleStatus().frame());
    QTRY_COMPARE(shown(u"Panel_Version"_s), u"1.05"_s);
    deliver(frame);
    QTRY_COMPARE(newLines().size(), 4);
    QCOMPARE(shown(field), expected);
}

void TstSetupView::wrongCountsChangeNothing_data()
{
    QTest::addColumn<QByteArray>("frame");
    const QByteArray status = sampleStatus().payload();
    QTest::newRow("status with 48 content bytes") << tf::frame(0x41, status.chopped(1));
    QTest::newRow("status with 50 content bytes") << tf::frame(0x41, status + "\x01");
    QTest::newRow("status without payload") << tf::frame(0x41, {});
    QTest::newRow("current AP with 50")
        << tf::frame(0x49, tf::padRight("OTHER-AP", 32) + tf::padRight("pw", 15));
    QTest::newRow("current AP with 52")
        << tf::frame(0x49, tf::padRight("OTHER-AP", 32) + tf::padRight("pw", 17));
    QTest::newRow("RSSI with 40") << tf::frame(0x4A, tf::padRight("OTHER-AP", 32) + tf::padRight("-70", 5));
    QTest::newRow("RSSI with 42") << tf::frame(0x4A, tf::padRight("OTHER-AP", 32) + tf::padRight("-70", 7));
}

void TstSetupView::wrongCountsChangeNothing()
{
    QFETCH(QByteArray, frame);
    openWindow();
    const QStringList before = shownAll(kStatusFields + kApFields);
    deliver(frame);
    QTRY_COMPARE(newLines(), stamped(kStamp, {u"[EOT]"_s, rxLine(frame)}));
    QCOMPARE(shownAll(kStatusFields + kApFields), before);
    QVERIFY(!m_f.window->statusQueried());
    QCOMPARE(writtenAfterMarker(), QByteArray());
}

void TstSetupView::unregisteredAsksForStatusOnce_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    const QByteArray flash = tf::frame(0x53, {});
    QTest::newRow("reply 0x53") << flash
                                << QStringList{u"[EOT]"_s, u"Message ID:[0x53] is Unregistered."_s,
                                               rxLine(flash)};
    const QByteArray high = tf::frame(0x5A, "abc");
    QTest::newRow("id 0x5A") << high
                             << QStringList{u"[EOT]"_s, u"Message ID:[0x5A] is Unregistered."_s,
                                            rxLine(high)};
    const QByteArray low = tf::frame(0x40, {});
    QTest::newRow("id 0x40") << low
                             << QStringList{u"[EOT]"_s, u"Message ID:[0x40] is Unregistered."_s, rxLine(low)};
    QTest::newRow("lone end byte") << QByteArray("\xFE")
                                   << QStringList{u"[EOT]"_s, u"Message ID:[0x00] is Unregistered."_s,
                                                  u"RX MSG ID:[0x00] LEN:[2]:[7E.FE.]"_s};
    // Two stray bytes make the start byte data; the id is read from the second stray byte.
    QTest::newRow("two stray bytes") << "\x31\x32" + kMarker
                                     << QStringList{u"[EOT]"_s, u"Message ID:[0x32] is Unregistered."_s,
                                                    u"RX MSG ID:[0x32] LEN:[8]:[7E.31.32.7E.05.45.44.FE.]"_s};
}

void TstSetupView::unregisteredAsksForStatusOnce()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    openWindow();
    deliver(bytes);
    QTRY_COMPARE(newLines(), stamped(kStamp, lines + statusRequestLines()));
    QCOMPARE(writtenAfterMarker(), kStatusRequest);
    QVERIFY(!m_f.window->statusQueried());
}

// A device whose every answer comes in unregistered (a status cut short by a 0xFE byte in its
// payload leaves such a tail) gets a few automatic status requests, not an endless exchange;
// the installer's next request starts a new run.
void TstSetupView::unregisteredRunIsBounded()
{
    openWindow();
    const QByteArray tail = tf::frame(0x5A, "\x01\x02");
    auto answerEveryRequest = [&] {
        int requests = 0;
        for (QByteArray got = m_pty->readAtLeast(5, 3000); got == kStatusRequest;
             got = m_pty->readAtLeast(5, 3000)) {
            ++requests;
            deliver(tail);
        }
        return requests;
    };
    QTest::mouseClick(qobject_cast<QPushButton *>(control(u"Btn_CurrentStatus"_s)), Qt::LeftButton);
    QCOMPARE(answerEveryRequest(), 1 + 3);
    QTRY_VERIFY(newLines().contains(
        u'[' + kStamp + u"]  Status request not repeated: 3 sent without a valid status answer."_s));

    QTest::mouseClick(qobject_cast<QPushButton *>(control(u"Btn_CurrentStatus"_s)), Qt::LeftButton);
    QCOMPARE(answerEveryRequest(), 1 + 3);
}

void TstSetupView::repliesToSetCommandsAreLoggedInWords()
{
    openWindow();
    for (std::uint8_t id = 0x42; id <= 0x47; ++id)
        deliver(tf::frame(id, "\x01"));
    const QString reboots = u"; it reboots to apply them."_s;
    QTRY_COMPARE(
        newLines(),
        stamped(kStamp, {u"[EOT]"_s, u"Device acknowledged the access point settings (0x42)"_s + reboots,
                         u"[EOT]"_s, u"Device acknowledged the WAN settings (0x43)"_s + reboots, u"[EOT]"_s,
                         u"Device acknowledged the server settings (0x44)"_s + reboots, u"[EOT]"_s,
                         u"Device acknowledged the DI settings (0x45)."_s, u"[EOT]"_s,
                         u"Device acknowledged the factory reset (0x46)."_s, u"[EOT]"_s,
                         u"Device acknowledged the system reboot (0x47)."_s}));
    QCOMPARE(writtenAfterMarker(), QByteArray());
}

void TstSetupView::overlongNoiseIsDroppedAndReceptionGoesOn()
{
    openWindow();
    // One byte more than the hold takes, then a status: more than one read buffer in all.
    const QByteArray noise(r5::protocol::FrameReceiver::kCapacity + 1, 'A');
    const QByteArray status = sampleStatus().frame();
    deliver(noise + status);
    QTRY_COMPARE(newLines(), stamped(kStamp, {u"RX Buffer Overflow!! [8192] bytes discarded."_s, u"[EOT]"_s,
                                              rxLine(status)}));
    QCOMPARE(shownAll(kStatusFields), kSampleShown);
}

void TstSetupView::burstOfLinesKeepsThePanelRule()
{
    openWindow();
    // 600 replies at once: one receive event (or a few) with a line each.
    QByteArray burst;
    for (int i = 0; i < 600; ++i)
        burst += kMarker;
    // Each reply is two lines: its "[EOT]" and its words.
    const QStringList reply{u"[EOT]"_s, u"Device acknowledged the DI settings (0x45)."_s};
    int held = int(panelLines(m_f.window->memo()).size());
    QStringList kept;
    for (int i = 0; i < 600; ++i) {
        for (const QString &line : reply) {
            if (held > 500) {
                held = 0;
                kept.clear();
            }
            ++held;
            kept.append(line);
        }
    }
    deliver(burst);
    // The day's file has every line; the panel was emptied where the rule says and holds the rest.
    QTRY_COMPARE(QString::fromLocal8Bit([] {
                     QFile f(u"Log/R5200Setup_20261207.log"_s);
                     return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
                 }())
                     .count(u"  [EOT]\r\n"_s),
                 600);
    QCOMPARE(panelLines(m_f.window->memo()), stamped(kStamp, kept));
}

void TstSetupView::repeatedAnswerLeavesCursor()
{
    openWindow();
    deliver(sampleStatus().frame());
    QTRY_COMPARE(shown(u"Panel_Version"_s), u"1.05"_s);
    auto *port = qobject_cast<QLineEdit *>(control(u"Edit_Server_Port"_s));
    port->setCursorPosition(2);
    // The same status again: the field the installer may be in is left alone.
    deliver(sampleStatus().frame());
    QTRY_COMPARE(newLines().size(), 4);
    QCOMPARE(port->cursorPosition(), 2);
    tf::Status other = sampleStatus();
    other.port = 4000;
    deliver(other.frame());
    QTRY_COMPARE(port->text(), u"4000"_s);
}

void TstSetupView::apListFillsGrid()
{
    openWindow();
    const QTableWidget *grid = m_f.window->apPage().grid();
    QCOMPARE(grid->columnCount(), 6);

    const QByteArray five = apListPayload();
    deliver(tf::frame(0x48, five));
    QTRY_COMPARE(newLines(), stamped(kStamp, {u"[EOT]"_s, rxLine(tf::frame(0x48, five)), resLine(five)}));
    QVERIFY(grid->isEnabled());
    // Every access point reported gets a row, the fifth too.
    const QString fifth = u"5|Warehouse|13|-95|10%|WPA2_PSK"_s;
    QCOMPARE(gridTexts(),
             (QStringList{u"1|R5200TX_LAB|6|-58|84%|WPA2_PSK"_s, u"2|Office-2G|1|-67|66%|WPA2_PSK"_s,
                          u"3|연구소 무선랜 2층|11|-73|54%|WPA_WPA2_PSK"_s, u"4|GuestNet|3|-88|24%|OPEN"_s,
                          fifth}));

    // Fewer entries: the rows below keep theirs.
    const QByteArray three = "3" + tf::apRecord("A1", "1", "-40", "OPEN") +
                             tf::apRecord("B2", "2", "-100", "WEP") + tf::apRecord("C3", "3", "-101", "WPA");
    deliver(tf::frame(0x48, three));
    QTRY_COMPARE(newLines().size(), 6);
    QCOMPARE(gridTexts(), (QStringList{u"1|A1|1|-40|100%|OPEN"_s, u"2|B2|2|-100|0%|WEP"_s,
                                       u"3|C3|3|-101|0%|WPA"_s, u"4|GuestNet|3|-88|24%|OPEN"_s, fifth}));

    // An RSSI that is no number ends the list after that entry's first three columns.
    const QByteArray broken =
        "2" + tf::apRecord("D4", "4", "-50", "OPEN") + tf::apRecord("E5", "5", "n/a", "OPEN");
    deliver(tf::frame(0x48, broken));
    QTRY_COMPARE(newLines().size(), 9);
    QCOMPARE(gridTexts(), (QStringList{u"1|D4|4|-50|100%|OPEN"_s, u"2|E5|5|-100|0%|WEP"_s,
                                       u"3|C3|3|-101|0%|WPA"_s, u"4|GuestNet|3|-88|24%|OPEN"_s, fifth}));

    // A count that is no digit, and a count of 0, change nothing.
    const QStringList before = gridTexts();
    for (const QByteArray &payload :
         {QByteArray("X") + tf::apRecord("F6", "6", "-60", "OPEN"), QByteArray("0")}) {
        const int seen = int(newLines().size());
        deliver(tf::frame(0x48, payload));
        QTRY_COMPARE(newLines().mid(seen),
                     stamped(kStamp, {u"[EOT]"_s, rxLine(tf::frame(0x48, payload)), resLine(payload)}));
    }
    QCOMPARE(gridTexts(), before);
    QCOMPARE(writtenAfterMarker(), QByteArray());
}

void TstSetupView::currentApAndSignal_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("id");
    QTest::addColumn<QStringList>("fields"); // kApFields after the answer
    QTest::addColumn<int>("signal");
    const QByteArray korean("연구소 무선랜 2층");
    QTest::newRow("current AP") << tf::padRight(korean, 32) + tf::padRight("pass word!", 16) << 0x49
                                << QStringList{QString::fromUtf8(korean), u"pass word!"_s, u"0"_s, u"100"_s,
                                               u"100%"_s}
                                << 0;
    QTest::newRow("current AP, empty password")
        << tf::padRight("LAB", 32) + QByteArray(16, ' ') << 0x49
        << QStringList{u"LAB"_s, QString(), u"0"_s, u"100"_s, u"100%"_s} << 0;
    QTest::newRow("signal -70") << tf::padRight(korean, 32) + tf::padRight("-70", 6) << 0x4A
                                << QStringList{QString::fromUtf8(korean), u"Not Queried"_s, u"-70"_s, u"60"_s,
                                               u"60%"_s}
                                << 60;
    QTest::newRow("signal -99") << tf::padRight("LAB", 32) + tf::padRight("-99", 6) << 0x4A
                                << QStringList{u"LAB"_s, u"Not Queried"_s, u"-99"_s, u"2"_s, u"2%"_s} << 2;
    QTest::newRow("not associated") << tf::padRight("", 32) + "NOINFO" << 0x4A
                                    << QStringList{QString(), u"Not Queried"_s, u"NOINFO"_s,
                                                   u"Disconnected"_s, u"100%"_s}
                                    << 0;
    QTest::newRow("signal no number")
        << tf::padRight("LAB", 32) + tf::padRight("-7x", 6) << 0x4A
        << QStringList{u"LAB"_s, u"Not Queried"_s, u"-7x"_s, u"100"_s, u"100%"_s} << 0;
}

void TstSetupView::currentApAndSignal()
{
    QFETCH(QByteArray, payload);
    QFETCH(int, id);
    QFETCH(QStringList, fields);
    QFETCH(int, signal);
    openWindow();
    const QByteArray frame = tf::frame(std::uint8_t(id), payload);
    deliver(frame);
    QTRY_COMPARE(newLines(), stamped(kStamp, {u"[EOT]"_s, rxLine(frame), resLine(payload)}));
    QCOMPARE(shownAll(kApFields), fields);
    QCOMPARE(qobject_cast<QProgressBar *>(control(u"PB_SignalQuality"_s))->value(), signal);
    QCOMPARE(writtenAfterMarker(), QByteArray());
}

void TstSetupView::textAnswersStayOneLine_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("res"); // the "res[" line as logged
    QTest::newRow("CR LF forging a log line")
        << tf::frame(0x48, "0\r\n[23:59:59]  Connection Close from Korvia R5200TX.")
        << u"res[52] = [0\\r\\n[23:59:59]  Connection Close from Korvia R5200TX.]"_s;
    QTest::newRow("terminal escapes in the SSID")
        << tf::currentApFrame("\x1B[2J\x1B]0;x\x07LAB", "pw\tx")
        << u"res[48] = [\\x1B[2J\\x1B]0;x\\x07LAB"_s + QString(19, u' ') + u"pw\\tx"_s + QString(12, u' ') +
               u']';
    QTest::newRow("backspace and delete")
        << tf::rssiFrame("AP\x08\x08\x7F", "-70")
        << u"res[38] = [AP\\x08\\x08\\x7F"_s + QString(27, u' ') + u"-70   ]"_s;
    QTest::newRow("line separators of other code points")
        << tf::frame(0x48, "0 NEL\xC2\x85 LS\xE2\x80\xA8 PS\xE2\x80\xA9 RLO\xE2\x80\xAE.")
        << u"res[20] = [0 NEL\\x85 LS\\u2028 PS\\u2029 RLO\\u202E.]"_s;
    QTest::newRow("plain text unchanged")
        << tf::frame(0x48, "0 \\x1B [a] 한국") << u"res[13] = [0 \\x1B [a] 한국]"_s;
}

// A device's text answer cannot start a line of its own in the panel or the day's file: its
// control characters are shown as escapes, the hex line above it keeps the bytes.
void TstSetupView::textAnswersStayOneLine()
{
    QFETCH(QByteArray, frame);
    QFETCH(QString, res);
    openWindow();
    deliver(frame);
    const QStringList expected = stamped(kStamp, {u"[EOT]"_s, rxLine(frame), res});
    QTRY_COMPARE(newLines(), expected);
    QFile file(u"Log/R5200Setup_20261207.log"_s);
    QVERIFY(file.open(QIODevice::ReadOnly));
    // The day's file is in the system code page (949 on Korean Windows, UTF-8 on Linux).
    QStringDecoder systemCodePage(QStringDecoder::System);
    const QString text = systemCodePage(file.readAll());
    const QStringList fileLines = text.split(u"\r\n"_s);
    QCOMPARE(fileLines.mid(fileLines.size() - 4), expected + QStringList{QString()});
}

void TstSetupView::hintQueries_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QString>("line");
    QTest::newRow("search, yes") << u"Btn_Search_AP"_s << true << QByteArray("\x7E\x05\x48\x50\xFE")
                                 << u"TX 0x48 : [5][7E.05.48.50.FE.]"_s;
    QTest::newRow("current AP, yes") << u"Btn_Get_CurrentAP"_s << true << QByteArray("\x7E\x05\x49\x50\xFE")
                                     << u"TX 0x49 : [5][7E.05.49.50.FE.]"_s;
    QTest::newRow("signal, yes") << u"Btn_Get_CurrentAP_RSSI"_s << true << QByteArray("\x7E\x05\x4A\x50\xFE")
                                 << u"TX 0x4A : [5][7E.05.4A.50.FE.]"_s;
    QTest::newRow("search, no") << u"Btn_Search_AP"_s << false << QByteArray() << QString();
    QTest::newRow("current AP, no") << u"Btn_Get_CurrentAP"_s << false << QByteArray() << QString();
    QTest::newRow("signal, no") << u"Btn_Get_CurrentAP_RSSI"_s << false << QByteArray() << QString();
}

void TstSetupView::hintQueries()
{
    QFETCH(QString, button);
    QFETCH(bool, yes);
    QFETCH(QByteArray, frame);
    QFETCH(QString, line);
    openWindow();
    yes ? m_f.prompter.answerYes() : m_f.prompter.answerNo();
    QTest::mouseClick(qobject_cast<QPushButton *>(control(button)), Qt::LeftButton);
    const auto boxes = m_f.prompter.takeBoxes();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].kind, r5::test::FakePrompter::Box::Question);
    QCOMPARE(boxes[0].text, u"Network 환경에 따라 응답시간이 길어질수 있습니다.  잠시만 기다려 주십시오."_s);
    QCOMPARE(newLines(), yes ? stamped(kStamp, {line}) : QStringList());
    QCOMPARE(writtenAfterMarker(), frame);
}

void TstSetupView::hintQueryWithPortClosed()
{
    openWindow();
    QTest::mouseClick(qobject_cast<QPushButton *>(control(u"ButtonStop"_s)), Qt::LeftButton);
    markSeen();
    // The automatic signal query runs the handler whatever the buttons' state.
    m_f.prompter.answerYes();
    m_f.window->deviceView().Btn_Get_CurrentAPClick(m_f.window->apPage().rssiButton());
    QCOMPARE(m_f.prompter.takeTexts(),
             (QStringList{u"Network 환경에 따라 응답시간이 길어질수 있습니다.  잠시만 기다려 주십시오."_s,
                          u"단말기의 Serial Port 상태를 확인하십시오."_s}));
    QCOMPARE(newLines(), stamped(kStamp, {u"단말기의 Serial Port 상태를 확인하십시오."_s}));
}

void TstSetupView::gridDrawing()
{
    openWindow();
    const QTableWidget *grid = m_f.window->apPage().grid();
    const QStringList headings{u"순번"_s, u"SSID"_s, u"CH"_s, u"RSSI"_s, u"Quality"_s, u"Auth Mode"_s};
    const QList<int> widths{60, 290, 60, 65, 70, 220};
    const QList<Qt::Alignment> horizontal{Qt::AlignHCenter, Qt::AlignLeft,  Qt::AlignRight,
                                          Qt::AlignRight,   Qt::AlignRight, Qt::AlignLeft};
    for (int c = 0; c < 6; ++c) {
        const QTableWidgetItem *heading = grid->horizontalHeaderItem(c);
        QCOMPARE(heading->text(), headings[c]);
        QCOMPARE(grid->columnWidth(c), widths[c]);
        QVERIFY(heading->font().bold());
        QCOMPARE(Qt::Alignment(heading->textAlignment()) & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QCOMPARE(ApPage::dataAlignment(c) & Qt::AlignHorizontal_Mask, horizontal[c]);
    }
    QCOMPARE(grid->rowCount(), 4);

    // What the delegate paints: a right-aligned number ends at the cell's right side.
    deliver(tf::frame(0x48, apListPayload()));
    QTRY_VERIFY(grid->isEnabled());
    m_f.window->pageControl().setCurrentIndex(1);
    const QImage image = grid->viewport()->grab().toImage();
    const QRect cell = grid->visualRect(grid->model()->index(0, 4));
    int inkLeft = cell.right();
    int inkRight = cell.left();
    const QRgb background = image.pixel(cell.left() + 2, cell.top() + 2);
    for (int x = cell.left() + 2; x < cell.right() - 1; ++x)
        for (int y = cell.top() + 2; y < cell.bottom() - 1; ++y)
            if (image.pixel(x, y) != background) {
                inkLeft = std::min(inkLeft, x);
                inkRight = std::max(inkRight, x);
            }
    QVERIFY2(inkRight > inkLeft, "no text painted");
    QVERIFY2(
        cell.right() - inkRight < inkLeft - cell.left(),
        qPrintable(u"ink %1..%2 in %3..%4"_s.arg(inkLeft).arg(inkRight).arg(cell.left()).arg(cell.right())));
}

QTEST_MAIN(TstSetupView)
#include "tst_setup_view.moc"
