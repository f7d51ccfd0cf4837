#pragma once

#include "r5setup/sidetools.h"
#include "r5setup/ui/localaddress.h"

#include <QObject>
#include <memory>

namespace r5setup {

class MainWindow;

// The buttons that start programs beside devsetup: "Start HTTP Server" and "Connection Test"
// of the HTTP server panel, "ping" of the WAN panel and " DI Simulator 실행". Each start goes
// through the window's Launcher and is left alone; nothing waits for it.
class SideTools final : public QObject
{
    Q_OBJECT
public:
    // Connects the buttons the window holds (found by their names), so it is made after the pages.
    explicit SideTools(MainWindow &window);
    ~SideTools() override;

    // Which platform's command lines to build (tests build the Windows ones on Linux too).
    void setPlatform(tools::Platform platform) { m_platform = platform; }
    void setAddressLookup(std::unique_ptr<LocalAddress> lookup) { m_lookup = std::move(lookup); }
    // The folder that holds devsetup (default: the running program's).
    void setProgramFolder(const QString &dir) { m_programFolder = dir; }

public Q_SLOTS:
    void Btn_StartSvrClick();
    void Btn_TestHttpServerClick();
    void Btn_pingClick();
    void Btn_simulatorClick();

private:
    QString text(const QString &control) const;
    bool start(const tools::Launch &launch);

    MainWindow &m_window;
    tools::Platform m_platform = tools::hostPlatform();
    std::unique_ptr<LocalAddress> m_lookup;
    QString m_programFolder;
};

} // namespace r5setup
