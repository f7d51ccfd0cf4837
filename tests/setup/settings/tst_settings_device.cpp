// The first two pages against the virtual device program over its pseudo-terminal: what the
// installer writes comes back in the next status and current access point answers, and the
// automatic signal query asks the device at the chosen interval until it is switched off.
#include "maintfixture.h"
#include "r5setup/ui/appage.h"
#include "r5setup/ui/formwidgets.h"
#include "r5setup/ui/pagecontrol.h"
#include "virtualdevice.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace r5setup;

namespace {

const QString kNetworkDelay = u"Network 환경에 따라 응답시간이 길어질수 있습니다.  잠시만 기다려 주십시오."_s;

struct Field
{
    QString name;
    QString written;
    QString overwritten;
};

// Every value differs from the virtual device's start and from the overwrite. None is 254: a
// 0xFE byte inside the status answer would end its frame early.
const QList<Field> kWritten{
    {u"Edit_IP1"_s, u"127"_s, u"1"_s},
    {u"Edit_IP2"_s, u"0"_s, u"1"_s},
    {u"Edit_IP3"_s, u"33"_s, u"1"_s},
    {u"Edit_IP4"_s, u"9"_s, u"1"_s},
    {u"Edit_GW1"_s, u"127"_s, u"1"_s},
    {u"Edit_GW2"_s, u"0"_s, u"1"_s},
    {u"Edit_GW3"_s, u"33"_s, u"1"_s},
    {u"Edit_GW4"_s, u"253"_s, u"1"_s},
    {u"Edit_SM1"_s, u"255"_s, u"1"_s},
    {u"Edit_SM2"_s, u"255"_s, u"1"_s},
    {u"Edit_SM3"_s, u"255"_s, u"1"_s},
    {u"Edit_SM4"_s, u"128"_s, u"1"_s},
    {u"Edit_Server_Port"_s, u"4555"_s, u"1"_s},
    {u"CB_Server_ExpTime"_s, u"45"_s, u"1"_s},
    {u"CB_ThrouputTime1"_s, u"2550"_s, u"1"_s},
    {u"CB_ThrouputTime2"_s, u"7"_s, u"1"_s},
    {u"CB_ThrouputTime3"_s, u"100"_s, u"1"_s},
    {u"CB_ThrouputTime4"_s, u"900"_s, u"1"_s},
    {u"CB_ThrouputTime5"_s, u"20"_s, u"1"_s},
    {u"CB_CountMode1"_s, u"Rising"_s, u"Falling"_s},
    {u"CB_CountMode2"_s, u"Falling"_s, u"Rising"_s},
    {u"CB_CountMode3"_s, u"Rising"_s, u"Falling"_s},
    {u"CB_CountMode4"_s, u"Falling"_s, u"Rising"_s},
    {u"CB_CountMode5"_s, u"Rising"_s, u"Falling"_s},
};

} // namespace

class TstSettingsDevice : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void writtenSettingsComeBack();
    void automaticSignalQuery();

private:
    bool start(VirtualDevice &device);
    void set(const QString &name, const QString &value);
    QString shown(const QString &name) const;
    void answeredYes(const QString &button, const QString &reply);

    MaintFixture f;
};

bool TstSettingsDevice::start(VirtualDevice &device)
{
    const QString port = device.waitForPort();
    if (port.isEmpty() || !f.prepare(port))
        return false;
    f.prompter.reset();
    f.makeWindow();
    return f.connectLink();
}

void TstSettingsDevice::set(const QString &name, const QString &value)
{
    if (auto *combo = f.window->findChild<QComboBox *>(name))
        combo->setCurrentText(value);
    else
        f.setText(name, value);
}

QString TstSettingsDevice::shown(const QString &name) const
{
    if (auto *combo = f.window->findChild<QComboBox *>(name))
        return combo->currentText();
    return f.control<QLineEdit>(name)->text();
}

// Clicks `button` with Yes ready and waits for the device's `reply` line in the log.
void TstSettingsDevice::answeredYes(const QString &button, const QString &reply)
{
    const qsizetype before = f.panel().size();
    f.prompter.answerYes();
    f.click(button);
    QCOMPARE(f.prompter.takeTexts().size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(f.panel().mid(before).join(u'\n').contains(reply), 10000);
}

void TstSettingsDevice::writtenSettingsComeBack()
{
    // One save after another, as fast as the window allows: the device is back at once.
    VirtualDevice device({u"--tcp-port"_s, u"0"_s, u"--reboot-ms"_s, u"0"_s});
    QVERIFY(start(device));
    f.click(u"Btn_CurrentStatus"_s);
    QTRY_VERIFY_WITH_TIMEOUT(f.window->statusQueried(), 10000);

    for (const Field &field : kWritten)
        set(field.name, field.written);
    f.window->findChild<form::RadioGroup *>(u"RG_Protocol_Mode"_s)->setItemIndex(1);
    answeredYes(u"Btn_Save_Config_Wan"_s, u"0x43"_s);
    answeredYes(u"Btn_Save_Config_Server"_s, u"0x44"_s);
    answeredYes(u"Btn_Save_Config_DI"_s, u"0x45"_s);

    f.window->pageControl().setCurrentIndex(1);
    f.control<QCheckBox>(u"CB_Manual_set_AP"_s)->setChecked(true);
    const QString ssid = u"Lab 5G 연구실"_s;
    const QString password = u"pa ss 12"_s;
    f.setText(u"Edit_Current_SSID"_s, ssid);
    f.setText(u"Edit_Current_Pw"_s, password);
    answeredYes(u"Btn_Set_CurrentAP"_s, u"0x42"_s);
    QTRY_COMPARE_WITH_TIMEOUT(device.count(u"access point set: \""_s + ssid + u'"'), 1, 10000);

    // The fields forget what was written; the device's answers bring it back.
    for (const Field &field : kWritten)
        set(field.name, field.overwritten);
    f.window->findChild<form::RadioGroup *>(u"RG_Protocol_Mode"_s)->setItemIndex(0);
    f.setText(u"Edit_Current_SSID"_s, u"x"_s);
    f.setText(u"Edit_Current_Pw"_s, u"x"_s);
    f.click(u"Btn_CurrentStatus"_s);
    QTRY_COMPARE_WITH_TIMEOUT(shown(u"CB_CountMode5"_s), u"Rising"_s, 10000);
    for (const Field &field : kWritten)
        QCOMPARE(shown(field.name), field.written);
    QCOMPARE(f.window->findChild<form::RadioGroup *>(u"RG_Protocol_Mode"_s)->itemIndex(), 1);

    f.prompter.answerYes();
    f.click(u"Btn_Get_CurrentAP"_s);
    QCOMPARE(f.prompter.takeTexts(), QStringList{kNetworkDelay});
    QTRY_COMPARE_WITH_TIMEOUT(shown(u"Edit_Current_SSID"_s), ssid, 10000);
    QCOMPARE(shown(u"Edit_Current_Pw"_s), password);

    f.finish();
    QCOMPARE(f.prompter.unexpected(), QStringList());
    QCOMPARE(f.prompter.unusedAnswers(), 0);
}

void TstSettingsDevice::automaticSignalQuery()
{
    VirtualDevice device({u"--tcp-port"_s, u"0"_s});
    QVERIFY(start(device));
    f.window->pageControl().setCurrentIndex(1);
    auto *check = f.control<QCheckBox>(u"CB_RSSI_AutoChk"_s);
    QTimer *timer = f.window->apPage().autoQueryTimer();
    check->setChecked(true);
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 3000);

    // One tick, answered Yes: one query, and the device's answer on the page.
    const auto tickAnswered = [&] {
        const int asked = device.count(u"RX [7E.05.4A.50.FE.]"_s);
        const qsizetype before = f.panel().size();
        f.prompter.answerYes();
        QVERIFY(QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection));
        QCOMPARE(f.prompter.takeTexts(), QStringList{kNetworkDelay});
        QTRY_VERIFY_WITH_TIMEOUT(f.panel().mid(before).join(u'\n').contains(u"res["_s), 10000);
        QCOMPARE(device.count(u"RX [7E.05.4A.50.FE.]"_s), asked + 1);
    };
    tickAnswered();
    QVERIFY(shown(u"Edit_Current_RSSI"_s) != u"0"_s);

    f.control<QComboBox>(u"CB_Chk_RSSI_Interval"_s)->setCurrentText(u"5"_s);
    QCOMPARE(timer->interval(), 5000);
    QVERIFY(timer->isActive());
    tickAnswered();

    check->setChecked(false);
    QVERIFY(!timer->isActive());
    check->setChecked(true);
    QVERIFY(timer->isActive());
    f.click(u"ButtonStop"_s);
    QVERIFY(!check->isChecked());
    QVERIFY(!timer->isActive());

    f.finish();
    QCOMPARE(f.prompter.unexpected(), QStringList());
    QCOMPARE(f.prompter.unusedAnswers(), 0);
}

QTEST_MAIN(TstSettingsDevice)
#include "tst_settings_device.moc"
