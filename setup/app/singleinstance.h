#pragma once

#include <QLockFile>
#include <QString>

namespace r5setup {

// One copy per user. The marker is a lock file that names its owner's process; a copy that
// crashed or was killed leaves a lock whose owner is gone, and the next start takes it over,
// so a dead copy can never block later starts. A marker that cannot be made at all (no room,
// no right to write, something else in its place) keeps no one out either: the program runs
// without the check and says so.
class SingleInstance
{
public:
    enum class Result { First, AnotherRunning, CheckOff };

    SingleInstance();
    Result acquire();
    QString path() const { return m_path; }
    // Why the check is off, after acquire() gave CheckOff.
    QString reason() const { return m_reason; }

private:
    QString m_path;
    QLockFile m_lock;
    QString m_reason;
};

} // namespace r5setup
