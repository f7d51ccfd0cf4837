#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>
#include <memory>

namespace r5 {

// A Windows serial port (COMn) on overlapped ReadFile/WriteFile, the completions watched on the
// thread the port lives on, so every signal arrives there and no thread of its own is needed.
// After each read the driver's error record is read (ClearCommError): its line errors reach
// lineErrors() before anything else can clear them, and a record that cannot be read means the
// device is gone. At rest the port costs one empty read every 200 ms. Works on real ports and on
// Wine's COM ports that lead to a Linux pseudo-terminal.
class ComPort final : public QObject
{
    Q_OBJECT
public:
    enum class StopBits { One, OneAndHalf, Two };
    enum class Parity { None, Odd, Even, Mark, Space };
    enum class FlowControl { None, Hardware, Software };

    struct Settings
    {
        QString portName; // "COM5", or a full device path
        qint32 baudRate = 115200;
        int dataBits = 8;
        StopBits stopBits = StopBits::One;
        Parity parity = Parity::None;
        FlowControl flowControl = FlowControl::None;
    };

    // Received bytes held for read() beyond this stop further reads until the holder reads:
    // the driver's buffer and the line's flow control take over from there.
    static constexpr qsizetype kMaxHeld = 1 << 20;
    // Bytes write() accepts while earlier ones are still on their way.
    static constexpr qsizetype kMaxPending = 1 << 20;

    explicit ComPort(QObject *parent = nullptr);
    ~ComPort() override;

    // DTR held on, RTS off (or RTS handshake with hardware flow control); false with
    // errorString() when the port cannot be opened or set up.
    bool open(const Settings &settings);
    // Cancels what is under way and waits for it a quarter of a second at most: a driver that
    // does not end a cancelled operation keeps its buffers, and the port is let go all the same.
    void close();
    bool isOpen() const;
    QString errorString() const { return m_error; }
    // After a failed open(): the system's error code (ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND...).
    quint32 openError() const { return m_openError; }

    qint64 bytesAvailable() const { return m_held.size(); }
    QByteArray read(qint64 maxBytes);
    // Queues the bytes for the port; false when it is closed, has failed or holds too many.
    bool write(QByteArrayView bytes);

Q_SIGNALS:
    void readyRead();
    // The CE_* flags ClearCommError reported after a read (never zero).
    void lineErrors(quint32 flags);
    // A read or write failed (the device went away): the port is closed, errorString() says
    // why. Emitted once, from the event loop, never from inside write().
    void failed();

private:
    struct Io;

    void startRead();
    void readDone();
    void startWrite();
    void writeDone();
    // Reads and clears the driver's error record; the count of bytes it holds.
    quint32 takeLineErrors();
    void fail(quint32 error);
    void closeFailed();

    std::unique_ptr<Io> m_io;
    QByteArray m_held;    // received, not yet read()
    QByteArray m_pending; // written, not yet handed to the driver
    QString m_error;
    quint32 m_openError = 0;
    bool m_failed = false;
};

} // namespace r5
