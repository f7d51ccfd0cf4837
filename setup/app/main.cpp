#include "r5/accessibility.h"
#include "r5/appendfile.h"
#include "r5/clock.h"
#include "r5/launcher.h"
#include "r5/prompter.h"
#include "r5/singleinstance.h"
#include "r5/suitefonts.h"
#include "r5/workfolders.h"
#include "r5device/seriallinkfactory.h"
#include "r5setup/shelltexts.h"
#include "r5setup/ui/mainwindow.h"

#include <QApplication>
#include <QDir>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"devsetup"_s);
    QApplication::setApplicationDisplayName(r5setup::text::appTitle());

    // Before anything is written: a log past the file-size limit must fail, not end the program.
    r5::ignoreFileSizeSignal();

    r5::SingleInstance instance(u"R5200TX_Setup"_s);
    const auto single = instance.acquire();
    if (single == r5::SingleInstance::Result::AnotherRunning) {
        // Another copy is running: bring it forward and end without a word.
        instance.raiseFirst();
        return 0;
    }

    r5::a11y::install();
    r5::settleFolders(u"devsetup"_s, {u"cfg"_s, u"Log"_s, u"KorviaFW"_s});

    QApplication::setFont(r5::suiteFont(r5::FontRole::Korean, 9));

    r5::WidgetPrompter prompter;
    r5::SystemLauncher launcher;
    r5setup::Services services{prompter, r5::SystemClock::instance(), launcher};
    r5setup::MainWindow window(services, r5setup::makeSerialLink());
    if (single == r5::SingleInstance::Result::CheckOff)
        window.log(u"Single-instance check is off: cannot create the marker ["_s +
                   QDir::toNativeSeparators(instance.path()) + u"], "_s + instance.reason() + u'.');
    window.show();
    instance.serve(&window);
    return app.exec();
}
