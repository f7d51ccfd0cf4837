#include "r5cli/cliargs.h"

#include "r5setup/serialsettings.h"

#include <QCommandLineParser>

using namespace Qt::StringLiterals;

namespace r5cli {

namespace {

ParsedArgs usageError(const QString &why)
{
    return {std::nullopt, u"r5200tx-cli: "_s + why + u"\nTry 'r5200tx-cli --help'."_s, exitcode::Usage};
}

std::optional<int> milliseconds(const QString &text)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < 1 || v > 3600000)
        return std::nullopt;
    return v;
}

} // namespace

ParsedArgs parseArgs(const QStringList &arguments, const QString &version)
{
    QCommandLineParser p;
    p.setApplicationDescription(
        u"Reads, sets up and checks an R5200TX over its serial line.\n\n"
        "Commands:\n"
        "  status [--json]                 print the device's settings, access point and signal\n"
        "  save PROFILE                    write the device's settings to PROFILE (no password)\n"
        "  apply PROFILE [--plan PLAN.csv] [--record RECORD.csv] [--no-verify]\n"
        "                                  check PROFILE, write its sections, then verify\n"
        "  verify PROFILE [--plan PLAN.csv] [--record RECORD.csv]\n"
        "                                  compare the device with PROFILE\n\n"
        "Exit codes: 0 all match, 1 usage or refused profile, 2 no answer, 3 a field differs."_s);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Shows this help."_s);
    const QCommandLineOption ver({u"v"_s, u"version"_s}, u"Shows the version."_s);
    const QCommandLineOption port(u"port"_s, u"Serial port (COM3, /dev/ttyUSB0)."_s, u"PORT"_s);
    const QCommandLineOption baud(u"baud"_s, u"Baud rate (115200)."_s, u"BAUD"_s, u"115200"_s);
    const QCommandLineOption timeout(u"timeout"_s, u"Wait for each answer, ms (2000)."_s, u"MS"_s, u"2000"_s);
    const QCommandLineOption tries(u"tries"_s, u"Tries per query (3)."_s, u"N"_s, u"3"_s);
    const QCommandLineOption reboot(u"reboot-timeout"_s, u"Wait for the device after a reboot, ms (30000)."_s,
                                    u"MS"_s, u"30000"_s);
    const QCommandLineOption json(u"json"_s, u"status: print one JSON object."_s);
    const QCommandLineOption plan(u"plan"_s, u"Per-device values by MAC."_s, u"PLAN.csv"_s);
    const QCommandLineOption record(u"record"_s, u"Append one row per device and run."_s, u"RECORD.csv"_s);
    const QCommandLineOption noVerify(u"no-verify"_s, u"apply: do not read back."_s);
    p.addOptions({help, ver, port, baud, timeout, tries, reboot, json, plan, record, noVerify});
    p.addPositionalArgument(u"command"_s, u"status, save, apply or verify."_s);

    if (!p.parse(arguments))
        return usageError(p.errorText());
    if (p.isSet(help))
        return {std::nullopt, p.helpText(), exitcode::Ok};
    if (p.isSet(ver))
        return {std::nullopt, u"r5200tx-cli "_s + version, exitcode::Ok};

    const QStringList pos = p.positionalArguments();
    if (pos.isEmpty())
        return usageError(u"no command given"_s);
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
    else
        return usageError(u"unknown command \"%1\""_s.arg(cmd));
    if (pos.size() != (needsProfile ? 2 : 1))
        return usageError(needsProfile ? cmd + u" takes one PROFILE"_s : cmd + u" takes no file"_s);
    if (needsProfile)
        a.profile = pos[1];
    if (!p.isSet(port) || p.value(port).isEmpty())
        return usageError(u"--port PORT is needed"_s);
    a.port = p.value(port);
    const auto b = r5setup::baudRateFromText(p.value(baud));
    if (!b)
        return usageError(u"--baud: \"%1\" is no baud rate"_s.arg(p.value(baud)));
    a.baud = *b;
    const auto t = milliseconds(p.value(timeout));
    const auto r = milliseconds(p.value(reboot));
    if (!t || !r)
        return usageError(u"--timeout and --reboot-timeout take 1 to 3600000 ms"_s);
    a.timeoutMs = *t;
    a.rebootTimeoutMs = *r;
    bool triesOk = false;
    a.tries = p.value(tries).toInt(&triesOk);
    if (!triesOk || a.tries < 1 || a.tries > 100)
        return usageError(u"--tries takes 1 to 100"_s);

    const bool compares = a.command == Command::Apply || a.command == Command::Verify;
    if (p.isSet(json) && a.command != Command::Status)
        return usageError(u"--json goes with status"_s);
    if ((p.isSet(plan) || p.isSet(record)) && !compares)
        return usageError(u"--plan and --record go with apply and verify"_s);
    if (p.isSet(noVerify) && a.command != Command::Apply)
        return usageError(u"--no-verify goes with apply"_s);
    // A record holds what was read back; without the read-back there is nothing true to write.
    if (p.isSet(noVerify) && p.isSet(record))
        return usageError(u"--record needs the read-back; it does not go with --no-verify"_s);
    a.json = p.isSet(json);
    a.plan = p.value(plan);
    a.record = p.value(record);
    a.verify = !p.isSet(noVerify);
    return {a, {}, exitcode::Ok};
}

} // namespace r5cli
