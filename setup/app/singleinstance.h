#pragma once

#include <QLockFile>
#include <QString>

namespace r5setup {

// One copy per user. The marker is a lock file that names its owner's process; a copy that
// crashed or was killed leaves a lock whose owner is gone, and the next start takes it over,
// so a dead copy can never block later starts.
class SingleInstance
{
public:
    SingleInstance();
    // True when this process is the one copy; false when another copy is running.
    bool acquire();
    QString path() const { return m_path; }

private:
    QString m_path;
    QLockFile m_lock;
};

} // namespace r5setup
