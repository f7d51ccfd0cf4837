#pragma once

#include <functional>

class QObject;

namespace r5 {

// Calls `handler` on `context`'s thread, from the event loop, when the console asks the program
// to end: SIGINT, SIGTERM or SIGHUP on Linux; Ctrl+C, Ctrl+Break, the console window's close,
// log-off or shut-down on Windows. The handler ends the event loop; main() then returns as usual,
// so destructors run (the console's code page is given back). A second request while the first
// is handled ends the program at once (exit code 1). For the close of the window, Windows
// allows a few seconds before it ends the process itself. Call once per program.
void onConsoleSignals(QObject *context, std::function<void()> handler);

} // namespace r5
