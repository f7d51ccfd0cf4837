#include "commissioner.h"
#include "firmwarerun.h"
#include "r5/consolesignals.h"
#include "r5/consoletext.h"
#include "r5/version.h"
#include "r5/workfolders.h"
#include "r5cli/cliargs.h"
#include "r5cli/runreport.h"
#include "r5device/seriallinkfactory.h"
#include "siterun.h"

#include <QCoreApplication>
#include <QSerialPortInfo>
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
    // The rates the port dialog offers.
    const r5cli::ParsedArgs parsed =
        r5cli::parseArgs(QCoreApplication::arguments(), QString::fromLatin1(r5::versionNumber),
                         QSerialPortInfo::standardBaudRates());
    if (!parsed.args) {
        if (parsed.exitCode == r5cli::exitcode::Ok) {
            out << parsed.text << Qt::endl;
            return parsed.exitCode;
        }
        err << parsed.text << Qt::endl;
        if (parsed.json) {
            r5cli::RunReport report;
            report.command = parsed.command;
            report.exitCode = parsed.exitCode;
            report.errorField = parsed.field;
            report.errorMessage = parsed.message;
            out << QString::fromUtf8(r5cli::reportJson(report));
        }
        return parsed.exitCode;
    }

    if (parsed.args->command == r5cli::Command::Site || parsed.args->command == r5cli::Command::Scan)
        return r5cli::runSiteCommand(*parsed.args, out, err);
    const std::unique_ptr<r5setup::SerialLink> link = r5setup::makeSerialLink();
    if (parsed.args->command == r5cli::Command::Firmware) {
        r5cli::FirmwareRun run(*parsed.args, *link, r5::SystemClock::instance(), out, err);
        run.setLogFolder(r5::findFolders(u"r5200tx-cli"_s).working);
        QObject::connect(&run, &r5cli::FirmwareRun::finished, &app,
                         [](int code) { QCoreApplication::exit(code); });
        r5::onConsoleSignals(&run, [&run] { run.interrupt(); });
        run.start();
        return QCoreApplication::exec();
    }
    r5cli::Commissioner commissioner(*parsed.args, *link, r5::SystemClock::instance(), out, err);
    // Started from an installed suite's own folder, the log goes to the per-user folder; the
    // arguments' paths stay relative to where the program was started.
    commissioner.setLogFolder(r5::findFolders(u"r5200tx-cli"_s).working);
    QObject::connect(&commissioner, &r5cli::Commissioner::finished, &app,
                     [](int code) { QCoreApplication::exit(code); });
    // Ctrl+C and the console's close end the run as an answer would: the port is closed, the
    // report is written and the console gets its code page back.
    r5::onConsoleSignals(&commissioner, [&commissioner] { commissioner.interrupt(); });
    commissioner.start();
    return QCoreApplication::exec();
}
