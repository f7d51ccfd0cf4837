#include "mainwindows.h"

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

class TstGuideKey : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void f1OpensTheWindowsChapter_data();
    void f1OpensTheWindowsChapter();

private:
    r5::test::MainWindows m_windows;
};

void TstGuideKey::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_windows.dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_windows.dir.path());
}

void TstGuideKey::f1OpensTheWindowsChapter_data()
{
    using Make = r5::test::MainWindows::Make;
    const Make devsetup = m_windows.devsetup();
    const Make simulator = m_windows.simulator();
    const Make disim = m_windows.simulator3810();
    const Make site = m_windows.site();
    QTest::addColumn<Make>("make");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("program");
    QTest::newRow("devsetup, Korean")
        << devsetup << QLocale(u"ko_KR"_s) << u"ko/devsetup.html"_s << u"devsetup"_s;
    QTest::newRow("devsetup, English")
        << devsetup << QLocale(u"en_US"_s) << u"en/devsetup.html"_s << u"devsetup"_s;
    QTest::newRow("Simulator, Korean")
        << simulator << QLocale(u"ko_KR"_s) << u"ko/simulator.html"_s << u"Simulator"_s;
    QTest::newRow("Simulator, German: English")
        << simulator << QLocale(u"de_DE"_s) << u"en/simulator.html"_s << u"Simulator"_s;
    QTest::newRow("Simulator_3810, Korean")
        << disim << QLocale(u"ko_KR"_s) << u"ko/simulator_3810.html"_s << u"Simulator_3810"_s;
    QTest::newRow("Simulator_3810, English")
        << disim << QLocale(u"en_GB"_s) << u"en/simulator_3810.html"_s << u"Simulator_3810"_s;
    QTest::newRow("Site window, Korean") << site << QLocale(u"ko_KR"_s) << u"ko/site.html"_s << u"Site"_s;
    QTest::newRow("Site window, English") << site << QLocale(u"en_US"_s) << u"en/site.html"_s << u"Site"_s;
}

// F1 where the user is (the focused control) opens that window's chapter of the guide, in the
// language of the user's locale, from the guide the build put beside the programs.
void TstGuideKey::f1OpensTheWindowsChapter()
{
    QFETCH(std::function<std::unique_ptr<QWidget>()>, make);
    QFETCH(QLocale, locale);
    QFETCH(QString, page);
    QFETCH(QString, program);
    QLocale::setDefault(locale);
    m_windows.launcher.urls.clear();
    const std::unique_ptr<QWidget> window = make();
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QWidget *focused = QApplication::focusWidget();
    QVERIFY(focused);
    QTest::keyClick(focused, Qt::Key_F1);

    QCOMPARE(m_windows.launcher.urls.size(), 1);
    const QUrl url = m_windows.launcher.urls.first();
    QVERIFY(url.isLocalFile());
    QCOMPARE(url.toLocalFile(), QCoreApplication::applicationDirPath() + u"/guide/"_s + page);
    QFile file(url.toLocalFile());
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(url.toLocalFile()));
    QVERIFY(QString::fromUtf8(file.readAll()).contains(program));
    QCOMPARE(m_windows.launcher.starts.size(), 0);
}

QTEST_MAIN(TstGuideKey)
#include "tst_guide_key.moc"
