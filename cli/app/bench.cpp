#include "bench.h"

#include "commissioner.h"
#include "firmwarerun.h"
#include "r5/consoletext.h"
#include "r5device/seriallinkfactory.h"
#include "r5fw/downloadwatch.h"
#include "r5fw/firmwareserver.h"
#include "r5fw/fwtexts.h"
#include "recordwriter.h"
#include "routedfollow.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace r5cli {

namespace {

// A live line longer than the terminal is wide would wrap, and the lines above it would no longer
// be written over where they stand.
constexpr qsizetype kLiveWidth = 79;

} // namespace

BenchView::BenchView(QTextStream &out, bool live, const QStringList &ports)
    : m_out(out), m_live(live), m_ports(ports), m_lines(ports.size())
{}

void BenchView::doing(qsizetype port, const QString &mac, const QString &text)
{
    if (!m_live)
        return;
    QString line = m_ports[port] + u' ' + (mac.isEmpty() ? u"-"_s : mac) + u' ' + text;
    if (line.size() > kLiveWidth)
        line = line.left(kLiveWidth - 3) + u"..."_s;
    m_lines[port] = line;
    erase();
    draw();
}

void BenchView::line(const QString &text)
{
    erase();
    m_out << text << Qt::endl;
    draw();
}

void BenchView::close(const QStringList &table)
{
    erase();
    m_live = false;
    for (const QString &row : table)
        m_out << row << u'\n';
    m_out.flush();
}

void BenchView::erase()
{
    if (m_drawn == 0)
        return;
    // Up to the first live line, then clear to the end of the screen.
    m_out << u"\x1b["_s << m_drawn << u"F\x1b[J"_s;
    m_drawn = 0;
}

void BenchView::draw()
{
    if (!m_live)
        return;
    for (const QString &l : std::as_const(m_lines))
        m_out << l << u'\n';
    m_drawn = m_lines.size();
    m_out.flush();
}

Bench::Bench(const Args &args, r5::Clock &clock, QTextStream &out, QTextStream &err, QObject *parent)
    : QObject(parent), m_args(args), m_clock(clock), m_out(out), m_err(err),
      m_view(args.json ? err : out, !args.json && r5::outputIsLiveConsole(), args.ports)
{}

Bench::~Bench() = default;

void Bench::start()
{
    QTimer::singleShot(0, this, &Bench::begin);
}

void Bench::refuse(int code, const QString &field, const QString &message)
{
    m_err << message << Qt::endl;
    if (m_args.json) {
        RunReport report;
        report.command = commandName(m_args.command);
        report.exitCode = code;
        report.errorField = field;
        report.errorMessage = message;
        m_out << QString::fromUtf8(reportJson(report));
    }
    m_out.flush();
    m_ended = true;
    Q_EMIT finished(code);
}

void Bench::begin()
{
    QDir(m_logFolder).mkpath(u"Log"_s);
    // Everything that can stop the run is found before any port opens: the same port under two
    // names, the files, the server's port; then every port must open.
    QHash<QString, QString> seen;
    for (const QString &name : std::as_const(m_args.ports)) {
        const QFileInfo info(name);
        const QString key = info.exists() ? info.canonicalFilePath() : name;
        if (seen.contains(key))
            return refuse(exitcode::Usage, u"--port"_s,
                          u"--port %1 and --port %2 are the same port; one device per port"_s.arg(
                              seen.value(key), name));
        seen.insert(key, name);
    }
    if (!loadFiles())
        return;
    if (!m_args.record.isEmpty())
        m_records = new RecordWriter(m_args.record, m_err, this);
    if (!openPorts())
        return;
    for (qsizetype i = 0; i < qsizetype(m_ports.size()); ++i)
        next(i);
}

bool Bench::loadFiles()
{
    if (m_args.command != Command::Firmware) {
        // A Commissioner checks the profile, the plan and the record as a single run does; it
        // sends nothing for that.
        const auto link = r5setup::makeSerialLink();
        Commissioner check(m_args, *link, m_clock, m_out, m_err);
        check.setBench(true);
        if (check.loadFiles())
            return true;
        refuse(check.report().exitCode == exitcode::Ok ? exitcode::Usage : check.report().exitCode,
               check.report().errorField, check.report().errorMessage);
        return false;
    }
    if (const QString problem = firmwareFileProblem(m_args.firmware); !problem.isEmpty()) {
        refuse(exitcode::Usage, u"FILE"_s, problem);
        return false;
    }
    const QFileInfo file(m_args.firmware);
    const bool chosen = !m_args.serveAddress.isEmpty();
    const QString address =
        chosen ? m_args.serveAddress : r5fw::primaryIPv4Address().value_or(u"127.0.0.1"_s);
    m_server = new r5fw::FirmwareServer(m_clock, this);
    m_server->setOnlyFile(file.fileName());
    QString why;
    // One server for every device: a chosen address alone, this PC's own on any interface.
    if (!m_server->listen(file.canonicalPath(), chosen ? QHostAddress(address) : QHostAddress::AnyIPv4,
                          m_args.servePort, &why)) {
        refuse(exitcode::PortNotOpened, u"--serve"_s, r5fw::text::portUnusable(m_args.servePort, why));
        return false;
    }
    m_router = new TransferRouter(*m_server, this);
    m_log = std::make_unique<DayLog>(m_clock, m_err);
    m_log->setFolder(m_logFolder);
    connect(m_server, &r5fw::FirmwareServer::line, this, [this](const QString &l) { m_log->write(l); });
    const QString listening = r5fw::text::listeningAt(address, m_server->port(),
                                                      QDir::toNativeSeparators(file.canonicalFilePath()));
    m_log->write(listening);
    m_view.line(listening);
    return true;
}

bool Bench::openPorts()
{
    QStringList problems;
    for (const QString &name : std::as_const(m_args.ports)) {
        Port port;
        port.name = name;
        port.link = r5setup::makeSerialLink();
        Args one = m_args;
        one.port = name;
        setPortArguments(one, *port.link);
        if (!port.link->open())
            problems.append(portOpenMessage(name, *port.link));
        m_ports.push_back(std::move(port));
    }
    if (problems.isEmpty())
        return true;
    for (Port &port : m_ports)
        port.link->close();
    refuse(exitcode::PortNotOpened, u"--port"_s,
           problems.join(u'\n') + u"\nNothing was sent to any device."_s);
    return false;
}

bool Bench::take(const QString &mac)
{
    // The same device is never commissioned twice in one run, whichever port it turns up on.
    if (m_stopping || m_taken.contains(mac))
        return false;
    m_taken.insert(mac);
    if (m_args.count > 0 && m_taken.size() >= m_args.count)
        QTimer::singleShot(0, this, &Bench::stopWaiting);
    return true;
}

namespace {

void interruptRun(QObject *run)
{
    if (auto *c = qobject_cast<Commissioner *>(run))
        c->interrupt();
    else if (auto *f = qobject_cast<FirmwareRun *>(run))
        f->interrupt();
}

} // namespace

void Bench::stopWaiting()
{
    m_stopping = true;
    for (Port &port : m_ports) {
        if (port.run && !port.found)
            interruptRun(port.run);
    }
}

void Bench::next(qsizetype index)
{
    Port &port = m_ports[std::size_t(index)];
    Args one = m_args;
    one.port = port.name;
    port.mac.clear();
    port.found = !m_args.each;
    if (m_args.command == Command::Firmware) {
        auto *run = new FirmwareRun(one, *port.link, m_clock, m_out, m_err, m_router, this);
        run->setLogFolder(m_logFolder);
        run->setRecordWriter(m_records);
        connect(run, &FirmwareRun::progress, this, [this, index](const QString &text) {
            m_view.doing(index, m_ports[std::size_t(index)].mac, text);
        });
        connect(run, &FirmwareRun::finished, this, [this, index] { ended(index); });
        port.run = run;
        run->start();
        return;
    }
    auto *run = new Commissioner(one, *port.link, m_clock, m_out, m_err, this);
    run->setLogFolder(m_logFolder);
    run->setBench(true);
    run->setRecordWriter(m_records);
    if (m_args.skipDone)
        run->setDoneLookup([record = m_args.record](const QString &mac) { return okRowTime(record, mac); });
    if (m_args.each)
        run->setWaitForDevice([this](const QString &mac) { return take(mac); });
    connect(run, &Commissioner::deviceArrived, this, [this, index](const QString &mac) {
        m_ports[std::size_t(index)].mac = mac;
        m_ports[std::size_t(index)].found = true;
    });
    connect(run, &Commissioner::progress, this, [this, index](const QString &text) {
        m_view.doing(index, m_ports[std::size_t(index)].mac, text);
    });
    connect(run, &Commissioner::finished, this, [this, index] { ended(index); });
    port.run = run;
    run->start();
}

void Bench::ended(qsizetype index)
{
    Port &port = m_ports[std::size_t(index)];
    QObject *run = std::exchange(port.run, nullptr);
    run->deleteLater();
    DeviceResult r;
    r.port = port.name;
    if (auto *c = qobject_cast<Commissioner *>(run)) {
        if (!c->deviceFound()) {
            m_view.doing(index, QString(), u"stopped"_s);
            return end();
        }
        r.mac = c->mac();
        r.label = c->label();
        r.doneAt = c->doneAt();
        r.exitCode = c->report().exitCode;
        r.message = c->report().errorMessage.isEmpty() ? c->summary() : c->report().errorMessage;
        r.ms = c->elapsedMs();
        r.json = c->json();
    } else if (auto *f = qobject_cast<FirmwareRun *>(run)) {
        r.mac = f->mac();
        r.exitCode = f->report().exitCode;
        r.message = f->report().errorMessage.isEmpty() ? f->summary() : f->report().errorMessage;
        r.ms = f->elapsedMs();
        r.json = f->json();
    }
    m_results.append(r);
    m_view.line(resultLine(r));
    m_view.doing(index, r.mac, verdictOf(r));
    if (m_args.each && !m_stopping && !m_interrupted)
        return next(index);
    end();
}

void Bench::interrupt()
{
    m_interrupted = true;
    m_stopping = true;
    for (Port &port : m_ports) {
        if (port.run)
            interruptRun(port.run);
    }
    end();
}

void Bench::end()
{
    if (m_ended)
        return;
    for (const Port &port : m_ports) {
        if (port.run)
            return;
    }
    m_ended = true;
    const int code = benchExitCode(m_results, m_interrupted ? exitcode::Interrupted : exitcode::Ok);
    if (m_args.json) {
        m_view.close({});
        int failed = 0;
        for (const DeviceResult &r : std::as_const(m_results))
            failed += r.exitCode == exitcode::Ok ? 0 : 1;
        const QString message =
            code == exitcode::SomeDevices
                ? u"%1 of %2 devices did not end with 0"_s.arg(failed).arg(m_results.size())
                : (m_results.size() == 1
                       ? m_results.first().json.value(u"error"_s).toObject().value(u"message"_s).toString()
                       : QString());
        m_out << QString::fromUtf8(
            benchJson(commandName(m_args.command), code, message, m_args.record, m_results));
    } else {
        m_view.close(benchTable(m_results));
    }
    m_out.flush();
    m_err.flush();
    Q_EMIT finished(code);
}

} // namespace r5cli
