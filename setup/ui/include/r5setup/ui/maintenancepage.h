#pragma once

#include <QList>
#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

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

    // `Panel_Info_Flash`: filled by the status response too.
    QLineEdit *flashInterval() const { return m_flashInterval; }
    QComboBox *flashDelay() const { return m_flashDelay; }
    // `Panel_Info_FW_Http`: `Edit_DL_IP1`..4, `Edit_DL_Port`, `Edit_DL_File`.
    const std::array<QLineEdit *, 4> &downloadIpEdits() const { return m_downloadIp; }
    QLineEdit *downloadPort() const { return m_downloadPort; }
    QLineEdit *downloadFile() const { return m_downloadFile; }
    // `Panel_Info_FW_Tcp`: `Edit_DL_Tcp_IP1`..4, `Edit_DL_Tcp_Port`.
    const std::array<QLineEdit *, 4> &tcpIpEdits() const { return m_tcpIp; }
    QLineEdit *tcpPort() const { return m_tcpPort; }
    // `Panel1`, the HTTP server, and the DI simulator's button.
    QLineEdit *httpServerPort() const { return m_httpPort; }
    QLineEdit *homeDir() const { return m_homeDir; }
    QPushButton *startServerButton() const { return m_startServer; }
    QPushButton *testServerButton() const { return m_testServer; }
    QPushButton *simulatorButton() const { return m_simulator; }

    // The page's controls that are enabled only while the port is open.
    QList<QWidget *> connectedControls() const;

public Q_SLOTS:
    void Btn_FactoryResetClick();
    void Btn_SystemRebootClick();
    void Btn_FlashSaveIntClick();
    void Btn_FlashEraseClick();
    void Btn_FW_DLClick();

Q_SIGNALS:
    // A download order went to the device: fetch `fileField` from `address`:`port`.
    void firmwareOrderSent(const QString &address, quint16 port, const QString &fileField);

private:
    MainWindow &m_window;
    QPushButton *m_factoryReset = nullptr;
    QCheckBox *m_counterReset = nullptr;
    QPushButton *m_systemReboot = nullptr;
    QGroupBox *m_flashPanel = nullptr;
    QPushButton *m_flashSave = nullptr;
    QPushButton *m_flashErase = nullptr;
    QLineEdit *m_flashInterval = nullptr;
    QComboBox *m_flashDelay = nullptr;
    QGroupBox *m_firmwarePanel = nullptr;
    std::array<QLineEdit *, 4> m_downloadIp{};
    QLineEdit *m_downloadPort = nullptr;
    QLineEdit *m_downloadFile = nullptr;
    std::array<QLineEdit *, 4> m_tcpIp{};
    QLineEdit *m_tcpPort = nullptr;
    QLineEdit *m_httpPort = nullptr;
    QLineEdit *m_homeDir = nullptr;
    QPushButton *m_startServer = nullptr;
    QPushButton *m_testServer = nullptr;
    QPushButton *m_simulator = nullptr;
};

} // namespace r5setup
