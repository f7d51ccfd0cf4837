#include "r5cli/cliargs.h"

#include <QCommandLineParser>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace r5cli {

namespace {

using r5setup::SerialSettings;

std::optional<int> milliseconds(const QString &text)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < 1 || v > 3600000)
        return std::nullopt;
    return v;
}

QString rateList(const QList<qint32> &rates)
{
    QStringList texts;
    for (const qint32 r : rates)
        texts.append(QString::number(r));
    return texts.join(u", "_s);
}

} // namespace

QString commandName(Command command)
{
    switch (command) {
    case Command::Status:
        return u"status"_s;
    case Command::Save:
        return u"save"_s;
    case Command::Apply:
        return u"apply"_s;
    case Command::Verify:
        return u"verify"_s;
    case Command::Firmware:
        return u"firmware"_s;
    case Command::Site:
        return u"site"_s;
    case Command::Scan:
        return u"scan"_s;
    }
    return {};
}

ParsedArgs parseArgs(const QStringList &arguments, const QString &version, const QList<qint32> &baudRates)
{
    QCommandLineParser p;
    p.setApplicationDescription(
        u"Reads, sets up and checks an R5200TX over its serial line.\n\n"
        "Commands:\n"
        "  status                          print the device's settings, access point and signal\n"
        "  save PROFILE                    write the device's settings to PROFILE (no password)\n"
        "  apply PROFILE [--plan PLAN.csv] [--record RECORD.csv] [--no-verify]\n"
        "                                  check PROFILE, write its sections, then verify\n"
        "  verify PROFILE [--plan PLAN.csv] [--record RECORD.csv]\n"
        "                                  compare the device with PROFILE\n"
        "  firmware FILE [--serve ADDRESS:PORT] [--record RECORD.csv]\n"
        "                                  serve FILE, order the device to fetch it, and wait\n"
        "                                  until it answers again with its new version\n"
        "  site FILE [--interval S] [--duration S]\n"
        "                                  watch every device of a site list or record over the\n"
        "                                  network: table and \"N devices: A online, B offline, C not "
        "reached\"\n"
        "  scan RANGE [--tcp-port P] [--csv FILE]\n"
        "                                  list the addresses of RANGE (ADDRESS/PREFIX up to a /16,\n"
        "                                  or FIRST-LAST) that answer a status request\n"
        "With --json every command prints one JSON object, errors included: command, ok,\n"
        "exitCode, error (null or kind, field and message), then what the command found;\n"
        "site prints devices and the counts online, offline and notReached, scan range, port,\n"
        "scanned, found and devices (errors as above).\n\n"
        "Exit codes:\n"
        "  0  done; with apply and verify every field matches\n"
        "  1  usage: a bad option or argument, or a profile or plan that is refused (nothing sent)\n"
        "  2  no answer from the device\n"
        "  3  a field read back differs from the profile (the table says which)\n"
        "  4  the serial port cannot be opened\n"
        "  5  the record row (or save's PROFILE) could not be written\n"
        "  6  firmware: no request for FILE reached the server in 30 s\n"
        "  7  firmware: the transfer broke off, or the server refused the request\n"
        "  9  site: some devices are not online at the end\n"
        "  130  interrupted (Ctrl+C, Ctrl+Break, the console closed, SIGINT, SIGTERM or SIGHUP)"_s);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Shows this help."_s);
    const QCommandLineOption ver({u"v"_s, u"version"_s}, u"Shows the version."_s);
    const QCommandLineOption port(u"port"_s, u"Serial port (COM3, /dev/ttyUSB0)."_s, u"PORT"_s);
    const QCommandLineOption baud(u"baud"_s, u"Baud rate (115200), one the port dialog offers."_s, u"BAUD"_s,
                                  u"115200"_s);
    const QCommandLineOption dataBits(u"data-bits"_s, u"Data bits, 5 to 8 (8)."_s, u"N"_s, u"8"_s);
    const QCommandLineOption parity(u"parity"_s, u"Parity: none, odd, even, mark or space (none)."_s,
                                    u"PARITY"_s, u"none"_s);
    const QCommandLineOption stopBits(u"stop-bits"_s, u"Stop bits: 1, 1.5 or 2 (1)."_s, u"N"_s, u"1"_s);
    const QCommandLineOption timeout(u"timeout"_s, u"Wait for each answer, ms (2000)."_s, u"MS"_s, u"2000"_s);
    const QCommandLineOption tries(u"tries"_s, u"Tries per query (3)."_s, u"N"_s, u"3"_s);
    const QCommandLineOption reboot(u"reboot-timeout"_s, u"Wait for the device after a reboot, ms (30000)."_s,
                                    u"MS"_s, u"30000"_s);
    const QCommandLineOption json(u"json"_s, u"Print one JSON object: the result, or the error."_s);
    const QCommandLineOption plan(u"plan"_s, u"Per-device values by MAC."_s, u"PLAN.csv"_s);
    const QCommandLineOption record(u"record"_s, u"Append one row per device and run."_s, u"RECORD.csv"_s);
    const QCommandLineOption noVerify(u"no-verify"_s, u"apply: do not read back."_s);
    const QCommandLineOption serve(
        u"serve"_s, u"firmware: the address the device fetches from and the port (this PC's, 8070)."_s,
        u"ADDRESS:PORT"_s);
    p.addOptions({help, ver, port, baud, dataBits, parity, stopBits, timeout, tries, reboot, json, plan,
                  record, noVerify, serve});
    p.addOptions(siteOptions());
    p.addPositionalArgument(u"command"_s, u"status, save, apply, verify, firmware, site or scan."_s);

    ParsedArgs out;
    // Known before the parse, so that even a parse error goes out as JSON.
    out.json = arguments.contains(u"--json"_s);
    const auto usageError = [&out](const QString &field, const QString &why) {
        out.text = u"r5200tx-cli: "_s + why + u"\nTry 'r5200tx-cli --help'."_s;
        out.message = why;
        out.field = field;
        out.exitCode = exitcode::Usage;
        return out;
    };

    if (!p.parse(arguments))
        return usageError(QString(), p.errorText());
    if (p.isSet(help)) {
        out.text = p.helpText();
        return out;
    }
    if (p.isSet(ver)) {
        out.text = u"r5200tx-cli "_s + version;
        return out;
    }

    const QStringList pos = p.positionalArguments();
    if (pos.isEmpty())
        return usageError(u"command"_s,
                          u"no command given (status, save, apply, verify, firmware, site or scan)"_s);
    Args a;
    const QString cmd = pos.first();
    const bool needsProfile = cmd != u"status"_s;
    if (cmd == u"status"_s)
        a.command = Command::Status;
    else if (cmd == u"save"_s)
        a.command = Command::Save;
    else if (cmd == u"apply"_s)
        a.command = Command::Apply;
    else if (cmd == u"verify"_s)
        a.command = Command::Verify;
    else if (cmd == u"firmware"_s)
        a.command = Command::Firmware;
    else if (cmd == u"site"_s)
        a.command = Command::Site;
    else if (cmd == u"scan"_s)
        a.command = Command::Scan;
    else
        return usageError(
            u"command"_s,
            u"unknown command \"%1\" (status, save, apply, verify, firmware, site or scan)"_s.arg(cmd));
    out.command = cmd;
    if (a.command == Command::Site || a.command == Command::Scan) {
        if (const auto error = parseSiteArgs(p, a.command == Command::Site, a.site))
            return usageError(error->field, error->message);
        a.json = p.isSet(json);
        out.args = a;
        return out;
    }
    if (hasSiteOptions(p))
        return usageError(QString(), u"--interval, --duration, --tcp-port and --csv go with site and scan"_s);
    const bool firmware = a.command == Command::Firmware;
    const QString fileArg = firmware ? u"FILE"_s : u"PROFILE"_s;
    if (pos.size() != (needsProfile ? 2 : 1))
        return usageError(fileArg, needsProfile ? QString(cmd + u" takes one "_s + fileArg)
                                                : QString(cmd + u" takes no file"_s));
    if (firmware)
        a.firmware = pos[1];
    else if (needsProfile)
        a.profile = pos[1];
    if (p.isSet(serve) && !firmware)
        return usageError(u"--serve"_s, u"--serve goes with firmware"_s);
    if (p.isSet(serve)) {
        const QString text = p.value(serve);
        const qsizetype colon = text.lastIndexOf(u':');
        bool portOk = false;
        const uint servePort = colon < 0 ? 0 : text.mid(colon + 1).toUInt(&portOk);
        const QStringList octets = text.left(colon).split(u'.');
        const bool addressOk =
            octets.size() == 4 && std::all_of(octets.begin(), octets.end(), [](const QString &o) {
                bool ok = false;
                return o.size() <= 3 && o.toUInt(&ok) <= 255 && ok;
            });
        if (!addressOk || !portOk || servePort < 1 || servePort > 65535)
            return usageError(u"--serve"_s,
                              u"--serve: \"%1\" is not ADDRESS:PORT (192.168.0.5:8070)"_s.arg(text));
        a.serveAddress = text.left(colon);
        a.servePort = quint16(servePort);
    }
    if (!p.isSet(port) || p.value(port).isEmpty())
        return usageError(u"--port"_s, u"--port PORT is needed"_s);
    a.port = p.value(port);

    bool baudOk = false;
    a.baud = p.value(baud).trimmed().toInt(&baudOk);
    if (!baudOk || !baudRates.contains(a.baud))
        return usageError(u"--baud"_s,
                          u"--baud: \"%1\" is not one of %2"_s.arg(p.value(baud), rateList(baudRates)));
    const auto bits = r5setup::dataBitsFromText(p.value(dataBits));
    if (!bits)
        return usageError(u"--data-bits"_s,
                          u"--data-bits: \"%1\" is not 5, 6, 7 or 8"_s.arg(p.value(dataBits)));
    a.dataBits = *bits;
    const auto par = r5setup::parityFromText(p.value(parity));
    if (!par)
        return usageError(u"--parity"_s,
                          u"--parity: \"%1\" is not none, odd, even, mark or space"_s.arg(p.value(parity)));
    a.parity = *par;
    const auto stops = r5setup::stopBitsFromText(p.value(stopBits));
    if (!stops)
        return usageError(u"--stop-bits"_s,
                          u"--stop-bits: \"%1\" is not 1, 1.5 or 2"_s.arg(p.value(stopBits)));
    a.stopBits = *stops;

    const auto t = milliseconds(p.value(timeout));
    if (!t)
        return usageError(u"--timeout"_s,
                          u"--timeout: \"%1\" is not 1 to 3600000 ms"_s.arg(p.value(timeout)));
    const auto r = milliseconds(p.value(reboot));
    if (!r)
        return usageError(u"--reboot-timeout"_s,
                          u"--reboot-timeout: \"%1\" is not 1 to 3600000 ms"_s.arg(p.value(reboot)));
    a.timeoutMs = *t;
    a.rebootTimeoutMs = *r;
    bool triesOk = false;
    a.tries = p.value(tries).toInt(&triesOk);
    if (!triesOk || a.tries < 1 || a.tries > 100)
        return usageError(u"--tries"_s, u"--tries: \"%1\" is not 1 to 100"_s.arg(p.value(tries)));

    const bool compares = a.command == Command::Apply || a.command == Command::Verify;
    if (p.isSet(plan) && !compares)
        return usageError(u"--plan"_s, u"--plan goes with apply and verify"_s);
    if (p.isSet(record) && !compares && !firmware)
        return usageError(u"--record"_s, u"--record goes with apply, verify and firmware"_s);
    if (p.isSet(noVerify) && a.command != Command::Apply)
        return usageError(u"--no-verify"_s, u"--no-verify goes with apply"_s);
    // A record holds what was read back; without the read-back there is nothing true to write.
    if (p.isSet(noVerify) && p.isSet(record))
        return usageError(u"--record"_s, u"--record needs the read-back; it does not go with --no-verify"_s);
    a.json = p.isSet(json);
    a.plan = p.value(plan);
    a.record = p.value(record);
    a.verify = !p.isSet(noVerify);
    out.args = a;
    return out;
}

} // namespace r5cli
