#include "r5setup/lineerrorprobe.h"

#include <QSerialPort>
#include <windows.h>

namespace r5setup {

namespace {

// ClearCommError returns the errors since its last call and clears them.
class CommErrorProbe final : public LineErrorProbe
{
public:
    explicit CommErrorProbe(HANDLE handle) : m_handle(handle) {}

    std::optional<LineErrors> poll() override
    {
        DWORD flags = 0;
        if (!::ClearCommError(m_handle, &flags, nullptr))
            return std::nullopt;
        LineErrors errors;
        errors.setFlag(LineError::Frame, flags & CE_FRAME);
        errors.setFlag(LineError::RxParity, flags & CE_RXPARITY);
        errors.setFlag(LineError::Overrun, flags & CE_OVERRUN);
        errors.setFlag(LineError::Break, flags & CE_BREAK);
        errors.setFlag(LineError::RxOver, flags & CE_RXOVER);
        return errors;
    }

private:
    HANDLE m_handle;
};

} // namespace

std::unique_ptr<LineErrorProbe> makeSystemProbe(QSerialPort &port)
{
    const HANDLE handle = port.handle();
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr)
        return nullptr;
    return std::make_unique<CommErrorProbe>(handle);
}

} // namespace r5setup
