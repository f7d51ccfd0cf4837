// One TCP arrival as the client's report decoder takes it, then as the report file and the
// trend take the decoded report.
#include "core/reportcsv.h"
#include "core/trend.h"
#include "r5device/tcp/report.h"

#include <cmath>
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

    // Whatever the state bytes, a report is one row of the file.
    const QByteArray row = disim::reportCsvRow(QDateTime(), size, *report);
    if (!row.endsWith("\r\n") || row.count('\n') != 1 || row.count('\r') != 1)
        std::abort();
    // Counters from successive inputs, however they jump: never a negative point or rate.
    static disim::CounterTrend trend;
    static qint64 ms = 0;
    ms += 50;
    disim::CounterTrend::States states{};
    trend.add(ms, report->counters, states);
    for (const auto &p : trend.points(0, ms)) {
        for (const double v : p.pulses) {
            if (v < 0 || std::isinf(v))
                std::abort();
        }
    }
    if (trend.ratePerMinute(0).value_or(0) < 0)
        std::abort();
    return 0;
}
