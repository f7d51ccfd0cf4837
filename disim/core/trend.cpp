#include "core/trend.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace disim {

CounterTrend::CounterTrend() : m_buckets(kSpanMinutes.size() * kBuckets) {}

void CounterTrend::clear()
{
    std::fill(m_buckets.begin(), m_buckets.end(), Bucket{});
    for (Channel &c : m_channels)
        c = Channel{};
}

std::optional<qint64> CounterTrend::step(Channel &c, qint64 ms, std::uint32_t value, bool &gap)
{
    gap = false;
    if (!c.started || value < c.last) {
        gap = c.started;
        c.started = true;
        c.last = value;
        c.segmentMs = ms;
        c.baseCount = value;
        c.changes.clear();
        return std::nullopt;
    }
    const qint64 pulses = qint64(value) - qint64(c.last);
    c.last = value;
    if (pulses > 0) {
        if (c.changes.isFull())
            c.baseCount = c.changes.takeFirst().count;
        c.changes.append({ms, value});
    }
    updateRate(c, ms);
    return pulses;
}

// Between the first and the last report that saw the counter go up, the pulses are counted
// whole, so a slow channel is measured from pulse to pulse rather than from a window edge that
// falls between two pulses. Once the channel has been quiet longer than one of its own
// intervals, the quiet time counts too, so a stopped channel falls towards zero.
void CounterTrend::updateRate(Channel &c, qint64 ms)
{
    while (!c.changes.isEmpty() && c.changes.first().ms < ms - kRateWindowMs)
        c.baseCount = c.changes.takeFirst().count;
    if (c.changes.count() >= 2) {
        const Sample &a = c.changes.first();
        const Sample &b = c.changes.last();
        const double n = double(b.count - a.count);
        const double t = double(b.ms - a.ms);
        if (t >= kRateMinimumMs) {
            const double quiet = double(ms - a.ms) - t / n;
            c.rate = n / std::max(t, quiet) * 60'000.0;
            return;
        }
    }
    const qint64 from = std::max(c.segmentMs, ms - kRateWindowMs);
    if (ms - from >= kRateMinimumMs)
        c.rate = double(qint64(c.last) - c.baseCount) / double(ms - from) * 60'000.0;
}

void CounterTrend::add(qint64 ms, const Counters &counters, const States &states)
{
    std::array<std::optional<qint64>, kChannels> pulses;
    std::array<bool, kChannels> gaps{};
    for (int i = 0; i < kChannels; ++i)
        pulses[i] = step(m_channels[i], ms, counters[i], gaps[i]);

    for (int s = 0; s < int(kSpanMinutes.size()); ++s) {
        const qint64 index = ms / bucketMs(s);
        Bucket &b = m_buckets[std::size_t(s * kBuckets + index % kBuckets)];
        if (b.index != index)
            b = Bucket{index};
        b.lastMs = ms;
        b.states = states;
        for (int i = 0; i < kChannels; ++i) {
            b.gap[i] = b.gap[i] || gaps[i];
            if (pulses[i]) {
                b.sum[i] += *pulses[i];
                ++b.count[i];
            }
        }
    }
}

std::vector<CounterTrend::Point> CounterTrend::points(int span, qint64 nowMs) const
{
    std::vector<Point> out;
    out.reserve(kBuckets);
    const qint64 last = nowMs / bucketMs(span);
    for (qint64 index = last - kBuckets + 1; index <= last; ++index) {
        if (index < 0)
            continue;
        const Bucket &b = m_buckets[std::size_t(span * kBuckets + index % kBuckets)];
        if (b.index != index)
            continue;
        Point p;
        p.ms = b.lastMs;
        p.gap = b.gap;
        p.states = b.states;
        // A bucket that holds a reset has no whole interval to speak for: it shows the gap.
        for (int i = 0; i < kChannels; ++i)
            p.pulses[i] = b.count[i] > 0 && !b.gap[i] ? double(b.sum[i]) / b.count[i]
                                                      : std::numeric_limits<double>::quiet_NaN();
        out.push_back(p);
    }
    return out;
}

} // namespace disim
