#include "fakes.h"
#include "r5/suitefonts.h"
#include "sim/frmsimulator.h"
#include "simpeer.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <memory>

using namespace Qt::StringLiterals;
using namespace r5::sim;
using simtest::PeerServer;

namespace {
const QString kStamp = u"[09:15:02.125"_s;

// Contrast ratio of two colours (relative luminance, as for text on screen).
double contrast(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TstSimWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void startupState();
    void readableLayout_data();
    void readableLayout();
    void optionRules_data();
    void optionRules();
    void addressBoxesMoveFocus();
    void addressTypedFromFirstBox_data();
    void addressTypedFromFirstBox();
    void clickBackFromLastBoxKeepsTyping();
    void addressBoxesRefuseOutOfRange_data();
    void addressBoxesRefuseOutOfRange();
    void settingsRestoredAtNextStart();
    void dataInputFilterAndCounters();
    void logFileChooser();
    void makerLink();
    void oddHexWarnsAndSendsEvenPart();
    void emptyAddressRefused();
    // A connect or listen that fails says why, once, in the list and the error file; a server
    // run retrying its listen is stopped by "Close".
    void failedRunSaysWhy_data();
    void failedRunSaysWhy();
    void programModeFillsEmptyGap();
    void echoServerAgainstSocat();

private:
    template <class T = QWidget> T *child(const QString &name) const
    {
        T *w = m_window->findChild<T *>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    QLineEdit *octet(int i) const { return child<QLineEdit>(u"txt_Destination_IP_"_s + QString::number(i)); }
    QStringList rows() const { return m_window->activityLog().model()->allRows(); }
    void newWindow();
    // On the indicator of an option or check box, which a layout may have made wide.
    void click(const QString &name)
    {
        QWidget *w = child(name);
        const bool indicator = qobject_cast<QRadioButton *>(w) || qobject_cast<QCheckBox *>(w);
        QTest::mouseClick(w, Qt::LeftButton, {}, indicator ? QPoint(6, w->height() / 2) : QPoint());
    }
    // Press and release go to whichever box has the focus at that moment, as with a keyboard.
    void type(const QString &keys);
    void typeKey(Qt::Key key);
    void setLoopbackDestination(quint16 port);
    // A character the test keyboard does not have, as an input method would deliver it.
    static void typeChar(QWidget *w, QChar c)
    {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QApplication::sendEvent(w, &release);
    }

    QTemporaryDir m_settings;
    std::unique_ptr<QTemporaryDir> m_appDir;
    r5::test::FakePrompter m_prompter;
    r5::test::FakeClock m_clock;
    r5::test::FakeLauncher m_launcher;
    std::unique_ptr<frmSimulator> m_window;
};

void TstSimWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
    // Layouts are measured with the fonts the build ships (bin/fonts), not the machine's.
    QVERIFY(r5::registerSuiteFonts() > 0);
}

void TstSimWindow::init()
{
    // Through QSettings: on Windows the store is the registry, which setPath() cannot move.
    QSettings(QSettings::NativeFormat, QSettings::UserScope, u"KV3700_SIMUL"_s).clear();
    m_appDir = std::make_unique<QTemporaryDir>();
    // The statistics file goes to ./log: each test writes into a folder of its own.
    QVERIFY(QDir::setCurrent(m_appDir->path()));
    m_prompter.reset();
    m_launcher.urls.clear();
    newWindow();
}

void TstSimWindow::cleanup()
{
    QVERIFY2(m_prompter.unexpected().isEmpty(), qPrintable(m_prompter.unexpected().join(u", "_s)));
    m_window.reset();
    QDir::setCurrent(QDir::tempPath());
    m_appDir.reset();
}

void TstSimWindow::newWindow()
{
    m_window.reset();
    m_window = std::make_unique<frmSimulator>(m_prompter, m_clock, m_launcher, m_appDir->path());
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TstSimWindow::type(const QString &keys)
{
    QCoreApplication::processEvents(); // the focus arrived before the typing starts
    for (const QChar c : keys) {
        QTest::keyPress(QApplication::focusWidget(), char(c.unicode()));
        QTest::keyRelease(QApplication::focusWidget(), char(c.unicode()));
        QCoreApplication::processEvents(); // as between two keystrokes
    }
}

void TstSimWindow::typeKey(Qt::Key key)
{
    QTest::keyPress(QApplication::focusWidget(), key);
    QTest::keyRelease(QApplication::focusWidget(), key);
}

void TstSimWindow::setLoopbackDestination(quint16 port)
{
    const QStringList parts{u"127"_s, u"0"_s, u"0"_s, u"1"_s};
    for (int i = 0; i < 4; ++i)
        octet(i)->setText(parts[i]);
    child<QLineEdit>(u"txt_Destination_Port"_s)->setText(QString::number(port));
}

void TstSimWindow::startupState()
{
    QCOMPARE(m_window->windowTitle(), u"Korvia Simulator Ver3.5.1 (2011/06/08)"_s);
    for (const char *on : {"opt_Server", "opt_Ascii", "opt_Send_recv", "opt_Repeat", "opt_List", "Opt_Cnn1"})
        QVERIFY2(child<QRadioButton>(QLatin1StringView(on))->isChecked(), on);
    QVERIFY(!child<QCheckBox>(u"chkMode"_s)->isChecked());
    for (const char *off : {"opt_Repeat", "opt_OneTime", "com_Timegap", "com_Count", "txt_Logfile",
                            "cmd_browser", "lblLogfile", "cmd_CSend", "txt_Port", "Cmd_Send", "cmd_End"})
        QVERIFY2(!child(QLatin1StringView(off))->isEnabled(), off);
    QVERIFY(child(u"Cmd_Start"_s)->isEnabled());
    QCOMPARE(child<QPushButton>(u"Cmd_Start"_s)->text(), u"Connect"_s);
    QCOMPARE(child<QComboBox>(u"com_Timegap"_s)->currentText(), u"1"_s);
    QCOMPARE(child<QComboBox>(u"com_Count"_s)->currentText(), u"Endless"_s);
    QCOMPARE(child<QComboBox>(u"com_Count"_s)->count(), 51);
    QCOMPARE(child<QComboBox>(u"txtTimeGap_0"_s)->count(), 9 + 9 + 21);
    // The stored default is shown, never used: every test sets loopback before connecting.
    QCOMPARE(octet(0)->text(), u"100"_s);
    QCOMPARE(octet(1)->text(), u"100"_s);
    QCOMPARE(octet(2)->text(), u"100"_s);
    QCOMPARE(octet(3)->text(), u"1"_s);
    QCOMPARE(child<QLineEdit>(u"txt_Destination_Port"_s)->text(), u"4000"_s);
    QCOMPARE(child<QLineEdit>(u"txt_Logfile"_s)->text(), m_appDir->path() + u"/Log/20261207.dat"_s);
    QVERIFY(child<QLineEdit>(u"txt_Simulator_IP"_s)->isReadOnly());
    QVERIFY(!child<QLineEdit>(u"txt_Simulator_IP"_s)->text().isEmpty());
    QCOMPARE(child<QLineEdit>(u"txt_Port"_s)->palette().color(QPalette::Base), QColor(0xC0, 0xC0, 0xC0));
    QCOMPARE(child<QLabel>(u"Label9"_s)->text(), u"0"_s);
    QCOMPARE(m_window->size(), m_window->minimumSize());
    QCOMPARE(m_window->size(), m_window->maximumSize());
    for (QWidget *w : m_window->findChildren<QWidget *>()) {
        if (qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w) || qobject_cast<QRadioButton *>(w) ||
            qobject_cast<QCheckBox *>(w))
            QVERIFY2(!w->accessibleName().isEmpty() || w->parentWidget()->inherits("QComboBox"),
                     qPrintable(w->objectName()));
    }
}

void TstSimWindow::readableLayout_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<qreal>("listPoints"); // 0: the list's own font
    QTest::newRow("start-up") << QStringList() << 0.0;
    QTest::newRow("client role, grey boxes") << QStringList{u"opt_Client"_s} << 0.0;
    QTest::newRow("receive only, button-face boxes")
        << QStringList{u"opt_Receive_Only"_s, u"opt_None"_s} << 0.0;
    QTest::newRow("program mode") << QStringList{u"opt_Send_Only"_s, u"chkMode"_s} << 0.0;
    QTest::newRow("a taller font than drawn for") << QStringList() << 14.0;
}

// Inside the fixed window every frame gets the room it needs, the activity list shows at least
// 20 rows (the window grows for a taller font), and the text of every disabled control stays
// readable (contrast of 4.5 : 1 or more).
void TstSimWindow::readableLayout()
{
    QFETCH(QStringList, clicks);
    QFETCH(qreal, listPoints);
    // The minimal platform of the Windows runs has a fixed 240 x 320 screen, which shrinks the window.
    if (const QSize room = m_window->screen()->availableSize(); room.width() < 731 || room.height() < 722)
        QSKIP("the screen cannot hold the window; Linux runs measure the layout");
    auto *list = child<QListView>(u"List1"_s);
    QCOMPARE(QFontInfo(list->font()).family(), u"DejaVu Sans"_s);
    if (listPoints > 0) {
        QFont taller = list->font();
        taller.setPointSizeF(listPoints);
        list->setFont(taller);
    }
    for (const QString &name : clicks)
        click(name);
    QCoreApplication::processEvents(); // the layout settles
    const QWidget *page = child<QScrollArea>(QString())->widget();
    if (listPoints > 0)
        QVERIFY(page->height() > 722);
    else
        QCOMPARE(m_window->size(), QSize(731, 722));
    QVERIFY(page->minimumSizeHint().width() <= page->width());
    QVERIFY2(page->minimumSizeHint().height() <= page->height(),
             qPrintable(QString::number(page->minimumSizeHint().height())));
    m_window->activityLog().model()->addText(u"row"_s);
    m_window->activityLog().model()->flush();
    const int rows = list->viewport()->height() / list->sizeHintForRow(0);
    QVERIFY2(rows >= 20, qPrintable(QString::number(rows)));

    int disabled = 0;
    for (const QWidget *w : m_window->findChildren<QWidget *>()) {
        if (w->isEnabled() || !w->isVisibleTo(m_window.get()) || qobject_cast<const QListView *>(w))
            continue;
        const QPalette &p = w->palette();
        QPalette::ColorRole fg = QPalette::WindowText, bg = QPalette::Window;
        if (qobject_cast<const QLineEdit *>(w) || qobject_cast<const QComboBox *>(w)) {
            fg = QPalette::Text;
            bg = QPalette::Base;
        } else if (qobject_cast<const QPushButton *>(w)) {
            fg = QPalette::ButtonText;
            bg = QPalette::Button;
        }
        const double ratio = contrast(p.color(QPalette::Disabled, fg), p.color(QPalette::Disabled, bg));
        QVERIFY2(ratio >= 4.5, qPrintable(w->objectName() + u" "_s + QString::number(ratio)));
        ++disabled;
    }
    QVERIFY(disabled > 5);
}

void TstSimWindow::optionRules_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("clicked");
    QTest::addColumn<QStringList>("enabled");
    QTest::addColumn<QStringList>("disabled");
    QTest::addColumn<QStringList>("checked");
    QTest::addColumn<QString>("startCaption");
    const QStringList octets{u"txt_Destination_IP_0"_s, u"txt_Destination_IP_1"_s, u"txt_Destination_IP_2"_s,
                             u"txt_Destination_IP_3"_s, u"txt_Destination_Port"_s};
    const QStringList timing{u"opt_Repeat"_s, u"opt_OneTime"_s, u"com_Timegap"_s, u"com_Count"_s};
    const QStringList gapAndCount{u"lblTimegap"_s, u"lblCount"_s, u"com_Timegap"_s, u"com_Count"_s};
    const QStringList logFile{u"lblLogfile"_s, u"txt_Logfile"_s, u"cmd_browser"_s};
    const QStringList buttons{u"Cmd_Start"_s, u"Cmd_Send"_s, u"cmd_End"_s};
    const QStringList programOff{u"txt_Data_Input"_s, u"cmd_End"_s, u"Cmd_Start"_s, u"Cmd_Send"_s};

    QTest::newRow("Client") << QStringList() << u"opt_Client"_s << QStringList{u"txt_Port"_s}
                            << QStringList{u"opt_Repeat"_s, u"com_Timegap"_s, u"com_Count"_s} + octets
                            << QStringList{u"opt_OneTime"_s} << u"Listen"_s;
    QTest::newRow("Server") << QStringList{u"opt_Client"_s} << u"opt_Server"_s
                            << QStringList{u"opt_Repeat"_s, u"com_Timegap"_s, u"com_Count"_s} + octets
                            << QStringList{u"txt_Port"_s} << QStringList{u"opt_Repeat"_s} << u"Connect"_s;
    QTest::newRow("Send Only") << QStringList() << u"opt_Send_Only"_s << timing + QStringList{u"chkMode"_s}
                               << QStringList() << QStringList() << QString();
    for (const char *action : {"opt_Receive_Only", "opt_Send_input", "opt_Send_recv"}) {
        QTest::newRow(action) << QStringList{u"opt_Send_Only"_s, u"chkMode"_s} << QString::fromLatin1(action)
                              << QStringList() << timing + QStringList{u"chkMode"_s} << QStringList()
                              << QString();
    }
    QTest::newRow("OneTime") << QStringList{u"opt_Send_Only"_s} << u"opt_OneTime"_s << QStringList()
                             << gapAndCount << QStringList() << QString();
    QTest::newRow("Repeat") << QStringList{u"opt_Send_Only"_s, u"opt_OneTime"_s} << u"opt_Repeat"_s
                            << gapAndCount << QStringList() << QStringList() << QString();
    QTest::newRow("File") << QStringList() << u"opt_File"_s << logFile << QStringList() << QStringList()
                          << QString();
    QTest::newRow("List + File") << QStringList() << u"Opt_List_File"_s << logFile << QStringList()
                                 << QStringList() << QString();
    QTest::newRow("None") << QStringList{u"opt_File"_s} << u"opt_None"_s << QStringList() << logFile
                          << QStringList() << QString();
    QTest::newRow("List") << QStringList{u"Opt_List_File"_s} << u"opt_List"_s << QStringList() << logFile
                          << QStringList() << QString();
    QTest::newRow("Connect && Close") << QStringList() << u"Opt_Cnn2"_s << QStringList{u"cmd_CSend"_s}
                                      << buttons << QStringList() << QString();
    QTest::newRow("Connect") << QStringList{u"Opt_Cnn2"_s} << u"Opt_Cnn1"_s << buttons
                             << QStringList{u"cmd_CSend"_s} << QStringList() << QString();
    QTest::newRow("Program Mode on") << QStringList{u"opt_Send_Only"_s} << u"chkMode"_s
                                     << QStringList{u"Frame10"_s, u"cmdSendStart"_s}
                                     << programOff + QStringList{u"opt_Repeat"_s}
                                     << QStringList{u"opt_OneTime"_s} << QString();
    QTest::newRow("Program Mode off") << QStringList{u"opt_Send_Only"_s, u"chkMode"_s} << u"chkMode"_s
                                      << programOff + QStringList{u"opt_Repeat"_s}
                                      << QStringList{u"Frame10"_s} << QStringList() << QString();
}

void TstSimWindow::optionRules()
{
    QFETCH(QStringList, before);
    QFETCH(QString, clicked);
    QFETCH(QStringList, enabled);
    QFETCH(QStringList, disabled);
    QFETCH(QStringList, checked);
    QFETCH(QString, startCaption);
    for (const QString &b : before)
        click(b);
    click(clicked);
    for (const QString &name : enabled)
        QVERIFY2(child(name)->isEnabled(), qPrintable(name));
    for (const QString &name : disabled)
        QVERIFY2(!child(name)->isEnabled(), qPrintable(name));
    for (const QString &name : checked)
        QVERIFY2(child<QAbstractButton>(name)->isChecked(), qPrintable(name));
    if (clicked == u"opt_Receive_Only" || clicked == u"opt_Send_input" || clicked == u"opt_Send_recv") {
        QVERIFY(!child<QCheckBox>(u"chkMode"_s)->isChecked());
        QCOMPARE(child(u"com_Count"_s)->palette().color(QPalette::Base),
                 m_window->palette().color(QPalette::Button));
    }
    if (clicked == u"opt_Client")
        QCOMPARE(octet(0)->palette().color(QPalette::Base), QColor(0xC0, 0xC0, 0xC0));
    if (!startCaption.isEmpty())
        QCOMPARE(child<QPushButton>(u"Cmd_Start"_s)->text(), startCaption);
}

void TstSimWindow::addressBoxesMoveFocus()
{
    setLoopbackDestination(4000);
    octet(0)->clear();
    octet(0)->setFocus();
    type(u"192"_s);
    QTRY_COMPARE(QApplication::focusWidget(), octet(1));
    QCOMPARE(octet(0)->text(), u"192"_s);

    octet(0)->setText(QString());
    octet(0)->setFocus();
    type(u"10."_s);
    QTRY_COMPARE(QApplication::focusWidget(), octet(1));
    QCOMPARE(octet(0)->text(), u"10"_s); // the dot moved on, it was not typed

    type(u"x"_s); // refused
    QCOMPARE(octet(1)->text(), u"0"_s);
    octet(1)->setText(u"5"_s);
    octet(2)->clear();
    octet(2)->setFocus();
    typeKey(Qt::Key_Backspace);
    QTRY_COMPARE(QApplication::focusWidget(), octet(1));
    QCOMPARE(octet(1)->selectedText(), u"5"_s);

    octet(3)->clear();
    octet(3)->setFocus();
    type(u"254"_s);
    QTRY_COMPARE(QApplication::focusWidget(), child(u"txt_Destination_Port"_s));
    QCOMPARE(m_prompter.pending(), 0);
}

void TstSimWindow::addressTypedFromFirstBox_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("focus");
    const QString port = u"txt_Destination_Port"_s;
    // A "." right after a full box moved on by itself is the same separator, not another one.
    QTest::newRow("loopback") << u"127.0.0.1"_s << QStringList{u"127"_s, u"0"_s, u"0"_s, u"1"_s}
                              << u"txt_Destination_IP_3"_s;
    QTest::newRow("every box full") << u"127.168.1.110"_s << QStringList{u"127"_s, u"168"_s, u"1"_s, u"110"_s}
                                    << port;
    QTest::newRow("without dots") << u"127168001110"_s << QStringList{u"127"_s, u"168"_s, u"001"_s, u"110"_s}
                                  << port;
    QTest::newRow("short octets") << u"127.2.30.4"_s << QStringList{u"127"_s, u"2"_s, u"30"_s, u"4"_s}
                                  << u"txt_Destination_IP_3"_s;
    QTest::newRow("no dot in the last box")
        << u"127.1.2.3.4"_s << QStringList{u"127"_s, u"1"_s, u"2"_s, u"34"_s} << u"txt_Destination_IP_3"_s;
    QTest::newRow("a second dot moves on")
        << u"127..1"_s << QStringList{u"127"_s, u"0"_s, u"1"_s, u"1"_s} << u"txt_Destination_IP_2"_s;
}

void TstSimWindow::addressTypedFromFirstBox()
{
    QFETCH(QString, keys);
    QFETCH(QStringList, boxes);
    QFETCH(QString, focus);
    setLoopbackDestination(4000);
    octet(0)->setFocus();
    type(keys);
    QTRY_COMPARE(QApplication::focusWidget(), child(focus));
    for (int i = 0; i < 4; ++i)
        QCOMPARE(octet(i)->text(), boxes[i]);
    QCOMPARE(m_prompter.pending(), 0);
}

void TstSimWindow::clickBackFromLastBoxKeepsTyping()
{
    setLoopbackDestination(4000);
    octet(3)->setFocus();
    type(u"9"_s);
    QTest::mouseClick(octet(0), Qt::LeftButton);
    QTRY_COMPARE(QApplication::focusWidget(), octet(0));
    type(u"10"_s);
    QCOMPARE(QApplication::focusWidget(), octet(0));
    QCOMPARE(octet(0)->text(), u"10"_s);
    QCOMPARE(octet(3)->text(), u"9"_s);
    QCOMPARE(child<QLineEdit>(u"txt_Destination_Port"_s)->text(), u"4000"_s);
}

void TstSimWindow::addressBoxesRefuseOutOfRange_data()
{
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::newRow("224 in box 0") << 0 << u"224"_s << int(r5::Prompter::Icon::None) << QString()
                                  << u"IP Address Value Cross Limit"_s;
    QTest::newRow("256 in box 2") << 2 << u"256"_s << int(r5::Prompter::Icon::Information)
                                  << u"IP Address Error"_s << u" Please Check your IP Address Format"_s;
}

void TstSimWindow::addressBoxesRefuseOutOfRange()
{
    QFETCH(int, box);
    QFETCH(QString, typed);
    QFETCH(int, icon);
    QFETCH(QString, title);
    QFETCH(QString, text);
    octet(box)->clear();
    octet(box)->setFocus();
    type(typed); // the third digit moves on, and leaving the box checks it
    QTRY_COMPARE(m_prompter.pending(), 1);
    const auto shown = m_prompter.takeBoxes();
    QCOMPARE(int(shown[0].icon), icon);
    QCOMPARE(shown[0].title, title);
    QCOMPARE(shown[0].text, text);
    QTRY_COMPARE(QApplication::focusWidget(), octet(box));
    QCOMPARE(octet(box)->text(), QString());
}

void TstSimWindow::settingsRestoredAtNextStart()
{
    // Typed over the full stored address: the dot moves one box on, even into a full box.
    octet(0)->setFocus();
    octet(0)->selectAll();
    type(u"127"_s);
    QTRY_COMPARE(QApplication::focusWidget(), octet(1));
    type(u"0.0.9"_s);
    child<QLineEdit>(u"txt_Destination_Port"_s)->setText(u"5123"_s);
    {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, u"KV3700_SIMUL"_s);
        QCOMPARE(s.value(u"Simulator/ADDRESS"_s).toString(), u"127.0.0.9"_s);
        QCOMPARE(s.value(u"Simulator/PORT"_s).toString(), u"5123"_s);
    }
    newWindow();
    QCOMPARE(octet(0)->text(), u"127"_s);
    QCOMPARE(octet(1)->text(), u"0"_s);
    QCOMPARE(octet(2)->text(), u"0"_s);
    QCOMPARE(octet(3)->text(), u"9"_s);
    QCOMPARE(child<QLineEdit>(u"txt_Destination_Port"_s)->text(), u"5123"_s);
}

void TstSimWindow::dataInputFilterAndCounters()
{
    auto *input = child<QLineEdit>(u"txt_Data_Input"_s);
    auto *counter = child<QLabel>(u"Label9"_s);
    QTest::keyClicks(input, u"a b"_s);
    typeChar(input, QChar(0xE9));
    typeChar(input, QChar(0xD55C)); // beyond one byte: dropped
    QCOMPARE(input->text(), u"a b\u00e9"_s);
    QCOMPARE(counter->text(), u"4"_s);
    click(u"opt_HexA"_s);
    QCOMPARE(input->text(), QString());
    QCOMPARE(counter->text(), u"0"_s);
    QTest::keyClicks(input, u"1G2h3 f"_s);
    QCOMPARE(input->text(), u"123f"_s);
    QCOMPARE(counter->text(), u"2"_s);
    QTest::keyClick(input, Qt::Key_Backspace);
    QCOMPARE(input->text(), u"123"_s);
    QCOMPARE(counter->text(), u"1"_s);

    click(u"opt_Send_Only"_s);
    click(u"chkMode"_s);
    auto *step = child<QLineEdit>(u"txtStep_2"_s);
    QTest::keyClicks(step, u"0A1x"_s);
    QCOMPARE(step->text(), u"0A1"_s);
    QCOMPARE(child<QLabel>(u"lvlcnt_Byte_2"_s)->text(), u"1"_s);
}

void TstSimWindow::logFileChooser()
{
    click(u"opt_File"_s);
    const QString path = m_appDir->filePath(u"mine.log"_s);
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old\r\n");
    }
    m_prompter.answerFile(path);
    click(u"cmd_browser"_s);
    const auto shown = m_prompter.takeBoxes();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].kind, r5::test::FakePrompter::Box::SaveDialog);
    QCOMPARE(shown[0].text, u"Text Files (*.log)"_s);
    QCOMPARE(child<QLineEdit>(u"txt_Logfile"_s)->text(), path);
    QCOMPARE(readAll(path), QByteArray("old\r\n")); // never truncated
    QCOMPARE(m_prompter.replaceQuestions, 0);       // so nobody is asked whether to replace it

    const QString fresh = m_appDir->filePath(u"fresh.log"_s);
    m_prompter.answerFile(fresh);
    click(u"cmd_browser"_s);
    QVERIFY(QFileInfo::exists(fresh));
    m_prompter.answerFile(QString()); // cancelled
    click(u"cmd_browser"_s);
    QCOMPARE(child<QLineEdit>(u"txt_Logfile"_s)->text(), fresh);
    m_prompter.takeBoxes();
}

void TstSimWindow::makerLink()
{
    click(u"Label11"_s);
    QCOMPARE(m_launcher.urls, QList<QUrl>{QUrl(frmSimulator::makerPage())});
    QVERIFY(m_launcher.starts.isEmpty());
}

void TstSimWindow::oddHexWarnsAndSendsEvenPart()
{
    PeerServer peer;
    setLoopbackDestination(peer.port());
    click(u"opt_HexA"_s);
    click(u"opt_Receive_Only"_s);
    QTest::keyClicks(child(u"txt_Data_Input"_s), u"ABC"_s);
    QCOMPARE(child<QLabel>(u"Label9"_s)->text(), u"1"_s);
    click(u"Cmd_Start"_s);
    QVERIFY(!child(u"Cmd_Start"_s)->isEnabled());
    QTRY_VERIFY(rows().contains(kStamp + u"] : Connection Success"_s));
    QVERIFY(!child(u"Frame1"_s)->isEnabled());
    QVERIFY(!child(u"Frame2"_s)->isEnabled());
    QVERIFY(child(u"cmd_End"_s)->isEnabled());
    click(u"Cmd_Send"_s);
    QCOMPARE(m_prompter.takeTexts(), QStringList{u"Invalid Data"_s});
    QTRY_COMPARE(peer.received, QByteArray("\xAB"));
    QTRY_VERIFY(rows().contains(u"[ 09:15:02.125 ] : Send [ 1 byte ] :  AB"_s));
    auto *list = child<QListView>(u"List1"_s);
    QTRY_COMPARE(list->currentIndex().row(), list->model()->rowCount() - 1);

    click(u"cmd_End"_s);
    QVERIFY(child(u"Frame1"_s)->isEnabled());
    QVERIFY(child(u"Cmd_Start"_s)->isEnabled());
    QVERIFY(!child(u"cmd_End"_s)->isEnabled());
    click(u"cmd_Log"_s);
    QCOMPARE(list->model()->rowCount(), 0);
}

void TstSimWindow::emptyAddressRefused()
{
    for (int i = 0; i < 4; ++i)
        octet(i)->clear();
    click(u"Cmd_Start"_s);
    const auto shown = m_prompter.takeBoxes();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, u"Input Destination IP"_s);
    QCOMPARE(shown[0].title, u"Error"_s);
    QCOMPARE(shown[0].icon, r5::Prompter::Icon::Critical);
    QVERIFY(child(u"Cmd_Start"_s)->isEnabled());
}

void TstSimWindow::failedRunSaysWhy_data()
{
    QTest::addColumn<bool>("listen");
    QTest::addColumn<QString>("why");
    QTest::addColumn<QString>("record");
    QTest::newRow("connect refused") << false << u"Connection refused (error 10061)"_s
                                     << u"Err Title : Client Socket Error\r\n"_s;
    QTest::newRow("listen on a port in use")
        << true << u"Address already in use (error 10048)"_s << u"Err Title : Server Socket Error\r\n"_s;
}

void TstSimWindow::failedRunSaysWhy()
{
    QFETCH(bool, listen);
    QFETCH(QString, why);
    QFETCH(QString, record);
    QTcpServer holder; // another program on the port
    QVERIFY(holder.listen(QHostAddress::LocalHost, 0));
    const QString port = QString::number(holder.serverPort());
    const QString fail = kStamp + (listen ? u"] : Listen Fail"_s : u"] : Connection Fail"_s);
    const auto count = [this](const QString &line) { return rows().count(line); };
    if (listen) {
        click(u"opt_Client"_s);
        child<QLineEdit>(u"txt_Port"_s)->setText(port);
    } else {
        setLoopbackDestination(holder.serverPort());
        holder.close();
    }
    click(u"Cmd_Start"_s);
    QTRY_VERIFY(count(fail) >= (listen ? 2 : 1));
    const QString reason =
        kStamp +
        (listen ? u"] : Cannot listen on port "_s + port : u"] : Cannot connect to 127.0.0.1:"_s + port) +
        u" : "_s + why;
    QVERIFY2(count(reason) == 1, qPrintable(rows().join(u"\n"_s)));
    QVERIFY(rows().indexOf(reason) > rows().indexOf(fail));
    QVERIFY(
        rows().contains(u"09:15:02"_s + record.mid(12, 13) + u" Error : Referance Err_Log File ....... "_s));
    m_window->activityLog().waitWritten();
    const QByteArray errors = readAll(m_appDir->filePath(u"Err_Log/20261207.txt"_s));
    QVERIFY2(errors.startsWith(record.toLatin1()) && errors.count("Err Title") == 1, errors.constData());
    // The statistics file is relative to the working folder: the test's own.
    QVERIFY(readAll(m_appDir->filePath(u"log/STAT_20261207.log"_s)).startsWith(record.toLatin1()));
    if (listen) {
        QVERIFY(errors.contains("Err Number : 10048\r\n"));
        QVERIFY(m_prompter.takeTexts().isEmpty());
        QVERIFY(!child(u"Cmd_Start"_s)->isEnabled());
        QVERIFY(!child(u"Frame1"_s)->isEnabled());
        click(u"cmd_End"_s);
        QCOMPARE(rows().last(), kStamp + u"] : Server Closed"_s);
        const qsizetype fails = count(fail);
        QTest::qWait(1500); // longer than a retry: none follows
        QCOMPARE(count(fail), fails);
    } else {
        QCOMPARE(m_prompter.takeTexts(), QStringList{u"E........"_s});
    }
    QVERIFY(child(u"Cmd_Start"_s)->isEnabled());
    QVERIFY(child(u"Frame1"_s)->isEnabled());
    QVERIFY(!child(u"cmd_End"_s)->isEnabled());
}

void TstSimWindow::programModeFillsEmptyGap()
{
    PeerServer peer;
    setLoopbackDestination(peer.port());
    click(u"opt_Send_Only"_s);
    click(u"chkMode"_s);
    click(u"opt_HexA"_s);
    QTest::keyClicks(child(u"txtStep_0"_s), u"7E"_s);
    click(u"cmdSendStart"_s);
    QTRY_COMPARE(child<QPushButton>(u"cmdSendStart"_s)->text(), u"End"_s);
    QTRY_COMPARE(peer.received, QByteArray("\x7E"));
    QTRY_COMPARE(child<QComboBox>(u"txtTimeGap_0"_s)->currentText(), u"1000"_s);
    click(u"cmdSendStart"_s);
    QCOMPARE(child<QPushButton>(u"cmdSendStart"_s)->text(), u"Start"_s);
    QVERIFY(rows().contains(kStamp + u"] : Client Closed"_s));
}

void TstSimWindow::echoServerAgainstSocat()
{
    const QString socat = QStandardPaths::findExecutable(u"socat"_s);
    if (socat.isEmpty())
        QSKIP("socat is not installed");
    const quint16 port = simtest::freePort();
    click(u"opt_Client"_s);
    child<QLineEdit>(u"txt_Port"_s)->setText(QString::number(port));
    click(u"Cmd_Start"_s);
    QTRY_VERIFY(rows().contains(kStamp + u"] : Listen.."_s));

    const QByteArray message = QByteArray(60, 'a') + QByteArray(60, 'b') + QByteArray(10, 'c');
    QProcess peer;
    peer.start(socat, {u"-t"_s, u"2"_s, u"-"_s, u"TCP:127.0.0.1:"_s + QString::number(port)});
    QVERIFY(peer.waitForStarted());
    peer.write(message);
    QTRY_COMPARE(peer.bytesAvailable(), qint64(message.size()));
    QCOMPARE(peer.readAllStandardOutput(), message);
    peer.closeWriteChannel();
    QVERIFY(peer.waitForFinished(5000));

    // 130 characters: three pieces and the closing line, for the arrival and for the echo.
    const QStringList shown = rows();
    const qsizetype at = shown.indexOf(kStamp + u"] : Recv [130 byte] :  "_s + QString(60, u'a'));
    QVERIFY(at > 0);
    QCOMPARE(shown.mid(at + 1, 7), (QStringList{u" "_s + QString(60, u'b'), u" cccccccccc"_s, u" "_s,
                                                kStamp + u"] : Send [130 byte] :  "_s + QString(60, u'a'),
                                                u" "_s + QString(60, u'b'), u" cccccccccc"_s, u" "_s}));
    QTRY_VERIFY(rows().contains(kStamp + u"] : Client Disconnected"_s));
    QTRY_COMPARE(rows().count(kStamp + u"] : Listen.."_s), 2); // ready for the next peer
    click(u"cmd_End"_s);
}

QTEST_MAIN(TstSimWindow)
#include "tst_sim_window.moc"
