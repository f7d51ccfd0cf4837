#include "commissioner.h"

#include "r5/wholefile.h"
#include "r5device/linetexts.h"
#include "r5device/portaccess.h"
#include "r5device/protocol/receivepath.h"
#include "r5device/setuplog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

using namespace Qt::StringLiterals;
namespace proto = r5::protocol;
using namespace r5commission;

namespace r5cli {

namespace {

// While the device reboots a status request goes out this often; any answer ends the wait.
constexpr int kPollMs = 250;

std::optional<QByteArray> readFile(const QString &path, QString &error)
{
    // Profiles and plans are a few hundred bytes; a large file is a wrong argument.
    constexpr qint64 kMaxBytes = 4 * 1024 * 1024;
    r5::FileRead read = r5::readFileUpTo(path, kMaxBytes);
    if (!read.bytes)
        error = path + u": "_s + (read.tooLarge ? u"larger than 4 MiB, not a profile or plan"_s : read.error);
    return std::move(read.bytes);
}

QString what(std::uint8_t id)
{
    switch (id) {
    case proto::id::Status:
        return u"status (0x41)"_s;
    case proto::id::CurrentAp:
        return u"current access point (0x49)"_s;
    case proto::id::Rssi:
        return u"signal (0x4A)"_s;
    default:
        return u"0x"_s + QString::number(id, 16).toUpper();
    }
}

} // namespace

Commissioner::Commissioner(const Args &args, r5setup::SerialLink &link, r5::Clock &clock, QTextStream &out,
                           QTextStream &err, QObject *parent)
    : QObject(parent), m_args(args), m_link(link), m_clock(clock), m_out(out), m_err(err), m_log(clock, err)
{
    m_report.command = commandName(args.command);
    m_report.record = args.record;
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &Commissioner::onTimeout);
    connect(&m_link, &r5setup::SerialLink::rxChar, this, &Commissioner::onRx);
    connect(&m_link, &r5setup::SerialLink::lineError, this, [this] { log(r5setup::text::lineError()); });
}

void Commissioner::start()
{
    QTimer::singleShot(0, this, [this] {
        if (loadFiles())
            openAndRead();
    });
}

bool Commissioner::loadFiles()
{
    if (m_args.command == Command::Status || m_args.command == Command::Save)
        return true;
    QString error;
    const auto profileBytes = readFile(m_args.profile, error);
    if (!profileBytes) {
        fail(exitcode::Usage, u"PROFILE"_s, error);
        return false;
    }
    auto profile = parseProfile(*profileBytes);
    if (!profile.value) {
        fail(exitcode::Usage, u"PROFILE"_s, m_args.profile + u": "_s + profile.error);
        return false;
    }
    m_profile = *profile.value;
    if (!m_args.plan.isEmpty()) {
        const auto planBytes = readFile(m_args.plan, error);
        auto plan = planBytes ? parsePlan(*planBytes) : Parsed<Plan>{{}, error};
        if (!plan.value) {
            fail(exitcode::Usage, u"--plan"_s, (planBytes ? m_args.plan + u": "_s : QString()) + plan.error);
            return false;
        }
        m_plan = std::move(*plan.value);
    }
    if (m_profile.isEmpty() && (!m_plan || m_plan->macs.isEmpty())) {
        fail(exitcode::Usage, u"PROFILE"_s,
             m_args.profile + u": names no setting ([WAN], [Server], [DI] or [AP])"_s);
        return false;
    }
    // A record that cannot be written is found before anything goes to the device.
    if (!m_args.record.isEmpty()) {
        QFile record(m_args.record);
        if (!record.open(QIODevice::WriteOnly | QIODevice::Append)) {
            fail(exitcode::NotWritten, u"--record"_s,
                 m_args.record + u": the record cannot be written ("_s + record.errorString() +
                     u"); nothing was sent."_s);
            return false;
        }
    }
    // Every row is checked before anything goes out, so a bad row stops the run at the first
    // device rather than in the middle of a batch. The profile alone is checked here too when
    // there is no plan; with one, only once a device without a row shows up.
    const auto refuse = [this](const QString &where, const r5setup::maint::Refusal &r) {
        fail(exitcode::Usage, r.focus, where + u": "_s + r.message);
        return false;
    };
    if (m_plan) {
        for (const QString &mac : std::as_const(m_plan->macs)) {
            const auto checked = checkFields(merged(m_profile, m_plan->rows.value(mac)));
            if (!checked)
                return refuse(m_args.plan + u" (MAC "_s + mac + u')', checked.refusal);
        }
    } else if (const auto checked = checkFields(m_profile); !checked) {
        return refuse(m_args.profile, checked.refusal);
    }
    return true;
}

void Commissioner::interrupt()
{
    fail(exitcode::Interrupted, QString(), u"interrupted: nothing more is sent to the device"_s);
}

void setPortArguments(const Args &args, r5setup::SerialLink &link)
{
    r5setup::SerialSettings settings = link.settings();
    settings.portName = args.port;
    settings.baudRate = args.baud;
    settings.dataBits = args.dataBits;
    settings.parity = args.parity;
    settings.stopBits = args.stopBits;
    link.setSettings(settings);
}

QString portOpenMessage(const QString &port, const r5setup::SerialLink &link)
{
    QString message = u"--port "_s + port + u": the serial port cannot be opened: "_s + link.errorString();
    if (const QString likely = r5setup::likelyPortName(port); !likely.isEmpty())
        message += u" (did you mean "_s + likely + u"?)"_s;
    if (const QString advice = r5setup::openFailureAdvice(link.openFailure()); !advice.isEmpty())
        message += u'\n' + advice;
    return message;
}

void Commissioner::openAndRead()
{
    QDir(m_log.folder()).mkpath(u"Log"_s);
    setPortArguments(m_args, m_link);
    log(r5setup::text::tryingOpen());
    if (!m_link.open()) {
        log(proto::texts::portNotConnected());
        if (m_args.command == Command::Apply || m_args.command == Command::Verify)
            writeRecord(Verdict::NoAnswer);
        fail(exitcode::PortNotOpened, u"--port"_s, portOpenMessage(m_args.port, m_link));
        return;
    }
    log(r5setup::text::connectionSuccess(m_args.port));
    const bool withSignal = m_args.command == Command::Status || !m_args.record.isEmpty();
    read(withSignal, [this] { afterFirstRead(); });
}

void Commissioner::read(bool withSignal, const std::function<void()> &then)
{
    ask(proto::statusRequest(), proto::id::Status, m_args.timeoutMs, m_args.tries, [=, this](bool ok) {
        if (!ok)
            return finishNoAnswer(what(proto::id::Status));
        ask(proto::hintQuery(u"49"), proto::id::CurrentAp, m_args.timeoutMs, m_args.tries,
            [=, this](bool apOk) {
                if (!apOk)
                    return finishNoAnswer(what(proto::id::CurrentAp));
                if (!withSignal)
                    return then();
                ask(proto::hintQuery(u"4A"), proto::id::Rssi, m_args.timeoutMs, m_args.tries,
                    [=, this](bool rssiOk) {
                        if (!rssiOk)
                            return finishNoAnswer(what(proto::id::Rssi));
                        then();
                    });
            });
    });
}

void Commissioner::afterFirstRead()
{
    switch (m_args.command) {
    case Command::Status:
        say(statusLines(m_reading).join(u'\n'));
        return finish(exitcode::Ok);
    case Command::Save: {
        Fields fields = deviceFields(m_reading);
        fields.remove(u"AP.Password"_s);
        // Whole or not at all: on a full disk the profile that was there stays as it was.
        if (const QString why = r5::replaceFile(m_args.profile, profileText(fields)); !why.isEmpty())
            return fail(exitcode::NotWritten, u"PROFILE"_s,
                        m_args.profile + u": the profile cannot be written ("_s + why +
                            u"); the file is as it was."_s);
        m_report.saved = m_args.profile;
        say(u"Saved the settings of "_s + m_reading.status->mac + u" to "_s + m_args.profile +
            u" (without the access point password)."_s);
        return finish(exitcode::Ok);
    }
    case Command::Apply:
    case Command::Verify:
        break;
    case Command::Firmware: // FirmwareRun's
    case Command::Site:     // SiteRun's and ScanRun's
    case Command::Scan:
        return finish(exitcode::Usage);
    }
    const QString mac = normalMac(m_reading.status->mac);
    Fields effective = m_profile;
    if (m_plan) {
        if (m_plan->rows.contains(mac)) {
            effective = merged(m_profile, m_plan->rows.value(mac));
            say(u"Plan row for "_s + mac + u" applies."_s);
        } else {
            say(u"No plan row for "_s + mac + u": the profile alone."_s);
        }
    }
    // The window's password field holds what the device reported; a profile without one (as
    // save writes them) keeps the device's password instead of sending an empty one.
    if (effective.contains(u"AP.SSID"_s) && !effective.contains(u"AP.Password"_s) && m_reading.ap)
        effective.insert(u"AP.Password"_s, m_reading.ap->password.trimmed());
    const auto checked = checkFields(effective);
    if (!checked) {
        writeRecord(Verdict::Refused);
        return fail(exitcode::Usage, checked.refusal.focus,
                    m_args.profile + u": "_s + checked.refusal.message);
    }
    if (effective.isEmpty()) {
        writeRecord(Verdict::Refused);
        return fail(exitcode::Usage, u"PROFILE"_s, m_args.profile + u": names no setting for "_s + mac);
    }
    m_wantedFields = wantedFields(*checked.value);
    if (m_args.command == Command::Verify)
        return verifyNow();
    m_steps = setCommands(*checked.value);
    applyNext();
}

void Commissioner::applyNext()
{
    if (m_steps.isEmpty()) {
        if (!m_args.verify) {
            say(u"Applied; not verified."_s);
            return finish(exitcode::Ok);
        }
        m_reading = {};
        return read(!m_args.record.isEmpty(), [this] { verifyNow(); });
    }
    const Step step = m_steps.takeFirst();
    const auto id = std::uint8_t(step.request.frame.at(2));
    say(u"Writing 0x"_s + QString::number(id, 16).toUpper() +
        (step.reboots ? u", then waiting for the device to reboot"_s : QString()));
    // The reply comes before a reboot; without one the status polls find out all the same.
    ask(step.request, id, m_args.timeoutMs, 1, [this, step](bool) {
        if (!step.reboots) {
            ask(proto::statusRequest(), proto::id::Status, m_args.timeoutMs, m_args.tries, [this](bool ok) {
                if (!ok)
                    return finishNoAnswer(what(proto::id::Status));
                applyNext();
            });
            return;
        }
        pollStatus(m_clock.utcNow().toMSecsSinceEpoch() + m_args.rebootTimeoutMs, [this](bool ok) {
            if (!ok)
                return finishNoAnswer(u"status after the reboot"_s);
            applyNext();
        });
    });
}

void Commissioner::pollStatus(qint64 deadline, Then then)
{
    const qint64 left = deadline - m_clock.utcNow().toMSecsSinceEpoch();
    if (left <= 0)
        return then(false);
    const int wait = int(std::min<qint64>({kPollMs, left, m_args.timeoutMs}));
    ask(proto::statusRequest(), proto::id::Status, wait, 1, [this, deadline, then](bool ok) {
        if (ok)
            return then(true);
        pollStatus(deadline, then);
    });
}

void Commissioner::verifyNow()
{
    const QList<Comparison> rows = compare(m_wantedFields, deviceFields(m_reading));
    m_report.comparison = rows;
    say(comparisonTable(rows).join(u'\n'));
    const bool ok = allMatch(rows);
    writeRecord(ok ? Verdict::Ok : Verdict::Differs);
    if (ok)
        return finish(exitcode::Ok);
    QStringList differing;
    for (const Comparison &c : rows) {
        if (!c.ok)
            differing.append(c.key);
    }
    fail(exitcode::Differs, differing.join(u", "_s),
         u"The device differs from "_s + QFileInfo(m_args.profile).fileName() + u" in "_s +
             differing.join(u", "_s) + u'.');
}

void Commissioner::ask(const proto::Request &request, std::uint8_t answerId, int waitMs, int tries, Then then)
{
    m_request = request;
    m_waitId = answerId;
    m_triesLeft = tries;
    m_then = std::move(then);
    m_timer.setInterval(waitMs);
    send(m_request);
    m_timer.start();
}

void Commissioner::send(const proto::Request &request)
{
    for (const QString &line : request.announce)
        log(line);
    log(request.txLine());
    if (!m_link.write(request.frame))
        log(proto::texts::serialPortError());
}

void Commissioner::onTimeout()
{
    if (m_done || m_waitId == 0)
        return;
    if (--m_triesLeft > 0) {
        send(m_request);
        m_timer.start();
        return;
    }
    m_waitId = 0;
    Then then = std::move(m_then);
    then(false);
}

void Commissioner::onRx()
{
    readFrames(
        m_link, m_receiver, m_log, [this] { return m_done; },
        [this](const proto::RxFrame &frame, const QList<proto::RxAction> &actions) {
            bool decoded = frame.frameClass() == proto::FrameClass::ReplyOnly;
            for (const proto::RxAction &action : actions) {
                if (const auto *l = std::get_if<proto::rx::Log>(&action)) {
                    log(l->text);
                } else if (const auto *s = std::get_if<proto::rx::ShowStatus>(&action)) {
                    m_reading.status = *s->view;
                    decoded = true;
                } else if (const auto *a = std::get_if<proto::rx::ShowCurrentAp>(&action)) {
                    m_reading.ap = a->ap;
                    decoded = true;
                } else if (const auto *r = std::get_if<proto::rx::ShowRssi>(&action)) {
                    m_reading.rssi = r->reading;
                    decoded = true;
                }
                // An unregistered id makes the window ask for the status again; here the
                // ask in progress repeats on its own timer.
            }
            if (!m_done && decoded && m_waitId != 0 && frame.id() == m_waitId) {
                m_timer.stop();
                m_waitId = 0;
                Then then = std::move(m_then);
                then(true);
            }
        });
}

void Commissioner::log(const QString &message)
{
    m_log.write(message);
}

void Commissioner::finishNoAnswer(const QString &query)
{
    if (m_args.command == Command::Apply || m_args.command == Command::Verify)
        writeRecord(Verdict::NoAnswer);
    fail(exitcode::NoAnswer, u"--port"_s,
         u"No answer to the "_s + query + u" query on "_s + m_args.port +
             u". Check the cable, the device's power, the port and --baud."_s);
}

void Commissioner::say(const QString &line)
{
    if (!m_args.json)
        m_out << line << Qt::endl;
}

void Commissioner::fail(int code, const QString &field, const QString &message)
{
    m_err << message << Qt::endl;
    if (m_report.errorMessage.isEmpty()) {
        m_report.errorField = field;
        m_report.errorMessage = message;
    }
    finish(code);
}

void Commissioner::writeRecord(Verdict verdict)
{
    if (m_args.record.isEmpty())
        return;
    // Only ever appended to: a header goes in when the file is new or empty.
    const QByteArray bytes = recordBytes(QFileInfo(m_args.record).size() == 0, m_clock.localNow(), m_reading,
                                         verdict, QFileInfo(m_args.profile).fileName());
    r5::AppendFile file;
    m_report.recordWritten = file.append(m_args.record, bytes);
    if (!m_report.recordWritten) {
        m_recordFailed = true;
        m_err << m_args.record << u": the record row could not be written"_s << Qt::endl;
    }
}

void Commissioner::finish(int code)
{
    if (m_done)
        return;
    m_done = true;
    // A run that did everything else but leave its record has not succeeded.
    if (code == exitcode::Ok && m_recordFailed) {
        code = exitcode::NotWritten;
        m_report.errorField = u"--record"_s;
        m_report.errorMessage = m_args.record + u": the record row could not be written"_s;
    }
    m_timer.stop();
    m_waitId = 0;
    if (m_link.isOpen()) {
        m_link.close();
        log(r5setup::text::connectionClose());
    }
    m_report.exitCode = code;
    m_report.reading = m_reading;
    if (m_args.json)
        m_out << QString::fromUtf8(reportJson(m_report));
    m_out.flush();
    m_err.flush();
    Q_EMIT finished(code);
}

} // namespace r5cli
