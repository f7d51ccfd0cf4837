#pragma once

#include "serialpair.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>

// One run of the virtual device program, its console collected line by line while the test's
// event loop runs.
class VirtualDevice
{
public:
    explicit VirtualDevice(const QStringList &arguments)
    {
        m_process.setProgram(qEnvironmentVariable("R5_BIN_DIR") + QStringLiteral("/r5200tx-virtual"));
        m_process.setArguments(m_port.arguments() + arguments);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process, [this] { collect(); });
        m_process.start();
    }
    ~VirtualDevice()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(5000))
                m_process.kill();
        }
    }
    VirtualDevice(const VirtualDevice &) = delete;
    VirtualDevice &operator=(const VirtualDevice &) = delete;

    // The port that reaches the device; empty when it did not start.
    QString waitForPort()
    {
        QDeadlineTimer deadline(10000);
        for (;;) {
            for (const QString &line : std::as_const(m_console))
                if (line.startsWith(QStringLiteral("Serial port: ")))
                    return m_port.programPort(line.mid(13));
            if (deadline.hasExpired() || !m_process.waitForReadyRead(int(deadline.remainingTime())))
                return {};
        }
    }

    QStringList console() const { return m_console; }
    // Typed on the device program's console (its standard input).
    void type(const QByteArray &line)
    {
        m_process.write(line + '\n');
        m_process.waitForBytesWritten(5000);
    }

    // Console lines that contain `text`.
    int count(const QString &text) const
    {
        int n = 0;
        for (const QString &line : m_console)
            n += line.contains(text) ? 1 : 0;
        return n;
    }

    // The dumps of what the device wrote: its "TX [" and "TX piece i/n [" lines, joined.
    QString sentDump() const
    {
        QString out;
        for (const QString &line : m_console) {
            const qsizetype tx = line.indexOf(QStringLiteral("] TX "));
            if (tx < 0)
                continue;
            const qsizetype open = line.indexOf(u'[', tx + 1);
            out += line.mid(open + 1, line.size() - open - 2);
        }
        return out;
    }

private:
    void collect()
    {
        while (m_process.canReadLine())
            m_console.append(QString::fromUtf8(m_process.readLine()).trimmed());
    }

    r5::test::DevicePort m_port;
    QProcess m_process;
    QStringList m_console;
};
