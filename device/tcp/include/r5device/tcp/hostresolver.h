#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace disim {

// Name resolution for the echo target; tests swap in one that never asks a name server.
class HostResolver
{
public:
    using Done = std::function<void(std::optional<QHostAddress>)>;
    virtual ~HostResolver() = default;
    // Calls `done` with the first IPv4 address of `name`, or nothing, from the event loop of
    // `context`; not at all when `context` is gone by then.
    virtual void resolve(const QString &name, QObject *context, Done done) = 0;
};

// Dotted addresses are taken as they are; names go to the system resolver off the window thread.
class SystemResolver final : public HostResolver
{
public:
    void resolve(const QString &name, QObject *context, Done done) override;
};

} // namespace disim
