#include "fakes.h"
#include "filefaults.h"
#include "r5/appendfile.h"
#include "r5/csv.h"
#include "r5/hextext.h"
#include "r5/wholefile.h"
#include "r5/workfolders.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

using namespace Qt::StringLiterals;

class TstCommon : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void hexText_data();
    void hexText();
    void parseByte_data();
    void parseByte();
    void appendFileKeepsOldContentAndFollowsRename();
    void appendFileReportsUnwritableFolder();
    void appendFileFollowsItsPath_data();
    void appendFileFollowsItsPath();
    // On a disk full to its last byte: a replaced file stays as it was and the reason is given;
    // an append cut short leaves no row glued to the next once there is room again.
    void fullDiskKeepsFilesWhole();
    // What a spreadsheet finds in each cell of a row the suite writes: text, never a formula.
    void csvCells_data();
    void csvCells();
    void fakePrompterRefusesUnscriptedQuestion();
    void workFolders_data();
    void workFolders();
};

void TstCommon::hexText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("dotted");
    QTest::addColumn<QString>("spaced");
    QTest::newRow("status request") << QByteArray::fromHex("7e054150fe") << u"7E.05.41.50.FE."_s
                                    << u" 7E 05 41 50 FE"_s;
    QTest::newRow("empty") << QByteArray() << QString() << QString();
    QTest::newRow("edges") << QByteArray::fromHex("000aff") << u"00.0A.FF."_s << u" 00 0A FF"_s;
}

void TstCommon::hexText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, dotted);
    QFETCH(QString, spaced);
    QCOMPARE(r5::hex::dump(bytes, u"."), dotted);
    QCOMPARE(r5::hex::dump(bytes, {}, u" "), spaced);
    for (int i = 0; i < bytes.size(); ++i)
        QCOMPARE(r5::hex::byteText(std::uint8_t(bytes[i])), dotted.mid(i * 3, 2));
}

void TstCommon::parseByte_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value"); // -1: refused
    QTest::newRow("upper") << u"4A"_s << 0x4A;
    QTest::newRow("lower") << u"4a"_s << 0x4A;
    QTest::newRow("max") << u"FF"_s << 0xFF;
    QTest::newRow("not hex") << u"4G"_s << -1;
    QTest::newRow("one digit") << u"4"_s << -1;
    QTest::newRow("three digits") << u"046"_s << -1;
    QTest::newRow("empty") << QString() << -1;
}

void TstCommon::parseByte()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    const auto got = r5::hex::parseByte(text);
    QCOMPARE(got.has_value(), value >= 0);
    if (got)
        QCOMPARE(int(*got), value);
}

void TstCommon::appendFileKeepsOldContentAndFollowsRename()
{
    QTemporaryDir dir;
    const QString a = dir.filePath(u"a.log"_s);
    const QString b = dir.filePath(u"b.log"_s);
    {
        QFile f(a);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old\r\n");
    }
    r5::AppendFile file;
    QVERIFY(file.append(a, "one\r\n"));
    // Flushed at once: another reader sees the line while the file is still open.
    QFile check(a);
    QVERIFY(check.open(QIODevice::ReadOnly));
    QCOMPARE(check.readAll(), QByteArray("old\r\none\r\n"));
    QVERIFY(file.append(b, "two\r\n"));
    QCOMPARE(file.currentPath(), b);
    QFile checkB(b);
    QVERIFY(checkB.open(QIODevice::ReadOnly));
    QCOMPARE(checkB.readAll(), QByteArray("two\r\n"));
}

void TstCommon::appendFileReportsUnwritableFolder()
{
    QTemporaryDir dir;
    r5::AppendFile file;
    QVERIFY(!file.append(dir.filePath(u"missing/x.log"_s), "line\r\n"));
    QVERIFY(file.append(dir.filePath(u"x.log"_s), "line\r\n"));
}

namespace {

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

// What happens to the day's file while it is open, as other programs and people do it.
void TstCommon::appendFileFollowsItsPath_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("written");
    QTest::addColumn<QByteArray>("atPath");    // the path's file after the second line
    QTest::addColumn<QByteArray>("elsewhere"); // Log.old/day.log, where moved files go
    QTest::newRow("left alone") << u"none"_s << true << QByteArray("one\r\ntwo\r\n")
                                << QByteArray("<missing>");
    QTest::newRow("file renamed") << u"rename"_s << true << QByteArray("two\r\n") << QByteArray("one\r\n");
    QTest::newRow("file deleted") << u"delete"_s << true << QByteArray("two\r\n") << QByteArray("<missing>");
    QTest::newRow("file moved, a new one put in its place")
        << u"rotate"_s << true << QByteArray("new\r\ntwo\r\n") << QByteArray("one\r\n");
    // A second copy of a program logs to the same day's file: each line lands whole at the end.
    QTest::newRow("another writer appends")
        << u"other writer"_s << true << QByteArray("one\r\nother\r\ntwo\r\n") << QByteArray("<missing>");
    QTest::newRow("folder replaced") << u"replace folder"_s << true << QByteArray("two\r\n")
                                     << QByteArray("one\r\n");
    QTest::newRow("folder removed") << u"remove folder"_s << false << QByteArray("<missing>")
                                    << QByteArray("<missing>");
    QTest::newRow("file-size limit") << u"size limit"_s << false << QByteArray("one\r\n")
                                     << QByteArray("<missing>");
}

void TstCommon::appendFileFollowsItsPath()
{
    QFETCH(QString, fault);
    QFETCH(bool, written);
    QFETCH(QByteArray, atPath);
    QFETCH(QByteArray, elsewhere);
    r5::ignoreFileSizeSignal();

    QTemporaryDir dir;
    QDir root(dir.path());
    QVERIFY(root.mkdir(u"Log"_s) && root.mkdir(u"Log.old"_s));
    const QString path = root.filePath(u"Log/day.log"_s);
    const QString moved = root.filePath(u"Log.old/day.log"_s);

    r5::AppendFile file;
    QVERIFY(file.append(path, "one\r\n"));
    std::optional<r5::test::FileSizeLimit> limit;
    r5::AppendFile other;
    if (fault == u"rename") {
        QVERIFY(QFile::rename(path, moved));
    } else if (fault == u"delete") {
        QVERIFY(QFile::remove(path));
    } else if (fault == u"rotate") {
        QVERIFY(QFile::rename(path, moved));
        QVERIFY(other.append(path, "new\r\n"));
    } else if (fault == u"other writer") {
        QVERIFY(other.append(path, "other\r\n"));
    } else if (fault == u"replace folder") {
        QVERIFY(root.rmdir(u"Log.old"_s));
        QVERIFY(root.rename(u"Log"_s, u"Log.old"_s));
        QVERIFY(root.mkdir(u"Log"_s));
    } else if (fault == u"remove folder") {
        if (r5::test::runsUnderWine())
            QSKIP("Wine keeps a folder whose deleted file is still open");
        QVERIFY(QDir(root.filePath(u"Log"_s)).removeRecursively());
    } else if (fault == u"size limit") {
        limit.emplace(QFileInfo(path).size());
        if (!limit->ok())
            QSKIP("no per-process file-size limit here");
    }
    // The process survives a write that the limit refuses.
    QCOMPARE(file.append(path, "two\r\n"), written);
    limit.reset();
    if (fault == u"delete" && r5::test::runsUnderWine())
        QEXPECT_FAIL("", r5::test::kWineKeepsDeletedFile, Continue);
    QCOMPARE(contents(path), atPath);
    QCOMPARE(contents(moved), elsewhere);
}

void TstCommon::fullDiskKeepsFilesWhole()
{
    r5::test::SmallDisk disk;
    if (!disk.whyNot().isEmpty())
        QSKIP(qPrintable(disk.whyNot()));
    const QString profile = disk.path() + u"/site.ini"_s;
    const QByteArray old = "[WAN]\nIP=127.0.0.5\n";
    QCOMPARE(r5::replaceFile(profile, old), QString());
    const QString log = disk.path() + u"/day.log"_s;
    QVERIFY(r5::AppendFile().append(log, QByteArray(4000, 'x') + "\r\n"));
    QVERIFY(disk.fill());

    const QString why = r5::replaceFile(profile, "[WAN]\nIP=127.0.0.6\n");
    QVERIFY2(why.contains(u"space"_s, Qt::CaseInsensitive), qPrintable(why));
    QCOMPARE(contents(profile), old);
    QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden).size(), 3); // no temporary left

    // The log's last page has 94 bytes free: the row is cut there.
    r5::AppendFile appender;
    QVERIFY(!appender.append(log, "a row longer than the room the disk has left " + QByteArray(100, 'y') +
                                      "\r\n"));
    QVERIFY(disk.makeRoom());
    QVERIFY(appender.append(log, "next\r\n"));
    QVERIFY(contents(log).endsWith("yyy\r\nnext\r\n"));
    QCOMPARE(r5::replaceFile(profile, "[WAN]\nIP=127.0.0.6\n"), QString());
    QCOMPARE(contents(profile), QByteArray("[WAN]\nIP=127.0.0.6\n"));
}

void TstCommon::csvCells_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cell"); // what the cell holds once read back
    QTest::newRow("formula") << u"=HYPERLINK(\"http://x\",\"y\")"_s << u"'=HYPERLINK(\"http://x\",\"y\")"_s;
    QTest::newRow("plus") << u"+cmd|' /C calc'!A0"_s << u"'+cmd|' /C calc'!A0"_s;
    QTest::newRow("minus") << u"-2+3"_s << u"'-2+3"_s;
    QTest::newRow("at") << u"@SUM(A1:A9)"_s << u"'@SUM(A1:A9)"_s;
    QTest::newRow("tab") << u"\t=1"_s << u"'\t=1"_s;
    QTest::newRow("carriage return") << u"\r=1"_s << u"'\r=1"_s;
    QTest::newRow("negative number") << u"-70"_s << u"-70"_s;
    QTest::newRow("signed decimal") << u"+1.5"_s << u"+1.5"_s;
    QTest::newRow("minus alone") << u"-"_s << u"'-"_s;
    QTest::newRow("equals inside") << u"a=b"_s << u"a=b"_s;
    QTest::newRow("comma") << u"=1,2"_s << u"'=1,2"_s;
    QTest::newRow("Korean") << u"2층 사무실"_s << u"2층 사무실"_s;
    QTest::newRow("empty") << QString() << QString();
}

void TstCommon::csvCells()
{
    QFETCH(QString, text);
    QFETCH(QString, cell);
    const QByteArray row = r5::csv::line({u"before"_s, text, u"after"_s});
    const r5::csv::Table table = r5::csv::parse(row);
    QCOMPARE(table.rows.size(), 1);
    QCOMPARE(table.rows[0], (QStringList{u"before"_s, cell, u"after"_s}));
}

void TstCommon::fakePrompterRefusesUnscriptedQuestion()
{
    r5::test::FakePrompter p;
    QVERIFY(!p.askYesNo(nullptr, {}, u"Sure?"_s, r5::Prompter::Icon::Question));
    QCOMPARE(p.unexpected(), QStringList{u"Sure?"_s});
    p.answerYes();
    QVERIFY(p.askYesNo(nullptr, {}, u"Again?"_s, r5::Prompter::Icon::Question));
    QCOMPARE(p.takeTexts(), (QStringList{u"Sure?"_s, u"Again?"_s}));
}

// Folders: "build" is a build tree, "/usr/bin" an installed suite's bin folder, "/ro/bin" a copy
// on a read-only medium, "/home/u/site" a folder the installer chose, "/home/u/.local/.../x" the
// per-user folder; "C:/..." are Windows copies, installed (marker beside the programs) or unpacked
// from the ZIP. Only the folders listed as writable can be written.
void TstCommon::workFolders_data()
{
    QTest::addColumn<QString>("programDir");
    QTest::addColumn<QString>("currentDir");
    QTest::addColumn<bool>("fromInstall");
    QTest::addColumn<QString>("working");
    QTest::addColumn<QString>("application");

    const QString user = u"/home/u/.local/share/r5200txtools/x"_s;
    QTest::newRow("build tree, test folder")
        << u"/b/bin"_s << u"/b/testhome/work"_s << false << u"/b/testhome/work"_s << u"/b/bin"_s;
    QTest::newRow("build tree started in home")
        << u"/b/bin"_s << u"/home/u"_s << false << u"/home/u"_s << u"/b/bin"_s;
    QTest::newRow("installed, menu start") << u"/usr/bin"_s << u"/home/u"_s << true << user << user;
    QTest::newRow("installed, home with slash") << u"/usr/bin"_s << u"/home/u/"_s << true << user << user;
    QTest::newRow("installed, started in root") << u"/usr/bin"_s << u"/"_s << true << user << user;
    QTest::newRow("installed, started beside itself")
        << u"/usr/bin"_s << u"/usr/bin"_s << true << user << user;
    QTest::newRow("installed, shell in chosen folder")
        << u"/usr/bin"_s << u"/home/u/site"_s << true << u"/home/u/site"_s << user;
    QTest::newRow("installed, unpacked tree the user owns")
        << u"/tmp/root/usr/bin"_s << u"/home/u"_s << true << user << user;
    QTest::newRow("read-only copy, menu start") << u"/ro/bin"_s << u"/home/u"_s << false << user << user;
    QTest::newRow("read-only copy, chosen folder")
        << u"/ro/bin"_s << u"/home/u/site"_s << false << u"/home/u/site"_s << user;
    const QString programFiles = u"C:/Program Files/r5200txtools"_s;
    QTest::newRow("Windows installed, menu start in its folder")
        << programFiles << programFiles << true << user << user;
    QTest::newRow("Windows installed where an administrator can write")
        << u"C:/Tools/r5200txtools"_s << u"C:/Tools/r5200txtools"_s << true << user << user;
    QTest::newRow("Windows ZIP unpacked under Program Files")
        << programFiles << programFiles << false << user << user;
    const QString desktop = u"C:/Users/u/Desktop/r5200txtools"_s;
    QTest::newRow("Windows ZIP on the desktop") << desktop << desktop << false << desktop << desktop;
}

void TstCommon::workFolders()
{
    QFETCH(QString, programDir);
    QFETCH(QString, currentDir);
    QFETCH(bool, fromInstall);
    QFETCH(QString, working);
    QFETCH(QString, application);
    const QStringList writable = {u"/b/bin"_s,
                                  u"/b/testhome/work"_s,
                                  u"/home/u"_s,
                                  u"/home/u/"_s,
                                  u"/home/u/site"_s,
                                  u"/tmp/root/usr/bin"_s,
                                  u"C:/Tools/r5200txtools"_s,
                                  u"C:/Users/u/Desktop/r5200txtools"_s};
    r5::FolderFacts facts;
    facts.programDir = programDir;
    facts.currentDir = currentDir;
    facts.homeDir = u"/home/u"_s;
    facts.perUserDir = u"/home/u/.local/share/r5200txtools/x"_s;
    facts.fromInstall = fromInstall;
    facts.writable = [&writable](const QString &folder) { return writable.contains(folder); };
    const r5::Folders folders = r5::chooseFolders(facts);
    QCOMPARE(folders.working, working);
    QCOMPARE(folders.application, application);
    QCOMPARE(folders.perUserWorking, working == facts.perUserDir);
}

QTEST_GUILESS_MAIN(TstCommon)
#include "tst_common.moc"
