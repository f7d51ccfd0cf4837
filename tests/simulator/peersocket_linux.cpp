#include "simpeer.h"

#include <sys/socket.h>

namespace simtest {

void resetOnClose(qintptr socket)
{
    const linger hard{1, 0};
    ::setsockopt(int(socket), SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
}

void shutdownWrite(qintptr socket)
{
    ::shutdown(int(socket), SHUT_WR);
}

bool resetReadsAsEnd()
{
    return false;
}

} // namespace simtest
