#include "core/reportcsv.h"

#include "r5/csv.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace disim {

namespace {
const QString kTimeFormat = u"yyyy-MM-dd HH:mm:ss.zzz"_s;

// The states are whatever bytes the device (or any TCP peer) sent. Control characters would
// break the row, so they show as U+FFFD; the row itself quotes and defuses what a spreadsheet
// would take for a formula.
template <std::size_t N>
QString statesField(const std::array<QChar, N> &states, std::size_t from, std::size_t n)
{
    QString s;
    for (std::size_t i = from; i < from + n; ++i) {
        const QChar c = states[i];
        s += (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0)) ? QChar::ReplacementCharacter
                                                                                 : c;
    }
    return s;
}

QByteArray row(const QStringList &fields)
{
    return r5::csv::line(fields);
}
} // namespace

QString reportCsvFileName(QDate localDate)
{
    return localDate.toString(u"yyyyMMdd"_s) + u"_reports.csv"_s;
}

QByteArray reportCsvHeader()
{
    QStringList f{u"Time"_s, u"Type"_s, u"DI"_s, u"DO"_s};
    for (int i = 0; i < 6; ++i)
        f << u"Counter "_s + QString::number(i);
    for (int i = 0; i < 6; ++i)
        f << u"GapTime "_s + QString::number(i);
    return row(f);
}

QByteArray reportCsvRow(const QDateTime &local, qsizetype length, const Report &report)
{
    QStringList f{local.toString(kTimeFormat), QString::number(length), statesField(report.inputs, 0, 6),
                  statesField(report.outputs, 0, 2)};
    for (const std::uint32_t c : report.counters)
        f << QString::number(c);
    for (int i = 0; i < 6; ++i)
        f << (report.gapTimes ? QString::number((*report.gapTimes)[i]) : QString());
    return row(f);
}

QByteArray trendCsv(const std::vector<CounterTrend::Point> &points,
                    const std::function<QDateTime(qint64)> &localTime)
{
    QStringList h{u"Time"_s};
    for (int i = 0; i < CounterTrend::kChannels; ++i)
        h << u"CH0"_s + QString::number(i);
    h << u"DI"_s << u"DO"_s;
    QByteArray out = row(h);
    for (const CounterTrend::Point &p : points) {
        QStringList f{localTime(p.ms).toString(kTimeFormat)};
        for (const double v : p.pulses)
            f << (std::isnan(v) ? QString() : QString::number(v, 'f', 3));
        f << statesField(p.states, 0, 6) << statesField(p.states, 6, 2);
        out += row(f);
    }
    return out;
}

} // namespace disim
