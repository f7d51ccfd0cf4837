#include "r5/comport.h"

#include <QTimer>
#include <QWinEventNotifier>
#include <mutex>
#include <vector>
#include <windows.h>

using namespace Qt::StringLiterals;

namespace r5 {

namespace {

constexpr DWORD kReadChunk = 4096;
// How long a read waits for its first byte before it returns empty. The driver's error record
// is read then as well, so a break on a silent line is seen within this time.
constexpr DWORD kReadWaitMs = 200;
// How long close() waits for cancelled operations to end (a few milliseconds on a sound driver);
// a driver that takes longer keeps their buffers, not the window.
constexpr DWORD kCloseWaitMs = 250;

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

// What the driver writes into while a read or write is under way: it must outlive the
// operation, even one that a driver never completes after it was cancelled.
struct Transfer
{
    Transfer()
    {
        // Manual-reset, as overlapped I/O requires: ReadFile and WriteFile make them
        // non-signalled when they start, the completion signals them, and they stay signalled
        // until the next start (or ResetEvent).
        readOv.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        writeOv.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    ~Transfer()
    {
        ::CloseHandle(readOv.hEvent);
        ::CloseHandle(writeOv.hEvent);
    }
    Transfer(const Transfer &) = delete;
    Transfer &operator=(const Transfer &) = delete;

    static bool done(const OVERLAPPED &ov) { return ::WaitForSingleObject(ov.hEvent, 0) == WAIT_OBJECT_0; }
    bool settled() const { return (!reading || done(readOv)) && (!writing || done(writeOv)); }

    OVERLAPPED readOv{};
    OVERLAPPED writeOv{};
    bool reading = false;
    bool writing = false;
    char readBuffer[kReadChunk];
    QByteArray writeBuffer; // the bytes of the write under way
};

// Transfers whose cancelled operations had not ended when their port was closed. Freed once the
// driver has let them go; one whose driver never does stays here (a few kilobytes).
std::mutex g_abandonedLock;
std::vector<std::unique_ptr<Transfer>> g_abandoned;

void abandon(std::unique_ptr<Transfer> transfer)
{
    const std::lock_guard lock(g_abandonedLock);
    std::erase_if(g_abandoned, [](const std::unique_ptr<Transfer> &t) { return t->settled(); });
    g_abandoned.push_back(std::move(transfer));
}

} // namespace

struct ComPort::Io
{
    Io() { watch(); }

    // The notifiers watch the current transfer's events, armed only while an operation is under
    // way: a completed operation leaves its event signalled, and an armed notifier would report
    // it again on every pass of the event loop.
    void watch()
    {
        readNotifier.setHandle(t->readOv.hEvent);
        writeNotifier.setHandle(t->writeOv.hEvent);
        readNotifier.setEnabled(false);
        writeNotifier.setEnabled(false);
    }

    HANDLE handle = INVALID_HANDLE_VALUE;
    std::unique_ptr<Transfer> t = std::make_unique<Transfer>();
    QWinEventNotifier readNotifier;
    QWinEventNotifier writeNotifier;
    DWORD waiting = 0; // bytes the driver held at the last look
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
        m_openError = ::GetLastError();
        m_error = qt_error_string(int(m_openError));
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
    // Errors the driver recorded before the port was ours are not this session's; a port whose
    // record cannot be read is not one to work with.
    COMSTAT status{};
    DWORD flags = 0;
    if (ok)
        ok = ::ClearCommError(h, &flags, &status);
    if (!ok) {
        m_openError = ::GetLastError();
        m_error = qt_error_string(int(m_openError));
        ::CloseHandle(h);
        return false;
    }
    m_openError = 0;
    m_io->handle = h;
    m_io->waiting = status.cbInQue;
    startRead();
    return true;
}

void ComPort::close()
{
    Io &io = *m_io;
    if (!isOpen())
        return;
    io.readNotifier.setEnabled(false);
    io.writeNotifier.setEnabled(false);
    ::CancelIoEx(io.handle, nullptr);
    // The driver writes into the transfer's buffers until a cancelled operation has ended: a
    // sound one ends it at once. One that does not is left the buffers, and the port goes.
    Transfer &t = *io.t;
    const ULONGLONG deadline = ::GetTickCount64() + kCloseWaitMs;
    for (const auto &[busy, ov] : {std::pair{t.reading, &t.readOv}, std::pair{t.writing, &t.writeOv}}) {
        const ULONGLONG now = ::GetTickCount64();
        if (busy)
            ::WaitForSingleObject(ov->hEvent, now < deadline ? DWORD(deadline - now) : 0);
    }
    if (t.settled()) {
        t.reading = false;
        t.writing = false;
        t.writeBuffer.clear();
        ::ResetEvent(t.readOv.hEvent);
        ::ResetEvent(t.writeOv.hEvent);
    } else {
        abandon(std::exchange(io.t, std::make_unique<Transfer>()));
        io.watch();
    }
    ::CloseHandle(io.handle);
    io.handle = INVALID_HANDLE_VALUE;
    io.waiting = 0;
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
    Transfer &t = *io.t;
    if (!isOpen() || m_failed || t.reading || m_held.size() >= kMaxHeld)
        return;
    // Wine's asynchronous reads do not return on the first bytes: they end only when the count
    // asked for has come (measured with Wine 8 on a pseudo-terminal). So a read asks for what
    // the driver holds, or for one byte when it holds none; on Windows itself such a read ends
    // at once, or empty after kReadWaitMs.
    const DWORD want = qBound(DWORD(1), io.waiting, kReadChunk);
    t.readOv.Offset = 0;
    t.readOv.OffsetHigh = 0;
    t.reading = true;
    // Done at once or pending, the completion signals the event.
    if (!::ReadFile(io.handle, t.readBuffer, want, nullptr, &t.readOv)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_IO_PENDING) {
            t.reading = false;
            fail(error);
            return;
        }
    }
    io.readNotifier.setEnabled(true);
}

void ComPort::readDone()
{
    Io &io = *m_io;
    Transfer &t = *io.t;
    io.readNotifier.setEnabled(false);
    if (!t.reading)
        return;
    DWORD n = 0;
    if (!::GetOverlappedResult(io.handle, &t.readOv, &n, FALSE)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_IO_INCOMPLETE) {
            io.readNotifier.setEnabled(true);
            return;
        }
        t.reading = false;
        // Some drivers abort reads on a line error whatever the port asked for; the port is
        // still there when its error record can be read. When it cannot, the record's reason
        // (the device gone) is the one to tell, not the abort.
        if (error == ERROR_OPERATION_ABORTED) {
            DWORD flags = 0;
            if (!::ClearCommError(io.handle, &flags, nullptr)) {
                fail(::GetLastError());
                return;
            }
            if (flags)
                Q_EMIT lineErrors(flags);
            startRead();
            return;
        }
        fail(error);
        return;
    }
    t.reading = false;
    m_held.append(t.readBuffer, qsizetype(n));
    const quint32 errors = takeLineErrors();
    if (n > 0)
        Q_EMIT readyRead();
    if (errors && isOpen() && !m_failed)
        Q_EMIT lineErrors(errors);
    startRead();
}

quint32 ComPort::takeLineErrors()
{
    Io &io = *m_io;
    DWORD flags = 0;
    COMSTAT status{};
    if (!::ClearCommError(io.handle, &flags, &status)) {
        // The driver no longer answers for the port: the device is gone.
        io.waiting = 0;
        fail(::GetLastError());
        return 0;
    }
    io.waiting = status.cbInQue;
    return flags;
}

void ComPort::startWrite()
{
    Io &io = *m_io;
    Transfer &t = *io.t;
    if (!isOpen() || m_failed || t.writing || m_pending.isEmpty())
        return;
    t.writeBuffer = std::exchange(m_pending, {});
    t.writeOv.Offset = 0;
    t.writeOv.OffsetHigh = 0;
    t.writing = true;
    if (!::WriteFile(io.handle, t.writeBuffer.constData(), DWORD(t.writeBuffer.size()), nullptr,
                     &t.writeOv)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_IO_PENDING) {
            t.writing = false;
            fail(error);
            return;
        }
    }
    io.writeNotifier.setEnabled(true);
}

void ComPort::writeDone()
{
    Io &io = *m_io;
    Transfer &t = *io.t;
    io.writeNotifier.setEnabled(false);
    if (!t.writing)
        return;
    DWORD n = 0;
    if (!::GetOverlappedResult(io.handle, &t.writeOv, &n, FALSE)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_IO_INCOMPLETE) {
            io.writeNotifier.setEnabled(true);
            return;
        }
        t.writing = false;
        fail(error);
        return;
    }
    t.writing = false;
    if (n == 0 && !t.writeBuffer.isEmpty()) {
        fail(ERROR_WRITE_FAULT);
        return;
    }
    // Without write time-outs the driver takes everything; should one take less, the rest
    // goes first next time.
    m_pending.prepend(t.writeBuffer.sliced(qsizetype(n)));
    t.writeBuffer.clear();
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
