#include "reportrun.h"

#include "r5/wholefile.h"
#include "r5cli/cliargs.h"
#include "r5cli/reportargs.h"
#include "r5site/report/output.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace r5cli {

namespace {

namespace report = r5site::report;

// Records grow by a row per device and run; a site check by a few hundred bytes per device.
constexpr qint64 kMaxBytes = 256 * 1024 * 1024;

std::optional<QByteArray> readInput(const QString &path, const QString &what, QString &error)
{
    r5::FileRead read = r5::readFileUpTo(path, kMaxBytes);
    if (!read.bytes)
        error = path + u": the "_s + what + u" cannot be read ("_s +
                (read.tooLarge ? u"larger than 256 MiB"_s : read.error) + u')';
    return std::move(read.bytes);
}

} // namespace

int runReport(int argc, char *argv[])
{
    // The PDF's text is laid out with the fonts of a GUI application; a console with no display
    // gets the platform that draws without one (R5_REPORT_PLATFORM, chosen per system by CMake).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && sizeof(R5_REPORT_PLATFORM) > 1)
        qputenv("QT_QPA_PLATFORM", R5_REPORT_PLATFORM);
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"r5200tx-cli"_s);
    QTextStream out(stdout);
    QTextStream err(stderr);

    const ParsedReportArgs parsed = parseReportArgs(QCoreApplication::arguments());
    if (!parsed.args) {
        (parsed.exitCode == exitcode::Ok ? out : err) << parsed.text << Qt::endl;
        return parsed.exitCode;
    }
    const ReportArgs &a = *parsed.args;
    const auto fail = [&err](int code, const QString &message) {
        err << u"r5200tx-cli report: "_s << message << Qt::endl;
        return code;
    };
    if (!report::formatOf(a.out))
        return fail(exitcode::Usage, a.out + u": the report is written as .pdf or .html"_s);

    QString error;
    const std::optional<QByteArray> recordBytes = readInput(a.record, u"record"_s, error);
    if (!recordBytes)
        return fail(exitcode::Usage, error);
    const auto record = r5commission::parseRecord(*recordBytes);
    if (!record.value)
        return fail(exitcode::Usage, a.record + u": not a commissioning record: "_s + record.error);
    std::optional<QJsonObject> check;
    if (!a.siteCheck.isEmpty()) {
        const std::optional<QByteArray> checkBytes = readInput(a.siteCheck, u"site check"_s, error);
        if (!checkBytes)
            return fail(exitcode::Usage, error);
        const auto parsedCheck = report::parseCheck(*checkBytes);
        if (!parsedCheck.value)
            return fail(exitcode::Usage, a.siteCheck + u": "_s + parsedCheck.error);
        check = parsedCheck.value;
    }

    report::Options options;
    options.site = a.site;
    options.by = a.by;
    options.at = QDateTime::currentDateTime();
    options.language = a.language.isEmpty()
                           ? report::systemLanguage()
                           : (a.language == u"ko"_s ? report::Language::Korean : report::Language::English);
    const report::Report built = report::build(*record.value, check, options);
    if (const auto failure = report::write(built, a.out)) {
        const bool usage = failure->kind == report::WriteFailure::Kind::UnknownFormat;
        return fail(usage ? exitcode::Usage : exitcode::NotWritten, failure->message);
    }
    const report::Counts &n = built.counts;
    out << a.out << u": "_s << n.devices << u" devices, "_s << n.verified << u" verified"_s;
    if (built.checked)
        out << u", "_s << n.online << u" online, "_s << n.offline << u" offline, "_s << n.notReached
            << u" not reached"_s;
    out << Qt::endl;
    return exitcode::Ok;
}

} // namespace r5cli
