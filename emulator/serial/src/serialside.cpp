#include "emu/serialside.h"

#include "emu/devicemodel.h"
#include "r5/protocol/frame.h"

using namespace Qt::StringLiterals;

namespace emu {

SerialSide::SerialSide(DeviceModel *model, std::unique_ptr<Transport> transport, QObject *parent)
    : QObject(parent), m_model(model), m_transport(std::move(transport))
{
    m_gap.setSingleShot(true);
    m_gap.setInterval(20);
    connect(&m_gap, &QTimer::timeout, this, [this] {
        m_paused = true;
        pump();
    });
    connect(m_transport.get(), &Transport::received, this, &SerialSide::received);
    connect(m_transport.get(), &Transport::problem, this, &SerialSide::log);
}

SerialSide::~SerialSide() = default;

void SerialSide::setFaults(const Faults &faults)
{
    m_faults = FaultInjector(faults);
}

void SerialSide::received(const QByteArray &bytes)
{
    const QList<QByteArray> requests = m_receiver.feed(bytes);
    if (const int skipped = m_receiver.takeSkipped())
        Q_EMIT log(u"%1 byte(s) outside any frame skipped"_s.arg(skipped));
    for (const QByteArray &request : requests) {
        const QByteArray answer = m_model->handle(request);
        if (answer.isEmpty())
            continue;
        QStringList notes;
        const QList<QByteArray> pieces = m_faults.apply(answer, &notes);
        for (const QString &note : std::as_const(notes))
            Q_EMIT log(note);
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            const QString label =
                pieces.size() == 1 ? u"TX ["_s : u"TX piece %1/%2 ["_s.arg(i + 1).arg(pieces.size());
            m_queue.enqueue({pieces[i], i > 0, label});
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
        Q_EMIT log(piece.label + r5::protocol::frameDump(piece.bytes) + u']');
        m_transport->write(piece.bytes);
        ++m_written;
    }
}

} // namespace emu
