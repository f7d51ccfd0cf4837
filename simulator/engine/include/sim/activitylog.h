#pragma once

#include "r5/appendfile.h"
#include "r5/clock.h"
#include "sim/activitymodel.h"
#include "sim/display.h"
#include "sim/options.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QThread>
#include <QTimer>

namespace r5::sim {

class FileWriter;

// Where the tool's lines go: the list, the user log file, the daily statistics file and, for
// socket errors, the daily error file. Files are only appended to; a file that cannot be
// written never stops the traffic, and the list says so once per file.
//
// The files are written on a thread of their own, in batches (one write per file every
// kBatchMs), so a slow disk never stalls the window. No line is ever dropped: when more than
// kBacklogHigh bytes wait for the disk, `backlogged(true)` asks the owner to stop reading
// from its peers until the disk has caught up to kBacklogLow.
class ActivityLog : public QObject
{
    Q_OBJECT
public:
    static constexpr int kBatchMs = 20;
    static constexpr qint64 kBatchMax = 1024 * 1024;
    static constexpr qint64 kBacklogHigh = 16 * 1024 * 1024;
    static constexpr qint64 kBacklogLow = 4 * 1024 * 1024;

    // `appDir` holds Err_Log; the statistics file is taken from the working folder.
    ActivityLog(const r5::Clock &clock, const QString &appDir, QObject *parent = nullptr);
    ~ActivityLog() override;

    ActivityModel *model() { return &m_model; }
    const r5::Clock &clock() const { return m_clock; }

    // A status line: always to the list; with "List + File" also to the user log and statistics.
    void status(QStringView eventText, LogLevel level, const QString &userLog);

    // A data line, routed by the level; nothing with "None".
    void data(const QByteArray &bytes, Direction direction, DataFormat format, LogLevel level,
              const QString &userLog);

    // The record of a socket error in the error and statistics files, and its list line.
    void socketError(SocketSide side, int number, const QString &description, const QString &source);

    // One line to the statistics file (nothing for an empty line).
    void writeStat(const QString &line);

    // Makes the user log ready before a connection run; false when the path cannot be used.
    bool prepareUserLog(const QString &path, const QString &workingDir);

    void clearList() { m_model.clear(); }

    // Waits until every line so far is on disk (tests, benchmarks and shutdown).
    void waitWritten();
    // Bytes handed to the disk so far.
    qint64 bytesWritten() const { return m_written; }

Q_SIGNALS:
    void backlogged(bool waiting);

public:
    enum class Channel { User, Stat, Error };
    struct Chunk
    {
        Channel channel;
        QString path;
        QString folder; // made when the file cannot be opened; empty: none
        QByteArray bytes;
    };

private:
    void appendBytes(Channel channel, const QString &path, const QString &folder, const QByteArray &bytes);
    void sendBatch();
    void batchWritten(qint64 bytes, const QStringList &failed, const QStringList &succeeded);

    const r5::Clock &m_clock;
    QString m_appDir;
    ActivityModel m_model;
    QList<Chunk> m_batch;
    qint64 m_batchBytes = 0;
    qint64 m_inFlight = 0;
    qint64 m_written = 0;
    bool m_backlogged = false;
    QTimer m_batchTimer;
    QThread m_thread;
    FileWriter *m_writer = nullptr;
    QSet<QString> m_failing;
};

} // namespace r5::sim
