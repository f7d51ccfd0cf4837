#pragma once

#include "r5device/lineerrors.h"
#include "r5device/serialsettings.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>

namespace r5setup {

// Why a port did not open, as far as the system tells.
enum class OpenFailure {
    Other,
    NotFound,     // no such port
    AccessDenied, // the user may not use it
    InUse,        // another program holds it
};

// The device's serial port as the window sees it. Every signal arrives on the thread the link
// lives on (the window's), so handlers need no locks.
class SerialLink : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual SerialSettings settings() const = 0;
    // Takes effect at the next open.
    virtual void setSettings(const SerialSettings &settings) = 0;

    // Opens the port with its settings; false with errorString() when it cannot.
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual QString errorString() const = 0;
    // After a failed open(): why, for the advice the box gives.
    virtual OpenFailure openFailure() const { return OpenFailure::Other; }

    virtual qint64 bytesAvailable() const = 0;
    // Up to `maxBytes` of the waiting bytes.
    virtual QByteArray read(qint64 maxBytes) = 0;
    // All bytes in one write; false when the port is closed, refuses them or cannot take them
    // because the device is gone.
    virtual bool write(QByteArrayView bytes) = 0;

Q_SIGNALS:
    // Bytes are waiting (their count). Bytes a handler leaves unread are announced again.
    void rxChar(qint64 waiting);
    // Framing, parity, overrun or break errors on the line; the port stays open.
    void lineError(r5setup::LineErrors errors);
    // The device stopped taking reads or writes (an adapter pulled out, the far side of a
    // pseudo-terminal closed): the link has closed the port, once, after openChanged(false).
    void vanished();
    // Bytes were handed to the port.
    void transmitted();
    void openChanged(bool open);
};

} // namespace r5setup
