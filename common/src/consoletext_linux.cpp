#include "r5/consoletext.h"

#include <QByteArray>
#include <QtGlobal>
#include <unistd.h>

namespace r5 {

// Terminals here take UTF-8 as the programs write it.
ConsoleText::ConsoleText() = default;
ConsoleText::~ConsoleText() = default;

bool outputIsLiveConsole()
{
    const QByteArray term = qgetenv("TERM");
    return ::isatty(STDOUT_FILENO) == 1 && !term.isEmpty() && term != "dumb";
}

} // namespace r5
