// The virtual device's maintenance handling: flash erase, the firmware download order and its
// real fetch over HTTP from a server on 127.0.0.1, and what it keeps of both.
#include "devicetext.h"
#include "virt/answers.h"
#include "virt/devicemodel.h"
#include "virt/firmwarefetcher.h"
#include "virt/statefile.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace virt;
using Result = FirmwareDownload::Result;

namespace {

// A small HTTP server on 127.0.0.1 whose answers the test writes: each path gets its raw
// response bytes, sent in pieces.
class HttpStub final : public QObject
{
public:
    HttpStub()
    {
        connect(&m_server, &QTcpServer::newConnection, this, &HttpStub::accept);
        m_server.listen(QHostAddress::LocalHost, 0);
    }
    std::uint16_t port() const { return m_server.serverPort(); }

    void answer(const QByteArray &path, const QByteArray &response) { m_routes.insert(path, response); }
    static QByteArray ok(const QByteArray &body)
    {
        return "HTTP/1.0 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
    }

    QList<QByteArray> requested;

private:
    void accept()
    {
        while (QTcpSocket *s = m_server.nextPendingConnection()) {
            connect(s, &QTcpSocket::readyRead, s, [this, s] {
                m_pending[s] += s->readAll();
                if (!m_pending[s].contains("\r\n\r\n"))
                    return;
                const QByteArray path = m_pending.take(s).split(' ').value(1);
                requested.append(path);
                const QByteArray response =
                    m_routes.value(path, "HTTP/1.0 404 File not found\r\nContent-Length: 0\r\n\r\n");
                for (qsizetype at = 0; at < response.size(); at += 4096)
                    s->write(response.mid(at, 4096));
                s->disconnectFromHost();
            });
            connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        }
    }

    QTcpServer m_server;
    QHash<QByteArray, QByteArray> m_routes;
    QHash<QTcpSocket *, QByteArray> m_pending;
};

// 7E 2B 55 50, the server's address and port, the file path padded on the left to 32 bytes, FE.
QByteArray order(const QByteArray &address, std::uint16_t port, QStringView file)
{
    // As the tool sends it: in the system's code page.
    const QByteArray path = r5::test::deviceText(file);
    return QByteArray::fromHex("7E2B5550") + address + char(port >> 8) + char(port & 0xFF) +
           QByteArray(32 - path.size(), ' ') + path + QByteArray::fromHex("FE");
}

QByteArray order(std::uint16_t port, QStringView file)
{
    return order(QByteArray::fromHex("7F000001"), port, file);
}

QByteArray payloadOf(const QByteArray &frame)
{
    return frame.mid(4, frame.size() - 5);
}

QByteArray firmware(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + i / 7) & 0xFF);
    return bytes;
}

} // namespace

class TstVirtualMaint : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void firmwareUrl_data();
    void firmwareUrl();
    void fetchesWhatItIsTold();
    void failedFetches_data();
    void failedFetches();
    void tooLargeIsRefused();
    void newerOrderWins();
    void nothingFetchedWithoutAFetcher();
    void flashEraseAndRecovery();
    void firmwareRecordSurvivesRestart();
};

void TstVirtualMaint::firmwareUrl_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("url");
    QTest::newRow("usual") << u"/R5200TX_v1.0.bin"_s << u"http://127.0.0.1:8070/R5200TX_v1.0.bin"_s;
    QTest::newRow("no leading slash") << u"fw.bin"_s << u"http://127.0.0.1:8070/fw.bin"_s;
    QTest::newRow("32 characters, no padding") << u"/firmware/R5200TX_v1.0.1234.bin"_s.leftJustified(32, u'x')
                                               << u"http://127.0.0.1:8070/firmware/R5200TX_v1.0.1234.binx"_s;
    QTest::newRow("space inside") << u"/my fw.bin"_s << u"http://127.0.0.1:8070/my%20fw.bin"_s;
    QTest::newRow("percent and question mark are the name's")
        << u"/a%41?b#c"_s << u"http://127.0.0.1:8070/a%2541%3Fb%23c"_s;
    QTest::newRow("korean") << u"/펌웨어.bin"_s << u"http://127.0.0.1:8070/%ED%8E%8C%EC%9B%A8%EC%96%B4.bin"_s;
}

void TstVirtualMaint::firmwareUrl()
{
    QFETCH(QString, file);
    QFETCH(QString, url);
    const QUrl got = answers::firmwareUrl(payloadOf(order(8070, file)));
    QVERIFY(got.isValid());
    QCOMPARE(got.toString(QUrl::FullyEncoded), url);
    QCOMPARE(answers::firmwareUrl(payloadOf(order(QByteArray::fromHex("0A010203"), 0, u"/x"))).toString(),
             u"http://10.1.2.3:0/x"_s);
}

void TstVirtualMaint::fetchesWhatItIsTold()
{
    HttpStub http;
    const QByteArray image = firmware(200 * 1024 + 17);
    http.answer("/R5200TX_v1.0.bin", HttpStub::ok(image));
    QTemporaryDir dir;
    DeviceModel model;
    StateFile stateFile(dir.filePath(u"state.json"_s));
    QVERIFY(stateFile.keep(model));
    FirmwareFetcher fetcher;
    FirmwareFetcher::serve(model, fetcher);
    QSignalSpy log(&model, &DeviceModel::log);

    QCOMPARE(model.handle(order(http.port(), u"/R5200TX_v1.0.bin")), QByteArray::fromHex("7E055544FE"));
    QCOMPARE(model.state().firmwareDownload.result, Result::Pending);
    QTRY_COMPARE(model.state().firmwareDownload.result, Result::Fetched);

    const QString url = u"http://127.0.0.1:%1/R5200TX_v1.0.bin"_s.arg(http.port());
    const QString sha =
        QString::fromLatin1(QCryptographicHash::hash(image, QCryptographicHash::Sha256).toHex());
    const FirmwareDownload &fw = model.state().firmwareDownload;
    QCOMPARE(fw.url, url);
    QCOMPARE(fw.size, image.size());
    QCOMPARE(fw.sha256, sha);
    QCOMPARE(http.requested, QList<QByteArray>{"/R5200TX_v1.0.bin"});
    QStringList lines;
    for (const QList<QVariant> &args : log)
        lines.append(args.at(0).toString());
    QVERIFY(lines.contains(u"firmware download ordered from "_s + url));
    // The name's version (1.0) is then written and the device reboots into it.
    QVERIFY(lines.contains(
        u"firmware fetched from %1: %2 bytes, sha256 %3"_s.arg(url).arg(image.size()).arg(sha)));
    QCOMPARE(lines.mid(lines.size() - 2), QStringList({u"firmware 1.00 written"_s, u"rebooting"_s}));

    // The state file says the same.
    QFile file(dir.filePath(u"state.json"_s));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject saved =
        QJsonDocument::fromJson(file.readAll()).object()[u"firmwareDownload"_s].toObject();
    QCOMPARE(saved[u"result"_s].toString(), u"fetched"_s);
    QCOMPARE(saved[u"size"_s].toInteger(), image.size());
    QCOMPARE(saved[u"sha256"_s].toString(), sha);
}

void TstVirtualMaint::failedFetches_data()
{
    QTest::addColumn<QByteArray>("response"); // empty: no such file on the server
    QTest::addColumn<QString>("error");       // how the reason begins
    QTest::newRow("missing file") << QByteArray() << u"HTTP 404 File not found"_s;
    QTest::newRow("redirect is not followed")
        << QByteArray(
               "HTTP/1.0 302 Found\r\nLocation: http://127.0.0.1:1/elsewhere\r\nContent-Length: 0\r\n\r\n")
        << u"HTTP 302 Found"_s;
    QTest::newRow("cut short") << QByteArray("HTTP/1.0 200 OK\r\nContent-Length: 5000\r\n\r\nonly this")
                               << QString();
}

void TstVirtualMaint::failedFetches()
{
    QFETCH(QByteArray, response);
    QFETCH(QString, error);
    HttpStub http;
    if (!response.isEmpty())
        http.answer("/fw.bin", response);
    DeviceModel model;
    FirmwareFetcher fetcher;
    FirmwareFetcher::serve(model, fetcher);
    model.handle(order(http.port(), u"/fw.bin"));
    QTRY_COMPARE(model.state().firmwareDownload.result, Result::Failed);
    QVERIFY2(model.state().firmwareDownload.error.startsWith(error),
             qPrintable(model.state().firmwareDownload.error));
    QVERIFY(!model.state().firmwareDownload.error.isEmpty());
    QCOMPARE(model.state().firmwareDownload.sha256, QString());
}

void TstVirtualMaint::tooLargeIsRefused()
{
    HttpStub http;
    http.answer("/big.bin", HttpStub::ok(firmware(64 * 1024)));
    DeviceModel model;
    FirmwareFetcher fetcher;
    fetcher.setSizeLimit(10000);
    FirmwareFetcher::serve(model, fetcher);
    model.handle(order(http.port(), u"/big.bin"));
    QTRY_COMPARE(model.state().firmwareDownload.result, Result::Failed);
    QCOMPARE(model.state().firmwareDownload.error, u"larger than 10000 bytes"_s);
}

void TstVirtualMaint::newerOrderWins()
{
    HttpStub http;
    http.answer("/old.bin", HttpStub::ok("old"));
    http.answer("/new.bin", HttpStub::ok("new firmware"));
    DeviceModel model;
    FirmwareFetcher fetcher;
    FirmwareFetcher::serve(model, fetcher);
    model.handle(order(http.port(), u"/old.bin"));
    model.handle(order(http.port(), u"/new.bin"));
    QTRY_COMPARE(model.state().firmwareDownload.result, Result::Fetched);
    QVERIFY(model.state().firmwareDownload.url.endsWith(u"/new.bin"_s));
    QCOMPARE(model.state().firmwareDownload.size, 12);

    // A late result for an earlier order changes nothing.
    const FirmwareDownload before = model.state().firmwareDownload;
    model.firmwareFailed(QUrl(u"http://127.0.0.1:%1/old.bin"_s.arg(http.port())), u"late"_s);
    model.firmwareFetched(QUrl(before.url), 1, "x");
    QCOMPARE(model.state().firmwareDownload, before);
}

void TstVirtualMaint::nothingFetchedWithoutAFetcher()
{
    // The model alone only says what it was told (as under the fuzzer, which must not reach
    // any address it makes up).
    HttpStub http;
    DeviceModel model;
    QSignalSpy ordered(&model, &DeviceModel::firmwareDownloadOrdered);
    model.handle(order(http.port(), u"/fw.bin"));
    QCOMPARE(ordered.size(), 1);
    QCOMPARE(ordered[0][0].toUrl().port(), http.port());
    QCoreApplication::processEvents();
    QCOMPARE(http.requested, QList<QByteArray>());
    QCOMPARE(model.state().firmwareDownload.result, Result::Pending);
}

void TstVirtualMaint::flashEraseAndRecovery()
{
    HttpStub http;
    http.answer("/fw.bin", HttpStub::ok(firmware(1000)));
    DeviceModel model;
    FirmwareFetcher fetcher;
    FirmwareFetcher::serve(model, fetcher);
    model.handle(QByteArray::fromHex("7E09445010040F47FE")); // port 4100, 15 s, 'G'
    model.handle(QByteArray::fromHex("7E08535002583CFE"));   // flash 600 and 60
    QSignalSpy counters(&model, &DeviceModel::counterResetRequested);
    QSignalSpy rebooted(&model, &DeviceModel::rebooted);

    QCOMPARE(model.handle(QByteArray::fromHex("7E055850FE")), QByteArray::fromHex("7E055844FE"));
    QCOMPARE(counters.size(), 1);
    QCOMPARE(rebooted.size(), 0);
    QVERIFY(model.state().flashErased);
    QCOMPARE(model.state().serverPort, 4000);
    QCOMPARE(model.state().flashInterval, DeviceState::factoryDefaults().flashInterval);
    QCOMPARE(model.state().mac, DeviceState::firstStart().mac); // identity stays
    const QByteArray status = model.handle(QByteArray::fromHex("7E054150FE"));
    QCOMPARE(status.size(), 51);
    QCOMPARE(status.mid(25, 4), QByteArray::fromHex("0FA0004E")); // port 4000, 0 s, 'N'
    QCOMPARE(status.mid(47, 3), QByteArray::fromHex("001E05"));   // flash 30 and 5

    // A factory reset does not bring the firmware back; a download does.
    model.handle(QByteArray::fromHex("7E0646504EFE"));
    QVERIFY(model.state().flashErased);
    model.handle(order(http.port(), u"/missing.bin"));
    QTRY_COMPARE(model.state().firmwareDownload.result, Result::Failed);
    QVERIFY(model.state().flashErased);
    model.handle(order(http.port(), u"/fw.bin"));
    QTRY_COMPARE(model.state().firmwareDownload.result, Result::Fetched);
    QVERIFY(!model.state().flashErased);
}

void TstVirtualMaint::firmwareRecordSurvivesRestart()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"state.json"_s);
    {
        DeviceModel model;
        StateFile stateFile(path);
        QVERIFY(stateFile.keep(model));
        model.handle(QByteArray::fromHex("7E055850FE"));
        // Ordered, and the device stops before the file came.
        model.handle(order(1, u"/fw.bin"));
    }
    DeviceModel again;
    StateFile stateFile(path);
    QVERIFY(stateFile.keep(again));
    QVERIFY(again.state().flashErased);
    QCOMPARE(again.state().firmwareDownload.result, Result::Failed);
    QCOMPARE(again.state().firmwareDownload.error, u"interrupted by a restart"_s);
    QCOMPARE(again.state().firmwareDownload.url, u"http://127.0.0.1:1/fw.bin"_s);

    QString error;
    QVERIFY(!DeviceState::fromJson(
        QJsonObject{{u"firmwareDownload"_s, QJsonObject{{u"result"_s, u"maybe"_s}}}}, &error));
    QCOMPARE(error, u"bad value for \"firmwareDownload\""_s);
    QVERIFY(!DeviceState::fromJson(QJsonObject{{u"flashErased"_s, 1}}));
    // Round trip of every value.
    DeviceState s = again.state();
    s.firmwareDownload = {u"http://127.0.0.1:8070/a.bin"_s, Result::Fetched, 123456789012, u"ab"_s, {}};
    QCOMPARE(DeviceState::fromJson(s.toJson()), std::optional<DeviceState>(s));
}

QTEST_GUILESS_MAIN(TstVirtualMaint)
#include "tst_virtual_maint.moc"
