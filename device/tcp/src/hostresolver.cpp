#include "r5device/tcp/hostresolver.h"

#include <QHostInfo>
#include <QTimer>

namespace disim {

void SystemResolver::resolve(const QString &name, QObject *context, Done done)
{
    QHostAddress literal;
    if (name.isEmpty() || literal.setAddress(name)) {
        std::optional<QHostAddress> result;
        if (literal.protocol() == QAbstractSocket::IPv4Protocol)
            result = literal;
        QTimer::singleShot(0, context, [done = std::move(done), result] { done(result); });
        return;
    }
    QHostInfo::lookupHost(name, context, [done = std::move(done)](const QHostInfo &info) {
        for (const QHostAddress &a : info.addresses()) {
            if (a.protocol() == QAbstractSocket::IPv4Protocol) {
                done(a);
                return;
            }
        }
        done(std::nullopt);
    });
}

} // namespace disim
