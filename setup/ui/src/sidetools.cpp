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

SideTools::SideTools(MainWindow &window)
    : QObject(&window), m_window(window), m_lookup(std::make_unique<SystemLocalAddress>()),
      m_programFolder(QCoreApplication::applicationDirPath())
{
    setObjectName(u"SideTools"_s);
    const std::pair<const char16_t *, void (SideTools::*)()> buttons[] = {
        {u"Btn_StartSvr", &SideTools::Btn_StartSvrClick},
        {u"Btn_TestHttpServer", &SideTools::Btn_TestHttpServerClick},
        {u"Btn_ping", &SideTools::Btn_pingClick},
        {u"Btn_simulator", &SideTools::Btn_simulatorClick},
    };
    for (const auto &[name, slot] : buttons) {
        if (auto *button = window.findChild<QPushButton *>(QString::fromUtf16(name)))
            connect(button, &QPushButton::clicked, this, slot);
    }
}

SideTools::~SideTools() = default;

QString SideTools::text(const QString &control) const
{
    const auto *edit = m_window.findChild<QLineEdit *>(control);
    return edit ? edit->text() : QString();
}

bool SideTools::start(const tools::Launch &launch)
{
    return m_window.launcher().startDetached(launch.program, launch.arguments, launch.workingDir);
}

void SideTools::Btn_StartSvrClick()
{
    const QString port = text(u"Edit_HttpSvr_Port"_s);
    const maint::Checked<std::uint16_t> checked = maint::checkHttpServerPort(port);
    if (!checked) {
        showRefusal(m_window.prompter(), &m_window, checked.refusal);
        return;
    }
    m_window.log(maint::text::httpServerLine(localAddress(*m_lookup), port));
    const r5::Launcher &launcher = m_window.launcher();
    start(tools::httpServer(m_platform, port, text(u"Edit_HomeDir"_s),
                            [&launcher](const QString &name) { return launcher.findExecutable(name); }));
}

void SideTools::Btn_TestHttpServerClick()
{
    m_window.launcher().openUrl(tools::serverUrl(localAddress(*m_lookup), text(u"Edit_HttpSvr_Port"_s)));
}

void SideTools::Btn_pingClick()
{
    QStringList octets;
    for (int i = 1; i <= 4; ++i)
        octets.append(text(u"Edit_IP"_s + QString::number(i)));
    const QString address = tools::wanAddress(octets);
    const r5::Launcher &launcher = m_window.launcher();
    const std::optional<tools::Launch> launch = tools::ping(
        m_platform, address, [&launcher](const QString &name) { return launcher.findExecutable(name); });
    if (!launch)
        return;
    start(*launch);
    m_window.log(maint::text::pingLine(address));
}

void SideTools::Btn_simulatorClick()
{
    start(tools::simulator(m_platform, QDir::currentPath(), m_programFolder,
                           [](const QString &path) { return QFileInfo(path).isFile(); }));
}

} // namespace r5setup
