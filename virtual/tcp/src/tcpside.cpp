#include "virt/tcpside.h"

#include <QTcpSocket>
#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace virt {

namespace {
// Rejected bytes as spaced hex; a long run is cut, with its size.
QString hexSpaced(const QByteArray &bytes)
{
    constexpr qsizetype kShown = 16;
    const QString shown = QString::fromLatin1(bytes.left(kShown).toHex(' ').toUpper());
    return bytes.size() <= kShown ? shown : shown + u" … (%1 bytes)"_s.arg(bytes.size());
}

QString peerName(const QTcpSocket &socket)
{
    return socket.peerAddress().toString() + u':' + QString::number(socket.peerPort());
}
} // namespace

TcpSide::TcpSide(QObject *parent) : QObject(parent)
{
    m_clock.start();
    m_pulseTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_server, &QTcpServer::newConnection, this, &TcpSide::accept);
    connect(&m_pulseTimer, &QTimer::timeout, this, [this] { m_pulses.step(m_state, m_clock.elapsed()); });
    m_summaryTimer.setInterval(1000);
    connect(&m_summaryTimer, &QTimer::timeout, this, &TcpSide::summarise);
    m_summaryTimer.start();
}

TcpSide::~TcpSide()
{
    dropClients();
}

bool TcpSide::start(const TcpConfig &config)
{
    m_config = config;
    applyPulseRate();
    return listen();
}

void TcpSide::reconfigure(const TcpConfig &config)
{
    const bool relisten = config.address != m_config.address || config.port != m_config.port;
    m_config = config;
    applyPulseRate();
    for (Client &c : m_clients)
        armExpiry(c);
    if (relisten) {
        dropClients();
        m_server.close();
        listen();
    }
    Q_EMIT log(u"TCP settings applied: mode "_s + QChar::fromLatin1(m_config.mode) + u", expiry "_s +
               QString::number(m_config.expirySeconds) + u" s"_s);
}

quint16 TcpSide::port() const
{
    return m_server.serverPort();
}

void TcpSide::resetCounters()
{
    m_state.counters.fill(0);
    m_state.gapTimesMs.fill(0);
    m_pulses.reset();
    Q_EMIT log(u"TCP counters cleared"_s);
}

void TcpSide::halt()
{
    dropClients();
    m_server.close();
}

bool TcpSide::resume()
{
    return m_server.isListening() || listen();
}

bool TcpSide::listen()
{
    const QString where = m_config.address.toString() + u':' + QString::number(m_config.port);
    if (!m_server.listen(m_config.address, m_config.port)) {
        Q_EMIT log(u"TCP cannot listen on "_s + where + u": "_s + m_server.errorString());
        return false;
    }
    Q_EMIT log(u"TCP listening on "_s + m_config.address.toString() + u':' +
               QString::number(m_server.serverPort()));
    return true;
}

void TcpSide::dropClients()
{
    const auto sockets = m_clients.keys();
    for (QTcpSocket *s : sockets)
        closeClient(s, u"dropped"_s);
}

void TcpSide::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        if (m_clients.size() >= kMaxClients) {
            const QString name = peerName(*socket);
            socket->abort();
            socket->deleteLater();
            if (m_refusals.admit(m_clock.elapsed()))
                Q_EMIT log(u"TCP client "_s + name +
                           u" refused: %1 clients already connected"_s.arg(kMaxClients));
            else
                ++m_heldRefusals;
            continue;
        }
        Client &c = m_clients[socket];
        c.name = peerName(*socket);
        c.expiry = new QTimer(socket);
        c.expiry->setSingleShot(true);
        connect(c.expiry, &QTimer::timeout, this, [this, socket] {
            closeClient(socket, u"closed after "_s + QString::number(expirySeconds()) + u" s of silence"_s);
        });
        // Qt stops taking this client's bytes from the system once its buffer holds this many,
        // so a client that sends faster than it is served is held back by TCP itself.
        socket->setReadBufferSize(kTurnBytes * 4);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readClient(socket); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { readClient(socket); });
        connect(socket, &QTcpSocket::disconnected, this,
                [this, socket] { closeClient(socket, u"disconnected"_s); });
        armExpiry(c);
        Q_EMIT log(u"TCP client "_s + c.name + u" connected"_s);
    }
}

int TcpSide::expirySeconds() const
{
    return m_config.expirySeconds == 0 ? kIdleLimitSeconds : int(m_config.expirySeconds);
}

void TcpSide::armExpiry(Client &client)
{
    client.expiry->start(expirySeconds() * 1000);
}

void TcpSide::readClient(QTcpSocket *socket)
{
    const auto it = m_clients.find(socket);
    if (it == m_clients.end())
        return;
    Client &c = *it;
    // Its reports first: until they have gone out, its commands wait in the system's buffers.
    if (socket->bytesToWrite() >= kMaxUnsent)
        return;
    const qint64 room = kTurnBytes - c.pending.size();
    if (room > 0)
        c.pending.append(socket->read(room));
    if (c.pending.isEmpty())
        return;
    armExpiry(c);
    const qint64 now = m_clock.elapsed();
    if (m_silent) {
        c.pending.clear();
        if (socket->bytesAvailable() > 0)
            queueTurn(socket, c);
        return;
    }
    const TcpParse parsed = parseTcpCommands(c.pending);
    for (const QByteArray &bad : parsed.rejected) {
        if (c.gate.admit(now))
            Q_EMIT log(u"TCP "_s + c.name + u" ignored "_s + hexSpaced(bad));
        else
            c.heldIgnored += bad.size();
    }
    for (const TcpCommand &command : parsed.commands) {
        applyCommand(m_state, command);
        const QByteArray report = buildReport(m_state, m_config.mode, m_config.checkByte);
        socket->write(report);
        if (c.gate.admit(now))
            Q_EMIT log(u"TCP "_s + c.name + u' ' + describeCommand(command) + u", sent "_s +
                       QString::number(report.size()) + u"-byte report"_s);
        else
            ++c.heldCommands;
    }
    c.pending.remove(0, parsed.consumed);
    if (socket->bytesAvailable() > 0)
        queueTurn(socket, c);
}

void TcpSide::queueTurn(QTcpSocket *socket, Client &client)
{
    if (client.turnQueued)
        return;
    client.turnQueued = true;
    // Behind whatever else is waiting: the other clients, the timers, a signal to stop.
    QTimer::singleShot(0, socket, [this, socket] {
        const auto it = m_clients.find(socket);
        if (it == m_clients.end())
            return;
        it->turnQueued = false;
        readClient(socket);
    });
}

void TcpSide::summarise()
{
    m_refusals.takeHeld();
    if (m_heldRefusals > 0)
        Q_EMIT log(
            u"TCP in the last second also: %1 client(s) refused, %2 already connected"_s.arg(m_heldRefusals)
                .arg(kMaxClients));
    m_heldRefusals = 0;
    for (auto it = m_clients.begin(); it != m_clients.end(); ++it) {
        Client &c = *it;
        c.gate.takeHeld();
        if (c.heldCommands == 0 && c.heldIgnored == 0)
            continue;
        Q_EMIT log(
            u"TCP "_s + c.name +
            u" in the last second also: %1 command(s) answered, %2 byte(s) ignored"_s.arg(c.heldCommands)
                .arg(c.heldIgnored));
        c.heldCommands = 0;
        c.heldIgnored = 0;
    }
}

void TcpSide::closeClient(QTcpSocket *socket, const QString &why)
{
    const auto it = m_clients.find(socket);
    if (it == m_clients.end())
        return;
    const QString name = it->name;
    if (it->heldCommands > 0 || it->heldIgnored > 0)
        Q_EMIT log(u"TCP "_s + name +
                   u" before it went also: %1 command(s) answered, %2 byte(s) ignored"_s.arg(it->heldCommands)
                       .arg(it->heldIgnored));
    m_clients.erase(it);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    Q_EMIT log(u"TCP client "_s + name + u' ' + why);
}

void TcpSide::applyPulseRate()
{
    if (m_config.pulsesPerSecond <= 0 || !std::isfinite(m_config.pulsesPerSecond)) {
        m_pulseTimer.stop();
        return;
    }
    // Two steps per pulse on input 1: one up, one down.
    const double stepMs = 1000.0 / (2.0 * m_config.pulsesPerSecond);
    const int interval = std::max(1, int(std::lround(std::min(stepMs, 3600000.0))));
    if (!m_pulseTimer.isActive() || m_pulseTimer.interval() != interval)
        m_pulseTimer.start(interval);
}

} // namespace virt
