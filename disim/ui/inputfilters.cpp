#include "ui/inputfilters.h"

#include "core/entry.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace disim {

bool EntryKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const QString text = key->text();
    if (text.size() != 1 || !text.front().isPrint() ||
        key->modifiers().testAnyFlags(Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    if (isEntryKeyAllowed(text.front()))
        return false;
    QApplication::beep();
    return true;
}

ClickFilter::ClickFilter(std::function<void()> onClick, QObject *parent)
    : QObject(parent), m_onClick(std::move(onClick))
{}

bool ClickFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        m_onClick();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace disim
