#include "r5/accessibility.h"
#include "r5/appendfile.h"
#include "r5/clock.h"
#include "r5/launcher.h"
#include "r5/prompter.h"
#include "r5/workfolders.h"
#include "sim/frmsimulator.h"

#include <QApplication>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    r5::ignoreFileSizeSignal(); // a write past the file-size limit fails instead of ending the program
    // Boxes without a title of their own show the program's name.
    QApplication::setApplicationName(u"Simulator"_s);
    r5::a11y::install();
    const r5::Folders folders = r5::settleFolders(u"Simulator"_s);

    r5::WidgetPrompter prompter;
    r5::SystemLauncher launcher;
    r5::sim::frmSimulator window(prompter, r5::SystemClock::instance(), launcher, folders.application);
    window.show();
    return QApplication::exec();
}
