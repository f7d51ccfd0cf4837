#include "r5device/lineerrorprobe.h"

#include <QSerialPort>
#include <linux/serial.h>
#include <sys/ioctl.h>

namespace r5setup {

namespace {

std::optional<LineCounters> readCounters(int fd)
{
    serial_icounter_struct c{};
    if (::ioctl(fd, TIOCGICOUNT, &c) != 0)
        return std::nullopt;
    return LineCounters{quint32(c.frame), quint32(c.parity), quint32(c.overrun), quint32(c.brk),
                        quint32(c.buf_overrun)};
}

// The kernel counts line errors per port for as long as the driver is loaded; the errors of
// an interval are the counters that moved.
class IcountProbe final : public LineErrorProbe
{
public:
    IcountProbe(int fd, LineCounters baseline) : m_fd(fd), m_last(baseline) {}

    std::optional<LineErrors> poll() override
    {
        const auto now = readCounters(m_fd);
        if (!now)
            return std::nullopt;
        const LineErrors errors = newErrors(m_last, *now);
        m_last = *now;
        return errors;
    }

private:
    int m_fd;
    LineCounters m_last;
};

} // namespace

std::unique_ptr<LineErrorProbe> makeSystemProbe(QSerialPort &port)
{
    const int fd = int(port.handle());
    if (fd < 0)
        return nullptr;
    const auto baseline = readCounters(fd);
    if (!baseline)
        return nullptr;
    return std::make_unique<IcountProbe>(fd, *baseline);
}

} // namespace r5setup
