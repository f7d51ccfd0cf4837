#include "r5setup/ui/pagecontrol.h"

#include <QPainter>

using namespace Qt::StringLiterals;

namespace r5setup {

namespace {
// Text offsets from the tab's top-left corner: the selected tab's caption sits further right.
constexpr QPoint kTextOffset(4, 3);
constexpr QPoint kSelectedTextOffset(8, 3);
} // namespace

PageTabBar::PageTabBar(QWidget *parent) : QTabBar(parent)
{
    setObjectName(u"PageControl1_Tabs"_s);
    setDrawBase(false);
}

QColor PageTabBar::selectedColour(int index)
{
    switch (index) {
    case 0:
        return {255, 255, 0}; // yellow
    case 1:
        return {192, 220, 192}; // money green
    case 2:
        return {0, 255, 255}; // aqua
    case 3:
        return {128, 128, 0}; // olive
    case 4:
        return {0, 128, 0}; // green
    default:
        return {0, 128, 128}; // teal
    }
}

QSize PageTabBar::tabSizeHint(int index) const
{
    const QFontMetrics fm = fontMetrics();
    return {fm.horizontalAdvance(tabText(index)) + 2 * kSelectedTextOffset.x(),
            fm.height() + 2 * kTextOffset.y() + 2};
}

void PageTabBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QColor face = palette().color(QPalette::Button);
    const QColor text = palette().color(QPalette::ButtonText);
    for (int i = 0; i < count(); ++i) {
        const QRect r = tabRect(i);
        const bool selected = i == currentIndex();
        if (selected) {
            p.setPen(text);
            p.setBrush(selectedColour(i));
            p.drawRect(r.adjusted(0, 0, -1, -1));
        } else {
            p.fillRect(r, face);
        }
        const QPoint offset = selected ? kSelectedTextOffset : kTextOffset;
        p.setPen(text);
        p.drawText(r.adjusted(offset.x(), offset.y(), 0, 0),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, tabText(i));
    }
}

PageControl::PageControl(QWidget *parent) : QTabWidget(parent), m_bar(new PageTabBar(this))
{
    setTabBar(m_bar);
    setObjectName(u"PageControl1"_s);
}

void PageControl::setDesignHeight(int height)
{
    m_designHeight = height;
    // Never taller than drawn; on a short screen the room below the controls goes before the
    // log below loses any.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    updateGeometry();
}

QSize PageControl::sizeHint() const
{
    const QSize needed = QTabWidget::minimumSizeHint();
    return {QTabWidget::sizeHint().width(), qMax(m_designHeight, needed.height())};
}

QSize PageControl::minimumSizeHint() const
{
    return QTabWidget::minimumSizeHint();
}

} // namespace r5setup
