#include "r5/accessibility.h"
#include "r5/appendfile.h"
#include "r5/clock.h"
#include "r5/launcher.h"
#include "r5/prompter.h"
#include "r5/workfolders.h"
#include "r5device/tcp/hostresolver.h"
#include "r5device/tcp/icmpecho.h"
#include "ui/frmsim3810.h"

#include <QApplication>
#include <QDir>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    r5::ignoreFileSizeSignal(); // a write past the file-size limit fails instead of ending the program
    QApplication::setApplicationName(u"Simulator_3810"_s);

    r5::a11y::install();
    // The log folder sits beside the program file (installed: in the per-user folder); if it
    // cannot be made the program still runs and file logging fails silently.
    const QString logFolder = r5::settleFolders(u"Simulator_3810"_s).application + u"/Log"_s;
    QDir().mkpath(logFolder);

    r5::WidgetPrompter prompter;
    r5::SystemLauncher launcher;
    disim::SystemResolver resolver;
    disim::IcmpEcho echo;
    disim::frmSim_3810 window({prompter, r5::SystemClock::instance(), launcher, resolver, echo, logFolder});
    window.show();
    return QApplication::exec();
}
