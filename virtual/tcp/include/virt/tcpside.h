#pragma once

#include "virt/floodgate.h"
#include "virt/tcpprotocol.h"

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QTimer>

class QTcpSocket;

namespace virt {

struct TcpConfig
{
    QHostAddress address{QHostAddress::LocalHost};
    quint16 port = 4000;
    char mode = 'N';            // 'N' 33-byte reports, 'G' 57-byte reports with gap times
    bool checkByte = false;     // 'N' mode only: the 34-byte report with a check byte
    quint8 expirySeconds = 0;   // a client silent this long is closed (0: kIdleLimitSeconds)
    double pulsesPerSecond = 0; // simulated pulses on input 1 (input i runs i + 1 times slower)
};

// The TCP server side of the virtual device: up to kMaxClients clients at once, each sending
// 4-byte commands and getting status reports back. A client is served a turn at a time (at most
// kTurnBytes of its commands), so a busy client leaves the others their turn; a client whose
// reports wait unsent beyond kMaxUnsent is not read until they have gone out, so one that
// never reads holds back only itself. What a flood does is logged as a count per second.
class TcpSide : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kTurnBytes = 4096;
    static constexpr qint64 kMaxUnsent = 64 * 1024;
    // More are refused (closed at once, and the console says so): every client costs buffers
    // and a timer, and a device has only so many sockets.
    static constexpr int kMaxClients = 64;
    // With an expiry of 0 a silent client is still closed, after the longest expiry the device
    // can be set to: otherwise clients that went quiet would hold every place for good.
    static constexpr int kIdleLimitSeconds = 255;

    explicit TcpSide(QObject *parent = nullptr);
    ~TcpSide() override;

    // Listens on the configured address and port (0: any free port). False when it cannot.
    bool start(const TcpConfig &config);
    // Applies settings as the device does after a reboot: a new address or port drops the
    // clients and listens anew; a new mode applies to the next report.
    void reconfigure(const TcpConfig &config);
    quint16 port() const;
    // Factory reset with counter clear.
    void resetCounters();
    // A device switched off: the port closes (connections are refused) and the clients drop.
    void halt();
    // Switched on again: listens as configured. False when it cannot.
    bool resume();
    bool isListening() const { return m_server.isListening(); }
    // A device that hangs: connections are taken, but commands get no answer.
    void setSilent(bool silent) { m_silent = silent; }
    bool isSilent() const { return m_silent; }
    TcpConfig config() const { return m_config; }
    // The DI state, as the next report would carry it.
    const DiState &state() const { return m_state; }
    int clientCount() const { return int(m_clients.size()); }

Q_SIGNALS:
    void log(const QString &line);

private:
    struct Client
    {
        QByteArray pending;
        QTimer *expiry = nullptr;
        QString name;
        FloodGate gate;
        qint64 heldCommands = 0; // answered without a line of their own
        qint64 heldIgnored = 0;  // bytes skipped without a line of their own
        bool turnQueued = false;
    };

    bool listen();
    void dropClients();
    void accept();
    void readClient(QTcpSocket *socket);
    void queueTurn(QTcpSocket *socket, Client &client);
    void summarise();
    void closeClient(QTcpSocket *socket, const QString &why);
    void armExpiry(Client &client);
    int expirySeconds() const;
    void applyPulseRate();

    TcpConfig m_config;
    QTcpServer m_server;
    QHash<QTcpSocket *, Client> m_clients;
    DiState m_state;
    PulseModel m_pulses;
    QTimer m_pulseTimer;
    QTimer m_summaryTimer;
    QElapsedTimer m_clock;
    FloodGate m_refusals;
    qint64 m_heldRefusals = 0; // refused without a line of their own
    bool m_silent = false;
};

} // namespace virt
