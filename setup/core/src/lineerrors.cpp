#include "r5setup/lineerrors.h"

namespace r5setup {

LineErrors newErrors(const LineCounters &before, const LineCounters &now)
{
    LineErrors errors;
    errors.setFlag(LineError::Frame, now.frame != before.frame);
    errors.setFlag(LineError::RxParity, now.parity != before.parity);
    errors.setFlag(LineError::Overrun, now.overrun != before.overrun);
    errors.setFlag(LineError::Break, now.brk != before.brk);
    errors.setFlag(LineError::RxOver, now.bufferOverrun != before.bufferOverrun);
    return errors;
}

} // namespace r5setup
