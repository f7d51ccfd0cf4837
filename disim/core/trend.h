#pragma once

#include <QChar>
#include <QContiguousCache>
#include <QtGlobal>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace disim {

// What the counters of successive reports say: per channel the pulses counted between two
// reports, kept as a trend over the last minutes, and the current rate. Times are milliseconds
// of a steady clock, given by the caller.
//
// Storage is fixed: each span has its own ring of kBuckets time buckets, so drawing or
// exporting a span walks at most kBuckets points however long the span and however fast the
// reports come. A counter that goes down (reset by a command, or wrapped past 2^32 - 1) is a
// gap: the pulses of that interval are unknown, so no value is shown for it and the rate starts
// afresh after it.
class CounterTrend
{
public:
    static constexpr int kChannels = 6;
    static constexpr int kStates = 8; // DI CH00..CH05, then DO CH00..CH01
    static constexpr int kBuckets = 600;
    static constexpr std::array<int, 4> kSpanMinutes{1, 5, 15, 60};
    // The rate looks back this far; the change points it keeps are bounded too, so a flood of
    // reports only shortens what it looks back on.
    static constexpr qint64 kRateWindowMs = 60'000;
    static constexpr qsizetype kRateSamples = 4096;
    // Shorter than this, an interval says too little about a rate to show one.
    static constexpr qint64 kRateMinimumMs = 1000;

    using Counters = std::array<std::uint32_t, kChannels>;
    using States = std::array<QChar, kStates>;

    struct Point
    {
        qint64 ms = 0;                          // the last report in the bucket
        std::array<double, kChannels> pulses{}; // mean pulses per report interval; NaN: none, or a gap
        std::array<bool, kChannels> gap{};      // the line breaks before this point
        States states{};                        // of the bucket's last report
    };

    CounterTrend();

    void add(qint64 ms, const Counters &counters, const States &states);
    void clear();

    // Pulses per minute; nothing until the reports span kRateMinimumMs.
    std::optional<double> ratePerMinute(int channel) const { return m_channels[channel].rate; }

    // The points of span `span` (an index into kSpanMinutes) that end at `nowMs`, oldest first.
    std::vector<Point> points(int span, qint64 nowMs) const;
    static qint64 spanMs(int span) { return qint64(kSpanMinutes[span]) * 60'000; }
    static qint64 bucketMs(int span) { return spanMs(span) / kBuckets; }

private:
    struct Bucket
    {
        qint64 index = -1; // which bucket of time this slot holds now
        qint64 lastMs = 0;
        std::array<qint64, kChannels> sum{};
        std::array<int, kChannels> count{};
        std::array<bool, kChannels> gap{};
        States states{};
    };
    struct Sample
    {
        qint64 ms;
        qint64 count;
    };
    struct Channel
    {
        bool started = false;
        std::uint32_t last = 0;
        qint64 segmentMs = 0;                           // first report since the start or the last gap
        qint64 baseCount = 0;                           // the counter where the rate window begins
        QContiguousCache<Sample> changes{kRateSamples}; // reports whose counter went up
        std::optional<double> rate;
    };

    // Returns the pulses since the channel's last report, or nothing (first report or gap).
    std::optional<qint64> step(Channel &c, qint64 ms, std::uint32_t value, bool &gap);
    static void updateRate(Channel &c, qint64 ms);

    std::vector<Bucket> m_buckets; // kBuckets per span, span after span
    std::array<Channel, kChannels> m_channels;
};

} // namespace disim
