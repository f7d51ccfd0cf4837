#include "r5/appendfile.h"

namespace r5 {

AppendFile::~AppendFile() = default;

bool AppendFile::append(const QString &path, const QByteArray &bytes)
{
    if (!m_file || m_path != path || !m_file->isOpen()) {
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

} // namespace r5
