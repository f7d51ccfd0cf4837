#pragma once

#include <QByteArrayView>
#include <QString>
#include <memory>

namespace r5::detail {

// The day file as the platform holds it open: every write goes to its end in one piece, and
// it can tell whether its path still names it.
class OpenFile
{
public:
    virtual ~OpenFile() = default;

    // True when every byte was written.
    virtual bool write(QByteArrayView bytes) = 0;

    // False when the file was renamed, deleted (or is about to be) or its folder replaced.
    virtual bool namedBy(const QString &path) const = 0;
};

// Opens `path` for appending, creating it when missing; null when it cannot be opened.
std::unique_ptr<OpenFile> openForAppend(const QString &path);

} // namespace r5::detail
