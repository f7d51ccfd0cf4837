// The maintenance page's field checks, the key rule of the number fields, the administrator
// panel's rule and the command lines of the side tools, without a window.
#include "r5device/maintenancerules.h"
#include "r5setup/keyrule.h"
#include "r5setup/sidetools.h"

#include <QDir>
#include <QHash>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace r5setup;
using tools::Launch;
using tools::Platform;

Q_DECLARE_METATYPE(r5setup::maint::Refusal)
Q_DECLARE_METATYPE(r5setup::tools::Launch)
Q_DECLARE_METATYPE(r5setup::tools::Platform)
Q_DECLARE_METATYPE(r5setup::maint::AdminStep)
Q_DECLARE_METATYPE(std::optional<r5setup::tools::Launch>)

namespace {

const QString kWordRange = u"1 ~ 65535 정수만 가능합니다."_s;
const QString kOctetRange = u"0 ~ 255 정수만 입력 가능합니다."_s;
const QString kHttpPort = u"HTTP Server Port는 1 ~ 65535 정수만 가능합니다. [Default Port : 8070]"_s;

maint::Refusal box(const QString &text, const QString &focus = {})
{
    return {text, focus, false};
}

maint::Refusal notANumber(const QString &text)
{
    return {u"'"_s + text + u"' is not a valid integer value"_s, {}, true};
}

// A PATH holding exactly these programs.
tools::FindProgram path(const QHash<QString, QString> &programs)
{
    return [programs](const QString &name) { return programs.value(name); };
}

} // namespace

namespace QTest {
template <> char *toString(const r5setup::maint::Refusal &r)
{
    return QTest::toString(r.message + u" | focus "_s + r.focus +
                           (r.conversion ? u" | conversion"_s : QString()));
}
template <> char *toString(const r5setup::tools::Launch &l)
{
    return QTest::toString(l.program + u" ["_s + l.arguments.join(u", "_s) + u"] in "_s + l.workingDir);
}
} // namespace QTest

class TstMaintRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void keyRule_data();
    void keyRule();
    void flashSave_data();
    void flashSave();
    void firmwareDownload_data();
    void firmwareDownload();
    void httpServerPort_data();
    void httpServerPort();
    void adminStep_data();
    void adminStep();
    void pingLaunch_data();
    void pingLaunch();
    void simulatorLaunch_data();
    void simulatorLaunch();
    void serverUrlAndLines();
};

void TstMaintRules::keyRule_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("passes");
    QTest::newRow("digit") << u"7"_s << true;
    QTest::newRow("zero and nine") << u"09"_s << true;
    QTest::newRow("space") << u" "_s << true;
    QTest::newRow("backspace") << u"\b"_s << true;
    QTest::newRow("no text (arrow key)") << QString() << true;
    QTest::newRow("enter") << u"\r"_s << true;
    QTest::newRow("letter") << u"a"_s << false;
    QTest::newRow("minus") << u"-"_s << false;
    QTest::newRow("dot") << u"."_s << false;
    QTest::newRow("full-width digit") << u"１"_s << false;
    QTest::newRow("hangul") << u"가"_s << false;
    QTest::newRow("digit then letter") << u"1a"_s << false;
}

void TstMaintRules::keyRule()
{
    QFETCH(QString, typed);
    QFETCH(bool, passes);
    QCOMPARE(entry::keyVerdict(typed) == entry::KeyVerdict::Pass, passes);
    QCOMPARE(entry::digitsOnlyMessage(), u"숫자만 입력 가능합니다"_s);
}

void TstMaintRules::flashSave_data()
{
    QTest::addColumn<QString>("interval");
    QTest::addColumn<QString>("delay");
    QTest::addColumn<int>("sentInterval"); // -1: refused
    QTest::addColumn<int>("sentDelay");
    QTest::addColumn<maint::Refusal>("refusal");
    QTest::newRow("30 and 5") << u"30"_s << u"5"_s << 30 << 5 << maint::Refusal{};
    QTest::newRow("0 is taken") << u"0"_s << u"0"_s << 0 << 0 << maint::Refusal{};
    QTest::newRow("65535 and 255") << u"65535"_s << u"255"_s << 65535 << 255 << maint::Refusal{};
    QTest::newRow("empty interval") << QString() << u"5"_s << -1 << 0 << box(kWordRange);
    QTest::newRow("65536") << u"65536"_s << u"5"_s << -1 << 0 << box(kWordRange);
    QTest::newRow("99999 typed") << u"99999"_s << u"5"_s << -1 << 0 << box(kWordRange);
    QTest::newRow("pasted negative") << u"-1"_s << u"5"_s << -1 << 0 << box(kWordRange);
    QTest::newRow("sign and leading zeros") << u"+0030"_s << u"05"_s << 30 << 5 << maint::Refusal{};
    QTest::newRow("past 32 bits") << u"99999999999"_s << u"5"_s << -1 << 0 << notANumber(u"99999999999"_s);
    QTest::newRow("pasted space") << u"3 0"_s << u"5"_s << -1 << 0 << notANumber(u"3 0"_s);
    QTest::newRow("interval checked first") << QString() << u"x"_s << -1 << 0 << box(kWordRange);
    // The delay has one byte: 256 would go out as 0.
    QTest::newRow("delay 256") << u"30"_s << u"256"_s << -1 << 0
                               << box(kOctetRange, u"Edit_FlashSaveDelay"_s);
    QTest::newRow("delay letters") << u"30"_s << u"abc"_s << -1 << 0
                                   << box(kOctetRange, u"Edit_FlashSaveDelay"_s);
    QTest::newRow("delay empty") << u"30"_s << QString() << -1 << 0
                                 << box(kOctetRange, u"Edit_FlashSaveDelay"_s);
    QTest::newRow("delay negative") << u"30"_s << u"-5"_s << -1 << 0
                                    << box(kOctetRange, u"Edit_FlashSaveDelay"_s);
}

void TstMaintRules::flashSave()
{
    QFETCH(QString, interval);
    QFETCH(QString, delay);
    QFETCH(int, sentInterval);
    QFETCH(int, sentDelay);
    QFETCH(maint::Refusal, refusal);
    const auto checked = maint::checkFlashSave(interval, delay);
    QCOMPARE(bool(checked), sentInterval >= 0);
    QCOMPARE(checked.refusal, refusal);
    if (checked) {
        QCOMPARE(int(checked.value->interval), sentInterval);
        QCOMPARE(int(checked.value->delay), sentDelay);
    }
}

void TstMaintRules::firmwareDownload_data()
{
    QTest::addColumn<QStringList>("octets");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("file");
    QTest::addColumn<maint::Refusal>("refusal"); // empty message: accepted
    const QStringList ok{u"192"_s, u"168"_s, u"0"_s, u"10"_s};
    const QString file = u"/R5200TX_v1.0.bin"_s;
    QTest::newRow("example") << ok << u"8070"_s << file << maint::Refusal{};
    QTest::newRow("port 0 is taken") << ok << u"0"_s << file << maint::Refusal{};
    QTest::newRow("port 65535") << ok << u"65535"_s << file << maint::Refusal{};
    QTest::newRow("octet 256") << QStringList{u"192"_s, u"256"_s, u"0"_s, u"1"_s} << u"8070"_s << file
                               << box(kOctetRange);
    QTest::newRow("octet empty") << QStringList{u"192"_s, u""_s, u"0"_s, u"1"_s} << u"8070"_s << file
                                 << notANumber(QString());
    QTest::newRow("octets before port")
        << QStringList{u"999"_s, u"0"_s, u"0"_s, u"1"_s} << u""_s << u""_s << box(kOctetRange);
    QTest::newRow("octet pasted negative")
        << QStringList{u"-1"_s, u"0"_s, u"0"_s, u"1"_s} << u"8070"_s << file << box(kOctetRange);
    QTest::newRow("port empty") << ok << QString() << file << box(kWordRange);
    QTest::newRow("port 65536") << ok << u"65536"_s << file << box(kWordRange);
    QTest::newRow("port with space") << ok << u"80 7"_s << file << notANumber(u"80 7"_s);
    QTest::newRow("port before file") << ok << u"99999"_s << u"x"_s << box(kWordRange);
    QTest::newRow("one-character file")
        << ok << u"8070"_s << u"/"_s << box(u"Filename를 확인하세요."_s, u"Edit_DL_File"_s);
    QTest::newRow("empty file") << ok << u"8070"_s << QString()
                                << box(u"Filename를 확인하세요."_s, u"Edit_DL_File"_s);
    QTest::newRow("two characters") << ok << u"8070"_s << u"/a"_s << maint::Refusal{};
    // Lengths are counted in bytes: one Hangul syllable is more than one byte.
    QTest::newRow("one hangul syllable") << ok << u"8070"_s << u"펌"_s << maint::Refusal{};
}

void TstMaintRules::firmwareDownload()
{
    QFETCH(QStringList, octets);
    QFETCH(QString, port);
    QFETCH(QString, file);
    QFETCH(maint::Refusal, refusal);
    const auto checked =
        maint::checkFirmwareDownload({octets[0], octets[1], octets[2], octets[3]}, port, file);
    QCOMPARE(checked.refusal, refusal);
    QCOMPARE(bool(checked), refusal.message.isEmpty());
    if (checked && qstrcmp(QTest::currentDataTag(), "example") == 0) {
        QCOMPARE(checked.value->server, (std::array<std::uint8_t, 4>{192, 168, 0, 10}));
        QCOMPARE(checked.value->port, 8070);
    }
}

void TstMaintRules::httpServerPort_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<maint::Refusal>("refusal");
    QTest::newRow("8070") << u"8070"_s << maint::Refusal{};
    QTest::newRow("1") << u"1"_s << maint::Refusal{};
    QTest::newRow("65535") << u"65535"_s << maint::Refusal{};
    QTest::newRow("empty") << QString() << box(kHttpPort);
    QTest::newRow("65536") << u"65536"_s << box(kHttpPort);
    QTest::newRow("99999") << u"99999"_s << box(kHttpPort);
    // Port 0 would have the server listen on a port nobody is told about.
    QTest::newRow("0") << u"0"_s << box(kHttpPort);
    QTest::newRow("space") << u"80 0"_s << notANumber(u"80 0"_s);
}

void TstMaintRules::httpServerPort()
{
    QFETCH(QString, port);
    QFETCH(maint::Refusal, refusal);
    const auto checked = maint::checkHttpServerPort(port);
    QCOMPARE(checked.refusal, refusal);
    QCOMPARE(bool(checked), refusal.message.isEmpty());
}

void TstMaintRules::adminStep_data()
{
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<maint::AdminStep>("step");
    QTest::newRow("right password") << false << u"brimoxa"_s << maint::AdminStep{false, true, false};
    QTest::newRow("right password again") << true << u"brimoxa"_s << maint::AdminStep{false, true, false};
    QTest::newRow("empty while shown") << true << QString() << maint::AdminStep{true, false, true};
    QTest::newRow("empty while hidden") << false << QString() << maint::AdminStep{false, false, true};
    QTest::newRow("upper case") << false << u"BRIMOXA"_s << maint::AdminStep{false, false, true};
    QTest::newRow("wrong while shown") << true << u"8642"_s << maint::AdminStep{false, false, true};
    QTest::newRow("with a space") << false << u"brimoxa "_s << maint::AdminStep{false, false, true};
}

void TstMaintRules::adminStep()
{
    QFETCH(bool, shown);
    QFETCH(QString, typed);
    QFETCH(maint::AdminStep, step);
    QCOMPARE(maint::adminStep(shown, typed), step);
}

void TstMaintRules::pingLaunch_data()
{
    QTest::addColumn<Platform>("platform");
    QTest::addColumn<QString>("terminal");
    QTest::addColumn<std::optional<Launch>>("launch");
    QTest::newRow("windows") << Platform::Windows << QString()
                             << std::optional<Launch>(Launch{
                                    u"cmd.exe"_s, {u"/C"_s, u"ping"_s, u"127.0.0.7"_s, u"-t"_s}, u"C:\\"_s});
    QTest::newRow("linux") << Platform::Linux << u"x-terminal-emulator"_s
                           << std::optional<Launch>(Launch{u"/usr/bin/x-terminal-emulator"_s,
                                                           {u"-e"_s, u"ping"_s, u"--"_s, u"127.0.0.7"_s},
                                                           u"/"_s});
    QTest::newRow("linux, gnome-terminal")
        << Platform::Linux << u"gnome-terminal"_s
        << std::optional<Launch>(
               Launch{u"/usr/bin/gnome-terminal"_s,
                      {u"--working-directory=/"_s, u"--"_s, u"ping"_s, u"--"_s, u"127.0.0.7"_s},
                      u"/"_s});
    QTest::newRow("linux, xfce4-terminal")
        << Platform::Linux << u"xfce4-terminal"_s
        << std::optional<Launch>(
               Launch{u"/usr/bin/xfce4-terminal"_s,
                      {u"--working-directory=/"_s, u"-x"_s, u"ping"_s, u"--"_s, u"127.0.0.7"_s},
                      u"/"_s});
    QTest::newRow("linux without a terminal") << Platform::Linux << QString() << std::optional<Launch>();
}

void TstMaintRules::pingLaunch()
{
    QFETCH(Platform, platform);
    QFETCH(QString, terminal);
    QFETCH(std::optional<Launch>, launch);
    QHash<QString, QString> programs;
    if (!terminal.isEmpty())
        programs.insert(terminal, u"/usr/bin/"_s + terminal);
    const QString address = tools::wanAddress({u"127"_s, u"0"_s, u"0"_s, u"7"_s});
    QCOMPARE(address, u"127.0.0.7"_s);
    QCOMPARE(tools::ping(platform, address, path(programs)), launch);
    // As typed, not checked.
    QCOMPARE(tools::wanAddress({u"10"_s, QString(), u"0 "_s, u"7"_s}), u"10..0 .7"_s);
}

void TstMaintRules::simulatorLaunch_data()
{
    QTest::addColumn<Platform>("platform");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<Launch>("launch");
    QTest::newRow("linux, working folder")
        << Platform::Linux << QStringList{u"/work/Simulator_3810"_s, u"/opt/r5/Simulator_3810"_s}
        << Launch{u"/work/Simulator_3810"_s, {}, u"/work"_s};
    QTest::newRow("linux, beside devsetup") << Platform::Linux << QStringList{u"/opt/r5/Simulator_3810"_s}
                                            << Launch{u"/opt/r5/Simulator_3810"_s, {}, u"/opt/r5"_s};
    QTest::newRow("linux, nowhere") << Platform::Linux << QStringList{}
                                    << Launch{u"/work/Simulator_3810"_s, {}, u"/work"_s};
    QTest::newRow("windows, working folder")
        << Platform::Windows << QStringList{u"/work/Simulator_3810.exe"_s}
        << Launch{u"/work/Simulator_3810.exe"_s, {}, u"/work"_s};
    QTest::newRow("windows, beside devsetup")
        << Platform::Windows << QStringList{u"/work/Simulator_3810"_s, u"/opt/r5/Simulator_3810.exe"_s}
        << Launch{u"/opt/r5/Simulator_3810.exe"_s, {}, u"/opt/r5"_s};
}

void TstMaintRules::simulatorLaunch()
{
    QFETCH(Platform, platform);
    QFETCH(QStringList, files);
    QFETCH(Launch, launch);
    const QSet<QString> present(files.cbegin(), files.cend());
    QCOMPARE(tools::simulator(platform, u"/work"_s, u"/opt/r5"_s,
                              [&present](const QString &p) { return present.contains(p); }),
             launch);
}

void TstMaintRules::serverUrlAndLines()
{
    QCOMPARE(tools::serverUrl(u"127.0.0.1"_s, u"8070"_s), QUrl(u"http://127.0.0.1:8070"_s));
    QCOMPARE(maint::text::httpServerLine(u"127.0.0.5"_s, u"8070"_s),
             u"Starting HTTP Server on[http://127.0.0.5:8070]"_s);
    QCOMPARE(maint::text::pingLine(u"127.0.0.7"_s), u"Starting ping test to [127.0.0.7]"_s);
}

QTEST_GUILESS_MAIN(TstMaintRules)
#include "tst_maint_rules.moc"
