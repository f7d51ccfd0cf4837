#include "r5/singleinstance.h"

#include <QWidget>
#include <windows.h>

using namespace Qt::StringLiterals;

namespace r5 {

namespace {

// What the first copy keeps in the shared memory for a later start.
struct Shared
{
    quint64 window; // HWND of the window to bring to the front
    DWORD process;  // the first copy's process id
};

} // namespace

struct SingleInstance::Marker
{
    HANDLE mapping = nullptr; // ours as the first copy, the first copy's as a later one
    ~Marker()
    {
        if (mapping)
            CloseHandle(mapping);
    }
};

// "Local\": the user's own session, so another user signed in at the same time runs a copy too.
SingleInstance::SingleInstance(const QString &name)
    : m_marker(std::make_unique<Marker>()), m_path(u"Local\\"_s + name)
{}

SingleInstance::~SingleInstance() = default;

SingleInstance::Result SingleInstance::acquire()
{
    // Backed by no file; the system removes it with its last holder. A new object need not clear
    // the thread's last error, so an earlier "already exists" (a folder made at start) must not be
    // read as another copy.
    SetLastError(ERROR_SUCCESS);
    const HANDLE mapping =
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Shared),
                           reinterpret_cast<const wchar_t *>(m_path.utf16()));
    const DWORD error = GetLastError();
    if (mapping) {
        m_marker->mapping = mapping;
        return error == ERROR_ALREADY_EXISTS ? Result::AnotherRunning : Result::First;
    }
    // An object of another kind (an event, a mutex) under the name, or no right to make one.
    m_reason = error == ERROR_INVALID_HANDLE ? u"something other than shared memory has its name"_s
                                             : qt_error_string(int(error));
    return Result::CheckOff;
}

void SingleInstance::serve(QWidget *window)
{
    if (!m_marker->mapping)
        return;
    auto *shared =
        static_cast<Shared *>(MapViewOfFile(m_marker->mapping, FILE_MAP_WRITE, 0, 0, sizeof(Shared)));
    if (!shared)
        return;
    shared->window = quint64(window->winId());
    shared->process = GetCurrentProcessId();
    UnmapViewOfFile(shared);
}

bool SingleInstance::raiseFirst()
{
    if (!m_marker->mapping)
        return false;
    const auto *shared =
        static_cast<const Shared *>(MapViewOfFile(m_marker->mapping, FILE_MAP_READ, 0, 0, sizeof(Shared)));
    if (!shared)
        return false;
    const auto window = reinterpret_cast<HWND>(shared->window);
    const DWORD process = shared->process;
    UnmapViewOfFile(shared);
    // A first copy still starting has no window yet; a handle whose window is gone or belongs to
    // another process now is not ours to raise.
    DWORD owner = 0;
    if (!window || !IsWindow(window) || (GetWindowThreadProcessId(window, &owner), owner != process))
        return false;
    // This copy was just started by the user, so it may give the foreground away: to the first
    // copy's window, and to the first copy itself for what it does on being activated.
    AllowSetForegroundWindow(process);
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    return SetForegroundWindow(window) != FALSE;
}

} // namespace r5
