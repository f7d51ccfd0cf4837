#include "commissioner.h"
#include "r5/consoletext.h"
#include "r5/version.h"
#include "r5cli/cliargs.h"
#include "r5setup/qtseriallink.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    // Korean texts (access point names, device texts) must read right in a Windows console.
    const r5::ConsoleText consoleText;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"r5200tx-cli"_s);
    QCoreApplication::setApplicationVersion(QString::fromLatin1(r5::versionNumber));

    QTextStream out(stdout);
    QTextStream err(stderr);
    const r5cli::ParsedArgs parsed =
        r5cli::parseArgs(QCoreApplication::arguments(), QString::fromLatin1(r5::versionNumber));
    if (!parsed.args) {
        (parsed.exitCode == r5cli::exitcode::Ok ? out : err) << parsed.text << Qt::endl;
        return parsed.exitCode;
    }

    r5setup::QtSerialLink link;
    r5cli::Commissioner commissioner(*parsed.args, link, r5::SystemClock::instance(), out, err);
    QObject::connect(&commissioner, &r5cli::Commissioner::finished, &app,
                     [](int code) { QCoreApplication::exit(code); });
    commissioner.start();
    return QCoreApplication::exec();
}
