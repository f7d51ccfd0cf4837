#include "adminpanel.h"

#include "r5device/maintenancerules.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace r5setup {

AdminPanel::AdminPanel(QLineEdit *password, QPushButton *view, const QList<QWidget *> &panels,
                       QObject *parent)
    : QObject(parent), m_password(password), m_panels(panels)
{
    connect(view, &QPushButton::clicked, this, &AdminPanel::Btn_ViewAdminClick);
    m_password->installEventFilter(this);
}

void AdminPanel::Btn_ViewAdminClick()
{
    // Hidden is the panel's own flag, so the answer does not depend on the page being shown.
    const bool shown = !m_panels.isEmpty() && !m_panels.constFirst()->isHidden();
    const maint::AdminStep step = maint::adminStep(shown, m_password->text());
    for (QWidget *panel : std::as_const(m_panels)) {
        if (step.hidePanels)
            panel->hide();
        if (step.showPanels)
            panel->show();
    }
    m_password->clear();
    if (step.focusEdit)
        m_password->setFocus(Qt::OtherFocusReason);
}

bool AdminPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_password && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            // The key only triggers: a space typed after it would stand in the emptied edit.
            Btn_ViewAdminClick();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace r5setup
