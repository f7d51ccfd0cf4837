#pragma once

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSplitter;
class QWidget;

namespace disim {

// The controls of frmSim_3810, named as the program names them (objectName). The window's
// handlers work on these; the controls hold the data.
struct Sim3810Ui
{
    QLineEdit *txtDestIP = nullptr;
    QLineEdit *txtDestPort = nullptr;
    QPushButton *cmdConnect = nullptr;
    QPushButton *cmdDisconnect = nullptr;
    QPushButton *cmdSite = nullptr; // every device of a site list in the Site window

    std::array<QRadioButton *, 2> optInterval{}; // 0 "OneTime Send", 1 "Repeat"
    std::array<QLabel *, 2> lblTime{};
    QComboBox *cboTime = nullptr;

    std::array<QRadioButton *, 3> optCommand{};
    QComboBox *ComboSet = nullptr;
    QComboBox *ComboReset = nullptr;
    QComboBox *ComboValue = nullptr;
    QPushButton *cmdSend = nullptr;
    QPushButton *cmdEnd = nullptr;
    QPushButton *cmdClear = nullptr;

    std::array<QRadioButton *, 2> optLog{}; // 0 "List", 1 "List + File"
    QCheckBox *chkCsv = nullptr;            // every report into the day's CSV file
    QPushButton *cmdPingStart = nullptr;
    QPushButton *cmdPingStop = nullptr;

    std::array<QLineEdit *, 6> txt_Input{};
    std::array<QLineEdit *, 2> txt_Output{};
    std::array<QLineEdit *, 6> txtCounter{};
    std::array<QLineEdit *, 6> txtGapTime{};
    QLineEdit *txt_CheckSum = nullptr;

    QListWidget *List1 = nullptr;
    std::array<QLabel *, 2> Label1{}; // 0 the "Channel" caption, 1 the maker's address
    QSplitter *splTrend = nullptr;    // all of the above on the left, the trend on the right

    // Builds every control, frame and caption with its start-up content and enabled state.
    void setupUi(QWidget *form);
};

} // namespace disim
