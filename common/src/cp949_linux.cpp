#include "r5/cp949.h"

#include <cerrno>
#include <iconv.h>

namespace r5::cp949 {

namespace {

// glibc's iconv knows CP949 without further packages; one descriptor per direction and thread,
// reset before each use.
class Converter
{
public:
    Converter(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (m_cd != kInvalid)
            iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    std::optional<QByteArray> convert(QByteArrayView in)
    {
        if (m_cd == kInvalid)
            return std::nullopt;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        // Two bytes of CP949 make at most three of UTF-8; three of UTF-8 at most two of CP949.
        QByteArray out(in.size() * 2 + 4, Qt::Uninitialized);
        char *src = const_cast<char *>(in.data());
        std::size_t srcLeft = std::size_t(in.size());
        char *dst = out.data();
        std::size_t dstLeft = std::size_t(out.size());
        if (iconv(m_cd, &src, &srcLeft, &dst, &dstLeft) == std::size_t(-1) || srcLeft != 0)
            return std::nullopt;
        if (iconv(m_cd, nullptr, nullptr, &dst, &dstLeft) == std::size_t(-1))
            return std::nullopt;
        out.truncate(dst - out.data());
        return out;
    }

private:
    static inline const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);
    iconv_t m_cd;
};

} // namespace

std::optional<QString> toUnicode(QByteArrayView bytes)
{
    thread_local Converter converter("UTF-8", "CP949");
    const std::optional<QByteArray> utf8 = converter.convert(bytes);
    if (!utf8)
        return std::nullopt;
    return QString::fromUtf8(*utf8);
}

std::optional<QByteArray> fromUnicode(QStringView text)
{
    thread_local Converter converter("CP949", "UTF-8");
    const QByteArray utf8 = text.toUtf8();
    // A lone surrogate has no UTF-8 form: toUtf8() writes '?' for it, which must not pass.
    for (const QChar c : text) {
        if (c.isSurrogate())
            return std::nullopt;
    }
    return converter.convert(utf8);
}

} // namespace r5::cp949
