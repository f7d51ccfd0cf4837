#include "r5fw/downloadfollow.h"

#include "r5fw/fwtexts.h"
#include "r5fw/requesttarget.h"

#include <limits>

namespace r5fw {

namespace {

DownloadFollow::Step said(const QString &line)
{
    DownloadFollow::Step step;
    step.lines.append(line);
    return step;
}

} // namespace

DownloadFollow::Step DownloadFollow::finish(Step step, Outcome outcome)
{
    m_state = State::Idle;
    step.outcome = outcome;
    return step;
}

DownloadFollow::Step DownloadFollow::start(const QString &address, quint16 port, const QString &orderedPath,
                                           const OwnServer &own, const std::optional<QString> &version,
                                           qint64 nowMs)
{
    *this = DownloadFollow();
    m_name = orderedName(orderedPath);
    m_address = address;
    m_port = port;
    m_ownAddresses = own.addresses;
    m_before = version;
    Step step;
    if (!own.running)
        return finish(said(text::notFollowed(address, port, m_name, text::serverNotRunning())),
                      Outcome::NotFollowed);
    if (port != own.port)
        return finish(said(text::notFollowed(address, port, m_name, text::otherPort(own.port))),
                      Outcome::NotFollowed);
    if (!own.addresses.contains(address))
        return finish(said(text::notFollowed(address, port, m_name, text::otherAddress(address))),
                      Outcome::NotFollowed);
    m_state = State::AwaitingRequest;
    m_startedAt = nowMs;
    step.lines.append(text::following(m_name, m_before));
    step.askStatus = !m_before;
    return step;
}

qint64 DownloadFollow::nextDueAt() const
{
    switch (m_state) {
    case State::AwaitingRequest:
        return m_startedAt + kNoRequestMs;
    case State::AwaitingAnswer:
        return std::min(m_nextAsk, m_sentAt + kAnswerWithinMs);
    default:
        return std::numeric_limits<qint64>::max();
    }
}

DownloadFollow::Step DownloadFollow::due(qint64 nowMs)
{
    if (m_state == State::AwaitingRequest && nowMs >= m_startedAt + kNoRequestMs)
        return finish(said(text::noRequest(m_name, m_address, m_port, m_ownAddresses)), Outcome::NoRequest);
    if (m_state != State::AwaitingAnswer)
        return {};
    if (nowMs >= m_sentAt + kAnswerWithinMs)
        return finish(said(text::noAnswerAgain(kAnswerWithinMs / 1000)), Outcome::NoAnswer);
    if (nowMs < m_nextAsk)
        return {};
    if (m_asked && !m_answeredSinceAsk)
        m_silenceSeen = true;
    m_asked = true;
    m_answeredSinceAsk = false;
    m_nextAsk = nowMs + kStatusGapMs;
    Step step;
    step.askStatus = true;
    return step;
}

DownloadFollow::Step DownloadFollow::statusAnswered(const QString &version, qint64 nowMs)
{
    if (m_state == State::AwaitingRequest || m_state == State::Transferring) {
        m_before = version;
        return {};
    }
    if (m_state != State::AwaitingAnswer || !m_asked)
        return {};
    m_answeredSinceAsk = true;
    if (m_before && version == *m_before && !m_silenceSeen && nowMs < m_sentAt + kSettleMs)
        return {};
    m_after = version;
    if (!m_before)
        return finish(said(text::versionNow(version)), Outcome::Updated);
    if (version == *m_before)
        return finish(said(text::unchanged(version)), Outcome::Unchanged);
    return finish(said(text::updated(*m_before, version)), Outcome::Updated);
}

void DownloadFollow::requested(const QString &name)
{
    if (m_state == State::AwaitingRequest && name == m_name)
        m_state = State::Transferring;
}

DownloadFollow::Step DownloadFollow::transferEnded(const Transfer &transfer, qint64 nowMs)
{
    if ((m_state != State::AwaitingRequest && m_state != State::Transferring) || transfer.name != m_name)
        return {};
    m_sent = transfer.sent;
    m_size = transfer.size;
    if (!transfer.reachedEnd()) {
        if (transfer.complete()) // a part that is not the last: more requests follow
            return {};
        return finish(said(text::brokenOff(m_name, transfer.sent, transfer.bodyLength)), Outcome::BrokenOff);
    }
    m_state = State::AwaitingAnswer;
    m_sentAt = nowMs;
    m_nextAsk = nowMs + kStatusGapMs;
    return said(text::sentWaiting(m_name, kAnswerWithinMs / 1000));
}

DownloadFollow::Step DownloadFollow::refused(const QString &peer, const QString &name, int status,
                                             const QString &why)
{
    if ((m_state != State::AwaitingRequest && m_state != State::Transferring) || name != m_name)
        return {};
    m_refusal = text::refusal(status, why);
    return finish(said(text::requestRefused(m_name, peer, m_refusal)), Outcome::Refused);
}

} // namespace r5fw
