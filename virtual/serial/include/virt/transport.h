#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

class QSocketNotifier;

namespace virt {

// Where the device's serial bytes go: a pseudo-terminal it creates, or a named serial port.
class Transport : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // The path or port name a peer opens.
    virtual QString name() const = 0;
    virtual void write(const QByteArray &bytes) = 0;

Q_SIGNALS:
    void received(const QByteArray &bytes);
    void problem(const QString &text);
};

// A named serial port at 115200 8N1, no flow control, as the device's line runs: QSerialPort on
// Linux, the Win32 port on Windows (which also serves Wine's COM ports).
class PortTransport final : public Transport
{
    Q_OBJECT
public:
    static std::unique_ptr<PortTransport> open(const QString &portName, QString *error);
    ~PortTransport() override;

    QString name() const override;
    void write(const QByteArray &bytes) override;

private:
    struct Port; // the platform's port
    PortTransport(std::unique_ptr<Port> port, const QString &name);
    std::unique_ptr<Port> m_port;
    QString m_name;
};

#ifdef Q_OS_UNIX
// A pseudo-terminal in raw mode. The device keeps its own handle on the terminal side open,
// so a peer may close and reopen the path any number of times.
class PtyTransport final : public Transport
{
    Q_OBJECT
public:
    static std::unique_ptr<PtyTransport> create(QString *error);
    ~PtyTransport() override;

    QString name() const override { return m_path; }
    void write(const QByteArray &bytes) override;

private:
    PtyTransport(int master, int slave, const QString &path);
    void readReady();
    void flush();

    int m_master;
    int m_slave;
    QString m_path;
    QByteArray m_pending;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
};
#endif

} // namespace virt
