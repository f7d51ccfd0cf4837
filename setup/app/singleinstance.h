#pragma once

#include <QString>
#include <memory>

namespace r5setup {

// One copy per user. On Linux the marker is a lock file that names its owner's process; a copy
// that crashed or was killed leaves a lock whose owner is gone, and the next start takes it
// over. On Windows it is a named shared-memory object of the user's session, which the system
// removes with the last process that holds it. Either way a dead copy can never block later
// starts, and a marker that cannot be made at all (no room, no right to write, something else
// in its place) keeps no one out either: the program runs without the check and says so.
class SingleInstance
{
public:
    enum class Result { First, AnotherRunning, CheckOff };

    SingleInstance();
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    Result acquire();
    // The marker's file or object name.
    QString path() const { return m_path; }
    // Why the check is off, after acquire() gave CheckOff.
    QString reason() const { return m_reason; }

private:
    struct Marker; // held until the process ends
    std::unique_ptr<Marker> m_marker;
    QString m_path;
    QString m_reason;
};

} // namespace r5setup
