#pragma once

#include "linereader.h"
#include "r5/clock.h"
#include "r5cli/cliargs.h"
#include "r5cli/runreport.h"
#include "r5device/seriallink.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QTextStream>
#include <memory>

namespace r5fw {
class FirmwareServer;
}

namespace r5cli {

class RecordWriter;
class TransferRouter;

// What a person at the bench sees: each device's line as it ends and, on a terminal, a live line
// per port below them (what it is doing, which device), written over as it changes. Elsewhere
// (a file, a pipe) only the plain lines.
class BenchView
{
public:
    BenchView(QTextStream &out, bool live, const QStringList &ports);

    void doing(qsizetype port, const QString &mac, const QString &text);
    void line(const QString &text);
    // The live lines go; the table stays.
    void close(const QStringList &table);

private:
    void erase();
    void draw();

    QTextStream &m_out;
    bool m_live;
    QStringList m_ports;
    QStringList m_lines;
    qsizetype m_drawn = 0;
};

// Several devices at once, one per --port, on the one event loop: each port runs the command
// (Commissioner or FirmwareRun) for its device by itself, so a slow or silent one holds up no
// other. With --each a port goes on to the next device swapped onto it. Every port opens before
// anything is sent, or the run does not start. finished() carries the run's exit code.
class Bench final : public QObject
{
    Q_OBJECT
public:
    Bench(const Args &args, r5::Clock &clock, QTextStream &out, QTextStream &err, QObject *parent = nullptr);
    ~Bench() override;

    void setLogFolder(const QString &folder) { m_logFolder = folder; }
    // Starts; finished() follows, never from inside start().
    void start();
    // Ctrl+C: the devices in progress are interrupted, the ports that wait stop, the table follows.
    void interrupt();

Q_SIGNALS:
    void finished(int exitCode);

private:
    struct Port
    {
        QString name;
        std::unique_ptr<r5setup::SerialLink> link;
        QObject *run = nullptr; // the device's run in progress, or the wait for one
        QString mac;
        bool found = false;
    };

    void begin();
    bool openPorts();
    bool loadFiles();
    void next(qsizetype index);
    void ended(qsizetype index);
    bool take(const QString &mac);
    void stopWaiting();
    void refuse(int code, const QString &field, const QString &message);
    void end();

    Args m_args;
    r5::Clock &m_clock;
    QTextStream &m_out;
    QTextStream &m_err;
    QString m_logFolder = QStringLiteral(".");
    std::vector<Port> m_ports;
    BenchView m_view;
    RecordWriter *m_records = nullptr;
    r5fw::FirmwareServer *m_server = nullptr;
    TransferRouter *m_router = nullptr;
    std::unique_ptr<DayLog> m_log; // the server's lines
    QList<DeviceResult> m_results;
    QSet<QString> m_taken; // --each: the MACs commissioned in this run
    bool m_stopping = false;
    bool m_interrupted = false;
    bool m_ended = false;
};

} // namespace r5cli
