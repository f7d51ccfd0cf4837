#pragma once

#include <QWidget>

namespace r5setup {

// `TabSheet3` "    [Maintenance]    ": factory reset, reboot, flash, firmware download, test,
// simulator and HTTP server panels.
class MaintenancePage final : public QWidget
{
    Q_OBJECT
public:
    explicit MaintenancePage(QWidget *parent = nullptr);
    static QString caption();
};

} // namespace r5setup
