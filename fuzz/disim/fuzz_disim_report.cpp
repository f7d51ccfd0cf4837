// One TCP arrival as the client's report decoder takes it.
#include "core/report.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto report = disim::decodeReport(bytes);
    if (!report) {
        if (size == 33 || size == 34 || size == 57)
            std::abort();
        (void)disim::wrongLengthLine(bytes.size());
        return 0;
    }
    if (report->checkByte.has_value() != (size == 34) || report->gapTimes.has_value() != (size == 57))
        std::abort();
    if (report->checkByte && disim::checkByteText(*report->checkByte).size() > 2)
        std::abort();
    if (disim::recvLine({}, bytes).size() != 8 + 2 * qsizetype(size))
        std::abort();
    return 0;
}
