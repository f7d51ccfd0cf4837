#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// `r5200tx-cli report` as an installer runs it, its PDF read back as a customer's viewer reads
// it (poppler's pdftotext and pdffonts).
class TstReportCli : public QObject
{
    Q_OBJECT
private slots:
    void init();
    // Both formats from one record and check: every MAC with its state on its own line, the site
    // and the person, the table's header on every page, the fonts embedded; the HTML self-contained.
    void handoverReadsBack_data();
    void handoverReadsBack();
    // A file that cannot be read or written: the exit code and a message naming the file.
    void refusals_data();
    void refusals();

private:
    struct Run
    {
        int code = -1;
        QString out;
        QString err;
    };
    Run run(const QString &program, const QStringList &arguments);
    QString path(const QString &name) const { return m_dir->filePath(name); }

    std::optional<QTemporaryDir> m_dir;
};

namespace {

constexpr int kDevices = 70;

QString mac(int i)
{
    return u"02:52:00:00:%1:%2"_s.arg(i / 256, 2, 16, QChar(u'0')).arg(i % 256, 2, 16, QChar(u'0')).toUpper();
}

// Devices 3 and 5 offline, 8 not reached, 9 missing from the check, all others online; one more
// (kDevices) only in the check. As an index into the state words: online, offline, not reached,
// not checked.
int stateOf(int i)
{
    return i == 3 || i == 5 ? 1 : i == 8 ? 2 : i == 9 ? 3 : 0;
}
const QStringList kStates{u"online"_s, u"offline"_s, u"not reached"_s};

} // namespace

void TstReportCli::init()
{
    m_dir.emplace();
    QVERIFY(m_dir->isValid());
    QByteArray record =
        "Time,MAC,Device,Firmware,WAN.IP,Server.Port,Server.Mode,AP.SSID,RSSI,Verdict,Profile,Label\n";
    QJsonArray devices;
    for (int i = 0; i < kDevices; ++i) {
        record +=
            u"2024-05-02T09:%1:00+09:00,%2,R5200TX,V2.7,127.0.2.%3,4000,N,공장 AP,-55,%4,p.ini,2층 계수기 %5\n"_s
                .arg(i % 60, 2, 10, QChar(u'0'))
                .arg(mac(i))
                .arg(i + 1)
                .arg(i == 4 ? u"DIFFERS"_s : u"OK"_s)
                .arg(i)
                .toUtf8();
        if (i == 9)
            continue;
        devices.append(QJsonObject{{u"mac"_s, mac(i).toLower()},
                                   {u"state"_s, kStates.at(stateOf(i))},
                                   {u"lastReport"_s, u"2024-05-02T01:00:00Z"_s},
                                   {u"pingMs"_s, 1.5},
                                   {u"countersMoved"_s, true}});
    }
    devices.append(
        QJsonObject{{u"mac"_s, mac(kDevices)}, {u"address"_s, u"127.0.3.1"_s}, {u"state"_s, u"online"_s}});
    QFile r(path(u"record.csv"_s));
    QVERIFY(r.open(QIODevice::WriteOnly) && r.write(record) == record.size());
    QFile c(path(u"check.json"_s));
    const QByteArray check = QJsonDocument(QJsonObject{{u"devices"_s, devices}}).toJson();
    QVERIFY(c.open(QIODevice::WriteOnly) && c.write(check) == check.size());
}

TstReportCli::Run TstReportCli::run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.setWorkingDirectory(m_dir->path());
    p.start(program, arguments);
    Run result;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return result;
    }
    result.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    result.out = QString::fromUtf8(p.readAllStandardOutput());
    result.err = QString::fromUtf8(p.readAllStandardError());
    return result;
}

void TstReportCli::handoverReadsBack_data()
{
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QStringList>("words"); // online, offline, not reached, not checked
    QTest::addColumn<QString>("header");    // a column only the table's header line names
    QTest::newRow("en") << u"en"_s
                        << QStringList{u"online"_s, u"offline"_s, u"not reached"_s, u"not checked"_s}
                        << u"Last report"_s;
    QTest::newRow("ko") << u"ko"_s
                        << QStringList{u"온라인"_s, u"오프라인"_s, u"연결 안 됨"_s, u"점검 안 됨"_s}
                        << u"마지막 보고"_s;
}

void TstReportCli::handoverReadsBack()
{
    QFETCH(QString, lang);
    QFETCH(QStringList, words);
    QFETCH(QString, header);
    const QString cli = qEnvironmentVariable("R5_BIN_DIR") + u"/r5200tx-cli"_s;
    const QStringList common{u"report"_s,  u"record.csv"_s, u"--site-check"_s, u"check.json"_s, u"--site"_s,
                             u"Plant 2"_s, u"--by"_s,       u"Kim Jiho"_s,     u"--lang"_s,     lang,
                             u"--out"_s};

    const Run made = run(cli, common + QStringList{u"plant2.pdf"_s});
    QVERIFY2(made.code == 0, qPrintable(made.err));
    // In its reading order (as a viewer copies text) and as laid out on the page.
    const Run text = run(u"pdftotext"_s, {u"plant2.pdf"_s, u"-"_s});
    QVERIFY2(text.code == 0, qPrintable(text.err));
    const Run layout = run(u"pdftotext"_s, {u"-layout"_s, u"plant2.pdf"_s, u"-"_s});
    QVERIFY2(layout.code == 0, qPrintable(layout.err));
    QVERIFY(text.out.contains(u"Plant 2"_s));
    QVERIFY(text.out.contains(u"Kim Jiho"_s));
    const QStringList lines = text.out.split(u'\n');
    for (int i = 0; i <= kDevices; ++i) {
        // Every line naming the device (its row, the list of what needs attention) names its state
        // and no other.
        int named = 0;
        for (const QString &line : lines) {
            if (!line.contains(mac(i)))
                continue;
            ++named;
            for (qsizetype w = 0; w < words.size(); ++w)
                QVERIFY2(line.contains(words.at(w)) == (w == stateOf(i)), qPrintable(line));
        }
        QVERIFY2(named > 0, qPrintable(mac(i)));
    }
    // Every page that holds rows of the table (their addresses) starts them under its header.
    const QStringList pages = layout.out.split(u'\f', Qt::SkipEmptyParts);
    int tablePages = 0;
    for (const QString &page : pages) {
        const qsizetype firstDevice = page.indexOf(QRegularExpression(u"127\\.0\\.\\d+\\.\\d+"_s));
        if (firstDevice < 0)
            continue;
        ++tablePages;
        QVERIFY2(page.indexOf(header) >= 0 && page.indexOf(header) < firstDevice, qPrintable(page));
    }
    QVERIFY2(tablePages >= 2, "the test's table fits on one page: it shows no header repeated");
    const Run fonts = run(u"pdffonts"_s, {u"plant2.pdf"_s});
    QCOMPARE(fonts.code, 0);
    const QStringList fontLines = fonts.out.split(u'\n', Qt::SkipEmptyParts).mid(2);
    QVERIFY(!fontLines.isEmpty());
    // name, type, encoding, emb, sub, uni, object, generation: "emb" is fifth from the end.
    for (const QString &f : fontLines) {
        const QStringList fields = f.split(u' ', Qt::SkipEmptyParts);
        QVERIFY2(fields.value(fields.size() - 5) == u"yes"_s, qPrintable(fonts.out));
    }

    const Run page = run(cli, common + QStringList{u"plant2.html"_s});
    QVERIFY2(page.code == 0, qPrintable(page.err));
    QFile f(path(u"plant2.html"_s));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(f.readAll());
    for (int i = 0; i <= kDevices; ++i)
        QVERIFY2(html.contains(mac(i)), qPrintable(mac(i)));
    QVERIFY(html.contains(u"Plant 2"_s) && html.contains(u"Kim Jiho"_s));
    for (const QString &fetch :
         {u"<script"_s, u"http:"_s, u"https:"_s, u"src="_s, u"url("_s, u"@import"_s, u"<link"_s})
        QVERIFY2(!html.contains(fetch, Qt::CaseInsensitive), qPrintable(fetch));
}

void TstReportCli::refusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    const QStringList check{u"--site-check"_s, u"check.json"_s};
    QTest::newRow("no record") << QStringList{u"missing.csv"_s, u"--out"_s, u"r.pdf"_s} << 1
                               << u"missing.csv: the record cannot be read"_s;
    QTest::newRow("not a record") << QStringList{u"check.json"_s, u"--out"_s, u"r.pdf"_s} << 1
                                  << u"check.json: not a commissioning record"_s;
    QTest::newRow("check not JSON") << QStringList{u"record.csv"_s, u"--site-check"_s, u"record.csv"_s,
                                                   u"--out"_s, u"r.pdf"_s}
                                    << 1 << u"record.csv: not JSON"_s;
    QTest::newRow("unknown format") << QStringList{u"record.csv"_s, u"--out"_s, u"r.docx"_s} << 1
                                    << u"r.docx: the report is written as .pdf or .html"_s;
    QTest::newRow("bad language")
        << (QStringList{u"record.csv"_s, u"--lang"_s, u"de"_s, u"--out"_s, u"r.pdf"_s} + check) << 1
        << u"--lang: \"de\" is not ko or en"_s;
    QTest::newRow("folder missing") << (QStringList{u"record.csv"_s, u"--out"_s, u"gone/r.html"_s} + check)
                                    << 5 << u"gone/r.html: the report cannot be written"_s;
    QTest::newRow("output is a folder") << QStringList{u"record.csv"_s, u"--out"_s, u"folder.pdf"_s} << 5
                                        << u"folder.pdf: the report cannot be written"_s;
}

void TstReportCli::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QString, message);
    QVERIFY(QDir(m_dir->path()).mkdir(u"folder.pdf"_s));
    const Run r =
        run(qEnvironmentVariable("R5_BIN_DIR") + u"/r5200tx-cli"_s, QStringList{u"report"_s} + arguments);
    QCOMPARE(r.code, code);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(!QFile::exists(path(u"r.pdf"_s)) && !QFile::exists(path(u"r.docx"_s)));
}

QTEST_GUILESS_MAIN(TstReportCli)
#include "tst_report_cli.moc"
