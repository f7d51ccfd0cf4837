#pragma once

namespace r5 {

// The console programs write UTF-8 (QTextStream's encoding). A Windows console shows bytes in
// its own code page (949 on Korean Windows), so while this object lives the console is told
// the bytes are UTF-8, and given its code page back afterwards. Elsewhere it does nothing.
// Output sent to a file or a pipe is UTF-8 either way.
class ConsoleText
{
public:
    ConsoleText();
    ~ConsoleText();
    ConsoleText(const ConsoleText &) = delete;
    ConsoleText &operator=(const ConsoleText &) = delete;

private:
    unsigned m_saved = 0;
};

// True when standard output is a console that moves its cursor on ANSI sequences, so a line
// can be written over: a terminal other than "dumb" on Linux, a console on Windows that was told
// to take them. False for a file or a pipe, where output stays plain lines.
bool outputIsLiveConsole();

} // namespace r5
