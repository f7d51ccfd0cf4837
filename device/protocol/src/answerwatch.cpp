#include "r5device/protocol/answerwatch.h"

#include "r5device/protocol/codec.h"
#include "r5device/protocol/requests.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace r5::protocol {

void AnswerWatch::sent(std::uint8_t id, const QDateTime &now, bool automatic)
{
    const auto sameId = [id](const Waiting &w) { return w.id == id; };
    if (automatic && std::any_of(m_waiting.cbegin(), m_waiting.cend(), sameId))
        return;
    m_waiting.append({id, now.addMSecs(kPatienceMs)});
}

void AnswerWatch::answered(std::uint8_t id, bool registered)
{
    if (m_waiting.isEmpty())
        return;
    if (!registered) {
        m_waiting.removeFirst();
        return;
    }
    // One answer settles one request: a second click of the same button waits for its own.
    const auto it =
        std::find_if(m_waiting.begin(), m_waiting.end(), [id](const Waiting &w) { return w.id == id; });
    if (it != m_waiting.end())
        m_waiting.erase(it);
}

QList<std::uint8_t> AnswerWatch::overdue(const QDateTime &now)
{
    QList<std::uint8_t> ids;
    // Sent in order with one patience each, so they run out in order too (a clock set back
    // only delays the notices).
    while (!m_waiting.isEmpty() && m_waiting.first().due <= now)
        ids.append(m_waiting.takeFirst().id);
    return ids;
}

std::optional<QDateTime> AnswerWatch::nextDue() const
{
    if (m_waiting.isEmpty())
        return std::nullopt;
    return m_waiting.first().due;
}

QString requestName(std::uint8_t request)
{
    switch (request) {
    case id::Status:
        return u"current status"_s;
    case id::SetAp:
        return u"access point settings"_s;
    case id::Wan:
        return u"WAN settings"_s;
    case id::Server:
        return u"server settings"_s;
    case id::Di:
        return u"DI settings"_s;
    case id::FactoryReset:
        return u"factory reset"_s;
    case id::Reboot:
        return u"system reboot"_s;
    case id::SearchAp:
        return u"access point search"_s;
    case id::CurrentAp:
        return u"current access point"_s;
    case id::Rssi:
        return u"signal strength"_s;
    case id::FlashSave:
        return u"flash save interval"_s;
    case id::FirmwareDownload:
        return u"firmware download"_s;
    case id::FlashErase:
        return u"flash erase"_s;
    default:
        return {};
    }
}

namespace texts {

namespace {
QString named(std::uint8_t request)
{
    const QString name = requestName(request);
    const QString hex = u"0x"_s + byteText(request);
    return name.isEmpty() ? hex : name + u" ("_s + hex + u')';
}
} // namespace

QString noAnswer(std::uint8_t request, const QString &port, qint32 baud)
{
    return u"No answer to the %1 request within %2 s: check the cable, the device's power, the port [%3] "
           u"and the baud rate [%4]."_s.arg(named(request))
               .arg(AnswerWatch::kPatienceMs / 1000)
               .arg(port)
               .arg(baud);
}

QString acknowledged(std::uint8_t reply)
{
    switch (reply) {
    case id::SetAp:
    case id::Wan:
    case id::Server:
        return u"Device acknowledged the %1; it reboots to apply them."_s.arg(named(reply));
    case id::Di:
    case id::FactoryReset:
    case id::Reboot:
        return u"Device acknowledged the %1."_s.arg(named(reply));
    default:
        return {};
    }
}

} // namespace texts

} // namespace r5::protocol
