#pragma once

#include <QDate>
#include <QDateTime>

namespace r5 {

// The one seam for time: log stamps, daily file names and midnight roll-over all ask it,
// so tests can step through a day boundary without waiting for one.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime localNow() const = 0; // local time, millisecond resolution
    virtual QDateTime utcNow() const = 0;   // UTC, millisecond resolution

    QDate localDate() const { return localNow().date(); }
};

class SystemClock final : public Clock
{
public:
    QDateTime localNow() const override;
    QDateTime utcNow() const override;

    static SystemClock &instance();
};

} // namespace r5
