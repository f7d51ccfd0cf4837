#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <memory>

namespace r5 {

// Appends lines to a file that may change name (daily files). The file stays open between
// lines while its name stays the same and every line is flushed at once, so a crash loses
// nothing and a busy log does not reopen the file per line. Files are never truncated.
class AppendFile
{
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile &) = delete;
    AppendFile &operator=(const AppendFile &) = delete;

    // Writes `bytes` to `path` (opened for append, created when missing). Returns false when
    // the file cannot be opened or the bytes cannot all be written; the caller decides
    // whether and how to say so.
    bool append(const QString &path, const QByteArray &bytes);

    // Closes the file, for example when logging to it is switched off.
    void close();

    QString currentPath() const { return m_path; }

private:
    std::unique_ptr<QFile> m_file;
    QString m_path;
};

} // namespace r5
