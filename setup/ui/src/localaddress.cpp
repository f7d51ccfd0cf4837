#include "r5setup/ui/localaddress.h"

#include <QNetworkInterface>

using namespace Qt::StringLiterals;

namespace r5setup {

std::optional<QString> SystemLocalAddress::lookup() const
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
    return u"127.0.0.1"_s;
}

QString localAddress(const LocalAddress &lookup)
{
    return lookup.lookup().value_or(u"127.0.0.1"_s);
}

} // namespace r5setup
