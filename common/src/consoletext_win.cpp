#include "r5/consoletext.h"

#include <windows.h>

namespace r5 {

ConsoleText::ConsoleText() : m_saved(GetConsoleOutputCP())
{
    // No console (output to a file or a pipe): nothing to tell.
    if (m_saved != 0 && m_saved != CP_UTF8 && !SetConsoleOutputCP(CP_UTF8))
        m_saved = 0;
}

ConsoleText::~ConsoleText()
{
    // The console outlives the program (cmd.exe's window): leave it as it was found.
    if (m_saved != 0 && m_saved != CP_UTF8)
        SetConsoleOutputCP(m_saved);
}

} // namespace r5
