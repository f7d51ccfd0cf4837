#pragma once

#include "r5/clock.h"
#include "r5fw/downloadfollow.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>

class QTcpServer;

namespace r5fw {

class Connection;

// The HTTP server that hands firmware files to the device: GET and HEAD of the regular files
// directly in one folder (Range requests too), and at "/" a page listing them with size and
// SHA-256. Every other method, name and path is refused with the reason in the log. One request
// per connection; the event loop does all the work, a file goes out in pieces as the peer takes
// them. Closing or destroying it frees the port at once.
//
// Slow or idle peers on the LAN (a scanner, a browser's spare connections) cannot keep the
// device out: a request's header must arrive whole within a few seconds; when every place is
// taken, the connection that has waited longest for the rest of its header gives its place to
// the newcomer, and one address's newcomer first takes the place of that address's own oldest
// such connection. A connection is never made to give way in its first moments (a bench of
// devices connecting at once from one address all get in), nor once its request is whole. When
// nothing can give way, newcomers wait unaccepted until a place frees.
class FirmwareServer final : public QObject
{
    Q_OBJECT
public:
    explicit FirmwareServer(r5::Clock &clock, QObject *parent = nullptr);
    ~FirmwareServer() override;

    struct Limits
    {
        // Connections served at once (a bench of devices fetching together, and a browser).
        int places = 32;
        // Connections from one address still sending their header, before its own oldest gives way.
        int perAddress = 4;
        // For a request's header to arrive whole.
        int headerMs = 5000;
        // A connection younger than this never gives way: its request may be on its way.
        int graceMs = 1000;
        // A connection that moves nothing for this long is closed.
        int idleMs = 15000;
    };
    // Takes effect for the connections accepted from then on.
    void setLimits(const Limits &limits) { m_limits = limits; }
    const Limits &limits() const { return m_limits; }

    // Serves `folder` (a canonical path, see firmwareFolder()) at `address`:`port`; port 0 picks
    // one. False with the reason in `error` when the port cannot be had.
    bool listen(const QString &folder, const QHostAddress &address, quint16 port, QString *error);
    // Serves only this file of the folder (r5200tx-cli); empty: all of them.
    void setOnlyFile(const QString &name) { m_onlyFile = name; }
    void close();

    bool isListening() const;
    quint16 port() const;
    QString folder() const { return m_folder; }

Q_SIGNALS:
    // A line for the log: each request, each end of a transfer, each refusal.
    void line(const QString &line);
    // A file's body began to go out to a GET.
    void requested(const QString &name);
    void transferEnded(const r5fw::Transfer &transfer);
    // A request from `peer` for `name` (a file name, as asked) was refused with `status`.
    void refused(const QString &peer, const QString &name, int status, const QString &why);

private:
    friend class Connection;
    // Accepts waiting connections while there is a place for them, or one can be made.
    void takeWaiting();
    void takeWaitingSoon();
    // The connection that has waited longest for the rest of its header and may give way, of
    // `peer` or of anyone (empty).
    Connection *oldestToGiveWay(const QString &peer) const;
    int waitingFrom(const QString &peer) const;
    void release(Connection *connection);
    // Slow or idle peers given up on: the first is said, the rest counted and said every kFoldMs,
    // so that a crowd does not flood the log.
    void sayFolded(const QString &text);
    static constexpr int kFoldMs = 10000;
    qint64 nowMs() const { return m_clock.utcNow().toMSecsSinceEpoch(); }
    // The file list of the root page, the digests kept while a file stays the same.
    QByteArray listing(int *count);

    r5::Clock &m_clock;
    QTcpServer *m_server = nullptr;
    QString m_folder;
    QString m_onlyFile;
    Limits m_limits;
    QList<Connection *> m_places; // in the order they were accepted
    bool m_takeQueued = false;
    QTimer m_fold;
    int m_folded = 0;
    struct Digest
    {
        qint64 size = -1;
        QDateTime modified;
        QByteArray sha256;
    };
    QHash<QString, Digest> m_digests;
};

} // namespace r5fw
