#pragma once

#include <QList>
#include <QObject>

class QLineEdit;
class QPushButton;
class QWidget;

namespace r5setup {

// The administrator panel of the maintenance page: the masked edit `EditViewAdminPW` and
// "View Admin" show the flash, firmware and test panels for the right password and hide them
// again for an empty one. Showing a panel does not enable it: the connection decides that.
class AdminPanel final : public QObject
{
    Q_OBJECT
public:
    // `panels`: `Panel_Info_Flash` first (its visibility stands for all four), then the others.
    AdminPanel(QLineEdit *password, QPushButton *view, const QList<QWidget *> &panels, QObject *parent);

public Q_SLOTS:
    void Btn_ViewAdminClick();

protected:
    // `EditViewAdminPWKeyDown`: Enter or Space runs the button's action.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_password;
    QList<QWidget *> m_panels;
};

} // namespace r5setup
