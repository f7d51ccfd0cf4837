#include "r5/singleinstance.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTest>
#include <QWidget>

using namespace Qt::StringLiterals;
using Result = r5::SingleInstance::Result;

class TstSingleInstance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void secondStartRaisesTheFirst_data();
    void secondStartRaisesTheFirst();
};

void TstSingleInstance::secondStartRaisesTheFirst_data()
{
    QTest::addColumn<bool>("minimized");
    QTest::newRow("behind another window") << false;
    QTest::newRow("minimized") << true;
}

void TstSingleInstance::secondStartRaisesTheFirst()
{
    QFETCH(bool, minimized);
    const QString name =
        u"R5_Test_"_s + QString::number(QCoreApplication::applicationPid()) + (minimized ? u"_m"_s : u"_b"_s);
    QWidget window;
    window.show();
    QWidget other;
    other.show();
    other.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &other);
    if (minimized)
        window.showMinimized();

    r5::SingleInstance first(name);
    QCOMPARE(first.acquire(), Result::First);
    first.serve(&window);

    {
        r5::SingleInstance second(name);
        QCOMPARE(second.acquire(), Result::AnotherRunning);
        QVERIFY(second.raiseFirst());
    }
    QTRY_COMPARE(QApplication::activeWindow(), &window);
    QVERIFY(!window.isMinimized());
    QVERIFY(window.isVisible());
}

QTEST_MAIN(TstSingleInstance)
#include "tst_single_instance.moc"
