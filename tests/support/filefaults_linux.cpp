#include "filefaults.h"

#include <QFile>
#include <sys/resource.h>

namespace r5::test {

struct FileSizeLimit::Saved
{
    rlimit limit{};
};

FileSizeLimit::FileSizeLimit(qint64 bytes) : m_saved(std::make_unique<Saved>())
{
    ::getrlimit(RLIMIT_FSIZE, &m_saved->limit);
    rlimit lower = m_saved->limit;
    lower.rlim_cur = rlim_t(bytes);
    m_ok = ::setrlimit(RLIMIT_FSIZE, &lower) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    ::setrlimit(RLIMIT_FSIZE, &m_saved->limit);
}

bool makeFullDiskFile(const QString &path)
{
    return QFile::link(QStringLiteral("/dev/full"), path);
}

bool runsUnderWine()
{
    return false;
}

} // namespace r5::test
