#pragma once

#include "virt/devicestate.h"
#include "virt/faults.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QRandomGenerator>
#include <QString>
#include <QUrl>
#include <cstdint>
#include <optional>

namespace virt {

// The device as its serial peer sees it: one request frame in, its answer out, with the
// device's state in between. Set-commands write the state at once (stateChanged() tells a
// StateFile to keep it); the device reboots after the access point, WAN, server and factory
// reset commands and on the reboot command, and takes its server settings into use then. No
// I/O: the answers are built by virt::answers, files and timing live one layer up.
class DeviceModel : public QObject
{
    Q_OBJECT
public:
    explicit DeviceModel(const DeviceState &state = DeviceState::firstStart(), QObject *parent = nullptr);

    const DeviceState &state() const { return m_state; }
    void setState(const DeviceState &state);

    // Starts again from `state`, as after a restart with it: its server settings in use, no
    // stateChanged().
    void restore(const DeviceState &state);

    // How far the RSSI of the current AP may move per query, in dB (0 keeps it steady), and
    // the seed of its moves, so runs repeat.
    void setRssiDrift(int maxStep, std::uint32_t seed = 5200);
    // The current AP's RSSI as last reported, or nullopt while not joined to a visible AP.
    std::optional<int> currentRssi() const;

    // Writes of these kinds are answered (and reboot the device) as usual but change nothing.
    void setIgnoredWrites(const QList<WriteKind> &kinds) { m_ignoredWrites = kinds; }

    // Answers one request frame (7E LEN id 50 payload FE). Empty when the device gives no
    // answer (unknown id, payload of the wrong size).
    QByteArray handle(QByteArrayView request);

    // Server settings as taken into use at the last reboot (or at start).
    std::uint16_t serverPortInUse() const { return m_portInUse; }
    char protocolModeInUse() const { return m_modeInUse; }
    std::uint8_t expiryInUse() const { return m_expiryInUse; }

    // The reboot the device does after some commands; also callable from outside.
    void reboot();

public Q_SLOTS:
    // What came of the download ordered last (see firmwareDownloadOrdered()). Results for an
    // earlier order are ignored.
    void firmwareFetched(const QUrl &url, qint64 size, const QByteArray &sha256);
    void firmwareFailed(const QUrl &url, const QString &why);

Q_SIGNALS:
    // A line for the console.
    void log(const QString &line);
    // The server port, expiry or protocol mode in use changed (at a reboot): the TCP side
    // should follow serverPortInUse(), protocolModeInUse() and expiryInUse().
    void networkSettingsChanged();
    // A factory reset asked for the DI counters to be cleared too.
    void counterResetRequested();
    void rebooted();
    void stateChanged();
    // The device was told to fetch its firmware from `url`. The model itself does no I/O: a
    // FirmwareFetcher connected here does the fetch and reports back.
    void firmwareDownloadOrdered(const QUrl &url);

private:
    void changed();
    void keepIdentity(DeviceState &fresh) const;
    bool joined() const;
    const VisibleAp *currentAp() const;
    bool ignores(WriteKind kind);
    QByteArray rssiAnswer();

    DeviceState m_state;
    QList<WriteKind> m_ignoredWrites;
    int m_rssiDrift = 3;
    QRandomGenerator m_random{5200};
    int m_rssiOffset = 0;
    std::uint16_t m_portInUse = 0;
    char m_modeInUse = 'N';
    std::uint8_t m_expiryInUse = 0;
};

} // namespace virt
