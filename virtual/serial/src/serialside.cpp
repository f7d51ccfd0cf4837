#include "virt/serialside.h"

#include "virt/codec.h"
#include "virt/devicemodel.h"

using namespace Qt::StringLiterals;

namespace virt {

SerialSide::SerialSide(DeviceModel *model, std::unique_ptr<Transport> transport, QObject *parent)
    : QObject(parent), m_model(model), m_transport(std::move(transport))
{
    m_gap.setSingleShot(true);
    m_gap.setInterval(20);
    connect(&m_gap, &QTimer::timeout, this, [this] {
        m_paused = true;
        pump();
    });
    m_reboot.setSingleShot(true);
    m_reboot.setInterval(0);
    connect(&m_reboot, &QTimer::timeout, this, [this] {
        Q_EMIT log(m_lostWhileRebooting > 0
                       ? u"up again (%1 byte(s) lost while rebooting)"_s.arg(m_lostWhileRebooting)
                       : u"up again"_s);
        m_lostWhileRebooting = 0;
    });
    m_unplugged.setSingleShot(true);
    connect(&m_unplugged, &QTimer::timeout, this,
            [this] { Q_EMIT log(u"the next device is on the line"_s); });
    connect(m_model, &DeviceModel::rebooted, this, &SerialSide::startReboot);
    connect(m_transport.get(), &Transport::received, this, &SerialSide::received);
    connect(m_transport.get(), &Transport::problem, this, &SerialSide::log);
}

SerialSide::~SerialSide() = default;

void SerialSide::setFaults(const Faults &faults)
{
    m_faults = FaultInjector(faults);
}

void SerialSide::startReboot()
{
    if (m_reboot.interval() <= 0)
        return;
    Q_EMIT log(u"silent for %1 ms while rebooting"_s.arg(m_reboot.interval()));
    m_receiver = RequestReceiver();
    m_reboot.start();
}

void SerialSide::unplug(int milliseconds)
{
    Q_EMIT log(u"unplugged: silent for %1 ms until the next device is on the line"_s.arg(milliseconds));
    m_receiver = RequestReceiver();
    m_queue.clear();
    m_gap.stop();
    m_paused = false;
    m_unplugged.start(milliseconds);
}

void SerialSide::received(const QByteArray &bytes)
{
    if (m_unplugged.isActive())
        return;
    if (m_reboot.isActive()) {
        m_lostWhileRebooting += bytes.size();
        return;
    }
    const QList<QByteArray> requests = m_receiver.feed(bytes);
    if (const int skipped = m_receiver.takeSkipped())
        Q_EMIT log(u"%1 byte(s) outside any frame skipped"_s.arg(skipped));
    for (qsizetype i = 0; i < requests.size(); ++i) {
        if (m_reboot.isActive()) {
            // Requests that came with the one that rebooted the device are lost with it.
            for (qsizetype j = i; j < requests.size(); ++j)
                m_lostWhileRebooting += requests[j].size();
            break;
        }
        const QByteArray &request = requests[i];
        const QByteArray answer = m_model->handle(request);
        if (answer.isEmpty())
            continue;
        QStringList notes;
        const QList<QByteArray> pieces = m_faults.apply(answer, &notes);
        for (const QString &note : std::as_const(notes))
            Q_EMIT log(note);
        for (qsizetype p = 0; p < pieces.size(); ++p) {
            const QString label =
                pieces.size() == 1 ? u"TX ["_s : u"TX piece %1/%2 ["_s.arg(p + 1).arg(pieces.size());
            m_queue.enqueue({pieces[p], p > 0, label});
        }
    }
    pump();
}

void SerialSide::pump()
{
    while (!m_queue.isEmpty() && !m_gap.isActive()) {
        if (m_queue.head().pauseBefore && !m_paused) {
            m_gap.start();
            return;
        }
        m_paused = false;
        const Piece piece = m_queue.dequeue();
        Q_EMIT log(piece.label + wire::dump(piece.bytes) + u']');
        m_transport->write(piece.bytes);
        ++m_written;
    }
}

} // namespace virt
