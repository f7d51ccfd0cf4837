#include "sim/address.h"

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace r5::sim {

double leadingNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    double sign = 1;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        sign = text[i] == u'-' ? -1 : 1;
        ++i;
    }
    double value = 0;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
        value = value * 10 + (text[i].unicode() - u'0');
        ++i;
    }
    if (i < text.size() && text[i] == u'.') {
        double scale = 0.1;
        for (++i; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, scale /= 10)
            value += (text[i].unicode() - u'0') * scale;
    }
    if (!std::isfinite(value))
        value = std::numeric_limits<double>::max();
    return sign * value;
}

namespace octet {

namespace {
constexpr int kBackspace = 8;
constexpr int kDelete = 127;

bool backToPrevious(int index, int key, double value)
{
    return index != 0 && key == kBackspace && value == 0;
}
} // namespace

Press keyPress(int index, int key, double value)
{
    if (backToPrevious(index, key, value))
        return Press::MovePrevious;
    if (key == u'.')
        // The last box has no box after it, and an octet holds no dot.
        return index <= 2 ? Press::MoveNext : Press::Discard;
    if (key == kDelete || key == kBackspace || (key >= u'0' && key <= u'9'))
        return Press::Accept;
    return Press::Discard;
}

Release keyRelease(int index, int key, double value, qsizetype length)
{
    if (backToPrevious(index, key, value))
        return Release::MovePrevious;
    if (length != 3)
        return Release::Stay;
    return index < 3 ? Release::MoveNext : Release::MoveToPort;
}

Leave leave(int index, double value)
{
    if (index == 0 && value > 223)
        return Leave::CrossLimit;
    if (value > 255)
        return Leave::BadFormat;
    return index == 3 ? Leave::OkToPort : Leave::Ok;
}

} // namespace octet

QString addressText(const QStringList &boxes)
{
    QStringList parts = boxes.mid(0, octet::kBoxes);
    while (parts.size() < octet::kBoxes)
        parts.append(QString());
    return parts.join(u'.');
}

QStringList addressBoxes(const QString &address)
{
    QStringList parts = address.split(u'.').mid(0, octet::kBoxes);
    while (parts.size() < octet::kBoxes)
        parts.append(QString());
    return parts;
}

bool addressEmpty(const QStringList &boxes)
{
    for (const QString &b : boxes) {
        if (!b.isEmpty())
            return false;
    }
    return true;
}

std::optional<quint16> portNumber(const QString &text)
{
    const double v = std::floor(leadingNumber(text));
    if (v < 0 || v > 65535)
        return std::nullopt;
    return quint16(v);
}

qint64 repeatIntervalMs(const QString &secondsText)
{
    const double ms = std::floor(leadingNumber(secondsText.trimmed()) * 1000);
    return ms < 0 ? 0 : qint64(std::min(ms, double(std::numeric_limits<int>::max())));
}

std::optional<double> repeatLimit(const QString &countText)
{
    if (countText.isEmpty() || countText == u"Endless"_s)
        return std::nullopt;
    return leadingNumber(countText);
}

} // namespace r5::sim
