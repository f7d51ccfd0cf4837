#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

// What an HTTP request may have from the firmware folder. The folder is flat: a request names
// one file directly in it, or the folder itself for the file list. Everything else is refused
// here, before any path is built from what the peer sent.
namespace r5fw {

struct Target
{
    enum class Kind { Listing, File, Refused };
    Kind kind = Kind::Refused;
    QString name; // File: the file's name in the folder
    QString why;  // Refused: the reason, for the log

    bool operator==(const Target &) const = default;
};

// `target` as it stands on the request line. Query and fragment are dropped, the rest is
// percent-decoded once and must be UTF-8; one leading "/" and the spaces a download order pads
// its name with are taken off. Refused: separators ("/" and "\" in any spelling, so "..",
// doubled slashes and absolute paths too), drive letters and streams (":"), control characters,
// and names starting with "." (hidden files, "." and "..").
Target resolveTarget(QByteArrayView target);

// The name the device will ask for when ordered to fetch `orderedPath` (the order's file field):
// without padding and without the leading "/".
QString orderedName(QStringView orderedPath);

// The answer to a Range header for a file of `size` bytes. One range of bytes is served as a
// part; several ranges, other units or a header that cannot be read get the whole file (a
// server may ignore Range); a range that starts at or past the end cannot be satisfied.
struct RangeChoice
{
    enum class Answer { Whole, Part, Unsatisfiable };
    Answer answer = Answer::Whole;
    qint64 first = 0;
    qint64 last = -1; // inclusive

    qint64 length() const { return last - first + 1; }
    bool operator==(const RangeChoice &) const = default;
};
RangeChoice chooseRange(QByteArrayView rangeHeader, qint64 size);

// One line of the file list.
struct ListedFile
{
    QString name;
    qint64 size = 0;
    QByteArray sha256; // raw digest
};

// The page "/" answers with: each file with its size in bytes and its SHA-256, linked by name.
QByteArray listingPage(const QString &folderName, const QList<ListedFile> &files);

} // namespace r5fw
