#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Runs the real program twice and more: one copy per user, and a killed copy does not keep
// later ones out.
class TstSetupInstance : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void secondCopyEndsWhileFirstRuns();
    void startsWhereTheMarkerCannotBeMade_data();
    void startsWhereTheMarkerCannotBeMade();

private:
    void start(QProcess &process, const QString &runtime = {});
    int startLines() const;
    QByteArray log() const;

    QTemporaryDir m_dir;
    QString m_program;
};

void TstSetupInstance::initTestCase()
{
    const QString bin = qEnvironmentVariable("R5_BIN_DIR");
    m_program = QStandardPaths::findExecutable(u"devsetup"_s, {bin});
    QVERIFY2(!m_program.isEmpty(), qPrintable(bin));
    QVERIFY(QDir(m_dir.path()).mkpath(u"work/cfg"_s));
    QVERIFY(QDir(m_dir.path()).mkpath(u"work/Log"_s));
    QVERIFY(QDir(m_dir.path()).mkpath(u"runtime"_s));
    QVERIFY(QDir(m_dir.path()).mkpath(u"tmp"_s));
}

// `runtime` is the runtime folder to name: the test's own when empty, none at all when "-".
void TstSetupInstance::start(QProcess &process, const QString &runtime)
{
    // The copies run on the test's own window platform (ctest names it).
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (runtime == u"-") {
        env.remove(u"XDG_RUNTIME_DIR"_s);
        // Only here: under Wine the child's TMPDIR is also where Wine itself looks for its server.
        env.insert(u"TMPDIR"_s, m_dir.filePath(u"tmp"_s));
    } else {
        env.insert(u"XDG_RUNTIME_DIR"_s, runtime.isEmpty() ? m_dir.filePath(u"runtime"_s) : runtime);
    }
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(m_dir.filePath(u"work"_s));
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(m_program, {});
    QVERIFY(process.waitForStarted());
}

QByteArray TstSetupInstance::log() const
{
    QByteArray all;
    const QDir log(m_dir.filePath(u"work/Log"_s));
    for (const QString &name : log.entryList(QDir::Files)) {
        QFile f(log.filePath(name));
        if (f.open(QIODevice::ReadOnly))
            all += f.readAll();
    }
    return all;
}

// Each copy that gets its window logs the start line to the day's file.
int TstSetupInstance::startLines() const
{
    int lines = 0;
    const QDir log(m_dir.filePath(u"work/Log"_s));
    for (const QString &name : log.entryList(QDir::Files)) {
        QFile f(log.filePath(name));
        if (f.open(QIODevice::ReadOnly))
            lines += int(f.readAll().count("Start R5200TX Serial Setup Program..."));
    }
    return lines;
}

void TstSetupInstance::secondCopyEndsWhileFirstRuns()
{
    QProcess first;
    start(first);
    QTRY_COMPARE_WITH_TIMEOUT(startLines(), 1, 30000);

    QProcess second;
    start(second);
    QVERIFY(second.waitForFinished(30000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(startLines(), 1);
    QCOMPARE(first.state(), QProcess::Running);

    first.kill(); // no chance to clean up
    QVERIFY(first.waitForFinished(30000));

    QProcess third;
    start(third);
    QTRY_COMPARE_WITH_TIMEOUT(startLines(), 2, 30000);
    QCOMPARE(third.state(), QProcess::Running);
    third.kill();
    QVERIFY(third.waitForFinished(30000));
}

// Where no marker can be made, the program still starts and says that it runs without the
// check; without a runtime folder the marker in the shared temporary folder is the user's own.
void TstSetupInstance::startsWhereTheMarkerCannotBeMade_data()
{
    if (QSysInfo::kernelType() == u"winnt")
        QSKIP("on Windows the marker is shared memory of the session, not a file");
    QTest::addColumn<QString>("runtime");
    QTest::addColumn<QString>("marker"); // made where the program will look, when not empty
    QTest::addColumn<bool>("checkOff");
    QTest::newRow("no runtime folder") << u"-"_s << QString() << false;
    QTest::newRow("a folder in the marker's place") << QString() << u"runtime/R5200TX_Setup.lock"_s << true;
    QTest::newRow("runtime folder nobody can write in") << u"/proc"_s << QString() << true;
}

void TstSetupInstance::startsWhereTheMarkerCannotBeMade()
{
    QFETCH(QString, runtime);
    QFETCH(QString, marker);
    QFETCH(bool, checkOff);
    for (const QString &name : QDir(m_dir.filePath(u"work/Log"_s)).entryList(QDir::Files))
        QVERIFY(QFile::remove(m_dir.filePath(u"work/Log/"_s + name)));
    if (!marker.isEmpty()) {
        QFile::remove(m_dir.filePath(marker)); // the lock a killed copy left
        QVERIFY(QDir(m_dir.path()).mkpath(marker));
    }

    QProcess first;
    start(first, runtime);
    QTRY_COMPARE_WITH_TIMEOUT(startLines(), 1, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(log().contains("]  Single-instance check is off: cannot create the marker ["),
                              checkOff, 5000);
    if (!checkOff) {
        // The user's id, as the owner of the folder this test made.
        const uint uid = QFileInfo(m_dir.filePath(u"tmp"_s)).ownerId();
        const QString own = m_dir.filePath(u"tmp/R5200TX_Setup-%1.lock"_s.arg(uid));
        QVERIFY2(QFile::exists(own), qPrintable(own));
        QProcess second;
        start(second, runtime);
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(startLines(), 1);
    }
    QCOMPARE(first.state(), QProcess::Running);
    first.kill();
    QVERIFY(first.waitForFinished(30000));
    if (!marker.isEmpty())
        QVERIFY(QDir(m_dir.filePath(marker)).removeRecursively());
}

QTEST_GUILESS_MAIN(TstSetupInstance)
#include "tst_setup_instance.moc"
