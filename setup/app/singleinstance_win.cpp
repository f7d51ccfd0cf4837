#include "singleinstance.h"

#include <windows.h>

using namespace Qt::StringLiterals;

namespace r5setup {

struct SingleInstance::Marker
{
    HANDLE mapping = nullptr;
    ~Marker()
    {
        if (mapping)
            CloseHandle(mapping);
    }
};

// "Local\": the user's own session, so another user signed in at the same time runs a copy too.
SingleInstance::SingleInstance() : m_marker(std::make_unique<Marker>()), m_path(u"Local\\R5200TX_Setup"_s) {}

SingleInstance::~SingleInstance() = default;

SingleInstance::Result SingleInstance::acquire()
{
    // One byte of memory, backed by no file; the system removes it with its last holder. A new
    // object need not clear the thread's last error, so an earlier "already exists" (a folder
    // made at start) must not be read as another copy.
    SetLastError(ERROR_SUCCESS);
    const HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 1,
                                              reinterpret_cast<const wchar_t *>(m_path.utf16()));
    const DWORD error = GetLastError();
    if (mapping && error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mapping);
        return Result::AnotherRunning;
    }
    if (mapping) {
        m_marker->mapping = mapping;
        return Result::First;
    }
    // An object of another kind (an event, a mutex) under the name, or no right to make one.
    m_reason = error == ERROR_INVALID_HANDLE ? u"something other than shared memory has its name"_s
                                             : qt_error_string(int(error));
    return Result::CheckOff;
}

} // namespace r5setup
