#pragma once

#include "r5/comport.h"
#include "r5device/seriallink.h"

namespace r5setup {

// SerialLink on the Win32 port: DTR held on and RTS off while open, line errors from the
// driver's error record after each read, a port whose reads or writes fail is closed and
// reported once.
class WinSerialLink final : public SerialLink
{
    Q_OBJECT
public:
    explicit WinSerialLink(QObject *parent = nullptr);

    SerialSettings settings() const override { return m_settings; }
    void setSettings(const SerialSettings &settings) override { m_settings = settings; }
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    QString errorString() const override { return m_port.errorString(); }
    OpenFailure openFailure() const override { return m_openFailure; }
    qint64 bytesAvailable() const override { return m_port.bytesAvailable(); }
    QByteArray read(qint64 maxBytes) override;
    bool write(QByteArrayView bytes) override;

private:
    void onReadyRead();
    void onLineErrors(quint32 flags);
    void onFailed();

    r5::ComPort m_port;
    SerialSettings m_settings;
    OpenFailure m_openFailure = OpenFailure::Other;
};

} // namespace r5setup
