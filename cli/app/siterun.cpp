#include "siterun.h"

#include "r5/consolesignals.h"
#include "r5/wholefile.h"
#include "r5/workfolders.h"
#include "r5cli/runreport.h"
#include "r5site/scanrange.h"
#include "r5site/sitecheck.h"
#include "r5site/sitescan.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

namespace r5cli {

namespace {

// Grace past three intervals, so the third poll's miss is in before the end.
constexpr int kGraceMs = 300;

QString counterText(const std::optional<disim::Report> &report)
{
    if (!report)
        return u"-"_s;
    QStringList parts;
    for (const std::uint32_t c : report->counters)
        parts << QString::number(c);
    return parts.join(u' ');
}

void printTable(QTextStream &out, const QList<QStringList> &rows)
{
    QList<qsizetype> widths;
    for (const QStringList &r : rows) {
        for (qsizetype c = 0; c < r.size(); ++c) {
            if (widths.size() <= c)
                widths.append(0);
            widths[c] = std::max(widths[c], r.at(c).size());
        }
    }
    for (const QStringList &r : rows) {
        QString line;
        for (qsizetype c = 0; c < r.size(); ++c)
            line += c + 1 < r.size() ? r.at(c).leftJustified(widths.at(c) + 2) : r.at(c);
        out << line << Qt::endl;
    }
}

void printError(QTextStream &out, QTextStream &err, const Args &args, int code, const QString &field,
                const QString &message)
{
    err << u"r5200tx-cli: "_s << message << Qt::endl;
    if (!args.json)
        return;
    RunReport report;
    report.command = commandName(args.command);
    report.exitCode = code;
    report.errorField = field;
    report.errorMessage = message;
    out << QString::fromUtf8(reportJson(report));
}

} // namespace

SiteRun::SiteRun(const Args &args, r5::Clock &clock, QTextStream &out, QTextStream &err)
    : m_args(args), m_clock(clock), m_out(out), m_err(err), m_log(clock, err)
{
    m_limit.setSingleShot(true);
    connect(&m_limit, &QTimer::timeout, this, [this] { end(); });
}

SiteRun::~SiteRun() = default;

void SiteRun::fail(int code, const QString &field, const QString &message)
{
    m_ended = true;
    printError(m_out, m_err, m_args, code, field, message);
    QMetaObject::invokeMethod(
        this, [this, code] { Q_EMIT finished(code); }, Qt::QueuedConnection);
}

void SiteRun::start()
{
    const r5site::SiteList list = r5site::readSiteList(m_args.site.file);
    if (!list.ok()) {
        fail(exitcode::Usage, u"FILE"_s, list.error);
        return;
    }
    QDir(m_log.folder()).mkpath(u"Log"_s);
    m_check = std::make_unique<r5site::SiteCheck>(list.entries, m_clock);
    m_check->setIntervalSeconds(m_args.site.intervalSeconds);
    connect(m_check.get(), &r5site::SiteCheck::stateChanged, this, [this](const r5site::StateChange &c) {
        // The first answers are the check settling, not news; everything after is.
        if (c.from == r5site::SiteState::Checking && c.to == r5site::SiteState::Online)
            return;
        m_log.write(u"Site "_s + r5site::stateChangeText(m_check->entry(c.index), c.from, c.to));
    });
    m_log.write(u"Site check of %1: %2 devices, every %3 s"_s.arg(m_args.site.file)
                    .arg(list.entries.size())
                    .arg(m_args.site.intervalSeconds));
    const int intervalMs = m_args.site.intervalSeconds * 1000;
    if (m_args.site.durationSeconds) {
        m_limit.start(*m_args.site.durationSeconds * 1000);
    } else {
        m_limit.start(r5site::SiteCore::kMisses * intervalMs + kGraceMs);
        connect(m_check.get(), &r5site::SiteCheck::allAnswered, this, [this] { end(); });
    }
    m_check->start();
}

void SiteRun::interrupt()
{
    end(exitcode::Interrupted);
}

void SiteRun::end(int interruptedCode)
{
    if (m_ended)
        return;
    m_ended = true;
    m_limit.stop();
    m_check->conclude();
    const r5site::SiteCounts counts = m_check->counts();
    const int code = interruptedCode >= 0              ? interruptedCode
                     : counts.online == counts.devices ? exitcode::Ok
                                                       : exitcode::NotOnline;
    m_log.write(u"Site check of %1 ended: "_s.arg(m_args.site.file) + m_check->summaryLine());
    if (m_args.json) {
        m_out << QString::fromUtf8(QJsonDocument(m_check->toJson()).toJson(QJsonDocument::Indented));
    } else {
        QList<QStringList> rows{{u"Label"_s, u"MAC"_s, u"Address"_s, u"State"_s, u"Last report"_s, u"Ping"_s,
                                 u"Inputs"_s, u"Outputs"_s, u"Counters"_s, u"Counting"_s}};
        for (int i = 0; i < m_check->size(); ++i) {
            const r5site::SiteEntry &e = m_check->entry(i);
            const r5site::DeviceStatus &s = m_check->status(i);
            rows.append({e.label.isEmpty() ? u"-"_s : e.label, e.mac.isEmpty() ? u"-"_s : e.mac,
                         e.address + u':' + QString::number(e.port), r5site::stateText(s.state),
                         s.lastReport.isValid() ? s.lastReport.toString(u"HH:mm:ss"_s) : u"-"_s,
                         s.pingMs ? QString::number(*s.pingMs) + u" ms"_s : u"-"_s,
                         s.last ? s.inputsText() : u"-"_s, s.last ? s.outputsText() : u"-"_s,
                         counterText(s.last), s.countersMoved ? u"yes"_s : u"no"_s});
        }
        printTable(m_out, rows);
        m_out << m_check->summaryLine() << Qt::endl;
    }
    m_out.flush();
    QMetaObject::invokeMethod(
        this, [this, code] { Q_EMIT finished(code); }, Qt::QueuedConnection);
}

ScanRun::ScanRun(const Args &args, QTextStream &out, QTextStream &err) : m_args(args), m_out(out), m_err(err)
{}

ScanRun::~ScanRun() = default;

void ScanRun::fail(int code, const QString &field, const QString &message)
{
    m_ended = true;
    printError(m_out, m_err, m_args, code, field, message);
    QMetaObject::invokeMethod(
        this, [this, code] { Q_EMIT finished(code); }, Qt::QueuedConnection);
}

void ScanRun::start()
{
    const r5site::ParsedRange parsed = r5site::parseRange(m_args.site.range);
    if (!parsed.range) {
        fail(exitcode::Usage, u"RANGE"_s, u"scan: "_s + parsed.error);
        return;
    }
    m_scan = std::make_unique<r5site::SiteScan>(*parsed.range, m_args.site.tcpPort);
    connect(m_scan.get(), &r5site::SiteScan::finished, this, [this] { end(exitcode::Ok); });
    m_scan->start();
}

void ScanRun::interrupt()
{
    end(exitcode::Interrupted);
}

void ScanRun::end(int code)
{
    if (m_ended)
        return;
    m_ended = true;
    m_scan->stop();
    const QList<r5site::ScanHit> hits = m_scan->hits();
    if (!m_args.site.csv.isEmpty()) {
        if (const QString why = r5::replaceFile(m_args.site.csv, r5site::scanCsv(hits)); !why.isEmpty()) {
            fail(exitcode::NotWritten, u"--csv"_s, u"cannot write %1: %2"_s.arg(m_args.site.csv, why));
            return;
        }
    }
    if (m_args.json) {
        const QJsonObject o =
            r5site::scanJson(m_args.site.range, m_args.site.tcpPort, m_scan->scanned(), hits);
        m_out << QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented));
    } else {
        QList<QStringList> rows{{u"Address"_s, u"Port"_s, u"Inputs"_s, u"Counters"_s}};
        for (const r5site::ScanHit &h : hits)
            rows.append({h.address, QString::number(h.port),
                         QString(h.report.inputs.data(), qsizetype(h.report.inputs.size())),
                         counterText(h.report)});
        printTable(m_out, rows);
        m_out << u"%1 of %2 addresses answered on port %3"_s.arg(hits.size())
                     .arg(m_scan->scanned())
                     .arg(m_args.site.tcpPort)
              << Qt::endl;
    }
    m_out.flush();
    QMetaObject::invokeMethod(
        this, [this, code] { Q_EMIT finished(code); }, Qt::QueuedConnection);
}

int runSiteCommand(const Args &args, QTextStream &out, QTextStream &err)
{
    if (args.command == Command::Scan) {
        ScanRun run(args, out, err);
        QObject::connect(&run, &ScanRun::finished, &run, [](int code) { QCoreApplication::exit(code); });
        r5::onConsoleSignals(&run, [&run] { run.interrupt(); });
        run.start();
        return QCoreApplication::exec();
    }
    SiteRun run(args, r5::SystemClock::instance(), out, err);
    // As the other commands: the log in the working folder's Log/, the per-user one when installed.
    run.setLogFolder(r5::findFolders(u"r5200tx-cli"_s).working);
    QObject::connect(&run, &SiteRun::finished, &run, [](int code) { QCoreApplication::exit(code); });
    r5::onConsoleSignals(&run, [&run] { run.interrupt(); });
    run.start();
    return QCoreApplication::exec();
}

} // namespace r5cli
