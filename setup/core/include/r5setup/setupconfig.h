#pragma once

#include "r5/inidocument.h"

#include <QLatin1StringView>
#include <QList>
#include <QString>
#include <span>

namespace r5setup {

using r5::IniDocument;

// One key of SETUP.INI. `fixed` is what is always written (the serial keys other than the
// port name); otherwise the live value is saved. `control` names the edit the value is shown
// in; the serial keys have none, they belong to the port.
struct ConfigRow
{
    QLatin1StringView section;
    QLatin1StringView key;
    QLatin1StringView defaultValue;
    QLatin1StringView fixed;
    QLatin1StringView control;
};

// The keys in the order they are read and written.
std::span<const ConfigRow> configTable();

// Row positions of the serial keys.
enum ConfigSerialRow { RowComPort = 0, RowBaudRate, RowDataBits, RowStopBits, RowParity };
// Row positions of the keys shown in the maintenance page's fields.
enum ConfigFieldRow {
    RowHttpPort = RowParity + 1,
    RowHomeDir,
    RowDownloadIp1,
    RowDownloadPort = RowDownloadIp1 + 4,
    RowDownloadFile,
    RowTcpIp1,
    RowTcpPort = RowTcpIp1 + 4,
    RowCount
};

// One value per row of configTable(), in table order.
using ConfigValues = QList<QString>;

ConfigValues defaultConfig();
ConfigValues readConfig(const IniDocument &doc);
// Sets every row (fixed rows with their fixed text) and puts the program's sections and
// keys in table order; other sections and keys stay as they were.
void writeConfig(IniDocument &doc, const ConfigValues &values);

// Relative to the working folder.
QString configFilePath();

// A SETUP.INI is a few hundred bytes; a file larger than this is something else under its
// name and is neither read nor overwritten.
inline constexpr qint64 kMaxConfigBytes = 1024 * 1024;

// The values of the file at `path`. A missing file gives the defaults; so does a file that
// cannot be read or is too large, and then `notRead` says why.
ConfigValues loadConfigFile(const QString &path, QString *notRead = nullptr);

// Result of a save: empty on success, otherwise why it failed.
struct SaveResult
{
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// Rewrites `path` with `values`, keeping what else the file holds (a file that cannot be read
// or is too large is left alone and the save fails). The file is written to a
// temporary sibling and renamed over the old one, so a crash or a full disk leaves either the
// old file or the new one, never a part. Creates the folder when it is missing, so the
// settings of a run are not lost.
SaveResult saveConfigFile(const QString &path, const ConfigValues &values);

} // namespace r5setup
