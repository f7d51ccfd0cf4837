#include "datakeyfilter.h"

#include <QEvent>
#include <QKeyEvent>

namespace r5::sim {

DataKeyFilter::DataKeyFilter(std::function<DataFormat()> format, QObject *parent)
    : QObject(parent), m_format(std::move(format))
{}

bool DataKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    switch (key->key()) {
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return false;
    default:
        break;
    }
    if (key->text().isEmpty())
        return false;
    for (const QChar c : key->text()) {
        if (!dataKeyAccepted(c, m_format()))
            return true;
    }
    return false;
}

} // namespace r5::sim
