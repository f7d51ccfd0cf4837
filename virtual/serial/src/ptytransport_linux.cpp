#include "ptytransport_linux.h"

#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace virt {

namespace {
// Answers nobody reads pile up here; beyond this they are dropped rather than held forever.
constexpr qsizetype kMaxPending = 1 << 20;
} // namespace

std::unique_ptr<PtyTransport> PtyTransport::create(QString *error)
{
    int master = -1;
    int slave = -1;
    char name[256] = {};
    termios tio{};
    cfmakeraw(&tio);
    cfsetispeed(&tio, B115200);
    cfsetospeed(&tio, B115200);
    if (openpty(&master, &slave, name, &tio, nullptr) != 0) {
        if (error)
            *error = u"cannot create a pseudo-terminal: "_s + QString::fromLocal8Bit(std::strerror(errno));
        return nullptr;
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    return std::unique_ptr<PtyTransport>(new PtyTransport(master, slave, QString::fromLocal8Bit(name)));
}

PtyTransport::PtyTransport(int master, int slave, const QString &path)
    : m_master(master), m_slave(slave), m_path(path)
{
    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyTransport::readReady);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtyTransport::flush);
}

PtyTransport::~PtyTransport()
{
    delete m_readNotifier;
    delete m_writeNotifier;
    ::close(m_slave);
    ::close(m_master);
}

void PtyTransport::readReady()
{
    char buf[4096];
    // A few reads per turn: a peer that never stops writing must not keep the event loop here
    // (the notifier fires again while bytes wait).
    for (int reads = 0; reads < 16; ++reads) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            Q_EMIT received(QByteArray(buf, n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            // The terminal side is held open by this process, so this is not a peer leaving.
            Q_EMIT problem(u"reading the pseudo-terminal failed: "_s +
                           QString::fromLocal8Bit(std::strerror(errno)));
            m_readNotifier->setEnabled(false);
        }
        return;
    }
}

void PtyTransport::write(const QByteArray &bytes)
{
    if (m_pending.size() + bytes.size() > kMaxPending) {
        Q_EMIT problem(u"nobody reads the pseudo-terminal: %1 bytes dropped"_s.arg(bytes.size()));
        return;
    }
    m_pending.append(bytes);
    flush();
}

void PtyTransport::flush()
{
    while (!m_pending.isEmpty()) {
        const ssize_t n = ::write(m_master, m_pending.constData(), size_t(m_pending.size()));
        if (n > 0) {
            m_pending.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    m_writeNotifier->setEnabled(!m_pending.isEmpty());
}

std::unique_ptr<Transport> createPtyTransport(QString *error)
{
    return PtyTransport::create(error);
}

} // namespace virt
