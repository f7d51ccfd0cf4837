#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>

namespace disim {

struct EchoResult
{
    enum class Status { Reply, NoAnswer, NotPermitted };
    Status status = Status::NoAnswer;
    QHostAddress from;
    int dataSize = 0;
    int roundTripMs = 0;
    int ttl = 0;
    QString reason; // why no echo socket could be opened
};

// One ICMP echo at a time. Every start() ends in exactly one finished(), always delivered
// from the event loop (never from inside start()), unless cancel() comes first.
class Echo : public QObject
{
    Q_OBJECT
public:
    static constexpr int kTimeoutMs = 2700;

    using QObject::QObject;
    virtual void start(const QHostAddress &target) = 0;
    virtual void cancel() = 0;

Q_SIGNALS:
    void finished(const disim::EchoResult &result);
};

} // namespace disim
