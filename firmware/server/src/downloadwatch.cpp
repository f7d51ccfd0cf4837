#include "r5fw/downloadwatch.h"

#include "r5fw/firmwareserver.h"

#include <QNetworkInterface>

namespace r5fw {

QStringList localIPv4Addresses()
{
    QStringList addresses;
    for (const QHostAddress &address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            addresses.append(address.toString());
    }
    return addresses;
}

std::optional<QString> primaryIPv4Address()
{
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    if (interfaces.isEmpty())
        return std::nullopt;
    for (const QNetworkInterface &nic : interfaces) {
        const auto flags = nic.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::IsRunning) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : nic.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                return entry.ip().toString();
        }
    }
    return QStringLiteral("127.0.0.1");
}

DownloadWatch::DownloadWatch(FirmwareServer &server, r5::Clock &clock, std::function<void()> askStatus,
                             QObject *parent)
    : QObject(parent), m_server(server), m_clock(clock), m_askStatus(std::move(askStatus))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { apply(m_follow.due(now())); });
    connect(&server, &FirmwareServer::requested, this,
            [this](const QString &name) { m_follow.requested(name); });
    connect(&server, &FirmwareServer::transferEnded, this,
            [this](const Transfer &transfer) { apply(m_follow.transferEnded(transfer, now())); });
    connect(&server, &FirmwareServer::refused, this,
            [this](const QString &peer, const QString &name, int status, const QString &why) {
                apply(m_follow.refused(peer, name, status, why));
            });
}

void DownloadWatch::start(const QString &address, quint16 port, const QString &orderedPath)
{
    const DownloadFollow::OwnServer own{m_server.isListening(), m_server.port(), localIPv4Addresses()};
    apply(m_follow.start(address, port, orderedPath, own, m_lastVersion, now()));
}

void DownloadWatch::statusAnswered(const QString &version)
{
    m_lastVersion = version;
    if (m_follow.active())
        apply(m_follow.statusAnswered(version, now()));
}

void DownloadWatch::apply(const DownloadFollow::Step &step)
{
    for (const QString &text : step.lines)
        Q_EMIT line(text);
    if (step.askStatus)
        m_askStatus();
    if (step.outcome) {
        m_timer.stop();
        Q_EMIT finished(*step.outcome);
        return;
    }
    if (m_follow.active())
        m_timer.start(
            int(std::clamp<qint64>(m_follow.nextDueAt() - now(), 0, DownloadFollow::kAnswerWithinMs)));
}

} // namespace r5fw
