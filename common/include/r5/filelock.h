#pragma once

#include <QString>
#include <memory>

namespace r5 {

// An exclusive lock on a file shared by programs that append to it (two r5200tx-cli runs on
// one bench writing one record): whoever holds it appends whole rows while the others wait.
// Advisory on Linux (flock); on Windows a byte range far past any data is locked, so the file
// stays readable and appendable by programs that do not lock it. Never blocks: tryLock() says
// at once whether the lock was had, and the caller waits on its own timer.
class FileLock
{
public:
    enum class Result { Locked, Busy, Failed };

    explicit FileLock(const QString &path);
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    // Opens the file (created when missing) and takes the lock if nobody holds it.
    Result tryLock();
    // Gives the lock back and closes the file; also done when the object goes.
    void unlock();
    // Why the file could not be opened or locked (Failed).
    QString errorString() const { return m_error; }

    struct Handle; // the platform's open file

private:
    QString m_path;
    QString m_error;
    std::unique_ptr<Handle> m_handle;
};

} // namespace r5
