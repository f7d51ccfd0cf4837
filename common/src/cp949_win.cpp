#include "r5/cp949.h"

#include <windows.h>

namespace r5::cp949 {

namespace {
constexpr UINT kCodePage = 949;
}

std::optional<QString> toUnicode(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return QString();
    const int size =
        MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()), nullptr, 0);
    if (size <= 0)
        return std::nullopt;
    QString out(size, Qt::Uninitialized);
    MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()),
                        reinterpret_cast<wchar_t *>(out.data()), size);
    return out;
}

std::optional<QByteArray> fromUnicode(QStringView text)
{
    if (text.isEmpty())
        return QByteArray();
    const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
    // No best-fit mapping: a character without a CP949 form must be noticed, not turned into a
    // look-alike.
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide, int(text.size()), nullptr, 0,
                                         nullptr, &usedDefault);
    if (size <= 0 || usedDefault)
        return std::nullopt;
    QByteArray out(size, Qt::Uninitialized);
    WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide, int(text.size()), out.data(), size, nullptr,
                        &usedDefault);
    return out;
}

} // namespace r5::cp949
