// Request targets and Range headers as a peer sends them: any bytes give an answer; a file
// answer names one plain file of the folder; a part lies within the file.
#include "r5fw/requesttarget.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const r5fw::Target target = r5fw::resolveTarget(bytes);
    if (target.kind == r5fw::Target::Kind::File) {
        const QString &name = target.name;
        if (name.isEmpty() || name.startsWith(u'.') || name.contains(u'/') || name.contains(u'\\') ||
            name.contains(u':'))
            std::abort();
    }
    for (const qint64 fileSize : {qint64(0), qint64(1), qint64(307 * 1024 + 3)}) {
        const r5fw::RangeChoice range = r5fw::chooseRange(bytes, fileSize);
        if (range.answer == r5fw::RangeChoice::Answer::Part &&
            (range.first < 0 || range.last < range.first || range.last >= fileSize))
            std::abort();
    }
    return 0;
}
