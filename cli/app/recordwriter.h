#pragma once

#include "r5/appendfile.h"
#include "r5/filelock.h"

#include <QElapsedTimer>
#include <QObject>
#include <QQueue>
#include <QString>
#include <QTextStream>
#include <QTimer>
#include <functional>

namespace r5cli {

// Appends record rows whole, one at a time, under the record file's lock: the rows of this run's
// devices go one after another, and a second r5200tx-cli appending to the same file (two
// terminals on one bench) waits for its turn, on a timer. A record held by someone else for
// longer than kGiveUpMs is reported instead.
class RecordWriter final : public QObject
{
    Q_OBJECT
public:
    static constexpr int kRetryMs = 25;
    static constexpr int kSayWaitingMs = 1000;
    static constexpr int kGiveUpMs = 15000;

    RecordWriter(const QString &path, QTextStream &err, QObject *parent = nullptr);

    // `bytes(fileEmpty)` gives the row (with the header when the file is empty) once the lock is
    // had; `done(written, why)` follows, before append() returns when nobody else holds the file.
    // `why` is empty when the file took the lock but not the row (a full disk).
    void append(std::function<QByteArray(bool fileEmpty)> bytes, std::function<void(bool, QString)> done);

private:
    struct Pending
    {
        std::function<QByteArray(bool)> bytes;
        std::function<void(bool, QString)> done;
    };
    void pump();

    QString m_path;
    QTextStream &m_err;
    r5::FileLock m_lock;
    r5::AppendFile m_file;
    QQueue<Pending> m_queue;
    QTimer m_retry;
    QElapsedTimer m_waiting;
    bool m_saidWaiting = false;
    bool m_pumping = false;
};

// --skip-done: the time of the newest row of `mac` in the record at `path` when that row is OK;
// empty when it is not, or there is none. The file is read afresh each time, so devices a second
// run on the bench has done meanwhile count too.
QString okRowTime(const QString &path, const QString &mac);

} // namespace r5cli
