#include "linksupport.h"
#include "r5device/qtseriallink.h"
#include "serialpair.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace r5setup;

Q_DECLARE_METATYPE(r5setup::LineCounters)

class TstSetupLink : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void opensPortWithoutModemLines();
    void missingPortGivesErrorText();
    void writesReachTheDevice();
    void receivedBytesAreAnnounced();
    void bytesLeftUnreadAreAnnouncedAgain();
    void newErrorsFromCounters_data();
    void newErrorsFromCounters();
    void driverErrorsRaiseLineError();
    void probeThatCannotTellIsDropped();
    void pseudoTerminalHasNoErrorRecord();
    void deviceGoneClosesThePort();
};

void TstSetupLink::opensPortWithoutModemLines()
{
    r5::test::SerialPair pty;
    QVERIFY(pty.isValid());
    QtSerialLink link;
    QSignalSpy opened(&link, &SerialLink::openChanged);
    QSignalSpy errors(&link, &SerialLink::lineError);
    QVERIFY2(openOn(link, pty.portName()), qPrintable(link.errorString()));
    QVERIFY(link.isOpen());
    QVERIFY(link.errorString().isEmpty());
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened[0][0].toBool(), true);
    QCOMPARE(errors.size(), 0); // the refused DTR/RTS control is not a line error
    link.close();
    QVERIFY(!link.isOpen());
    QCOMPARE(opened.size(), 2);
}

void TstSetupLink::missingPortGivesErrorText()
{
    QTemporaryDir dir;
    QtSerialLink link;
    QSignalSpy opened(&link, &SerialLink::openChanged);
    QVERIFY(!openOn(link, dir.filePath(u"ttyNOPE0"_s)));
    QVERIFY(!link.isOpen());
    QVERIFY(!link.errorString().isEmpty());
    QCOMPARE(opened.size(), 0);
    QVERIFY(!link.write("x"));
}

void TstSetupLink::writesReachTheDevice()
{
    r5::test::SerialPair pty;
    QtSerialLink link;
    QVERIFY2(openOn(link, pty.portName()), qPrintable(link.errorString()));
    QSignalSpy sent(&link, &SerialLink::transmitted);
    const QByteArray status = QByteArray::fromHex("7e054150fe");
    QVERIFY(link.write(status));
    QCOMPARE(sent.size(), 1);
    QCOMPARE(pty.readAtLeast(status.size()), status);
}

void TstSetupLink::receivedBytesAreAnnounced()
{
    r5::test::SerialPair pty;
    QtSerialLink link;
    QVERIFY2(openOn(link, pty.portName()), qPrintable(link.errorString()));
    QByteArray got;
    connect(&link, &SerialLink::rxChar, this, [&](qint64 waiting) {
        QVERIFY(waiting > 0);
        got += link.read(waiting);
    });
    const QByteArray frame = QByteArray::fromHex("7e05454450fe");
    QVERIFY(pty.write(frame));
    QTRY_COMPARE(got, frame);
}

void TstSetupLink::bytesLeftUnreadAreAnnouncedAgain()
{
    r5::test::SerialPair pty;
    QtSerialLink link;
    QVERIFY2(openOn(link, pty.portName()), qPrintable(link.errorString()));
    QByteArray got;
    int events = 0;
    connect(&link, &SerialLink::rxChar, this, [&](qint64) {
        ++events;
        got += link.read(2);
    });
    const QByteArray bytes("0123456789");
    QVERIFY(pty.write(bytes));
    QTRY_COMPARE(got, bytes);
    QVERIFY(events >= 5);
}

void TstSetupLink::newErrorsFromCounters_data()
{
    QTest::addColumn<LineCounters>("before");
    QTest::addColumn<LineCounters>("now");
    QTest::addColumn<int>("errors");
    QTest::newRow("nothing moved") << LineCounters{1, 2, 3, 4, 5} << LineCounters{1, 2, 3, 4, 5} << 0;
    QTest::newRow("framing") << LineCounters{} << LineCounters{1, 0, 0, 0, 0} << int(LineError::Frame);
    QTest::newRow("parity by many") << LineCounters{0, 7, 0, 0, 0} << LineCounters{0, 70, 0, 0, 0}
                                    << int(LineError::RxParity);
    QTest::newRow("overrun and break")
        << LineCounters{} << LineCounters{0, 0, 1, 1, 0} << int(LineError::Overrun | LineError::Break);
    QTest::newRow("buffer overrun") << LineCounters{} << LineCounters{0, 0, 0, 0, 2}
                                    << int(LineError::RxOver);
    QTest::newRow("counter wrapped") << LineCounters{0xFFFFFFFF, 0, 0, 0, 0} << LineCounters{0, 0, 0, 0, 0}
                                     << int(LineError::Frame);
}

void TstSetupLink::newErrorsFromCounters()
{
    QFETCH(LineCounters, before);
    QFETCH(LineCounters, now);
    QFETCH(int, errors);
    QCOMPARE(int(newErrors(before, now).toInt()), errors);
}

void TstSetupLink::driverErrorsRaiseLineError()
{
    r5::test::SerialPair pty;
    ProbeScript script;
    QtSerialLink link(nullptr, fakeProbes(script));
    QVERIFY2(openOn(link, pty.portName()), qPrintable(link.errorString()));
    QVERIFY(script.alive);
    QSignalSpy errors(&link, &SerialLink::lineError);

    // Checked on the timer while nothing arrives...
    script.answers = {LineErrors(LineError::Frame)};
    QTRY_COMPARE(errors.size(), 1);
    QCOMPARE(errors[0][0].value<LineErrors>(), LineErrors(LineError::Frame));

    // ...and after each receive event.
    link.checkLineErrors();
    script.answers = {LineError::Break | LineError::Overrun};
    QVERIFY(pty.write("x"));
    QTRY_COMPARE(errors.size(), 2);
    QCOMPARE(errors[1][0].value<LineErrors>(), LineError::Break | LineError::Overrun);
    QVERIFY(link.isOpen());

    link.close();
    QVERIFY(!script.alive);
}

void TstSetupLink::probeThatCannotTellIsDropped()
{
    r5::test::SerialPair pty;
    ProbeScript script;
    script.answers = {std::nullopt, LineErrors(LineError::Frame)};
    QtSerialLink link(nullptr, fakeProbes(script));
    QSignalSpy errors(&link, &SerialLink::lineError);
    QVERIFY(openOn(link, pty.portName()));
    QTRY_VERIFY(!script.alive);
    QCOMPARE(script.polls, 1);
    QCOMPARE(errors.size(), 0);
    QVERIFY(link.isOpen());
}

void TstSetupLink::pseudoTerminalHasNoErrorRecord()
{
    r5::test::SerialPair pty;
    QSerialPort port(pty.portName());
    QVERIFY(port.open(QIODevice::ReadWrite));
    QVERIFY(makeSystemProbe(port) == nullptr);
}

void TstSetupLink::deviceGoneClosesThePort()
{
    auto pty = std::make_unique<r5::test::SerialPair>();
    QtSerialLink link;
    QVERIFY2(openOn(link, pty->portName()), qPrintable(link.errorString()));
    QSignalSpy errors(&link, &SerialLink::lineError);
    QSignalSpy gone(&link, &SerialLink::vanished);
    QSignalSpy opened(&link, &SerialLink::openChanged);
    pty.reset(); // the far end hangs up
    QTRY_COMPARE(gone.size(), 1);
    QVERIFY(!link.isOpen());
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened[0][0].toBool(), false);
    QTest::qWait(50);
    QCOMPARE(gone.size(), 1);
    QCOMPARE(errors.size(), 0);
    QVERIFY(!link.write("x"));
}

QTEST_MAIN(TstSetupLink)
#include "tst_device_link.moc"
