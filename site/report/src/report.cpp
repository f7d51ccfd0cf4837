#include "r5site/report/report.h"

#include "r5/guide.h"
#include "r5/version.h"
#include "r5commission/profile.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>

using namespace Qt::StringLiterals;

namespace r5site::report {

namespace {

// One text in both languages: English first, Korean second.
QString say(Language language, const QString &en, const QString &ko)
{
    return language == Language::Korean ? ko : en;
}

QString macKey(const QString &mac)
{
    const QString normal = r5commission::normalMac(mac);
    return normal.isEmpty() ? mac.trimmed().toUpper() : normal;
}

QString addressKey(const QString &address, const QString &port)
{
    return address.trimmed() + u':' + (port.trimmed().isEmpty() ? u"4000"_s : port.trimmed());
}

State stateFrom(const QString &text)
{
    if (text == u"online"_s)
        return State::Online;
    if (text == u"offline"_s)
        return State::Offline;
    if (text == u"not reached"_s)
        return State::NotReached;
    return State::NotChecked;
}

QString portText(const QJsonValue &v)
{
    if (v.isDouble())
        return QString::number(v.toInteger());
    return v.toString();
}

// Check devices read the same whatever keys are missing or of the wrong kind.
Device checkDevice(const QJsonObject &o)
{
    Device d;
    d.checked = true;
    d.label = o.value(u"label"_s).toString();
    d.mac = o.value(u"mac"_s).toString().trimmed();
    d.wanAddress = o.value(u"address"_s).toString();
    d.serverPort = portText(o.value(u"port"_s));
    d.state = stateFrom(o.value(u"state"_s).toString());
    d.lastReport = QDateTime::fromString(o.value(u"lastReport"_s).toString(), Qt::ISODate);
    if (const QJsonValue ping = o.value(u"pingMs"_s); ping.isDouble())
        d.pingMs = ping.toDouble();
    if (const QJsonValue moved = o.value(u"countersMoved"_s); moved.isBool())
        d.countersMoved = moved.toBool();
    return d;
}

void takeCheck(Device &d, const Device &c)
{
    d.checked = true;
    d.state = c.state;
    d.lastReport = c.lastReport;
    d.pingMs = c.pingMs;
    d.countersMoved = c.countersMoved;
    if (d.label.isEmpty())
        d.label = c.label;
}

QString verdictWord(Language l, const QString &verdict)
{
    if (verdict.isEmpty())
        return say(l, u"no record"_s, u"기록 없음"_s);
    if (l == Language::English)
        return verdict;
    const QString v = verdict.trimmed().toUpper();
    if (v == u"OK"_s)
        return u"확인"_s;
    if (v == u"DIFFERS"_s)
        return u"설정 다름"_s;
    if (v == u"NO ANSWER"_s)
        return u"응답 없음"_s;
    if (v == u"REFUSED"_s)
        return u"거부됨"_s;
    return verdict;
}

QString stateWord(Language l, State s)
{
    switch (s) {
    case State::Online:
        return say(l, u"online"_s, u"온라인"_s);
    case State::Offline:
        return say(l, u"offline"_s, u"오프라인"_s);
    case State::NotReached:
        return say(l, u"not reached"_s, u"연결 안 됨"_s);
    case State::NotChecked:
        return say(l, u"not checked"_s, u"점검 안 됨"_s);
    }
    return {};
}

// Times in the report's own zone, the day left out where it is the report's day.
QString timeText(const QDateTime &t, const QDateTime &at, bool seconds)
{
    if (!t.isValid())
        return u"—"_s;
    const QDateTime local = at.isValid() ? t.toOffsetFromUtc(at.offsetFromUtc()) : t;
    const QString clock = seconds ? u"HH:mm:ss"_s : u"HH:mm"_s;
    if (at.isValid() && local.date() == at.date() && seconds)
        return local.toString(clock);
    return local.toString(u"yyyy-MM-dd "_s + clock);
}

QString pingText(const std::optional<double> &ms)
{
    if (!ms)
        return u"—"_s;
    return (*ms < 10 ? QString::number(*ms, 'f', 1) : QString::number(qRound(*ms))) + u" ms"_s;
}

} // namespace

Language systemLanguage(const QLocale &locale)
{
    return r5::guideLanguage(locale) == u"ko"_s ? Language::Korean : Language::English;
}

bool Device::verified() const
{
    return recorded && verdict.trimmed().compare(u"OK"_s, Qt::CaseInsensitive) == 0;
}

Report build(const r5commission::Record &record, const std::optional<QJsonObject> &check,
             const Options &options)
{
    Report report;
    report.options = options;
    report.checked = check.has_value();

    QHash<QString, qsizetype> byMac;
    QHash<QString, qsizetype> byAddress;
    for (const r5commission::RecordRow &row : r5commission::newestPerMac(record)) {
        Device d;
        d.recorded = true;
        d.label = row.value(u"Label"_s).trimmed();
        d.mac = row.value(u"MAC"_s).trimmed();
        d.firmware = row.value(u"Firmware"_s);
        d.wanAddress = row.value(u"WAN.IP"_s);
        d.serverPort = row.value(u"Server.Port"_s);
        d.serverMode = row.value(u"Server.Mode"_s);
        d.accessPoint = row.value(u"AP.SSID"_s);
        d.rssi = row.value(u"RSSI"_s);
        d.verdict = row.value(u"Verdict"_s).trimmed();
        d.verdictTime = row.time;
        // Two spellings of one MAC are one device.
        const QString key = macKey(d.mac);
        if (byMac.contains(key)) {
            Device &kept = report.devices[byMac.value(key)];
            if (!kept.verdictTime.isValid() || (d.verdictTime.isValid() && d.verdictTime >= kept.verdictTime))
                kept = d;
            continue;
        }
        byMac.insert(key, report.devices.size());
        byAddress.insert(addressKey(d.wanAddress, d.serverPort), report.devices.size());
        report.devices.append(d);
    }

    if (check) {
        for (const QJsonValue &v : check->value(u"devices"_s).toArray()) {
            const Device c = checkDevice(v.toObject());
            const QString key = c.mac.isEmpty() ? QString() : macKey(c.mac);
            qsizetype at = -1;
            if (!key.isEmpty())
                at = byMac.value(key, -1);
            else
                at = byAddress.value(addressKey(c.wanAddress, c.serverPort), -1);
            if (at >= 0 && !report.devices.at(at).checked) {
                takeCheck(report.devices[at], c);
                continue;
            }
            if (!key.isEmpty())
                byMac.insert(key, report.devices.size());
            report.devices.append(c);
        }
    }

    Counts &n = report.counts;
    QHash<QString, qsizetype> verdictAt;
    for (const Device &d : std::as_const(report.devices)) {
        ++n.devices;
        if (d.verified()) {
            ++n.verified;
        } else {
            ++n.notVerified;
            const QString v = d.recorded ? d.verdict : QString();
            const qsizetype i = verdictAt.value(v, -1);
            if (i < 0) {
                verdictAt.insert(v, n.notVerifiedBy.size());
                n.notVerifiedBy.append({v, 1});
            } else {
                ++n.notVerifiedBy[i].second;
            }
        }
        if (!report.checked)
            continue;
        switch (d.state) {
        case State::Online:
            ++n.online;
            break;
        case State::Offline:
            ++n.offline;
            break;
        case State::NotReached:
            ++n.notReached;
            break;
        case State::NotChecked:
            ++n.notChecked;
            break;
        }
        if (d.countersMoved.value_or(false))
            ++n.counting;
    }
    return report;
}

r5commission::Parsed<QJsonObject> parseCheck(QByteArrayView bytes)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError)
        return {std::nullopt, u"not JSON (%1 at byte %2)"_s.arg(error.errorString()).arg(error.offset)};
    if (!doc.isObject() || !doc.object().value(u"devices"_s).isArray())
        return {std::nullopt,
                u"not a site check: no \"devices\" list (r5200tx-cli site --json writes one)"_s};
    return {doc.object(), {}};
}

QStringList attentionReasons(const Report &report, const Device &d)
{
    const Language l = report.options.language;
    QStringList why;
    if (!d.recorded) {
        why << say(l, u"no commissioning record"_s, u"설치 기록 없음"_s);
    } else if (!d.verified()) {
        const QString when = timeText(d.verdictTime, report.options.at, false);
        why << say(l, u"verdict %1 (%2)"_s, u"판정 %1 (%2)"_s).arg(verdictWord(l, d.verdict), when);
    }
    if (!report.checked)
        return why;
    switch (d.state) {
    case State::Online:
        break;
    case State::Offline:
        why << say(l, u"last report %1"_s, u"마지막 보고 %1"_s)
                   .arg(timeText(d.lastReport, report.options.at, true));
        break;
    case State::NotReached:
        why << say(l, u"no report since the check began"_s, u"점검 시작 후 보고 없음"_s);
        break;
    case State::NotChecked:
        why << (d.checked ? say(l, u"the check gives no state"_s, u"점검 결과에 상태 없음"_s)
                          : say(l, u"not in the site check"_s, u"현장 점검 목록에 없음"_s));
        break;
    }
    return why;
}

Sheet sheet(const Report &report)
{
    const Options &o = report.options;
    const Language l = o.language;
    const Counts &n = report.counts;
    Sheet s;
    s.language = l == Language::Korean ? u"ko"_s : u"en"_s;
    s.title = say(l, u"Handover report"_s, u"인수인계 보고서"_s);
    s.site = o.site;
    const QString version = u"R5200TX Tools "_s + QString::fromLatin1(r5::versionNumber);
    s.facts = {{say(l, u"Site"_s, u"현장"_s), o.site},
               {say(l, u"Date and time"_s, u"일시"_s), o.at.toString(u"yyyy-MM-dd HH:mm"_s)},
               {say(l, u"Handed over by"_s, u"인계자"_s), o.by},
               {say(l, u"Tool set"_s, u"도구"_s), version}};

    QStringList by;
    for (const auto &[verdict, count] : n.notVerifiedBy)
        by << verdictWord(l, verdict) + u' ' + QString::number(count);
    const auto count = [](const QString &word, int number, bool warn = false) {
        return Sheet::Count{word, QString::number(number), {}, warn && number > 0};
    };
    s.counts = {count(say(l, u"Devices"_s, u"장치"_s), n.devices),
                count(say(l, u"Verified (OK)"_s, u"확인됨 (OK)"_s), n.verified),
                count(say(l, u"Not verified"_s, u"확인 안 됨"_s), n.notVerified, true)};
    s.counts.last().detail = by.join(u", "_s);
    if (report.checked) {
        s.counts << count(say(l, u"Online"_s, u"온라인"_s), n.online)
                 << count(say(l, u"Offline"_s, u"오프라인"_s), n.offline, true)
                 << count(say(l, u"Not reached"_s, u"연결 안 됨"_s), n.notReached, true);
        if (n.notChecked > 0)
            s.counts << count(say(l, u"Not in the site check"_s, u"현장 점검 목록에 없음"_s), n.notChecked,
                              true);
        s.counts << count(say(l, u"Counting (counters moved)"_s, u"계수 중 (카운터 변화)"_s), n.counting);
    } else {
        s.counts << Sheet::Count{
            say(l, u"Site check"_s, u"현장 점검"_s), u"—"_s,
            say(l, u"none given: online state not known"_s, u"없음: 온라인 상태 모름"_s)};
    }
    s.legend = say(l, u"Rows marked ! need attention: the first page says why."_s,
                   u"! 표시 행은 조치가 필요합니다. 이유는 첫 쪽에 있습니다."_s);

    s.tableTitle = say(l, u"Devices"_s, u"장치 목록"_s);
    // Who the device is, then whether it is on the network and verified, then the details. The
    // state stands right beside the MAC, so a reader copying a line of the PDF gets both.
    s.columns = QStringList{u""_s, say(l, u"Label"_s, u"이름"_s), u"MAC"_s};
    if (report.checked)
        s.columns << say(l, u"State"_s, u"상태"_s);
    s.columns << say(l, u"Verdict"_s, u"판정"_s) << say(l, u"Verified at"_s, u"확인 시각"_s)
              << say(l, u"Firmware"_s, u"펌웨어"_s) << say(l, u"WAN address"_s, u"WAN 주소"_s)
              << say(l, u"Port / mode"_s, u"포트 / 모드"_s);
    s.freeText = {1, int(s.columns.size())};
    s.columns << say(l, u"Access point"_s, u"AP"_s) << u"RSSI"_s;
    if (report.checked)
        s.columns << say(l, u"Last report"_s, u"마지막 보고"_s) << say(l, u"Ping"_s, u"핑"_s)
                  << say(l, u"Counters moved"_s, u"카운터 변화"_s);

    const QString none = u"—"_s;
    for (const Device &d : report.devices) {
        const QStringList why = attentionReasons(report, d);
        Sheet::Row row;
        row.attention = !why.isEmpty();
        row.cells = QStringList{row.attention ? u"!"_s : QString(), d.label, d.mac};
        if (report.checked)
            row.cells << stateWord(l, d.state);
        const QString mode = d.serverMode.isEmpty() ? QString() : u" / "_s + d.serverMode;
        row.cells << verdictWord(l, d.recorded ? d.verdict : QString())
                  << (d.recorded ? timeText(d.verdictTime, o.at, false) : none) << d.firmware << d.wanAddress
                  << d.serverPort + mode << d.accessPoint << d.rssi;
        if (report.checked) {
            QString moved = none;
            if (d.countersMoved)
                moved = *d.countersMoved ? say(l, u"yes"_s, u"예"_s) : say(l, u"no"_s, u"아니요"_s);
            row.cells << (d.checked ? timeText(d.lastReport, o.at, true) : none) << pingText(d.pingMs)
                      << moved;
        }
        s.rows.append(row);
        if (row.attention) {
            // Like the table's row, the MAC followed by the state, so each line naming a device
            // names its state.
            QString who = d.label.isEmpty() ? d.mac : d.label + u" · "_s + d.mac;
            if (report.checked)
                who += u' ' + stateWord(l, d.state);
            s.attention << who + u": "_s + why.join(u"; "_s);
        }
    }

    s.attentionTitle = say(l, u"Needs attention"_s, u"조치 필요"_s);
    s.attentionNone =
        report.checked
            ? say(l, u"Every device is verified and online."_s, u"모든 장치가 확인되었고 온라인입니다."_s)
            : say(l, u"Every device is verified."_s, u"모든 장치가 확인되었습니다."_s);
    s.signTitle = say(l, u"Signatures"_s, u"서명"_s);
    s.signers = {say(l, u"Installer"_s, u"설치자"_s), say(l, u"Customer"_s, u"고객"_s)};
    s.signFields = {say(l, u"Name"_s, u"성명"_s), say(l, u"Date"_s, u"날짜"_s),
                    say(l, u"Signature"_s, u"서명"_s)};
    s.installerName = o.by;
    const QString where = o.site.isEmpty() ? QString() : o.site + u" · "_s;
    s.footerFormat = where + say(l, u"Handover report · page %1 of %2"_s, u"인수인계 보고서 · %1 / %2 쪽"_s);
    s.pdfTitle = o.site.isEmpty() ? s.title : s.title + u" — "_s + o.site;
    s.creator = version;
    return s;
}

} // namespace r5site::report
