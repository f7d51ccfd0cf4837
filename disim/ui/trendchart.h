#pragma once

#include <QWidget>

class QElapsedTimer;

namespace disim {

class CounterTrend;

// Draws a CounterTrend: one line per channel of the pulses per report interval over the chosen
// span, a break and a mark where a counter went down, and the DI and DO states as a strip of
// rows under it. It paints only when asked (TrendPanel asks at most ten times a second); one
// paint walks at most CounterTrend::kBuckets points, whatever the span.
class TrendChart final : public QWidget
{
    Q_OBJECT
public:
    TrendChart(const CounterTrend &trend, const QElapsedTimer &clock, QWidget *parent = nullptr);

    void setSpan(int span);
    int span() const { return m_span; }

    static QColor channelColour(int channel);

    QSize sizeHint() const override { return {340, 330}; }
    QSize minimumSizeHint() const override { return {280, 260}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const CounterTrend &m_trend;
    const QElapsedTimer &m_clock;
    int m_span = 1;
};

} // namespace disim
