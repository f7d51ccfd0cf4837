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
    // Unbuffered: what write() reports is what reached the file, so a short write is seen and
    // its rest tried again, and nothing is left over in a buffer to land later behind a new line.
    bool open() { return m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered); }

    bool write(QByteArrayView bytes) override
    {
        qint64 done = 0;
        while (done < bytes.size()) {
            const qint64 n = m_file.write(bytes.data() + done, bytes.size() - done);
            if (n <= 0)
                return false;
            done += n;
        }
        return true;
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
