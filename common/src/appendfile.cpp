#include "r5/appendfile.h"

#include "appendfile_p.h"

namespace r5 {

AppendFile::AppendFile() = default;
AppendFile::~AppendFile() = default;

bool AppendFile::append(const QString &path, const QByteArray &bytes)
{
    if (!m_file || m_path != path || !m_file->namedBy(path)) {
        // Closed first: on Windows a file deleted while open keeps its name until then.
        close();
        m_file = detail::openForAppend(path);
        if (!m_file)
            return false;
        m_path = path;
    }
    if (!m_file->write(bytes)) {
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
