#include "fakes.h"
#include "filefaults.h"
#include "r5/appendfile.h"
#include "r5device/setuplog.h"
#include "r5setup/ui/logpanel.h"
#include "shellsupport.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

using namespace Qt::StringLiterals;
using namespace r5setup;

namespace {

const QDateTime kMorning(QDate(2026, 12, 7), QTime(9, 5, 7));

} // namespace

class TstSetupLog : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void lineForm_data();
    void lineForm();
    void dailyFileName();
    void fileLineIsPanelLine();
    void panelEmptiedBeforeThe502ndLine();
    void saveLogFileOffAndOn();
    void midnightStartsNewFile();
    void unwritableFileSaidOnce();
    void dayFileFaults_data();
    void dayFileFaults();
    void clearLeavesFile();

private:
    QStringList panel() const;
    QString todayFile() const { return setuplog::filePath(m_clock.localNow().date()); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldCwd;
    r5::test::FakeClock m_clock{kMorning};
    std::unique_ptr<QPlainTextEdit> m_memo;
    std::unique_ptr<QCheckBox> m_save;
    std::unique_ptr<LogPanel> m_log;
};

void TstSetupLog::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_oldCwd = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    QVERIFY(QDir().mkdir(u"Log"_s));
    m_clock.set(kMorning);
    m_memo = std::make_unique<QPlainTextEdit>();
    m_save = std::make_unique<QCheckBox>();
    m_save->setChecked(true);
    m_log = std::make_unique<LogPanel>(m_clock, m_memo.get(), m_save.get());
}

void TstSetupLog::cleanup()
{
    m_log.reset();
    m_save.reset();
    m_memo.reset();
    QDir::setCurrent(m_oldCwd);
    m_dir.reset();
}

QStringList TstSetupLog::panel() const
{
    const QString text = m_memo->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

void TstSetupLog::lineForm_data()
{
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("line");
    QTest::newRow("morning") << QTime(9, 5, 7, 999) << u"Start R5200TX Serial Setup Program..."_s
                             << u"[09:05:07]  Start R5200TX Serial Setup Program..."_s;
    QTest::newRow("midnight") << QTime(0, 0, 0) << u"x"_s << u"[00:00:00]  x"_s;
    QTest::newRow("last second, 24-hour") << QTime(23, 59, 59) << u"[EOT]"_s << u"[23:59:59]  [EOT]"_s;
    QTest::newRow("trailing space kept") << QTime(12, 0, 1) << u"Trying Korvia R5200TX Comport Open... "_s
                                         << u"[12:00:01]  Trying Korvia R5200TX Comport Open... "_s;
    QTest::newRow("empty message") << QTime(1, 2, 3) << QString() << u"[01:02:03]  "_s;
}

void TstSetupLog::lineForm()
{
    QFETCH(QTime, time);
    QFETCH(QString, message);
    QFETCH(QString, line);
    QCOMPARE(setuplog::composeLine(time, message), line);
    m_clock.set(QDateTime(QDate(2026, 1, 2), time));
    m_log->log(message);
    QCOMPARE(panel(), QStringList{line});
}

void TstSetupLog::dailyFileName()
{
    QCOMPARE(setuplog::filePath(QDate(2026, 3, 4)), u"Log/R5200Setup_20260304.log"_s);
    QCOMPARE(setuplog::filePath(QDate(2026, 12, 31)), u"Log/R5200Setup_20261231.log"_s);
}

void TstSetupLog::fileLineIsPanelLine()
{
    m_log->log(u"단말기의 Serial Port 상태를 확인하십시오."_s);
    m_clock.advanceMs(1000);
    m_log->log(u"TX 0x41 : [5][7E.05.41.50.FE.]"_s);
    QCOMPARE(panel().size(), 2);
    // In the system's code page: 949 on Korean Windows, UTF-8 on Linux.
    const QByteArray expected =
        QStringEncoder(QStringConverter::System).encode(panel()[0] + u"\r\n"_s + panel()[1] + u"\r\n"_s);
    QCOMPARE(readFile(todayFile()), expected);
}

void TstSetupLog::panelEmptiedBeforeThe502ndLine()
{
    m_save->setChecked(false);
    for (int i = 1; i <= 501; ++i)
        m_log->log(QString::number(i));
    QCOMPARE(panel().size(), 501);
    m_log->log(u"502"_s);
    QCOMPARE(panel(), QStringList{u"[09:05:07]  502"_s});
}

void TstSetupLog::saveLogFileOffAndOn()
{
    m_log->log(u"one"_s);
    m_save->setChecked(false);
    m_log->log(u"two"_s);
    QCOMPARE(readFile(todayFile()), QByteArray("[09:05:07]  one\r\n"));
    m_save->setChecked(true);
    m_log->log(u"three"_s);
    QCOMPARE(readFile(todayFile()), QByteArray("[09:05:07]  one\r\n[09:05:07]  three\r\n"));
    QCOMPARE(panel().size(), 3);
}

void TstSetupLog::midnightStartsNewFile()
{
    m_clock.set(QDateTime(QDate(2026, 12, 7), QTime(23, 59, 59, 999)));
    m_log->log(u"before"_s);
    m_clock.advanceMs(1);
    m_log->log(u"after"_s);
    QCOMPARE(readFile(u"Log/R5200Setup_20261207.log"_s), QByteArray("[23:59:59]  before\r\n"));
    QCOMPARE(readFile(u"Log/R5200Setup_20261208.log"_s), QByteArray("[00:00:00]  after\r\n"));
}

void TstSetupLog::unwritableFileSaidOnce()
{
    QVERIFY(QDir().rmdir(u"Log"_s));
    m_log->log(u"one"_s);
    m_log->log(u"two"_s);
    m_log->log(u"three"_s);
    const QString notice = u"[09:05:07]  Log File Write ERROR!! [Log/R5200Setup_20261207.log]"_s;
    QCOMPARE(panel(),
             (QStringList{u"[09:05:07]  one"_s, notice, u"[09:05:07]  two"_s, u"[09:05:07]  three"_s}));

    // Once the folder is back, lines reach the file again.
    QVERIFY(QDir().mkdir(u"Log"_s));
    m_log->log(u"four"_s);
    QCOMPARE(readFile(todayFile()), QByteArray("[09:05:07]  four\r\n"));
    QCOMPARE(panel().count(notice), 1);
}

// The day's file is moved or deleted while the program runs, or the disk refuses more: the
// next lines go to the file the path names now, or, when nothing can be written, the panel
// says so once and keeps every line.
void TstSetupLog::dayFileFaults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("notice");
    QTest::addColumn<QByteArray>("file"); // at the day's path afterwards
    const QByteArray later = "[09:05:07]  two\r\n[09:05:07]  three\r\n";
    QTest::newRow("file renamed") << u"rename"_s << false << later;
    QTest::newRow("file deleted") << u"delete"_s << false << later;
    QTest::newRow("folder replaced") << u"replace folder"_s << false << later;
    // The command-line program logs to the same day's file meanwhile.
    QTest::newRow("another program appends")
        << u"other writer"_s << false << "[09:05:07]  one\r\n[09:05:07]  cli\r\n" + later;
    QTest::newRow("file-size limit reached") << u"size limit"_s << true << QByteArray("[09:05:07]  one\r\n");
    QTest::newRow("disk full") << u"disk full"_s << true << QByteArray();
}

void TstSetupLog::dayFileFaults()
{
    QFETCH(QString, fault);
    QFETCH(bool, notice);
    QFETCH(QByteArray, file);
    m_log->log(u"one"_s);
    const QString path = todayFile();
    std::optional<r5::test::FileSizeLimit> limit;
    r5::AppendFile other;
    if (fault == u"rename") {
        QVERIFY(QFile::rename(path, path + u".old"_s));
    } else if (fault == u"delete") {
        QVERIFY(QFile::remove(path));
    } else if (fault == u"replace folder") {
        QVERIFY(QDir().rename(u"Log"_s, u"Log.old"_s));
        QVERIFY(QDir().mkdir(u"Log"_s));
    } else if (fault == u"other writer") {
        QVERIFY(other.append(path, "[09:05:07]  cli\r\n"));
    } else if (fault == u"size limit") {
        r5::ignoreFileSizeSignal();
        limit.emplace(QFileInfo(path).size());
        if (!limit->ok())
            QSKIP("no per-process file-size limit here");
    } else if (fault == u"disk full") {
        QVERIFY(QFile::remove(path));
        if (!r5::test::makeFullDiskFile(path))
            QSKIP("no always-full file here");
    }
    m_log->log(u"two"_s);
    m_log->log(u"three"_s);
    limit.reset();

    QStringList lines{u"[09:05:07]  one"_s, u"[09:05:07]  two"_s};
    if (notice)
        lines << u"[09:05:07]  Log File Write ERROR!! [Log/R5200Setup_20261207.log]"_s;
    lines << u"[09:05:07]  three"_s;
    QCOMPARE(panel(), lines);
    if (fault == u"delete" && r5::test::runsUnderWine())
        QEXPECT_FAIL("", r5::test::kWineKeepsDeletedFile, Continue);
    if (fault != u"disk full")
        QCOMPARE(readFile(path), file);
}

void TstSetupLog::clearLeavesFile()
{
    m_log->log(u"one"_s);
    m_log->clear();
    QVERIFY(panel().isEmpty());
    m_log->log(u"two"_s);
    QCOMPARE(panel(), QStringList{u"[09:05:07]  two"_s});
    QCOMPARE(readFile(todayFile()), QByteArray("[09:05:07]  one\r\n[09:05:07]  two\r\n"));
}

QTEST_MAIN(TstSetupLog)
#include "tst_setup_log.moc"
