#pragma once

#include "core/trend.h"

#include <QElapsedTimer>
#include <QGroupBox>
#include <QTimer>
#include <array>

class QComboBox;
class QLabel;
class QPushButton;

namespace r5 {
class Clock;
class Prompter;
} // namespace r5

namespace disim {

struct Report;
class TrendChart;

// The " Trend " frame beside the window's fields and activity list: the chart, its span
// (`cboTrendSpan`), a legend that gives each channel's current rate (`lblRate(i)`, spoken as
// "Rate CH00" and so on) and "Export…" (`cmdExport`), which writes the points of the span shown
// to a file the user names.
//
// Reports may come far faster than anyone can watch: each is added to the trend at once, but
// the chart and the rates are redrawn by a 100 ms tick, and only when something changed (or,
// while nothing comes, once a second so the chart moves on with the time).
class TrendPanel final : public QGroupBox
{
    Q_OBJECT
public:
    TrendPanel(r5::Prompter &prompter, r5::Clock &clock, const QString &exportFolder,
               QWidget *parent = nullptr);

    void addReport(const Report &report);

private:
    void tick();
    void cmdExport_Click();

    r5::Prompter &m_prompter;
    r5::Clock &m_clock;
    QString m_exportFolder;
    CounterTrend m_trend;
    QElapsedTimer m_steady;
    QTimer m_tick;
    qint64 m_paintedMs = 0;
    bool m_changed = false;

    TrendChart *m_chart = nullptr;
    QComboBox *m_span = nullptr;
    std::array<QLabel *, CounterTrend::kChannels> m_rates{};
    QPushButton *m_export = nullptr;
};

} // namespace disim
