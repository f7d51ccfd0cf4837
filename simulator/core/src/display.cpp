#include "sim/display.h"

#include "r5/hextext.h"

using namespace Qt::StringLiterals;

namespace r5::sim {

namespace {
constexpr qsizetype kPiece = 60;

// Bytes per 60-character piece: one character per byte in ASCII, three in hex.
qsizetype bytesPerPiece(DataFormat format)
{
    return format == DataFormat::Hex ? kPiece / 3 : kPiece;
}

QString sideName(SocketSide side)
{
    return side == SocketSide::Client ? u"Client"_s : u"Server"_s;
}
} // namespace

QString stampText(const QDateTime &local)
{
    return local.toString(u"HH:mm:ss.zzz"_s);
}

QString statusLine(const QDateTime &local, QStringView eventText)
{
    return u'[' + stampText(local) + eventText;
}

QString dataHeader(const QDateTime &local, Direction direction, qsizetype n, DataFormat format)
{
    const QString word = direction == Direction::Sent ? u"Send"_s : u"Recv"_s;
    const QString count = QString::number(n);
    if (format == DataFormat::Hex)
        return u"[ "_s + stampText(local) + u" ] : "_s + word + u" [ "_s + count + u" byte ] : "_s;
    return u'[' + stampText(local) + u"] : "_s + word + u" ["_s + count + u" byte] : "_s;
}

QString renderData(QByteArrayView data, DataFormat format)
{
    if (format == DataFormat::Hex)
        return r5::hex::dump(data, {}, u" ");
    return QString::fromLatin1(data.data(), data.size());
}

qsizetype listRowCount(qsizetype n, DataFormat format)
{
    const qsizetype rendered = format == DataFormat::Hex ? 3 * n : n;
    return rendered / kPiece + 2;
}

QString listRow(QStringView header, QByteArrayView data, DataFormat format, qsizetype row)
{
    const qsizetype pieces = listRowCount(data.size(), format) - 1;
    if (row < 0 || row > pieces)
        return {};
    const bool ascii = format == DataFormat::Ascii;
    if (row == pieces)
        return ascii ? u" "_s : QString();
    const qsizetype per = bytesPerPiece(format);
    const qsizetype from = row * per;
    const QString piece = renderData(data.sliced(from, std::min(per, data.size() - from)), format);
    if (row == 0)
        return ascii ? QString(header + u' ' + piece) : QString(header + piece);
    return ascii ? QString(u' ' + piece) : piece;
}

QStringList listLines(QStringView header, QByteArrayView data, DataFormat format)
{
    QStringList out;
    const qsizetype rows = listRowCount(data.size(), format);
    out.reserve(rows);
    for (qsizetype r = 0; r < rows; ++r)
        out.append(listRow(header, data, format, r));
    return out;
}

QString errorRecord(SocketSide side, const QDateTime &local, int number, const QString &description,
                    const QString &source)
{
    const QString crlf = u"\r\n"_s;
    return u"Err Title : "_s + sideName(side) + u" Socket Error"_s + crlf + u"Err Time : "_s +
           local.toString(u"yyyy/MM/dd HH:mm:ss"_s) + crlf + u"Err Number : "_s + QString::number(number) +
           crlf + u"Err Desc : "_s + description + crlf + u"Err Source : "_s + source + crlf;
}

QString errorListLine(SocketSide side, const QDateTime &local)
{
    return local.toString(u"HH:mm:ss"_s) + sideName(side) +
           u" Socket Error : Referance Err_Log File ....... "_s;
}

QString failureReason(int number, const QString &description)
{
    switch (number) {
    case errnum::AccessDenied:
        return u"Permission denied"_s;
    case errnum::AddressInUse:
        return u"Address already in use"_s;
    case errnum::AddressNotAvailable:
        return u"Address not available"_s;
    case 10050:
    case 10051:
        return u"Network unreachable"_s;
    case 10065:
        return u"Host unreachable"_s;
    case errnum::TimedOut:
        return u"No answer (timed out)"_s;
    case 10061:
        return u"Connection refused"_s;
    case errnum::HostNotFound:
        return u"Not a valid address"_s;
    default:
        return description;
    }
}

QString listenFailureText(const QString &port, const QString &reason, int number)
{
    return u"] : Cannot listen on port %1 : %2 (error %3)"_s.arg(port, reason).arg(number);
}

QString connectFailureText(const QString &address, const QString &port, const QString &reason, int number)
{
    return u"] : Cannot connect to %1:%2 : %3 (error %4)"_s.arg(address, port, reason).arg(number);
}

} // namespace r5::sim
