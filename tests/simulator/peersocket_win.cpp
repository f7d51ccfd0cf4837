// clang-format off
// Winsock must come before anything that includes windows.h.
#include <winsock2.h>
#include <windows.h>
// clang-format on

#include "filefaults.h"
#include "simpeer.h"

namespace simtest {

void resetOnClose(qintptr socket)
{
    const linger hard{1, 0};
    ::setsockopt(SOCKET(socket), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char *>(&hard), sizeof hard);
}

void shutdownWrite(qintptr socket)
{
    ::shutdown(SOCKET(socket), SD_SEND);
}

bool resetReadsAsEnd()
{
    return r5::test::runsUnderWine();
}

} // namespace simtest
