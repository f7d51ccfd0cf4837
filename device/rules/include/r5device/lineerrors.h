#pragma once

#include <QFlags>
#include <QString>
#include <QtGlobal>

namespace r5setup {

// Line-error flags of the port's error event, lowest bit first.
enum class LineError : quint8 {
    Frame = 0x01,
    RxParity = 0x02,
    Overrun = 0x04,
    Break = 0x08,
    IO = 0x10,
    Mode = 0x20,
    RxOver = 0x40,
    TxFull = 0x80,
};
Q_DECLARE_FLAGS(LineErrors, LineError)
Q_DECLARE_OPERATORS_FOR_FLAGS(LineErrors)

// The name of the flag when it is the only one set ("[ceIO]"); empty otherwise.
QString lineErrorName(LineErrors errors);

// The driver's running error counts (Linux keeps them per port, TIOCGICOUNT).
struct LineCounters
{
    quint32 frame = 0;
    quint32 parity = 0;
    quint32 overrun = 0;
    quint32 brk = 0;
    quint32 bufferOverrun = 0;
};

// Which errors happened between two readings: every counter that moved. A counter that went
// down (the driver was reset, or it wrapped) has moved too.
LineErrors newErrors(const LineCounters &before, const LineCounters &now);

} // namespace r5setup
