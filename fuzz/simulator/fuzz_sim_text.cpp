// Text from the boxes of the socket test tool, typed or pasted: the data converters, the byte
// counter, the address-box rules, the numbers of counts and gaps, and the log path plan.
#include "sim/address.h"
#include "sim/display.h"
#include "sim/logpaths.h"
#include "sim/textbytes.h"

#include <QString>
#include <cstdlib>

using namespace r5::sim;

namespace {
void check(bool ok)
{
    if (!ok)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const auto *chars = reinterpret_cast<const char *>(data);
    const QString utf8 = QString::fromUtf8(chars, qsizetype(size));
    const QString latin1 = QString::fromLatin1(chars, qsizetype(size));

    for (const QString &text : {utf8, latin1}) {
        if (const auto ascii = AsciiToBytes(text)) {
            check(ascii->size() == text.size());
            check(QString::fromLatin1(*ascii) == text);
        }
        if (const auto hex = HexToBytes(text)) {
            check(hex->bytes.size() == text.size() / 2);
            check(hex->oddDropped == (text.size() % 2 != 0));
            check(renderData(hex->bytes, DataFormat::Hex).remove(u' ') ==
                  text.left(hex->bytes.size() * 2).toUpper());
        }
        check(byteCount(text, DataFormat::Hex) == text.size() / 2);

        const double value = leadingNumber(text);
        check(value == value); // never NaN
        for (int box = 0; box < 4; ++box) {
            (void)octet::keyPress(box, text.isEmpty() ? 0 : text[0].unicode(), value);
            (void)octet::keyRelease(box, 8, value, text.size());
            (void)octet::leave(box, value);
        }
        const QStringList boxes = addressBoxes(text);
        check(boxes.size() == 4);
        (void)addressText(boxes);
        (void)portNumber(text);
        check(repeatIntervalMs(text) >= 0);
        (void)repeatLimit(text);
        if (const auto plan = planLogPath(text, QStringLiteral("/work/run"))) {
            check(plan->file.startsWith(plan->root));
            for (const QString &folder : plan->folders)
                check(folder.startsWith(plan->root) && plan->file.startsWith(folder + u'/'));
        }
    }
    return 0;
}
