#include "sim/activitylog.h"

#include "sim/logpaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <array>

using namespace Qt::StringLiterals;

namespace r5::sim {

// Appends batches of chunks on the writer thread, one open file per channel, and says which
// paths failed and which took their bytes.
class FileWriter : public QObject
{
    Q_OBJECT
public:
    void write(const QList<ActivityLog::Chunk> &batch)
    {
        qint64 bytes = 0;
        QStringList failed, succeeded;
        for (const ActivityLog::Chunk &c : batch) {
            r5::AppendFile &file = m_files[size_t(c.channel)];
            bool ok = file.append(c.path, c.bytes);
            if (!ok && !c.folder.isEmpty() && QDir().mkpath(c.folder))
                ok = file.append(c.path, c.bytes);
            (ok ? succeeded : failed).append(c.path);
            bytes += c.bytes.size();
        }
        Q_EMIT written(bytes, failed, succeeded);
    }

Q_SIGNALS:
    void written(qint64 bytes, const QStringList &failed, const QStringList &succeeded);

private:
    std::array<r5::AppendFile, 3> m_files;
};

namespace {
// The files hold the bytes as the list shows them: one byte per character.
QByteArray fileLine(const QString &text)
{
    return text.toLatin1() + "\r\n";
}

// A data line as the files hold it, made straight into bytes: a flood writes every byte three
// times over as hex, and this runs on the window's thread.
QByteArray fileDataLine(const QString &header, const QByteArray &data, DataFormat format)
{
    QByteArray out = header.toLatin1();
    if (format == DataFormat::Ascii) {
        out += data;
    } else {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        const qsizetype at = out.size();
        out.resize(at + 3 * data.size());
        char *p = out.data() + at;
        for (const char c : data) {
            const auto b = static_cast<unsigned char>(c);
            *p++ = ' ';
            *p++ = kDigits[b >> 4];
            *p++ = kDigits[b & 15];
        }
    }
    out += "\r\n";
    return out;
}
} // namespace

ActivityLog::ActivityLog(const r5::Clock &clock, const QString &appDir, QObject *parent)
    : QObject(parent), m_clock(clock), m_appDir(appDir)
{
    m_batchTimer.setSingleShot(true);
    m_batchTimer.setInterval(kBatchMs);
    connect(&m_batchTimer, &QTimer::timeout, this, &ActivityLog::sendBatch);
    m_writer = new FileWriter;
    m_writer->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_writer, &QObject::deleteLater);
    connect(m_writer, &FileWriter::written, this, &ActivityLog::batchWritten);
    m_thread.setObjectName(u"log files"_s);
    m_thread.start();
}

ActivityLog::~ActivityLog()
{
    // Every line reaches its file before the thread ends.
    sendBatch();
    QMetaObject::invokeMethod(
        m_writer, [] {}, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void ActivityLog::status(QStringView eventText, LogLevel level, const QString &userLog)
{
    const QString line = statusLine(m_clock.localNow(), eventText);
    m_model.addText(line);
    if (level == LogLevel::ListFile) {
        const QByteArray bytes = fileLine(line);
        appendBytes(Channel::User, userLog, QString(), bytes);
        appendBytes(Channel::Stat, statFilePath(m_clock.localDate()), statFolder(), bytes);
    }
}

void ActivityLog::data(const QByteArray &bytes, Direction direction, DataFormat format, LogLevel level,
                       const QString &userLog)
{
    if (level == LogLevel::None)
        return;
    const QString header = dataHeader(m_clock.localNow(), direction, bytes.size(), format);
    if (levelHasList(level))
        m_model.addData(header, bytes, format);
    if (levelHasFile(level)) {
        const QByteArray line = fileDataLine(header, bytes, format);
        appendBytes(Channel::User, userLog, QString(), line);
        appendBytes(Channel::Stat, statFilePath(m_clock.localDate()), statFolder(), line);
    }
}

void ActivityLog::socketError(SocketSide side, int number, const QString &description, const QString &source)
{
    const QDateTime now = m_clock.localNow();
    const QString record = errorRecord(side, now, number, description, source);
    appendBytes(Channel::Error, errorFilePath(m_appDir, now.date()), errorFolder(m_appDir), fileLine(record));
    writeStat(record);
    m_model.addText(errorListLine(side, now));
}

void ActivityLog::writeStat(const QString &line)
{
    if (line.isEmpty())
        return;
    appendBytes(Channel::Stat, statFilePath(m_clock.localDate()), statFolder(), fileLine(line));
}

void ActivityLog::appendBytes(Channel channel, const QString &path, const QString &folder,
                              const QByteArray &bytes)
{
    // The lines of a batch leave in one write per file (user log and statistics alternate).
    Chunk *same = nullptr;
    for (qsizetype i = m_batch.size() - 1; i >= 0 && i >= m_batch.size() - 3; --i) {
        if (m_batch[i].channel == channel) {
            if (m_batch[i].path == path)
                same = &m_batch[i];
            break;
        }
    }
    if (same)
        same->bytes += bytes;
    else
        m_batch.append({channel, path, folder, bytes});
    m_batchBytes += bytes.size();
    m_inFlight += bytes.size();
    if (m_batchBytes >= kBatchMax)
        sendBatch();
    else if (!m_batchTimer.isActive())
        m_batchTimer.start();
    if (!m_backlogged && m_inFlight > kBacklogHigh) {
        m_backlogged = true;
        Q_EMIT backlogged(true);
    }
}

void ActivityLog::sendBatch()
{
    m_batchTimer.stop();
    if (m_batch.isEmpty())
        return;
    QList<Chunk> batch;
    batch.swap(m_batch);
    m_batchBytes = 0;
    QMetaObject::invokeMethod(m_writer, [w = m_writer, batch = std::move(batch)] { w->write(batch); });
}

void ActivityLog::batchWritten(qint64 bytes, const QStringList &failed, const QStringList &succeeded)
{
    m_inFlight -= bytes;
    m_written += bytes;
    for (const QString &path : succeeded)
        m_failing.remove(path);
    for (const QString &path : failed) {
        if (m_failing.contains(path))
            continue;
        m_failing.insert(path);
        m_model.addText(statusLine(m_clock.localNow(), QString(u"] : File Write Fail : "_s + path)));
    }
    if (m_backlogged && m_inFlight <= kBacklogLow) {
        m_backlogged = false;
        Q_EMIT backlogged(false);
    }
}

void ActivityLog::waitWritten()
{
    sendBatch();
    QMetaObject::invokeMethod(
        m_writer, [] {}, Qt::BlockingQueuedConnection);
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

bool ActivityLog::prepareUserLog(const QString &path, const QString &workingDir)
{
    const auto plan = planLogPath(path, workingDir);
    if (!plan || !QFileInfo(plan->root).isDir())
        return false;
    for (const QString &folder : plan->folders) {
        if (!QFileInfo(folder).isDir() && !QDir().mkdir(folder))
            return false;
    }
    QFile file(plan->file);
    return file.open(QIODevice::WriteOnly | QIODevice::Append);
}

} // namespace r5::sim

#include "activitylog.moc"
