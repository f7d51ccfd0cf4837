#pragma once

#include <QString>
#include <memory>

class QWidget;

namespace r5 {

// One copy per user. On Linux the marker is a lock file that names its owner's process; a copy
// that crashed or was killed leaves a lock whose owner is gone, and the next start takes it
// over. On Windows it is a named shared-memory object of the user's session, which the system
// removes with the last process that holds it. Either way a dead copy can never block later
// starts, and a marker that cannot be made at all (no room, no right to write, something else
// in its place) keeps no one out either: the program runs without the check and says so.
//
// A later start brings the first copy's window to the front before it ends, so the user is not
// left looking for it: on Linux through a local socket beside the lock, on Windows through the
// window handle the first copy keeps in the shared memory.
class SingleInstance
{
public:
    enum class Result { First, AnotherRunning, CheckOff };

    // `name` names the marker: the program's own, so that other programs do not count.
    explicit SingleInstance(const QString &name);
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    Result acquire();
    // The marker's file or object name.
    QString path() const { return m_path; }
    // Why the check is off, after acquire() gave CheckOff.
    QString reason() const { return m_reason; }

    // The first copy: `window` is the one a later start brings to the front, for as long as it
    // lives.
    void serve(QWidget *window);
    // A later copy (acquire() gave AnotherRunning): asks the first copy's window to the front.
    // False when it could not be reached; nothing is shown either way.
    bool raiseFirst();

private:
    struct Marker; // held until the process ends
    std::unique_ptr<Marker> m_marker;
    QString m_path;
    QString m_reason;
};

// Brings a window to the front as far as the platform lets a program do it.
void bringToFront(QWidget *window);

} // namespace r5
