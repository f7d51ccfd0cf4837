// Bytes from the serial line through the virtual device's framing and request handler, and
// the same bytes as a state file.
#include "virt/devicemodel.h"
#include "virt/faults.h"
#include "virt/requestreceiver.h"

#include <QJsonDocument>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    virt::DeviceModel model;
    virt::RequestReceiver receiver;
    virt::Faults faults;
    faults.payloadFe = size % 2 == 0;
    faults.wrongCount = size % 3 == 0;
    faults.pieces = {3, 7};
    faults.answers = 0;
    virt::FaultInjector injector(faults);
    // Split where the data says, so frames cross reads.
    const qsizetype cut = size > 0 ? data[0] % qsizetype(size) : 0;
    for (const QByteArrayView part : {bytes.first(cut), bytes.sliced(cut)}) {
        for (const QByteArray &request : receiver.feed(part)) {
            const QByteArray answer = model.handle(request);
            if (answer.size() > 5 + 9 * 52 + 1)
                __builtin_trap();
            (void)injector.apply(answer);
        }
    }
    if (receiver.pending() > 255 + int(size))
        __builtin_trap();

    const QJsonDocument doc = QJsonDocument::fromJson(bytes.toByteArray());
    if (doc.isObject())
        (void)virt::DeviceState::fromJson(doc.object());
    return 0;
}
