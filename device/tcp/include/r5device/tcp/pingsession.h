#pragma once

#include "r5device/tcp/echo.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace disim {

class HostResolver;

// The reachability test: one echo attempt now and one each second, each ending in one line.
// Attempts never overlap; ticks that fall due during an attempt collapse into one attempt
// right after it, as on a busy single-threaded timer.
class PingSession : public QObject
{
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 1000;

    PingSession(HostResolver &resolver, Echo &echo, QObject *parent = nullptr);

    // Runs one attempt against `target` (as typed) and starts the one-second timer.
    void start(const QString &target);
    // Stops the timer and drops an attempt under way. False when the test was not running.
    bool stop();
    bool isRunning() const { return m_timer.isActive(); }
    bool isAttemptRunning() const { return m_busy; }

Q_SIGNALS:
    void line(const QString &text);

private:
    void tick();
    void attempt();
    void echoFinished(const disim::EchoResult &result);
    void attemptDone(const QString &text);

    HostResolver &m_resolver;
    Echo &m_echo;
    QTimer m_timer;
    QString m_target;
    QHostAddress m_address;
    quint64 m_generation = 0;
    bool m_busy = false;
    bool m_tickDue = false;
};

} // namespace disim
