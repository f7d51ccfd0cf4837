#include "socketsys.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace r5::sim::socketsys {

Descriptor startConnect(quint32 ipv4, quint16 port, int &error)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = errno;
        return kInvalid;
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(ipv4);
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&to), sizeof to) != 0 && errno != EINPROGRESS) {
        error = errno;
        ::close(fd);
        return kInvalid;
    }
    return fd;
}

bool connectEnded(Descriptor d, int &error)
{
    pollfd p{int(d), POLLOUT, 0};
    if (::poll(&p, 1, 0) == 0)
        return false;
    error = pendingError(d);
    return true;
}

int pendingError(Descriptor d)
{
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(int(d), SOL_SOCKET, SO_ERROR, &err, &len) != 0)
        err = errno;
    return err;
}

void adopt(Descriptor d)
{
    const int fd = int(d);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

qint64 receive(Descriptor d, char *buffer, qint64 size)
{
    return ::recv(int(d), buffer, size_t(size), 0);
}

qint64 send(Descriptor d, const char *bytes, qint64 size)
{
    return ::send(int(d), bytes, size_t(size), MSG_NOSIGNAL);
}

void shutdownWrite(Descriptor d)
{
    ::shutdown(int(d), SHUT_WR);
}

void close(Descriptor d)
{
    ::close(int(d));
}

int lastError()
{
    return errno;
}

bool wouldBlock(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

// The records have always shown the Windows socket codes, so old and new error files read alike.
int recordNumber(int error)
{
    switch (error) {
    case ECONNREFUSED:
        return 10061;
    case ECONNRESET:
    case EPIPE:
        return 10054;
    case ECONNABORTED:
        return 10053;
    case ETIMEDOUT:
        return 10060;
    case ENETUNREACH:
        return 10051;
    case EHOSTUNREACH:
        return 10065;
    case ENETDOWN:
        return 10050;
    case EADDRINUSE:
        return 10048;
    case EADDRNOTAVAIL:
        return 10049;
    case EACCES:
        return 10013;
    case ENOBUFS:
    case ENOMEM:
        return 10055;
    default:
        return 10000 + error;
    }
}

QString errorText(int error)
{
    if (error == EPIPE)
        error = ECONNRESET; // a write after the peer's reset
    return QString::fromLocal8Bit(std::strerror(error));
}

bool readNotifierRepeats()
{
    return true;
}

} // namespace r5::sim::socketsys
