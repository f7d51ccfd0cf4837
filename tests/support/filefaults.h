#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

namespace r5::test {

// Holds the process's file-size limit at `bytes` while it lives, so a write past it fails as on
// a full disk (once SIGXFSZ is ignored, as r5::ignoreFileSizeSignal() does in the programs).
// Windows has no such limit: there ok() is false.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;
    bool ok() const { return m_ok; }

private:
    struct Saved;
    std::unique_ptr<Saved> m_saved;
    bool m_ok = false;
};

// Puts at `path` a file that refuses every byte for want of room (a link to /dev/full). False
// where the system has no such file (Windows).
bool makeFullDiskFile(const QString &path);

// True under Wine, which keeps a file deleted while open under its name until the last handle
// closes, and says nothing of the pending delete: what Windows shows there, Wine cannot.
bool runsUnderWine();

} // namespace r5::test
