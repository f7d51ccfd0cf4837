// What the firmware server hands out and what it refuses, request by request as a peer sends
// them over 127.0.0.1: nothing outside the folder in any spelling, no hidden file, no other
// method; the folder's files whole, in part, or only their header. And a crowd of slow peers
// that never finish their header cannot keep the device's request out.
#include "httpfetch.h"
#include "r5fw/downloadwatch.h"
#include "r5fw/firmwareserver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using r5::test::fetch;
using r5::test::writeWhole;

// One peer of a crowd: from `source`, `afterMs` into the row, it sends a whole request for the
// image, or a request line and then nothing ("stall"), or a header line every 100 ms ("slow").
struct Peer
{
    QString source;
    int afterMs = 0;
    QByteArray kind;
    QByteArray expected; // the status line's start, or "open": still waiting when the rest ended
};

} // namespace

Q_DECLARE_METATYPE(QList<Peer>)
Q_DECLARE_METATYPE(r5fw::FirmwareServer::Limits)

class TstFirmwareServer : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void requests_data();
    void requests();
    void crowd_data();
    void crowd();

private:
    QTemporaryDir m_dir;
    QString m_folder;
    QByteArray m_image;
    r5fw::FirmwareServer *m_server = nullptr;
    QStringList m_lines;
};

void TstFirmwareServer::initTestCase()
{
    // root/secret.txt, root/fw/ (served) with the image, a hidden file, a sub-folder and a link
    // that leads out.
    QVERIFY(m_dir.isValid());
    QDir root(m_dir.path());
    QVERIFY(root.mkpath(u"fw/sub"_s));
    m_folder = QDir(root.filePath(u"fw"_s)).canonicalPath();
    m_image = QByteArray(100'000, Qt::Uninitialized);
    for (qsizetype i = 0; i < m_image.size(); ++i)
        m_image[i] = char(i * 7 + i / 251);
    QVERIFY(writeWhole(root.filePath(u"secret.txt"_s), "SECRET"));
    QVERIFY(writeWhole(root.filePath(u"fw/R5200TX_v1.07.bin"_s), m_image));
    QVERIFY(writeWhole(root.filePath(u"fw/.hidden"_s), "SECRET"));
    QVERIFY(writeWhole(root.filePath(u"fw/sub/inner.bin"_s), "SECRET"));
    // Windows makes a shortcut file instead of a link: there the row shows a missing file.
    if (QFile::link(root.filePath(u"secret.txt"_s), root.filePath(u"fw/out.bin"_s)) &&
        !QFileInfo(root.filePath(u"fw/out.bin"_s)).isSymLink())
        QFile::remove(root.filePath(u"fw/out.bin"_s));
    m_server = new r5fw::FirmwareServer(r5::SystemClock::instance(), this);
    connect(m_server, &r5fw::FirmwareServer::line, this, [this](const QString &l) { m_lines.append(l); });
    QString why;
    QVERIFY2(m_server->listen(m_folder, QHostAddress::LocalHost, 0, &why), qPrintable(why));
}

void TstFirmwareServer::requests_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("status"); // the status line's start
    QTest::addColumn<QByteArray>("body");   // empty: not compared
    QTest::addColumn<QString>("logged");    // what the log line says

    const auto get = [](const QByteArray &target, const QByteArray &more = {}) -> QByteArray {
        return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + more + "\r\n";
    };
    const QByteArray image = m_image.isEmpty() ? QByteArray() : m_image;
    QTest::newRow("the file") << get("/R5200TX_v1.07.bin") << QByteArray("HTTP/1.1 200") << image
                              << u"R5200TX_v1.07.bin sent, 100000 of 100000 bytes"_s;
    QTest::newRow("padded as the order pads it")
        << get("/%20%20R5200TX_v1.07.bin") << QByteArray("HTTP/1.1 200") << image
        << u"sent, 100000 of 100000"_s;
    QTest::newRow("without the leading slash")
        << get("R5200TX_v1.07.bin") << QByteArray("HTTP/1.1 200") << image << u"sent, 100000 of 100000"_s;
    QTest::newRow("a range") << get("/R5200TX_v1.07.bin", "Range: bytes=99990-\r\n")
                             << QByteArray("HTTP/1.1 206") << image.mid(99990) << u"sent, 10 of 10 bytes"_s;
    QTest::newRow("a range past the end") << get("/R5200TX_v1.07.bin", "Range: bytes=100000-\r\n")
                                          << QByteArray("HTTP/1.1 416") << QByteArray() << u"(416,"_s;
    QTest::newRow("HEAD: the header only")
        << QByteArray("HEAD /R5200TX_v1.07.bin HTTP/1.1\r\n\r\n") << QByteArray("HTTP/1.1 200")
        << QByteArray() << u"HEAD R5200TX_v1.07.bin, 100000 bytes"_s;
    for (const char *method : {"POST", "PUT", "DELETE", "OPTIONS"}) {
        QTest::addRow("%s", method) << QByteArray(method) +
                                           " /R5200TX_v1.07.bin HTTP/1.1\r\nContent-Length: 0\r\n\r\n"
                                    << QByteArray("HTTP/1.1 405") << QByteArray() << u"only GET and HEAD"_s;
    }
    const QString outside = u"(403, outside the firmware folder)"_s;
    for (const char *target :
         {"/../secret.txt", "/%2e%2e/secret.txt", "/..%2fsecret.txt", "/%2E%2E%2Fsecret.txt",
          "/..\\secret.txt", "/%5c..%5csecret.txt", "//secret.txt", "/sub/inner.bin", "/sub%2finner.bin",
          "/%2F..%2F..%2Fetc%2Fpasswd"}) {
        QTest::addRow("%s", target) << get(target) << QByteArray("HTTP/1.1 403") << QByteArray() << outside;
    }
    // Refused as a path, or on Windows for its drive.
    QTest::newRow("an absolute path") << get(QDir(m_dir.path()).filePath(u"secret.txt"_s).toUtf8())
                                      << QByteArray("HTTP/1.1 403") << QByteArray() << u"(403, "_s;
    QTest::newRow("a drive") << get("/C:/Windows/win.ini") << QByteArray("HTTP/1.1 403") << QByteArray()
                             << u"a drive or stream name"_s;
    QTest::newRow("a hidden file") << get("/.hidden") << QByteArray("HTTP/1.1 403") << QByteArray()
                                   << u"a hidden file"_s;
    QTest::newRow("a zero byte") << get("/R5200TX_v1.07.bin%00.txt") << QByteArray("HTTP/1.1 403")
                                 << QByteArray() << u"a control character"_s;
    QTest::newRow("a link that leads out")
        << get("/out.bin")
        << QByteArray(QFileInfo(m_folder + u"/out.bin"_s).isSymLink() ? "HTTP/1.1 403" : "HTTP/1.1 404")
        << QByteArray() << u"out.bin"_s;
    QTest::newRow("no such file") << get("/R5200TX_v9.99.bin") << QByteArray("HTTP/1.1 404") << QByteArray()
                                  << u"no such file in the firmware folder"_s;
    QTest::newRow("not HTTP") << QByteArray("HELLO\r\n\r\n") << QByteArray("HTTP/1.1 400") << QByteArray()
                              << u"not an HTTP request"_s;
}

void TstFirmwareServer::requests()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, logged);
    m_lines.clear();
    const QByteArray answer = fetch(m_server->port(), request);
    QVERIFY2(answer.startsWith(status), answer.left(200).constData());
    QVERIFY(!answer.contains("SECRET"));
    const qsizetype headEnd = answer.indexOf("\r\n\r\n");
    QVERIFY(headEnd > 0);
    if (!body.isEmpty())
        QCOMPARE(answer.mid(headEnd + 4), body);
    if (request.startsWith("HEAD"))
        QCOMPARE(answer.size(), headEnd + 4);
    QTRY_VERIFY2(
        std::any_of(m_lines.begin(), m_lines.end(), [&](const QString &l) { return l.contains(logged); }),
        qPrintable(m_lines.join(u'\n')));
    // A handful of lines per request, no flood.
    QVERIFY(m_lines.size() <= 2);
}

void TstFirmwareServer::crowd_data()
{
    QTest::addColumn<r5fw::FirmwareServer::Limits>("limits");
    QTest::addColumn<QList<Peer>>("peers");
    QTest::addColumn<QString>("followed"); // what the follow-up of the order says

    // Places, per address, header deadline, grace, idle: short, so that a row takes a second.
    const QString a = u"127.0.0.1"_s;
    const QString b = u"127.0.0.2"_s;
    const QString served = u"R5200TX_v1.07.bin sent whole"_s;
    QTest::newRow("slow peers hold every place: the oldest gives way to the device")
        << r5fw::FirmwareServer::Limits{4, 8, 5000, 100, 15000}
        << QList<Peer>{{a, 0, "slow", "HTTP/1.1 503"},
                       {a, 0, "slow", "open"},
                       {a, 0, "slow", "open"},
                       {a, 0, "slow", "open"},
                       {a, 300, "whole", "HTTP/1.1 200"}}
        << served;
    QTest::newRow("an address over its cap gives way itself, another's place is kept")
        << r5fw::FirmwareServer::Limits{8, 2, 5000, 100, 15000}
        << QList<Peer>{{b, 0, "slow", "open"},
                       {a, 50, "slow", "HTTP/1.1 503"},
                       {a, 50, "slow", "open"},
                       {a, 300, "whole", "HTTP/1.1 200"}}
        << served;
    QTest::newRow("a bench connecting at once from one address: none gives way, all served")
        << r5fw::FirmwareServer::Limits{4, 2, 5000, 100, 15000}
        << QList<Peer>(8, Peer{a, 0, "whole", "HTTP/1.1 200"}) << served;
    QTest::newRow("the device's header cut short by the deadline: the follow-up says it came")
        << r5fw::FirmwareServer::Limits{4, 2, 400, 100, 15000}
        << QList<Peer>{{a, 0, "slow", "HTTP/1.1 408"}, {a, 0, "stall", "HTTP/1.1 408"}}
        << u"Firmware request for R5200TX_v1.07.bin from 127.0.0.1 reached the HTTP Server and was refused "
           u"(408, its header did not arrive whole within 0.4 s)"_s;
}

void TstFirmwareServer::crowd()
{
    QFETCH(r5fw::FirmwareServer::Limits, limits);
    QFETCH(QList<Peer>, peers);
    QFETCH(QString, followed);
    QStringList lines;
    std::vector<QByteArray> answers(size_t(peers.size()));
    r5fw::FirmwareServer server(r5::SystemClock::instance());
    server.setLimits(limits);
    server.setOnlyFile(u"R5200TX_v1.07.bin"_s);
    QString why;
    QVERIFY2(server.listen(m_folder, QHostAddress::LocalHost, 0, &why), qPrintable(why));
    connect(&server, &r5fw::FirmwareServer::line, this, [&lines](const QString &l) { lines.append(l); });
    r5fw::DownloadWatch watch(server, r5::SystemClock::instance(), [] {});
    connect(&watch, &r5fw::DownloadWatch::line, this, [&lines](const QString &l) { lines.append(l); });
    watch.statusAnswered(u"1.05"_s);
    watch.start(u"127.0.0.1"_s, server.port(), u"/R5200TX_v1.07.bin"_s);

    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    QTimer drip;
    for (qsizetype i = 0; i < peers.size(); ++i) {
        const Peer &peer = peers[i];
        QTest::qWait(peer.afterMs - (i > 0 ? peers[i - 1].afterMs : 0));
        auto &socket = sockets.emplace_back(std::make_unique<QTcpSocket>());
        connect(socket.get(), &QTcpSocket::readyRead, this,
                [&answers, i, s = socket.get()] { answers[size_t(i)] += s->readAll(); });
        QVERIFY(socket->bind(QHostAddress(peer.source)));
        socket->connectToHost(QHostAddress::LocalHost, server.port());
        const QByteArray line =
            peer.kind == "slow" ? "GET / HTTP/1.1\r\n" : "GET /R5200TX_v1.07.bin HTTP/1.1\r\n";
        socket->write(peer.kind == "whole" ? line + "Host: 127.0.0.1\r\n\r\n" : line);
        if (peer.kind == "slow")
            connect(&drip, &QTimer::timeout, socket.get(), [s = socket.get()] { s->write("X-Slow: 1\r\n"); });
    }
    drip.start(100);
    const auto ended = [&](qsizetype i) {
        return sockets[size_t(i)]->state() == QAbstractSocket::UnconnectedState;
    };
    for (qsizetype i = 0; i < peers.size(); ++i) {
        if (peers[i].expected != "open")
            QTRY_VERIFY2_WITH_TIMEOUT(ended(i), qPrintable(lines.join(u'\n')), 5000);
    }
    for (qsizetype i = 0; i < peers.size(); ++i) {
        const QByteArray &answer = answers[size_t(i)];
        if (peers[i].expected == "open") // the others ended first, so these stayed while they did
            QVERIFY2(!ended(i) && answer.isEmpty(), qPrintable(u"peer %1: "_s.arg(i) + lines.join(u'\n')));
        else
            QVERIFY2(answer.startsWith(peers[i].expected),
                     qPrintable(u"peer %1: "_s.arg(i) + QString::fromLatin1(answer.left(100))));
        if (peers[i].kind == "whole")
            QCOMPARE(answer.size() - answer.indexOf("\r\n\r\n") - 4, m_image.size());
    }
    QTRY_VERIFY2(
        std::any_of(lines.begin(), lines.end(), [&](const QString &l) { return l.contains(followed); }),
        qPrintable(lines.join(u'\n')));
}

QTEST_MAIN(TstFirmwareServer)
#include "tst_firmware_server.moc"
