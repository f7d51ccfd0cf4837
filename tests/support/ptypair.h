#pragma once

#include <QByteArray>
#include <QString>

namespace r5::test {

// A pseudo-terminal pair for serial tests: the program under test opens slavePath() as its
// serial port; the test reads and writes the master side.
class Pty
{
public:
    Pty();
    ~Pty();
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    bool isValid() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    int masterFd() const { return m_master; }

    // Writes all bytes to the master side (the program reads them from the slave).
    bool write(const QByteArray &bytes);
    // Reads what is waiting on the master side, waiting at most `timeoutMs` for the first byte.
    QByteArray read(int timeoutMs = 0);
    // Reads until at least `count` bytes have arrived or `timeoutMs` passed; spins the event
    // loop meanwhile so the program under test can write.
    QByteArray readAtLeast(int count, int timeoutMs = 5000);

private:
    int m_master = -1;
    int m_slave = -1; // kept open so the pair survives the program closing its side
    QString m_slavePath;
};

} // namespace r5::test
