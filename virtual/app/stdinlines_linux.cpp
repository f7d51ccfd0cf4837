#include "stdinlines.h"

#include <QSocketNotifier>
#include <unistd.h>

struct StdinLines::Platform
{
    QSocketNotifier notifier{STDIN_FILENO, QSocketNotifier::Read};
    QByteArray pending;
};

StdinLines::StdinLines(QObject *parent) : QObject(parent), m_platform(new Platform)
{
    connect(&m_platform->notifier, &QSocketNotifier::activated, this, [this] {
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            // The other end is gone: nothing more will come.
            m_platform->notifier.setEnabled(false);
            return;
        }
        m_platform->pending.append(buffer, n);
        qsizetype end;
        while ((end = m_platform->pending.indexOf('\n')) >= 0) {
            Q_EMIT line(QString::fromLocal8Bit(m_platform->pending.left(end)).trimmed());
            m_platform->pending.remove(0, end + 1);
        }
        // A line that never ends is no command.
        if (m_platform->pending.size() > 4096)
            m_platform->pending.clear();
    });
}

StdinLines::~StdinLines()
{
    delete m_platform;
}
