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

// A 64 KiB tmpfs mounted on a temporary folder while it lives, for a disk that really fills
// up. Mounting needs root on Linux; elsewhere, or without the right, whyNot() says why there is
// none. fill() takes its last free byte with a filler file; makeRoom() deletes the filler.
class SmallDisk
{
public:
    SmallDisk();
    ~SmallDisk();
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    QString whyNot() const { return m_whyNot; }
    QString path() const { return m_path; }
    bool fill();
    bool makeRoom();

private:
    QString m_path;
    QString m_whyNot;
};

// True under Wine (the Windows test runs), where a few things differ from Windows. One: a file
// deleted while open keeps its name until the last handle closes, and nothing tells of the
// pending delete; what Windows shows there, Wine cannot (kWineKeepsDeletedFile says so).
bool runsUnderWine();
inline constexpr char kWineKeepsDeletedFile[] =
    "Wine keeps a deleted file's name while it is open and reports no pending delete";

} // namespace r5::test
