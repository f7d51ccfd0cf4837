#pragma once

#include "r5commission/profile.h"
#include "r5device/settingsrules.h"

#include <QObject>

namespace r5setup {

class MainWindow;

// The save commands of the first page: WAN (0x43), server (0x44) and DI (0x45). Each reads
// its fields, refuses with the first failing check's box and focus, asks for a Yes and sends
// its request; the fields keep what was sent. The page's number fields get the key filter.
class SettingsCommands final : public QObject
{
    Q_OBJECT
public:
    // Connects the save buttons of `window`'s first page.
    explicit SettingsCommands(MainWindow &window);

public Q_SLOTS:
    void Btn_Save_Config_WanClick();
    void Btn_Save_Config_ServerClick();
    void Btn_Save_Config_DIClick();

Q_SIGNALS:
    // A save went to the device: what it wrote, and whether the device reboots after it.
    void saveSent(const r5commission::Wanted &wanted, bool reboots);

private:
    // The precondition of all three: a status response has been decoded during this run.
    bool statusQueried();
    // The checks' refusal when they did not pass, else the confirmation box: true on Yes.
    bool confirmed(const settings::Refusal &refusal, bool passed, const QString &question);

    MainWindow &m_window;
};

} // namespace r5setup
