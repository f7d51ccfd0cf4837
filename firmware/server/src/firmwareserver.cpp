#include "r5fw/firmwareserver.h"

#include "r5fw/fwtexts.h"
#include "r5fw/requesttarget.h"
#include "requestreader.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace r5fw {

namespace {

// What a connection keeps queued in its socket: enough to keep a LAN busy, little memory.
constexpr qint64 kQueueBytes = 64 * 1024;
constexpr qint64 kChunkBytes = 16 * 1024;
constexpr qint64 kReadAheadBytes = 16 * 1024;

// The target as it may stand in the log: printable ASCII kept, the rest percent-encoded, cut
// short, so a peer cannot write lines of its own into the log.
QString shown(const QByteArray &target)
{
    QString out;
    for (const char c : target.first(std::min<qsizetype>(target.size(), 200))) {
        const auto u = static_cast<unsigned char>(c);
        if (u > 0x20 && u < 0x7F && c != '%')
            out += QLatin1Char(c);
        else
            out += u"%%1"_s.arg(u, 2, 16, QChar(u'0')).toUpper();
    }
    return target.size() > 200 ? out + u"..."_s : out;
}

QString peerText(const QTcpSocket &socket)
{
    bool v4 = false;
    const quint32 address = socket.peerAddress().toIPv4Address(&v4);
    return v4 ? QHostAddress(address).toString() : socket.peerAddress().toString();
}

QString secondsText(int ms)
{
    return QString::number(double(ms) / 1000.0, 'g', 3) + u" s"_s;
}

// Accepted sockets read ahead no more than a request head needs, also while they wait for a
// place.
class Listener final : public QTcpServer
{
public:
    using QTcpServer::QTcpServer;

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto *socket = new QTcpSocket(this);
        socket->setReadBufferSize(kReadAheadBytes);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        addPendingConnection(socket);
    }
};

} // namespace

// One request and its answer on one socket.
class Connection final : public QObject
{
public:
    Connection(FirmwareServer &server, QTcpSocket *socket);
    ~Connection() override;

    // The server closes: no more lines or events from here.
    void drop();
    // Still sending its header, and past its first moments: it may give way to a newcomer.
    bool mayGiveWay() const { return !m_answering && m_settled; }
    bool waiting() const { return !m_answering; }
    const QString &peer() const { return m_peer; }
    // Its place goes to a newer connection; `sameAddress`: one from its own address.
    void giveWay(bool sameAddress);

private:
    // Ends a connection that never finished its header: the refusal said, its place freed.
    void giveUp(int status, const QString &why);
    void onReadyRead();
    void answer();
    void answerFile(const QString &name, bool head);
    // `foldable`: a peer that never finished its header, said with the others of its kind.
    void refuse(int status, const QString &why, const QString &name = {}, bool foldable = false);
    void begin(int status, QList<std::pair<QByteArray, QByteArray>> fields, qint64 bodyLength, bool head);
    void pump();
    void onBytesWritten(qint64 bytes);
    void onGone();
    void end(const QString &brokenOff);
    qint64 bodySent() const { return std::clamp<qint64>(m_written - m_headBytes, 0, m_bodyLength); }

    FirmwareServer &m_server;
    QTcpSocket *m_socket;
    QString m_peer;
    RequestReader m_reader;
    QTimer m_idle;
    QTimer m_header;
    QTimer m_settle;
    bool m_settled = false;
    QByteArray m_method;
    bool m_answering = false;
    bool m_finished = false;
    bool m_dropped = false;
    // The answer's body comes from the file or, for pages and refusals, from memory.
    QFile m_file;
    QByteArray m_page;
    QBuffer m_pageSource{&m_page};
    QIODevice *m_source = nullptr;
    qint64 m_headBytes = 0;
    qint64 m_bodyLength = 0;
    qint64 m_queued = 0;
    qint64 m_written = 0;
    // A file's transfer, followed to its end.
    bool m_transfer = false;
    Transfer m_record;
    qint64 m_startedAt = 0;
};

Connection::Connection(FirmwareServer &server, QTcpSocket *socket)
    : QObject(&server), m_server(server), m_socket(socket), m_peer(peerText(*socket))
{
    socket->setParent(this);
    // Bounded: what a peer sends beyond its request head is not read ahead.
    socket->setReadBufferSize(kReadAheadBytes);
    m_server.m_places.append(this);
    m_startedAt = m_server.nowMs();
    const FirmwareServer::Limits &limits = m_server.m_limits;
    m_idle.setSingleShot(true);
    m_idle.setInterval(limits.idleMs);
    connect(&m_idle, &QTimer::timeout, this, [this, idleMs = limits.idleMs] {
        end(u"no progress for %1"_s.arg(secondsText(idleMs)));
        m_socket->abort();
    });
    m_header.setSingleShot(true);
    connect(&m_header, &QTimer::timeout, this, [this, headerMs = limits.headerMs] {
        giveUp(408, u"its header did not arrive whole within %1"_s.arg(secondsText(headerMs)));
    });
    m_settle.setSingleShot(true);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        m_settled = true;
        m_server.takeWaitingSoon();
    });
    connect(socket, &QTcpSocket::readyRead, this, &Connection::onReadyRead);
    connect(socket, &QTcpSocket::bytesWritten, this, &Connection::onBytesWritten);
    connect(socket, &QTcpSocket::disconnected, this, &Connection::onGone);
    connect(socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (error != QAbstractSocket::RemoteHostClosedError || !m_finished)
            onGone();
    });
    // A peer that left while it waited for a place gets no answer.
    if (socket->state() != QAbstractSocket::ConnectedState) {
        m_finished = true;
        onGone();
        return;
    }
    m_idle.start();
    m_header.start(limits.headerMs);
    m_settle.start(limits.graceMs);
    onReadyRead();
}

Connection::~Connection()
{
    m_server.release(this);
}

void Connection::giveWay(bool sameAddress)
{
    giveUp(503, sameAddress ? u"its header was still unfinished when a newer connection from the same "
                              u"address took its place"_s
                            : u"its header was still unfinished when a newer connection took its place"_s);
}

void Connection::giveUp(int status, const QString &why)
{
    if (m_answering)
        return;
    m_answering = true;
    m_header.stop();
    m_settle.stop();
    m_server.release(this);
    m_method = m_reader.method();
    const Target target = resolveTarget(m_reader.target());
    refuse(status, why, target.kind == Target::Kind::File ? target.name : QString(), true);
}

void Connection::drop()
{
    m_dropped = true;
    m_socket->disconnect(this);
    m_socket->abort();
}

void Connection::onReadyRead()
{
    const QByteArray bytes = m_socket->readAll();
    if (m_answering || bytes.isEmpty())
        return;
    switch (m_reader.feed(bytes)) {
    case RequestReader::Result::NeedMore:
        m_idle.start();
        return;
    case RequestReader::Result::Bad:
        m_answering = true;
        m_header.stop();
        refuse(400, u"not an HTTP request, or its header is too long"_s);
        return;
    case RequestReader::Result::Done:
        m_answering = true;
        m_header.stop();
        answer();
        return;
    }
}

void Connection::answer()
{
    m_method = m_reader.method();
    const bool head = m_method == "HEAD";
    if (!head && m_method != "GET")
        return refuse(405, u"only GET and HEAD are served"_s);
    const Target target = resolveTarget(m_reader.target());
    switch (target.kind) {
    case Target::Kind::Refused:
        return refuse(403, target.why);
    case Target::Kind::Listing: {
        int count = 0;
        m_page = m_server.listing(&count);
        if (!m_dropped)
            Q_EMIT m_server.line(text::listSent(m_peer, count));
        m_source = &m_pageSource;
        return begin(200, {{"Content-Type", "text/html; charset=utf-8"}}, m_page.size(), head);
    }
    case Target::Kind::File:
        return answerFile(target.name, head);
    }
}

void Connection::answerFile(const QString &name, bool head)
{
    if (!m_server.m_onlyFile.isEmpty() && name != m_server.m_onlyFile)
        return refuse(404, u"not served here"_s, name);
    const QString path = m_server.m_folder + u'/' + name;
    const QFileInfo info(path);
    if (info.isSymLink()) {
        // A link may point within the folder, never out of it.
        const QString canonical = info.canonicalFilePath();
        if (canonical.isEmpty() || QFileInfo(canonical).absolutePath() != m_server.m_folder)
            return refuse(403, u"a link that leads out of the firmware folder"_s, name);
    }
    if (!info.exists())
        return refuse(404, u"no such file in the firmware folder"_s, name);
    if (!info.isFile())
        return refuse(403, u"not a regular file"_s, name);
    if (info.isHidden())
        return refuse(403, u"a hidden file"_s, name);
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly))
        return refuse(403, u"cannot be read: "_s + m_file.errorString(), name);
    const qint64 size = m_file.size();
    const RangeChoice range = chooseRange(m_reader.range(), size);
    if (range.answer == RangeChoice::Answer::Unsatisfiable) {
        m_file.close();
        return refuse(416, u"the range asked for is outside the file"_s, name);
    }
    QList<std::pair<QByteArray, QByteArray>> fields{{"Content-Type", "application/octet-stream"},
                                                    {"Accept-Ranges", "bytes"}};
    qint64 first = 0;
    qint64 length = size;
    if (range.answer == RangeChoice::Answer::Part) {
        first = range.first;
        length = range.length();
        fields.append(std::pair<QByteArray, QByteArray>(
            "Content-Range", "bytes " + QByteArray::number(first) + '-' + QByteArray::number(range.last) +
                                 '/' + QByteArray::number(size)));
        m_file.seek(first);
    }
    m_source = &m_file;
    if (!m_dropped)
        Q_EMIT m_server.line(text::sending(m_peer, QString::fromLatin1(m_method), name, first, length, size));
    if (!head) {
        m_transfer = true;
        m_record = {m_peer, name, size, first, length, 0, 0, {}};
        if (!m_dropped)
            Q_EMIT m_server.requested(name);
    }
    begin(range.answer == RangeChoice::Answer::Part ? 206 : 200, fields, length, head);
}

void Connection::refuse(int status, const QString &why, const QString &name, bool foldable)
{
    if (!m_dropped) {
        const QString said = text::refusedLine(m_peer, QString::fromLatin1(m_method.left(16)),
                                               shown(m_reader.target()), status, why);
        if (foldable && name.isEmpty())
            m_server.sayFolded(said);
        else
            Q_EMIT m_server.line(said);
        if (!name.isEmpty())
            Q_EMIT m_server.refused(m_peer, name, status, why);
    }
    m_page = why.toUtf8() + '\n';
    m_source = &m_pageSource;
    QList<std::pair<QByteArray, QByteArray>> fields{{"Content-Type", "text/plain; charset=utf-8"}};
    if (status == 405)
        fields.append(std::pair<QByteArray, QByteArray>("Allow", "GET, HEAD"));
    begin(status, fields, m_page.size(), m_method == "HEAD");
}

void Connection::begin(int status, QList<std::pair<QByteArray, QByteArray>> fields, qint64 bodyLength,
                       bool head)
{
    if (m_source == &m_pageSource)
        m_pageSource.open(QIODevice::ReadOnly);
    fields.append(std::pair<QByteArray, QByteArray>("Content-Length", QByteArray::number(bodyLength)));
    fields.append(std::pair<QByteArray, QByteArray>("Connection", "close"));
    const QByteArray headBytes = responseHead(status, fields);
    m_headBytes = headBytes.size();
    m_bodyLength = head ? 0 : bodyLength;
    m_socket->write(headBytes);
    m_idle.start();
    pump();
}

void Connection::pump()
{
    while (m_queued < m_bodyLength && m_socket->bytesToWrite() < kQueueBytes) {
        const QByteArray chunk = m_source->read(std::min(kChunkBytes, m_bodyLength - m_queued));
        if (chunk.isEmpty()) {
            end(u"the file could not be read: "_s + m_source->errorString());
            m_socket->abort();
            return;
        }
        m_socket->write(chunk);
        m_queued += chunk.size();
    }
}

void Connection::onBytesWritten(qint64 bytes)
{
    m_written += bytes;
    m_idle.start();
    if (m_queued == m_bodyLength && m_socket->bytesToWrite() == 0) {
        end({});
        m_socket->disconnectFromHost();
        return;
    }
    pump();
}

void Connection::onGone()
{
    if (!m_finished) {
        end(m_socket->error() == QAbstractSocket::UnknownSocketError ? u"the connection closed"_s
                                                                     : m_socket->errorString());
    }
    m_idle.stop();
    deleteLater();
}

void Connection::end(const QString &brokenOff)
{
    if (m_finished)
        return;
    m_finished = true;
    m_idle.stop();
    if (!m_transfer || m_dropped)
        return;
    m_record.sent = bodySent();
    m_record.ms = m_server.nowMs() - m_startedAt;
    m_record.brokenOff = brokenOff;
    Q_EMIT m_server.line(
        m_record.complete()
            ? text::sent(m_peer, m_record.name, m_record.sent, m_record.bodyLength, m_record.ms)
            : text::brokenOffAt(m_peer, m_record.name, m_record.sent, m_record.bodyLength, m_record.ms,
                                brokenOff));
    Q_EMIT m_server.transferEnded(m_record);
}

FirmwareServer::FirmwareServer(r5::Clock &clock, QObject *parent) : QObject(parent), m_clock(clock)
{
    m_fold.setSingleShot(true);
    m_fold.setInterval(kFoldMs);
    connect(&m_fold, &QTimer::timeout, this, [this] {
        if (m_folded == 0)
            return;
        Q_EMIT line(text::moreGivenUp(m_folded, kFoldMs / 1000));
        m_folded = 0;
        m_fold.start();
    });
}

void FirmwareServer::sayFolded(const QString &text)
{
    if (m_fold.isActive()) {
        ++m_folded;
        return;
    }
    Q_EMIT line(text);
    m_fold.start();
}

FirmwareServer::~FirmwareServer()
{
    close();
}

bool FirmwareServer::listen(const QString &folder, const QHostAddress &address, quint16 port, QString *error)
{
    close();
    m_server = new Listener(this);
    // Past these, newcomers wait in the system's queue.
    m_server->setMaxPendingConnections(m_limits.places);
    if (!m_server->listen(address, port)) {
        if (error)
            *error = m_server->errorString();
        delete m_server;
        m_server = nullptr;
        return false;
    }
    m_folder = folder;
    m_digests.clear();
    connect(m_server, &QTcpServer::newConnection, this, &FirmwareServer::takeWaiting);
    return true;
}

void FirmwareServer::close()
{
    delete m_server; // the listening socket goes at once
    m_server = nullptr;
    m_fold.stop();
    m_folded = 0;
    for (Connection *connection : findChildren<Connection *>(Qt::FindDirectChildrenOnly)) {
        connection->drop();
        delete connection;
    }
}

bool FirmwareServer::isListening() const
{
    return m_server && m_server->isListening();
}

quint16 FirmwareServer::port() const
{
    return m_server ? m_server->serverPort() : 0;
}

void FirmwareServer::takeWaiting()
{
    m_takeQueued = false;
    while (m_server && m_server->hasPendingConnections()) {
        if (m_places.size() >= m_limits.places && !oldestToGiveWay({}))
            return; // until a place frees, or a holder may give way
        QTcpSocket *socket = m_server->nextPendingConnection();
        const QString peer = peerText(*socket);
        if (waitingFrom(peer) >= m_limits.perAddress) {
            if (Connection *own = oldestToGiveWay(peer))
                own->giveWay(true);
        }
        if (m_places.size() >= m_limits.places)
            oldestToGiveWay({})->giveWay(false);
        new Connection(*this, socket);
    }
}

void FirmwareServer::takeWaitingSoon()
{
    if (m_takeQueued || !m_server || !m_server->hasPendingConnections())
        return;
    m_takeQueued = true;
    QMetaObject::invokeMethod(this, &FirmwareServer::takeWaiting, Qt::QueuedConnection);
}

Connection *FirmwareServer::oldestToGiveWay(const QString &peer) const
{
    for (Connection *connection : m_places) {
        if (connection->mayGiveWay() && (peer.isEmpty() || connection->peer() == peer))
            return connection;
    }
    return nullptr;
}

int FirmwareServer::waitingFrom(const QString &peer) const
{
    return int(std::count_if(m_places.begin(), m_places.end(), [&peer](const Connection *connection) {
        return connection->waiting() && connection->peer() == peer;
    }));
}

void FirmwareServer::release(Connection *connection)
{
    if (m_places.removeOne(connection))
        takeWaitingSoon();
}

QByteArray FirmwareServer::listing(int *count)
{
    QList<ListedFile> files;
    const QFileInfoList entries =
        QDir(m_folder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot | QDir::Readable, QDir::Name);
    for (const QFileInfo &info : entries) {
        if (!m_onlyFile.isEmpty() && info.fileName() != m_onlyFile)
            continue;
        if (info.isSymLink() && QFileInfo(info.canonicalFilePath()).absolutePath() != m_folder)
            continue;
        Digest &digest = m_digests[info.fileName()];
        if (digest.size != info.size() || digest.modified != info.lastModified()) {
            QFile file(info.filePath());
            QCryptographicHash hash(QCryptographicHash::Sha256);
            if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
                continue;
            digest = {info.size(), info.lastModified(), hash.result()};
        }
        files.append({info.fileName(), digest.size, digest.sha256});
    }
    *count = int(files.size());
    return listingPage(QDir(m_folder).dirName(), files);
}

} // namespace r5fw
