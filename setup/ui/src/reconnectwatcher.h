#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

namespace r5setup {

class SerialLink;

// "Reconnect": while a port the installer had connected is gone, tries to open it again (same
// name, same settings) on a timer until it opens. Opening is the only test that works for every
// kind of port name (a symbolic link to a pseudo-terminal is in no port list), and it costs
// nothing while the name does not exist. Nothing is sent on the port.
class ReconnectWatcher final : public QObject
{
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 500;

    explicit ReconnectWatcher(SerialLink &link, QObject *parent = nullptr);

    void start();
    void stop();
    bool watching() const { return m_timer.isActive(); }

    static QString lostLine(const QString &port);
    static QString returnedLine(const QString &port);

Q_SIGNALS:
    // The port is open again; the watch has ended.
    void returned();

private:
    void tryOpen();

    SerialLink &m_link;
    QTimer m_timer;
};

} // namespace r5setup
