#include "r5/cp949.h"

namespace r5::cp949 {

bool pairs(unsigned char lead, unsigned char trail)
{
    if (!isLeadByte(lead) || trail < 0x41)
        return false;
    const char both[2] = {char(lead), char(trail)};
    const std::optional<QString> text = toUnicode(QByteArrayView(both, 2));
    return text && text->size() == 1;
}

QString decode(QByteArrayView bytes)
{
    if (std::optional<QString> whole = toUnicode(bytes))
        return *std::move(whole);
    QString out;
    out.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[at]);
        if (b < 0x80) {
            out.append(QLatin1Char(char(b)));
            ++at;
        } else if (at + 1 < bytes.size() && pairs(b, static_cast<unsigned char>(bytes[at + 1]))) {
            out.append(*toUnicode(bytes.sliced(at, 2)));
            at += 2;
        } else {
            out.append(QChar::ReplacementCharacter);
            ++at;
        }
    }
    return out;
}

} // namespace r5::cp949
