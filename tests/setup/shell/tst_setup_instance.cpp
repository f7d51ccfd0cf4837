#include <QDir>
#include <QFile>
#include <QProcess>
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

private:
    void start(QProcess &process);
    int startLines() const;

    QTemporaryDir m_dir;
    QString m_program;
};

void TstSetupInstance::initTestCase()
{
    m_program = QDir(qEnvironmentVariable("R5_BIN_DIR")).filePath(u"devsetup"_s);
    QVERIFY2(QFile::exists(m_program), qPrintable(m_program));
    QVERIFY(QDir(m_dir.path()).mkpath(u"work/cfg"_s));
    QVERIFY(QDir(m_dir.path()).mkpath(u"work/Log"_s));
    QVERIFY(QDir(m_dir.path()).mkpath(u"runtime"_s));
}

void TstSetupInstance::start(QProcess &process)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    env.insert(u"XDG_RUNTIME_DIR"_s, m_dir.filePath(u"runtime"_s));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(m_dir.filePath(u"work"_s));
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(m_program, {});
    QVERIFY(process.waitForStarted());
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

    first.kill(); // SIGKILL: no chance to clean up
    QVERIFY(first.waitForFinished(30000));

    QProcess third;
    start(third);
    QTRY_COMPARE_WITH_TIMEOUT(startLines(), 2, 30000);
    QCOMPARE(third.state(), QProcess::Running);
    third.kill();
    QVERIFY(third.waitForFinished(30000));
}

QTEST_GUILESS_MAIN(TstSetupInstance)
#include "tst_setup_instance.moc"
