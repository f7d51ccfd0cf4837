#include "routedfollow.h"

#include "r5fw/downloadwatch.h"
#include "r5fw/firmwareserver.h"

#include <algorithm>

namespace r5cli {

RoutedFollow::RoutedFollow(TransferRouter &router, r5::Clock &clock, std::function<void()> askStatus,
                           QObject *parent)
    : QObject(parent), m_router(router), m_clock(clock), m_askStatus(std::move(askStatus))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { apply(m_follow.due(now())); });
    m_router.m_follows.append(this);
}

RoutedFollow::~RoutedFollow() = default;

void RoutedFollow::start(const QString &address, quint16 port, const QString &orderedPath,
                         const QString &deviceAddress)
{
    m_deviceAddress = deviceAddress;
    m_orderedAt = now();
    m_served = false;
    const r5fw::FirmwareServer &server = m_router.server();
    const r5fw::DownloadFollow::OwnServer own{server.isListening(), server.port(),
                                              r5fw::localIPv4Addresses()};
    apply(m_follow.start(address, port, orderedPath, own, m_lastVersion, now()));
}

void RoutedFollow::statusAnswered(const QString &version)
{
    m_lastVersion = version;
    if (m_follow.active())
        apply(m_follow.statusAnswered(version, now()));
}

void RoutedFollow::apply(const r5fw::DownloadFollow::Step &step)
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
            int(std::clamp<qint64>(m_follow.nextDueAt() - now(), 0, r5fw::DownloadFollow::kAnswerWithinMs)));
}

TransferRouter::TransferRouter(r5fw::FirmwareServer &server, QObject *parent)
    : QObject(parent), m_server(server)
{
    connect(&server, &r5fw::FirmwareServer::requested, this, [this](const QString &name) {
        if (const QList<RoutedFollow *> w = waiting(); w.size() == 1)
            w.first()->m_follow.requested(name);
    });
    connect(&server, &r5fw::FirmwareServer::transferEnded, this, [this](const r5fw::Transfer &transfer) {
        const QList<RoutedFollow *> w = waiting();
        const auto byAddress = std::find_if(w.begin(), w.end(), [&transfer](const RoutedFollow *f) {
            return !f->m_deviceAddress.isEmpty() && f->m_deviceAddress == transfer.peer;
        });
        RoutedFollow *to = byAddress != w.end() ? *byAddress : nullptr;
        if (!to && !w.isEmpty())
            to = *std::min_element(w.begin(), w.end(), [](const RoutedFollow *a, const RoutedFollow *b) {
                return a->m_orderedAt < b->m_orderedAt;
            });
        if (!to)
            return;
        if (transfer.reachedEnd())
            to->m_served = true;
        to->apply(to->m_follow.transferEnded(transfer, to->now()));
    });
    // A refusal goes to the device at the peer's address, or to the one device waiting; with
    // several waiting behind one address it names none of them, and each one's own wait ends it.
    connect(&server, &r5fw::FirmwareServer::refused, this,
            [this](const QString &peer, const QString &name, int status, const QString &why) {
                const QList<RoutedFollow *> w = waiting();
                QList<RoutedFollow *> at;
                for (RoutedFollow *f : w) {
                    if (!f->m_deviceAddress.isEmpty() && f->m_deviceAddress == peer)
                        at.append(f);
                }
                RoutedFollow *to =
                    at.size() == 1 ? at.first() : (at.isEmpty() && w.size() == 1 ? w.first() : nullptr);
                if (to)
                    to->apply(to->m_follow.refused(peer, name, status, why));
            });
}

QList<RoutedFollow *> TransferRouter::waiting() const
{
    QList<RoutedFollow *> out;
    for (const QPointer<RoutedFollow> &f : m_follows) {
        if (f && f->m_follow.active() && !f->m_served)
            out.append(f.data());
    }
    return out;
}

} // namespace r5cli
