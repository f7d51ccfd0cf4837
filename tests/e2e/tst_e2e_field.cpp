// devsetup in the field, against the virtual device program: a port that goes away and comes
// back under the same name, a save checked against what the device then reports, and profiles
// shared with r5200tx-cli.
#include "r5setup/ui/mainwindow.h"
#include "viewsupport.h"
#include "virtualdevice.h"

#include <QCheckBox>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QSettings>

using namespace Qt::StringLiterals;
using namespace r5setup;

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(8, 30, 0));

const QByteArray kState = R"({"mac": "02:52:00:AB:CD:EF", "ip": "127.0.10.20", "gateway": "127.0.0.1",
    "mask": "255.255.252.0", "serverPort": 4321, "expirySeconds": 35, "protocolMode": "G"})";

} // namespace

class TstE2eField : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void reconnect_data();
    void reconnect();
    void verifyAfterSave_data();
    void verifyAfterSave();
    void profiles_data();
    void profiles();

private:
    void startDevice(const QStringList &extra = {});
    void connectWindow();
    void click(const QString &name) { QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton); }
    template <typename T = QWidget> T *control(const QString &name) const
    {
        return m_f.window->findChild<T *>(name);
    }
    QStringList lines() const { return panelLines(m_f.window->memo()).mid(m_start); }
    void readStatus();

    ViewFixture m_f{kNow};
    QTemporaryDir m_settings;
    std::unique_ptr<VirtualDevice> m_device;
    QStringList m_deviceArgs;
    QString m_link;
    qsizetype m_start = 0;
};

void TstE2eField::init()
{
    // Each test starts from the settings store's defaults.
    m_settings.remove();
    QVERIFY(m_settings.isValid() && QDir().mkpath(m_settings.path()));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    // Windows keeps the store in the registry, which the path does not move.
    QSettings(QSettings::NativeFormat, QSettings::UserScope, u"devsetup"_s).clear();
    QVERIFY(m_f.enter());
    QFile state(u"device.json"_s);
    QVERIFY(state.open(QIODevice::WriteOnly) && state.write(kState) > 0);
    m_link = m_f.dir->filePath(u"ttyR5200"_s);
    m_deviceArgs.clear();
}

void TstE2eField::cleanup()
{
    m_f.window.reset();
    m_device.reset();
    m_f.leave();
}

void TstE2eField::startDevice(const QStringList &extra)
{
    if (!extra.isEmpty() || m_deviceArgs.isEmpty())
        m_deviceArgs = QStringList{u"--state"_s,     m_f.dir->filePath(u"device.json"_s),
                                   u"--tcp-port"_s,  u"0"_s,
                                   u"--reboot-ms"_s, u"300"_s} +
                       extra;
    // A device on a pair is found again on the same port; one that makes a pseudo-terminal of
    // its own, behind the link.
    const bool onPair = r5::test::DevicePort::onPairs();
    m_device = std::make_unique<VirtualDevice>(m_deviceArgs +
                                               (onPair ? QStringList() : QStringList{u"--link"_s, m_link}));
    const QString port = m_device->waitForPort();
    QVERIFY2(!port.isEmpty(), qPrintable(m_device->console().join(u'\n')));
    if (onPair)
        m_link = port;
}

void TstE2eField::connectWindow()
{
    QVERIFY(m_f.makeWindow(m_link));
    click(u"ButtonStart"_s);
    QVERIFY2(m_f.window->link().isOpen(), qPrintable(m_f.prompter.takeTexts().join(u'|')));
    m_start = panelLines(m_f.window->memo()).size();
}

void TstE2eField::readStatus()
{
    const int asked = m_device->count(u"status query"_s);
    click(u"Btn_CurrentStatus"_s);
    QTRY_COMPARE_WITH_TIMEOUT(m_device->count(u"status query"_s), asked + 1, 10000);
    QTRY_VERIFY(m_f.shown(u"Panel_Version"_s) != u"Not Queried"_s);
}

void TstE2eField::reconnect_data()
{
    QTest::addColumn<bool>("on");
    QTest::addColumn<bool>("disconnectWhileAway");
    QTest::newRow("on") << true << false;
    QTest::newRow("on, Disconnect while away") << true << true;
    QTest::newRow("off") << false << false;
}

void TstE2eField::reconnect()
{
    QFETCH(bool, on);
    QFETCH(bool, disconnectWhileAway);
    if (r5::test::DevicePort::onPairs())
        QSKIP("a serial pair outlives the device program: its port does not vanish");
    startDevice();
    connectWindow();
    auto *box = control<QCheckBox>(u"CB_Reconnect"_s);
    QVERIFY(box->isChecked()); // on by default
    box->setChecked(on);
    readStatus();
    for (int plug = 0; plug < 3; ++plug) {
        const qsizetype before = lines().size();
        m_device.reset(); // the device's side closes and its link goes
        QTRY_VERIFY_WITH_TIMEOUT(!m_f.window->link().isOpen(), 10000);
        const QString lost = lines().mid(before).join(u'\n');
        QCOMPARE(lost.contains(m_link + u"] lost"_s), on);
        QCOMPARE(control(u"ButtonStop"_s)->isEnabled(), on);
        if (disconnectWhileAway)
            click(u"ButtonStop"_s);
        startDevice(); // the same name again
        if (!on || disconnectWhileAway) {
            QTest::qWait(1500); // three watch intervals: nothing may open the port
            QCOMPARE(m_f.window->linkState(), LinkState::Disconnected);
            QVERIFY(!m_f.window->link().isOpen());
            break;
        }
        QTRY_COMPARE_WITH_TIMEOUT(m_f.window->linkState(), LinkState::Connected, 10000);
        QVERIFY(lines().last().endsWith(u"Port["_s + m_link + u"] reconnected."_s));
        QCOMPARE(m_device->count(u"RX ["_s), 0); // nothing is sent by itself
        readStatus();                            // the window reads the status again when asked
    }
    // Remembered for the next run.
    m_f.window.reset();
    QVERIFY(m_f.makeWindow(m_link));
    QCOMPARE(control<QCheckBox>(u"CB_Reconnect"_s)->isChecked(), on);
}

void TstE2eField::verifyAfterSave_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("verdict");
    QTest::newRow("kept") << QStringList{} << u"Verified: WAN"_s << u"OK"_s;
    QTest::newRow("answered, not kept") << QStringList{u"--fault-ignore"_s, u"wan"_s}
                                        << u"Verify failed: WAN.IP written 127.0.33.9, read 127.0.10.20; "
                                           "WAN.Mask written 255.255.255.0, read 255.255.252.0"_s
                                        << u"DIFFERS"_s;
}

void TstE2eField::verifyAfterSave()
{
    QFETCH(QStringList, faults);
    QFETCH(QString, line);
    QFETCH(QString, verdict);
    startDevice(faults);
    connectWindow();
    auto *box = control<QCheckBox>(u"CB_VerifyAfterSave"_s);
    QVERIFY(!box->isChecked()); // off by default
    box->setChecked(true);
    const QString record = m_f.dir->filePath(u"record.csv"_s);
    m_f.prompter.answerFile(record);
    click(u"Btn_RecordFile"_s);
    QCOMPARE(m_f.prompter.takeTexts().size(), 1);
    readStatus();

    for (const auto &[edit, text] :
         {std::pair{u"Edit_IP3"_s, u"33"_s}, {u"Edit_IP4"_s, u"9"_s}, {u"Edit_SM3"_s, u"255"_s}})
        control<QLineEdit>(edit)->setText(text);
    m_f.prompter.answerYes();
    click(u"Btn_Save_Config_Wan"_s);
    QCOMPARE(m_f.prompter.takeTexts().size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(lines().last().contains(u"Verif"_s), 15000);
    QCOMPARE(lines().last(), u"[08:30:00]  "_s + line);
    QCOMPARE(lines().filter(u"Verif"_s).size(), 1);

    QFile rows(record);
    QVERIFY(rows.open(QIODevice::ReadOnly));
    const QStringList written = QString::fromUtf8(rows.readAll()).split(u"\r\n"_s, Qt::SkipEmptyParts);
    QCOMPARE(written.size(), 2); // the header and one row
    QVERIFY(written[1].contains(u",02:52:00:AB:CD:EF,R5200TX,"_s));
    QVERIFY(written[1].contains(u',' + verdict + u','));
}

void TstE2eField::profiles_data()
{
    QTest::addColumn<QByteArray>("profile");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("port"); // Edit_Server_Port after loading
    QTest::newRow("the window's own profile") << QByteArray() << QString() << u"4321"_s;
    QTest::newRow("loaded") << QByteArray("[Server]\nPort=4100\nExpire=40\nMode=N\n") << QString()
                            << u"4100"_s;
    QTest::newRow("refused")
        << QByteArray("[WAN]\nIP=127.0.0.9\nGateway=127.0.0.1\nMask=255.255.300.0\n")
        << u"site.ini: WAN.Mask \"255.255.300.0\": each of the four numbers must be 0 to 255."_s << u"4321"_s;
}

void TstE2eField::profiles()
{
    QFETCH(QByteArray, profile);
    QFETCH(QString, refusal);
    QFETCH(QString, port);
    startDevice();
    connectWindow();
    readStatus();
    const QString path = m_f.dir->filePath(u"site.ini"_s);
    if (profile.isEmpty()) {
        m_f.prompter.answerFile(path);
        click(u"Btn_SaveProfile"_s);
        QCOMPARE(m_f.prompter.takeTexts().size(), 1);
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(profile) == profile.size());
    }
    control<QLineEdit>(u"Edit_Server_Port"_s)->setText(u"1"_s);
    const int requests = m_device->count(u"RX ["_s);
    m_f.prompter.answerFile(path);
    click(u"Btn_LoadProfile"_s);
    QStringList shown = m_f.prompter.takeTexts().mid(1);
    QCOMPARE(shown, refusal.isEmpty() ? QStringList() : QStringList{refusal});
    QCOMPARE(m_f.shown(u"Edit_Server_Port"_s), refusal.isEmpty() ? port : u"1"_s);
    QCOMPARE(m_f.shown(u"Edit_SM3"_s), u"252"_s);
    QCOMPARE(m_device->count(u"RX ["_s), requests); // loading writes nothing

    // The command line takes the profile and finds the device as it describes.
    click(u"ButtonStop"_s);
    QProcess cli;
    cli.start(qEnvironmentVariable("R5_BIN_DIR") + u"/r5200tx-cli"_s,
              {u"verify"_s, path, u"--port"_s, m_link});
    QVERIFY(cli.waitForFinished(60000));
    const int expected = refusal.isEmpty() ? (port == u"4321"_s ? 0 : 3) : 1;
    QVERIFY2(cli.exitCode() == expected, cli.readAll().constData());
}

QTEST_MAIN(TstE2eField)
#include "tst_e2e_field.moc"
