#include "r5/singleinstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QWidget>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace r5 {

namespace {

QString lockPath(const QString &name)
{
    // The per-user runtime folder where there is one (it is emptied at logout), else the
    // temporary folder, which every user shares: there the name carries the user's id.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return QDir(runtime).filePath(name + u".lock"_s);
    return QDir(QDir::tempPath()).filePath(name + u'-' + QString::number(::getuid()) + u".lock"_s);
}

// Beside the lock, so that only the lock's owner ever listens on it.
QString socketPath(const QString &lock)
{
    return lock.chopped(int(qstrlen(".lock"))) + u".socket"_s;
}

// How long a later copy waits for the first one to take its call: it has no window of its own
// and ends right after.
constexpr int kCallMs = 2000;

} // namespace

struct SingleInstance::Marker
{
    explicit Marker(const QString &path) : lock(path) {}
    QLockFile lock;
    QLocalServer server;
    QPointer<QWidget> window;
};

SingleInstance::SingleInstance(const QString &name) : m_path(lockPath(name))
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

void SingleInstance::serve(QWidget *window)
{
    Marker &m = *m_marker;
    m.window = window;
    // Without the lock another copy may be listening: its socket is not ours to take.
    if (m.server.isListening() || !m.lock.isLocked())
        return;
    // The lock is ours: a socket left by a copy that was killed is stale.
    const QString path = socketPath(m_path);
    QLocalServer::removeServer(path);
    m.server.setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(&m.server, &QLocalServer::newConnection, &m.server, [&m] {
        while (QLocalSocket *caller = m.server.nextPendingConnection()) {
            caller->disconnectFromServer();
            caller->deleteLater();
            if (m.window)
                bringToFront(m.window);
        }
    });
    // Without the socket a later start still ends; it only cannot raise this window.
    m.server.listen(path);
}

bool SingleInstance::raiseFirst()
{
    QLocalSocket call;
    call.connectToServer(socketPath(m_path));
    return call.waitForConnected(kCallMs);
}

} // namespace r5
