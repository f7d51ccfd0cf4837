#include "sim/address.h"
#include "sim/display.h"
#include "sim/linering.h"
#include "sim/logpaths.h"
#include "sim/textbytes.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace r5::sim;

Q_DECLARE_METATYPE(r5::sim::DataFormat)

namespace {
const QDateTime kAt(QDate(2026, 12, 7), QTime(9, 15, 2, 5));
}

class TstSimCore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void textToBytes_data();
    void textToBytes();
    void keyFilter_data();
    void keyFilter();
    void lineForms();
    void listCut_data();
    void listCut();
    void listCutMatchesWholeLine();
    void errorRecordAndListLine();
    void ringKeepsNewestRows();
    void ringHugeArrivalKeepsOnlyItsTail();
    void ringPinnedRowsStayReadable();
    void leadingNumber_data();
    void leadingNumber();
    void octetKeys_data();
    void octetKeys();
    void octetLeave_data();
    void octetLeave();
    void addressAndRepeatValues();
    void logPathPlan_data();
    void logPathPlan();
    void dailyPaths();
};

void TstSimCore::textToBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<DataFormat>("format");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("odd");
    QTest::addColumn<int>("counter");
    QTest::newRow("hex odd ABC") << u"ABC"_s << DataFormat::Hex << true << QByteArray("\xAB") << true << 1;
    QTest::newRow("hex 0A1B") << u"0A1B"_s << DataFormat::Hex << true << QByteArray("\x0A\x1B") << false << 2;
    QTest::newRow("hex lower case") << u"ff00"_s << DataFormat::Hex << true << QByteArray("\xFF\x00", 2)
                                    << false << 2;
    QTest::newRow("hex single digit") << u"7"_s << DataFormat::Hex << true << QByteArray() << true << 0;
    QTest::newRow("hex pasted junk") << u"0G"_s << DataFormat::Hex << false << QByteArray() << false << 1;
    QTest::newRow("hex odd junk") << u"00Z"_s << DataFormat::Hex << false << QByteArray() << false << 1;
    QTest::newRow("hex spaces") << u"0A 1B"_s << DataFormat::Hex << false << QByteArray() << false << 2;
    QTest::newRow("ascii") << u"AB C"_s << DataFormat::Ascii << true << QByteArray("AB C") << false << 4;
    QTest::newRow("ascii one-byte accent")
        << u"\u00e9"_s << DataFormat::Ascii << true << QByteArray("\xE9") << false << 1;
    QTest::newRow("ascii control") << u"a\r\n"_s << DataFormat::Ascii << true << QByteArray("a\r\n") << false
                                   << 3;
    QTest::newRow("ascii hangul pasted")
        << u"a\ud55c"_s << DataFormat::Ascii << false << QByteArray() << false << 2;
    QTest::newRow("ascii empty") << QString() << DataFormat::Ascii << true << QByteArray() << false << 0;
}

void TstSimCore::textToBytes()
{
    QFETCH(QString, text);
    QFETCH(DataFormat, format);
    QFETCH(bool, valid);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, odd);
    QFETCH(int, counter);
    const auto got = r5::sim::textToBytes(text, format);
    QCOMPARE(got.has_value(), valid);
    if (got) {
        QCOMPARE(got->bytes, bytes);
        QCOMPARE(got->oddDropped, odd);
    }
    QCOMPARE(byteCount(text, format), counter);
}

void TstSimCore::keyFilter_data()
{
    QTest::addColumn<QChar>("key");
    QTest::addColumn<bool>("ascii");
    QTest::addColumn<bool>("hex");
    QTest::newRow("digit") << QChar(u'7') << true << true;
    QTest::newRow("upper hex") << QChar(u'F') << true << true;
    QTest::newRow("lower hex") << QChar(u'a') << true << true;
    QTest::newRow("not hex") << QChar(u'g') << true << false;
    QTest::newRow("space") << QChar(u' ') << true << false;
    QTest::newRow("backspace") << QChar(8) << true << true;
    QTest::newRow("latin-1") << QChar(0xE9) << true << false;
    QTest::newRow("double byte") << QChar(0xD55C) << false << false;
}

void TstSimCore::keyFilter()
{
    QFETCH(QChar, key);
    QFETCH(bool, ascii);
    QFETCH(bool, hex);
    QCOMPARE(dataKeyAccepted(key, DataFormat::Ascii), ascii);
    QCOMPARE(dataKeyAccepted(key, DataFormat::Hex), hex);
}

void TstSimCore::lineForms()
{
    QCOMPARE(statusLine(kAt, status::ConnectionSuccess), u"[09:15:02.005] : Connection Success"_s);
    QCOMPARE(dataHeader(kAt, Direction::Sent, 3, DataFormat::Ascii), u"[09:15:02.005] : Send [3 byte] : "_s);
    QCOMPARE(dataHeader(kAt, Direction::Received, 12, DataFormat::Hex),
             u"[ 09:15:02.005 ] : Recv [ 12 byte ] : "_s);
    QCOMPARE(renderData(QByteArray("\x0A\x1B\xFF"), DataFormat::Hex), u" 0A 1B FF"_s);
    QCOMPARE(renderData(QByteArray("a\tb\xE9"), DataFormat::Ascii), u"a\tb\u00e9"_s);
}

void TstSimCore::listCut_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<DataFormat>("format");
    QTest::addColumn<QStringList>("rows"); // with "H" standing for the header
    const QByteArray text130 = QByteArray(60, 'a') + QByteArray(60, 'b') + QByteArray(10, 'c');
    QTest::newRow("130 ascii characters")
        << text130 << DataFormat::Ascii
        << QStringList{u"H "_s + QString(60, u'a'), u" "_s + QString(60, u'b'), u" cccccccccc"_s, u" "_s};
    QTest::newRow("60 ascii characters") << QByteArray(60, 'x') << DataFormat::Ascii
                                         << QStringList{u"H "_s + QString(60, u'x'), u" "_s, u" "_s};
    QByteArray twenty;
    QString twentyHex;
    for (int i = 0; i < 20; ++i) {
        twenty.append(char(i));
        twentyHex += u' ' + QString::number(i, 16).rightJustified(2, u'0').toUpper();
    }
    QTest::newRow("20 hex bytes") << twenty << DataFormat::Hex
                                  << QStringList{u"H"_s + twentyHex, QString(), QString()};
    QTest::newRow("byte 10 in hex") << QByteArray("\x0A") << DataFormat::Hex
                                    << QStringList{u"H 0A"_s, QString()};
    QTest::newRow("21 hex bytes") << twenty + '\xFF' << DataFormat::Hex
                                  << QStringList{u"H"_s + twentyHex, u" FF"_s, QString()};
}

void TstSimCore::listCut()
{
    QFETCH(QByteArray, data);
    QFETCH(DataFormat, format);
    QFETCH(QStringList, rows);
    QCOMPARE(listLines(u"H", data, format), rows);
    QCOMPARE(listRowCount(data.size(), format), rows.size());
}

// The list pieces, put back together, are the one line the files receive.
void TstSimCore::listCutMatchesWholeLine()
{
    for (const DataFormat f : {DataFormat::Ascii, DataFormat::Hex}) {
        for (int n : {1, 19, 20, 59, 60, 61, 200, 1000}) {
            QByteArray data(n, '\0');
            for (int i = 0; i < n; ++i)
                data[i] = char('A' + i % 26);
            QStringList rows = listLines(u"HDR", data, f);
            QCOMPARE(rows.takeLast(), f == DataFormat::Ascii ? u" "_s : QString());
            QString joined;
            for (qsizetype r = 0; r < rows.size(); ++r) {
                const QString row = rows[r];
                joined += f == DataFormat::Ascii ? row.mid(r == 0 ? 4 : 1) : (r == 0 ? row.mid(3) : row);
            }
            QCOMPARE(u"HDR"_s + joined, u"HDR"_s + renderData(data, f));
        }
    }
}

void TstSimCore::errorRecordAndListLine()
{
    QCOMPARE(errorRecord(SocketSide::Client, kAt, 1, u"Connection refused"_s, u"Client_Socket"_s),
             u"Err Title : Client Socket Error\r\nErr Time : 2026/12/07 09:15:02\r\nErr Number : 1\r\n"
             u"Err Desc : Connection refused\r\nErr Source : Client_Socket\r\n"_s);
    QCOMPARE(errorListLine(SocketSide::Server, kAt),
             u"09:15:02Server Socket Error : Referance Err_Log File ....... "_s);
}

void TstSimCore::ringKeepsNewestRows()
{
    LineRing ring;
    for (int i = 1; i <= 2002; ++i)
        ring.addText(QString::number(i));
    QCOMPARE(ring.size(), 2001);
    QCOMPARE(ring.row(ring.first()), u"2"_s);
    QCOMPARE(ring.row(ring.end() - 1), u"2002"_s);
    ring.clear();
    QCOMPARE(ring.size(), 0);
    QCOMPARE(ring.row(ring.first()), QString());
}

void TstSimCore::ringHugeArrivalKeepsOnlyItsTail()
{
    LineRing ring(5);
    ring.addText(u"status"_s);
    QByteArray data(20 * 9, 'x'); // nine full hex rows, an empty tenth piece and the closing row
    data[20 * 8] = '\x7F';
    ring.addData(u"H"_s, data, DataFormat::Hex);
    QCOMPARE(ring.size(), 5);
    const QStringList all = listLines(u"H", data, DataFormat::Hex);
    QStringList kept;
    for (qint64 n = ring.first(); n < ring.end(); ++n)
        kept.append(ring.row(n));
    QCOMPARE(kept, all.mid(all.size() - 5));
    QVERIFY(kept[2].startsWith(u" 7F 78"_s));
}

void TstSimCore::ringPinnedRowsStayReadable()
{
    LineRing ring(2);
    ring.addText(u"a"_s);
    ring.pin(ring.first());
    const qint64 a = ring.first();
    ring.addText(u"b"_s);
    ring.addText(u"c"_s);
    QCOMPARE(ring.row(a), u"a"_s); // a reader still showing it can read it
    ring.pin(ring.first());
    QCOMPARE(ring.row(a), QString());
    QCOMPARE(ring.row(ring.first()), u"b"_s);
}

void TstSimCore::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("digits") << u"192"_s << 192.0;
    QTest::newRow("trailing junk") << u"12ab"_s << 12.0;
    QTest::newRow("blank lead") << u"  7"_s << 7.0;
    QTest::newRow("fraction") << u"0.5"_s << 0.5;
    QTest::newRow("none") << u"abc"_s << 0.0;
    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("huge") << QString(400, u'9') << std::numeric_limits<double>::max();
}

void TstSimCore::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(r5::sim::leadingNumber(text), value);
}

void TstSimCore::octetKeys_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("key");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("press");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("release");
    using P = octet::Press;
    using R = octet::Release;
    QTest::newRow("digit") << 0 << int('5') << 1.0 << int(P::Accept) << 2 << int(R::Stay);
    QTest::newRow("third digit moves on") << 1 << int('2') << 19.0 << int(P::Accept) << 3 << int(R::MoveNext);
    QTest::newRow("third digit in box 3 goes to port")
        << 3 << int('4') << 25.0 << int(P::Accept) << 3 << int(R::MoveToPort);
    QTest::newRow("dot moves on") << 0 << int('.') << 10.0 << int(P::MoveNext) << 2 << int(R::Stay);
    QTest::newRow("dot in box 3 is refused") << 3 << int('.') << 1.0 << int(P::Discard) << 1 << int(R::Stay);
    QTest::newRow("backspace in empty box goes back")
        << 2 << 8 << 0.0 << int(P::MovePrevious) << 0 << int(R::MovePrevious);
    QTest::newRow("backspace in box 0 stays") << 0 << 8 << 0.0 << int(P::Accept) << 0 << int(R::Stay);
    QTest::newRow("backspace with a value") << 2 << 8 << 12.0 << int(P::Accept) << 1 << int(R::Stay);
    QTest::newRow("letter refused") << 1 << int('x') << 0.0 << int(P::Discard) << 0 << int(R::Stay);
    QTest::newRow("delete") << 1 << 127 << 5.0 << int(P::Accept) << 1 << int(R::Stay);
}

void TstSimCore::octetKeys()
{
    QFETCH(int, index);
    QFETCH(int, key);
    QFETCH(double, value);
    QFETCH(int, press);
    QFETCH(int, length);
    QFETCH(int, release);
    QCOMPARE(int(octet::keyPress(index, key, value)), press);
    QCOMPARE(int(octet::keyRelease(index, key, value, length)), release);
}

void TstSimCore::octetLeave_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("verdict");
    using L = octet::Leave;
    QTest::newRow("223 in box 0") << 0 << 223.0 << int(L::Ok);
    QTest::newRow("224 in box 0") << 0 << 224.0 << int(L::CrossLimit);
    QTest::newRow("256 in box 0") << 0 << 256.0 << int(L::CrossLimit);
    QTest::newRow("255 in box 2") << 2 << 255.0 << int(L::Ok);
    QTest::newRow("256 in box 2") << 2 << 256.0 << int(L::BadFormat);
    QTest::newRow("box 3 in range") << 3 << 1.0 << int(L::OkToPort);
    QTest::newRow("box 3 out of range") << 3 << 300.0 << int(L::BadFormat);
}

void TstSimCore::octetLeave()
{
    QFETCH(int, index);
    QFETCH(double, value);
    QFETCH(int, verdict);
    QCOMPARE(int(octet::leave(index, value)), verdict);
}

void TstSimCore::addressAndRepeatValues()
{
    QCOMPARE(addressText({u"127"_s, u"0"_s, u"0"_s, u"1"_s}), u"127.0.0.1"_s);
    QCOMPARE(addressText({u"127"_s, QString(), u"0"_s, QString()}), u"127..0."_s);
    QCOMPARE(addressBoxes(u"127.0.0.1"_s), (QStringList{u"127"_s, u"0"_s, u"0"_s, u"1"_s}));
    QCOMPARE(addressBoxes(u"10.2"_s), (QStringList{u"10"_s, u"2"_s, QString(), QString()}));
    QVERIFY(addressEmpty({QString(), QString(), QString(), QString()}));
    QVERIFY(!addressEmpty({QString(), QString(), u"1"_s, QString()}));
    QCOMPARE(portNumber(u"4000"_s), std::optional<quint16>(4000));
    QCOMPARE(portNumber(u"65536"_s), std::nullopt);
    QCOMPARE(portNumber(u"x"_s), std::optional<quint16>(0));
    QCOMPARE(repeatIntervalMs(u" 15 "_s), 15000);
    QCOMPARE(repeatIntervalMs(u"0.02"_s), 20);
    QCOMPARE(repeatIntervalMs(u"abc"_s), 0);
    QCOMPARE(repeatLimit(u"Endless"_s), std::nullopt);
    QCOMPARE(repeatLimit(QString()), std::nullopt);
    QCOMPARE(repeatLimit(u"12"_s), std::optional<double>(12));
}

void TstSimCore::logPathPlan_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("root");
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QString>("file");
    QTest::newRow("nested") << u"/data/a/b/x.log"_s << true << u"/data"_s
                            << QStringList{u"/data/a"_s, u"/data/a/b"_s} << u"/data/a/b/x.log"_s;
    QTest::newRow("first folder only")
        << u"/data/x.log"_s << true << u"/data"_s << QStringList() << u"/data/x.log"_s;
    QTest::newRow("in the root") << u"/x.log"_s << true << u"/"_s << QStringList() << u"/x.log"_s;
    QTest::newRow("relative") << u"Log/20261207.dat"_s << true << u"/work"_s
                              << QStringList{u"/work/run"_s, u"/work/run/Log"_s}
                              << u"/work/run/Log/20261207.dat"_s;
    QTest::newRow("doubled separators")
        << u"/data//a/x.log"_s << true << u"/data"_s << QStringList{u"/data/a"_s} << u"/data/a/x.log"_s;
    QTest::newRow("empty") << QString() << false << QString() << QStringList() << QString();
    QTest::newRow("root itself") << u"/"_s << false << QString() << QStringList() << QString();
    QTest::newRow("drive") << u"C:\\Logs\\a\\x.log"_s << true << u"C:/"_s
                           << QStringList{u"C:/Logs"_s, u"C:/Logs/a"_s} << u"C:/Logs/a/x.log"_s;
    QTest::newRow("drive, forward and back, dots") << u"d:/Logs\\.\\b\\..\\x.log"_s << true << u"d:/"_s
                                                   << QStringList{u"d:/Logs"_s} << u"d:/Logs/x.log"_s;
    QTest::newRow("share") << u"\\\\srv\\pub\\Logs\\x.log"_s << true << u"//srv/pub"_s
                           << QStringList{u"//srv/pub/Logs"_s} << u"//srv/pub/Logs/x.log"_s;
    QTest::newRow("drive itself") << u"C:\\"_s << false << QString() << QStringList() << QString();
    QTest::newRow("share itself") << u"\\\\srv\\pub"_s << false << QString() << QStringList() << QString();
    QTest::newRow("no share") << u"\\\\srv"_s << false << QString() << QStringList() << QString();
}

void TstSimCore::logPathPlan()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QString, root);
    QFETCH(QStringList, folders);
    QFETCH(QString, file);
    const auto plan = planLogPath(text, u"/work/run"_s);
    QCOMPARE(plan.has_value(), valid);
    if (plan) {
        QCOMPARE(plan->root, root);
        QCOMPARE(plan->folders, folders);
        QCOMPARE(plan->file, file);
    }
}

void TstSimCore::dailyPaths()
{
    const QDate day(2026, 12, 7);
    QCOMPARE(defaultUserLogPath(u"/opt/sim"_s, day), u"/opt/sim/Log/20261207.dat"_s);
    QCOMPARE(statFilePath(day), u"./log/STAT_20261207.log"_s);
    QCOMPARE(errorFilePath(u"/opt/sim"_s, day), u"/opt/sim/Err_Log/20261207.txt"_s);
}

QTEST_GUILESS_MAIN(TstSimCore)
#include "tst_sim_core.moc"
