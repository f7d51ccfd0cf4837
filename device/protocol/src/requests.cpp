#include "r5device/protocol/requests.h"

#include "r5device/protocol/codec.h"

using namespace Qt::StringLiterals;

namespace r5::protocol {

namespace {

const QString kSendCommand = u"Send Command to Korvia R5200TX... "_s;

Request make(std::uint8_t commandId, QByteArrayView payload, QString label, QStringList announce = {})
{
    Request r;
    r.announce = std::move(announce);
    r.frame = buildFrame(commandId, payload);
    r.label = std::move(label);
    return r;
}

// "tmpSSIDName : [32][" + padded text + "]" and its kin.
QString paddedLine(QStringView name, const QByteArray &padded)
{
    return name + u" : ["_s + QString::number(padded.size()) + u"]["_s + mb::decode(padded) + u"]"_s;
}

} // namespace

Request statusRequest()
{
    return make(id::Status, {}, txLabel(id::Status),
                {u"Send Current Status Read Command to Korvia R5200TX... "_s});
}

Request hintQuery(QStringView hint)
{
    return make(hintId(hint), {}, txLabel(hint));
}

Request setApRequest(QStringView ssid, QStringView password)
{
    return setApRequest(mb::encode(ssid), password);
}

Request setApRequest(QByteArrayView ssidBytes, QStringView password)
{
    const QByteArray paddedSsid = field::paddedBytes(ssidBytes, kSsidWidth);
    const QByteArray paddedPassword = field::paddedText(password, kPasswordWidth);
    return make(id::SetAp, QByteArray(paddedSsid + paddedPassword), txLabel(id::SetAp),
                {paddedLine(u"tmpSSIDName", paddedSsid), paddedLine(u"tmpSSIDPW  ", paddedPassword)});
}

Request wanRequest(const WanSettings &wan)
{
    QByteArray payload;
    for (const auto *octets : {&wan.ip, &wan.gateway, &wan.mask}) {
        for (const std::uint8_t o : *octets)
            payload.append(field::octet(o));
    }
    return make(id::Wan, payload, txLabel(id::Wan));
}

Request serverRequest(std::uint16_t port, std::uint8_t expirySeconds, int protocolItem)
{
    QByteArray payload = field::word(port);
    payload.append(field::octet(expirySeconds));
    payload.append(field::choice(protocolItem, 'N', 'G'));
    return make(id::Server, payload, txLabel(id::Server));
}

Request diRequest(const std::array<std::uint16_t, 5> &throughputTimes,
                  const std::array<int, 5> &countModeItems)
{
    QByteArray payload;
    for (const std::uint16_t t : throughputTimes)
        payload.append(field::word(t));
    // The device's DI block has room for a sixth channel; the tool always fills it this way.
    payload.append(field::word(0));
    for (const int item : countModeItems)
        payload.append(field::choice(item, 'F', 'R'));
    payload.append('F');
    return make(id::Di, payload, txLabel(id::Di));
}

Request factoryResetRequest(QStringView hint, bool counterReset)
{
    const char reset = counterReset ? 'Y' : 'N';
    return make(hintId(hint), QByteArrayView(&reset, 1), txLabel(hint), {kSendCommand});
}

Request rebootRequest()
{
    Request r = make(id::Reboot, {}, txLabel(id::Reboot), {kSendCommand});
    r.tail = TxTail::Reboot;
    return r;
}

Request flashSaveRequest(std::uint16_t interval, std::uint8_t delay)
{
    QByteArray payload = field::word(interval);
    payload.append(field::smallNumber(delay));
    return make(id::FlashSave, payload, txLabel(id::FlashSave),
                {u"["_s + QString::number(interval, 16).toUpper().rightJustified(4, u'0') + u"]"_s});
}

Request flashEraseRequest(QStringView hint)
{
    return make(hintId(hint), {}, txLabel(hint), {kSendCommand});
}

Request firmwareDownloadRequest(const std::array<std::uint8_t, 4> &server, std::uint16_t port,
                                QStringView fileName)
{
    QByteArray payload;
    for (const std::uint8_t o : server)
        payload.append(field::octet(o));
    payload.append(field::word(port));
    const QByteArray paddedName = field::paddedText(fileName, kFileNameWidth);
    payload.append(paddedName);
    return make(id::FirmwareDownload, payload, txLabel(id::FirmwareDownload),
                {paddedLine(u"tmpFileName", paddedName)});
}

} // namespace r5::protocol
