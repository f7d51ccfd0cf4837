#include "mainwindows.h"
#include "r5/suitefonts.h"
#include "r5setup/ui/pagecontrol.h"

#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Native pixels and scaling of the screens, side by side on one desktop.
struct ScreenSpec
{
    const char *name;
    int width;
    int height;
    int percent;
};
constexpr ScreenSpec kScreens[] = {
    {"1366x768 at 100 %", 1366, 768, 100}, // the primary screen: the platform adds them by name
    {"1366x768 at 150 %", 1366, 768, 150},
    {"1920x1080 at 125 %", 1920, 1080, 125},
    {"2560x1440 at 200 %", 2560, 1440, 200},
    // The room 1366x768 leaves under a taskbar (720) for a window with a title bar and borders
    // (this platform draws a frame of 2): named to come last.
    {"short 1366x684 at 100 %", 1366, 684, 100},
};

QByteArray screensConfig()
{
    QByteArray screens;
    int x = 0;
    for (const ScreenSpec &s : kScreens) {
        screens += (screens.isEmpty() ? "" : ",") + QByteArray(R"({"name": ")") + s.name + R"(", "x": )" +
                   QByteArray::number(x) + R"(, "y": 0, "width": )" + QByteArray::number(s.width) +
                   R"(, "height": )" + QByteArray::number(s.height) + R"(, "logicalDpi": )" +
                   QByteArray::number(96 * s.percent / 100) + R"(, "logicalBaseDpi": 96, "dpr": 1})";
        x += s.width;
    }
    return R"({"screens": [)" + screens + "]}";
}

} // namespace

class TstWindowsFit : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void opensWholeOnItsScreen_data();
    void opensWholeOnItsScreen();
    void devsetupLogInSightOnShortScreens_data();
    void devsetupLogInSightOnShortScreens();

private:
    r5::test::MainWindows m_windows;
};

void TstWindowsFit::initTestCase()
{
    QCOMPARE(QGuiApplication::screens().size(), int(std::size(kScreens)));
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_windows.dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_windows.dir.path());
    QVERIFY(r5::registerSuiteFonts() > 0);
}

void TstWindowsFit::opensWholeOnItsScreen_data()
{
    using Make = r5::test::MainWindows::Make;
    const Make devsetup = m_windows.devsetup();
    const Make simulator = m_windows.simulator();
    const Make disim = m_windows.simulator3810();
    const Make site = m_windows.site();
    QTest::addColumn<Make>("make");
    QTest::addColumn<int>("screen");
    for (int s = 0; s < int(std::size(kScreens)); ++s) {
        for (const auto &[name, make] : {std::pair{"devsetup", devsetup}, std::pair{"Simulator", simulator},
                                         std::pair{"Simulator_3810", disim}, std::pair{"Site", site}})
            QTest::addRow("%s, %s", name, kScreens[s].name) << make << s;
    }
}

// On any screen, at any scaling, a main window opens within the screen's free area, title
// bar included, and every control can be seen: the page holding them gets all the room its
// layout needs, and what the window cannot show at once scrolls into view.
void TstWindowsFit::opensWholeOnItsScreen()
{
    QFETCH(std::function<std::unique_ptr<QWidget>()>, make);
    QFETCH(int, screen);
    QScreen *target = QGuiApplication::screens().at(screen);
    QCOMPARE(target->name(), QString::fromLatin1(kScreens[screen].name));
    const std::unique_ptr<QWidget> window = make();
    // A window opens on the primary screen unless it is placed elsewhere.
    if (target != QGuiApplication::primaryScreen())
        window->move(target->geometry().topLeft() + QPoint(40, 30));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QCOMPARE(window->screen(), target);

    const QRect free = target->availableGeometry();
    QVERIFY2(free.contains(window->frameGeometry()),
             qPrintable(u"%1,%2 %3x%4"_s.arg(window->frameGeometry().x())
                            .arg(window->frameGeometry().y())
                            .arg(window->frameGeometry().width())
                            .arg(window->frameGeometry().height())));
    const auto *area = window->findChild<QScrollArea *>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(area);
    const QWidget *page = area->widget();
    QVERIFY(page->width() >= page->minimumSizeHint().width());
    QVERIFY(page->height() >= page->minimumSizeHint().height());
    QVERIFY(area->viewport()->width() + area->horizontalScrollBar()->maximum() >= page->width());
    QVERIFY(area->viewport()->height() + area->verticalScrollBar()->maximum() >= page->height());
}

void TstWindowsFit::devsetupLogInSightOnShortScreens_data()
{
    QTest::addColumn<int>("screen");
    for (const int s : {4, 0, 2})
        QTest::newRow(kScreens[s].name) << s;
}

// The log is the technician's only feedback: at least five of its lines are in sight as the
// window opens, without scrolling the window, down to a 1366x768 screen with a taskbar.
void TstWindowsFit::devsetupLogInSightOnShortScreens()
{
    QFETCH(int, screen);
    QScreen *target = QGuiApplication::screens().at(screen);
    const std::unique_ptr<QWidget> made = m_windows.devsetup()();
    auto &window = static_cast<r5setup::MainWindow &>(*made);
    if (target != QGuiApplication::primaryScreen())
        window.move(target->geometry().topLeft() + QPoint(40, 30));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.screen(), target);
    const auto *area = window.findChild<QScrollArea *>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(area);
    const QPlainTextEdit &memo = window.memo();
    const QRect inSight = area->viewport()->rect();
    const QRect log(memo.viewport()->mapTo(area->viewport(), QPoint()), memo.viewport()->size());
    QVERIFY2(inSight.contains(log),
             qPrintable(u"log %1..%2 of %3"_s.arg(log.top()).arg(log.bottom()).arg(inSight.height())));
    QVERIFY2(log.height() >= 5 * memo.fontMetrics().lineSpacing(), qPrintable(QString::number(log.height())));
}

int main(int argc, char *argv[])
{
    QTemporaryDir dir;
    QFile config(dir.filePath(u"screens.json"_s));
    if (!config.open(QIODevice::WriteOnly) || config.write(screensConfig()) < 0)
        return 2;
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config.fileName()));
    QApplication app(argc, argv);
    TstWindowsFit test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windows_fit.moc"
