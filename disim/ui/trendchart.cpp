#include "ui/trendchart.h"

#include "core/trend.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

using namespace Qt::StringLiterals;

namespace disim {

namespace {
// 1, 2 or 5 times a power of ten, at least `v`: round numbers on the value axis.
double niceCeiling(double v)
{
    if (v <= 1.0)
        return 1.0;
    const double power = std::pow(10.0, std::floor(std::log10(v)));
    for (const double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * power >= v)
            return m * power;
    }
    return 10.0 * power;
}

QString stateRowName(int row)
{
    return row < 6 ? u"DI CH0"_s + QString::number(row) : u"DO CH0"_s + QString::number(row - 6);
}
} // namespace

TrendChart::TrendChart(const CounterTrend &trend, const QElapsedTimer &clock, QWidget *parent)
    : QWidget(parent), m_trend(trend), m_clock(clock)
{
    setObjectName(u"TrendChart"_s);
    setAccessibleName(u"Trend"_s);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TrendChart::setSpan(int span)
{
    m_span = span;
    setAccessibleDescription(u"Pulses per report interval of CH00 to CH05 over the last %1 min"_s.arg(
        CounterTrend::kSpanMinutes[span]));
    update();
}

QColor TrendChart::channelColour(int channel)
{
    static const std::array<QColor, CounterTrend::kChannels> colours{
        QColor(0x1f, 0x77, 0xb4), QColor(0xd6, 0x27, 0x28), QColor(0x2c, 0xa0, 0x2c),
        QColor(0xff, 0x7f, 0x0e), QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b)};
    return colours[std::size_t(channel)];
}

void TrendChart::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    const QFontMetrics fm = fontMetrics();
    QFont small = font();
    if (font().pointSizeF() > 0)
        small.setPointSizeF(font().pointSizeF() * 0.8);
    else
        small.setPixelSize(std::max(8, font().pixelSize() * 4 / 5));
    const QFontMetrics smallFm(small);
    const int rowHeight = smallFm.height();
    const int left =
        std::max(smallFm.horizontalAdvance(stateRowName(0)), fm.horizontalAdvance(u"0000"_s)) + 8;
    const int stripHeight = CounterTrend::kStates * rowHeight;
    const int plotTop = fm.height() * 2;
    const QRect plot(left, plotTop, width() - left - 10,
                     height() - stripHeight - plotTop - 2 * fm.height() - 8);
    const QRect strip(left, height() - stripHeight - 4, plot.width(), stripHeight);
    if (plot.height() < 20 || plot.width() < 20)
        return;

    const qint64 now = m_clock.isValid() ? m_clock.elapsed() : 0;
    const qint64 spanMs = CounterTrend::spanMs(m_span);
    const auto points = m_trend.points(m_span, now);
    double top = 0;
    for (const auto &pt : points) {
        for (const double v : pt.pulses) {
            if (!std::isnan(v))
                top = std::max(top, v);
        }
    }
    top = niceCeiling(top);
    const auto x = [&](qint64 ms) {
        return plot.left() + double(ms - (now - spanMs)) * plot.width() / spanMs;
    };
    const auto y = [&](double v) { return plot.bottom() - v / top * plot.height(); };

    // Axes: four value lines with their numbers, the span's start, middle and now.
    const QColor axis = palette().color(QPalette::Mid);
    p.setPen(palette().color(QPalette::Text));
    p.drawText(QRect(0, 0, width(), fm.height()), Qt::AlignLeft | Qt::AlignVCenter, u"pulses / report"_s);
    for (int k = 0; k <= 4; ++k) {
        const double v = top * k / 4;
        const int yy = int(std::lround(y(v)));
        p.setPen(axis);
        p.drawLine(plot.left(), yy, plot.right(), yy);
        p.setPen(palette().color(QPalette::Text));
        p.drawText(QRect(0, yy - fm.height() / 2, left - 4, fm.height()), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(v, 'g', 4));
    }
    const int minutes = CounterTrend::kSpanMinutes[m_span];
    const int labelsY = plot.bottom() + 4;
    p.drawText(QRect(plot.left(), labelsY, plot.width(), fm.height()), Qt::AlignLeft,
               u"-%1 min"_s.arg(minutes));
    p.drawText(QRect(plot.left(), labelsY, plot.width(), fm.height()), Qt::AlignHCenter,
               u"-%1 min"_s.arg(minutes / 2.0));
    p.drawText(QRect(plot.left(), labelsY, plot.width(), fm.height()), Qt::AlignRight, u"now"_s);

    p.setRenderHint(QPainter::Antialiasing);
    p.setClipRect(plot.adjusted(-2, -2, 2, 2));
    for (int c = 0; c < CounterTrend::kChannels; ++c) {
        const QColor colour = channelColour(c);
        QPainterPath path;
        bool open = false;
        for (const auto &pt : points) {
            if (pt.gap[c]) {
                open = false;
                // A counter that went down: a dashed line and a mark at the top, in the channel's colour.
                const double gx = x(pt.ms);
                p.setPen(QPen(colour, 1, Qt::DashLine));
                p.drawLine(QPointF(gx, plot.top() + 8), QPointF(gx, plot.bottom()));
                p.setPen(QPen(colour, 1.5));
                p.drawLine(QPointF(gx - 3, plot.top() + 1), QPointF(gx + 3, plot.top() + 7));
                p.drawLine(QPointF(gx + 3, plot.top() + 1), QPointF(gx - 3, plot.top() + 7));
            }
            const double v = pt.pulses[c];
            if (std::isnan(v))
                continue; // a bucket without a report of its own: the line goes on across it
            const QPointF at(x(pt.ms), y(v));
            if (open)
                path.lineTo(at);
            else
                path.moveTo(at);
            open = true;
        }
        p.setPen(QPen(colour, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    }
    p.setClipping(false);
    p.setRenderHint(QPainter::Antialiasing, false);

    // The states: a filled cell for "1", a hatched one for anything but "0".
    p.setFont(small);
    for (int r = 0; r < CounterTrend::kStates; ++r) {
        const int rowTop = strip.top() + r * rowHeight;
        p.setPen(palette().color(QPalette::Text));
        p.drawText(QRect(0, rowTop, left - 4, rowHeight), Qt::AlignRight | Qt::AlignVCenter, stateRowName(r));
        p.fillRect(QRect(strip.left(), rowTop, strip.width(), rowHeight - 1),
                   palette().color(QPalette::AlternateBase));
        const QColor on = r < 6 ? channelColour(r) : palette().color(QPalette::Dark);
        for (std::size_t k = 0; k < points.size(); ++k) {
            const QChar s = points[k].states[std::size_t(r)];
            if (s == u'0' || s.isNull())
                continue;
            const double x0 = std::max<double>(strip.left(), x(points[k].ms));
            const double x1 = k + 1 < points.size() ? x(points[k + 1].ms) : strip.right();
            const QRectF cell(x0, rowTop, std::max(1.0, x1 - x0), rowHeight - 1);
            p.fillRect(cell, s == u'1' ? QBrush(on) : QBrush(on, Qt::BDiagPattern));
        }
    }
    p.setPen(axis);
    p.drawRect(plot);
}

} // namespace disim
