#pragma once

#include "r5device/lineerrorprobe.h"
#include "r5device/seriallink.h"

#include <QSerialPort>
#include <QTimer>
#include <functional>

namespace r5setup {

// SerialLink on QSerialPort: DTR held on and RTS off while open (a port without modem lines
// still opens), line errors from the driver's records after each receive and on a timer. A
// port whose reads or writes fail has lost its device: it is closed and reported once.
class QtSerialLink final : public SerialLink
{
    Q_OBJECT
public:
    using ProbeFactory = std::function<std::unique_ptr<LineErrorProbe>(QSerialPort &)>;

    // How often the driver's error record is read while the port is open.
    static constexpr int kProbeIntervalMs = 200;

    explicit QtSerialLink(QObject *parent = nullptr, ProbeFactory probes = &makeSystemProbe);
    ~QtSerialLink() override;

    SerialSettings settings() const override { return m_settings; }
    void setSettings(const SerialSettings &settings) override { m_settings = settings; }
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    QString errorString() const override { return m_error; }
    OpenFailure openFailure() const override { return m_openFailure; }
    qint64 bytesAvailable() const override { return m_port.bytesAvailable(); }
    QByteArray read(qint64 maxBytes) override;
    bool write(QByteArrayView bytes) override;

    // Reads the driver's error record now (also done after each receive and on the timer).
    void checkLineErrors();

private:
    void onReadyRead();
    void onPortError(QSerialPort::SerialPortError error);
    void applySettings();
    void closeVanished();

    QSerialPort m_port;
    SerialSettings m_settings;
    ProbeFactory m_probes;
    std::unique_ptr<LineErrorProbe> m_probe;
    QTimer m_probeTimer;
    QString m_error;
    OpenFailure m_openFailure = OpenFailure::Other;
    bool m_settingLines = false;
    bool m_gone = false; // the device failed a read or write; the port closes on the event loop
};

} // namespace r5setup
