#pragma once

#include "r5device/tcp/echo.h"
#include "r5device/tcp/hostresolver.h"

#include <QHash>
#include <QStringList>
#include <QTimer>

namespace disim::test {

// Answers from a table and never asks a name server.
class FakeResolver final : public HostResolver
{
public:
    void resolve(const QString &name, QObject *context, Done done) override
    {
        asked << name;
        std::optional<QHostAddress> result;
        if (const auto it = table.constFind(name); it != table.cend())
            result = *it;
        QTimer::singleShot(0, context, [done = std::move(done), result] { done(result); });
    }

    QHash<QString, QHostAddress> table;
    QStringList asked;
};

// An echo that ends only when the test says so.
class FakeEcho final : public Echo
{
    Q_OBJECT
public:
    void start(const QHostAddress &target) override
    {
        targets << target;
        running = true;
    }
    void cancel() override
    {
        running = false;
        ++cancels;
    }
    void complete(const EchoResult &result)
    {
        running = false;
        Q_EMIT finished(result);
    }

    static EchoResult reply(const QString &from, int roundTripMs = 0, int ttl = 64)
    {
        EchoResult r;
        r.status = EchoResult::Status::Reply;
        r.from = QHostAddress(from);
        r.roundTripMs = roundTripMs;
        r.ttl = ttl;
        return r;
    }

    QList<QHostAddress> targets;
    bool running = false;
    int cancels = 0;
};

} // namespace disim::test
