#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace virt {

class DeviceModel;

// Fetches a firmware file over HTTP the way the device does: one download at a time (a new
// order drops the one running), straight to the server (no proxy, no redirects), hashed as it
// arrives so nothing large is held. A file larger than the limit, an HTTP status other than
// 200, a time-out or a network error ends the fetch as failed.
class FirmwareFetcher final : public QObject
{
    Q_OBJECT
public:
    explicit FirmwareFetcher(QObject *parent = nullptr);
    ~FirmwareFetcher() override;

    void setSizeLimit(qint64 bytes) { m_limit = bytes; }
    void setTimeout(int ms) { m_timeoutMs = ms; }

    // Lets `fetcher` carry out the firmware downloads `model` is ordered to do.
    static void serve(DeviceModel &model, FirmwareFetcher &fetcher);

public Q_SLOTS:
    void fetch(const QUrl &url);

Q_SIGNALS:
    void fetched(const QUrl &url, qint64 size, const QByteArray &sha256);
    void failed(const QUrl &url, const QString &why);

private:
    void onReadyRead();
    void onFinished();
    void take(QNetworkReply &reply);
    void drop();

    QNetworkAccessManager *m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    QUrl m_url;
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
    qint64 m_size = 0;
    qint64 m_limit = 16 * 1024 * 1024;
    int m_timeoutMs = 30000;
    bool m_tooLarge = false;
};

} // namespace virt
