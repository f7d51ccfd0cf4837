#include "serialpair.h"

#include <QList>
#include <qt_windows.h>

using namespace Qt::StringLiterals;

namespace r5::test {

namespace {

// The pairs the test runner linked, "NEAR:FAR,NEAR:FAR": the program under test opens the near
// port of a pair, the test (or a device program) the far one. A pair serves one user at a time.
struct Pairs
{
    QList<QStringList> names;
    QList<bool> inUse;

    Pairs()
    {
        for (const QString &pair : qEnvironmentVariable("R5_SERIAL_PAIRS").split(u',', Qt::SkipEmptyParts)) {
            const QStringList ends = pair.split(u':');
            if (ends.size() == 2) {
                names.append(ends);
                inUse.append(false);
            }
        }
    }

    int take()
    {
        const qsizetype i = inUse.indexOf(false);
        if (i >= 0)
            inUse[i] = true;
        return int(i);
    }
};

Pairs &pairs()
{
    static Pairs all;
    return all;
}

HANDLE openPort(const QString &name)
{
    const QString path = u"\\\\.\\"_s + name;
    const HANDLE h = ::CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()),
                                   GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return h;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ::GetCommState(h, &dcb);
    dcb.BaudRate = CBR_115200;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    ::SetCommState(h, &dcb);
    ::PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR);
    return h;
}

// Gives the pair back. What the test wrote and the program never read is dropped, so the next
// user starts on a quiet line; while the program still holds its port this cannot be done and
// is not needed (the next user of the pair has the port opened anew).
void release(int pair)
{
    if (pair < 0)
        return;
    const HANDLE nearEnd = openPort(pairs().names[pair][0]);
    if (nearEnd != INVALID_HANDLE_VALUE)
        ::CloseHandle(nearEnd);
    pairs().inUse[pair] = false;
}

} // namespace

struct SerialPair::Ends
{
    int pair = -1;
    HANDLE farEnd = INVALID_HANDLE_VALUE;
};

SerialPair::SerialPair() : m_ends(std::make_unique<Ends>())
{
    m_ends->pair = pairs().take();
    if (m_ends->pair < 0)
        return;
    m_ends->farEnd = openPort(pairs().names[m_ends->pair][1]);
    m_portName = pairs().names[m_ends->pair][0];
}

SerialPair::~SerialPair()
{
    if (m_ends->farEnd != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_ends->farEnd);
    release(m_ends->pair);
}

bool SerialPair::isValid() const
{
    return m_ends->farEnd != INVALID_HANDLE_VALUE;
}

bool SerialPair::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        DWORD n = 0;
        if (!::WriteFile(m_ends->farEnd, bytes.constData() + done, DWORD(bytes.size() - done), &n, nullptr))
            return false;
        done += qsizetype(n);
    }
    return true;
}

QByteArray SerialPair::read(int timeoutMs)
{
    QByteArray out;
    if (!isValid())
        return out;
    // The first read waits up to timeoutMs for a byte; the next ones take only what is there.
    COMMTIMEOUTS first{MAXDWORD, timeoutMs > 0 ? MAXDWORD : 0, DWORD(timeoutMs), 0, 0};
    COMMTIMEOUTS rest{MAXDWORD, 0, 0, 0, 0};
    ::SetCommTimeouts(m_ends->farEnd, &first);
    char buf[4096];
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(m_ends->farEnd, buf, sizeof buf, &n, nullptr) || n == 0)
            break;
        out.append(buf, qsizetype(n));
        ::SetCommTimeouts(m_ends->farEnd, &rest);
    }
    return out;
}

DevicePort::DevicePort() : m_pair(pairs().take()) {}

DevicePort::~DevicePort()
{
    release(m_pair);
}

bool DevicePort::onPairs()
{
    return true;
}

QStringList DevicePort::arguments() const
{
    if (m_pair < 0)
        return {};
    return {u"--port"_s, pairs().names[m_pair][1]};
}

QString DevicePort::programPort(const QString &announced) const
{
    return m_pair < 0 ? announced : pairs().names[m_pair][0];
}

} // namespace r5::test
