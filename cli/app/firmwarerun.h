#pragma once

#include "linereader.h"
#include "r5/clock.h"
#include "r5cli/cliargs.h"
#include "r5cli/runreport.h"
#include "r5commission/devicefields.h"
#include "r5device/protocol/receiver.h"
#include "r5device/protocol/requests.h"
#include "r5device/seriallink.h"
#include "r5fw/downloadfollow.h"

#include <QObject>
#include <QTextStream>
#include <QTimer>

namespace r5fw {
class DownloadWatch;
class FirmwareServer;
} // namespace r5fw

namespace r5cli {

// `firmware FILE`: serves FILE from this program's own server, reads the device's version,
// sends the download order and follows it, as devsetup does, to the version the device runs
// afterwards. The server ends with the run. finished() carries the exit code.
class FirmwareRun final : public QObject
{
    Q_OBJECT
public:
    FirmwareRun(const Args &args, r5setup::SerialLink &link, r5::Clock &clock, QTextStream &out,
                QTextStream &err, QObject *parent = nullptr);
    ~FirmwareRun() override;

    void setLogFolder(const QString &folder) { m_log.setFolder(folder); }
    // Starts the run; finished() follows, never from inside start().
    void start();
    // Ctrl+C or the console's close: the run ends as a failure would, the server with it.
    void interrupt();

Q_SIGNALS:
    void finished(int exitCode);

private:
    void begin();
    void readVersion(int triesLeft);
    void order();
    void onRx();
    void onFollowed(r5fw::DownloadFollow::Outcome outcome);
    void send(const r5::protocol::Request &request);
    void log(const QString &message);
    void say(const QString &line);
    void fail(int code, const QString &field, const QString &message);
    void finish(int code);

    Args m_args;
    r5setup::SerialLink &m_link;
    r5::Clock &m_clock;
    QTextStream &m_out;
    QTextStream &m_err;
    DayLog m_log;
    r5fw::FirmwareServer *m_server;
    r5fw::DownloadWatch *m_watch;
    r5::protocol::FrameReceiver m_receiver;
    QTimer m_timer; // the first status read's wait
    int m_triesLeft = 0;
    QString m_name;
    QString m_address;
    r5commission::DeviceReading m_reading;
    RunReport m_report;
    bool m_done = false;
};

} // namespace r5cli
