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

#include <QElapsedTimer>
#include <QJsonObject>
#include <QObject>
#include <QTextStream>
#include <QTimer>

namespace r5fw {
class DownloadWatch;
class FirmwareServer;
} // namespace r5fw

namespace r5cli {

class RecordWriter;
class RoutedFollow;
class TransferRouter;

// Why FILE cannot be served and ordered (no such file, a name the order cannot carry); empty
// when it can.
QString firmwareFileProblem(const QString &path);

// `firmware FILE`: serves FILE from this program's own server, reads the device's version,
// sends the download order and follows it, as devsetup does, to the version the device runs
// afterwards. The server ends with the run. finished() carries the exit code.
class FirmwareRun final : public QObject
{
    Q_OBJECT
public:
    // With a router, one device of a bench: the router's server (already listening) serves every
    // device, nothing goes to stdout or stderr (progress() and the result say it), and the log
    // lines are marked with the port.
    FirmwareRun(const Args &args, r5setup::SerialLink &link, r5::Clock &clock, QTextStream &out,
                QTextStream &err, TransferRouter *router = nullptr, QObject *parent = nullptr);
    ~FirmwareRun() override;

    void setLogFolder(const QString &folder) { m_log.setFolder(folder); }
    // Record rows go through `writer` (one for every device of a run).
    void setRecordWriter(RecordWriter *writer) { m_records = writer; }
    // Starts the run; finished() follows, never from inside start().
    void start();
    // Ctrl+C or the console's close: the run ends as a failure would, the server with it.
    void interrupt();

    // After finished(): what a bench shows of the device.
    QString mac() const;
    QString summary() const;
    qint64 elapsedMs() const { return m_elapsed.isValid() ? m_elapsed.elapsed() : 0; }
    QJsonObject json() const { return m_json; }
    const RunReport &report() const { return m_report; }

Q_SIGNALS:
    void finished(int exitCode);
    void progress(const QString &line);

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
    const r5fw::DownloadFollow &follow() const;

    Args m_args;
    r5setup::SerialLink &m_link;
    r5::Clock &m_clock;
    QTextStream &m_out;
    QTextStream &m_err;
    DayLog m_log;
    r5fw::FirmwareServer *m_server;
    r5fw::DownloadWatch *m_watch = nullptr; // alone: its own server's
    RoutedFollow *m_routed = nullptr;       // on a bench: the shared server's
    RecordWriter *m_records = nullptr;
    r5::protocol::FrameReceiver m_receiver;
    QTimer m_timer; // the first status read's wait
    int m_triesLeft = 0;
    QString m_name;
    QString m_address;
    r5commission::DeviceReading m_reading;
    RunReport m_report;
    QJsonObject m_json;
    QElapsedTimer m_elapsed;
    bool m_done = false;
};

} // namespace r5cli
