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

#include <QObject>
#include <QTextStream>
#include <QTimer>
#include <functional>

namespace r5cli {

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

    // Starts the command; finished() follows, never from inside start().
    void start();
    // Ends the run where it is (the user asked to stop): nothing more is sent.
    void interrupt();

Q_SIGNALS:
    void finished(int exitCode);

private:
    using Then = std::function<void(bool answered)>;

    bool loadFiles();
    void openAndRead();
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
    bool m_recordFailed = false;
    bool m_done = false;
};

} // namespace r5cli
