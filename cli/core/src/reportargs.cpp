#include "r5cli/reportargs.h"

#include "r5cli/cliargs.h"

#include <QByteArray>
#include <QCommandLineParser>

using namespace Qt::StringLiterals;

namespace r5cli {

bool isReportCommand(int argc, const char *const *argv)
{
    return argc > 1 && qstrcmp(argv[1], "report") == 0;
}

ParsedReportArgs parseReportArgs(const QStringList &arguments)
{
    QCommandLineParser p;
    p.setApplicationDescription(
        u"Writes the handover report: every device of RECORD (its newest row per MAC) with its\n"
        "settings and verdict and, with --site-check, its state on the network, the devices that\n"
        "need attention, and signature fields. The format follows the extension of FILE: .pdf or\n"
        ".html (one page, its style inside). FILE is replaced whole or not at all.\n\n"
        "Exit codes:\n"
        "  0  written\n"
        "  1  usage, or a record or check that cannot be read\n"
        "  5  FILE could not be written"_s);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Shows this help."_s);
    const QCommandLineOption check(u"site-check"_s, u"The site check (r5200tx-cli site --json)."_s,
                                   u"CHECK.json"_s);
    const QCommandLineOption site(u"site"_s, u"The site's name."_s, u"NAME"_s);
    const QCommandLineOption by(u"by"_s, u"Who hands over."_s, u"NAME"_s);
    const QCommandLineOption lang(u"lang"_s, u"ko or en (the system's language)."_s, u"LANG"_s);
    const QCommandLineOption out(u"out"_s, u"The report: FILE.pdf or FILE.html."_s, u"FILE"_s);
    p.addOptions({help, check, site, by, lang, out});
    p.addPositionalArgument(u"report"_s, u"The command."_s);
    p.addPositionalArgument(u"RECORD"_s, u"The commissioning record (--record of apply and verify)."_s);

    ParsedReportArgs parsed;
    const auto usage = [&parsed](const QString &why) {
        parsed.text = u"r5200tx-cli report: "_s + why + u"\nTry 'r5200tx-cli report --help'."_s;
        parsed.exitCode = exitcode::Usage;
        return parsed;
    };
    if (!p.parse(arguments))
        return usage(p.errorText());
    if (p.isSet(help)) {
        parsed.text = p.helpText();
        return parsed;
    }
    const QStringList pos = p.positionalArguments();
    if (pos.size() != 2)
        return usage(u"report takes one RECORD"_s);
    ReportArgs a;
    a.record = pos.at(1);
    a.siteCheck = p.value(check);
    a.site = p.value(site);
    a.by = p.value(by);
    a.language = p.value(lang);
    if (p.isSet(lang) && a.language != u"ko"_s && a.language != u"en"_s)
        return usage(u"--lang: \"%1\" is not ko or en"_s.arg(a.language));
    a.out = p.value(out);
    if (a.out.isEmpty())
        return usage(u"--out FILE is needed (FILE.pdf or FILE.html)"_s);
    parsed.args = a;
    return parsed;
}

} // namespace r5cli
