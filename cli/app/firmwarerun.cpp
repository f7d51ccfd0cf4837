#include "firmwarerun.h"

#include "commissioner.h"
#include "r5/appendfile.h"
#include "r5device/linetexts.h"
#include "r5device/protocol/receivepath.h"
#include "r5device/setuplog.h"
#include "r5fw/downloadwatch.h"
#include "r5fw/firmwareserver.h"
#include "r5fw/fwtexts.h"
#include "recordwriter.h"
#include "routedfollow.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <algorithm>

using namespace Qt::StringLiterals;
namespace proto = r5::protocol;

namespace r5cli {

namespace {

// The order carries "/" + the name in a field of 32 bytes; the device puts it into its request
// as it stands, so only printable ASCII without spaces goes.
bool orderableName(const QString &name)
{
    return !name.isEmpty() && name.size() < 32 && !name.startsWith(u'.') &&
           std::all_of(name.begin(), name.end(), [](QChar c) {
               return c.unicode() > 0x20 && c.unicode() < 0x7F && c != u'/' && c != u'\\' && c != u'%' &&
                      c != u'?' && c != u'#';
           });
}

} // namespace

QString firmwareFileProblem(const QString &path)
{
    const QFileInfo file(path);
    if (!file.isFile())
        return path + u": no such file"_s;
    if (!orderableName(file.fileName()))
        return file.fileName() + u": the name must be 1 to 31 printable ASCII characters, without spaces, "
                                 "/ \\ % ? # or a leading dot"_s;
    return {};
}

FirmwareRun::FirmwareRun(const Args &args, r5setup::SerialLink &link, r5::Clock &clock, QTextStream &out,
                         QTextStream &err, TransferRouter *router, QObject *parent)
    : QObject(parent), m_args(args), m_link(link), m_clock(clock), m_out(out), m_err(err), m_log(clock, err),
      m_server(router ? &router->server() : new r5fw::FirmwareServer(clock, this))
{
    const auto askStatus = [this] { send(proto::statusRequest()); };
    if (router) {
        m_routed = new RoutedFollow(*router, clock, askStatus, this);
        m_log.setPrefix(args.port + u": "_s);
    } else {
        m_watch = new r5fw::DownloadWatch(*m_server, clock, askStatus, this);
    }
    m_report.command = commandName(args.command);
    m_report.record = args.record;
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (--m_triesLeft > 0)
            return readVersion(m_triesLeft);
        fail(exitcode::NoAnswer, u"--port"_s, u"no answer from the device to the status request"_s);
    });
    connect(&m_link, &r5setup::SerialLink::rxChar, this, &FirmwareRun::onRx);
    const auto both = [this](const QString &line) {
        log(line);
        say(line);
    };
    if (m_watch) {
        connect(m_server, &r5fw::FirmwareServer::line, this, both);
        connect(m_watch, &r5fw::DownloadWatch::line, this, both);
        connect(m_watch, &r5fw::DownloadWatch::finished, this, &FirmwareRun::onFollowed);
    } else {
        connect(m_routed, &RoutedFollow::line, this, both);
        connect(m_routed, &RoutedFollow::finished, this, &FirmwareRun::onFollowed);
    }
}

const r5fw::DownloadFollow &FirmwareRun::follow() const
{
    return m_watch ? m_watch->follow() : m_routed->follow();
}

QString FirmwareRun::mac() const
{
    return m_reading.status ? r5commission::normalMac(m_reading.status->mac) : QString();
}

QString FirmwareRun::summary() const
{
    const r5fw::DownloadFollow &f = follow();
    if (!f.versionBefore())
        return {};
    return *f.versionBefore() + u" -> "_s + f.versionAfter().value_or(u"?"_s) + u", "_s +
           QString::number(f.bytesSent()) + u" bytes"_s;
}

FirmwareRun::~FirmwareRun() = default;

void FirmwareRun::start()
{
    m_elapsed.start();
    QTimer::singleShot(0, this, &FirmwareRun::begin);
}

void FirmwareRun::begin()
{
    const QFileInfo file(m_args.firmware);
    if (const QString problem = firmwareFileProblem(m_args.firmware); !problem.isEmpty())
        return fail(exitcode::Usage, u"FILE"_s, problem);
    m_name = file.fileName();
    QDir(m_log.folder()).mkpath(u"Log"_s);

    const bool chosen = !m_args.serveAddress.isEmpty();
    m_address = chosen ? m_args.serveAddress : r5fw::primaryIPv4Address().value_or(u"127.0.0.1"_s);
    if (m_watch) {
        m_server->setOnlyFile(m_name);
        QString why;
        // A chosen address is listened on alone; this PC's own is the LAN's, reached on any interface.
        if (!m_server->listen(file.canonicalPath(), chosen ? QHostAddress(m_address) : QHostAddress::AnyIPv4,
                              m_args.servePort, &why))
            return fail(exitcode::PortNotOpened, u"--serve"_s,
                        r5fw::text::portUnusable(m_args.servePort, why));
        const QString listening = r5fw::text::listeningAt(m_address, m_server->port(),
                                                          QDir::toNativeSeparators(file.canonicalFilePath()));
        log(listening);
        say(listening);
    }

    // A bench opens every port before any device is spoken to.
    if (!m_link.isOpen()) {
        setPortArguments(m_args, m_link);
        log(r5setup::text::tryingOpen());
        if (!m_link.open()) {
            log(proto::texts::portNotConnected());
            return fail(exitcode::PortNotOpened, u"--port"_s, portOpenMessage(m_args.port, m_link));
        }
    }
    log(r5setup::text::connectionSuccess(m_args.port));
    readVersion(m_args.tries);
}

void FirmwareRun::readVersion(int triesLeft)
{
    m_triesLeft = triesLeft;
    send(proto::statusRequest());
    m_timer.start(m_args.timeoutMs);
}

void FirmwareRun::order()
{
    const QString before = m_reading.status->version;
    say(u"Firmware before: "_s + before);
    if (m_watch)
        m_watch->statusAnswered(before);
    else
        m_routed->statusAnswered(before);
    std::array<std::uint8_t, 4> octets{};
    const QStringList parts = m_address.split(u'.');
    for (std::size_t i = 0; i < octets.size(); ++i)
        octets[i] = std::uint8_t(parts.value(qsizetype(i)).toUInt());
    const QString path = u'/' + m_name;
    send(proto::firmwareDownloadRequest(octets, m_server->port(), path));
    if (m_watch) {
        m_watch->start(m_address, m_server->port(), path);
        return;
    }
    const auto &ip = m_reading.status->ip;
    m_routed->start(m_address, m_server->port(), path, QStringList(ip.begin(), ip.end()).join(u'.'));
}

void FirmwareRun::onRx()
{
    readFrames(
        m_link, m_receiver, m_log, [this] { return m_done; },
        [this](const proto::RxFrame &, const QList<proto::RxAction> &actions) {
            if (m_done)
                return;
            for (const proto::RxAction &action : actions) {
                if (const auto *l = std::get_if<proto::rx::Log>(&action)) {
                    log(l->text);
                } else if (const auto *s = std::get_if<proto::rx::ShowStatus>(&action)) {
                    m_reading.status = *s->view;
                    if (m_watch && m_watch->active()) {
                        m_watch->statusAnswered(s->view->version);
                    } else if (m_routed && m_routed->active()) {
                        m_routed->statusAnswered(s->view->version);
                    } else if (m_timer.isActive()) {
                        m_timer.stop();
                        order();
                    }
                }
            }
        });
}

void FirmwareRun::onFollowed(r5fw::DownloadFollow::Outcome outcome)
{
    using Outcome = r5fw::DownloadFollow::Outcome;
    switch (outcome) {
    case Outcome::Updated:
    case Outcome::Unchanged:
        if (!m_args.record.isEmpty()) {
            if (!m_records)
                m_records = new RecordWriter(m_args.record, m_err, this);
            m_records->append(
                [time = m_clock.localNow(), reading = m_reading, name = m_name](bool fileEmpty) {
                    return r5commission::recordBytes(fileEmpty, time, reading, r5commission::Verdict::Ok,
                                                     name);
                },
                [self = QPointer<FirmwareRun>(this)](bool written, const QString &why) {
                    if (!self)
                        return;
                    self->m_report.recordWritten = written;
                    if (!written)
                        return self->fail(exitcode::NotWritten, u"--record"_s,
                                          self->m_args.record + u": the record row could not be written"_s +
                                              (why.isEmpty() ? QString() : u" ("_s + why + u')'));
                    self->finish(exitcode::Ok);
                });
            return;
        }
        return finish(exitcode::Ok);
    case Outcome::NoAnswer:
        return fail(exitcode::NoAnswer, u"--port"_s, u"the device did not answer again after the download"_s);
    case Outcome::NoRequest:
    case Outcome::NotFollowed:
        return fail(exitcode::NoRequest, u"--serve"_s,
                    u"no request for "_s + m_name + u" reached the server"_s);
    case Outcome::BrokenOff:
        return fail(exitcode::BrokenOff, u"FILE"_s, u"the transfer of "_s + m_name + u" did not complete"_s);
    case Outcome::Refused:
        return fail(exitcode::Refused, u"--serve"_s,
                    u"the request for "_s + m_name + u" reached the server and was refused ("_s +
                        m_watch->follow().refusal() + u')');
    }
}

void FirmwareRun::send(const proto::Request &request)
{
    for (const QString &line : request.announce)
        log(line);
    log(request.txLine());
    if (!m_link.write(request.frame))
        log(proto::texts::serialPortError());
}

void FirmwareRun::log(const QString &message)
{
    m_log.write(message);
}

void FirmwareRun::say(const QString &line)
{
    if (m_routed)
        Q_EMIT progress(line);
    else if (!m_args.json)
        m_out << line << Qt::endl;
}

void FirmwareRun::interrupt()
{
    fail(exitcode::Interrupted, QString(), u"interrupted: nothing more is sent to the device"_s);
}

void FirmwareRun::fail(int code, const QString &field, const QString &message)
{
    m_report.errorField = field;
    m_report.errorMessage = message;
    if (!m_routed)
        m_err << u"r5200tx-cli: "_s << message << Qt::endl;
    finish(code);
}

void FirmwareRun::finish(int code)
{
    if (m_done)
        return;
    m_done = true;
    m_timer.stop();
    if (m_watch)
        m_server->close();
    if (m_link.isOpen()) {
        m_link.close();
        log(r5setup::text::connectionClose());
    }
    const r5fw::DownloadFollow &follow = this->follow();
    if (follow.versionAfter())
        say(u"Firmware after: "_s + *follow.versionAfter());
    m_report.exitCode = code;
    m_report.reading = m_reading;
    {
        QJsonObject o = reportObject(m_report);
        const auto version = [](const std::optional<QString> &v) {
            return v ? QJsonValue(*v) : QJsonValue();
        };
        o.insert(u"versionBefore"_s, version(follow.versionBefore()));
        o.insert(u"versionAfter"_s, version(follow.versionAfter()));
        o.insert(u"bytesSent"_s, follow.bytesSent());
        o.insert(u"size"_s, follow.size());
        m_json = o;
    }
    if (m_args.json && !m_routed)
        m_out << QString::fromUtf8(QJsonDocument(m_json).toJson());
    m_out.flush();
    m_err.flush();
    Q_EMIT finished(code);
}

} // namespace r5cli
