#include "recordwriter.h"

#include "r5/wholefile.h"
#include "r5commission/devicefields.h"
#include "r5commission/record.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace r5cli {

RecordWriter::RecordWriter(const QString &path, QTextStream &err, QObject *parent)
    : QObject(parent), m_path(path), m_err(err), m_lock(path)
{
    m_retry.setSingleShot(true);
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &RecordWriter::pump);
}

void RecordWriter::append(std::function<QByteArray(bool)> bytes, std::function<void(bool, QString)> done)
{
    m_queue.enqueue({std::move(bytes), std::move(done)});
    if (!m_retry.isActive())
        pump();
}

void RecordWriter::pump()
{
    // A done() that appends again is queued behind, not run inside this one.
    if (m_pumping)
        return;
    m_pumping = true;
    while (!m_queue.isEmpty()) {
        const r5::FileLock::Result got = m_lock.tryLock();
        if (got == r5::FileLock::Result::Busy) {
            if (!m_waiting.isValid())
                m_waiting.start();
            if (m_waiting.elapsed() < kGiveUpMs) {
                if (!m_saidWaiting && m_waiting.elapsed() >= kSayWaitingMs) {
                    m_saidWaiting = true;
                    m_err << m_path << u": another program is writing the record; waiting for it"_s
                          << Qt::endl;
                }
                m_retry.start();
                m_pumping = false;
                return;
            }
        }
        const Pending next = m_queue.dequeue();
        QString why;
        bool written = false;
        if (got == r5::FileLock::Result::Locked) {
            // The header goes in only when the file is empty now, with the lock held, so two
            // runs starting one record together write it once.
            written = m_file.append(m_path, next.bytes(QFileInfo(m_path).size() == 0));
            m_lock.unlock();
        } else if (got == r5::FileLock::Result::Busy) {
            why = u"another program held the record locked for %1 s"_s.arg(kGiveUpMs / 1000);
        } else {
            why = m_lock.errorString();
        }
        m_waiting.invalidate();
        m_saidWaiting = false;
        next.done(written, why);
    }
    m_pumping = false;
}

QString okRowTime(const QString &path, const QString &mac)
{
    // A record of thousands of devices is a few megabytes.
    constexpr qint64 kMaxBytes = 256 * 1024 * 1024;
    const r5::FileRead read = r5::readFileUpTo(path, kMaxBytes);
    if (!read.bytes)
        return {};
    const auto record = r5commission::parseRecord(*read.bytes);
    if (!record.value)
        return {};
    for (const r5commission::RecordRow &newest : r5commission::newestPerMac(*record.value)) {
        if (newest.mac() == mac)
            return newest.verdict() == u"OK"_s ? newest.value(u"Time"_s) : QString();
    }
    return {};
}

} // namespace r5cli
