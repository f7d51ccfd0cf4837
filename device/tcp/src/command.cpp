#include "r5device/tcp/command.h"

#include "r5/hextext.h"

using namespace Qt::StringLiterals;

namespace disim {

char argumentByte(QStringView item)
{
    return item.isEmpty() ? '\0' : item.front().toLatin1();
}

QByteArray buildCommand(Command command, char output, char value, char counter)
{
    switch (command) {
    case Command::DoSetting:
        return QByteArray("NT") + output + value;
    case Command::CountReset:
        return QByteArray("NC") + counter + '0';
    case Command::Request:
        break;
    }
    return QByteArrayLiteral("NREQ");
}

QString sendLine(const QString &stamp, const QByteArray &command)
{
    return stamp + u" SEND : "_s + r5::hex::dump(command, u" ");
}

} // namespace disim
