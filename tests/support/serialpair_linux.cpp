#include "serialpair.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace r5::test {

struct SerialPair::Ends
{
    int master = -1;
    int slave = -1; // kept open so the pair survives the program closing its side
};

SerialPair::SerialPair() : m_ends(std::make_unique<Ends>())
{
    char name[256] = {};
    int master = -1;
    int slave = -1;
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return;
    termios tio{};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    m_ends->master = master;
    m_ends->slave = slave;
    m_portName = QString::fromLocal8Bit(name);
}

SerialPair::~SerialPair()
{
    if (m_ends->slave >= 0)
        ::close(m_ends->slave);
    if (m_ends->master >= 0)
        ::close(m_ends->master);
}

bool SerialPair::isValid() const
{
    return m_ends->master >= 0;
}

bool SerialPair::write(const QByteArray &bytes)
{
    const int fd = m_ends->master;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                pollfd p{fd, POLLOUT, 0};
                ::poll(&p, 1, 100);
                continue;
            }
            return false;
        }
        done += n;
    }
    return true;
}

QByteArray SerialPair::read(int timeoutMs)
{
    QByteArray out;
    pollfd p{m_ends->master, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0)
        return out;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(m_ends->master, buf, sizeof buf);
        if (n <= 0)
            break;
        out.append(buf, n);
    }
    return out;
}

DevicePort::DevicePort() = default;
DevicePort::~DevicePort() = default;

bool DevicePort::onPairs()
{
    return false;
}

QStringList DevicePort::arguments() const
{
    return {};
}

QString DevicePort::programPort(const QString &announced) const
{
    return announced;
}

} // namespace r5::test
