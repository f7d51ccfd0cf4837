#pragma once

#include "r5setup/sidetools.h"
#include "r5setup/ui/localaddress.h"

#include <QObject>
#include <array>
#include <memory>

class QLineEdit;
class QPushButton;

namespace r5fw {
class DownloadWatch;
class FirmwareServer;
} // namespace r5fw

namespace r5setup {

class MainWindow;

// The side tools: "Start HTTP Server" (devsetup's own firmware server, which runs until devsetup
// ends) and "Connection Test" of the HTTP server panel, "ping" of the WAN panel and " DI Simulator
// 실행". The programs go through the window's Launcher and are left alone. The download orders
// that name the own server are followed to the version the device runs afterwards.
class SideTools final : public QObject
{
    Q_OBJECT
public:
    // The controls the tools read and the buttons that start them.
    struct Controls
    {
        QPushButton *startServer;
        QPushButton *testServer;
        QPushButton *ping;
        QPushButton *simulator;
        QLineEdit *serverPort;          // `Edit_HttpSvr_Port`
        QLineEdit *homeDir;             // `Edit_HomeDir`
        std::array<QLineEdit *, 4> wan; // `Edit_IP1`..4, the address ping is sent to
    };

    // Logs, boxes and starts go through `window`.
    SideTools(MainWindow &window, const Controls &controls);
    ~SideTools() override;

    // Which platform's command lines to build (tests build the Windows ones on Linux too).
    void setPlatform(tools::Platform platform) { m_platform = platform; }
    void setAddressLookup(std::unique_ptr<LocalAddress> lookup) { m_lookup = std::move(lookup); }
    // The folder that holds devsetup (default: the running program's).
    void setProgramFolder(const QString &dir) { m_programFolder = dir; }

    r5fw::FirmwareServer &firmwareServer() const { return *m_server; }
    // Follows the download orders the maintenance page sends.
    r5fw::DownloadWatch &downloadWatch() const { return *m_watch; }

public Q_SLOTS:
    void Btn_StartSvrClick();
    void Btn_TestHttpServerClick();
    void Btn_pingClick();
    void Btn_simulatorClick();

private:
    bool start(const tools::Launch &launch);
    tools::FindProgram findProgram() const;
    // No terminal to show the tool in: says what was looked for, in a box and in the log.
    void noTerminal();

    MainWindow &m_window;
    Controls m_controls;
    tools::Platform m_platform = tools::hostPlatform();
    std::unique_ptr<LocalAddress> m_lookup;
    QString m_programFolder;
    r5fw::FirmwareServer *m_server;
    r5fw::DownloadWatch *m_watch;
};

} // namespace r5setup
