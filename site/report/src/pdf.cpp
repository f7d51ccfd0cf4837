#include "r5/suitefonts.h"
#include "r5site/report/output.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <functional>

using namespace Qt::StringLiterals;

namespace r5site::report {

namespace {

// Sizes in points (1/72 inch) on A4 landscape.
constexpr double kPageWidth = 841.89;
constexpr double kPageHeight = 595.28;
constexpr double kMargin = 34;
constexpr double kFooterGap = 14; // from the body's bottom to the footer's baseline area
constexpr double kCellPadX = 3;
constexpr double kCellPadY = 2;

const QColor kInk(0x11, 0x11, 0x11);
const QColor kRule(0xcc, 0xcc, 0xcc);
const QColor kHeaderFill(0xe6, 0xe6, 0xe6);
const QColor kAttentionFill(0xfd, 0xec, 0xea);
const QColor kWarn(0xb3, 0x26, 0x1e);
const QColor kQuiet(0x55, 0x55, 0x55);

// The report laid out on pages: measured once, then run as often as needed; a run without a
// painter only counts the pages (the footer names their number).
class Layout
{
public:
    Layout(const Sheet &sheet, QPaintDevice &device) : m_s(sheet), m_device(device)
    {
        m_k = device.logicalDpiX() / 72.0;
        r5::registerSuiteFonts();
        // Latin letters, digits and spaces from DejaVu Sans in both languages, Hangul from
        // NanumGothic: NanumGothic's space is also its glyph for control characters, and a PDF
        // reader would copy it as one of those instead of a space.
        m_base.setFamilies({u"DejaVu Sans"_s, u"NanumGothic"_s});
        m_base.setStyleHint(QFont::SansSerif);
        // Any letter spacing keeps Qt from joining letters into ligatures, which a PDF reader's
        // search and copy would return as one character ("ﬄ" in "offline").
        m_base.setLetterSpacing(QFont::AbsoluteSpacing, 0.02);
        m_body = font(7.5);
        m_mono = m_body;
        m_mono.setFamilies({u"DejaVu Sans Mono"_s});
        m_mono.setStyleHint(QFont::TypeWriter);
        m_bold = font(7.5, true);
        measureTable();
    }

    // Lays out every page; `newPage` starts the next one and may end the run (false).
    int run(QPainter *painter, const std::function<bool()> &newPage, int pages)
    {
        m_p = painter;
        m_newPage = newPage;
        m_pages = pages;
        m_page = 1;
        m_stopped = false;
        // The summary and what needs attention first; the table on pages of its own; the signatures last.
        cover() && attention() && nextPage() && table() && signatures();
        if (!m_stopped)
            footer();
        return m_page;
    }

private:
    double pt(double v) const { return v * m_k; }
    double bottom() const { return pt(kPageHeight - kMargin - kFooterGap); }
    double left() const { return pt(kMargin); }
    double width() const { return pt(kPageWidth - 2 * kMargin); }

    QFont font(double points, bool bold = false) const
    {
        QFont f = m_base;
        f.setPointSizeF(points);
        f.setBold(bold);
        return f;
    }
    QFontMetricsF metrics(const QFont &f) const { return QFontMetricsF(f, &m_device); }

    double textHeight(const QFont &f, double w, const QString &text, int flags = Qt::TextWordWrap) const
    {
        return metrics(f).boundingRect(QRectF(0, 0, w, 1e9), flags, text).height();
    }

    void text(const QFont &f, const QRectF &r, const QString &t, int flags = Qt::TextWordWrap,
              const QColor &ink = kInk)
    {
        if (!m_p)
            return;
        m_p->setFont(f);
        m_p->setPen(ink);
        m_p->drawText(r, flags | Qt::AlignLeft | Qt::AlignTop, t);
    }

    void footer()
    {
        if (!m_p)
            return;
        const QFont f = font(7.5);
        const QRectF r(left(), pt(kPageHeight - kMargin), width(), pt(12));
        m_p->setFont(f);
        m_p->setPen(kQuiet);
        m_p->drawText(r, Qt::AlignHCenter | Qt::AlignTop, m_s.footerFormat.arg(m_page).arg(m_pages));
    }

    bool nextPage()
    {
        footer();
        if (m_newPage && !m_newPage()) {
            m_stopped = true;
            return false;
        }
        ++m_page;
        m_y = pt(kMargin);
        return true;
    }

    bool cover()
    {
        m_y = pt(kMargin);
        const QFont title = font(22, true);
        text(title, QRectF(left(), m_y, width(), pt(40)), m_s.title);
        m_y += metrics(title).height() + pt(14);

        const QFont word = font(11, true);
        const QFont value = font(11);
        double wordWidth = 0;
        for (const auto &[w, v] : m_s.facts)
            wordWidth = std::max(wordWidth, metrics(word).horizontalAdvance(w));
        wordWidth += pt(16);
        for (const auto &[w, v] : m_s.facts) {
            const double h = std::max(metrics(word).height(), textHeight(value, width() - wordWidth, v));
            text(word, QRectF(left(), m_y, wordWidth, h), w);
            text(value, QRectF(left() + wordWidth, m_y, width() - wordWidth, h), v);
            m_y += h + pt(5);
        }
        m_y += pt(18);

        // The counts as a row of boxes, each number large above its word.
        const qsizetype n = std::max<qsizetype>(1, m_s.counts.size());
        const double gap = pt(6);
        const double boxWidth = (width() - gap * double(n - 1)) / double(n);
        const QFont number = font(20, true);
        const QFont small = font(8);
        double boxHeight = 0;
        for (const Sheet::Count &c : m_s.counts) {
            const double inner = boxWidth - pt(12);
            double h = metrics(number).height() + textHeight(small, inner, c.word);
            if (!c.detail.isEmpty())
                h += pt(3) + textHeight(small, inner, c.detail);
            boxHeight = std::max(boxHeight, h + pt(12));
        }
        double x = left();
        for (const Sheet::Count &c : m_s.counts) {
            const QRectF box(x, m_y, boxWidth, boxHeight);
            const QColor ink = c.warn ? kWarn : kInk;
            if (m_p) {
                m_p->setPen(QPen(c.warn ? kWarn : kQuiet, pt(0.6)));
                m_p->setBrush(c.warn ? kAttentionFill : Qt::white);
                m_p->drawRect(box);
            }
            const double inner = boxWidth - pt(12);
            double y = m_y + pt(6);
            text(number, QRectF(x + pt(6), y, inner, metrics(number).height()), c.number, 0, ink);
            y += metrics(number).height();
            const double wordHeight = textHeight(small, inner, c.word);
            text(small, QRectF(x + pt(6), y, inner, wordHeight), c.word, Qt::TextWordWrap, ink);
            if (!c.detail.isEmpty())
                text(small, QRectF(x + pt(6), y + wordHeight + pt(3), inner, boxHeight), c.detail,
                     Qt::TextWordWrap, ink);
            x += boxWidth + gap;
        }
        m_y += boxHeight + pt(20);
        return true;
    }

    void measureTable()
    {
        const qsizetype columns = m_s.columns.size();
        m_natural.assign(std::size_t(m_s.rows.size()), std::vector<double>(std::size_t(columns)));
        std::vector<double> want(static_cast<std::size_t>(columns));
        const QFontMetricsF body = metrics(m_body);
        const QFontMetricsF mono = metrics(m_mono);
        const QFontMetricsF bold = metrics(m_bold);
        for (qsizetype c = 0; c < columns; ++c)
            want[std::size_t(c)] = bold.horizontalAdvance(m_s.columns.at(c));
        for (qsizetype r = 0; r < m_s.rows.size(); ++r) {
            const QStringList &cells = m_s.rows.at(r).cells;
            for (qsizetype c = 0; c < columns && c < cells.size(); ++c) {
                const double w = (c == m_s.macColumn ? mono : body).horizontalAdvance(cells.at(c));
                m_natural[std::size_t(r)][std::size_t(c)] = w;
                want[std::size_t(c)] = std::max(want[std::size_t(c)], w);
            }
        }
        double total = 0;
        for (qsizetype c = 0; c < columns; ++c) {
            // A hair more than the widest text, so the wrapping of a layout never breaks it.
            want[std::size_t(c)] += padding(c) + pt(0.5);
            total += want[std::size_t(c)];
        }
        // Too wide: the free texts wrap first, then every column gives way.
        if (total > width()) {
            double wrapping = 0;
            for (qsizetype c = 0; c < columns; ++c)
                wrapping += wraps(c) ? want[std::size_t(c)] : 0;
            const double keep = total - wrapping;
            const double room = std::max(width() - keep, pt(60) * 2);
            for (qsizetype c = 0; c < columns; ++c) {
                if (wraps(c) && wrapping > 0)
                    want[std::size_t(c)] *= room / wrapping;
            }
            total = keep + room;
            if (total > width()) {
                for (double &w : want)
                    w *= width() / total;
                m_wrapAnywhere = true;
            }
        } else {
            // The spare width goes to the free texts, where it saves lines.
            const double spare = width() - total;
            for (const int c : m_s.freeText)
                want[std::size_t(c)] += spare / double(m_s.freeText.size());
        }
        m_widths = want;
        m_line = body.height();
        m_headerHeight = 0;
        for (qsizetype c = 0; c < columns; ++c) {
            m_headerHeight = std::max(
                m_headerHeight, textHeight(m_bold, m_widths[std::size_t(c)] - padding(c), m_s.columns.at(c)));
        }
        m_headerHeight += pt(2 * kCellPadY);
    }

    bool wraps(qsizetype column) const { return m_s.freeText.contains(int(column)); }

    // A cell's padding, left and right. The MAC has none on its right: the next column (the
    // state) then follows it closer than a column gap, and a PDF reader takes the two for one
    // line of text.
    double padding(qsizetype column) const
    {
        return column == m_s.macColumn ? pt(kCellPadX) : pt(2 * kCellPadX);
    }
    const QFont &cellFont(qsizetype column) const { return column == m_s.macColumn ? m_mono : m_body; }

    int cellFlags() const { return m_wrapAnywhere ? Qt::TextWrapAnywhere : Qt::TextWordWrap; }

    double rowHeight(qsizetype r) const
    {
        double h = m_line;
        const QStringList &cells = m_s.rows.at(r).cells;
        for (qsizetype c = 0; c < cells.size() && c < qsizetype(m_widths.size()); ++c) {
            const double inner = m_widths[std::size_t(c)] - padding(c);
            if (m_natural[std::size_t(r)][std::size_t(c)] > inner)
                h = std::max(h, textHeight(cellFont(c), inner, cells.at(c), cellFlags()));
        }
        return h + pt(2 * kCellPadY);
    }

    void header()
    {
        if (m_p) {
            m_p->setPen(Qt::NoPen);
            m_p->setBrush(kHeaderFill);
            m_p->drawRect(QRectF(left(), m_y, width(), m_headerHeight));
        }
        double x = left();
        for (qsizetype c = 0; c < m_s.columns.size(); ++c) {
            const double w = m_widths[std::size_t(c)];
            text(m_bold, QRectF(x + pt(kCellPadX), m_y + pt(kCellPadY), w - padding(c), m_headerHeight),
                 m_s.columns.at(c));
            x += w;
        }
        m_y += m_headerHeight;
        rule(pt(0.8), kQuiet);
    }

    void rule(double thickness, const QColor &colour)
    {
        if (!m_p)
            return;
        m_p->setPen(QPen(colour, thickness));
        m_p->drawLine(QPointF(left(), m_y), QPointF(left() + width(), m_y));
    }

    bool table()
    {
        const QFont heading = font(13, true);
        text(heading, QRectF(left(), m_y, width(), pt(24)), m_s.tableTitle);
        m_y += metrics(heading).height() + pt(4);
        const QFont legend = font(8);
        text(legend, QRectF(left(), m_y, width(), pt(20)), m_s.legend, 0, kQuiet);
        m_y += metrics(legend).height() + pt(6);
        header();
        for (qsizetype r = 0; r < m_s.rows.size(); ++r) {
            const double h = rowHeight(r);
            // A row never splits: it goes whole to the next page, under the header again.
            if (m_y + h > bottom()) {
                if (!nextPage())
                    return false;
                header();
            }
            const Sheet::Row &row = m_s.rows.at(r);
            if (m_p && row.attention) {
                m_p->setPen(Qt::NoPen);
                m_p->setBrush(kAttentionFill);
                m_p->drawRect(QRectF(left(), m_y, width(), h));
                m_p->setBrush(kWarn);
                m_p->drawRect(QRectF(left(), m_y, pt(2), h));
            }
            double x = left();
            for (qsizetype c = 0; c < row.cells.size() && c < qsizetype(m_widths.size()); ++c) {
                const double w = m_widths[std::size_t(c)];
                const bool mark = c == 0 && row.attention;
                text(mark ? m_bold : cellFont(c),
                     QRectF(x + pt(kCellPadX), m_y + pt(kCellPadY), w - padding(c), h), row.cells.at(c),
                     cellFlags(), mark ? kWarn : kInk);
                x += w;
            }
            m_y += h;
            rule(pt(0.4), kRule);
        }
        m_y += pt(18);
        return true;
    }

    bool attention()
    {
        const QFont heading = font(13, true);
        const QFont body = font(9);
        const QStringList lines = m_s.attention.isEmpty() ? QStringList{m_s.attentionNone} : m_s.attention;
        const double indent = pt(12);
        const double headingHeight = metrics(heading).height() + pt(6);
        // The heading stays with its first line.
        if (m_y + headingHeight + textHeight(body, width() - indent, lines.first()) > bottom() && !nextPage())
            return false;
        text(heading, QRectF(left(), m_y, width(), headingHeight), m_s.attentionTitle);
        m_y += headingHeight;
        for (const QString &line : lines) {
            const double h = textHeight(body, width() - indent, line) + pt(3);
            if (m_y + h > bottom() && !nextPage())
                return false;
            if (!m_s.attention.isEmpty())
                text(body, QRectF(left(), m_y, indent, h), u"•"_s, 0, kWarn);
            text(body, QRectF(left() + indent, m_y, width() - indent, h), line);
            m_y += h;
        }
        m_y += pt(18);
        return true;
    }

    bool signatures()
    {
        const QFont heading = font(13, true);
        const QFont who = font(11, true);
        const QFont field = font(10);
        const double fieldHeight = pt(30);
        const double boxHeight = metrics(who).height() + pt(16) + fieldHeight * double(m_s.signFields.size());
        const double needed = metrics(heading).height() + pt(6) + boxHeight;
        // The block stays whole: a signature never sits apart from what it signs for.
        if (m_y + needed > bottom() && !nextPage())
            return false;
        text(heading, QRectF(left(), m_y, width(), pt(24)), m_s.signTitle);
        m_y += metrics(heading).height() + pt(6);
        const qsizetype n = std::max<qsizetype>(1, m_s.signers.size());
        const double gap = pt(24);
        const double boxWidth = (width() - gap * double(n - 1)) / double(n);
        double x = left();
        for (qsizetype i = 0; i < m_s.signers.size(); ++i) {
            if (m_p) {
                m_p->setPen(QPen(kQuiet, pt(0.6)));
                m_p->setBrush(Qt::NoBrush);
                m_p->drawRect(QRectF(x, m_y, boxWidth, boxHeight));
            }
            double y = m_y + pt(8);
            text(who, QRectF(x + pt(8), y, boxWidth - pt(16), pt(20)), m_s.signers.at(i));
            y += metrics(who).height() + pt(8);
            const double wordWidth = pt(70);
            for (qsizetype f = 0; f < m_s.signFields.size(); ++f) {
                const double base = y + fieldHeight - pt(6);
                const double textTop = base - metrics(field).height() - pt(2);
                text(field, QRectF(x + pt(8), textTop, wordWidth, pt(16)), m_s.signFields.at(f));
                if (i == 0 && f == 0)
                    text(field, QRectF(x + pt(8) + wordWidth, textTop, boxWidth - wordWidth - pt(16), pt(16)),
                         m_s.installerName);
                if (m_p) {
                    m_p->setPen(QPen(kInk, pt(0.5)));
                    m_p->drawLine(QPointF(x + pt(8) + wordWidth, base), QPointF(x + boxWidth - pt(8), base));
                }
                y += fieldHeight;
            }
            x += boxWidth + gap;
        }
        m_y += boxHeight;
        return true;
    }

    const Sheet &m_s;
    QPaintDevice &m_device;
    double m_k = 1;
    QFont m_base;
    QFont m_body;
    QFont m_mono; // the MACs, each as wide as the others
    QFont m_bold;
    std::vector<double> m_widths;
    std::vector<std::vector<double>> m_natural; // each cell's width on one line
    double m_line = 0;
    double m_headerHeight = 0;
    bool m_wrapAnywhere = false;

    QPainter *m_p = nullptr;
    std::function<bool()> m_newPage;
    int m_pages = 1;
    int m_page = 1;
    double m_y = 0;
    bool m_stopped = false;
};

} // namespace

QByteArray pdf(const Sheet &sheet)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF()));
        writer.setResolution(600);
        writer.setTitle(sheet.pdfTitle);
        writer.setCreator(sheet.creator);
        Layout layout(sheet, writer);
        const int pages = layout.run(nullptr, {}, 0);
        QPainter painter(&writer);
        painter.setRenderHint(QPainter::Antialiasing);
        layout.run(
            &painter, [&writer] { return writer.newPage(); }, pages);
    }
    return bytes;
}

QImage firstPage(const Sheet &sheet, int dpi)
{
    const double perPoint = dpi / 72.0;
    QImage image(qRound(kPageWidth * perPoint), qRound(kPageHeight * perPoint), QImage::Format_RGB32);
    const int dotsPerMeter = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    Layout layout(sheet, image);
    const int pages = layout.run(nullptr, {}, 0);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    layout.run(
        &painter, [] { return false; }, pages);
    return image;
}

} // namespace r5site::report
