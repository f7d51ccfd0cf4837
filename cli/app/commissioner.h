#pragma once

#include "linereader.h"
#include "r5/appendfile.h"
#include "r5/clock.h"
#include "r5cli/cliargs.h"
#include "r5cli/runreport.h"
#include "r5commission/devicefields.h"
#include "r5commission/profile.h"
#include "r5device/protocol/receiver.h"
#include "r5device/protocol/requests.h"
#include "r5device/seriallink.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QObject>
#include <QTextStream>
#include <QTimer>
#include <functional>

namespace r5cli {

class RecordWriter;

// The port and line settings the arguments name, on the link before it opens.
void setPortArguments(const Args &args, r5setup::SerialLink &link);

// "--port P: the serial port cannot be opened: REASON", with the likely name of a bare number and
// what to do for the kind of failure: the same words for every command.
QString portOpenMessage(const QString &port, const r5setup::SerialLink &link);

// One run of the program against one device: each command is a chain of asks (a request and
// the answer it waits for, with a timer), so the event loop runs throughout. finished() carries
// the exit code.
class Commissioner final : public QObject
{
    Q_OBJECT
public:
    Commissioner(const Args &args, r5setup::SerialLink &link, r5::Clock &clock, QTextStream &out,
                 QTextStream &err, QObject *parent = nullptr);

    // Where the day's log goes (its Log folder): the working folder, unless the program runs
    // installed from a folder it keeps nothing in.
    void setLogFolder(const QString &folder) { m_log.setFolder(folder); }

    // Record rows go through `writer` (one for every device of a run); without one the run
    // makes its own.
    void setRecordWriter(RecordWriter *writer) { m_records = writer; }
    // One device of a bench: nothing goes to stdout or stderr (progress() and the result say
    // it), the log lines are marked with the port, and save names its profile by the MAC.
    void setBench(bool bench);
    // --skip-done: the time of the record's OK row for a MAC, or empty when it has none.
    void setDoneLookup(std::function<QString(const QString &mac)> lookup) { m_doneAt = std::move(lookup); }
    // --each: the port waits for a device, and takes the one whose MAC `accept` takes, however
    // long that is; a port that vanishes is opened again when it comes back.
    void setWaitForDevice(std::function<bool(const QString &mac)> accept) { m_accept = std::move(accept); }

    // Starts the command; finished() follows, never from inside start().
    void start();
    // Ends the run where it is (the user asked to stop): nothing more is sent.
    void interrupt();

    // After finished(): what a bench shows of the device.
    bool deviceFound() const { return m_found; }
    QString mac() const;
    QString label() const { return m_label; }
    QString doneAt() const { return m_skippedAt; }
    QString summary() const { return m_summary; }
    qint64 elapsedMs() const { return m_elapsed.isValid() ? m_elapsed.elapsed() : 0; }
    QJsonObject json() const { return reportObject(m_report); }
    const RunReport &report() const { return m_report; }

Q_SIGNALS:
    void finished(int exitCode);
    // What the device is doing, for a live line: one line.
    void progress(const QString &line);
    // --each: a device was taken (its MAC).
    void deviceArrived(const QString &mac);

private:
    using Then = std::function<void(bool answered)>;

public:
    // Reads and checks the profile and plan and that the record can be written, as start() does
    // first; false with the error in report() (and finished() emitted).
    bool loadFiles();

private:
    void openAndRead();
    void waitForDevice();
    void read(bool withSignal, const std::function<void()> &then);
    void afterFirstRead();
    void applyNext();
    void verifyNow();
    void ask(const r5::protocol::Request &request, std::uint8_t answerId, int waitMs, int tries, Then then);
    void pollStatus(qint64 deadline, Then then);
    void send(const r5::protocol::Request &request);
    void onRx();
    void onTimeout();
    void log(const QString &message);
    // A progress line for people; --json keeps stdout for its one object.
    void say(const QString &line);
    void fail(int code, const QString &field, const QString &message);
    void finish(int code);
    void finishNoAnswer(const QString &what);
    void writeRecord(r5commission::Verdict verdict);
    QString recordFailure() const;
    void complete();

    Args m_args;
    r5setup::SerialLink &m_link;
    r5::Clock &m_clock;
    QTextStream &m_out;
    QTextStream &m_err;
    DayLog m_log;
    r5::protocol::FrameReceiver m_receiver;
    QTimer m_timer;

    // The ask in progress.
    r5::protocol::Request m_request;
    std::uint8_t m_waitId = 0;
    int m_triesLeft = 0;
    Then m_then;

    r5commission::Fields m_profile;
    std::optional<r5commission::Plan> m_plan;
    r5commission::Fields m_wantedFields;
    QList<r5commission::Step> m_steps;
    r5commission::DeviceReading m_reading;
    RunReport m_report;
    RecordWriter *m_records = nullptr;
    std::function<QString(const QString &)> m_doneAt;
    std::function<bool(const QString &)> m_accept;
    QTimer m_again; // --each: the next look for a device
    QElapsedTimer m_elapsed;
    QString m_label;
    QString m_skippedAt;
    QString m_summary;
    QString m_recordWhy;
    int m_recordsPending = 0;
    int m_code = 0;
    bool m_bench = false;
    bool m_loaded = false;
    bool m_found = false;
    bool m_recordFailed = false;
    bool m_done = false;
    bool m_ended = false;
};

} // namespace r5cli
