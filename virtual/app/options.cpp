#include "options.h"

#include "fleet.h"
#include "r5/version.h"

#include <QCommandLineParser>
#include <QHostAddress>

using namespace Qt::StringLiterals;

namespace virt {

namespace {

std::optional<int> number(const QString &text, int low, int high)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < low || n > high)
        return std::nullopt;
    return n;
}

} // namespace

ParsedOptions parseOptions(const QStringList &arguments)
{
    QCommandLineParser p;
    p.setApplicationDescription(
        u"Virtual R5200TX: answers devsetup's serial protocol on a pseudo-terminal it creates (Linux)\n"
        "or on a serial port named with --port (Linux and Windows; on Windows the only way, e.g. one\n"
        "end of a null-modem pair), and keeps the settings written to it. Every request and answer\n"
        "is shown on the console.\n"
        "A firmware download order is really fetched over HTTP from the address, port and path it\n"
        "names; the size and SHA-256 of what came are shown and kept in the state file.\n"
        "The first line printed is \"Serial port: PATH\".\n\n"
        "With --fleet N it is N devices' TCP status servers instead, on the loopback addresses from\n"
        "--tcp-address on (127.0.2.1 to 127.0.2.N for --tcp-address 127.0.2.1), port --tcp-port (4000),\n"
        "each with its own MAC and counters; no serial side. Commands on the console's input: stop N,\n"
        "start N, hang N (takes connections but answers nothing), N a device number or FIRST-LAST; list.\n\n"
        "Exit codes: 0 ended by SIGINT, SIGTERM or SIGHUP (Windows: Ctrl+C, Ctrl+Break, the\n"
        "console's close); 1 cannot start (the serial port, the\n"
        "pseudo-terminal, the --link or the --state file cannot be used); 2 usage (a bad option)."_s);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Show this help."_s);
    const QCommandLineOption version({u"v"_s, u"version"_s}, u"Show the version."_s);
    const QCommandLineOption link(
        u"link"_s, u"Also make a symbolic link PATH to the pseudo-terminal (Linux)."_s, u"PATH"_s);
    const QCommandLineOption port(
        u"port"_s,
        u"Open the serial port NAME (115200 8N1), e.g. /dev/ttyUSB0 or COM5, instead of a "
        "pseudo-terminal."_s,
        u"NAME"_s);
    const QCommandLineOption state(
        u"state"_s, u"Keep the device's settings in FILE (JSON): read at start, written on every change."_s,
        u"FILE"_s);
    const QCommandLineOption pieces(
        u"fault-pieces"_s, u"Deliver an answer in pieces of these sizes, e.g. 10,30,11."_s, u"LIST"_s);
    const QCommandLineOption gap(u"piece-gap"_s, u"Pause between pieces in milliseconds (default 20)."_s,
                                 u"MS"_s, u"20"_s);
    const QCommandLineOption stray(
        u"fault-stray"_s, u"Send these bytes before an answer, in hex, e.g. 31 or 3132."_s, u"HEX"_s);
    const QCommandLineOption payloadFe(u"fault-payload-fe"_s, u"Put a byte 0xFE into an answer's payload."_s);
    const QCommandLineOption unregistered(u"fault-unregistered"_s,
                                          u"Answer with the unregistered id 0x5A instead."_s);
    const QCommandLineOption wrongCount(u"fault-wrong-count"_s, u"Add one byte to an answer's content."_s);
    const QCommandLineOption answers(
        u"fault-answers"_s,
        u"The fault switches spoil the first N answers (default 1; 0: every answer, but an "
        "unregistered answer to every request keeps devsetup asking)."_s,
        u"N"_s, u"1"_s);
    const QCommandLineOption ignore(
        u"fault-ignore"_s,
        u"Answer writes of KIND (wan, server, di or ap) as usual but keep nothing of them; may be "
        "given more than once."_s,
        u"KIND"_s);
    const QCommandLineOption reboot(
        u"reboot-ms"_s,
        u"A reboot (after the access point, WAN, server and factory reset saves, and on the reboot "
        "command) keeps the device silent this long, in milliseconds (default 1500; 0: at once)."_s,
        u"MS"_s, u"1500"_s);
    const QCommandLineOption drift(
        u"rssi-drift"_s, u"Most the RSSI moves per query, in dB (default 3; 0: steady)."_s, u"DB"_s, u"3"_s);
    const QCommandLineOption seed(u"seed"_s, u"Seed of the RSSI moves (default 5200)."_s, u"N"_s, u"5200"_s);
    const QCommandLineOption tcpAddress(u"tcp-address"_s,
                                        u"Address of the TCP status server (default 127.0.0.1)."_s, u"ADDR"_s,
                                        u"127.0.0.1"_s);
    const QCommandLineOption tcpPort(
        u"tcp-port"_s, u"Port of the TCP status server (default: the device's server port)."_s, u"PORT"_s);
    const QCommandLineOption noTcp(u"no-tcp"_s, u"Run without the TCP status server."_s);
    const QCommandLineOption checkByte(u"tcp-check-byte"_s,
                                       u"Send 34-byte reports (with a check byte) in 'N' mode."_s);
    const QCommandLineOption pulses(
        u"pulse-rate"_s, u"Simulated pulses per second on input 1 (default 1; 0: none)."_s, u"HZ"_s, u"1"_s);
    const QCommandLineOption fleet(
        u"fleet"_s, u"Serve N devices' TCP status protocol on consecutive loopback addresses."_s, u"N"_s);
    const QCommandLineOption fleetList(
        u"fleet-list"_s, u"With --fleet: write the fleet to FILE as a site list (CSV)."_s, u"FILE"_s);
    p.addOptions({help,       version,      link,       port,      state,  pieces, gap,      stray,
                  payloadFe,  unregistered, wrongCount, answers,   ignore, reboot, drift,    seed,
                  tcpAddress, tcpPort,      noTcp,      checkByte, pulses, fleet,  fleetList});

    ParsedOptions out;
    const auto fail = [&out, &p](const QString &why) {
        out.text = why + u"\n\n"_s + p.helpText();
        out.exitCode = kExitUsage;
        return out;
    };
    if (!p.parse(arguments))
        return fail(p.errorText());
    if (!p.positionalArguments().isEmpty())
        return fail(u"unexpected argument: "_s + p.positionalArguments().constFirst());
    if (p.isSet(help)) {
        out.text = p.helpText();
        return out;
    }
    if (p.isSet(version)) {
        out.text = u"r5200tx-virtual "_s + QString::fromLatin1(r5::versionNumber);
        return out;
    }

    Options o;
    o.link = p.value(link);
    o.port = p.value(port);
    o.stateFile = p.value(state);
    if (!o.link.isEmpty() && !o.port.isEmpty())
        return fail(u"--link makes a link to the pseudo-terminal; it cannot go with --port"_s);
    if (p.isSet(pieces)) {
        for (const QString &s : p.value(pieces).split(u',')) {
            const std::optional<int> n = number(s.trimmed(), 1, 65535);
            if (!n)
                return fail(u"bad --fault-pieces: "_s + p.value(pieces));
            o.faults.pieces.append(*n);
        }
    }
    if (p.isSet(stray)) {
        const QByteArray hex = p.value(stray).toLatin1();
        const QByteArray bytes = QByteArray::fromHex(hex);
        if (bytes.isEmpty() || bytes.size() * 2 != hex.size() || bytes.toHex().toUpper() != hex.toUpper())
            return fail(u"bad --fault-stray: "_s + p.value(stray));
        o.faults.stray = bytes;
    }
    o.faults.payloadFe = p.isSet(payloadFe);
    o.faults.unregistered = p.isSet(unregistered);
    o.faults.wrongCount = p.isSet(wrongCount);
    for (const QString &names : p.values(ignore)) {
        for (const QString &name : names.split(u',')) {
            const std::optional<WriteKind> kind = writeKindFromName(name.trimmed());
            if (!kind)
                return fail(u"bad --fault-ignore: "_s + names + u" (wan, server, di or ap)"_s);
            if (!o.faults.ignoredWrites.contains(*kind))
                o.faults.ignoredWrites.append(*kind);
        }
    }
    const std::optional<int> rebootMs = number(p.value(reboot), 0, 600'000);
    if (!rebootMs)
        return fail(u"bad --reboot-ms: "_s + p.value(reboot));
    o.rebootMs = *rebootMs;
    const std::optional<int> answerCount = number(p.value(answers), 0, 1'000'000);
    const std::optional<int> gapMs = number(p.value(gap), 0, 60'000);
    const std::optional<int> driftDb = number(p.value(drift), 0, 40);
    bool seedOk = false;
    const uint seedValue = p.value(seed).toUInt(&seedOk);
    if (!answerCount || !gapMs || !driftDb || !seedOk)
        return fail(u"bad number in --fault-answers, --piece-gap, --rssi-drift or --seed"_s);
    o.faults.answers = *answerCount;
    o.pieceGapMs = *gapMs;
    o.rssiDrift = *driftDb;
    o.seed = seedValue;
    o.tcp = !p.isSet(noTcp);
    o.tcpAddress = p.value(tcpAddress);
    if (QHostAddress(o.tcpAddress).isNull())
        return fail(u"bad --tcp-address: "_s + o.tcpAddress);
    o.tcpCheckByte = p.isSet(checkByte);
    bool rateOk = false;
    o.pulsesPerSecond = p.value(pulses).toDouble(&rateOk);
    if (!rateOk || o.pulsesPerSecond < 0 || o.pulsesPerSecond > 100000)
        return fail(u"bad --pulse-rate: "_s + p.value(pulses));
    if (p.isSet(tcpPort)) {
        const std::optional<int> n = number(p.value(tcpPort), 0, 65535);
        if (!n)
            return fail(u"bad --tcp-port: "_s + p.value(tcpPort));
        o.tcpPort = std::uint16_t(*n);
    }
    if (p.isSet(fleet)) {
        const std::optional<int> n = number(p.value(fleet), 1, Fleet::kMaxDevices);
        if (!n)
            return fail(u"bad --fleet: %1 (1 to %2)"_s.arg(p.value(fleet)).arg(Fleet::kMaxDevices));
        if (!o.tcp)
            return fail(u"--fleet serves the TCP side; it cannot go with --no-tcp"_s);
        if (!o.link.isEmpty() || !o.port.isEmpty() || !o.stateFile.isEmpty())
            return fail(u"--fleet has no serial side: --link, --port and --state do not go with it"_s);
        if (const QString why = Fleet::refusal(o.tcpAddress, *n); !why.isEmpty())
            return fail(u"bad --tcp-address for --fleet: "_s + why);
        o.fleet = *n;
        o.fleetList = p.value(fleetList);
    } else if (p.isSet(fleetList)) {
        return fail(u"--fleet-list goes with --fleet"_s);
    }
    out.options = o;
    return out;
}

} // namespace virt
