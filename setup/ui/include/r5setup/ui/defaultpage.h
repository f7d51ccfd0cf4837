#pragma once

#include <QWidget>

namespace r5setup {

// `TabSheet1` "    [기본설정]    ": device identity, WAN, server and DI panels and the
// current-status button.
class DefaultPage final : public QWidget
{
    Q_OBJECT
public:
    explicit DefaultPage(QWidget *parent = nullptr);
    static QString caption();
};

} // namespace r5setup
