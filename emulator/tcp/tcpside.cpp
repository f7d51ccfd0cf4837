#include "tcpside.h"

#include <QTcpSocket>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace emu {

namespace {
QString hexSpaced(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}
} // namespace

TcpSide::TcpSide(QObject *parent)
    : QObject(parent)
{
    m_clock.start();
    m_pulseTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_server, &QTcpServer::newConnection, this, &TcpSide::accept);
    connect(&m_pulseTimer, &QTimer::timeout, this,
            [this] { m_pulses.step(m_state, m_clock.elapsed()); });
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
    Q_EMIT log(u"TCP settings applied: mode "_s + QChar::fromLatin1(m_config.mode)
               + u", expiry "_s + QString::number(m_config.expirySeconds) + u" s"_s);
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

bool TcpSide::listen()
{
    const QString where = m_config.address.toString() + u':' + QString::number(m_config.port);
    if (!m_server.listen(m_config.address, m_config.port)) {
        Q_EMIT log(u"TCP cannot listen on "_s + where + u": "_s + m_server.errorString());
        return false;
    }
    Q_EMIT log(u"TCP listening on "_s + m_config.address.toString() + u':'
               + QString::number(m_server.serverPort()));
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
        Client &c = m_clients[socket];
        c.name = socket->peerAddress().toString() + u':' + QString::number(socket->peerPort());
        c.expiry = new QTimer(socket);
        c.expiry->setSingleShot(true);
        connect(c.expiry, &QTimer::timeout, this, [this, socket] {
            closeClient(socket, u"closed after "_s + QString::number(m_config.expirySeconds)
                            + u" s of silence"_s);
        });
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readClient(socket); });
        connect(socket, &QTcpSocket::disconnected, this,
                [this, socket] { closeClient(socket, u"disconnected"_s); });
        armExpiry(c);
        Q_EMIT log(u"TCP client "_s + c.name + u" connected"_s);
    }
}

void TcpSide::armExpiry(Client &client)
{
    if (m_config.expirySeconds == 0)
        client.expiry->stop();
    else
        client.expiry->start(int(m_config.expirySeconds) * 1000);
}

void TcpSide::readClient(QTcpSocket *socket)
{
    const auto it = m_clients.find(socket);
    if (it == m_clients.end())
        return;
    Client &c = *it;
    c.pending.append(socket->readAll());
    armExpiry(c);
    const TcpParse parsed = parseTcpCommands(c.pending);
    for (const QByteArray &bad : parsed.rejected)
        Q_EMIT log(u"TCP "_s + c.name + u" ignored "_s + hexSpaced(bad));
    for (const TcpCommand &command : parsed.commands) {
        applyCommand(m_state, command);
        const QByteArray report = buildReport(m_state, m_config.mode, m_config.checkByte);
        socket->write(report);
        Q_EMIT log(u"TCP "_s + c.name + u' ' + describeCommand(command) + u", sent "_s
                   + QString::number(report.size()) + u"-byte report"_s);
    }
    c.pending.remove(0, parsed.consumed);
}

void TcpSide::closeClient(QTcpSocket *socket, const QString &why)
{
    const auto it = m_clients.find(socket);
    if (it == m_clients.end())
        return;
    const QString name = it->name;
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

} // namespace emu
