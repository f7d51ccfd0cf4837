#include "r5/appendfile.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/stat.h>
#endif

namespace r5 {

AppendFile::~AppendFile() = default;

bool AppendFile::stillNamedByPath() const
{
#ifdef Q_OS_UNIX
    // One fstat and one stat per write: cheap next to the write itself.
    struct stat open = {};
    struct stat named = {};
    if (::fstat(m_file->handle(), &open) != 0)
        return false;
    if (::stat(QFile::encodeName(m_path).constData(), &named) != 0)
        return false;
    return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
#else
    // Windows refuses to rename or delete a file that is open here.
    return true;
#endif
}

bool AppendFile::append(const QString &path, const QByteArray &bytes)
{
    if (!m_file || m_path != path || !m_file->isOpen() || !stillNamedByPath()) {
        close();
        auto file = std::make_unique<QFile>(path);
        if (!file->open(QIODevice::WriteOnly | QIODevice::Append))
            return false;
        m_file = std::move(file);
        m_path = path;
    }
    const qint64 written = m_file->write(bytes);
    const bool flushed = m_file->flush();
    if (written != bytes.size() || !flushed) {
        // Drop the handle: the next line tries afresh (the disk may have room again).
        close();
        return false;
    }
    return true;
}

void AppendFile::close()
{
    m_file.reset();
    m_path.clear();
}

void ignoreFileSizeSignal()
{
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

} // namespace r5
