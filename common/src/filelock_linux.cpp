#include "r5/filelock.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace r5 {

struct FileLock::Handle
{
    int fd = -1;
    ~Handle()
    {
        if (fd >= 0)
            ::close(fd); // the lock goes with the descriptor
    }
};

FileLock::FileLock(const QString &path) : m_path(path) {}
FileLock::~FileLock() = default;

FileLock::Result FileLock::tryLock()
{
    m_error.clear();
    if (!m_handle) {
        const int fd =
            ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            m_error = QString::fromLocal8Bit(std::strerror(errno));
            return Result::Failed;
        }
        m_handle = std::make_unique<Handle>();
        m_handle->fd = fd;
    }
    // flock, not fcntl: an fcntl lock is the process's and goes when any descriptor of the file
    // closes, which the appender's own handle would do.
    for (;;) {
        if (::flock(m_handle->fd, LOCK_EX | LOCK_NB) == 0)
            return Result::Locked;
        if (errno == EINTR)
            continue;
        if (errno == EWOULDBLOCK)
            return Result::Busy;
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        m_handle.reset();
        return Result::Failed;
    }
}

void FileLock::unlock()
{
    m_handle.reset();
}

} // namespace r5
