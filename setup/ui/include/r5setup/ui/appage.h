#pragma once

#include <QByteArray>
#include <QList>
#include <QWidget>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTimer;

namespace r5::protocol {
struct ApList;
struct CurrentAp;
struct RssiReading;
} // namespace r5::protocol

namespace r5setup {

// `TabSheet2` "    [AP 설정]    ": current access point, the list of access points the
// device sees (`APList_Grid`) and the signal strength panel.
//
// `APList_Grid` keeps its headings in the horizontal header; entry i (counting from 1) is
// table row i - 1.
class ApPage final : public QWidget
{
    Q_OBJECT
public:
    explicit ApPage(QWidget *parent = nullptr);
    static QString caption();

    QTableWidget *grid() const { return m_grid; }

    // The grid as the window starts with it: five columns.
    void prepareGrid();

    // Horizontal placement of the data cells of `column`: entry numbers centred, channel,
    // RSSI and quality right-aligned, SSID and authentication mode left.
    static Qt::Alignment dataAlignment(int column);

    // Answers of the device. The grid grows to show every entry; rows beyond the list keep
    // what they held.
    void showApList(const r5::protocol::ApList &list);
    // The bytes the device reported for an SSID the grid shows; nullopt when no row shows it.
    std::optional<QByteArray> listedSsidBytes(const QString &ssid) const;
    void enableGrid();
    void showCurrentAp(const r5::protocol::CurrentAp &ap);
    void showRssi(const r5::protocol::RssiReading &reading);

    // `Panel_Info_CurrentAP`.
    QLineEdit *ssidEdit() const { return m_ssid; }
    QLineEdit *passwordEdit() const { return m_password; }
    // Manual entry: `CB_Manual_set_AP` unlocks the two fields and `Btn_Set_CurrentAP`.
    QCheckBox *manualCheck() const { return m_manual; }
    QPushButton *setApButton() const { return m_setAp; }
    // The three hint-coded query buttons.
    QPushButton *searchButton() const { return m_search; }
    QPushButton *currentApButton() const { return m_currentAp; }
    QPushButton *rssiButton() const { return m_rssiButton; }
    // `Panel_Info_CurrentAP_RSSI`: the automatic signal query's controls.
    QCheckBox *autoQueryCheck() const { return m_autoCheck; }
    QComboBox *intervalCombo() const { return m_interval; }
    QTimer *autoQueryTimer() const { return m_timer; }

    // The page's controls that are enabled only while the port is open.
    QList<QWidget *> connectedControls() const;

public Q_SLOTS:
    // Six columns with their headings and widths; entries already in the grid stay.
    void Btn_InitGridClick();

private:
    void setCell(int row, int column, const QString &text);

    QGroupBox *m_currentPanel = nullptr;
    QGroupBox *m_availPanel = nullptr;
    QTableWidget *m_grid;
    QLineEdit *m_ssid = nullptr;
    QLineEdit *m_password = nullptr;
    QCheckBox *m_manual = nullptr;
    QPushButton *m_setAp = nullptr;
    QPushButton *m_search = nullptr;
    QPushButton *m_currentAp = nullptr;
    QPushButton *m_rssiButton = nullptr;
    QCheckBox *m_autoCheck = nullptr;
    QComboBox *m_interval = nullptr;
    QLineEdit *m_rssi = nullptr;
    QLineEdit *m_quality = nullptr;
    QLabel *m_qualityPanel = nullptr;
    QProgressBar *m_signal = nullptr;
    QTimer *m_timer = nullptr;
};

} // namespace r5setup
