#include "fakes.h"
#include "pingfakes.h"
#include "r5/suitefonts.h"
#include "r5setup/qtseriallink.h"
#include "r5setup/ui/mainwindow.h"
#include "sim/frmsimulator.h"
#include "ui/frmsim3810.h"

#include <QApplication>
#include <QDir>
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

private:
    QTemporaryDir m_dir;
    r5::test::FakePrompter m_prompter;
    r5::test::FakeClock m_clock;
    r5::test::FakeLauncher m_launcher;
    disim::test::FakeResolver m_resolver;
    disim::test::FakeEcho m_echo;
};

void TstWindowsFit::initTestCase()
{
    QCOMPARE(QGuiApplication::screens().size(), int(std::size(kScreens)));
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    QVERIFY(r5::registerSuiteFonts() > 0);
}

void TstWindowsFit::opensWholeOnItsScreen_data()
{
    using Make = std::function<std::unique_ptr<QWidget>()>;
    const Make devsetup = [this] {
        return std::make_unique<r5setup::MainWindow>(r5setup::Services{m_prompter, m_clock, m_launcher},
                                                     std::make_unique<r5setup::QtSerialLink>());
    };
    const Make simulator = [this] {
        return std::make_unique<r5::sim::frmSimulator>(m_prompter, m_clock, m_launcher, m_dir.path());
    };
    const Make disim = [this] {
        return std::make_unique<disim::frmSim_3810>(
            disim::frmSim_3810::Services{m_prompter, m_clock, m_launcher, m_resolver, m_echo, m_dir.path()});
    };
    QTest::addColumn<Make>("make");
    QTest::addColumn<int>("screen");
    for (int s = 0; s < int(std::size(kScreens)); ++s) {
        for (const auto &[name, make] : {std::pair{"devsetup", devsetup}, std::pair{"Simulator", simulator},
                                         std::pair{"Simulator_3810", disim}})
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
