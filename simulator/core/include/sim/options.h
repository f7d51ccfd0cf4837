#pragma once

#include "sim/textbytes.h"

#include <QString>
#include <QStringList>

namespace r5::sim {

// Which side the tool plays: it connects to a device that serves ("Server" selected), or it
// listens for a device that connects ("Client" selected).
enum class Role { Connect, Listen };

enum class Action { ReceiveOnly, SendOnly, SendInput, SendReceived };
enum class LogLevel { None, List, File, ListFile };

// The window's choices, read at the moment the tool acts on them.
struct Options
{
    Role role = Role::Connect;
    Action action = Action::SendReceived;
    DataFormat format = DataFormat::Ascii;
    LogLevel level = LogLevel::List;
    bool repeat = true;       // "Repeat", not "OneTime"
    bool closeAfter = false;  // "Connect && Close"
    bool programMode = false; // "Program Mode"
    QStringList destination;  // four octet boxes
    QString destinationPort;
    QString listenPort;
    QString timeGap; // seconds
    QString count;   // "Endless" or a number
    QString input;
    QString logPath;
    QStringList steps;    // four program steps
    QStringList stepGaps; // three gaps in milliseconds
};

bool levelHasList(LogLevel level);
bool levelHasFile(LogLevel level);

// The fixed boxes of the tool.
struct Notice
{
    enum class Icon { None, Information, Exclamation, Critical };
    Icon icon = Icon::None;
    QString title; // empty: the program's name
    QString text;

    bool operator==(const Notice &) const = default;
};

namespace notices {
Notice inputDestinationIp();
Notice inputDestinationPort();
Notice inputPortNo();
Notice pleaseInputData();
Notice invalidData();
Notice inputTimegap();
Notice inputCount();
Notice inputSendData();
Notice invalidPass();
Notice socketError();
Notice crossLimit();
Notice addressFormat();
} // namespace notices

} // namespace r5::sim
