#include "r5/screenfit.h"

#include <QEvent>
#include <QHeaderView>
#include <QListView>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QStringListModel>
#include <QStyle>
#include <QStyleOption>
#include <QTableView>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace r5 {

ScreenFit::ScreenFit(QWidget *window, Sizing sizing, QSize design)
    : QObject(window), m_window(window), m_area(new QScrollArea(window)), m_page(new QWidget),
      m_sizing(sizing), m_design(design)
{
    m_area->setFrameShape(QFrame::NoFrame);
    m_area->setWidgetResizable(true);
    m_area->setWidget(m_page);
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_area);
    window->installEventFilter(this);
    m_page->installEventFilter(this);
}

QMargins ScreenFit::windowMargins() const
{
    QStyleOption option;
    option.initFrom(m_window);
    option.state |= QStyle::State_Window;
    const QStyle *style = m_window->style();
    return {style->pixelMetric(QStyle::PM_LayoutLeftMargin, &option, m_window),
            style->pixelMetric(QStyle::PM_LayoutTopMargin, &option, m_window),
            style->pixelMetric(QStyle::PM_LayoutRightMargin, &option, m_window),
            style->pixelMetric(QStyle::PM_LayoutBottomMargin, &option, m_window)};
}

QSize ScreenFit::wanted() const
{
    const QSize design = m_design.isValid() ? m_design : m_page->sizeHint();
    return design.expandedTo(m_page->minimumSizeHint());
}

QMargins ScreenFit::frameMargins() const
{
    if (const QWindow *handle = m_window->windowHandle()) {
        const QMargins known = handle->frameMargins();
        if (!known.isNull())
            return known;
    }
    // Not framed yet (or the window manager has not said): room for a title bar and borders.
    return {8, 31, 8, 8};
}

void ScreenFit::fit()
{
    const QSize want = wanted();
    if (m_sizing == Sizing::Fixed)
        m_page->setMinimumSize(want); // the page keeps its layout and scrolls as a whole
    const QScreen *screen = m_window->screen();
    QSize size = want;
    if (screen) {
        const QSize room = screen->availableGeometry().size().shrunkBy(frameMargins());
        size = want.boundedTo(room);
        // A scroll bar in one direction takes its width from the other.
        const QSize scrolled = m_sizing == Sizing::Fixed ? want : m_page->minimumSizeHint();
        const int bar = m_area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_area);
        if (size.height() < scrolled.height())
            size.setWidth(qMin(room.width(), size.width() + bar));
        if (size.width() < scrolled.width())
            size.setHeight(qMin(room.height(), size.height() + bar));
        if (m_sizing == Sizing::Resizable && m_placed)
            size = m_window->size().boundedTo(room);
    }
    if (m_sizing == Sizing::Fixed)
        m_window->setFixedSize(size);
    else
        m_window->resize(size);
}

void ScreenFit::place()
{
    const QScreen *screen = m_window->screen();
    if (!screen)
        return;
    const QRect free = screen->availableGeometry();
    QRect frame(m_window->pos(), m_window->size().grownBy(frameMargins()));
    if (!m_window->testAttribute(Qt::WA_Moved))
        frame.moveCenter(free.center());
    // Within the free area, title bar first where the window is larger.
    frame.moveLeft(qMax(free.left(), qMin(frame.left(), free.left() + free.width() - frame.width())));
    frame.moveTop(qMax(free.top(), qMin(frame.top(), free.top() + free.height() - frame.height())));
    m_window->move(frame.topLeft());
}

bool ScreenFit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Show && !m_placed) {
        fit();
        place();
        m_placed = true;
        if (QWindow *handle = m_window->windowHandle())
            connect(handle, &QWindow::screenChanged, this, &ScreenFit::fit);
    } else if (watched == m_page && event->type() == QEvent::LayoutRequest) {
        // Controls shown, hidden or given another font: the page may need another size.
        fit();
    }
    return QObject::eventFilter(watched, event);
}

namespace {

// Height of one row of `view`'s text, as the view itself draws it.
int rowHeight(const QAbstractScrollArea *view)
{
    if (const auto *table = qobject_cast<const QTableView *>(view))
        return qMax(table->verticalHeader()->defaultSectionSize(), table->fontMetrics().height() + 4);
    if (qobject_cast<const QListView *>(view)) {
        // Rows are sized by the delegate from the font and the style: ask a one-row list alike.
        QStringListModel model({u"Xg"_s});
        QListView probe;
        probe.setFont(view->font());
        probe.setModel(&model);
        return probe.sizeHintForRow(0);
    }
    return view->fontMetrics().lineSpacing();
}

class RowFloor final : public QObject
{
public:
    RowFloor(QAbstractScrollArea *view, int rows) : QObject(view), m_view(view), m_rows(rows)
    {
        view->installEventFilter(this);
        apply();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
            apply();
        return QObject::eventFilter(watched, event);
    }

private:
    void apply()
    {
        const int row = rowHeight(m_view);
        int extra = 2 * m_view->frameWidth();
        if (auto *table = qobject_cast<QTableView *>(m_view)) {
            table->verticalHeader()->setDefaultSectionSize(row);
            if (!table->horizontalHeader()->isHidden())
                extra += table->horizontalHeader()->sizeHint().height();
        } else if (const auto *text = qobject_cast<const QPlainTextEdit *>(m_view)) {
            extra += 2 * qRound(text->document()->documentMargin());
        }
        m_view->setMinimumHeight(m_rows * row + extra);
    }

    QAbstractScrollArea *m_view;
    int m_rows;
};

} // namespace

void reserveRows(QAbstractScrollArea *view, int rows)
{
    new RowFloor(view, rows);
}

} // namespace r5
