#include "filefaults.h"
#include "r5/appendfile.h"
#include "r5device/serialsettings.h"
#include "r5setup/setupconfig.h"
#include "shellsupport.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

using namespace Qt::StringLiterals;
using namespace r5setup;

namespace {

// The download sections as a run that did not touch them writes them.
const QByteArray kDownloadDefaults = "[Download_WEB]\r\n"
                                     "IP1=127\r\n"
                                     "IP2=0\r\n"
                                     "IP3=0\r\n"
                                     "IP4=1\r\n"
                                     "Port=8070\r\n"
                                     "File=/R5200TX_v1.0.bin\r\n"
                                     "\r\n"
                                     "[Download_TCP]\r\n"
                                     "IP1=192\r\n"
                                     "IP2=168\r\n"
                                     "IP3=88\r\n"
                                     "IP4=101\r\n"
                                     "Port=8071\r\n";

// The file a run on COM3 writes when nothing else was in it.
const QByteArray kCom3File = "[EnvBoard]\r\n"
                             "ComPort=COM3\r\n"
                             "BaudRate=115200\r\n"
                             "DataBits=8\r\n"
                             "StopBits=1\r\n"
                             "Parity=None\r\n"
                             "\r\n"
                             "[HTTPServer]\r\n"
                             "Port=8070\r\n"
                             "HomeDir=./KorviaFW\r\n"
                             "\r\n" +
                             kDownloadDefaults;

} // namespace

class TstSetupConfig : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void defaultsWithoutFile();
    void readsWhatTheFileSays_data();
    void readsWhatTheFileSays();
    void savedFileOfARunOnAnotherPort();
    void saveKeepsForeignLinesAndPutsKeysInTableOrder();
    void savedFileReadsBackUnchanged();
    void saveCreatesMissingFolder();
    void interruptedSaveLeavesOldFile();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TstSetupConfig::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = m_dir->filePath(u"cfg/SETUP.INI"_s);
    QVERIFY(QDir(m_dir->path()).mkpath(u"cfg"_s));
}

void TstSetupConfig::defaultsWithoutFile()
{
    const ConfigValues v = loadConfigFile(m_path);
    const QStringList expected{u"COM1"_s,
                               u"115200"_s,
                               u"8"_s,
                               u"1"_s,
                               u"None"_s,
                               u"8070"_s,
                               u"./KorviaFW"_s,
                               u"127"_s,
                               u"0"_s,
                               u"0"_s,
                               u"1"_s,
                               u"8070"_s,
                               u"/R5200TX_v1.0.bin"_s,
                               u"192"_s,
                               u"168"_s,
                               u"88"_s,
                               u"101"_s,
                               u"8071"_s};
    QCOMPARE(v, expected);
    const SerialSettings port =
        withConfigTexts({}, v[RowComPort], v[RowBaudRate], v[RowDataBits], v[RowStopBits], v[RowParity]);
    QCOMPARE(port.portName, u"COM1"_s);
    QCOMPARE(port.baudRate, 115200);
    QCOMPARE(port.dataBits, 8);
    QCOMPARE(port.stopBits, SerialSettings::StopBits::One);
    QCOMPARE(port.parity, SerialSettings::Parity::None);
}

void TstSetupConfig::readsWhatTheFileSays_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("baud");
    QTest::addColumn<QString>("httpPort");

    QTest::newRow("plain")
        << QByteArray("[EnvBoard]\r\nComPort=COM3\r\nBaudRate=9600\r\n[HTTPServer]\r\nPort=9000\r\n")
        << u"COM3"_s << 9600 << u"9000"_s;
    QTest::newRow("unix line ends, spaces, other case")
        << QByteArray("[envboard]\n  comport =  /dev/ttyUSB0 \nBAUDRATE=57600\n[httpserver]\nport= 81\n")
        << u"/dev/ttyUSB0"_s << 57600 << u"81"_s;
    QTest::newRow("old Mac line ends (CR only)")
        << QByteArray("[EnvBoard]\rComPort=COM6\rBaudRate=19200\r\r[HTTPServer]\rPort=82\r") << u"COM6"_s
        << 19200 << u"82"_s;
    QTest::newRow("mixed line ends")
        << QByteArray("[EnvBoard]\r\nComPort=COM6\rBaudRate=19200\n[HTTPServer]\n\rPort=82") << u"COM6"_s
        << 19200 << u"82"_s;
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF[EnvBoard]\nComPort=COM2\n") << u"COM2"_s
                                     << 115200 << u"8070"_s;
    QTest::newRow("first of repeated keys")
        << QByteArray("[EnvBoard]\nComPort=COM4\nComPort=COM5\n") << u"COM4"_s << 115200 << u"8070"_s;
    QTest::newRow("key before any section is no key")
        << QByteArray("ComPort=COM9\n[HTTPServer]\n;Port=1\n") << u"COM1"_s << 115200 << u"8070"_s;
    QTest::newRow("baud rate that is no number keeps 115200")
        << QByteArray("[EnvBoard]\nBaudRate=fast\n") << u"COM1"_s << 115200 << u"8070"_s;
    QTest::newRow("empty file") << QByteArray() << u"COM1"_s << 115200 << u"8070"_s;
}

void TstSetupConfig::readsWhatTheFileSays()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, port);
    QFETCH(int, baud);
    QFETCH(QString, httpPort);
    QVERIFY(writeFile(m_path, file));
    const ConfigValues v = loadConfigFile(m_path);
    const SerialSettings s =
        withConfigTexts({}, v[RowComPort], v[RowBaudRate], v[RowDataBits], v[RowStopBits], v[RowParity]);
    QCOMPARE(s.portName, port);
    QCOMPARE(s.baudRate, baud);
    QCOMPARE(v[5], httpPort);
}

void TstSetupConfig::savedFileOfARunOnAnotherPort()
{
    ConfigValues v = defaultConfig();
    v[RowComPort] = u"COM3"_s;
    v[RowBaudRate] = u"9600"_s; // the live rate is not what is saved
    QVERIFY(saveConfigFile(m_path, v).ok());
    QCOMPARE(readFile(m_path), kCom3File);
}

void TstSetupConfig::saveKeepsForeignLinesAndPutsKeysInTableOrder()
{
    QVERIFY(writeFile(m_path, "; installer notes\r\n"
                              "[Extra]\r\n"
                              "Answer = 42 \r\n"
                              "\r\n"
                              "[HTTPServer]\r\n"
                              "HomeDir=D:\\fw\r\n"
                              "Colour=blue\r\n"
                              "Port=8080\r\n"
                              "\r\n"
                              "[EnvBoard]\r\n"
                              "Parity=Odd\r\n"
                              "Vendor=\xB1\xB8\xB8\xB2\r\n" // bytes of another code page stay as they are
                              "comport=COM7\r\n"
                              "ComPort=COM8\r\n"));
    ConfigValues v = loadConfigFile(m_path);
    QCOMPARE(v[RowComPort], u"COM7"_s);
    v[RowComPort] = u"COM3"_s;
    QVERIFY(saveConfigFile(m_path, v).ok());
    QCOMPARE(readFile(m_path), "; installer notes\r\n"
                               "[EnvBoard]\r\n"
                               "ComPort=COM3\r\n"
                               "BaudRate=115200\r\n"
                               "DataBits=8\r\n"
                               "StopBits=1\r\n"
                               "Parity=None\r\n"
                               "Vendor=\xB1\xB8\xB8\xB2\r\n"
                               "ComPort=COM8\r\n" // a repeated key is not read, but it is the file's
                               "\r\n"
                               "[HTTPServer]\r\n"
                               "Port=8080\r\n"
                               "HomeDir=D:\\fw\r\n"
                               "Colour=blue\r\n"
                               "\r\n" +
                                   kDownloadDefaults +
                                   "\r\n"
                                   "[Extra]\r\n"
                                   "Answer = 42 \r\n");
}

void TstSetupConfig::savedFileReadsBackUnchanged()
{
    ConfigValues v = defaultConfig();
    v[RowComPort] = u"/dev/pts/7"_s;
    v[6] = u"./펌웨어 폴더"_s;
    v[12] = u"/a=b;c.bin"_s;
    QVERIFY(saveConfigFile(m_path, v).ok());
    // Korean in the system's code page (949 on Korean Windows), as Notepad and older tools read it.
    const QByteArray korean = QStringEncoder(QStringConverter::System).encode(v[6]);
    if (QString(QStringDecoder(QStringConverter::System).decode(korean)) != v[6])
        QSKIP("the system code page holds no Korean (under Wine: LC_ALL=ko_KR.UTF-8)");
    const QByteArray first = readFile(m_path);
    QVERIFY(first.contains(korean));
    QCOMPARE(loadConfigFile(m_path), v);
    QVERIFY(saveConfigFile(m_path, v).ok());
    QCOMPARE(readFile(m_path), first);
}

void TstSetupConfig::saveCreatesMissingFolder()
{
    const QString path = m_dir->filePath(u"elsewhere/cfg/SETUP.INI"_s);
    QVERIFY(saveConfigFile(path, defaultConfig()).ok());
    QCOMPARE(loadConfigFile(path), defaultConfig());
}

void TstSetupConfig::interruptedSaveLeavesOldFile()
{
    QVERIFY(writeFile(m_path, kCom3File));
    ConfigValues v = defaultConfig();
    v[6] = QString(4000, u'x'); // more than the disk has room for below

    // A file size limit makes the disk "full" part-way through the new file.
    r5::ignoreFileSizeSignal();
    std::optional<r5::test::FileSizeLimit> full(std::in_place, 1024);
    if (!full->ok())
        QSKIP("no per-process file-size limit here");
    const SaveResult saved = saveConfigFile(m_path, v);
    full.reset();

    QVERIFY(!saved.ok());
    QCOMPARE(readFile(m_path), kCom3File);
    QCOMPARE(QDir(m_dir->filePath(u"cfg"_s)).entryList(QDir::Files | QDir::Hidden),
             QStringList{u"SETUP.INI"_s});
}

QTEST_GUILESS_MAIN(TstSetupConfig)
#include "tst_setup_config.moc"
