#include "fleet.h"

#include "r5/csv.h"

#include <QHostAddress>

using namespace Qt::StringLiterals;

namespace virt {

namespace {
constexpr quint32 kLoopbackNet = 0x7F000000;
constexpr quint32 kLoopbackMask = 0xFF000000;
} // namespace

QString Fleet::refusal(const QString &first, int count)
{
    const QHostAddress a(first);
    if (a.protocol() != QAbstractSocket::IPv4Protocol)
        return u"a fleet listens on IPv4 loopback addresses (127.x.x.x); \"%1\" is not one"_s.arg(first);
    const quint64 start = a.toIPv4Address();
    const quint64 last = start + quint64(count) - 1;
    if ((start & kLoopbackMask) != kLoopbackNet || (last & kLoopbackMask) != kLoopbackNet)
        return u"a fleet listens on loopback addresses only (127.0.0.0/8): %1 and the %2 after it are not "
               u"all "
               "loopback"_s.arg(first)
                   .arg(count - 1);
    return {};
}

Fleet::Fleet(const QString &first, int count, quint16 port, char mode, double pulsesPerSecond,
             QObject *parent)
    : QObject(parent), m_port(port)
{
    const quint32 base = QHostAddress(first).toIPv4Address();
    m_devices.reserve(std::size_t(count));
    for (int k = 0; k < count; ++k) {
        Device d;
        d.address = QHostAddress(base + quint32(k)).toString();
        const int n = k + 1;
        // Locally administered, so no real device's.
        d.mac = u"02:52:00:00:%1:%2"_s.arg(n >> 8, 2, 16, QChar(u'0'))
                    .arg(n & 0xFF, 2, 16, QChar(u'0'))
                    .toUpper();
        d.tcp = std::make_unique<TcpSide>();
        TcpConfig c;
        c.address = QHostAddress(d.address);
        c.port = port;
        c.mode = mode;
        // Each its own rate, from the given one to four times it, so no two neighbours count alike.
        c.pulsesPerSecond = pulsesPerSecond * (1.0 + double(k % 13) * 0.25);
        m_devices.push_back(std::move(d));
        m_configs.push_back(c);
    }
}

Fleet::~Fleet() = default;

bool Fleet::start(QString *error)
{
    for (std::size_t k = 0; k < m_devices.size(); ++k) {
        QString why;
        const auto keep =
            connect(m_devices[k].tcp.get(), &TcpSide::log, this, [&why](const QString &line) { why = line; });
        const bool ok = m_devices[k].tcp->start(m_configs[k]);
        disconnect(keep);
        if (!ok) {
            if (error)
                *error = why;
            return false;
        }
    }
    return true;
}

QString Fleet::command(const QString &line)
{
    const QStringList words = line.simplified().split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty())
        return {};
    const QString verb = words.first().toLower();
    if (verb == u"list"_s && words.size() == 1) {
        QStringList out;
        for (int k = 0; k < size(); ++k) {
            const TcpSide &t = *m_devices[std::size_t(k)].tcp;
            if (!t.isListening() || t.isSilent())
                out << u"%1 %2"_s.arg(k + 1).arg(!t.isListening() ? u"stopped"_s : u"hanging"_s);
        }
        return out.isEmpty() ? u"all %1 devices running"_s.arg(size()) : out.join(u", "_s);
    }
    const QString usage =
        u"commands: stop N, start N, hang N (N from 1 to %1, or FIRST-LAST), list"_s.arg(size());
    if (words.size() != 2 || (verb != u"stop"_s && verb != u"start"_s && verb != u"hang"_s))
        return usage;
    const QStringList bounds = words.at(1).split(u'-');
    bool ok1 = false;
    bool ok2 = true;
    const int from = bounds.first().toInt(&ok1);
    const int to = bounds.size() == 2 ? bounds.at(1).toInt(&ok2) : from;
    if (bounds.size() > 2 || !ok1 || !ok2 || from < 1 || to > size() || from > to)
        return usage;
    for (int n = from; n <= to; ++n) {
        TcpSide &t = *m_devices[std::size_t(n - 1)].tcp;
        if (verb == u"stop"_s) {
            t.halt();
        } else if (verb == u"hang"_s) {
            t.setSilent(true);
        } else {
            t.setSilent(false);
            if (!t.resume())
                return u"device %1 (%2) cannot listen again"_s.arg(n).arg(
                    m_devices[std::size_t(n - 1)].address);
        }
    }
    const QString which = from == to ? u"device %1"_s.arg(from) : u"devices %1 to %2"_s.arg(from).arg(to);
    const QString done = verb == u"stop"_s ? u"stopped"_s : verb == u"hang"_s ? u"hanging"_s : u"running"_s;
    return which + u' ' + done;
}

QByteArray Fleet::siteList() const
{
    QByteArray out = r5::csv::line({u"Address"_s, u"Port"_s, u"Label"_s, u"MAC"_s});
    for (int k = 0; k < size(); ++k) {
        const Device &d = m_devices[std::size_t(k)];
        out += r5::csv::line({d.address, QString::number(m_port), u"Virtual %1"_s.arg(k + 1), d.mac});
    }
    return out;
}

} // namespace virt
