// Expected texts are built with plain +, which the string builder would turn into proxies.
#undef QT_USE_QSTRINGBUILDER

#include "serialpair.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kStatusRequest = QByteArray::fromHex("7E054150FE");
const QByteArray kCurrentApQuery = QByteArray::fromHex("7E054950FE");

QString program()
{
    return qEnvironmentVariable("R5_BIN_DIR") + u"/r5200tx-virtual"_s;
}

// The peer's end of the device's serial line, opened the way a serial program opens it.
class Line
{
public:
    explicit Line(const QString &path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_fd >= 0) {
            termios tio{};
            tcgetattr(m_fd, &tio);
            cfmakeraw(&tio);
            tcsetattr(m_fd, TCSANOW, &tio);
        }
    }
    ~Line()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }

    bool write(const QByteArray &bytes) const
    {
        return ::write(m_fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

    // Reads until `count` bytes came or `ms` passed.
    QByteArray read(qsizetype count, int ms = 5000) const
    {
        QByteArray out;
        QDeadlineTimer deadline(ms);
        while (out.size() < count && !deadline.hasExpired()) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, int(deadline.remainingTime())) <= 0)
                break;
            char buf[512];
            const ssize_t n = ::read(m_fd, buf, sizeof buf);
            if (n > 0)
                out.append(buf, n);
        }
        return out;
    }

    QByteArray ask(const QByteArray &request, qsizetype answerSize, int ms = 5000) const
    {
        return write(request) ? read(answerSize, ms) : QByteArray();
    }

private:
    int m_fd = -1;
};

// One run of the virtual device.
class Device
{
public:
    explicit Device(const QStringList &arguments)
    {
        m_process.setProgram(program());
        m_process.setArguments(arguments);
        m_process.start();
    }
    ~Device()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(5000))
                m_process.kill();
        }
    }

    // Waits for a console line that starts with `prefix`; returns the rest of it.
    QString waitFor(const QString &prefix)
    {
        QDeadlineTimer deadline(10000);
        for (;;) {
            while (m_process.canReadLine()) {
                const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
                m_console.append(line);
                const qsizetype at = line.indexOf(prefix);
                if (at >= 0)
                    return line.mid(at + prefix.size());
            }
            if (deadline.hasExpired() || !m_process.waitForReadyRead(int(deadline.remainingTime())))
                return {};
        }
    }
    QString path() { return m_path.isEmpty() ? (m_path = waitFor(u"Serial port: "_s)) : m_path; }
    QStringList console() const { return m_console; }

    // Stops it as a signal would and waits until it is gone.
    int stop()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
        return m_process.exitCode();
    }

private:
    QProcess m_process;
    QString m_path;
    QStringList m_console;
};

} // namespace

class TstVirtualProcess : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void helpNamesEveryOption();
    void badOptionsAreRefused_data();
    void badOptionsAreRefused();
    void statusRoundTripOverThePty();
    void faultSwitches_data();
    void faultSwitches();
    void rebootTakesTime();
    void settingsSurviveARestart();
    void linkFollowsTheRun();
    void namedSerialPort();
};

void TstVirtualProcess::helpNamesEveryOption()
{
    QProcess p;
    p.start(program(), {u"--help"_s});
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitCode(), 0);
    const QString help = QString::fromUtf8(p.readAllStandardOutput());
    for (const char *option : {"--link", "--port", "--state", "--fault-pieces", "--piece-gap",
                               "--fault-stray", "--fault-payload-fe", "--fault-unregistered",
                               "--fault-wrong-count", "--fault-answers", "--fault-ignore", "--reboot-ms",
                               "--rssi-drift", "--seed", "--tcp-address", "--tcp-port", "--no-tcp"})
        QVERIFY2(help.contains(QLatin1StringView(option)), option);
}

void TstVirtualProcess::badOptionsAreRefused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("unknown") << QStringList{u"--frobnicate"_s};
    QTest::newRow("pieces") << QStringList{u"--fault-pieces"_s, u"10,x"_s};
    QTest::newRow("stray") << QStringList{u"--fault-stray"_s, u"3G"_s};
    QTest::newRow("ignored write") << QStringList{u"--fault-ignore"_s, u"dns"_s};
    QTest::newRow("reboot time") << QStringList{u"--reboot-ms"_s, u"-1"_s};
    QTest::newRow("port number") << QStringList{u"--tcp-port"_s, u"70000"_s};
    QTest::newRow("link and port") << QStringList{u"--link"_s, u"x"_s, u"--port"_s, u"y"_s};
    QTest::newRow("positional") << QStringList{u"extra"_s};
}

void TstVirtualProcess::badOptionsAreRefused()
{
    QFETCH(QStringList, arguments);
    QProcess p;
    p.start(program(), arguments);
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitCode(), 2);
    QVERIFY(p.readAllStandardError().contains("Usage:"));
}

void TstVirtualProcess::statusRoundTripOverThePty()
{
    Device device({u"--no-tcp"_s});
    Line line(device.path());
    QVERIFY(line.isOpen());
    const QByteArray answer = line.ask(kStatusRequest, 51);
    QCOMPARE(answer.size(), 51);
    QVERIFY(answer.startsWith(QByteArray::fromHex("7E33414401"))); // device type 1: R5200TX
    QCOMPARE(answer.mid(25, 2), QByteArray::fromHex("0FA0"));      // port 4000
    QVERIFY(!device.waitFor(u"RX [7E.05.41.50.FE.]"_s).isNull());
    QVERIFY(!device.waitFor(u"status query"_s).isNull());
    QVERIFY(device.waitFor(u"TX ["_s).startsWith(u"7E.33.41.44."_s));
}

void TstVirtualProcess::faultSwitches_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("size");        // bytes the status request is answered with
    QTest::addColumn<QString>("console"); // a line the device writes about it
    QTest::addColumn<QByteArray>("head"); // the first bytes of what arrives

    QTest::newRow("pieces") << QStringList{u"--fault-pieces"_s, u"10,30,11"_s} << 51
                            << u"TX piece 3/3 [00.46.46.46.46.46.46.00.1E.05.FE.]"_s
                            << QByteArray::fromHex("7E334144");
    QTest::newRow("stray") << QStringList{u"--fault-stray"_s, u"3132"_s} << 53
                           << u"fault: 2 stray byte(s) first"_s << QByteArray::fromHex("31327E334144");
    QTest::newRow("payload FE") << QStringList{u"--fault-payload-fe"_s} << 51
                                << u"fault: payload byte 27 set to FE"_s << QByteArray::fromHex("7E334144");
    QTest::newRow("unregistered") << QStringList{u"--fault-unregistered"_s} << 5
                                  << u"fault: answered with the unregistered id 0x5A"_s
                                  << QByteArray::fromHex("7E055A44FE");
    QTest::newRow("wrong count") << QStringList{u"--fault-wrong-count"_s} << 52
                                 << u"fault: one byte added to the content"_s
                                 << QByteArray::fromHex("7E344144");
}

void TstVirtualProcess::faultSwitches()
{
    QFETCH(QStringList, options);
    QFETCH(int, size);
    QFETCH(QString, console);
    QFETCH(QByteArray, head);
    Device device(options + QStringList{u"--no-tcp"_s});
    Line line(device.path());
    QVERIFY(line.isOpen());
    const QByteArray spoiled = line.ask(kStatusRequest, size);
    QCOMPARE(spoiled.size(), size);
    QVERIFY(spoiled.startsWith(head));
    QVERIFY(!device.waitFor(console).isNull());
    // Only the first answer is spoiled, and nothing else followed it.
    QCOMPARE(line.ask(kStatusRequest, 51).size(), 51);
    QVERIFY(line.ask(kCurrentApQuery, 53).startsWith(QByteArray::fromHex("7E354944") + "R5200TX_LAB "));
}

void TstVirtualProcess::rebootTakesTime()
{
    Device device({u"--no-tcp"_s, u"--reboot-ms"_s, u"1500"_s, u"--fault-ignore"_s, u"wan"_s});
    Line line(device.path());
    const QByteArray status = QByteArray::fromHex("7E054150FE");
    // The WAN save is answered but not kept; the server save is kept, and both reboot.
    QCOMPARE(line.ask(QByteArray::fromHex("7E114350C0A8016EC0A80101FFFFFF00FE"), 5),
             QByteArray::fromHex("7E054344FE"));
    QVERIFY(!device.waitFor(u"fault: wan write answered but not kept"_s).isNull());
    QVERIFY(!device.waitFor(u"up again"_s).isNull());
    QCOMPARE(line.ask(QByteArray::fromHex("7E0944500FA11E47FE"), 5), QByteArray::fromHex("7E054444FE"));
    QVERIFY(!device.waitFor(u"silent for 1500 ms while rebooting"_s).isNull());
    QCOMPARE(line.ask(status, 51, 300), QByteArray());
    QVERIFY(device.waitFor(u"up again"_s).contains(u"5 byte(s) lost"_s));
    const QByteArray answer = line.ask(status, 51);
    QCOMPARE(answer.size(), 51);
    QCOMPARE(answer.mid(13, 4).toHex('.'), QByteArray("7f.00.00.01"));
    QCOMPARE(answer.mid(25, 4).toHex('.'), QByteArray("0f.a1.1e.47"));
}

void TstVirtualProcess::settingsSurviveARestart()
{
    QTemporaryDir dir;
    const QString state = dir.filePath(u"r5200tx.json"_s);
    {
        Device device({u"--no-tcp"_s, u"--state"_s, state});
        Line line(device.path());
        // Port 4101, expiry 20 s, mode 'G'.
        QCOMPARE(line.ask(QByteArray::fromHex("7E09445010051447FE"), 5), QByteArray::fromHex("7E054444FE"));
        QVERIFY(!device.waitFor(u"server now on port 4101"_s).isNull());
        QCOMPARE(device.stop(), 0);
    }
    Device device({u"--state"_s, state});
    Line line(device.path());
    QCOMPARE(line.ask(kStatusRequest, 51).mid(25, 4), QByteArray::fromHex("10051447"));
    // The TCP side starts on the port the device kept.
    QVERIFY(!device.waitFor(u"127.0.0.1:4101"_s).isNull());
}

void TstVirtualProcess::linkFollowsTheRun()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(u"ttyR5200"_s);
    QFile::link(u"/nonexistent"_s, link); // a stale link from an earlier run is replaced
    Device device({u"--no-tcp"_s, u"--link"_s, link});
    const QString path = device.path();
    QCOMPARE(QFileInfo(link).symLinkTarget(), path);
    {
        Line line(link);
        QCOMPARE(line.ask(kCurrentApQuery, 53).size(), 53);
    }
    QCOMPARE(device.stop(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TstVirtualProcess::namedSerialPort()
{
    r5::test::SerialPair pty;
    QVERIFY(pty.isValid());
    Device device({u"--no-tcp"_s, u"--port"_s, pty.portName()});
    QCOMPARE(device.path(), pty.portName());
    QVERIFY(pty.write(QByteArray::fromHex("7E054A50FE")));
    const QByteArray answer = pty.readAtLeast(43);
    QCOMPARE(answer.size(), 43);
    QVERIFY(answer.startsWith(QByteArray::fromHex("7E2B4A44") +
                              QByteArray("R5200TX_LAB").leftJustified(32, ' ')));
}

QTEST_GUILESS_MAIN(TstVirtualProcess)
#include "tst_virtual_process.moc"
