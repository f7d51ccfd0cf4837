#pragma once

#include <QObject>

namespace r5setup {

class MainWindow;

// The access point page's own commands: manual entry mode, choosing an SSID from the list,
// writing the access point (0x42) and the automatic signal query.
class ApCommands final : public QObject
{
    Q_OBJECT
public:
    // Connects the controls of `window`'s access point page; the window's device view must be
    // made, as the signal query runs its hint-coded query handler.
    explicit ApCommands(MainWindow &window);

public Q_SLOTS:
    void CB_Manual_set_APClick();
    void APList_GridDblClick();
    void Btn_Set_CurrentAPClick();
    void CB_RSSI_AutoChkClick();
    void CB_Chk_RSSI_IntervalChange();
    // One tick of `Timer_AutoQryRSSI`: the RSSI button's query, with its confirmation box.
    void Timer_AutoQryRSSITimer();

private:
    MainWindow &m_window;
    // A tick's confirmation box is open: ticks that come due meanwhile (the box runs its own
    // event loop) wait, and one of them runs when the box closes.
    bool m_asking = false;
    bool m_tickWaiting = false;
};

} // namespace r5setup
