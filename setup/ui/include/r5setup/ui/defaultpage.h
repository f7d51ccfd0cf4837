#pragma once

#include <QList>
#include <QWidget>
#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace r5::protocol {
struct StatusView;
}

namespace r5setup {

namespace form {
class RadioGroup;
}

// `TabSheet1` "    [기본설정]    ": device identity, WAN, server and DI panels and the
// current-status button. The controls are the device's settings as last reported and the
// inputs of the WAN, server and DI save commands.
class DefaultPage final : public QWidget
{
    Q_OBJECT
public:
    explicit DefaultPage(QWidget *parent = nullptr);
    static QString caption();

    // Every field of the page from a status response, in the order the device sends them.
    void showStatus(const r5::protocol::StatusView &view);
    // The panels a valid status response unlocks.
    void enableStatusPanels();

    // `Panel_Info_Wan`: `Edit_IP1`..4, `Edit_GW1`..4, `Edit_SM1`..4.
    const std::array<QLineEdit *, 4> &ipEdits() const { return m_ip; }
    const std::array<QLineEdit *, 4> &gatewayEdits() const { return m_gateway; }
    const std::array<QLineEdit *, 4> &maskEdits() const { return m_mask; }
    // `Panel_Info_Server`.
    QLineEdit *serverPort() const { return m_serverPort; }
    QComboBox *expiryTime() const { return m_expiry; }
    form::RadioGroup *protocolMode() const { return m_protocol; }
    // `Panel_Info_Di`: `CB_ThrouputTime1`..5 and `CB_CountMode1`..5.
    const std::array<QComboBox *, 5> &throughputTimes() const { return m_throughput; }
    const std::array<QComboBox *, 5> &countModes() const { return m_countMode; }

    QPushButton *saveWanButton() const { return m_saveWan; }
    QPushButton *saveServerButton() const { return m_saveServer; }
    QPushButton *saveDiButton() const { return m_saveDi; }
    // "    현재 설정 확인" and the WAN panel's "ping".
    QPushButton *statusButton() const { return m_status; }
    QPushButton *pingButton() const { return m_ping; }
    // Below the status button: room for the window's field tools (profiles, verify).
    QWidget *toolArea() const { return m_tools; }

    // The page's controls that are enabled only while the port is open.
    QList<QWidget *> connectedControls() const;

private:
    QGroupBox *buildIdentity();
    QGroupBox *buildWan();
    QGroupBox *buildServer();
    QGroupBox *buildDi();

    std::array<QGroupBox *, 4> m_panels{};
    QLabel *m_devName = nullptr;
    QLabel *m_version = nullptr;
    QLabel *m_mac = nullptr;
    std::array<QLineEdit *, 4> m_ip{};
    std::array<QLineEdit *, 4> m_gateway{};
    std::array<QLineEdit *, 4> m_mask{};
    QLineEdit *m_serverPort = nullptr;
    QComboBox *m_expiry = nullptr;
    form::RadioGroup *m_protocol = nullptr;
    std::array<QComboBox *, 5> m_throughput{};
    std::array<QComboBox *, 5> m_countMode{};
    QPushButton *m_saveWan = nullptr;
    QPushButton *m_saveServer = nullptr;
    QPushButton *m_saveDi = nullptr;
    QPushButton *m_status = nullptr;
    QPushButton *m_ping = nullptr;
    QWidget *m_tools = nullptr;
};

} // namespace r5setup
