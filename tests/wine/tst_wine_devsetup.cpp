// devsetup's window on Windows, on the platform's serial link, against a device on the COM port
// named by R5_WINE_PORT: Connect and the current-status button, as a user presses them; the
// fields must then show what r5200tx-cli read from the same device (R5_WINE_STATUS, the file
// its `status --json` wrote). Run by wine-e2e.sh.
#include "r5device/seriallinkfactory.h"
#include "viewsupport.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <windows.h>

using namespace Qt::StringLiterals;

class TstWineDevsetup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QVERIFY(m_f.enter()); }
    void cleanup() { m_f.leave(); }
    void statusThroughComPort();
    void openFailureBox_data();
    void openFailureBox();

private:
    void click(const QString &name)
    {
        auto *button = m_f.window->findChild<QPushButton *>(name);
        QVERIFY2(button && button->isEnabled(), qPrintable(name));
        QTest::mouseClick(button, Qt::LeftButton);
    }

    ViewFixture m_f{QDateTime(QDate(2026, 12, 7), QTime(8, 30, 0))};
};

void TstWineDevsetup::statusThroughComPort()
{
    const QString port = qEnvironmentVariable("R5_WINE_PORT");
    QFile statusFile(qEnvironmentVariable("R5_WINE_STATUS"));
    QVERIFY2(!port.isEmpty() && statusFile.open(QIODevice::ReadOnly), "R5_WINE_PORT and R5_WINE_STATUS");
    const QJsonObject device = QJsonDocument::fromJson(statusFile.readAll()).object();
    QVERIFY(!device.value(u"mac"_s).toString().isEmpty());

    QVERIFY(m_f.makeWindow(port, r5setup::makeSerialLink()));
    click(u"ButtonStart"_s);
    QVERIFY2(m_f.window->link().isOpen(), qPrintable(m_f.prompter.takeTexts().join(u'|')));
    QVERIFY(!m_f.window->statusQueried());
    click(u"Btn_CurrentStatus"_s);
    QTRY_VERIFY(m_f.window->statusQueried());

    const QJsonObject wan = device.value(u"wan"_s).toObject();
    QCOMPARE(m_f.shownAll({u"Panel_DevName"_s, u"Panel_Version"_s, u"PanelMacAddr"_s}),
             (QStringList{device.value(u"device"_s).toString(), device.value(u"firmware"_s).toString(),
                          device.value(u"mac"_s).toString()}));
    QCOMPARE(m_f.shownAll({u"Edit_IP1"_s, u"Edit_IP2"_s, u"Edit_IP3"_s, u"Edit_IP4"_s}).join(u'.'),
             wan.value(u"ip"_s).toString());
    QCOMPARE(m_f.shownAll({u"Edit_SM1"_s, u"Edit_SM2"_s, u"Edit_SM3"_s, u"Edit_SM4"_s}).join(u'.'),
             wan.value(u"mask"_s).toString());
    QCOMPARE(m_f.shown(u"Edit_Server_Port"_s),
             QString::number(device.value(u"server"_s).toObject().value(u"port"_s).toInt()));

    click(u"ButtonStop"_s);
    QVERIFY(!m_f.window->link().isOpen());
}

// What the box says when Connect cannot open the port, by what stands in the way. A port the user
// may not use cannot be made here (Wine gives every user every port): the classifier's table in
// the link names its codes.
void TstWineDevsetup::openFailureBox_data()
{
    QTest::addColumn<QString>("port");   // "device": R5_WINE_PORT, where the device is
    QTest::addColumn<bool>("held");      // another program has the port open
    QTest::addColumn<QString>("advice"); // the box's second line, up to the first "("
    QTest::newRow("no such port") << u"COM200"_s << false << u"There is no such port "_s;
    QTest::newRow("a name that is no port") << u"NOPORT"_s << false << u"There is no such port "_s;
    QTest::newRow("in use by another program")
        << u"device"_s << true << u"Another program is using the port "_s;
}

void TstWineDevsetup::openFailureBox()
{
    QFETCH(QString, port);
    QFETCH(bool, held);
    QFETCH(QString, advice);
    if (port == u"device"_s)
        port = qEnvironmentVariable("R5_WINE_PORT");
    QVERIFY2(!port.isEmpty(), "R5_WINE_PORT");
    HANDLE other = INVALID_HANDLE_VALUE;
    if (held) {
        const QString path = u"\\\\.\\"_s + port;
        other = ::CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), GENERIC_READ | GENERIC_WRITE,
                              0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
        QVERIFY(other != INVALID_HANDLE_VALUE);
    }
    QVERIFY(m_f.makeWindow(port, r5setup::makeSerialLink()));
    click(u"ButtonStart"_s);
    if (other != INVALID_HANDLE_VALUE)
        ::CloseHandle(other);
    // Windows gives a COM port to one program at a time; Wine (8) lets a second one open it.
    if (held && m_f.window->link().isOpen())
        QSKIP("this system lets two programs open one COM port");

    QVERIFY(!m_f.window->link().isOpen());
    const QStringList texts = m_f.prompter.takeTexts();
    QCOMPARE(texts.size(), 1);
    const QStringList lines = texts[0].split(u'\n');
    QCOMPARE(lines.size(), 2);
    // The port by its name, the system's reason, then what to do.
    QVERIFY2(lines[0].startsWith(u"Port["_s + port + u"]: "_s) && lines[0].size() > port.size() + 8,
             qPrintable(lines[0]));
    QVERIFY2(lines[1].startsWith(advice), qPrintable(lines[1]));
    if (advice.startsWith(u"There is no such port"_s))
        QVERIFY2(lines[1].contains(u"(ports on this PC: "_s), qPrintable(lines[1]));
    if (held)
        QVERIFY2(lines[1].contains(u"Windows does not say which one"_s), qPrintable(lines[1]));
}

QTEST_MAIN(TstWineDevsetup)
#include "tst_wine_devsetup.moc"
