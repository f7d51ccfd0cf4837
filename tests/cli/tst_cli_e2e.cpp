#include "r5/csv.h"
#include "r5/filelock.h"
#include "r5/version.h"
#include "serialpair.h"
#include "virtualdevice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// r5200tx-cli as installers run it, against r5200tx-virtual on a pseudo-terminal (or a bare
// pseudo-terminal where nobody answers).
class TstCliE2e : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    // apply writes all four sections through the reboots and verifies them; status, save and
    // verify read the same settings back.
    void applyThenVerify();
    // A write the device takes but does not apply: verify names the field and ends with 3.
    void ignoredWriteIsCaught_data();
    void ignoredWriteIsCaught();
    // A run that cannot go ahead: its exit code, a message naming the field (or the JSON error
    // object with --json), and not one byte on the port. --version of both programs.
    void refusedRunSendsNothing_data();
    void refusedRunSendsNothing();
    // Nobody on the line: three status tries, exit 2, a NO ANSWER record.
    void noDevice();
    // The plan's row for this device's MAC wins over the profile.
    void planRowByMac();
    // Records are appended to, never rewritten, and never hold the password.
    void recordAppends();
    // A bench of four ports: three devices (one keeps no WAN write) and a port where nobody
    // answers; every device its own result, exit 8, one whole row each. Mended, --skip-done
    // writes to that one alone.
    void benchOfDevices();
    // Two runs append to one record that a third program holds locked: both wait, then one
    // header and one whole row each.
    void twoRunsShareTheRecord();
    // --each: the device on the port, then the next one swapped onto it, never the first twice.
    void eachDeviceInTurn();
    // firmware on two ports: one server, each device its versions, bytes and result.
    void firmwareOnABench();

private:
    struct Run
    {
        int code = -1;
        QString out;
        QString err;
    };
    Run cli(const QStringList &arguments, const QString &program = u"r5200tx-cli"_s);
    void startDevice(const QStringList &extra = {});
    // A device of its own (state file, MAC); its port, or empty.
    QString startBenchDevice(int n, const QStringList &extra = {});
    std::vector<std::unique_ptr<VirtualDevice>> m_bench;
    void write(const QString &name, const QByteArray &bytes);
    QByteArray readFile(const QString &name) const;

    std::optional<QTemporaryDir> m_dir;
    std::unique_ptr<VirtualDevice> m_device;
    QString m_port;
    bool m_rebootDelay = false;
    bool m_faultIgnore = false;
};

namespace {

const QByteArray kFullProfile = "[WAN]\nIP=127.0.10.30\nGateway=127.0.0.1\nMask=255.255.255.0\n"
                                "[Server]\nPort=4100\nExpire=40\nMode=N\n"
                                "[DI]\nTime1=11\nTime2=22\nTime3=33\nTime4=44\nTime5=55\n"
                                "Mode1=R\nMode2=F\nMode3=R\nMode4=F\nMode5=R\n"
                                "[AP]\nSSID=Lab, \"east\"\nPassword=pw,1\n";

// Loopback addresses only; what is not named keeps the virtual device's defaults.
QJsonObject deviceState()
{
    return QJsonObject{
        {u"mac"_s, u"02:52:00:AB:CD:EF"_s}, {u"firmwareMajor"_s, 2},        {u"firmwareMinor"_s, 7},
        {u"ip"_s, u"127.0.10.20"_s},        {u"gateway"_s, u"127.0.0.1"_s}, {u"mask"_s, u"255.255.252.0"_s},
        {u"apSsid"_s, u"R5200TX_LAB"_s},    {u"apPassword"_s, u"pw 2층!"_s}};
}

QString programHelp(const QString &program)
{
    QProcess p;
    p.start(qEnvironmentVariable("R5_BIN_DIR") + u'/' + program, {u"--help"_s});
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
}

// The table line of `field`.
QString tableLine(const QString &out, const QString &field)
{
    for (const QString &line : out.split(u'\n')) {
        if (line.startsWith(field + u' '))
            return line;
    }
    return {};
}

} // namespace

void TstCliE2e::initTestCase()
{
    const QString help = programHelp(u"r5200tx-virtual"_s);
    m_rebootDelay = help.contains(u"--reboot-ms"_s);
    m_faultIgnore = help.contains(u"--fault-ignore"_s);
}

void TstCliE2e::init()
{
    m_dir.emplace();
    QVERIFY(m_dir->isValid());
    write(u"device.json"_s, QJsonDocument(deviceState()).toJson());
}

void TstCliE2e::cleanup()
{
    m_bench.clear();
    m_device.reset();
    m_dir.reset();
}

void TstCliE2e::startDevice(const QStringList &extra)
{
    QStringList args{
        u"--state"_s, m_dir->filePath(u"device.json"_s), u"--tcp-port"_s, u"0"_s, u"--rssi-drift"_s, u"0"_s};
    // A short reboot, so polls are really lost while the device is silent.
    if (m_rebootDelay)
        args << u"--reboot-ms"_s << u"300"_s;
    m_device = std::make_unique<VirtualDevice>(args + extra);
    m_port = m_device->waitForPort();
    QVERIFY2(!m_port.isEmpty(), qPrintable(m_device->console().join(u'\n')));
}

TstCliE2e::Run TstCliE2e::cli(const QStringList &arguments, const QString &program)
{
    QProcess p;
    p.setWorkingDirectory(m_dir->path());
    p.start(qEnvironmentVariable("R5_BIN_DIR") + u'/' + program, arguments);
    Run run;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return run;
    }
    run.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    // A Windows console program ends its lines with CR LF, on a pipe too.
    run.out = QString::fromUtf8(p.readAllStandardOutput()).replace(u"\r\n"_s, u"\n"_s);
    run.err = QString::fromUtf8(p.readAllStandardError()).replace(u"\r\n"_s, u"\n"_s);
    return run;
}

void TstCliE2e::write(const QString &name, const QByteArray &bytes)
{
    QFile f(m_dir->filePath(name));
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray TstCliE2e::readFile(const QString &name) const
{
    QFile f(m_dir->filePath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TstCliE2e::applyThenVerify()
{
    startDevice();
    if (QTest::currentTestFailed())
        return;
    write(u"full.ini"_s, kFullProfile);
    const Run apply = cli({u"--port"_s, m_port, u"apply"_s, u"full.ini"_s});
    QVERIFY2(apply.code == 0, qPrintable(apply.out + apply.err));
    for (const QString &field : {u"WAN.IP"_s, u"Server.Mode"_s, u"DI.Time5"_s, u"DI.Mode1"_s, u"AP.SSID"_s})
        QVERIFY2(tableLine(apply.out, field).endsWith(u"| ok"_s), qPrintable(apply.out));
    QVERIFY2(tableLine(apply.out, u"AP.Password"_s)
                 .startsWith(u"AP.Password   | ********      | ********      | ok"_s),
             qPrintable(apply.out));
    QVERIFY(!apply.out.contains(u"pw,1"_s));
    QTRY_COMPARE(m_device->count(u"WAN set: address 127.0.10.30, gateway 127.0.0.1, mask 255.255.255.0"_s),
                 1);
    QTRY_COMPARE(m_device->count(u"server set: port 4100, expiry 40 s, mode 'N'"_s), 1);
    QTRY_COMPARE(m_device->count(u"access point set: \"Lab, \"east\"\""_s), 1);

    // Every exchange is in the day's log, in the window's format.
    const QDir logs(m_dir->filePath(u"Log"_s));
    const QStringList files = logs.entryList({u"R5200Setup_*.log"_s}, QDir::Files);
    QCOMPARE(files.size(), 1);
    const QString log = QString::fromUtf8(readFile(u"Log/"_s + files.first()));
    for (const QString &tx :
         {u"]  TX 0x43 : [17][7E.11.43.50.7F.00.0A.1E."_s, u"]  TX 0x44 : [9][7E.09.44.50.10.04.28.4E.FE.]"_s,
          u"]  TX 0x45 : [23][7E.17.45.50.00.0B."_s, u"]  TX 0x42 : [53][7E.35.42.50."_s,
          u"]  RX MSG ID:[0x41] LEN:[51]:[7E.33.41."_s})
        QVERIFY2(log.contains(tx), qPrintable(tx));

    const Run status = cli({u"--port"_s, m_port, u"status"_s, u"--json"_s});
    QCOMPARE(status.code, 0);
    const QJsonObject o = QJsonDocument::fromJson(status.out.toUtf8()).object();
    QCOMPARE(o.value(u"command"_s).toString(), u"status"_s);
    QCOMPARE(o.value(u"ok"_s), QJsonValue(true));
    QVERIFY(o.value(u"error"_s).isNull());
    QCOMPARE(o.value(u"mac"_s).toString(), u"02:52:00:AB:CD:EF"_s);
    QCOMPARE(o.value(u"wan"_s).toObject().value(u"ip"_s).toString(), u"127.0.10.30"_s);
    QCOMPARE(o.value(u"server"_s).toObject().value(u"port"_s).toInt(), 4100);
    QCOMPARE(o.value(u"server"_s).toObject().value(u"mode"_s).toString(), u"N"_s);
    QCOMPARE(o.value(u"di"_s).toArray().at(4).toObject().value(u"time"_s).toInt(), 55);
    QCOMPARE(o.value(u"di"_s).toArray().at(4).toObject().value(u"mode"_s).toString(), u"R"_s);
    QCOMPARE(o.value(u"ap"_s).toObject().value(u"ssid"_s).toString(), u"Lab, \"east\""_s);

    // save writes a profile that verifies against the same device, without the password.
    const Run save = cli({u"--port"_s, m_port, u"save"_s, u"saved.ini"_s});
    QCOMPARE(save.code, 0);
    QVERIFY(!readFile(u"saved.ini"_s).contains("pw,1"));
    const Run verify = cli({u"--port"_s, m_port, u"verify"_s, u"saved.ini"_s});
    QVERIFY2(verify.code == 0, qPrintable(verify.out + verify.err));
    QVERIFY(!tableLine(verify.out, u"WAN.Mask"_s).isEmpty());
}

void TstCliE2e::ignoredWriteIsCaught_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("field");
    QTest::newRow("wan") << u"wan"_s << u"WAN.IP"_s;
    QTest::newRow("server") << u"server"_s << u"Server.Port"_s;
    QTest::newRow("di") << u"di"_s << u"DI.Time1"_s;
    QTest::newRow("ap") << u"ap"_s << u"AP.SSID"_s;
}

void TstCliE2e::ignoredWriteIsCaught()
{
    if (!m_faultIgnore)
        QSKIP("this virtual device has no --fault-ignore");
    QFETCH(QString, kind);
    QFETCH(QString, field);
    startDevice({u"--fault-ignore"_s, kind});
    if (QTest::currentTestFailed())
        return;
    write(u"full.ini"_s, kFullProfile);
    const Run apply = cli({u"--port"_s, m_port, u"apply"_s, u"full.ini"_s});
    QVERIFY2(apply.code == 3, qPrintable(apply.out + apply.err));
    QVERIFY2(tableLine(apply.out, field).endsWith(u"| DIFFERS"_s), qPrintable(apply.out));
    // The other sections went through.
    const QString other = kind == u"wan"_s ? u"Server.Port"_s : u"WAN.IP"_s;
    QVERIFY2(tableLine(apply.out, other).endsWith(u"| ok"_s), qPrintable(apply.out));
    const Run verify = cli({u"--port"_s, m_port, u"verify"_s, u"full.ini"_s, u"--json"_s});
    QCOMPARE(verify.code, 3);
    const QJsonObject o = QJsonDocument::fromJson(verify.out.toUtf8()).object();
    QCOMPARE(o.value(u"error"_s).toObject().value(u"kind"_s).toString(), u"differs"_s);
    QVERIFY(o.value(u"error"_s).toObject().value(u"field"_s).toString().contains(field));
    QVERIFY(!verify.out.contains(u"pw,1"_s));
}

void TstCliE2e::refusedRunSendsNothing_data()
{
    // "PTY" stands for the pseudo-terminal nobody answers on.
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("profile"); // written to bad.ini
    QTest::addColumn<QByteArray>("plan");    // written to plan.csv
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");      // in stderr, or in stdout when the code is 0
    QTest::addColumn<QString>("jsonField"); // with --json: the error object's field
    const QString cli = u"r5200tx-cli"_s;
    const QStringList apply{u"--port"_s, u"PTY"_s, u"apply"_s, u"bad.ini"_s};
    const QStringList status{u"--port"_s, u"PTY"_s, u"status"_s};
    QTest::newRow("octet") << cli << apply
                           << QByteArray("[WAN]\nIP=127.0.0.256\nGateway=127.0.0.1\nMask=255.0.0.0\n")
                           << QByteArray() << 1
                           << u"bad.ini: WAN.IP \"127.0.0.256\": each of the four numbers must be 0 to 255."_s
                           << QString();
    QTest::newRow("missing gateway, json")
        << cli << apply + QStringList{u"--json"_s} << QByteArray("[WAN]\nIP=127.0.0.9\nMask=255.0.0.0\n")
        << QByteArray() << 1 << u"WAN.Gateway is missing"_s << u"WAN.Gateway"_s;
    QTest::newRow("throughput") << cli << apply << QByteArray(kFullProfile).replace("Time2=22", "Time2=0")
                                << QByteArray() << 1
                                << u"DI.Time2 \"0\" must be a whole number from 1 to 2550."_s << QString();
    QTest::newRow("ssid") << cli << apply << QByteArray("[AP]\nSSID=x\nPassword=abc\n") << QByteArray() << 1
                          << u"AP.SSID must be at least 2 bytes."_s << QString();
    QTest::newRow("plan row") << cli << apply + QStringList{u"--plan"_s, u"plan.csv"_s}
                              << QByteArray("[Server]\nPort=4000\nExpire=10\nMode=G\n")
                              << QByteArray(
                                     "MAC,Server.Port\n00:11:22:33:44:55,4001\n02:52:00:AB:CD:EF,65536\n")
                              << 1 << u"Server.Port \"65536\" must be a whole number from 1 to 65535."_s
                              << QString();
    QTest::newRow("baud 12") << cli << status + QStringList{u"--baud"_s, u"12"_s} << QByteArray()
                             << QByteArray() << 1 << u"--baud: \"12\" is not one of"_s << QString();
    QTest::newRow("data bits 9, json")
        << cli << status + QStringList{u"--data-bits"_s, u"9"_s, u"--json"_s} << QByteArray() << QByteArray()
        << 1 << u"--data-bits"_s << u"--data-bits"_s;
    QTest::newRow("parity") << cli << status + QStringList{u"--parity"_s, u"sometimes"_s} << QByteArray()
                            << QByteArray() << 1 << u"--parity: \"sometimes\""_s << QString();
    QTest::newRow("port cannot be opened, json")
        << cli << QStringList{u"--port"_s, u"/nonexistent/ttyR5"_s, u"status"_s, u"--json"_s} << QByteArray()
        << QByteArray() << 4 << u"--port /nonexistent/ttyR5: the serial port cannot be opened"_s
        << u"--port"_s;
    QTest::newRow("record not writable")
        << cli << apply + QStringList{u"--record"_s, u"no/such/folder/rec.csv"_s} << kFullProfile
        << QByteArray() << 5 << u"no/such/folder/rec.csv: the record cannot be written"_s << QString();
    // A bench that cannot start in full does not start: nothing goes to the port that opened.
    QTest::newRow("bench: one port missing, json")
        << cli
        << QStringList{u"--port"_s, u"PTY"_s, u"--port"_s, u"/nonexistent/ttyR5"_s, u"status"_s, u"--json"_s}
        << QByteArray() << QByteArray() << 4
        << u"--port /nonexistent/ttyR5: the serial port cannot be opened"_s << u"--port"_s;
    QTest::newRow("bench: the same port twice")
        << cli << QStringList{u"--port"_s, u"PTY"_s, u"--port"_s, u"PTY"_s, u"status"_s} << QByteArray()
        << QByteArray() << 1 << u"is given twice; one device per port"_s << QString();
    QTest::newRow("bench: --each with save")
        << cli << QStringList{u"--port"_s, u"PTY"_s, u"--each"_s, u"save"_s, u"x.ini"_s} << QByteArray()
        << QByteArray() << 1 << u"--each does not go with save"_s << QString();
    QTest::newRow("bench: --count without --each")
        << cli << apply + QStringList{u"--count"_s, u"2"_s} << kFullProfile << QByteArray() << 1
        << u"--count goes with --each"_s << QString();
    QTest::newRow("bench: --skip-done without --record, json")
        << cli << apply + QStringList{u"--skip-done"_s, u"--json"_s} << kFullProfile << QByteArray() << 1
        << u"--skip-done needs --record"_s << u"--skip-done"_s;
    QTest::newRow("cli version") << cli << QStringList{u"--version"_s} << QByteArray() << QByteArray() << 0
                                 << u"r5200tx-cli "_s + QLatin1StringView(r5::versionNumber) << QString();
    QTest::newRow("virtual version") << u"r5200tx-virtual"_s << QStringList{u"--version"_s} << QByteArray()
                                     << QByteArray() << 0
                                     << u"r5200tx-virtual "_s + QLatin1StringView(r5::versionNumber)
                                     << QString();
}

void TstCliE2e::refusedRunSendsNothing()
{
    QFETCH(QString, program);
    QFETCH(QStringList, args);
    QFETCH(QByteArray, profile);
    QFETCH(QByteArray, plan);
    QFETCH(int, code);
    QFETCH(QString, text);
    QFETCH(QString, jsonField);
    r5::test::SerialPair pty;
    QVERIFY(pty.isValid());
    args.replaceInStrings(u"PTY"_s, pty.portName());
    if (!profile.isEmpty())
        write(u"bad.ini"_s, profile);
    if (!plan.isEmpty())
        write(u"plan.csv"_s, plan);
    const Run run = cli(args, program);
    QCOMPARE(run.code, code);
    QVERIFY2((code == 0 ? run.out : run.err).contains(text), qPrintable(run.out + run.err));
    if (!jsonField.isEmpty()) {
        const QJsonObject o = QJsonDocument::fromJson(run.out.toUtf8()).object();
        QCOMPARE(o.value(u"exitCode"_s).toInt(-1), code);
        QCOMPARE(o.value(u"ok"_s), QJsonValue(false));
        const QJsonObject error = o.value(u"error"_s).toObject();
        QCOMPARE(error.value(u"kind"_s).toString(), code == 4 ? u"port"_s : u"usage"_s);
        QCOMPARE(error.value(u"field"_s).toString(), jsonField);
        QVERIFY(error.value(u"message"_s).toString().contains(text));
        QVERIFY(o.contains(u"mac"_s) && o.contains(u"comparison"_s)); // the same keys as a result
    }
    QCOMPARE(pty.read(200), QByteArray());
}

void TstCliE2e::noDevice()
{
    r5::test::SerialPair pty;
    QVERIFY(pty.isValid());
    write(u"full.ini"_s, kFullProfile);
    const Run run = cli({u"--port"_s, pty.portName(), u"--timeout"_s, u"200"_s, u"verify"_s, u"full.ini"_s,
                         u"--record"_s, u"rec.csv"_s});
    QCOMPARE(run.code, 2);
    QVERIFY2(run.err.contains(u"No answer to the status (0x41) query"_s), qPrintable(run.err));
    QCOMPARE(pty.read(200), QByteArray::fromHex("7E054150FE7E054150FE7E054150FE"));
    const QList<QByteArray> rows = readFile(u"rec.csv"_s).split('\n');
    QCOMPARE(rows.size(), 3); // header, row, the empty rest after the last line end
    QVERIFY2(rows[1].contains(",NO ANSWER,full.ini"), rows[1].constData());
}

void TstCliE2e::planRowByMac()
{
    startDevice();
    if (QTest::currentTestFailed())
        return;
    write(u"wan.ini"_s, "[WAN]\nIP=127.0.0.9\nGateway=127.0.0.1\nMask=255.0.0.0\n");
    write(u"plan.csv"_s,
          "MAC,WAN.IP,WAN.Mask\r\n00:11:22:33:44:55,127.0.0.7,\r\n02-52-00-ab-cd-ef,127.0.0.8,\r\n");
    const Run apply = cli({u"--port"_s, m_port, u"apply"_s, u"wan.ini"_s, u"--plan"_s, u"plan.csv"_s});
    QVERIFY2(apply.code == 0, qPrintable(apply.out + apply.err));
    QVERIFY(apply.out.contains(u"Plan row for 02:52:00:AB:CD:EF applies."_s));
    QTRY_COMPARE(m_device->count(u"WAN set: address 127.0.0.8, gateway 127.0.0.1, mask 255.0.0.0"_s), 1);

    write(u"plan.csv"_s, "MAC,WAN.IP\n00:11:22:33:44:55,127.0.0.7\n");
    const Run verify = cli({u"--port"_s, m_port, u"verify"_s, u"wan.ini"_s, u"--plan"_s, u"plan.csv"_s});
    QCOMPARE(verify.code, 3);
    QVERIFY(verify.out.contains(u"No plan row for 02:52:00:AB:CD:EF: the profile alone."_s));
    QVERIFY2(tableLine(verify.out, u"WAN.IP"_s).contains(u"127.0.0.9 | 127.0.0.8 | DIFFERS"_s),
             qPrintable(verify.out));
}

void TstCliE2e::recordAppends()
{
    startDevice();
    if (QTest::currentTestFailed())
        return;
    const QByteArray earlier = "Time,MAC\r\nan earlier run,kept as it stands\r\n";
    write(u"rec.csv"_s, earlier);
    // A profile is in the system code page, as the PC's editors write it.
    write(u"ap.ini"_s, "[AP]\nSSID=R5200TX_LAB\nPassword=" + u"pw 2층!"_s.toLocal8Bit() + '\n');
    QCOMPARE(cli({u"--port"_s, m_port, u"verify"_s, u"ap.ini"_s, u"--record"_s, u"rec.csv"_s}).code, 0);
    write(u"ap.ini"_s, "[AP]\nSSID=R5200TX_LAB\nPassword=other\n");
    QCOMPARE(cli({u"--port"_s, m_port, u"verify"_s, u"ap.ini"_s, u"--record"_s, u"rec.csv"_s}).code, 3);

    const QByteArray record = readFile(u"rec.csv"_s);
    QVERIFY(record.startsWith(earlier));
    QVERIFY(!record.contains("pw 2") && !record.contains("other"));
    const QList<QByteArray> rows = record.mid(earlier.size()).split('\n');
    QCOMPARE(rows.size(), 3);
    QVERIFY2(rows[0].contains(",02:52:00:AB:CD:EF,R5200TX,2.07,127.0.10.20,") &&
                 rows[0].contains(",R5200TX_LAB,") && rows[0].endsWith(",OK,ap.ini,\r"),
             rows[0].constData());
    QVERIFY2(rows[1].endsWith(",DIFFERS,ap.ini,\r"), rows[1].constData());
}

QString TstCliE2e::startBenchDevice(int n, const QStringList &extra)
{
    const QString state = m_dir->filePath(u"bench%1.json"_s.arg(n));
    if (!QFile::exists(state)) {
        QJsonObject o = deviceState();
        o.insert(u"mac"_s, u"02:52:00:00:00:0%1"_s.arg(n));
        write(QFileInfo(state).fileName(), QJsonDocument(o).toJson());
    }
    m_bench.push_back(
        std::make_unique<VirtualDevice>(QStringList{u"--state"_s, state, u"--no-tcp"_s, u"--rssi-drift"_s,
                                                    u"0"_s, u"--reboot-ms"_s, u"300"_s} +
                                        extra));
    return m_bench.back()->waitForPort();
}

namespace {

// The record's rows as cells, each checked whole: as many cells as its header.
quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QList<QStringList> recordRows(const QByteArray &bytes)
{
    return r5::csv::parse(bytes).rows;
}

} // namespace

void TstCliE2e::benchOfDevices()
{
    if (!m_faultIgnore)
        QSKIP("this virtual device has no --fault-ignore");
    r5::test::SerialPair silent;
    QVERIFY(silent.isValid());
    const QStringList ports{startBenchDevice(1), startBenchDevice(2),
                            startBenchDevice(3, {u"--fault-ignore"_s, u"wan"_s}), silent.portName()};
    QVERIFY(!ports.contains(QString()));
    write(u"full.ini"_s, kFullProfile);
    write(u"plan.csv"_s, "MAC,Label\n02:52:00:00:00:02,Press 2\n");
    QStringList args;
    for (const QString &p : ports)
        args << u"--port"_s << p;
    const QStringList command{u"apply"_s,   u"full.ini"_s,  u"--plan"_s, u"plan.csv"_s, u"--record"_s,
                              u"rec.csv"_s, u"--timeout"_s, u"500"_s,    u"--json"_s};
    const Run run = cli(args + command);
    QCOMPARE(run.code, 8);
    const QJsonObject o = QJsonDocument::fromJson(run.out.toUtf8()).object();
    QCOMPARE(o.value(u"exitCode"_s).toInt(), 8);
    QCOMPARE(o.value(u"error"_s).toObject().value(u"kind"_s).toString(), u"devices"_s);
    const QJsonArray devices = o.value(u"devices"_s).toArray();
    QCOMPARE(devices.size(), 4);
    QMap<QString, int> codes;
    for (const QJsonValue &d : devices)
        codes.insert(d[u"port"_s].toString(), d[u"exitCode"_s].toInt());
    QCOMPARE(codes, (QMap<QString, int>{{ports[0], 0}, {ports[1], 0}, {ports[2], 3}, {ports[3], 2}}));
    for (const QJsonValue &d : devices) {
        if (d[u"port"_s] == ports[1])
            QCOMPARE(d[u"label"_s].toString(), u"Press 2"_s);
        if (d[u"port"_s] == ports[2]) {
            QCOMPARE(d[u"mac"_s].toString(), u"02:52:00:00:00:03"_s);
            QVERIFY(d[u"error"_s][u"field"_s].toString().contains(u"WAN.IP"_s));
        }
    }
    // One whole row per device, the silent port's too, the label last.
    const QList<QStringList> rows = recordRows(readFile(u"rec.csv"_s));
    QCOMPARE(rows.size(), 5);
    QStringList verdicts;
    for (const QStringList &row : rows.mid(1)) {
        QCOMPARE(row.size(), rows[0].size());
        verdicts.append(row[1] + u' ' + row[rows[0].indexOf(u"Verdict"_s)] + u' ' + row.last());
    }
    verdicts.sort();
    QCOMPARE(verdicts, (QStringList{u" NO ANSWER "_s, u"02:52:00:00:00:01 OK "_s,
                                    u"02:52:00:00:00:02 OK Press 2"_s, u"02:52:00:00:00:03 DIFFERS "_s}));

    // The faulty device mended (the same unit, its settings kept): only it is written again.
    m_bench[2].reset();
    const QString mended = startBenchDevice(3);
    const Run again =
        cli(QStringList{u"--port"_s, ports[0], u"--port"_s, ports[1], u"--port"_s, mended, u"--skip-done"_s} +
            command);
    QVERIFY2(again.code == 0, qPrintable(again.out + again.err));
    QVERIFY2(again.err.contains(ports[0] + u" 02:52:00:00:00:01 already commissioned"_s),
             qPrintable(again.err));
    QTRY_COMPARE(m_bench[3]->count(u"WAN set:"_s), 1);
    QCOMPARE(m_bench[0]->count(u"WAN set:"_s), 1);
    QCOMPARE(recordRows(readFile(u"rec.csv"_s)).size(), 6);
}

void TstCliE2e::twoRunsShareTheRecord()
{
    const QStringList ports{startBenchDevice(1), startBenchDevice(2)};
    QVERIFY(!ports.contains(QString()));
    write(u"ap.ini"_s, "[AP]\nSSID=R5200TX_LAB\n");
    r5::FileLock holder(m_dir->filePath(u"rec.csv"_s));
    QCOMPARE(holder.tryLock(), r5::FileLock::Result::Locked);
    std::array<QProcess, 2> runs;
    for (int i = 0; i < 2; ++i) {
        runs[i].setWorkingDirectory(m_dir->path());
        runs[i].start(qEnvironmentVariable("R5_BIN_DIR") + u"/r5200tx-cli"_s,
                      {u"--port"_s, ports[i], u"verify"_s, u"ap.ini"_s, u"--record"_s, u"rec.csv"_s});
        QVERIFY(runs[i].waitForStarted());
    }
    // Both read their device and wait for the record, saying so.
    QVERIFY(!runs[0].waitForFinished(2500));
    QCOMPARE(runs[1].state(), QProcess::Running);
    QVERIFY(readFile(u"rec.csv"_s).isEmpty());
    holder.unlock();
    for (QProcess &run : runs) {
        QVERIFY(run.waitForFinished(10000));
        QCOMPARE(run.exitCode(), 0);
        QVERIFY(run.readAllStandardError().contains("another program is writing the record; waiting"));
    }
    const QList<QStringList> rows = recordRows(readFile(u"rec.csv"_s));
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0].first(), u"Time"_s);
    QCOMPARE(QSet<QString>({rows[1][1], rows[2][1]}),
             QSet<QString>({u"02:52:00:00:00:01"_s, u"02:52:00:00:00:02"_s}));
    QVERIFY(rows[1].size() == rows[0].size() && rows[2].size() == rows[0].size());
}

void TstCliE2e::eachDeviceInTurn()
{
    const QString port = startBenchDevice(1, {u"--next-on-input"_s, u"--swap-ms"_s, u"1000"_s});
    QVERIFY(!port.isEmpty());
    write(u"wan.ini"_s, "[WAN]\nIP=127.0.0.9\nGateway=127.0.0.1\nMask=255.0.0.0\n");
    QProcess run;
    run.setWorkingDirectory(m_dir->path());
    run.start(qEnvironmentVariable("R5_BIN_DIR") + u"/r5200tx-cli"_s,
              {u"--port"_s, port, u"--each"_s, u"--count"_s, u"2"_s, u"apply"_s, u"wan.ini"_s});
    QByteArray out;
    QTRY_VERIFY_WITH_TIMEOUT((out += run.readAllStandardOutput()).contains(" OK "), 15000);
    QVERIFY2(out.startsWith((port + u" 02:52:00:00:00:01 OK"_s).toUtf8()), out.constData());
    // Still on the line, the same unit is asked again but not written again.
    const int asked = m_bench[0]->count(u"status query"_s);
    QTRY_VERIFY_WITH_TIMEOUT(m_bench[0]->count(u"status query"_s) >= asked + 2, 10000);
    QCOMPARE(m_bench[0]->count(u"WAN set:"_s), 1);
    m_bench[0]->type("next");
    QVERIFY(run.waitForFinished(20000));
    out += run.readAllStandardOutput();
    QCOMPARE(run.exitCode(), 0);
    QVERIFY2(out.contains((port + u" 02:52:00:00:00:02 OK"_s).toUtf8()), out.constData());
    QTRY_COMPARE(m_bench[0]->count(u"WAN set:"_s), 2);
}

void TstCliE2e::firmwareOnABench()
{
    const QStringList ports{startBenchDevice(1), startBenchDevice(2)};
    QVERIFY(!ports.contains(QString()));
    QDir(m_dir->path()).mkpath(u"fw"_s);
    const QByteArray image(150000, 'F');
    write(u"fw/R5200TX_v2.09.bin"_s, image);
    const Run run = cli(
        {u"--port"_s, ports[0], u"--port"_s, ports[1], u"firmware"_s, u"fw/R5200TX_v2.09.bin"_s, u"--serve"_s,
         u"127.0.0.1:"_s + QString::number(freePort()), u"--record"_s, u"fw.csv"_s, u"--json"_s});
    QVERIFY2(run.code == 0, qPrintable(run.out + run.err));
    const QJsonArray devices =
        QJsonDocument::fromJson(run.out.toUtf8()).object().value(u"devices"_s).toArray();
    QCOMPARE(devices.size(), 2);
    for (const QJsonValue &d : devices) {
        QCOMPARE(d[u"versionBefore"_s].toString(), u"2.07"_s);
        QCOMPARE(d[u"versionAfter"_s].toString(), u"2.09"_s);
        QCOMPARE(d[u"bytesSent"_s].toInteger(), image.size());
    }
    QCOMPARE(recordRows(readFile(u"fw.csv"_s)).size(), 3);
}

QTEST_GUILESS_MAIN(TstCliE2e)
#include "tst_cli_e2e.moc"
