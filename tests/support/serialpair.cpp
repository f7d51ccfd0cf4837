#include "serialpair.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

namespace r5::test {

QByteArray SerialPair::readAtLeast(int count, int timeoutMs)
{
    QByteArray out;
    QDeadlineTimer deadline(timeoutMs);
    while (out.size() < count && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        out.append(read(10));
    }
    return out;
}

} // namespace r5::test
