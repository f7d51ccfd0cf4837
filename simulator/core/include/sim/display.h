#pragma once

#include "sim/textbytes.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace r5::sim {

enum class Direction { Sent, Received };
enum class SocketSide { Client, Server };

// Status event texts; each begins with "] : ", which closes the stamp.
namespace status {
inline constexpr QStringView ConnectionSuccess = u"] : Connection Success";
inline constexpr QStringView ConnectionFail = u"] : Connection Fail";
inline constexpr QStringView Listen = u"] : Listen..";
inline constexpr QStringView ListenFail = u"] : Listen Fail";
inline constexpr QStringView ClientConnected = u"] : Client Connected";
inline constexpr QStringView ClientDisconnected = u"] : Client Disconnected";
inline constexpr QStringView ClientClosed = u"] : Client Closed";
inline constexpr QStringView ServerClosed = u"] : Server Closed";
} // namespace status

// "HH:MM:SS.mmm" of the local time.
QString stampText(const QDateTime &local);

// "[" + stamp + event text.
QString statusLine(const QDateTime &local, QStringView eventText);

// The part of a data line before the data:
// ASCII "[HH:MM:SS.mmm] : Send [n byte] : ", hex "[ HH:MM:SS.mmm ] : Recv [ n byte ] : ".
QString dataHeader(const QDateTime &local, Direction direction, qsizetype n, DataFormat format);

// ASCII: each byte as the character of that code, control characters included.
// Hex: each byte as a space and two upper-case digits.
QString renderData(QByteArrayView data, DataFormat format);

// The list shows a data line cut into 60-character pieces of the rendered data (the first after
// the header), then a closing line (" " in ASCII, empty in hex). There are length/60 + 1
// pieces, so the last may be empty. Rows are made one at a time so that a huge arrival only
// costs the rows that stay in the list.
qsizetype listRowCount(qsizetype n, DataFormat format);
QString listRow(QStringView header, QByteArrayView data, DataFormat format, qsizetype row);
QStringList listLines(QStringView header, QByteArrayView data, DataFormat format);

// The five-line record of a socket error (each line ends in CR LF) and its list line.
QString errorRecord(SocketSide side, const QDateTime &local, int number, const QString &description,
                    const QString &source);
QString errorListLine(SocketSide side, const QDateTime &local);

// Error numbers of the records (the Windows socket codes, on every platform) for the failures
// the tool names itself: a connect that got no answer in time and a destination it cannot use.
namespace errnum {
inline constexpr int AccessDenied = 10013;
inline constexpr int AddressInUse = 10048;
inline constexpr int AddressNotAvailable = 10049;
inline constexpr int TimedOut = 10060;
inline constexpr int HostNotFound = 11001;
} // namespace errnum

// Why a connect or listen failed, in words, from the record's error number; `description`
// (the system's text) for a number without words of its own.
QString failureReason(int number, const QString &description);

// The activity line that says why: "] : Cannot listen on port 4000 : Address already in use
// (error 10048)", "] : Cannot connect to 127.0.0.1:4000 : Connection refused (error 10061)".
QString listenFailureText(const QString &port, const QString &reason, int number);
QString connectFailureText(const QString &address, const QString &port, const QString &reason, int number);

} // namespace r5::sim
