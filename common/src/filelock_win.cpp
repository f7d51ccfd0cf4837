#include "r5/filelock.h"

#include <QDir>
#include <windows.h>

namespace r5 {

namespace {

// The locked range: one byte near the end of what a file offset can name, where no record
// ever reaches. A lock there keeps out only those who lock too; reads and appends go on.
constexpr DWORD kOffsetLow = 0xFFFFFFFE;
constexpr DWORD kOffsetHigh = 0x7FFFFFFF;

QString systemMessage(DWORD code)
{
    wchar_t *text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    QString message = n ? QString::fromWCharArray(text, int(n)).trimmed() : QString::number(code);
    LocalFree(text);
    return message;
}

} // namespace

struct FileLock::Handle
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    bool locked = false;
    ~Handle()
    {
        if (locked) {
            OVERLAPPED at = {};
            at.Offset = kOffsetLow;
            at.OffsetHigh = kOffsetHigh;
            UnlockFileEx(handle, 0, 1, 0, &at);
        }
        CloseHandle(handle);
    }
};

FileLock::FileLock(const QString &path) : m_path(path) {}
FileLock::~FileLock() = default;

FileLock::Result FileLock::tryLock()
{
    m_error.clear();
    if (!m_handle) {
        const QString native = QDir::toNativeSeparators(m_path);
        // LockFileEx needs read or write access; every share mode, so the appender and any
        // reader open the file as before.
        const HANDLE h = CreateFileW(reinterpret_cast<const wchar_t *>(native.utf16()), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            m_error = systemMessage(GetLastError());
            return Result::Failed;
        }
        m_handle = std::make_unique<Handle>();
        m_handle->handle = h;
    }
    OVERLAPPED at = {}; // hEvent zero, as a synchronous handle wants
    at.Offset = kOffsetLow;
    at.OffsetHigh = kOffsetHigh;
    if (LockFileEx(m_handle->handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        m_handle->locked = true;
        return Result::Locked;
    }
    const DWORD code = GetLastError();
    if (code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING)
        return Result::Busy;
    m_error = systemMessage(code);
    m_handle.reset();
    return Result::Failed;
}

void FileLock::unlock()
{
    m_handle.reset();
}

} // namespace r5
