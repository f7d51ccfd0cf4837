#include "r5/wholefile.h"

#include "wholefile_p.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace r5 {

QString replaceFile(const QString &path, QByteArrayView bytes)
{
    QSaveFile file(path);
    // Unbuffered, so a short write is seen at write(), where the count can be checked: a buffered
    // QSaveFile flushes at commit() and would rename a cut file over the good one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    const auto abandon = [&file](const QString &why) {
        const QString reason = file.error() == QFileDevice::NoError ? why : file.errorString();
        file.cancelWriting();
        return reason;
    };
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return abandon(u"not all bytes could be written"_s);
        done += n;
    }
    // QSaveFile syncs at commit() too, but takes no notice when that fails.
    if (!detail::syncToDisk(file))
        return abandon(u"the file could not be flushed to the disk"_s);
    if (!file.commit()) {
        const QString why = file.errorString();
        return why.isEmpty() ? u"the new file could not replace the old"_s : why;
    }
    detail::syncFolder(QFileInfo(path).absolutePath());
    return {};
}

FileRead readFileUpTo(const QString &path, qint64 limit)
{
    QFile file(path);
    FileRead result;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        result.error = file.errorString();
        return result;
    }
    QByteArray bytes;
    // In pieces up to one byte past the limit: a pipe hands out what it has, a piece at a time.
    constexpr qint64 kPiece = 64 * 1024;
    while (bytes.size() <= limit) {
        const qint64 want = std::min(kPiece, limit + 1 - bytes.size());
        const qsizetype before = bytes.size();
        bytes.resize(before + want);
        const qint64 n = file.read(bytes.data() + before, want);
        if (n < 0) {
            result.error = file.errorString();
            return result;
        }
        bytes.resize(before + n);
        if (n == 0)
            break;
    }
    if (bytes.size() > limit) {
        result.tooLarge = true;
        return result;
    }
    result.bytes = std::move(bytes);
    return result;
}

} // namespace r5
