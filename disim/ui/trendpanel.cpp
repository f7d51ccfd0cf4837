#include "ui/trendpanel.h"

#include "core/reportcsv.h"
#include "r5/accessibility.h"
#include "r5/clock.h"
#include "r5/prompter.h"
#include "r5/wholefile.h"
#include "r5device/tcp/report.h"
#include "ui/trendchart.h"

#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace disim {

namespace {
constexpr int kTickMs = 100; // at most ten redraws a second
constexpr qint64 kIdleRepaintMs = 1000;
constexpr int kDefaultSpan = 1; // 5 minutes

QString rateText(const std::optional<double> &perMinute)
{
    return (perMinute ? QString::number(*perMinute, 'f', 1) : u"–"_s) + u"/min"_s;
}
} // namespace

TrendPanel::TrendPanel(r5::Prompter &prompter, r5::Clock &clock, const QString &exportFolder, QWidget *parent)
    : QGroupBox(u" Trend "_s, parent), m_prompter(prompter), m_clock(clock), m_exportFolder(exportFolder)
{
    setObjectName(u"TrendPanel"_s);
    m_steady.start();
    m_chart = new TrendChart(m_trend, m_steady, this);

    m_span = new QComboBox;
    m_span->setObjectName(u"cboTrendSpan"_s);
    m_span->setAccessibleName(u"Trend span"_s);
    for (const int minutes : CounterTrend::kSpanMinutes)
        m_span->addItem(u"%1 min"_s.arg(minutes));
    m_span->setCurrentIndex(kDefaultSpan);
    m_chart->setSpan(kDefaultSpan);
    connect(m_span, &QComboBox::currentIndexChanged, m_chart, &TrendChart::setSpan);

    m_export = new QPushButton(u"Export…"_s);
    m_export->setObjectName(u"cmdExport"_s);
    m_export->setAccessibleName(u"Export trend"_s);
    connect(m_export, &QPushButton::clicked, this, &TrendPanel::cmdExport_Click);

    auto *grid = new QGridLayout(this);
    auto *spanLabel = new QLabel(u"Span"_s);
    spanLabel->setBuddy(m_span);
    grid->addWidget(spanLabel, 0, 0);
    grid->addWidget(m_span, 0, 1, 1, 2);
    grid->addWidget(m_export, 0, 4, 1, 2);
    grid->addWidget(m_chart, 1, 0, 1, 6);
    grid->setRowStretch(1, 1);
    for (int i = 0; i < CounterTrend::kChannels; ++i) {
        const QString channel = u"CH0"_s + QString::number(i);
        QPixmap swatch(12, 12);
        swatch.fill(TrendChart::channelColour(i));
        auto *key = new QLabel;
        key->setPixmap(swatch);
        m_rates[i] = new QLabel(rateText(std::nullopt));
        m_rates[i]->setObjectName(u"lblRate("_s + QString::number(i) + u')');
        m_rates[i]->setMinimumWidth(fontMetrics().horizontalAdvance(u"00000.0/min"_s));
        r5::a11y::markValueDisplay(m_rates[i], u"Rate "_s + channel);
        const int row = 2 + i / 2;
        const int col = 3 * (i % 2);
        grid->addWidget(key, row, col);
        grid->addWidget(new QLabel(channel), row, col + 1);
        grid->addWidget(m_rates[i], row, col + 2);
    }

    m_tick.setInterval(kTickMs);
    connect(&m_tick, &QTimer::timeout, this, &TrendPanel::tick);
}

void TrendPanel::addReport(const Report &report)
{
    CounterTrend::States states{};
    std::copy(report.inputs.cbegin(), report.inputs.cend(), states.begin());
    std::copy(report.outputs.cbegin(), report.outputs.cend(), states.begin() + 6);
    m_trend.add(m_steady.elapsed(), report.counters, states);
    m_changed = true;
    if (!m_tick.isActive())
        m_tick.start();
}

void TrendPanel::tick()
{
    const qint64 now = m_steady.elapsed();
    if (m_changed) {
        m_changed = false;
        for (int i = 0; i < CounterTrend::kChannels; ++i)
            r5::a11y::showValue(m_rates[i], rateText(m_trend.ratePerMinute(i)));
    } else if (now - m_paintedMs < kIdleRepaintMs) {
        return;
    }
    m_paintedMs = now;
    if (m_chart->isVisible())
        m_chart->update();
}

void TrendPanel::cmdExport_Click()
{
    const QDateTime localNow = m_clock.localNow();
    const QString suggested =
        QDir(m_exportFolder).filePath(u"trend_"_s + localNow.toString(u"yyyyMMdd_HHmmss"_s) + u".csv"_s);
    const QString path =
        m_prompter.saveFileName(this, u"Export trend"_s, suggested, u"CSV files (*.csv);;All files (*)"_s);
    if (path.isEmpty())
        return;
    const qint64 now = m_steady.elapsed();
    const QByteArray csv = trendCsv(m_trend.points(m_chart->span(), now),
                                    [&](qint64 ms) { return localNow.addMSecs(ms - now); });
    // Replaced whole or not at all: a full disk leaves an earlier export of that name as it was.
    if (const QString why = r5::replaceFile(path, csv); !why.isEmpty())
        m_prompter.warning(this, u"Could not write %1: %2"_s.arg(QDir::toNativeSeparators(path), why));
}

} // namespace disim
