#include "r5/consolesignals.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <atomic>
#include <windows.h>

namespace r5 {

namespace {

QPointer<QObject> g_context;
std::function<void()> g_handler;
std::atomic_bool g_signalled = false;

// Runs on a thread the system starts for the event.
BOOL WINAPI onControl(DWORD type)
{
    switch (type) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        break;
    default:
        return FALSE;
    }
    if (g_signalled.exchange(true))
        ::ExitProcess(1);
    QMetaObject::invokeMethod(
        g_context.data(), [] { g_handler(); }, Qt::QueuedConnection);
    // On a close, log-off or shut-down the process ends as soon as this returns: it waits here
    // for main() to return (which ends the process) until the system's own limit (5 s).
    if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT)
        ::Sleep(INFINITE);
    return TRUE;
}

} // namespace

void onConsoleSignals(QObject *context, std::function<void()> handler)
{
    g_context = context;
    g_handler = std::move(handler);
    ::SetConsoleCtrlHandler(onControl, TRUE);
}

} // namespace r5
