// Profile (INI) and plan (CSV) readers: any bytes parse or are refused with a reason; what a
// profile holds is written and read back unchanged; a CSV row written and read back is the
// same row, every cell as a spreadsheet shows it (never a formula); checked settings always give requests of
// the protocol's sizes.
#include "r5/csv.h"
#include "r5commission/profile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace r5commission;
namespace csv = r5::csv;

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

void checkSettings(const Fields &fields)
{
    const auto checked = checkFields(fields);
    if (!checked) {
        check(!checked.refusal.message.isEmpty());
        return;
    }
    for (const Step &step : setCommands(*checked.value)) {
        const QByteArray &f = step.request.frame;
        check(f.size() >= 5 && f.front() == '\x7E' && f.back() == '\xFE' && quint8(f[1]) == f.size());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    const auto profile = parseProfile(bytes);
    check(profile.value.has_value() != !profile.error.isEmpty());
    if (profile.value) {
        checkSettings(*profile.value);
        // Values lose line breaks and outer spaces when written; what is left comes back.
        Fields written;
        for (auto it = profile.value->cbegin(); it != profile.value->cend(); ++it)
            written.insert(it.key(), QString(it.value()).replace(u'\r', u' ').replace(u'\n', u' ').trimmed());
        const auto again = parseProfile(profileText(written));
        check(again.value && *again.value == written);
    }

    const auto plan = parsePlan(bytes);
    check(plan.value.has_value() != !plan.error.isEmpty());
    if (plan.value) {
        check(plan.value->macs.size() == plan.value->rows.size());
        for (const QString &mac : std::as_const(plan.value->macs)) {
            check(normalMac(mac) == mac);
            if (profile.value)
                checkSettings(merged(*profile.value, plan.value->rows.value(mac)));
        }
    }

    const csv::Table table = csv::parse(bytes);
    if (table.error.isEmpty()) {
        for (const QStringList &row : table.rows) {
            QStringList shown;
            for (const QString &cell : row)
                shown.append(csv::cell(cell));
            const csv::Table back = csv::parse(csv::line(row));
            check(back.error.isEmpty() && back.rows.size() == 1 && back.rows.first() == shown);
            check(csv::line(shown) == csv::line(row));
        }
    }
    return 0;
}
