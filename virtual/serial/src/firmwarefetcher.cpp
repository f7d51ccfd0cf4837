#include "virt/firmwarefetcher.h"

#include "virt/devicemodel.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>

using namespace Qt::StringLiterals;

namespace virt {

FirmwareFetcher::FirmwareFetcher(QObject *parent) : QObject(parent) {}

FirmwareFetcher::~FirmwareFetcher()
{
    drop();
}

void FirmwareFetcher::serve(DeviceModel &model, FirmwareFetcher &fetcher)
{
    connect(&model, &DeviceModel::firmwareDownloadOrdered, &fetcher, &FirmwareFetcher::fetch);
    connect(&fetcher, &FirmwareFetcher::fetched, &model, &DeviceModel::firmwareFetched);
    connect(&fetcher, &FirmwareFetcher::failed, &model, &DeviceModel::firmwareFailed);
}

void FirmwareFetcher::drop()
{
    if (!m_reply)
        return;
    m_reply->disconnect(this);
    m_reply->abort();
    m_reply->deleteLater();
    m_reply = nullptr;
}

void FirmwareFetcher::fetch(const QUrl &url)
{
    drop();
    if (!m_network) {
        m_network = new QNetworkAccessManager(this);
        // The device talks to the server itself, whatever the PC's proxy settings say.
        m_network->setProxy(QNetworkProxy::NoProxy);
    }
    m_url = url;
    m_hash.reset();
    m_size = 0;
    m_tooLarge = false;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(m_timeoutMs);
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &FirmwareFetcher::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &FirmwareFetcher::onFinished);
}

void FirmwareFetcher::onReadyRead()
{
    take(*m_reply);
    if (m_tooLarge)
        m_reply->abort(); // finished() follows
}

void FirmwareFetcher::take(QNetworkReply &reply)
{
    const QByteArray chunk = reply.readAll();
    m_size += chunk.size();
    if (m_size > m_limit)
        m_tooLarge = true;
    else
        m_hash.addData(chunk);
}

void FirmwareFetcher::onFinished()
{
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->deleteLater();
    if (!m_tooLarge)
        take(*reply);
    if (m_tooLarge) {
        Q_EMIT failed(m_url, u"larger than %1 bytes"_s.arg(m_limit));
        return;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 0 && status != 200) {
        Q_EMIT failed(m_url, u"HTTP %1 %2"_s.arg(status).arg(
                                 reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString()));
        return;
    }
    if (reply->error() != QNetworkReply::NoError || status == 0) {
        Q_EMIT failed(m_url, reply->errorString());
        return;
    }
    Q_EMIT fetched(m_url, m_size, m_hash.result());
}

} // namespace virt
