#include "singleinstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace r5setup {

namespace {

QString lockPath()
{
    // The per-user runtime folder where there is one (it is emptied at logout), else the
    // temporary folder, which every user shares: there the name carries the user's id.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return QDir(runtime).filePath(u"R5200TX_Setup.lock"_s);
    const QString name = u"R5200TX_Setup-"_s + QString::number(::getuid());
    return QDir(QDir::tempPath()).filePath(name + u".lock"_s);
}

} // namespace

struct SingleInstance::Marker
{
    explicit Marker(const QString &path) : lock(path) {}
    QLockFile lock;
};

SingleInstance::SingleInstance() : m_path(lockPath())
{
    m_marker = std::make_unique<Marker>(m_path);
    // Stale only when the owning process is gone, however long the first copy has run.
    m_marker->lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

SingleInstance::Result SingleInstance::acquire()
{
    QLockFile &lock = m_marker->lock;
    if (lock.tryLock(0))
        return Result::First;
    // Only a lock that names a live owner means another copy; anything else in the way is a
    // marker that cannot be made.
    qint64 pid = 0;
    QString host;
    QString app;
    if (lock.error() == QLockFile::LockFailedError && QFileInfo(m_path).isFile() &&
        lock.getLockInfo(&pid, &host, &app))
        return Result::AnotherRunning;
    const QFileInfo info(m_path);
    if (info.exists() && !info.isFile())
        m_reason = u"something other than a file is in its place"_s;
    else if (lock.error() == QLockFile::PermissionError)
        m_reason = u"no permission to write in "_s + QDir::toNativeSeparators(info.absolutePath());
    else
        m_reason = u"it cannot be created"_s;
    return Result::CheckOff;
}

} // namespace r5setup
