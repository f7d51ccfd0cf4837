#include "singleinstance.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace r5setup {

namespace {

QString lockPath()
{
    // The per-user runtime folder where there is one (it is emptied at logout), else the
    // temporary folder.
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::tempPath();
    return QDir(folder).filePath(u"R5200TX_Setup.lock"_s);
}

} // namespace

SingleInstance::SingleInstance() : m_path(lockPath()), m_lock(m_path)
{
    // Stale only when the owning process is gone, however long the first copy has run.
    m_lock.setStaleLockTime(0);
}

bool SingleInstance::acquire()
{
    return m_lock.tryLock(0);
}

} // namespace r5setup
