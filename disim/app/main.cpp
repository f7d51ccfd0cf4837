#include "r5/accessibility.h"
#include "r5/appendfile.h"
#include "r5/clock.h"
#include "r5/launcher.h"
#include "r5/prompter.h"
#include "r5/workfolders.h"
#include "r5device/tcp/hostresolver.h"
#include "r5device/tcp/icmpecho.h"
#include "r5site/sitelist.h"
#include "ui/frmsim3810.h"
#include "ui/frmsite.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <memory>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    r5::ignoreFileSizeSignal(); // a write past the file-size limit fails instead of ending the program
    QApplication::setApplicationName(u"Simulator_3810"_s);

    QCommandLineParser args;
    args.setApplicationDescription(
        u"Simulator_3810: tests one DI device over TCP, or watches every device of a "
        "site list (--site)."_s);
    args.addHelpOption();
    const QCommandLineOption siteOption(
        u"site"_s,
        u"Watch the devices of FILE (a commissioning record or a CSV list with an Address column)."_s,
        u"FILE"_s);
    args.addOption(siteOption);
    args.process(app);
    // Named relative to where the program was started, which the work folders may change.
    const QString siteFile =
        args.isSet(siteOption) ? QFileInfo(args.value(siteOption)).absoluteFilePath() : QString();

    r5::a11y::install();
    // The log folder sits beside the program file (installed: in the per-user folder); if it
    // cannot be made the program still runs and file logging fails silently.
    const QString logFolder = r5::settleFolders(u"Simulator_3810"_s).application + u"/Log"_s;
    QDir().mkpath(logFolder);

    r5::WidgetPrompter prompter;
    r5::SystemLauncher launcher;
    disim::SystemResolver resolver;
    if (!siteFile.isEmpty()) {
        const r5site::SiteList list = r5site::readSiteList(siteFile);
        if (!list.ok()) {
            prompter.warning(nullptr, list.error);
            return 1;
        }
        disim::frmSite site({prompter, r5::SystemClock::instance(), launcher, resolver,
                             [] { return std::make_unique<disim::IcmpEcho>(); }, logFolder},
                            list.entries, siteFile);
        site.show();
        return QApplication::exec();
    }
    disim::IcmpEcho echo;
    disim::frmSim_3810 window({prompter, r5::SystemClock::instance(), launcher, resolver, echo, logFolder});
    window.show();
    return QApplication::exec();
}
