#include "firmwarerun.h"

#include "commissioner.h"
#include "r5/appendfile.h"
#include "r5device/linetexts.h"
#include "r5device/protocol/receivepath.h"
#include "r5device/setuplog.h"
#include "r5fw/downloadwatch.h"
#include "r5fw/firmwareserver.h"
#include "r5fw/fwtexts.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
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

FirmwareRun::FirmwareRun(const Args &args, r5setup::SerialLink &link, r5::Clock &clock, QTextStream &out,
                         QTextStream &err, QObject *parent)
    : QObject(parent), m_args(args), m_link(link), m_clock(clock), m_out(out), m_err(err), m_log(clock, err),
      m_server(new r5fw::FirmwareServer(clock, this)),
      m_watch(new r5fw::DownloadWatch(
          *m_server, clock, [this] { send(proto::statusRequest()); }, this))
{
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
    connect(m_server, &r5fw::FirmwareServer::line, this, both);
    connect(m_watch, &r5fw::DownloadWatch::line, this, both);
    connect(m_watch, &r5fw::DownloadWatch::finished, this, &FirmwareRun::onFollowed);
}

FirmwareRun::~FirmwareRun() = default;

void FirmwareRun::start()
{
    QTimer::singleShot(0, this, &FirmwareRun::begin);
}

void FirmwareRun::begin()
{
    const QFileInfo file(m_args.firmware);
    if (!file.isFile())
        return fail(exitcode::Usage, u"FILE"_s, m_args.firmware + u": no such file"_s);
    m_name = file.fileName();
    if (!orderableName(m_name))
        return fail(exitcode::Usage, u"FILE"_s,
                    m_name + u": the name must be 1 to 31 printable ASCII characters, without spaces, "
                             "/ \\ % ? # or a leading dot"_s);
    QDir(m_log.folder()).mkpath(u"Log"_s);

    const bool chosen = !m_args.serveAddress.isEmpty();
    m_address = chosen ? m_args.serveAddress : r5fw::primaryIPv4Address().value_or(u"127.0.0.1"_s);
    m_server->setOnlyFile(m_name);
    QString why;
    // A chosen address is listened on alone; this PC's own is the LAN's, reached on any interface.
    if (!m_server->listen(file.canonicalPath(), chosen ? QHostAddress(m_address) : QHostAddress::AnyIPv4,
                          m_args.servePort, &why))
        return fail(exitcode::PortNotOpened, u"--serve"_s, r5fw::text::portUnusable(m_args.servePort, why));
    const QString listening = r5fw::text::listeningAt(m_address, m_server->port(),
                                                      QDir::toNativeSeparators(file.canonicalFilePath()));
    log(listening);
    say(listening);

    setPortArguments(m_args, m_link);
    log(r5setup::text::tryingOpen());
    if (!m_link.open()) {
        log(proto::texts::portNotConnected());
        return fail(exitcode::PortNotOpened, u"--port"_s, portOpenMessage(m_args.port, m_link));
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
    m_watch->statusAnswered(before);
    std::array<std::uint8_t, 4> octets{};
    const QStringList parts = m_address.split(u'.');
    for (std::size_t i = 0; i < octets.size(); ++i)
        octets[i] = std::uint8_t(parts.value(qsizetype(i)).toUInt());
    const QString path = u'/' + m_name;
    send(proto::firmwareDownloadRequest(octets, m_server->port(), path));
    m_watch->start(m_address, m_server->port(), path);
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
                    if (m_watch->active()) {
                        m_watch->statusAnswered(s->view->version);
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
            const QByteArray row =
                r5commission::recordBytes(QFileInfo(m_args.record).size() == 0, m_clock.localNow(), m_reading,
                                          r5commission::Verdict::Ok, m_name);
            r5::AppendFile file;
            m_report.recordWritten = file.append(m_args.record, row);
            if (!m_report.recordWritten)
                return fail(exitcode::NotWritten, u"--record"_s,
                            m_args.record + u": the record row could not be written"_s);
        }
        return finish(exitcode::Ok);
    case Outcome::NoAnswer:
        return fail(exitcode::NoAnswer, u"--port"_s, u"the device did not answer again after the download"_s);
    case Outcome::NoRequest:
    case Outcome::NotFollowed:
        return fail(exitcode::NoRequest, u"--serve"_s,
                    u"no request for "_s + m_name + u" reached the server"_s);
    case Outcome::BrokenOff:
    case Outcome::Refused:
        return fail(exitcode::BrokenOff, u"FILE"_s, u"the transfer of "_s + m_name + u" did not complete"_s);
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
    if (!m_args.json)
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
    m_err << u"r5200tx-cli: "_s << message << Qt::endl;
    finish(code);
}

void FirmwareRun::finish(int code)
{
    if (m_done)
        return;
    m_done = true;
    m_timer.stop();
    m_server->close();
    if (m_link.isOpen()) {
        m_link.close();
        log(r5setup::text::connectionClose());
    }
    const r5fw::DownloadFollow &follow = m_watch->follow();
    if (follow.versionAfter())
        say(u"Firmware after: "_s + *follow.versionAfter());
    m_report.exitCode = code;
    m_report.reading = m_reading;
    if (m_args.json) {
        QJsonObject o = QJsonDocument::fromJson(reportJson(m_report)).object();
        const auto version = [](const std::optional<QString> &v) {
            return v ? QJsonValue(*v) : QJsonValue();
        };
        o.insert(u"versionBefore"_s, version(follow.versionBefore()));
        o.insert(u"versionAfter"_s, version(follow.versionAfter()));
        o.insert(u"bytesSent"_s, follow.bytesSent());
        o.insert(u"size"_s, follow.size());
        if (code == exitcode::NoRequest || code == exitcode::BrokenOff) {
            QJsonObject error = o.value(u"error"_s).toObject();
            error.insert(u"kind"_s, code == exitcode::NoRequest ? u"no-request"_s : u"broken-off"_s);
            o.insert(u"error"_s, error);
        }
        m_out << QString::fromUtf8(QJsonDocument(o).toJson());
    }
    m_out.flush();
    m_err.flush();
    Q_EMIT finished(code);
}

} // namespace r5cli
