#include "r5/comport.h"

#include <QTimer>
#include <QWinEventNotifier>
#include <windows.h>

using namespace Qt::StringLiterals;

namespace r5 {

namespace {

constexpr DWORD kReadChunk = 4096;
// How long a read waits for its first byte before it returns empty. The driver's error record
// is read then as well, so a break on a silent line is seen within this time.
constexpr DWORD kReadWaitMs = 200;

BYTE stopBits(ComPort::StopBits v)
{
    switch (v) {
    case ComPort::StopBits::OneAndHalf:
        return ONE5STOPBITS;
    case ComPort::StopBits::Two:
        return TWOSTOPBITS;
    case ComPort::StopBits::One:
        break;
    }
    return ONESTOPBIT;
}

BYTE parity(ComPort::Parity v)
{
    switch (v) {
    case ComPort::Parity::Odd:
        return ODDPARITY;
    case ComPort::Parity::Even:
        return EVENPARITY;
    case ComPort::Parity::Mark:
        return MARKPARITY;
    case ComPort::Parity::Space:
        return SPACEPARITY;
    case ComPort::Parity::None:
        break;
    }
    return NOPARITY;
}

void applyTo(DCB &dcb, const ComPort::Settings &s)
{
    const bool hardware = s.flowControl == ComPort::FlowControl::Hardware;
    const bool software = s.flowControl == ComPort::FlowControl::Software;
    dcb.BaudRate = DWORD(s.baudRate);
    dcb.ByteSize = BYTE(s.dataBits);
    dcb.StopBits = stopBits(s.stopBits);
    dcb.Parity = parity(s.parity);
    dcb.fBinary = TRUE;
    dcb.fParity = s.parity != ComPort::Parity::None;
    dcb.fOutxCtsFlow = hardware;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fRtsControl = hardware ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_DISABLE;
    dcb.fOutX = software;
    dcb.fInX = software;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    // A line error must not cancel the reads: it is reported, and reception goes on.
    dcb.fAbortOnError = FALSE;
}

} // namespace

struct ComPort::Io
{
    Io()
    {
        readOv.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        writeOv.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        readNotifier.setHandle(readOv.hEvent);
        writeNotifier.setHandle(writeOv.hEvent);
        readNotifier.setEnabled(false);
        writeNotifier.setEnabled(false);
    }
    ~Io()
    {
        ::CloseHandle(readOv.hEvent);
        ::CloseHandle(writeOv.hEvent);
    }
    Io(const Io &) = delete;
    Io &operator=(const Io &) = delete;

    HANDLE handle = INVALID_HANDLE_VALUE;
    OVERLAPPED readOv{};
    OVERLAPPED writeOv{};
    QWinEventNotifier readNotifier;
    QWinEventNotifier writeNotifier;
    bool reading = false;
    bool writing = false;
    DWORD waiting = 0; // bytes the driver held at the last look
    char readBuffer[kReadChunk];
    QByteArray writeBuffer; // the bytes of the write under way; the driver owns them meanwhile
};

ComPort::ComPort(QObject *parent) : QObject(parent), m_io(std::make_unique<Io>())
{
    connect(&m_io->readNotifier, &QWinEventNotifier::activated, this, &ComPort::readDone);
    connect(&m_io->writeNotifier, &QWinEventNotifier::activated, this, &ComPort::writeDone);
}

ComPort::~ComPort()
{
    close();
}

bool ComPort::isOpen() const
{
    return m_io->handle != INVALID_HANDLE_VALUE;
}

bool ComPort::open(const Settings &settings)
{
    if (isOpen())
        return true;
    m_error.clear();
    m_failed = false;
    QString path = settings.portName;
    if (!path.startsWith(u"\\\\"_s))
        path.prepend(u"\\\\.\\"_s);
    const HANDLE h =
        ::CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), GENERIC_READ | GENERIC_WRITE, 0,
                      nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        m_error = qt_error_string(int(::GetLastError()));
        return false;
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    bool ok = ::GetCommState(h, &dcb);
    if (ok) {
        applyTo(dcb, settings);
        ok = ::SetCommState(h, &dcb);
    }
    if (ok) {
        // Return at once with what has come, or with the first bytes to come, or empty after
        // kReadWaitMs. Writes have no time-out: flow control may hold them.
        COMMTIMEOUTS timeouts{MAXDWORD, MAXDWORD, kReadWaitMs, 0, 0};
        ok = ::SetCommTimeouts(h, &timeouts);
    }
    if (!ok) {
        m_error = qt_error_string(int(::GetLastError()));
        ::CloseHandle(h);
        return false;
    }
    m_io->handle = h;
    // Errors the driver recorded before the port was ours are not this session's.
    takeLineErrors();
    m_io->readNotifier.setEnabled(true);
    m_io->writeNotifier.setEnabled(true);
    startRead();
    return true;
}

void ComPort::close()
{
    Io &io = *m_io;
    if (!isOpen())
        return;
    ::CancelIoEx(io.handle, nullptr);
    // The driver writes into the buffers until a cancelled operation has ended, so the port
    // waits for that (a few milliseconds) before it lets them go.
    DWORD n = 0;
    if (io.reading)
        ::GetOverlappedResult(io.handle, &io.readOv, &n, TRUE);
    if (io.writing)
        ::GetOverlappedResult(io.handle, &io.writeOv, &n, TRUE);
    io.reading = false;
    io.writing = false;
    io.readNotifier.setEnabled(false);
    io.writeNotifier.setEnabled(false);
    ::ResetEvent(io.readOv.hEvent);
    ::ResetEvent(io.writeOv.hEvent);
    ::CloseHandle(io.handle);
    io.handle = INVALID_HANDLE_VALUE;
    io.waiting = 0;
    io.writeBuffer.clear();
    m_held.clear();
    m_pending.clear();
}

QByteArray ComPort::read(qint64 maxBytes)
{
    const QByteArray out = m_held.first(qBound(qint64(0), maxBytes, qint64(m_held.size())));
    m_held.remove(0, out.size());
    startRead(); // reading stops while kMaxHeld bytes wait
    return out;
}

bool ComPort::write(QByteArrayView bytes)
{
    if (!isOpen() || m_failed || m_pending.size() + bytes.size() > kMaxPending)
        return false;
    m_pending.append(bytes);
    startWrite();
    return !m_failed;
}

void ComPort::startRead()
{
    Io &io = *m_io;
    if (!isOpen() || m_failed || io.reading || m_held.size() >= kMaxHeld)
        return;
    // Wine's asynchronous reads do not return on the first bytes: they end only when the count
    // asked for has come (measured with Wine 8 on a pseudo-terminal). So a read asks for what
    // the driver holds, or for one byte when it holds none; on Windows itself such a read ends
    // at once, or empty after kReadWaitMs.
    const DWORD want = qBound(DWORD(1), io.waiting, kReadChunk);
    io.readOv.Offset = 0;
    io.readOv.OffsetHigh = 0;
    io.reading = true;
    if (!::ReadFile(io.handle, io.readBuffer, want, nullptr, &io.readOv)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_IO_PENDING) {
            io.reading = false;
            fail(error);
        }
    }
}

void ComPort::readDone()
{
    Io &io = *m_io;
    if (!io.reading)
        return;
    DWORD n = 0;
    if (!::GetOverlappedResult(io.handle, &io.readOv, &n, FALSE)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_IO_INCOMPLETE)
            return;
        io.reading = false;
        // Some drivers abort reads on a line error whatever the port asked for; the port is
        // still there when its error record can be read.
        DWORD flags = 0;
        if (error == ERROR_OPERATION_ABORTED && ::ClearCommError(io.handle, &flags, nullptr)) {
            if (flags)
                Q_EMIT lineErrors(flags);
            startRead();
            return;
        }
        fail(error);
        return;
    }
    io.reading = false;
    m_held.append(io.readBuffer, qsizetype(n));
    const quint32 errors = takeLineErrors();
    if (n > 0)
        Q_EMIT readyRead();
    if (errors && isOpen())
        Q_EMIT lineErrors(errors);
    startRead();
}

quint32 ComPort::takeLineErrors()
{
    Io &io = *m_io;
    DWORD flags = 0;
    COMSTAT status{};
    if (!::ClearCommError(io.handle, &flags, &status)) {
        io.waiting = 0;
        return 0;
    }
    io.waiting = status.cbInQue;
    return flags;
}

void ComPort::startWrite()
{
    Io &io = *m_io;
    if (!isOpen() || m_failed || io.writing || m_pending.isEmpty())
        return;
    io.writeBuffer = std::exchange(m_pending, {});
    io.writeOv.Offset = 0;
    io.writeOv.OffsetHigh = 0;
    io.writing = true;
    if (!::WriteFile(io.handle, io.writeBuffer.constData(), DWORD(io.writeBuffer.size()), nullptr,
                     &io.writeOv)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_IO_PENDING) {
            io.writing = false;
            fail(error);
        }
    }
}

void ComPort::writeDone()
{
    Io &io = *m_io;
    if (!io.writing)
        return;
    DWORD n = 0;
    if (!::GetOverlappedResult(io.handle, &io.writeOv, &n, FALSE)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_IO_INCOMPLETE)
            return;
        io.writing = false;
        fail(error);
        return;
    }
    io.writing = false;
    if (n == 0 && !io.writeBuffer.isEmpty()) {
        fail(ERROR_WRITE_FAULT);
        return;
    }
    // Without write time-outs the driver takes everything; should one take less, the rest
    // goes first next time.
    m_pending.prepend(io.writeBuffer.sliced(qsizetype(n)));
    io.writeBuffer.clear();
    startWrite();
}

void ComPort::fail(quint32 error)
{
    if (m_failed)
        return;
    m_failed = true;
    m_error = qt_error_string(int(error));
    // Closing waits for the event loop: the caller may be inside write() or a read's handler.
    QTimer::singleShot(0, this, &ComPort::closeFailed);
}

void ComPort::closeFailed()
{
    if (!m_failed || !isOpen())
        return;
    close();
    Q_EMIT failed();
}

} // namespace r5
