#pragma once

#include "r5device/protocol/receivepath.h"

#include <QObject>
#include <QWidget>

class QPushButton;

namespace r5setup {

class MainWindow;

// The window's side of the device's answers and of the queries they answer: the receive event
// of `ComPortEnvBoard`, which runs the receive path and carries out its steps on the pages, and
// the hint-coded query handler of the access point buttons. The pages hold what the device
// reported; this object holds only the receive path's partial frame.
class DeviceView final : public QObject
{
    Q_OBJECT
public:
    // Connects the link's receive event and the three query buttons of `window`, whose pages
    // must be built.
    explicit DeviceView(MainWindow &window);

    const r5::protocol::ReceivePath &receivePath() const { return m_receive; }

public Q_SLOTS:
    // Reads at most one read buffer of the waiting bytes; the link announces the rest again.
    void ComPortEnvBoardRxChar();
    // 0x48, 0x49 or 0x4A, the id taken from `clicked`'s hint, after the network delay notice.
    // The RSSI auto-query runs it with the RSSI button.
    void Btn_Get_CurrentAPClick(QPushButton *clicked);

Q_SIGNALS:
    // A valid status answer is on the pages.
    void statusShown(const r5::protocol::StatusView &view);

private:
    void carryOut(const r5::protocol::RxAction &action);
    void showStatus(const r5::protocol::StatusView &view);
    void sendAutomaticStatusRequest();

    MainWindow &m_window;
    r5::protocol::ReceivePath m_receive;
    // Status requests sent for unregistered answers since the last decoded status or the last
    // request of any other kind, and the window's request count after the latest of them.
    int m_automaticRequests = 0;
    quint64 m_requestCountAfterAutomatic = 0;
};

} // namespace r5setup
