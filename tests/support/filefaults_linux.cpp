#include "filefaults.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

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

namespace {
const QString kFiller = QStringLiteral("/.filler");
}

SmallDisk::SmallDisk()
{
    char folder[] = "/tmp/r5-smalldisk-XXXXXX";
    if (!::mkdtemp(folder)) {
        m_whyNot = QStringLiteral("no temporary folder: ") + QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    if (::mount("tmpfs", folder, "tmpfs", MS_NOSUID | MS_NODEV, "size=64k,mode=0700") != 0) {
        m_whyNot = QStringLiteral("cannot mount a tmpfs (needs root): ") +
                   QString::fromLocal8Bit(std::strerror(errno));
        ::rmdir(folder);
        return;
    }
    m_path = QString::fromLocal8Bit(folder);
}

SmallDisk::~SmallDisk()
{
    if (m_path.isEmpty())
        return;
    const QByteArray folder = QFile::encodeName(m_path);
    ::umount2(folder.constData(), MNT_DETACH);
    ::rmdir(folder.constData());
}

bool SmallDisk::fill()
{
    const int fd =
        ::open(QFile::encodeName(m_path + kFiller).constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd < 0)
        return false;
    // A byte at a time at the end, so the last page's last byte is taken too.
    char block[4096] = {};
    while (::write(fd, block, sizeof block) > 0) {
    }
    while (::write(fd, block, 1) > 0) {
    }
    const bool full = errno == ENOSPC;
    ::close(fd);
    return full;
}

bool SmallDisk::makeRoom()
{
    return QFile::remove(m_path + kFiller);
}

bool runsUnderWine()
{
    return false;
}

} // namespace r5::test
