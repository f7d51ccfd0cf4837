#include "r5/consoletext.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <utility>
#include <windows.h>

// Older MinGW headers lack it.
#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace r5 {

namespace {

bool isConsole(DWORD stdHandle)
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(stdHandle), &mode);
}

} // namespace

ConsoleText::ConsoleText() : m_saved(GetConsoleOutputCP())
{
    // No console (output to a file or a pipe): nothing to tell.
    if (m_saved == 0)
        return;
    if (m_saved != CP_UTF8 && !SetConsoleOutputCP(CP_UTF8)) {
        m_saved = 0;
        return;
    }
    // In text mode the C runtime reads bytes written to a console as text of its own locale
    // ("C": one byte, one character) and hands the console those characters, so UTF-8 would
    // show as Latin letters. Binary mode passes the bytes through; the console ends lines at a
    // bare line feed by itself. Unbuffered, stderr would hand over a character's bytes one by
    // one, which a console cannot put together: it is buffered (every line is flushed).
    for (const auto &[handle, stream] :
         {std::pair{STD_OUTPUT_HANDLE, stdout}, std::pair{STD_ERROR_HANDLE, stderr}}) {
        if (!isConsole(handle))
            continue;
        _setmode(_fileno(stream), _O_BINARY);
        std::setvbuf(stream, nullptr, _IOFBF, 4096);
    }
}

bool outputIsLiveConsole()
{
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (!GetConsoleMode(out, &mode))
        return false;
    // Consoles before Windows 10 refuse the mode: they get plain lines.
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
           SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

ConsoleText::~ConsoleText()
{
    // The console outlives the program (cmd.exe's window): leave it as it was found.
    if (m_saved != 0 && m_saved != CP_UTF8)
        SetConsoleOutputCP(m_saved);
}

} // namespace r5
