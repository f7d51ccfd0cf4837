#pragma once

#include "r5/clock.h"
#include "r5fw/downloadfollow.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QString>

class QTcpServer;

namespace r5fw {

class Connection;

// The HTTP server that hands firmware files to the device: GET and HEAD of the regular files
// directly in one folder (Range requests too), and at "/" a page listing them with size and
// SHA-256. Every other method, name and path is refused with the reason in the log. One request
// per connection; the event loop does all the work, a file goes out in pieces as the peer takes
// them. Closing or destroying it frees the port at once.
class FirmwareServer final : public QObject
{
    Q_OBJECT
public:
    explicit FirmwareServer(r5::Clock &clock, QObject *parent = nullptr);
    ~FirmwareServer() override;

    // Serves `folder` (a canonical path, see firmwareFolder()) at `address`:`port`; port 0 picks
    // one. False with the reason in `error` when the port cannot be had.
    bool listen(const QString &folder, const QHostAddress &address, quint16 port, QString *error);
    // Serves only this file of the folder (r5200tx-cli); empty: all of them.
    void setOnlyFile(const QString &name) { m_onlyFile = name; }
    void close();

    bool isListening() const;
    quint16 port() const;
    QString folder() const { return m_folder; }

    // Connections at once; more are closed as they come.
    static constexpr int kMaxConnections = 16;
    // A connection that moves nothing for this long is closed.
    static constexpr int kIdleMs = 15000;

Q_SIGNALS:
    // A line for the log: each request, each end of a transfer, each refusal.
    void line(const QString &line);
    // A file's body began to go out to a GET.
    void requested(const QString &name);
    void transferEnded(const r5fw::Transfer &transfer);
    // A request for `name` (a file name, as asked) was refused.
    void refused(const QString &name, const QString &why);

private:
    friend class Connection;
    void onNewConnection();
    qint64 nowMs() const { return m_clock.utcNow().toMSecsSinceEpoch(); }
    // The file list of the root page, the digests kept while a file stays the same.
    QByteArray listing(int *count);

    r5::Clock &m_clock;
    QTcpServer *m_server = nullptr;
    QString m_folder;
    QString m_onlyFile;
    int m_connections = 0;
    struct Digest
    {
        qint64 size = -1;
        QDateTime modified;
        QByteArray sha256;
    };
    QHash<QString, Digest> m_digests;
};

} // namespace r5fw
