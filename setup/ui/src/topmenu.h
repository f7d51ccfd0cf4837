#pragma once

class QCheckBox;
class QLabel;
class QPushButton;
class QWidget;

namespace r5setup {

class Led;

// The connection bar `PanelTopMenu` and its controls.
struct TopMenu
{
    QWidget *panel = nullptr;
    QLabel *programName = nullptr; // Lb_PGName
    QLabel *version = nullptr;     // Lb_PGVersion
    Led *comLed = nullptr;         // ComLed1
    Led *txLed = nullptr;          // BCRTx1
    Led *rxLed = nullptr;          // BCRRx1
    QPushButton *comSetup = nullptr;
    QPushButton *connect = nullptr;
    QPushButton *disconnect = nullptr;
    QCheckBox *reconnect = nullptr;
    QCheckBox *saveLogFile = nullptr;
    QPushButton *clearLog = nullptr;
    QPushButton *swInfo = nullptr;
    QPushButton *exit = nullptr;
};

TopMenu buildTopMenu(QWidget *parent);

} // namespace r5setup
