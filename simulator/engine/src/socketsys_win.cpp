// clang-format off
// Winsock must come before anything that includes windows.h.
#include <winsock2.h>
#include <windows.h>
// clang-format on

#include "socketsys.h"

namespace r5::sim::socketsys {

namespace {
// Qt's own network classes start Winsock too; this covers a link that comes first.
void startWinsock()
{
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    Q_UNUSED(started);
}

SOCKET sock(Descriptor d)
{
    return SOCKET(d);
}

void setNonBlocking(SOCKET s)
{
    u_long on = 1;
    ::ioctlsocket(s, FIONBIO, &on);
}
} // namespace

Descriptor startConnect(quint32 ipv4, quint16 port, int &error)
{
    startWinsock();
    const SOCKET s = ::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                                  WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET) {
        error = ::WSAGetLastError();
        return kInvalid;
    }
    setNonBlocking(s);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(ipv4);
    if (::connect(s, reinterpret_cast<const sockaddr *>(&to), sizeof to) != 0) {
        const int err = ::WSAGetLastError();
        if (err != WSAEWOULDBLOCK) {
            error = err;
            ::closesocket(s);
            return kInvalid;
        }
    }
    return Descriptor(s);
}

// Winsock tells a failed connect through the exception set, a completed one through the write set.
bool connectEnded(Descriptor d, int &error)
{
    fd_set written;
    fd_set failed;
    FD_ZERO(&written);
    FD_ZERO(&failed);
    FD_SET(sock(d), &written);
    FD_SET(sock(d), &failed);
    timeval now{0, 0};
    if (::select(0, nullptr, &written, &failed, &now) <= 0)
        return false;
    error = FD_ISSET(sock(d), &failed) ? pendingError(d) : 0;
    if (FD_ISSET(sock(d), &failed) && error == 0)
        error = WSAECONNREFUSED; // failed, and the reason is already gone
    return true;
}

int pendingError(Descriptor d)
{
    int err = 0;
    int len = sizeof err;
    if (::getsockopt(sock(d), SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&err), &len) != 0)
        return ::WSAGetLastError();
    return err;
}

void adopt(Descriptor d)
{
    ::SetHandleInformation(reinterpret_cast<HANDLE>(d), HANDLE_FLAG_INHERIT, 0);
    setNonBlocking(sock(d));
}

qint64 receive(Descriptor d, char *buffer, qint64 size)
{
    return ::recv(sock(d), buffer, int(qMin<qint64>(size, INT_MAX)), 0);
}

qint64 send(Descriptor d, const char *bytes, qint64 size)
{
    return ::send(sock(d), bytes, int(qMin<qint64>(size, INT_MAX)), 0);
}

void shutdownWrite(Descriptor d)
{
    ::shutdown(sock(d), SD_SEND);
}

void close(Descriptor d)
{
    ::closesocket(sock(d));
}

int lastError()
{
    return ::WSAGetLastError();
}

bool wouldBlock(int error)
{
    return error == WSAEWOULDBLOCK || error == WSAEINTR || error == WSAEINPROGRESS;
}

int recordNumber(int error)
{
    return error;
}

QString errorText(int error)
{
    return qt_error_string(error);
}

bool readNotifierRepeats()
{
    return false;
}

} // namespace r5::sim::socketsys
