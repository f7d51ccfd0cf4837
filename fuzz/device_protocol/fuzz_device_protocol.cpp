// Bytes from the device, in arbitrary chunks, through the receive path and every decoder.
// The first input byte seeds the chunk sizes; the rest is the stream.
#include "r5device/protocol/codec.h"
#include "r5device/protocol/decoders.h"
#include "r5device/protocol/receivepath.h"

#include <cstddef>
#include <cstdint>

using namespace r5::protocol;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    std::uint32_t seed = data[0] * 2654435761u + 1;
    const QByteArrayView stream(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    ReceivePath path;
    for (qsizetype at = 0; at < stream.size();) {
        seed = seed * 1664525u + 1013904223u;
        const qsizetype n = std::min<qsizetype>(stream.size() - at, 1 + (seed >> 16) % 97);
        for (const RxAction &action : path.feed(stream.sliced(at, n))) {
            if (const auto *list = std::get_if<rx::ShowApList>(&action)) {
                if (list->list.entries.size() > 9)
                    __builtin_trap();
            }
        }
        if (path.receiver().held() > FrameReceiver::kCapacity)
            __builtin_trap();
        at += n;
    }

    // The decoders on their own, whatever the count.
    (void)decodeStatus(stream);
    (void)decodeApList(stream);
    (void)decodeCurrentAp(stream);
    (void)decodeRssi(stream);
    (void)resLine(responseText(stream));
    const QByteArrayView piece = mb::cut(stream, seed % 64, (seed >> 8) % 64);
    if (piece.size() > 64)
        __builtin_trap();
    return 0;
}
