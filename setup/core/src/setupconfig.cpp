#include "r5setup/setupconfig.h"

#include "r5/wholefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <array>

using namespace Qt::StringLiterals;

namespace r5setup {

namespace {

constexpr std::array<ConfigRow, 18> kTable{{
    {"EnvBoard"_L1, "ComPort"_L1, "COM1"_L1, {}, {}},
    {"EnvBoard"_L1, "BaudRate"_L1, "115200"_L1, "115200"_L1, {}},
    {"EnvBoard"_L1, "DataBits"_L1, "8"_L1, "8"_L1, {}},
    {"EnvBoard"_L1, "StopBits"_L1, "1"_L1, "1"_L1, {}},
    {"EnvBoard"_L1, "Parity"_L1, "None"_L1, "None"_L1, {}},
    {"HTTPServer"_L1, "Port"_L1, "8070"_L1, {}, "Edit_HttpSvr_Port"_L1},
    {"HTTPServer"_L1, "HomeDir"_L1, "./KorviaFW"_L1, {}, "Edit_HomeDir"_L1},
    {"Download_WEB"_L1, "IP1"_L1, "127"_L1, {}, "Edit_DL_IP1"_L1},
    {"Download_WEB"_L1, "IP2"_L1, "0"_L1, {}, "Edit_DL_IP2"_L1},
    {"Download_WEB"_L1, "IP3"_L1, "0"_L1, {}, "Edit_DL_IP3"_L1},
    {"Download_WEB"_L1, "IP4"_L1, "1"_L1, {}, "Edit_DL_IP4"_L1},
    {"Download_WEB"_L1, "Port"_L1, "8070"_L1, {}, "Edit_DL_Port"_L1},
    {"Download_WEB"_L1, "File"_L1, "/R5200TX_v1.0.bin"_L1, {}, "Edit_DL_File"_L1},
    {"Download_TCP"_L1, "IP1"_L1, "192"_L1, {}, "Edit_DL_Tcp_IP1"_L1},
    {"Download_TCP"_L1, "IP2"_L1, "168"_L1, {}, "Edit_DL_Tcp_IP2"_L1},
    {"Download_TCP"_L1, "IP3"_L1, "88"_L1, {}, "Edit_DL_Tcp_IP3"_L1},
    {"Download_TCP"_L1, "IP4"_L1, "101"_L1, {}, "Edit_DL_Tcp_IP4"_L1},
    {"Download_TCP"_L1, "Port"_L1, "8071"_L1, {}, "Edit_DL_Tcp_Port"_L1},
}};
static_assert(kTable.size() == RowCount);

QList<IniDocument::SectionOrder> tableOrder()
{
    QList<IniDocument::SectionOrder> order;
    for (const ConfigRow &row : kTable) {
        if (order.isEmpty() || order.last().first != row.section)
            order.append({row.section.toString(), {}});
        order.last().second.append(row.key.toString());
    }
    return order;
}

QString tooLarge()
{
    return u"larger than 1 MiB, not a settings file; left as it is"_s;
}

} // namespace

std::span<const ConfigRow> configTable()
{
    return kTable;
}

ConfigValues defaultConfig()
{
    ConfigValues values;
    for (const ConfigRow &row : kTable)
        values.append(row.defaultValue.toString());
    return values;
}

ConfigValues readConfig(const IniDocument &doc)
{
    ConfigValues values;
    for (const ConfigRow &row : kTable)
        values.append(doc.value(row.section, row.key).value_or(row.defaultValue.toString()));
    return values;
}

void writeConfig(IniDocument &doc, const ConfigValues &values)
{
    for (qsizetype i = 0; i < qsizetype(kTable.size()); ++i) {
        const ConfigRow &row = kTable[std::size_t(i)];
        const QString text =
            row.fixed.isEmpty() ? values.value(i, row.defaultValue.toString()) : row.fixed.toString();
        doc.setValue(row.section, row.key, text);
    }
    doc.arrange(tableOrder());
}

QString configFilePath()
{
    return u"cfg/SETUP.INI"_s;
}

ConfigValues loadConfigFile(const QString &path, QString *notRead)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (notRead && file.exists())
            *notRead = file.errorString();
        return defaultConfig();
    }
    // Read no more than one byte past the limit, whatever the file claims to hold.
    const QByteArray bytes = file.read(kMaxConfigBytes + 1);
    if (bytes.size() > kMaxConfigBytes) {
        if (notRead)
            *notRead = tooLarge();
        return defaultConfig();
    }
    return readConfig(IniDocument::parse(bytes));
}

SaveResult saveConfigFile(const QString &path, const ConfigValues &values)
{
    IniDocument doc;
    QFile old(path);
    if (old.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = old.read(kMaxConfigBytes + 1);
        if (bytes.size() > kMaxConfigBytes)
            return {tooLarge()}; // someone else's file: never overwritten
        doc = IniDocument::parse(bytes);
    } else if (old.exists()) {
        return {old.errorString()}; // unreadable: rewriting it would drop what it holds
    }
    old.close();
    writeConfig(doc, values);

    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return {u"cannot create "_s + folder};
    // Whole or not at all: a full disk leaves the file that was there.
    return {r5::replaceFile(path, doc.serialize())};
}

} // namespace r5setup
