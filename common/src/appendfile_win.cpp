#include "appendfile_p.h"
#include "r5/appendfile.h"

#include <QDir>
#include <algorithm>
#include <limits>
#include <windows.h>

namespace r5 {

namespace {

struct Identity
{
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    bool operator==(const Identity &) const = default;
};

bool identityOf(HANDLE handle, Identity *id)
{
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(handle, &info))
        return false;
    *id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

const wchar_t *nativePath(const QString &path, QString *keep)
{
    *keep = QDir::toNativeSeparators(path);
    return reinterpret_cast<const wchar_t *>(keep->utf16());
}

// Every share mode: others may read the day's file, and rename or delete it while it is open
// here, as they can on Linux.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class WinFile final : public detail::OpenFile
{
public:
    explicit WinFile(HANDLE handle) : m_handle(handle) {}
    ~WinFile() override { CloseHandle(m_handle); }
    WinFile(const WinFile &) = delete;
    WinFile &operator=(const WinFile &) = delete;

    bool write(QByteArrayView bytes) override
    {
        // With append-only access the system puts each write at the file's end in one piece,
        // also when another program appends to the same file.
        // A short write (the disk filling up) has its rest tried again.
        while (!bytes.isEmpty()) {
            const auto piece = DWORD(std::min<qsizetype>(bytes.size(), std::numeric_limits<DWORD>::max()));
            DWORD written = 0;
            if (!WriteFile(m_handle, bytes.data(), piece, &written, nullptr) || written == 0)
                return false;
            bytes = bytes.sliced(written);
        }
        return true;
    }

    bool namedBy(const QString &path) const override
    {
        FILE_STANDARD_INFO standard = {};
        if (!GetFileInformationByHandleEx(m_handle, FileStandardInfo, &standard, sizeof standard) ||
            standard.DeletePending)
            return false; // deleted: the name goes when the last handle closes
        Identity open;
        if (!identityOf(m_handle, &open))
            return false;
        QString keep;
        // No access asked: only the identity is read, whoever else holds the file.
        const HANDLE named = CreateFileW(nativePath(path, &keep), 0, kShareAll, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr);
        if (named == INVALID_HANDLE_VALUE)
            return false;
        Identity current;
        const bool same = identityOf(named, &current) && current == open;
        CloseHandle(named);
        return same;
    }

private:
    HANDLE m_handle;
};

} // namespace

std::unique_ptr<detail::OpenFile> detail::openForAppend(const QString &path)
{
    QString keep;
    const HANDLE handle = CreateFileW(nativePath(path, &keep), FILE_APPEND_DATA, kShareAll, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    return std::make_unique<WinFile>(handle);
}

void ignoreFileSizeSignal()
{
    // Windows has no per-process file-size limit: a write past the disk's room fails.
}

} // namespace r5
