#include "r5setup/ui/led.h"

#include <QPainter>

namespace r5setup {

namespace {
// Long enough to be seen for a single short frame.
constexpr int kFlashMs = 120;
} // namespace

Led::Led(const QString &name, QColor colour, QWidget *parent) : QWidget(parent), m_colour(colour)
{
    setObjectName(name);
    setFixedSize(sizeHint());
    m_flash.setSingleShot(true);
    m_flash.setInterval(kFlashMs);
    connect(&m_flash, &QTimer::timeout, this, [this] { setOn(false); });
}

void Led::setOn(bool on)
{
    if (m_on == on)
        return;
    m_on = on;
    update();
}

void Led::flash()
{
    setOn(true);
    m_flash.start();
}

void Led::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::darkGray);
    p.setBrush(m_on ? m_colour : m_colour.darker(400));
    p.drawEllipse(rect().adjusted(1, 1, -1, -1));
}

} // namespace r5setup
