#include "r5setup/ui/sidetools.h"

#include "r5device/maintenancerules.h"
#include "r5device/protocol/requests.h"
#include "r5fw/downloadwatch.h"
#include "r5fw/firmwarefolder.h"
#include "r5fw/firmwareserver.h"
#include "r5fw/fwtexts.h"
#include "r5setup/ui/mainwindow.h"
#include "refusalbox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHostAddress>
#include <QLineEdit>
#include <QPushButton>
#include <variant>

using namespace Qt::StringLiterals;

namespace r5setup {

SideTools::SideTools(MainWindow &window, const Controls &controls)
    : QObject(&window), m_window(window), m_controls(controls),
      m_lookup(std::make_unique<SystemLocalAddress>()),
      m_programFolder(QCoreApplication::applicationDirPath()),
      m_server(new r5fw::FirmwareServer(window.clock(), this)),
      m_watch(new r5fw::DownloadWatch(
          *m_server, window.clock(),
          // A rebooting device is silent: the follow-up's own time-out speaks, not one line per request.
          [&window] { window.sendRequest(r5::protocol::statusRequest(), MainWindow::Awaiting::Nothing); },
          this))
{
    setObjectName(u"SideTools"_s);
    m_server->setObjectName(u"FirmwareServer"_s);
    connect(m_server, &r5fw::FirmwareServer::line, &window, qOverload<const QString &>(&MainWindow::log));
    connect(m_watch, &r5fw::DownloadWatch::line, &window, qOverload<const QString &>(&MainWindow::log));
    connect(controls.startServer, &QPushButton::clicked, this, &SideTools::Btn_StartSvrClick);
    connect(controls.testServer, &QPushButton::clicked, this, &SideTools::Btn_TestHttpServerClick);
    connect(controls.ping, &QPushButton::clicked, this, &SideTools::Btn_pingClick);
    connect(controls.simulator, &QPushButton::clicked, this, &SideTools::Btn_simulatorClick);
}

SideTools::~SideTools() = default;

tools::FindProgram SideTools::findProgram() const
{
    const r5::Launcher &launcher = m_window.launcher();
    return [&launcher](const QString &name) { return launcher.findExecutable(name); };
}

void SideTools::noTerminal()
{
    m_window.prompter().message(&m_window, r5::Prompter::Icon::Warning, {}, tools::text::noTerminal());
    m_window.log(tools::text::noTerminalLine());
}

bool SideTools::start(const tools::Launch &launch)
{
    return m_window.launcher().startDetached(launch.program, launch.arguments, launch.workingDir);
}

void SideTools::Btn_StartSvrClick()
{
    const maint::Checked<std::uint16_t> checked = maint::checkHttpServerPort(m_controls.serverPort->text());
    if (!checked) {
        showRefusal(m_window.prompter(), &m_window, checked.refusal);
        return;
    }
    if (m_server->isListening()) {
        m_window.log(
            r5fw::text::alreadyRunning(m_server->port(), QDir::toNativeSeparators(m_server->folder())));
        return;
    }
    const auto folder = r5fw::firmwareFolder(m_controls.homeDir->text(), QDir::currentPath());
    if (const auto *refusal = std::get_if<r5fw::FolderRefusal>(&folder)) {
        m_window.prompter().message(&m_window, r5::Prompter::Icon::Warning, {}, refusal->message);
        m_window.log(refusal->message);
        return;
    }
    // The number read, not the text in the field, goes into the log.
    const QString port = QString::number(*checked.value);
    m_window.log(maint::text::httpServerLine(localAddress(*m_lookup), port));
    QString why;
    // Every IPv4 interface: the device asks from the network, at the address in its order.
    if (!m_server->listen(std::get<QString>(folder), QHostAddress::AnyIPv4, *checked.value, &why)) {
        const QString message = r5fw::text::portUnusable(*checked.value, why);
        m_window.prompter().message(&m_window, r5::Prompter::Icon::Warning, {}, message);
        m_window.log(message);
        return;
    }
    m_window.log(r5fw::text::listening(m_server->port(), QDir::toNativeSeparators(m_server->folder())));
}

void SideTools::Btn_TestHttpServerClick()
{
    m_window.launcher().openUrl(tools::serverUrl(localAddress(*m_lookup), m_controls.serverPort->text()));
}

void SideTools::Btn_pingClick()
{
    QStringList octets;
    for (const QLineEdit *octet : m_controls.wan)
        octets.append(octet->text());
    const QString address = tools::wanAddress(octets);
    if (!tools::pingAddressAllowed(m_platform, address)) {
        m_window.prompter().message(&m_window, r5::Prompter::Icon::None, {}, maint::text::octetRange());
        return;
    }
    const std::optional<tools::Launch> launch = tools::ping(m_platform, address, findProgram());
    if (!launch) {
        noTerminal();
        return;
    }
    start(*launch);
    m_window.log(maint::text::pingLine(address));
}

void SideTools::Btn_simulatorClick()
{
    start(tools::simulator(m_platform, QDir::currentPath(), m_programFolder,
                           [](const QString &path) { return QFileInfo(path).isFile(); }));
}

} // namespace r5setup
