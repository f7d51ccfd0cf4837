#pragma once

#include "virt/faults.h"
#include "virt/requestreceiver.h"
#include "virt/transport.h"

#include <QObject>
#include <QQueue>
#include <QTimer>
#include <memory>

namespace virt {

class DeviceModel;

// The device's serial line: frames requests from the transport, lets the model answer, spoils
// the answers as the fault switches say and writes them, piece by piece with a pause between
// pieces so that the peer receives them in separate reads.
class SerialSide : public QObject
{
    Q_OBJECT
public:
    SerialSide(DeviceModel *model, std::unique_ptr<Transport> transport, QObject *parent = nullptr);
    ~SerialSide() override;

    void setFaults(const Faults &faults);
    void setPieceGap(int milliseconds) { m_gap.setInterval(milliseconds); }
    // How long a reboot keeps the line silent: what arrives meanwhile is lost, as on the
    // device, whose serial port is down while it starts again. 0: back at once.
    void setRebootTime(int milliseconds) { m_reboot.setInterval(milliseconds); }
    bool rebooting() const { return m_reboot.isActive(); }
    // The cable is moved to another unit: the line stays silent for `milliseconds` (what
    // arrives meanwhile is lost, answers not yet written go too).
    void unplug(int milliseconds);

    QString portName() const { return m_transport->name(); }
    // Pieces written so far (for tests and the console).
    int piecesWritten() const { return m_written; }

Q_SIGNALS:
    void log(const QString &line);

private:
    struct Piece
    {
        QByteArray bytes;
        bool pauseBefore = false;
        QString label;
    };

    void received(const QByteArray &bytes);
    void pump();
    void startReboot();

    DeviceModel *m_model;
    std::unique_ptr<Transport> m_transport;
    RequestReceiver m_receiver;
    FaultInjector m_faults;
    QQueue<Piece> m_queue;
    QTimer m_gap;
    QTimer m_reboot;
    QTimer m_unplugged;
    qint64 m_lostWhileRebooting = 0;
    bool m_paused = false;
    int m_written = 0;
};

} // namespace virt
