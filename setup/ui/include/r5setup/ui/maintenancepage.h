#pragma once

#include <QWidget>

namespace r5setup {

class MainWindow;

// `TabSheet3` "    [Maintenance]    ": factory reset, reboot, flash, firmware download, test,
// simulator and HTTP server panels, and the administrator panel that shows the hidden ones.
// The device commands of the page are its handlers; the programs it starts are SideTools'.
class MaintenancePage final : public QWidget
{
    Q_OBJECT
public:
    explicit MaintenancePage(MainWindow &window, QWidget *parent = nullptr);
    static QString caption();

public Q_SLOTS:
    void Btn_FactoryResetClick();
    void Btn_SystemRebootClick();
    void Btn_FlashSaveIntClick();
    void Btn_FlashEraseClick();
    void Btn_FW_DLClick();

private:
    QString hint(const QString &button) const;
    QString text(const QString &edit) const;

    MainWindow &m_window;
};

} // namespace r5setup
