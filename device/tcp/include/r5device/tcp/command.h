#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace disim {

// The three 4-byte commands the device understands. No framing, no length, no checksum:
// the device takes every 4 bytes as one command.
enum class Command { Request, DoSetting, CountReset };

// The argument byte of a combo-box item: the code of its first character.
char argumentByte(QStringView item);

// "NREQ", "NT" + output + value, or "NC" + counter + "0". Arguments not used by the command
// are ignored.
QByteArray buildCommand(Command command, char output, char value, char counter);

// stamp + " SEND : " + each byte as two hex digits followed by one space.
QString sendLine(const QString &stamp, const QByteArray &command);

} // namespace disim
