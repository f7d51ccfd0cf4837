// What a TCP client may send the virtual device, fed in two reads as a stream would arrive.
#include "virt/tcpprotocol.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray all(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype cut = size ? qsizetype(data[0] % (size + 1)) : 0;
    QByteArray pending = all.left(cut);
    virt::DiState state;
    for (const QByteArray &more : {QByteArray(), all.mid(cut)}) {
        pending += more;
        const virt::TcpParse p = virt::parseTcpCommands(pending);
        qsizetype accounted = 4 * p.commands.size();
        for (const QByteArray &r : p.rejected)
            accounted += r.size();
        if (p.consumed > pending.size() || accounted != p.consumed || pending.size() - p.consumed >= 4)
            std::abort();
        for (const virt::TcpCommand &c : p.commands) {
            virt::applyCommand(state, c);
            for (const char mode : {'N', 'G'}) {
                const qsizetype n = virt::buildReport(state, mode, c.channel == 'A').size();
                if (n != 33 && n != 34 && n != 57)
                    std::abort();
            }
        }
        pending.remove(0, p.consumed);
    }
    return 0;
}
