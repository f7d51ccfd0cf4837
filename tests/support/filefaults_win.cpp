#include "filefaults.h"

#include <windows.h>

namespace r5::test {

struct FileSizeLimit::Saved
{
};

FileSizeLimit::FileSizeLimit(qint64) {}

FileSizeLimit::~FileSizeLimit() = default;

bool makeFullDiskFile(const QString &)
{
    return false;
}

SmallDisk::SmallDisk() : m_whyNot(QStringLiteral("no tmpfs on Windows")) {}

SmallDisk::~SmallDisk() = default;

bool SmallDisk::fill()
{
    return false;
}

bool SmallDisk::makeRoom()
{
    return false;
}

bool runsUnderWine()
{
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

} // namespace r5::test
