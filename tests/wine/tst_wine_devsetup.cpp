// devsetup's window on Windows, on the platform's serial link, against a device on the COM port
// named by R5_WINE_PORT: Connect and the current-status button, as a user presses them; the
// fields must then show what r5200tx-cli read from the same device (R5_WINE_STATUS, the file
// its `status --json` wrote). Run by wine-e2e.sh.
#include "r5setup/seriallinkfactory.h"
#include "viewsupport.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::StringLiterals;

class TstWineDevsetup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QVERIFY(m_f.enter()); }
    void cleanup() { m_f.leave(); }
    void statusThroughComPort();

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

QTEST_MAIN(TstWineDevsetup)
#include "tst_wine_devsetup.moc"
