#include "r5/appendfile.h"

#include "appendfile_p.h"

#include <QFile>

namespace r5 {

namespace {
// What ends the file's last line when it does not end with one: the line end `bytes` uses.
QByteArray lineEndAfter(const QString &path, QByteArrayView bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0 || !file.seek(file.size() - 1))
        return {};
    char last = 0;
    if (!file.getChar(&last) || last == '\n')
        return {};
    return bytes.endsWith("\r\n") && last != '\r' ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
}
} // namespace

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
        // A row cut short earlier (a full disk, a crash) is ended first, so the next row starts
        // on a line of its own instead of being glued to the torn one.
        const QByteArray end = lineEndAfter(path, bytes);
        if (!end.isEmpty() && !m_file->write(end)) {
            close();
            return false;
        }
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
