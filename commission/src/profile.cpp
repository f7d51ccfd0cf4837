#include "r5commission/profile.h"

#include "r5/csv.h"
#include "r5/inidocument.h"
#include "r5device/protocol/codec.h"

#include <QSet>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace r5commission {

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
    const r5::IniDocument doc = r5::IniDocument::parse(bytes);
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
    r5::IniDocument doc;
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
    const r5::csv::Table table = r5::csv::parse(bytes);
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
    // The window's rules, in its order (every emptiness first, then each number in turn), with
    // texts that name the profile key.
    Wanted wanted;
    const auto refuse = [](const QString &key, const QString &message) {
        return r5setup::maint::Checked<Wanted>{{}, Refusal{message, key, false}};
    };
    const auto missing = [&fields](const QString &key) -> QString {
        return fields.contains(key) ? key + u" is empty."_s
                                    : key + u" is missing; the [%1] section needs it."_s.arg(sectionOf(key));
    };
    if (hasSection(fields, u"WAN"_s)) {
        const QString names[] = {u"WAN.IP"_s, u"WAN.Gateway"_s, u"WAN.Mask"_s};
        std::array<std::optional<std::array<QString, 4>>, 3> parts;
        for (int row = 0; row < 3; ++row) {
            const QString text = fields.value(names[row]).trimmed();
            if (text.isEmpty())
                return refuse(names[row], missing(names[row]));
            parts[std::size_t(row)] = octets(text);
            const auto &p = parts[std::size_t(row)];
            if (!p || std::any_of(p->cbegin(), p->cend(), [](const QString &o) { return o.isEmpty(); }))
                return refuse(
                    names[row],
                    u"%1 \"%2\" is not an address: it needs four numbers, a.b.c.d."_s.arg(names[row], text));
        }
        r5::protocol::WanSettings wan;
        std::array<std::uint8_t, 4> *rows[] = {&wan.ip, &wan.gateway, &wan.mask};
        for (int row = 0; row < 3; ++row) {
            for (int i = 0; i < 4; ++i) {
                const auto n = r5::protocol::decimalNumber((*parts[std::size_t(row)])[std::size_t(i)]);
                if (!n || *n < 0 || *n > 255)
                    return refuse(names[row], u"%1 \"%2\": each of the four numbers must be 0 to 255."_s.arg(
                                                  names[row], fields.value(names[row]).trimmed()));
                (*rows[row])[std::size_t(i)] = std::uint8_t(*n);
            }
        }
        wanted.wan = wan;
    }
    const auto number = [&fields](const QString &key, int low, int high) -> std::optional<int> {
        const auto n = r5::protocol::decimalNumber(fields.value(key).trimmed());
        if (!n || *n < low || *n > high)
            return std::nullopt;
        return n;
    };
    const auto range = [&fields](const QString &key, int low, int high) {
        return u"%1 \"%2\" must be a whole number from %3 to %4."_s.arg(key, fields.value(key).trimmed())
            .arg(low)
            .arg(high);
    };
    if (hasSection(fields, u"Server"_s)) {
        for (const QString &key : {u"Server.Port"_s, u"Server.Expire"_s}) {
            if (fields.value(key).trimmed().isEmpty())
                return refuse(key, missing(key));
        }
        const auto port = number(u"Server.Port"_s, 1, 65535);
        if (!port)
            return refuse(u"Server.Port"_s, range(u"Server.Port"_s, 1, 65535));
        const auto expiry = number(u"Server.Expire"_s, 0, 255);
        if (!expiry)
            return refuse(u"Server.Expire"_s, range(u"Server.Expire"_s, 0, 255));
        const auto mode = letter(fields.value(u"Server.Mode"_s), 'N', 'G');
        if (!mode)
            return refuse(u"Server.Mode"_s, serverModeRefusal());
        wanted.server = ServerWanted{std::uint16_t(*port), std::uint8_t(*expiry), *mode};
    }
    if (hasSection(fields, u"DI"_s)) {
        const auto timeKey = [](int i) -> QString { return u"DI.Time"_s + QString::number(i + 1); };
        for (int i = 0; i < 5; ++i) {
            if (fields.value(timeKey(i)).trimmed().isEmpty())
                return refuse(timeKey(i), missing(timeKey(i)));
        }
        DiWanted di;
        for (int i = 0; i < 5; ++i) {
            const auto t = number(timeKey(i), 1, 2550);
            if (!t)
                return refuse(timeKey(i), range(timeKey(i), 1, 2550));
            di.times[std::size_t(i)] = std::uint16_t(*t);
        }
        for (int i = 0; i < 5; ++i) {
            const auto mode = letter(fields.value(u"DI.Mode"_s + QString::number(i + 1)), 'F', 'R');
            if (!mode)
                return refuse(u"DI.Mode"_s + QString::number(i + 1), diModeRefusal(i + 1));
            di.modes[std::size_t(i)] = *mode;
        }
        wanted.di = di;
    }
    if (hasSection(fields, u"AP"_s)) {
        const QString ssid = fields.value(u"AP.SSID"_s);
        // Counted in bytes, as the device counts them; the window's fields stop at the widths,
        // and a longer text would be cut on the wire and never match what the device reports.
        const qsizetype ssidBytes = r5::protocol::mb::encode(ssid).size();
        if (ssidBytes < 2)
            return refuse(u"AP.SSID"_s, fields.contains(u"AP.SSID"_s) ? u"AP.SSID must be at least 2 bytes."_s
                                                                      : missing(u"AP.SSID"_s));
        if (ssidBytes > r5::protocol::kSsidWidth)
            return refuse(u"AP.SSID"_s, tooLongRefusal(u"AP.SSID"_s, r5::protocol::kSsidWidth));
        if (r5::protocol::mb::encode(fields.value(u"AP.Password"_s)).size() > r5::protocol::kPasswordWidth)
            return refuse(u"AP.Password"_s, tooLongRefusal(u"AP.Password"_s, r5::protocol::kPasswordWidth));
        wanted.ap = ApWanted{ssid, fields.value(u"AP.Password"_s)};
    }
    return {wanted, {}};
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

} // namespace r5commission
