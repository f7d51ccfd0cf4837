#include "r5cli/profile.h"

#include "r5cli/csv.h"
#include "r5setup/inidocument.h"
#include "r5setup/protocol/codec.h"
#include "r5setup/settingsrules.h"

#include <QSet>

using namespace Qt::StringLiterals;

namespace r5cli {

namespace {

const QStringList kSections = {u"WAN"_s, u"Server"_s, u"DI"_s, u"AP"_s};

QStringList makeKeys()
{
    QStringList keys = {u"WAN.IP"_s,      u"WAN.Gateway"_s,   u"WAN.Mask"_s,
                        u"Server.Port"_s, u"Server.Expire"_s, u"Server.Mode"_s};
    for (int i = 1; i <= 5; ++i)
        keys.append(u"DI.Time"_s + QString::number(i));
    for (int i = 1; i <= 5; ++i)
        keys.append(u"DI.Mode"_s + QString::number(i));
    keys.append({u"AP.SSID"_s, u"AP.Password"_s});
    return keys;
}

bool hasSection(const Fields &fields, const QString &section)
{
    const QString prefix = section + u'.';
    for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
        if (it.key().startsWith(prefix))
            return true;
    }
    return false;
}

using r5setup::maint::Refusal;

Refusal refusal(const QString &message)
{
    return Refusal{message, {}, false};
}

// The four octet texts of a dotted address; missing parts are empty fields, extra parts make
// the address out of range.
std::optional<std::array<QString, 4>> octets(const QString &address)
{
    const QStringList parts = address.isEmpty() ? QStringList() : address.split(u'.');
    if (parts.size() > 4)
        return std::nullopt;
    std::array<QString, 4> out;
    for (qsizetype i = 0; i < parts.size(); ++i)
        out[std::size_t(i)] = parts[i].trimmed();
    return out;
}

QString dotted(const std::array<std::uint8_t, 4> &a)
{
    return u"%1.%2.%3.%4"_s.arg(a[0]).arg(a[1]).arg(a[2]).arg(a[3]);
}

std::optional<char> letter(const QString &text, char first, char second)
{
    const QString t = text.trimmed().toUpper();
    if (t == QChar::fromLatin1(first))
        return first;
    if (t == QChar::fromLatin1(second))
        return second;
    return std::nullopt;
}

} // namespace

const QStringList &profileKeys()
{
    static const QStringList keys = makeKeys();
    return keys;
}

QString canonicalKey(QStringView key)
{
    for (const QString &k : profileKeys()) {
        if (key.compare(k, Qt::CaseInsensitive) == 0)
            return k;
    }
    return {};
}

QString sectionOf(QStringView key)
{
    return key.left(key.indexOf(u'.')).toString();
}

Parsed<Fields> parseProfile(QByteArrayView bytes)
{
    const r5setup::IniDocument doc = r5setup::IniDocument::parse(bytes);
    Fields fields;
    for (const auto &[section, key] : doc.keys()) {
        if (section.isEmpty())
            return {{}, u"the key \"%1\" stands before any section"_s.arg(key)};
        const QString name = canonicalKey(QString(section + u'.' + key));
        if (name.isEmpty())
            return {
                {},
                u"unknown key \"%1\" in [%2] (known: %3)"_s.arg(key, section, profileKeys().join(u", "_s))};
        if (fields.contains(name))
            continue; // the first occurrence counts, as for every INI reader of the suite
        fields.insert(name, doc.value(sectionOf(name), name.mid(name.indexOf(u'.') + 1)).value_or(QString()));
    }
    return {fields, {}};
}

QByteArray profileText(const Fields &fields)
{
    r5setup::IniDocument doc;
    for (const QString &key : profileKeys()) {
        if (fields.contains(key))
            doc.setValue(sectionOf(key), QStringView(key).mid(key.indexOf(u'.') + 1), fields.value(key));
    }
    return doc.serialize();
}

QString normalMac(QStringView text)
{
    QString digits;
    for (const QChar c : text.trimmed()) {
        if (c == u':' || c == u'-')
            continue;
        const bool hex = (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        if (!hex)
            return {};
        digits += c.toUpper();
    }
    if (digits.size() != 12)
        return {};
    QStringList pairs;
    for (int i = 0; i < 12; i += 2)
        pairs.append(digits.mid(i, 2));
    return pairs.join(u':');
}

Parsed<Plan> parsePlan(QByteArrayView bytes)
{
    const csv::Table table = csv::parse(bytes);
    if (!table.error.isEmpty())
        return {{}, table.error};
    if (table.rows.isEmpty())
        return {{}, u"the plan has no header (MAC, then profile keys such as WAN.IP)"_s};
    const QStringList &header = table.rows.first();
    if (header.first().trimmed().compare(u"MAC"_s, Qt::CaseInsensitive) != 0)
        return {{}, u"the plan's first column must be MAC"_s};
    QStringList keys;
    for (qsizetype c = 1; c < header.size(); ++c) {
        const QString key = canonicalKey(header[c].trimmed());
        if (key.isEmpty())
            return {{}, u"unknown column \"%1\" in the plan's header"_s.arg(header[c])};
        if (keys.contains(key))
            return {{}, u"the column %1 appears twice in the plan's header"_s.arg(key)};
        keys.append(key);
    }
    Plan plan;
    for (qsizetype r = 1; r < table.rows.size(); ++r) {
        const QStringList &row = table.rows[r];
        const QString mac = normalMac(row.first());
        if (mac.isEmpty())
            return {{}, u"plan row %1: \"%2\" is no MAC address"_s.arg(r + 1).arg(row.first())};
        if (row.size() != header.size())
            return {
                {},
                u"plan row %1 has %2 fields, the header %3"_s.arg(r + 1).arg(row.size()).arg(header.size())};
        if (plan.rows.contains(mac))
            return {{}, u"plan row %1: the MAC %2 appears twice"_s.arg(r + 1).arg(mac)};
        Fields cells;
        for (qsizetype c = 1; c < row.size(); ++c)
            cells.insert(keys[c - 1], row[c].trimmed());
        plan.rows.insert(mac, cells);
        plan.macs.append(mac);
    }
    return {plan, {}};
}

Fields merged(const Fields &profile, const Fields &row)
{
    Fields out = profile;
    for (auto it = row.cbegin(); it != row.cend(); ++it) {
        if (!it.value().isEmpty())
            out.insert(it.key(), it.value());
    }
    return out;
}

QString serverModeRefusal()
{
    return u"Server.Mode must be N or G."_s;
}

QString diModeRefusal(int channel)
{
    return u"DI.Mode%1 must be F (falling) or R (rising)."_s.arg(channel);
}

QString tooLongRefusal(const QString &key, int bytes)
{
    return u"%1 is longer than %2 bytes."_s.arg(key).arg(bytes);
}

r5setup::maint::Checked<Wanted> checkFields(const Fields &fields)
{
    namespace s = r5setup::settings;
    Wanted wanted;
    if (hasSection(fields, u"WAN"_s)) {
        std::array<QString, 12> all;
        const QString names[] = {u"WAN.IP"_s, u"WAN.Gateway"_s, u"WAN.Mask"_s};
        bool tooLong = false;
        for (int row = 0; row < 3; ++row) {
            const auto parts = octets(fields.value(names[row]).trimmed());
            if (!parts) {
                tooLong = true;
                continue;
            }
            for (int i = 0; i < 4; ++i)
                all[std::size_t(row * 4 + i)] = (*parts)[std::size_t(i)];
        }
        auto wan = s::checkWan(all);
        if (!wan)
            return {{}, wan.refusal};
        if (tooLong) // five parts: not an address, whatever its octets
            return {{}, refusal(s::text::octetRange())};
        wanted.wan = *wan.value;
    }
    if (hasSection(fields, u"Server"_s)) {
        const auto server = s::checkServer(fields.value(u"Server.Port"_s).trimmed(),
                                           fields.value(u"Server.Expire"_s).trimmed());
        if (!server)
            return {{}, server.refusal};
        const auto mode = letter(fields.value(u"Server.Mode"_s), 'N', 'G');
        if (!mode)
            return {{}, refusal(serverModeRefusal())};
        wanted.server = ServerWanted{server.value->port, server.value->expirySeconds, *mode};
    }
    if (hasSection(fields, u"DI"_s)) {
        std::array<QString, 5> times;
        for (int i = 0; i < 5; ++i)
            times[std::size_t(i)] = fields.value(u"DI.Time"_s + QString::number(i + 1)).trimmed();
        const auto checked = s::checkThroughputTimes(times);
        if (!checked)
            return {{}, checked.refusal};
        DiWanted di;
        di.times = *checked.value;
        for (int i = 0; i < 5; ++i) {
            const auto mode = letter(fields.value(u"DI.Mode"_s + QString::number(i + 1)), 'F', 'R');
            if (!mode)
                return {{}, refusal(diModeRefusal(i + 1))};
            di.modes[std::size_t(i)] = *mode;
        }
        wanted.di = di;
    }
    if (hasSection(fields, u"AP"_s)) {
        const QString ssid = fields.value(u"AP.SSID"_s);
        if (const auto refused = s::checkSsid(ssid))
            return {{}, *refused};
        // The window's fields stop at these lengths; a longer text would be cut on the wire and
        // never match what the device reports.
        if (r5::protocol::mb::encode(ssid).size() > r5::protocol::kSsidWidth)
            return {{}, refusal(tooLongRefusal(u"AP.SSID"_s, r5::protocol::kSsidWidth))};
        if (r5::protocol::mb::encode(fields.value(u"AP.Password"_s)).size() > r5::protocol::kPasswordWidth)
            return {{}, refusal(tooLongRefusal(u"AP.Password"_s, r5::protocol::kPasswordWidth))};
        wanted.ap = ApWanted{ssid, fields.value(u"AP.Password"_s)};
    }
    return {wanted, {}};
}

QString refusedKey(const Fields &fields, const r5setup::maint::Refusal &refusal)
{
    // Values every rule takes, only to isolate one key at a time.
    const auto accepted = [](const QString &key) {
        if (key.startsWith(u"WAN."_s))
            return u"0.0.0.0"_s;
        if (key == u"Server.Port"_s)
            return u"1"_s;
        if (key == u"Server.Expire"_s)
            return u"0"_s;
        if (key == u"Server.Mode"_s)
            return u"N"_s;
        if (key.startsWith(u"DI.Time"_s))
            return u"10"_s;
        if (key.startsWith(u"DI.Mode"_s))
            return u"F"_s;
        return key == u"AP.SSID"_s ? u"ap"_s : QString();
    };
    for (const QString &section : kSections) {
        if (!hasSection(fields, section))
            continue;
        const QString prefix = section + u'.';
        for (const QString &key : profileKeys()) {
            if (!key.startsWith(prefix))
                continue;
            Fields probe;
            for (const QString &other : profileKeys()) {
                if (other.startsWith(prefix))
                    probe.insert(other, other == key ? fields.value(key) : accepted(other));
            }
            if (const auto checked = checkFields(probe); !checked && checked.refusal == refusal)
                return key;
        }
    }
    return {};
}

Fields wantedFields(const Wanted &wanted)
{
    Fields f;
    if (wanted.wan) {
        f.insert(u"WAN.IP"_s, dotted(wanted.wan->ip));
        f.insert(u"WAN.Gateway"_s, dotted(wanted.wan->gateway));
        f.insert(u"WAN.Mask"_s, dotted(wanted.wan->mask));
    }
    if (wanted.server) {
        f.insert(u"Server.Port"_s, QString::number(wanted.server->port));
        f.insert(u"Server.Expire"_s, QString::number(wanted.server->expiry));
        f.insert(u"Server.Mode"_s, QChar::fromLatin1(wanted.server->mode));
    }
    if (wanted.di) {
        for (int i = 0; i < 5; ++i) {
            f.insert(u"DI.Time"_s + QString::number(i + 1),
                     QString::number(wanted.di->times[std::size_t(i)]));
            f.insert(u"DI.Mode"_s + QString::number(i + 1),
                     QChar::fromLatin1(wanted.di->modes[std::size_t(i)]));
        }
    }
    if (wanted.ap) {
        f.insert(u"AP.SSID"_s, wanted.ap->ssid);
        f.insert(u"AP.Password"_s, wanted.ap->password);
    }
    return f;
}

QList<Step> setCommands(const Wanted &wanted)
{
    namespace p = r5::protocol;
    QList<Step> steps;
    if (wanted.wan)
        steps.append({p::wanRequest(*wanted.wan), true});
    if (wanted.server)
        steps.append(
            {p::serverRequest(wanted.server->port, wanted.server->expiry, wanted.server->mode == 'N' ? 0 : 1),
             true});
    if (wanted.di) {
        std::array<int, 5> items{};
        for (int i = 0; i < 5; ++i)
            items[std::size_t(i)] = wanted.di->modes[std::size_t(i)] == 'F' ? 0 : 1;
        steps.append({p::diRequest(wanted.di->times, items), false});
    }
    if (wanted.ap)
        steps.append({p::setApRequest(wanted.ap->ssid, wanted.ap->password), true});
    return steps;
}

} // namespace r5cli
