#pragma once

#include "r5device/maintenancerules.h"
#include "r5device/protocol/requests.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

// Profiles (INI) and plans (CSV): the settings an installer wants on a device, named by
// "Section.Key" ("WAN.IP", "DI.Mode3"), and their check by the window's rules.
namespace r5commission {

// "Section.Key" to the text given for it. Only the keys a profile or plan names are present.
using Fields = QMap<QString, QString>;

// Every key, in the order tables and records list them.
const QStringList &profileKeys();
// The canonical spelling of `key` ("wan.ip" -> "WAN.IP"), or empty when it is no profile key.
QString canonicalKey(QStringView key);
// The section part of a key ("WAN").
QString sectionOf(QStringView key);

template <typename T> struct Parsed
{
    std::optional<T> value;
    QString error; // what is wrong, for the user, when value is empty
};

// A profile: the sections [WAN], [Server], [DI] and [AP] with their keys. Unknown sections or
// keys are errors, so a misspelt name never silently leaves a setting out.
Parsed<Fields> parseProfile(QByteArrayView bytes);

// The profile text of `fields` (the sections in their usual order).
QByteArray profileText(const Fields &fields);

// "00:1A:2B:3C:4D:5E" from the ways MACs are written ("00-1a-2b-3c-4d-5e", "001A2B3C4D5E");
// empty when `text` is none of them.
QString normalMac(QStringView text);

// A plan: the header "MAC" and profile keys, then one row per device. An empty cell leaves the
// profile's value.
struct Plan
{
    QHash<QString, Fields> rows; // by normalMac()
    QStringList macs;            // in file order
};
Parsed<Plan> parsePlan(QByteArrayView bytes);

// `profile` with the row's non-empty cells over it.
Fields merged(const Fields &profile, const Fields &row);

// What goes to the device, section by section, checked.
struct ServerWanted
{
    std::uint16_t port = 0;
    std::uint8_t expiry = 0;
    char mode = 'N'; // 'N' or 'G'
};
struct DiWanted
{
    std::array<std::uint16_t, 5> times{};
    std::array<char, 5> modes{}; // 'F' or 'R'
};
struct ApWanted
{
    QString ssid;
    QString password;
};
struct Wanted
{
    std::optional<r5::protocol::WanSettings> wan;
    std::optional<ServerWanted> server;
    std::optional<DiWanted> di;
    std::optional<ApWanted> ap;
};

// Checks every present section with the window's rules, in the order the set-commands go out
// (WAN, Server, DI, AP). A key the section lacks is an empty field to the window; the access
// point password may be empty, as in the window. A refusal's text names the profile key, which
// its `focus` holds.
r5setup::maint::Checked<Wanted> checkFields(const Fields &fields);

// The key a refusal of checkFields(`fields`) is about ("WAN.Gateway"), found by checking each
// key of the refused section with the section's other keys set to values the rules take;
// empty when no single key explains it.

// The texts `wanted` stands for, in the form the device view shows them ("192.168.1.50", "N").
Fields wantedFields(const Wanted &wanted);

// The set-command requests of `wanted`, in the order they go out, and whether the device
// reboots after each.
struct Step
{
    r5::protocol::Request request;
    bool reboots = false;
};
QList<Step> setCommands(const Wanted &wanted);

// The refusals for a mode text that is neither of its two letters (the window offers choices).
QString serverModeRefusal();
QString diModeRefusal(int channel);
QString tooLongRefusal(const QString &key, int bytes);

} // namespace r5commission
