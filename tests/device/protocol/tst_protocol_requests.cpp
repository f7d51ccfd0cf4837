// Expected texts are built with plain +, which the string builder would turn into proxies.
#undef QT_USE_QSTRINGBUILDER

#include "devicetext.h"
#include "r5device/protocol/codec.h"
#include "r5device/protocol/requests.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace r5::protocol;

namespace {
QByteArray hex(const char *spaced)
{
    return QByteArray::fromHex(QByteArray(spaced).replace(' ', ""));
}
} // namespace

class TstProtocolRequests : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void catalogue_data();
    void catalogue();
    void hintIds_data();
    void hintIds();
    void charText_data();
    void charText();
    void numbers();
    void paddedText_data();
    void paddedText();
    void setApAnnouncesPaddedTexts();
    void cutNeverSplitsACharacter();
};

void TstProtocolRequests::catalogue_data()
{
    QTest::addColumn<Request>("request");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QStringList>("announce");
    QTest::addColumn<QString>("txLine");

    const QString sendCommand = u"Send Command to Korvia R5200TX... "_s;
    QTest::newRow("0x41 status") << statusRequest() << hex("7E 05 41 50 FE")
                                 << QStringList{u"Send Current Status Read Command to Korvia R5200TX... "_s}
                                 << u"TX 0x41 : [5][7E.05.41.50.FE.]"_s;
    QTest::newRow("0x43 WAN") << wanRequest({{192, 168, 1, 110}, {192, 168, 1, 1}, {255, 255, 255, 0}})
                              << hex("7E 11 43 50 C0 A8 01 6E C0 A8 01 01 FF FF FF 00 FE") << QStringList{}
                              << u"TX 0x43 : [17][7E.11.43.50.C0.A8.01.6E.C0.A8.01.01.FF.FF.FF.00.FE.]"_s;
    QTest::newRow("0x44 server G") << serverRequest(4000, 30, 1) << hex("7E 09 44 50 0F A0 1E 47 FE")
                                   << QStringList{} << u"TX 0x44 : [9][7E.09.44.50.0F.A0.1E.47.FE.]"_s;
    QTest::newRow("0x44 server top") << serverRequest(65535, 255, 0) << hex("7E 09 44 50 FF FF FF 4E FE")
                                     << QStringList{} << u"TX 0x44 : [9][7E.09.44.50.FF.FF.FF.4E.FE.]"_s;
    QTest::newRow("0x45 DI initial")
        << diRequest({10, 10, 10, 10, 10}, {0, 0, 0, 0, 0})
        << hex("7E 17 45 50 00 0A 00 0A 00 0A 00 0A 00 0A 00 00 46 46 46 46 46 46 FE") << QStringList{}
        << u"TX 0x45 : [23][7E.17.45.50.00.0A.00.0A.00.0A.00.0A.00.0A.00.00.46.46.46.46.46.46.FE.]"_s;
    QTest::newRow("0x45 DI mixed")
        << diRequest({2550, 1, 100, 900, 20}, {1, 0, 1, 0, 0})
        << hex("7E 17 45 50 09 F6 00 01 00 64 03 84 00 14 00 00 52 46 52 46 46 46 FE") << QStringList{}
        << u"TX 0x45 : [23][7E.17.45.50.09.F6.00.01.00.64.03.84.00.14.00.00.52.46.52.46.46.46.FE.]"_s;
    QTest::newRow("0x46 reset with counters")
        << factoryResetRequest(u"46", true) << hex("7E 06 46 50 59 FE") << QStringList{sendCommand}
        << u"TX 0x46 : [6][7E.06.46.50.59.FE.]"_s;
    QTest::newRow("0x46 reset settings only")
        << factoryResetRequest(u"46", false) << hex("7E 06 46 50 4E FE") << QStringList{sendCommand}
        << u"TX 0x46 : [6][7E.06.46.50.4E.FE.]"_s;
    QTest::newRow("0x47 reboot") << rebootRequest() << hex("7E 05 47 50 FE") << QStringList{sendCommand}
                                 << u"TX 0x47 : [5][7E.05.47.50.FE.] : System reboot Command"_s;
    QTest::newRow("0x48 search") << hintQuery(u"48") << hex("7E 05 48 50 FE") << QStringList{}
                                 << u"TX 0x48 : [5][7E.05.48.50.FE.]"_s;
    QTest::newRow("0x49 current AP") << hintQuery(u"49") << hex("7E 05 49 50 FE") << QStringList{}
                                     << u"TX 0x49 : [5][7E.05.49.50.FE.]"_s;
    QTest::newRow("0x4A RSSI") << hintQuery(u"4A") << hex("7E 05 4A 50 FE") << QStringList{}
                               << u"TX 0x4A : [5][7E.05.4A.50.FE.]"_s;
    // The Hint's own spelling goes into the line, the converted byte into the frame.
    QTest::newRow("0x4A lower-case hint")
        << hintQuery(u"4a") << hex("7E 05 4A 50 FE") << QStringList{} << u"TX 0x4a : [5][7E.05.4A.50.FE.]"_s;
    QTest::newRow("0x53 flash save") << flashSaveRequest(30, 5) << hex("7E 08 53 50 00 1E 05 FE")
                                     << QStringList{u"[001E]"_s}
                                     << u"TX 0x53 : [8][7E.08.53.50.00.1E.05.FE.]"_s;
    QTest::newRow("0x53 flash save top")
        << flashSaveRequest(65535, 255) << hex("7E 08 53 50 FF FF FF FE") << QStringList{u"[FFFF]"_s}
        << u"TX 0x53 : [8][7E.08.53.50.FF.FF.FF.FE.]"_s;
    QTest::newRow("0x58 flash erase") << flashEraseRequest(u"58") << hex("7E 05 58 50 FE")
                                      << QStringList{sendCommand} << u"TX 0x58 : [5][7E.05.58.50.FE.]"_s;

    const QByteArray dl =
        hex("7E 2B 55 50 C0 A8 00 0A 1F 86") + QByteArray(15, ' ') + "/R5200TX_v1.0.bin" + hex("FE");
    QTest::newRow("0x55 firmware download")
        << firmwareDownloadRequest({192, 168, 0, 10}, 8070, u"/R5200TX_v1.0.bin") << dl
        << QStringList{u"tmpFileName : [32][               /R5200TX_v1.0.bin]"_s}
        << u"TX 0x55 : [43]["_s + QString::fromLatin1(dl.toHex('.').toUpper()) + u".]"_s;

    const QByteArray ap =
        hex("7E 35 42 50") + QByteArray(26, ' ') + "R5_LAB" + QByteArray(9, ' ') + "pass123" + hex("FE");
    QTest::newRow("0x42 set AP") << setApRequest(u"R5_LAB", u"pass123") << ap
                                 << QStringList{u"tmpSSIDName : [32][                          R5_LAB]"_s,
                                                u"tmpSSIDPW   : [16][         pass123]"_s}
                                 << u"TX 0x42 : [53]["_s + QString::fromLatin1(ap.toHex('.').toUpper()) +
                                        u".]"_s;
}

void TstProtocolRequests::catalogue()
{
    QFETCH(Request, request);
    QFETCH(QByteArray, frame);
    QFETCH(QStringList, announce);
    QFETCH(QString, txLine);
    QCOMPARE(request.frame.toHex(' '), frame.toHex(' '));
    QCOMPARE(int(std::uint8_t(request.frame[1])), int(request.frame.size()));
    QCOMPARE(request.announce, announce);
    QCOMPARE(request.txLine(), txLine);
}

void TstProtocolRequests::hintIds_data()
{
    QTest::addColumn<QString>("hint");
    QTest::addColumn<int>("id");
    QTest::newRow("46") << u"46"_s << 0x46;
    QTest::newRow("4A") << u"4A"_s << 0x4A;
    QTest::newRow("4a") << u"4a"_s << 0x4A;
    QTest::newRow("58") << u"58"_s << 0x58;
    QTest::newRow("not hex") << u"4G"_s << 0;
    QTest::newRow("one digit") << u"4"_s << 0;
    QTest::newRow("three digits") << u"049"_s << 0;
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("full-width digits") << u"４９"_s << 0;
}

void TstProtocolRequests::hintIds()
{
    QFETCH(QString, hint);
    QFETCH(int, id);
    QCOMPARE(int(hintId(hint)), id);
    QCOMPARE(int(std::uint8_t(hintQuery(hint).frame[2])), id);
}

void TstProtocolRequests::charText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("hex");
    QTest::newRow("A") << u"A"_s << u"41"_s;
    QTest::newRow("tilde") << u"~"_s << u"7E"_s;
    QTest::newRow("empty") << QString() << u"00"_s;
    QTest::newRow("korean lead byte")
        << u"가"_s << QString::fromLatin1(r5::test::deviceText(u"가").left(1).toHex().toUpper());
    QTest::newRow("only the first character") << u"NG"_s << u"4E"_s;
}

void TstProtocolRequests::charText()
{
    QFETCH(QString, text);
    QFETCH(QString, hex);
    QCOMPARE(r5::protocol::charText(text), hex);
}

void TstProtocolRequests::numbers()
{
    QCOMPARE(byteText(0x00), u"00"_s);
    QCOMPARE(byteText(0xAB), u"AB"_s);
    // The decoders join the hex texts of a high and a low byte.
    QCOMPARE(hexNumber(byteText(0x1F) + byteText(0x90)), std::optional<std::uint32_t>(8080));
    QCOMPARE(hexNumber(u"ffff"), std::optional<std::uint32_t>(65535));
    QCOMPARE(hexNumber(u""), std::nullopt);
    QCOMPARE(hexNumber(u"12 3"), std::nullopt);
    QCOMPARE(hexNumber(u"100000000"), std::nullopt);
    QCOMPARE(decimalNumber(u"-70"), std::optional<int>(-70));
    QCOMPARE(decimalNumber(u"+5"), std::optional<int>(5));
    QCOMPARE(decimalNumber(u"-"), std::nullopt);
    QCOMPARE(decimalNumber(u"NOINFO"), std::nullopt);
    QCOMPARE(decimalNumber(u"- 70"), std::nullopt);
    QCOMPARE(decimalNumber(u"99999999999"), std::nullopt);
    QCOMPARE(decimalNumber(u"-2147483648"), std::optional<int>(std::numeric_limits<int>::min()));
}

void TstProtocolRequests::paddedText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("short ssid") << u"R5_LAB"_s << 32 << QByteArray(QByteArray(26, ' ') + "R5_LAB");
    QTest::newRow("empty password") << QString() << 16 << QByteArray(16, ' ');
    QTest::newRow("exact password") << u"0123456789abcdef"_s << 16 << QByteArray("0123456789abcdef");
    QTest::newRow("long ssid cut") << QString(u"0123456789"_s.repeated(4)) << 32
                                   << QByteArray("0123456789").repeated(4).left(32);
    // Lengths count bytes: a Hangul syllable is 3 bytes in UTF-8, 2 in code page 949.
    const qsizetype s = r5::test::syllableBytes();
    QTest::newRow("korean counted in bytes")
        << u"한국"_s << 32 << QByteArray(QByteArray(32 - 2 * s, ' ') + r5::test::deviceText(u"한국"));
    // Seventeen syllables do not fit in 32 bytes either way: those that do not fit whole are left out.
    const QString many = u"가나다라마바사아자차카타파하거너더"_s;
    const qsizetype fit = 32 / s;
    // Typed texts go as a Korean Windows PC writes them, on every platform.
    QTest::newRow("typed korean in CP949")
        << u"연구소 2동"_s << 16
        << QByteArray(QByteArray(6, ' ') + QByteArray::fromHex("bfacb1b8bcd22032b5bf"));
    QTest::newRow("a character CP949 lacks, in UTF-8")
        << u"Cafe ☕"_s << 10 << QByteArray("  Cafe \xE2\x98\x95");
    // "층" is C3 FE in CP949, and 0xFE would end the frame.
    QTest::newRow("CP949 with the end byte, in UTF-8") << u"2층"_s << 6 << QByteArray("  2\xEC\xB8\xB5");
    QTest::newRow("korean cut whole")
        << many << 32
        << QByteArray(QByteArray(32 - fit * s, ' ') + r5::test::deviceText(QStringView(many).left(fit)));
}

void TstProtocolRequests::paddedText()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QByteArray, bytes);
    const QByteArray padded = field::paddedText(text, width);
    QCOMPARE(padded.size(), width);
    QCOMPARE(padded, bytes);
}

void TstProtocolRequests::setApAnnouncesPaddedTexts()
{
    const Request r = setApRequest(u"한국 AP"_s, u"비밀번호"_s);
    QCOMPARE(r.frame.size(), 53);
    const QByteArray ssid = r5::test::deviceText(u"한국 AP");
    const QByteArray password = r5::test::deviceText(u"비밀번호");
    QCOMPARE(r.frame.mid(4, 32), QByteArray(QByteArray(32 - ssid.size(), ' ') + ssid));
    QCOMPARE(r.frame.mid(36, 16), QByteArray(QByteArray(16 - password.size(), ' ') + password));
    QCOMPARE(r.announce.value(0), u"tmpSSIDName : [32]["_s + QString(32 - ssid.size(), u' ') + u"한국 AP]"_s);
    QCOMPARE(r.announce.value(1),
             u"tmpSSIDPW   : [16]["_s + QString(16 - password.size(), u' ') + u"비밀번호]"_s);
}

void TstProtocolRequests::cutNeverSplitsACharacter()
{
    const QString text = u"AP 한국어 Wi-Fi 무선"_s;
    const QByteArray bytes = r5::test::deviceText(text);
    // Byte offset of every character start, and the end.
    QList<qsizetype> starts;
    for (qsizetype i = 0, at = 0; i <= text.size(); ++i) {
        starts.append(at);
        if (i < text.size())
            at += r5::test::deviceText(text.mid(i, 1)).size();
    }
    for (qsizetype from = 0; from <= bytes.size() + 1; ++from) {
        for (qsizetype width = 0; width <= bytes.size() + 1; ++width) {
            QString expected;
            for (qsizetype i = 0; i < text.size(); ++i) {
                if (starts[i] >= from && starts[i + 1] <= from + width)
                    expected += text[i];
            }
            const QByteArrayView got = mb::cut(bytes, from, width);
            QVERIFY2(r5::test::fromDevice(got) == expected,
                     qPrintable(u"from %1 width %2"_s.arg(from).arg(width)));
        }
    }
    // Bytes that continue nothing are dropped at the start as well (only UTF-8 marks them: a
    // trail byte of code page 949 is also a lead byte or ASCII).
    if (r5::test::syllableBytes() == 3)
        QCOMPARE(mb::cut("\x80\x80"
                         "AB",
                         0, 4)
                     .toByteArray(),
                 QByteArray("AB"));
    const QByteArray halfAtTheEnd = "AB" + r5::test::deviceText(u"가").chopped(1);
    QCOMPARE(mb::cut(halfAtTheEnd, 0, 4).toByteArray(), QByteArray("AB"));
}

QTEST_GUILESS_MAIN(TstProtocolRequests)
#include "tst_protocol_requests.moc"
