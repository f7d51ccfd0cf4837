#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

namespace r5::test {

// Two linked serial ports for serial tests: the program under test opens portName(), the test
// plays the device on the far end through write() and read(). On Linux a pseudo-terminal (the
// program opens the slave side, the test holds the master); on Windows two COM ports that the
// test runner links on the host (cmake/wine-test.sh --serial-pairs), the test opening the far one.
// A pair outlives the program closing and reopening its port, as a device on a cable does.
class SerialPair
{
public:
    SerialPair();
    ~SerialPair();
    SerialPair(const SerialPair &) = delete;
    SerialPair &operator=(const SerialPair &) = delete;

    bool isValid() const;
    QString portName() const { return m_portName; }

    // Writes all bytes to the far end (the program reads them from its port).
    bool write(const QByteArray &bytes);
    // Reads what is waiting at the far end, waiting at most `timeoutMs` for the first byte.
    QByteArray read(int timeoutMs = 0);
    // Reads until at least `count` bytes have arrived or `timeoutMs` passed; spins the event
    // loop meanwhile so the program under test can write.
    QByteArray readAtLeast(int count, int timeoutMs = 5000);

private:
    struct Ends;
    std::unique_ptr<Ends> m_ends;
    QString m_portName;
};

// The serial port of a device program the test starts (r5200tx-virtual), and the port the program
// under test opens to reach it. On Linux the device program makes a pseudo-terminal of its own
// and names it; on Windows it is started on the far end of a free pair.
class DevicePort
{
public:
    DevicePort();
    ~DevicePort();
    DevicePort(const DevicePort &) = delete;
    DevicePort &operator=(const DevicePort &) = delete;

    // True where device programs are started on a pair, which outlives them: stopping one does
    // not make the program's port vanish.
    static bool onPairs();
    // The device program's arguments that choose its port (none on Linux).
    QStringList arguments() const;
    // The port the program under test opens, given the one the device program announced.
    QString programPort(const QString &announced) const;

private:
    int m_pair = -1;
};

} // namespace r5::test
