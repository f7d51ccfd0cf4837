#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

// Files that are read and written whole: settings, profiles, exports.
namespace r5 {

// Replaces the file at `path` with `bytes`. The bytes go to a new file beside it, every one of
// them checked written and the file flushed to the disk, and only then is it renamed over the
// old one (replacing it on Windows too). Empty when the new file is in place; otherwise why not,
// and the old file is as it was (a full disk, a read-only folder, a cut write).
[[nodiscard]] QString replaceFile(const QString &path, QByteArrayView bytes);

struct FileRead
{
    std::optional<QByteArray> bytes; // nullopt: not read, `error` or `tooLarge` says why
    QString error;                   // the system's reason when the file cannot be opened or read
    bool tooLarge = false;           // it holds more than the limit
};

// At most `limit` bytes of the file at `path`. The limit holds by reading, not by asking the
// size first, so a FIFO or a device that reports no size cannot fill the memory either.
FileRead readFileUpTo(const QString &path, qint64 limit);

} // namespace r5
