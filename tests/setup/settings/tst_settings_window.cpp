// The first two pages in the window: the WAN, server, DI and access point requests byte for
// byte over a pseudo-terminal with their log lines, refusals with their boxes and focus, the
// key filter of the number fields, manual access point entry and the automatic signal query.
#include "apcommands.h"
#include "frames.h"
#include "maintfixture.h"
#include "r5setup/ui/appage.h"
#include "r5setup/ui/formwidgets.h"
#include "r5setup/ui/pagecontrol.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>
#include <QTimer>
#include <functional>

using namespace Qt::StringLiterals;
using namespace r5setup;
using Box = r5::test::FakePrompter::Box;

namespace {

const QString kStatusFirst = u"[현재설정확인] 을 선행 해주기시 바랍니다."_s;
const QString kDigitsOnly = u"숫자만 입력 가능합니다"_s;
const QString kNetworkDelay = u"Network 환경에 따라 응답시간이 길어질수 있습니다.  잠시만 기다려 주십시오."_s;
const QString kWanQuestion = u"WAN 설정값을 저장한 후, 시스템이 Rebooting됩니다. 진행하시겠습니까?? "_s;
const QString kServerQuestion = u"Server 설정값을 저장한 후, 시스템이 Rebooting됩니다. 진행하시겠습니까?? "_s;
const QString kDiQuestion = u"Digital Input 설정이 변경됩니다. 진행하시겠습니까?? "_s;
const QString kApQuestion = u"AP 설정이 변경 저장되고 시스템이 Rebooting됩니다. 진행하시겠습니까?? "_s;
const QByteArray kRssiQuery = QByteArray::fromHex("7E054A50FE");

// "TX 0x" + id + " : [" + size + "][" + each byte as two digits and "." + "]".
QString txLine(const QByteArray &frame)
{
    QString dump;
    for (const char c : frame)
        dump += u"%1."_s.arg(uint(std::uint8_t(c)), 2, 16, QChar(u'0')).toUpper();
    const QString id = u"%1"_s.arg(uint(std::uint8_t(frame[2])), 2, 16, QChar(u'0')).toUpper();
    return u"TX 0x%1 : [%2][%3]"_s.arg(id).arg(frame.size()).arg(dump);
}

// A box seam that lets the test act while a question is open, as the event loop of a real box
// lets timers fire; the answers and records are the fake's.
class OpenBoxPrompter final : public r5::Prompter
{
public:
    explicit OpenBoxPrompter(r5::test::FakePrompter &inner) : m_inner(inner) {}

    void message(QWidget *parent, Icon icon, const QString &title, const QString &text) override
    {
        m_inner.message(parent, icon, title, text);
    }
    bool askYesNo(QWidget *parent, const QString &title, const QString &text, Icon icon) override
    {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        if (whileOpen) {
            const auto run = std::exchange(whileOpen, nullptr);
            run();
        }
        --depth;
        return m_inner.askYesNo(parent, title, text, icon);
    }
    QString saveFileName(QWidget *parent, const QString &caption, const QString &dir, const QString &filter,
                         bool confirmOverwrite) override
    {
        return m_inner.saveFileName(parent, caption, dir, filter, confirmOverwrite);
    }
    QString openFileName(QWidget *parent, const QString &caption, const QString &dir,
                         const QString &filter) override
    {
        return m_inner.openFileName(parent, caption, dir, filter);
    }

    std::function<void()> whileOpen;
    int depth = 0;
    int maxDepth = 0;

private:
    r5::test::FakePrompter &m_inner;
};

void tick(QTimer *timer)
{
    QVERIFY(QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection));
}

} // namespace

class TstSettingsWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void requests_data();
    void requests();
    void noSendsNothing_data();
    void noSendsNothing();
    void refusals_data();
    void refusals();
    void outOfRangeIsMarkedWhereTyped_data();
    void outOfRangeIsMarkedWhereTyped();
    void statusFirst();
    void savesStayAllowedAcrossReconnect();
    void keyFilter_data();
    void keyFilter();
    void keysWithModifiers_data();
    void keysWithModifiers();
    void spaceMovesOn();
    void maximumLengths();
    void manualEntry();
    void gridDoubleClick_data();
    void gridDoubleClick();
    void autoQuery();
    void autoQueryStopsWithDisconnect();
    void ticksWaitForAnOpenBox();

private:
    void giveStatus();
    void setFields(const QStringList &pairs);
    QTimer *timer() const { return f.window->apPage().autoQueryTimer(); }

    MaintFixture f;
};

void TstSettingsWindow::init()
{
    f.open();
}

void TstSettingsWindow::cleanup()
{
    f.close();
}

void TstSettingsWindow::giveStatus()
{
    QVERIFY(f.pty->write(testframes::Status().frame()));
    QTRY_VERIFY(f.window->statusQueried());
    f.newLines();
}

void TstSettingsWindow::setFields(const QStringList &pairs)
{
    for (const QString &pair : pairs) {
        const QString name = pair.section(u'=', 0, 0);
        const QString value = pair.section(u'=', 1);
        if (auto *box = f.window->findChild<QCheckBox *>(name))
            box->setChecked(value == u"1"_s);
        else if (auto *group = f.window->findChild<form::RadioGroup *>(name))
            group->setItemIndex(value.toInt());
        else if (auto *combo = f.window->findChild<QComboBox *>(name))
            combo->setCurrentText(value);
        else
            f.setText(name, value);
    }
}

void TstSettingsWindow::requests_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QStringList>("announced"); // lines before the TX line

    QTest::newRow("WAN") << u"Btn_Save_Config_Wan"_s
                         << QStringList{u"Edit_IP1=192"_s, u"Edit_IP2=168"_s, u"Edit_IP3=1"_s,
                                        u"Edit_IP4=110"_s, u"Edit_GW1=192"_s, u"Edit_GW2=168"_s,
                                        u"Edit_GW3=1"_s,   u"Edit_GW4=1"_s,   u"Edit_SM1=255"_s,
                                        u"Edit_SM2=255"_s, u"Edit_SM3=255"_s, u"Edit_SM4=0"_s}
                         << kWanQuestion << hex("7E 11 43 50 C0 A8 01 6E C0 A8 01 01 FF FF FF 00 FE")
                         << QStringList();
    QTest::newRow("server 4000, 30, G")
        << u"Btn_Save_Config_Server"_s
        << QStringList{u"Edit_Server_Port=4000"_s, u"CB_Server_ExpTime=30"_s, u"RG_Protocol_Mode=1"_s}
        << kServerQuestion << hex("7E 09 44 50 0F A0 1E 47 FE") << QStringList();
    QTest::newRow("server 65535, typed 255, N")
        << u"Btn_Save_Config_Server"_s
        << QStringList{u"Edit_Server_Port=65535"_s, u"CB_Server_ExpTime=255"_s, u"RG_Protocol_Mode=0"_s}
        << kServerQuestion << hex("7E 09 44 50 FF FF FF 4E FE") << QStringList();
    QStringList initialDi;
    for (int i = 1; i <= 5; ++i)
        initialDi << u"CB_ThrouputTime%1=10"_s.arg(i) << u"CB_CountMode%1=Falling"_s.arg(i);
    QTest::newRow("DI initial values")
        << u"Btn_Save_Config_DI"_s << initialDi << kDiQuestion
        << hex("7E 17 45 50 00 0A 00 0A 00 0A 00 0A 00 0A 00 00 46 46 46 46 46 46 FE") << QStringList();
    QTest::newRow("DI mixed") << u"Btn_Save_Config_DI"_s
                              << QStringList{u"CB_ThrouputTime1=2550"_s, u"CB_ThrouputTime2=1"_s,
                                             u"CB_ThrouputTime3=100"_s,  u"CB_ThrouputTime4=900"_s,
                                             u"CB_ThrouputTime5=20"_s,   u"CB_CountMode1=Rising"_s,
                                             u"CB_CountMode2=Falling"_s, u"CB_CountMode3=Rising"_s,
                                             u"CB_CountMode4=Falling"_s, u"CB_CountMode5=Falling"_s}
                              << kDiQuestion
                              << hex("7E 17 45 50 09 F6 00 01 00 64 03 84 00 14 00 00 52 46 52 46 46 46 FE")
                              << QStringList();

    const auto setAp = [](const QByteArray &ssid, const QByteArray &pw) -> QByteArray {
        return hex("7E 35 42 50") + ssid + pw + hex("FE");
    };
    const auto announce = [](const QByteArray &ssid, const QByteArray &pw) {
        return QStringList{u"tmpSSIDName : [32]["_s + QString::fromUtf8(ssid) + u']',
                           u"tmpSSIDPW   : [16]["_s + QString::fromUtf8(pw) + u']'};
    };
    const QByteArray six = QByteArray(26, ' ') + "Office";
    const QByteArray seven = QByteArray(9, ' ') + "pass123";
    QTest::newRow("AP, SSID of 6, password of 7")
        << u"Btn_Set_CurrentAP"_s
        << QStringList{u"CB_Manual_set_AP=1"_s, u"Edit_Current_SSID=Office"_s, u"Edit_Current_Pw=pass123"_s}
        << kApQuestion << setAp(six, seven) << announce(six, seven);
    const QByteArray forty = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd";
    QTest::newRow("AP, SSID of 40, password of 16")
        << u"Btn_Set_CurrentAP"_s
        << QStringList{u"CB_Manual_set_AP=1"_s, u"Edit_Current_SSID="_s + QString::fromLatin1(forty),
                       u"Edit_Current_Pw=0123456789abcdef"_s}
        << kApQuestion << setAp(forty.left(32), "0123456789abcdef")
        << announce(forty.left(32), "0123456789abcdef");
    const QByteArray two = QByteArray(30, ' ') + "AB";
    QTest::newRow("AP, SSID of 2, no password")
        << u"Btn_Set_CurrentAP"_s
        << QStringList{u"CB_Manual_set_AP=1"_s, u"Edit_Current_SSID=AB"_s, u"Edit_Current_Pw="_s}
        << kApQuestion << setAp(two, QByteArray(16, ' ')) << announce(two, QByteArray(16, ' '));
    // Typed Korean goes in CP949, two bytes a syllable: sixteen of seventeen fit in 32 bytes, and
    // the seventeenth is not split.
    const QString syllables = u"가나다라마바사아자차카타파하거너더"_s;
    const QByteArray cut =
        QByteArray::fromHex("b0a1b3aab4d9b6f3b8b6b9d9bbe7bec6c0dac2f7c4abc5b8c6c4c7cfb0c5b3ca");
    const QByteArray korean = QByteArray(12, ' ') + QByteArray::fromHex("baf1b9d0");
    QTest::newRow("AP, multi-byte SSID cut by bytes")
        << u"Btn_Set_CurrentAP"_s
        << QStringList{u"CB_Manual_set_AP=1"_s, u"Edit_Current_SSID="_s + syllables,
                       u"Edit_Current_Pw=비밀"_s}
        << kApQuestion << setAp(cut, korean)
        << QStringList{u"tmpSSIDName : [32]["_s + syllables.left(16) + u']',
                       u"tmpSSIDPW   : [16]["_s + QString(12, u' ') + u"비밀]"_s};
}

void TstSettingsWindow::requests()
{
    QFETCH(QString, button);
    QFETCH(QStringList, fields);
    QFETCH(QString, question);
    QFETCH(QByteArray, frame);
    QFETCH(QStringList, announced);
    QCOMPARE(frame.size(), qsizetype(std::uint8_t(frame[1])));
    giveStatus();
    f.window->pageControl().setCurrentIndex(button == u"Btn_Set_CurrentAP"_s ? 1 : 0);
    setFields(fields);
    f.prompter.answerYes();
    f.click(button);

    QCOMPARE(f.pty->readAtLeast(int(frame.size())).toHex(' '), frame.toHex(' '));
    QCOMPARE(f.prompter.takeTexts(), QStringList{question});
    QCOMPARE(f.newLines(), stamped(announced + QStringList{txLine(frame)}));
}

void TstSettingsWindow::noSendsNothing_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("question");
    QTest::newRow("WAN") << u"Btn_Save_Config_Wan"_s << kWanQuestion;
    QTest::newRow("server") << u"Btn_Save_Config_Server"_s << kServerQuestion;
    QTest::newRow("DI") << u"Btn_Save_Config_DI"_s << kDiQuestion;
    QTest::newRow("AP") << u"Btn_Set_CurrentAP"_s << kApQuestion;
    QTest::newRow("signal query") << u"Btn_Get_CurrentAP_RSSI"_s << kNetworkDelay;
}

void TstSettingsWindow::noSendsNothing()
{
    QFETCH(QString, button);
    QFETCH(QString, question);
    giveStatus();
    f.window->pageControl().setCurrentIndex(button.contains(u"Config"_s) ? 0 : 1);
    setFields({u"CB_Manual_set_AP=1"_s, u"Edit_Current_SSID=Office"_s});
    f.prompter.answerNo();
    f.click(button);
    QCOMPARE(f.prompter.takeTexts(), QStringList{question});
    QCOMPARE(f.newLines(), QStringList());
    f.nothingSent();
}

void TstSettingsWindow::refusals_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("message"); // the program's text, then the field it is about
    QTest::addColumn<bool>("toolkitError");
    QTest::addColumn<QString>("focus"); // empty: the focus stays on the button

    QTest::newRow("WAN: empty GW3 beside IP2 of 300")
        << u"Btn_Save_Config_Wan"_s << QStringList{u"Edit_GW3="_s, u"Edit_IP2=300"_s}
        << u"IP 주소에는 공란입력이 불가합니다.\nGateWay 3"_s << false << QString();
    QTest::newRow("WAN: 256") << u"Btn_Save_Config_Wan"_s << QStringList{u"Edit_SM4=256"_s}
                              << u"0 ~ 255 정수만 입력 가능합니다.\nSubnet Mask 4: 256"_s << false
                              << QString();
    QTest::newRow("WAN: pasted space")
        << u"Btn_Save_Config_Wan"_s << QStringList{u"Edit_IP1=12 "_s}
        << u"'12 ' is not a valid integer value\nIP Address 1: 12 "_s << true << QString();
    QTest::newRow("server: port 0")
        << u"Btn_Save_Config_Server"_s << QStringList{u"Edit_Server_Port=0"_s}
        << u"TCP Server port 값은 1 ~ 65535 정수만 가능합니다.\nTCP Server Port: 0"_s << false
        << u"Edit_Server_Port"_s;
    QTest::newRow("server: port 99999")
        << u"Btn_Save_Config_Server"_s << QStringList{u"Edit_Server_Port=99999"_s}
        << u"TCP Server port 값은 1 ~ 65535 정수만 가능합니다.\nTCP Server Port: 99999"_s << false
        << u"Edit_Server_Port"_s;
    QTest::newRow("server: empty port") << u"Btn_Save_Config_Server"_s << QStringList{u"Edit_Server_Port="_s}
                                        << u"TCP Server port 값은 공란 입력이 불가합니다.\nTCP Server Port"_s
                                        << false << u"Edit_Server_Port"_s;
    QTest::newRow("server: expiry 256")
        << u"Btn_Save_Config_Server"_s << QStringList{u"CB_Server_ExpTime=256"_s}
        << u"Server Expire Time(Sec)은0 ~ 255 정수만 가능합니다.\nServer Expire Time: 256"_s << false
        << u"CB_Server_ExpTime"_s;
    QTest::newRow("server: empty expiry")
        << u"Btn_Save_Config_Server"_s << QStringList{u"CB_Server_ExpTime="_s}
        << u"Server Expire(Sec) 값은 공란 입력이 불가합니다.\nServer Expire Time"_s << false
        << u"CB_Server_ExpTime"_s;
    QTest::newRow("server: letter in the expiry")
        << u"Btn_Save_Config_Server"_s << QStringList{u"CB_Server_ExpTime=3O"_s}
        << u"'3O' is not a valid integer value\nServer Expire Time: 3O"_s << true << QString();
    QTest::newRow("DI: 2551 in 3 beside bad 4")
        << u"Btn_Save_Config_DI"_s << QStringList{u"CB_ThrouputTime3=2551"_s, u"CB_ThrouputTime4=0"_s}
        << u"ThrouputTime3 값을 확인하세요. 1 ~ 2550 정수만 가능합니다.\nDI #3 Throuput Time: 2551"_s << false
        << u"CB_ThrouputTime3"_s;
    QTest::newRow("DI: empty 5 beside bad 1")
        << u"Btn_Save_Config_DI"_s << QStringList{u"CB_ThrouputTime5="_s, u"CB_ThrouputTime1=0"_s}
        << u"ThrouputTime에는 공란입력이 불가능합니다.\nDI #5 Throuput Time"_s << false << QString();
    QTest::newRow("AP: SSID of 1") << u"Btn_Set_CurrentAP"_s
                                   << QStringList{u"CB_Manual_set_AP=1"_s, u"Edit_Current_SSID=A"_s}
                                   << u"SSID를 확인하세요."_s << false << u"Edit_Current_SSID"_s;
}

void TstSettingsWindow::refusals()
{
    QFETCH(QString, button);
    QFETCH(QStringList, fields);
    QFETCH(QString, message);
    QFETCH(bool, toolkitError);
    QFETCH(QString, focus);
    giveStatus();
    f.window->pageControl().setCurrentIndex(button == u"Btn_Set_CurrentAP"_s ? 1 : 0);
    setFields(fields);
    f.click(button);
    const QList<Box> boxes = f.prompter.takeBoxes();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(int(boxes[0].kind), int(Box::Message));
    QCOMPARE(boxes[0].text, message);
    QCOMPARE(boxes[0].icon == r5::Prompter::Icon::Critical, toolkitError);
    QCOMPARE(QApplication::focusWidget(), f.control(focus.isEmpty() ? button : focus));
    QCOMPARE(f.newLines(), QStringList());
    f.nothingSent();
}

void TstSettingsWindow::outOfRangeIsMarkedWhereTyped_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("note"); // empty: not marked
    QTest::newRow("octet 300") << u"Edit_IP2"_s << u"300"_s << u"Out of range: 0 ~ 255"_s;
    QTest::newRow("octet 255") << u"Edit_GW4"_s << u"255"_s << QString();
    QTest::newRow("port 70000") << u"Edit_Server_Port"_s << u"70000"_s << u"Out of range: 1 ~ 65535"_s;
    QTest::newRow("expiry 256, typed into the combo box")
        << u"CB_Server_ExpTime"_s << u"256"_s << u"Out of range: 0 ~ 255"_s;
    QTest::newRow("download octet 256") << u"Edit_DL_IP3"_s << u"256"_s << u"Out of range: 0 ~ 255"_s;
    QTest::newRow("HTTP server port 65536")
        << u"Edit_HttpSvr_Port"_s << u"65536"_s << u"Out of range: 1 ~ 65535"_s;
}

void TstSettingsWindow::outOfRangeIsMarkedWhereTyped()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, note);
    f.setText(u"EditViewAdminPW"_s, u"brimoxa"_s);
    f.click(u"Btn_ViewAdmin"_s);
    QWidget *w = f.control(field);
    PageControl &pages = f.window->pageControl();
    for (int i = 0; i < pages.count(); ++i) {
        if (pages.widget(i)->isAncestorOf(w))
            pages.setCurrentIndex(i);
    }
    w->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), w);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), typed);
    const auto *combo = qobject_cast<QComboBox *>(w);
    QCOMPARE(combo ? combo->currentText() : qobject_cast<QLineEdit *>(w)->text(), typed);
    QCOMPARE(w->toolTip(), note);
    QCOMPARE(w->accessibleDescription(), note);
    QCOMPARE(w->palette().color(QPalette::Base) != f.window->palette().color(QPalette::Base),
             !note.isEmpty());
    // Mended as it is typed: the mark goes.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), u"1"_s);
    QCOMPARE(w->accessibleDescription(), QString());
    QCOMPARE(f.prompter.takeTexts(), QStringList());
}

void TstSettingsWindow::statusFirst()
{
    for (const QString &button :
         {u"Btn_Save_Config_Wan"_s, u"Btn_Save_Config_Server"_s, u"Btn_Save_Config_DI"_s}) {
        // The panels open with the connection; the command itself holds back.
        f.click(button);
        QCOMPARE(f.prompter.takeTexts(), QStringList{kStatusFirst});
    }
    QCOMPARE(f.newLines(), QStringList());
    f.nothingSent();
}

void TstSettingsWindow::savesStayAllowedAcrossReconnect()
{
    giveStatus();
    f.click(u"ButtonStop"_s);
    QVERIFY(!f.control(u"Btn_Save_Config_DI"_s)->isEnabled());
    QVERIFY(f.connectLink());
    f.prompter.answerYes();
    f.click(u"Btn_Save_Config_DI"_s);
    QCOMPARE(f.prompter.takeTexts(), QStringList{kDiQuestion});
    // The fields still hold the status: 10, 20, 30, 40, 2550 and F, R, F, R, F.
    QCOMPARE(f.pty->readAtLeast(23).toHex(' '),
             hex("7E 17 45 50 00 0A 00 14 00 1E 00 28 09 F6 00 00 46 52 46 52 46 46 FE").toHex(' '));
}

void TstSettingsWindow::keyFilter_data()
{
    QTest::addColumn<QString>("field");
    for (const char *name : {"Edit_IP1", "Edit_GW2", "Edit_SM4", "Edit_Server_Port", "CB_Server_ExpTime",
                             "CB_ThrouputTime1", "CB_ThrouputTime5"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TstSettingsWindow::keyFilter()
{
    QFETCH(QString, field);
    QWidget *w = f.control(field);
    auto *combo = qobject_cast<QComboBox *>(w);
    // What was typed: an editable combo box completes it with the rest of an item, selected.
    const auto text = [&] {
        const QLineEdit *edit = combo ? combo->lineEdit() : static_cast<QLineEdit *>(w);
        return edit->hasSelectedText() ? edit->text().left(edit->selectionStart()) : edit->text();
    };
    if (combo)
        combo->setEditText({});
    else
        static_cast<QLineEdit *>(w)->clear();
    w->setFocus();
    QTest::keyClicks(w, u"1a"_s);
    QCOMPARE(text(), u"1"_s);
    QCOMPARE(f.prompter.takeTexts(), QStringList{kDigitsOnly});
    QTest::keyClicks(w, u"-"_s);
    QCOMPARE(text(), u"1"_s);
    QCOMPARE(f.prompter.takeTexts(), QStringList{kDigitsOnly});
    QTest::keyClick(w, Qt::Key_Backspace);
    if (combo) // the first takes the completion away
        QTest::keyClick(w, Qt::Key_Backspace);
    QCOMPARE(text(), QString());
    QCOMPARE(f.prompter.takeTexts(), QStringList());
}

void TstSettingsWindow::keysWithModifiers_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("after"); // what the field holds, "1" before
    QTest::addColumn<bool>("refused");
    const int ctrl = Qt::ControlModifier, alt = Qt::AltModifier, meta = Qt::MetaModifier;
    const int shift = Qt::ShiftModifier;
    // Keys that type a character go through the filter whatever is held with them.
    QTest::newRow("Alt+a") << u"Edit_IP1"_s << int(Qt::Key_A) << alt << u"1"_s << true;
    QTest::newRow("Ctrl+Alt+b (AltGr)") << u"Edit_IP1"_s << int(Qt::Key_B) << (ctrl | alt) << u"1"_s << true;
    QTest::newRow("Super+c") << u"Edit_IP1"_s << int(Qt::Key_C) << meta << u"1"_s << true;
    QTest::newRow("Shift+Alt+-") << u"Edit_IP1"_s << int(Qt::Key_Minus) << (shift | alt) << u"1"_s << true;
    QTest::newRow("Alt+x in a combo box")
        << u"CB_Server_ExpTime"_s << int(Qt::Key_X) << alt << u"1"_s << true;
    QTest::newRow("Alt+5") << u"Edit_IP1"_s << int(Qt::Key_5) << alt << u"15"_s << false;
    QTest::newRow("keypad 7") << u"Edit_IP1"_s << int(Qt::Key_7) << int(Qt::KeypadModifier) << u"17"_s
                              << false;
    // Shortcuts and navigation type nothing and pass untouched.
    QTest::newRow("Ctrl+a selects") << u"Edit_IP1"_s << int(Qt::Key_A) << ctrl << u"1"_s << false;
    QTest::newRow("Ctrl+Shift+z") << u"Edit_IP1"_s << int(Qt::Key_Z) << (ctrl | shift) << u"1"_s << false;
    QTest::newRow("Shift+Home") << u"Edit_IP1"_s << int(Qt::Key_Home) << shift << u"1"_s << false;
}

void TstSettingsWindow::keysWithModifiers()
{
    QFETCH(QString, field);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, after);
    QFETCH(bool, refused);
    QWidget *w = f.control(field);
    auto *combo = qobject_cast<QComboBox *>(w);
    QLineEdit *edit = combo ? combo->lineEdit() : static_cast<QLineEdit *>(w);
    edit->setText(u"1"_s);
    edit->end(false);
    w->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    // An editable combo box completes what was typed with the rest of an item, selected.
    QCOMPARE(edit->hasSelectedText() && combo ? edit->text().left(edit->selectionStart()) : edit->text(),
             after);
    QCOMPARE(f.prompter.takeTexts(), refused ? QStringList{kDigitsOnly} : QStringList());
}

void TstSettingsWindow::spaceMovesOn()
{
    auto *ip1 = f.control<QLineEdit>(u"Edit_IP1"_s);
    ip1->setText(u"10"_s);
    ip1->setFocus();
    QTest::keyClick(ip1, Qt::Key_Space);
    QCOMPARE(QApplication::focusWidget(), f.control(u"Edit_IP2"_s));
    QCOMPARE(ip1->text(), u"10"_s);
    QCOMPARE(f.control<QLineEdit>(u"Edit_IP2"_s)->text(), u"0"_s);
    f.control(u"Edit_IP4"_s)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(QApplication::focusWidget(), f.control(u"Edit_GW1"_s));
    QCOMPARE(f.prompter.takeTexts(), QStringList());

    // The port and the combo boxes take the space, and the command refuses it.
    giveStatus();
    auto *port = f.control<QLineEdit>(u"Edit_Server_Port"_s);
    port->setText(u"400"_s);
    port->setFocus();
    QTest::keyClick(port, Qt::Key_Space);
    QCOMPARE(port->text(), u"400 "_s);
    f.click(u"Btn_Save_Config_Server"_s);
    QCOMPARE(f.prompter.takeTexts(),
             QStringList{u"'400 ' is not a valid integer value\nTCP Server Port: 400 "_s});
    f.nothingSent();
}

void TstSettingsWindow::maximumLengths()
{
    auto *ip = f.control<QLineEdit>(u"Edit_GW3"_s);
    ip->clear();
    ip->setFocus();
    QTest::keyClicks(ip, u"1234"_s);
    QCOMPARE(ip->text(), u"123"_s);
    auto *port = f.control<QLineEdit>(u"Edit_Server_Port"_s);
    port->clear();
    port->setFocus();
    QTest::keyClicks(port, u"999999"_s);
    QCOMPARE(port->text(), u"99999"_s);
    f.window->pageControl().setCurrentIndex(1);
    QCOMPARE(f.control<QLineEdit>(u"Edit_Current_SSID"_s)->maxLength(), 32);
    QCOMPARE(f.control<QLineEdit>(u"Edit_Current_Pw"_s)->maxLength(), 16);
    QCOMPARE(f.prompter.takeTexts(), QStringList());
}

void TstSettingsWindow::manualEntry()
{
    f.window->pageControl().setCurrentIndex(1);
    auto *manual = f.control<QCheckBox>(u"CB_Manual_set_AP"_s);
    const QStringList unlocked{u"Edit_Current_SSID"_s, u"Edit_Current_Pw"_s, u"Btn_Set_CurrentAP"_s};
    QVERIFY(!manual->isChecked());
    for (const QString &name : unlocked)
        QVERIFY2(!f.control(name)->isEnabled(), qPrintable(name));
    QTest::mouseClick(manual, Qt::LeftButton, {}, QPoint(5, manual->height() / 2));
    QVERIFY(manual->isChecked());
    for (const QString &name : unlocked)
        QVERIFY2(f.control(name)->isEnabled(), qPrintable(name));
    f.setText(u"Edit_Current_SSID"_s, u"Typed"_s);
    QTest::mouseClick(manual, Qt::LeftButton, {}, QPoint(5, manual->height() / 2));
    for (const QString &name : unlocked)
        QVERIFY2(!f.control(name)->isEnabled(), qPrintable(name));
    QCOMPARE(f.control<QLineEdit>(u"Edit_Current_SSID"_s)->text(), u"Typed"_s);
    QCOMPARE(f.control<QLineEdit>(u"Edit_Current_Pw"_s)->text(), u"Not Queried"_s);
}

void TstSettingsWindow::gridDoubleClick_data()
{
    QTest::addColumn<bool>("manual");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("copied");
    QTest::newRow("SSID, manual entry on") << true << 1 << true;
    QTest::newRow("RSSI, manual entry on") << true << 3 << false;
    QTest::newRow("SSID, manual entry off") << false << 1 << false;
}

void TstSettingsWindow::gridDoubleClick()
{
    QFETCH(bool, manual);
    QFETCH(int, column);
    QFETCH(bool, copied);
    f.window->pageControl().setCurrentIndex(1);
    // The device's list of three access points.
    const QByteArray list = "3" + testframes::apRecord("Lab-2G", "1", "-48", "WPA2PSK/AES") +
                            testframes::apRecord("카페 와이파이", "6", "-70", "WPA2PSK/AES") +
                            testframes::apRecord("Guest", "11", "-91", "OPEN");
    QVERIFY(f.pty->write(testframes::frame(0x48, list)));
    QTRY_COMPARE(f.control(u"APList_Grid"_s)->isEnabled(), true);
    setFields({u"CB_Manual_set_AP="_s + (manual ? u"1"_s : u"0"_s), u"Edit_Current_SSID=Old"_s,
               u"Edit_Current_Pw=secret"_s});

    auto *grid = f.control<QTableWidget>(u"APList_Grid"_s);
    QTRY_COMPARE(grid->item(1, 1) ? grid->item(1, 1)->text() : QString(), u"카페 와이파이"_s);
    const QPoint at = grid->visualItemRect(grid->item(1, column)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(f.control<QLineEdit>(u"Edit_Current_SSID"_s)->text(), copied ? u"카페 와이파이"_s : u"Old"_s);
    QCOMPARE(f.control<QLineEdit>(u"Edit_Current_Pw"_s)->text(), copied ? QString() : u"secret"_s);
    if (!copied)
        return;
    QCOMPARE(QApplication::focusWidget(), f.control(u"Edit_Current_Pw"_s));
    // The chosen name goes back as the device reported it (UTF-8 here), not as a typed one would.
    f.prompter.answerYes();
    f.click(u"Btn_Set_CurrentAP"_s);
    const QByteArray name("카페 와이파이");
    QCOMPARE(f.pty->readAtLeast(53).mid(4, 32).toHex(' '),
             QByteArray(QByteArray(32 - name.size(), ' ') + name).toHex(' '));
    QCOMPARE(f.prompter.takeTexts(), QStringList{kApQuestion});
}

void TstSettingsWindow::autoQuery()
{
    f.window->pageControl().setCurrentIndex(1);
    auto *check = f.control<QCheckBox>(u"CB_RSSI_AutoChk"_s);
    QVERIFY(!timer()->isActive());
    QCOMPARE(timer()->interval(), 3000);
    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, check->height() / 2));
    QVERIFY(timer()->isActive());
    QCOMPARE(timer()->interval(), 3000);

    // Each tick asks first and sends one query on Yes.
    f.prompter.answerYes();
    tick(timer());
    QCOMPARE(f.prompter.takeTexts(), QStringList{kNetworkDelay});
    QCOMPARE(f.pty->readAtLeast(5).toHex(' '), kRssiQuery.toHex(' '));
    QCOMPARE(f.newLines(), stamped({u"TX 0x4A : [5][7E.05.4A.50.FE.]"_s}));
    f.prompter.answerNo();
    tick(timer());
    QCOMPARE(f.prompter.takeTexts(), QStringList{kNetworkDelay});
    QCOMPARE(f.newLines(), QStringList());

    f.control<QComboBox>(u"CB_Chk_RSSI_Interval"_s)->setCurrentText(u"5"_s);
    QCOMPARE(timer()->interval(), 5000);
    QVERIFY(timer()->isActive());
    f.prompter.answerYes();
    tick(timer());
    QCOMPARE(f.prompter.takeTexts(), QStringList{kNetworkDelay});
    QCOMPARE(f.pty->readAtLeast(5).toHex(' '), kRssiQuery.toHex(' '));

    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, check->height() / 2));
    QVERIFY(!check->isChecked());
    QVERIFY(!timer()->isActive());
    // The chosen interval stays for the next start.
    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, check->height() / 2));
    QCOMPARE(timer()->interval(), 5000);
    QVERIFY(timer()->isActive());
    f.control<QComboBox>(u"CB_Chk_RSSI_Interval"_s)->setCurrentText(u"3"_s);
    QCOMPARE(timer()->interval(), 3000);
    check->setChecked(false);
    f.newLines();
    f.nothingSent();
}

void TstSettingsWindow::autoQueryStopsWithDisconnect()
{
    f.window->pageControl().setCurrentIndex(1);
    auto *check = f.control<QCheckBox>(u"CB_RSSI_AutoChk"_s);
    QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, check->height() / 2));
    QVERIFY(timer()->isActive());
    f.click(u"ButtonStop"_s);
    QVERIFY(!check->isChecked());
    QVERIFY(!check->isEnabled());
    QVERIFY(!timer()->isActive());
    QCOMPARE(f.prompter.takeTexts(), QStringList());
}

void TstSettingsWindow::ticksWaitForAnOpenBox()
{
    // A window whose boxes let ticks come due while they are open.
    f.window.reset();
    OpenBoxPrompter boxes(f.prompter);
    MainWindow window(Services{boxes, f.clock, f.launcher}, makeSerialLink());
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::mouseClick(window.findChild<QPushButton *>(u"ButtonStart"_s), Qt::LeftButton);
    QVERIFY(window.link().isOpen());
    QTimer *autoTimer = window.apPage().autoQueryTimer();
    window.apPage().autoQueryCheck()->setChecked(true);
    QVERIFY(autoTimer->isActive());
    autoTimer->setInterval(3600 * 1000); // only the test's ticks come due

    boxes.whileOpen = [autoTimer] {
        tick(autoTimer);
        tick(autoTimer);
        tick(autoTimer);
    };
    f.prompter.answerYes();
    f.prompter.answerYes();
    tick(autoTimer);
    // The ticks that came due wait as one, and ask once the first box has closed.
    QCOMPARE(f.prompter.takeTexts(), QStringList{kNetworkDelay});
    QTRY_COMPARE(f.prompter.pending(), 1);
    QCOMPARE(f.prompter.takeTexts(), QStringList{kNetworkDelay});
    QCOMPARE(f.pty->readAtLeast(10).toHex(' '), QByteArray(kRssiQuery + kRssiQuery).toHex(' '));
    QCOMPARE(boxes.maxDepth, 1);

    // A tick waiting when the query is switched off does not ask.
    boxes.whileOpen = [&window, autoTimer] {
        tick(autoTimer);
        window.apPage().autoQueryCheck()->setChecked(false);
    };
    f.prompter.answerNo();
    tick(autoTimer);
    QCOMPARE(f.prompter.takeTexts(), QStringList{kNetworkDelay});
    QCoreApplication::sendPostedEvents(); // a wrongly posted tick would ask now
    QCOMPARE(f.prompter.takeTexts(), QStringList());
    QVERIFY(!autoTimer->isActive());
}

QTEST_MAIN(TstSettingsWindow)
#include "tst_settings_window.moc"
