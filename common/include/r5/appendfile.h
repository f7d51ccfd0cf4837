#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

namespace r5 {

namespace detail {
class OpenFile;
}

// Appends lines to a file that may change name (daily files). The file stays open between
// lines while its name stays the same and every line is flushed at once, so a crash loses
// nothing and a busy log does not reopen the file per line. Files are never truncated.
//
// Before each write the open file is checked against what its path names now: when the file
// was renamed, deleted or its folder replaced, the path is opened afresh (and created), so
// lines never go on into a file nobody can find. Others may read, rename and delete the file
// while it is open here, on Windows too.
class AppendFile
{
public:
    AppendFile();
    ~AppendFile();
    AppendFile(const AppendFile &) = delete;
    AppendFile &operator=(const AppendFile &) = delete;

    // Writes `bytes` to `path` (opened for append, created when missing). Returns false when
    // the file cannot be opened or the bytes cannot all be written (no room on the disk, the
    // process's file-size limit); the caller decides whether and how to say so.
    bool append(const QString &path, const QByteArray &bytes);

    // Closes the file, for example when logging to it is switched off.
    void close();

    QString currentPath() const { return m_path; }

private:
    std::unique_ptr<detail::OpenFile> m_file;
    QString m_path;
};

// A write past the process's file-size limit ends the process with SIGXFSZ unless the signal
// is ignored; ignored, the write fails with EFBIG and takes the program's failure path. Each
// program calls this once at start, before it writes any file (nothing to do on Windows).
void ignoreFileSizeSignal();

} // namespace r5
