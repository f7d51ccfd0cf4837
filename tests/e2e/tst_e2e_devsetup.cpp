// devsetup's window against the virtual device program over its pseudo-terminal: the requests
// the buttons send, the device's answers as it sends them (fault switches included), and what
// the window shows and logs.
#undef QT_USE_QSTRINGBUILDER

#include "fakes.h"
#include "r5device/protocol/decoders.h"
#include "r5setup/ui/appage.h"
#include "r5setup/ui/mainwindow.h"
#include "serialpair.h"
#include "viewsupport.h"
#include "virtualdevice.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace r5setup;

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(8, 30, 0));
const QString kKoreanAp = u"연구소 무선랜 2층"_s;

// The device's settings for these runs: unlike the window's start values in every field.
QJsonObject deviceState()
{
    return QJsonObject{{u"deviceType"_s, 1},
                       {u"firmwareMajor"_s, 2},
                       {u"firmwareMinor"_s, 7},
                       {u"mac"_s, u"02:52:00:AB:CD:EF"_s},
                       {u"ip"_s, u"127.0.10.20"_s},
                       {u"gateway"_s, u"127.0.0.1"_s},
                       {u"mask"_s, u"255.255.252.0"_s},
                       {u"serverPort"_s, 4321},
                       {u"expirySeconds"_s, 35},
                       {u"protocolMode"_s, u"G"_s},
                       {u"throughput"_s, QJsonArray{2550, 1, 100, 900, 20}},
                       {u"countMode"_s, u"RFRFR"_s},
                       {u"flashInterval"_s, 600},
                       {u"flashDelay"_s, 15},
                       {u"apSsid"_s, kKoreanAp},
                       {u"apPassword"_s, u"pw 2층!"_s}};
}

const QStringList kStatusFields = statusFieldNames();

const QStringList kDeviceShown{u"R5200TX"_s, u"2.07"_s,   u"02:52:00:AB:CD:EF"_s,
                               u"127"_s,     u"0"_s,      u"10"_s,
                               u"20"_s,      u"127"_s,    u"0"_s,
                               u"0"_s,       u"1"_s,      u"255"_s,
                               u"255"_s,     u"252"_s,    u"0"_s,
                               u"4321"_s,    u"35"_s,     u"  'G'   (0x47;   GapTime Mode; 57bytes)"_s,
                               u"2550"_s,    u"1"_s,      u"100"_s,
                               u"900"_s,     u"20"_s,     u"Rising"_s,
                               u"Falling"_s, u"Rising"_s, u"Falling"_s,
                               u"Rising"_s,  u"600"_s,    u"15"_s};

const QString kStatusRequestDump = u"7E.05.41.50.FE."_s;

QStringList stamped(const QStringList &messages)
{
    QStringList out;
    for (const QString &m : messages)
        out.append(u"[08:30:00]  "_s + m);
    return out;
}

QStringList statusRequestLines()
{
    return {u"Send Current Status Read Command to Korvia R5200TX... "_s, u"TX 0x41 : [5][7E.05.41.50.FE.]"_s};
}

} // namespace

class TstE2eDevsetup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void statusRoundTrip_data();
    void statusRoundTrip();
    void unregisteredReplyAsksOnce();
    void wrongCountChangesNothing();
    void accessPointQueries();
    void unansweredRequestIsSaidOnce_data();
    void unansweredRequestIsSaidOnce();
    void saveIsAcknowledgedInWords();

private:
    void start(const QStringList &faults = {});
    void click(const QString &name);
    QString shown(const QString &name) const { return m_f.shown(name); }
    QStringList shownAll(const QStringList &names) const { return m_f.shownAll(names); }
    QStringList lines() const;
    // Asks for the signal strength and waits for its answer: everything the device sent
    // before has been taken in by then.
    void roundTripSignal();

    ViewFixture m_f{kNow};
    std::unique_ptr<VirtualDevice> m_device;
    int m_start = 0;
};

void TstE2eDevsetup::init()
{
    m_f.clock.set(kNow);
    QVERIFY(m_f.enter());
    QFile state(u"device.json"_s);
    QVERIFY(state.open(QIODevice::WriteOnly));
    state.write(QJsonDocument(deviceState()).toJson());
}

void TstE2eDevsetup::cleanup()
{
    m_f.window.reset();
    m_device.reset();
    m_f.leave();
}

void TstE2eDevsetup::start(const QStringList &faults)
{
    // The TCP side on a port of the system's choosing, so parallel runs never meet.
    m_device =
        std::make_unique<VirtualDevice>(QStringList{u"--state"_s, m_f.dir->filePath(u"device.json"_s),
                                                    u"--tcp-port"_s, u"0"_s, u"--rssi-drift"_s, u"0"_s} +
                                        faults);
    const QString port = m_device->waitForPort();
    QVERIFY2(!port.isEmpty(), qPrintable(m_device->console().join(u'\n')));
    QVERIFY(m_f.makeWindow(port));
    click(u"ButtonStart"_s);
    QVERIFY2(m_f.window->link().isOpen(), qPrintable(m_f.prompter.takeTexts().join(u'|')));
    m_start = int(m_f.window->memo().toPlainText().split(u'\n').size());
}

void TstE2eDevsetup::click(const QString &name)
{
    auto *button = m_f.window->findChild<QPushButton *>(name);
    QVERIFY2(button, qPrintable(name));
    QTest::mouseClick(button, Qt::LeftButton);
}

QStringList TstE2eDevsetup::lines() const
{
    return m_f.window->memo().toPlainText().split(u'\n').mid(m_start);
}

void TstE2eDevsetup::roundTripSignal()
{
    const int answers = int(lines().count(u"[08:30:00]  [EOT]"_s));
    m_f.prompter.answerYes();
    click(u"Btn_Get_CurrentAP_RSSI"_s);
    QCOMPARE(m_f.prompter.takeTexts().size(), 1);
    QTRY_COMPARE(lines().count(u"[08:30:00]  [EOT]"_s), answers + 1);
}

void TstE2eDevsetup::statusRoundTrip_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<int>("stray");
    QTest::newRow("one piece") << QStringList{} << 0;
    QTest::newRow("pieces of 10, 30 and 11") << QStringList{u"--fault-pieces"_s, u"10,30,11"_s} << 0;
    QTest::newRow("one stray byte first") << QStringList{u"--fault-stray"_s, u"31"_s} << 1;
}

void TstE2eDevsetup::statusRoundTrip()
{
    QFETCH(QStringList, faults);
    QFETCH(int, stray);
    start(faults);
    QVERIFY(!m_f.window->statusQueried());
    click(u"Btn_CurrentStatus"_s);
    QTRY_COMPARE(lines().size(), 4);
    // The RX line shows the frame as the device wrote it (without the stray byte in front).
    QTRY_COMPARE(m_device->sentDump().size(), (stray + 51) * 3);
    const QString sent = m_device->sentDump().mid(3 * stray);
    QCOMPARE(lines(), stamped(statusRequestLines() +
                              QStringList{u"[EOT]"_s, u"RX MSG ID:[0x41] LEN:[51]:["_s + sent + u']'}));
    QCOMPARE(shownAll(kStatusFields), kDeviceShown);
    QVERIFY(m_f.window->statusQueried());
    QCOMPARE(m_device->count(u"RX ["_s + kStatusRequestDump + u']'), 1);
}

void TstE2eDevsetup::unregisteredReplyAsksOnce()
{
    start({u"--fault-unregistered"_s});
    click(u"Btn_CurrentStatus"_s);
    QTRY_COMPARE(shown(u"Panel_Version"_s), u"2.07"_s);
    roundTripSignal();
    // The spoilt answer, the real one and the signal's, as the device wrote them.
    QTRY_COMPARE(m_device->sentDump().size(), (5 + 51 + 43) * 3);
    const QString sent = m_device->sentDump();
    QCOMPARE(sent.left(15), u"7E.05.5A.44.FE."_s);
    QCOMPARE(lines().mid(0, 9), stamped(statusRequestLines() +
                                        QStringList{u"[EOT]"_s, u"Message ID:[0x5A] is Unregistered."_s,
                                                    u"RX MSG ID:[0x5A] LEN:[5]:[7E.05.5A.44.FE.]"_s} +
                                        statusRequestLines() +
                                        QStringList{u"[EOT]"_s, u"RX MSG ID:[0x41] LEN:[51]:["_s +
                                                                    sent.mid(15, 51 * 3) + u']'}));
    QCOMPARE(m_device->count(u"RX ["_s + kStatusRequestDump + u']'), 2);
    QCOMPARE(shownAll(kStatusFields), kDeviceShown);
}

void TstE2eDevsetup::wrongCountChangesNothing()
{
    start({u"--fault-wrong-count"_s});
    const QStringList before = shownAll(kStatusFields);
    click(u"Btn_CurrentStatus"_s);
    QTRY_COMPARE(lines().size(), 4);
    QTRY_COMPARE(m_device->sentDump().size(), 52 * 3);
    const QString sent = m_device->sentDump();
    QCOMPARE(lines(), stamped(statusRequestLines() +
                              QStringList{u"[EOT]"_s, u"RX MSG ID:[0x41] LEN:[52]:["_s + sent + u']'}));
    roundTripSignal();
    QTRY_COMPARE(m_device->sentDump().size(), (52 + 43) * 3);
    QCOMPARE(shownAll(kStatusFields), before);
    QVERIFY(!m_f.window->statusQueried());
    QCOMPARE(m_device->count(u"RX ["_s + kStatusRequestDump + u']'), 1);
}

void TstE2eDevsetup::accessPointQueries()
{
    start();
    const QTableWidget *grid = m_f.window->apPage().grid();
    QVERIFY(!grid->isEnabled());

    m_f.prompter.answerYes();
    click(u"Btn_Search_AP"_s);
    QTRY_VERIFY(grid->isEnabled());
    QStringList rows;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid->columnCount(); ++c)
            cells.append(grid->item(r, c) ? grid->item(r, c)->text() : QString());
        rows.append(cells.join(u'|'));
    }
    QCOMPARE(rows, (QStringList{u"1|R5200TX_LAB|6|-58|84%|WPA2_PSK"_s, u"2|Office-2G|1|-67|66%|WPA2_PSK"_s,
                                u"3|연구소 무선랜 2층|11|-73|54%|WPA_WPA2_PSK"_s,
                                u"4|GuestNet|3|-88|24%|OPEN"_s, u"5|Warehouse|13|-95|10%|WPA2_PSK"_s}));
    QCOMPARE(lines().first(), u"[08:30:00]  TX 0x48 : [5][7E.05.48.50.FE.]"_s);

    m_f.prompter.answerYes();
    click(u"Btn_Get_CurrentAP"_s);
    QTRY_COMPARE(shown(u"Edit_Current_Pw"_s), u"pw 2층!"_s);
    QCOMPARE(shown(u"Edit_Current_SSID"_s), kKoreanAp);

    m_f.prompter.answerYes();
    click(u"Btn_Get_CurrentAP_RSSI"_s);
    QTRY_COMPARE(shown(u"Edit_Current_RSSI"_s), u"-73"_s);
    QCOMPARE(shown(u"Edit_Quality"_s), u"54"_s);
    QCOMPARE(shown(u"Panel_Quality"_s), u"54%"_s);
    QCOMPARE(m_f.window->findChild<QProgressBar *>(u"PB_SignalQuality"_s)->value(), 54);
    QCOMPARE(m_f.prompter.takeTexts(),
             QStringList(3, u"Network 환경에 따라 응답시간이 길어질수 있습니다.  잠시만 기다려 주십시오."_s));

    // The current AP's answer as logged: padded by bytes on the device, counted in characters
    // here (the Korean SSID is 10 characters in 24 bytes, the password 6 in 8).
    const qsizetype at = lines().indexOf(u"[08:30:00]  TX 0x49 : [5][7E.05.49.50.FE.]"_s);
    QVERIFY(at > 0);
    QCOMPARE(lines()[at + 1], u"[08:30:00]  [EOT]"_s);
    QVERIFY(lines()[at + 2].startsWith(u"[08:30:00]  RX MSG ID:[0x49] LEN:[53]:[7E."_s));
    QCOMPARE(lines()[at + 3], u"[08:30:00]  res[32] = ["_s + kKoreanAp + QString(8, u' ') + u"pw 2층!"_s +
                                  QString(8, u' ') + u']');
}

void TstE2eDevsetup::unansweredRequestIsSaidOnce_data()
{
    QTest::addColumn<QStringList>("faults"); // {"silent"}: a cable to nothing
    QTest::addColumn<bool>("answered");
    QTest::newRow("answered") << QStringList{} << true;
    QTest::newRow("unanswered: a cable to nothing") << QStringList{u"silent"_s} << false;
    // The spoilt answer is an answer; the status request it brings is answered too.
    QTest::newRow("answered with an unregistered id") << QStringList{u"--fault-unregistered"_s} << true;
}

void TstE2eDevsetup::unansweredRequestIsSaidOnce()
{
    QFETCH(QStringList, faults);
    QFETCH(bool, answered);
    r5::test::SerialPair nothing;
    if (faults == QStringList{u"silent"_s}) {
        QVERIFY(m_f.makeWindow(nothing.portName()));
        click(u"ButtonStart"_s);
        m_start = int(m_f.window->memo().toPlainText().split(u'\n').size());
    } else {
        start(faults);
    }
    const QString port = m_f.window->link().settings().portName;
    click(u"Btn_CurrentStatus"_s);
    if (answered)
        QTRY_VERIFY(m_f.window->statusQueried());
    const QStringList before = shownAll(kStatusFields);

    auto *timer = m_f.window->findChild<QTimer *>(u"Timer_NoAnswer"_s);
    QVERIFY(timer);
    for (int second = 0; second < 6; ++second) {
        m_f.clock.advanceMs(1000);
        QVERIFY(QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection));
    }
    const QStringList notices = lines().filter(u"No answer"_s);
    if (answered) {
        QCOMPARE(notices, QStringList());
    } else {
        QCOMPARE(notices,
                 QStringList{u"[08:30:03]  No answer to the current status (0x41) request within 3 s: "
                             u"check the cable, the device's power, the port ["_s +
                             port + u"] and the baud rate [115200]."_s});
        // Nothing was sent again, and the view is as it was.
        QCOMPARE(nothing.readAtLeast(6, 200).toHex(' '), QByteArray("7e 05 41 50 fe"));
        QVERIFY(!m_f.window->statusQueried());
    }
    QCOMPARE(shownAll(kStatusFields), before);
}

void TstE2eDevsetup::saveIsAcknowledgedInWords()
{
    start({u"--reboot-ms"_s, u"0"_s}); // back at once after the WAN and server saves
    click(u"Btn_CurrentStatus"_s);
    QTRY_VERIFY(m_f.window->statusQueried());
    const QList<std::pair<QString, QString>> saves{
        {u"Btn_Save_Config_Wan"_s,
         u"Device acknowledged the WAN settings (0x43); it reboots to apply them."_s},
        {u"Btn_Save_Config_Server"_s,
         u"Device acknowledged the server settings (0x44); it reboots to apply them."_s},
        {u"Btn_Save_Config_DI"_s, u"Device acknowledged the DI settings (0x45)."_s}};
    for (const auto &[button, words] : saves) {
        m_f.prompter.answerYes();
        click(button);
        QCOMPARE(m_f.prompter.takeTexts().size(), 1);
        QTRY_VERIFY2(lines().contains(u"[08:30:00]  "_s + words), qPrintable(lines().join(u'\n')));
        QCOMPARE(lines().at(lines().indexOf(u"[08:30:00]  "_s + words) - 1), u"[08:30:00]  [EOT]"_s);
    }
}

QTEST_MAIN(TstE2eDevsetup)
#include "tst_e2e_devsetup.moc"
