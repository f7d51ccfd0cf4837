#include "r5device/lineerrors.h"

#include <array>

using namespace Qt::StringLiterals;

namespace r5setup {

QString lineErrorName(LineErrors errors)
{
    static const std::array<QString, 8> kNames{u"[ceFrame]"_s,  u"[ceRxParity]"_s, u"[ceOverrun]"_s,
                                               u"[ceBreak]"_s,  u"[ceIO]"_s,       u"[ceMode]"_s,
                                               u"[ceRxOver]"_s, u"[ceTxFull]"_s};
    const auto bits = quint8(errors.toInt());
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        if (bits == (1u << i))
            return kNames[i];
    }
    return {};
}

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
