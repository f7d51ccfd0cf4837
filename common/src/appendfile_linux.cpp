#include "appendfile_p.h"
#include "r5/appendfile.h"

#include <QFile>
#include <csignal>
#include <sys/stat.h>

namespace r5 {

namespace {

class PosixFile final : public detail::OpenFile
{
public:
    explicit PosixFile(const QString &path) : m_file(path) {}
    bool open() { return m_file.open(QIODevice::WriteOnly | QIODevice::Append); }

    bool write(QByteArrayView bytes) override
    {
        const qint64 written = m_file.write(bytes.data(), bytes.size());
        const bool flushed = m_file.flush();
        return written == bytes.size() && flushed;
    }

    bool namedBy(const QString &path) const override
    {
        // One fstat and one stat per write: cheap next to the write itself.
        struct stat open = {};
        struct stat named = {};
        if (::fstat(m_file.handle(), &open) != 0)
            return false;
        if (::stat(QFile::encodeName(path).constData(), &named) != 0)
            return false;
        return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
    }

private:
    QFile m_file;
};

} // namespace

std::unique_ptr<detail::OpenFile> detail::openForAppend(const QString &path)
{
    auto file = std::make_unique<PosixFile>(path);
    if (!file->open())
        return nullptr;
    return file;
}

void ignoreFileSizeSignal()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace r5
