// SETUP.INI reader and writer: any bytes parse; writing what was read and reading it again
// gives the same values; the written form is stable.
#include "r5/inidocument.h"
#include "r5setup/setupconfig.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace r5setup;

namespace {

// The file trims ASCII white space around a value; other spaces (U+00A0, U+3000) are the value's.
QString trimmedAscii(const QString &text)
{
    const auto blank = [](QChar c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && blank(text[from]))
        ++from;
    while (to > from && blank(text[to - 1]))
        --to;
    return text.sliced(from, to - from);
}

// What a value becomes once written: line breaks inside it turn into spaces.
ConfigValues asWritten(ConfigValues values)
{
    const auto table = configTable();
    for (qsizetype i = 0; i < values.size(); ++i) {
        const ConfigRow &row = table[std::size_t(i)];
        if (!row.fixed.isEmpty())
            values[i] = row.fixed.toString();
        else
            values[i] = trimmedAscii(values[i].replace(u'\r', u' ').replace(u'\n', u' '));
    }
    return values;
}

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    IniDocument doc = IniDocument::parse(bytes);
    const ConfigValues values = readConfig(doc);
    check(values.size() == qsizetype(configTable().size()));

    const QByteArray once = doc.serialize();
    const IniDocument again = IniDocument::parse(once);
    check(readConfig(again) == values);
    check(again.serialize() == once);

    writeConfig(doc, values);
    const QByteArray saved = doc.serialize();
    const IniDocument reread = IniDocument::parse(saved);
    check(readConfig(reread) == asWritten(values));
    check(reread.serialize() == saved);
    return 0;
}
