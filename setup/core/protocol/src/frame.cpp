#include "r5/protocol/frame.h"

#include "r5/hextext.h"
#include "r5/protocol/codec.h"

using namespace Qt::StringLiterals;

namespace r5::protocol {

QByteArray buildFrame(std::uint8_t id, QByteArrayView payload)
{
    Q_ASSERT(payload.size() <= 255 - kMinFrameSize);
    QByteArray frame;
    frame.reserve(payload.size() + kMinFrameSize);
    frame.append(char(kStartByte));
    frame.append(char(payload.size() + kMinFrameSize));
    frame.append(char(id));
    frame.append(char(kRequestHeader));
    frame.append(payload);
    frame.append(char(kEndByte));
    return frame;
}

QString frameDump(QByteArrayView frame)
{
    return r5::hex::dump(frame, u".");
}

QString txLabel(std::uint8_t id)
{
    return txLabel(byteText(id));
}

QString txLabel(QStringView hint)
{
    return u"TX 0x"_s + hint + u" : ["_s;
}

QString txLine(QStringView label, QByteArrayView frame, TxTail tail)
{
    return label + QString::number(frame.size()) + u"]["_s + frameDump(frame)
           + (tail == TxTail::Reboot ? u"] : System reboot Command"_s : u"]"_s);
}

} // namespace r5::protocol
