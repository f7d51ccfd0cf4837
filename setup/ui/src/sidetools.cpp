#include "r5setup/ui/sidetools.h"

#include "r5setup/maintenancerules.h"
#include "r5setup/ui/mainwindow.h"
#include "refusalbox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace r5setup {

SideTools::SideTools(MainWindow &window, const Controls &controls)
    : QObject(&window), m_window(window), m_controls(controls),
      m_lookup(std::make_unique<SystemLocalAddress>()),
      m_programFolder(QCoreApplication::applicationDirPath())
{
    setObjectName(u"SideTools"_s);
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
    // The number read, not the text in the field, goes into the command line and the log.
    const QString port = QString::number(*checked.value);
    const tools::Launch launch =
        tools::httpServer(m_platform, *checked.value, m_controls.homeDir->text(), findProgram(),
                          tools::httpServerOutputFile(QDir::currentPath(), m_window.clock().localDate()));
    m_window.log(maint::text::httpServerLine(localAddress(*m_lookup), port));
    if (launch.outputFile.isEmpty()) {
        start(launch);
        return;
    }
    if (m_window.launcher().startDetachedToFile(launch.program, launch.arguments, launch.workingDir,
                                                launch.outputFile))
        m_window.log(tools::text::serverWithoutTerminalLine(launch.outputFile));
    else
        m_window.log(tools::text::serverNotStartedLine(launch.program, launch.outputFile));
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
