// The claim of the one saver or settings dialog per session: a named mutex
// owned by the process that runs. The system arbitrates ownership, so of any
// number of starts at once exactly one owns it, and an owner that ends, in
// whatever way, leaves it abandoned, which the next claim takes over.
#include "host/win32/win32_host_impl.h"

#include <cstdio>

namespace host::win32 {

namespace {

// In the session's namespace (no "Global\" prefix): one saver per desktop session.
constexpr wchar_t kMutexName[] = L"Orvelune.Instance";

// A process that only looks (a preview) owns the mutex for the moment of its
// look; a start that meets it then waits this long before it takes the
// mutex for held. A real owner holds it for as long as it runs.
constexpr DWORD kLookerPatienceMs = 200;

InstanceClaim unavailable(const char* why)
{
    std::fprintf(stderr, "orvelune: cannot make sure only one saver runs: %s (system error %lu)\n",
                 why, static_cast<unsigned long>(GetLastError()));
    return InstanceClaim::Unavailable;
}

} // namespace

InstanceClaim Win32Host::claim_instance()
{
    if (m_instance_mutex)
        return InstanceClaim::Claimed;
    // Created without an owner and then waited for: asking for initial
    // ownership would not give it when the mutex exists already, even
    // abandoned.
    HANDLE mutex = CreateMutexW(nullptr, FALSE, kMutexName);
    if (!mutex)
        return unavailable("cannot create the instance mutex");
    switch (WaitForSingleObject(mutex, kLookerPatienceMs)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED: // its owner ended without letting go
        m_instance_mutex = mutex;
        return InstanceClaim::Claimed;
    case WAIT_TIMEOUT:
        CloseHandle(mutex);
        return InstanceClaim::HeldElsewhere;
    default:
        CloseHandle(mutex);
        return unavailable("cannot wait for the instance mutex");
    }
}

bool Win32Host::instance_claimed_elsewhere()
{
    if (m_instance_mutex)
        return false;
    HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, kMutexName);
    if (!mutex)
        return false; // nobody has it open: nobody runs
    // Owned for an instant only: a claim meeting it waits that out.
    const DWORD result = WaitForSingleObject(mutex, 0);
    const bool held = result == WAIT_TIMEOUT;
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED)
        ReleaseMutex(mutex);
    CloseHandle(mutex);
    return held;
}

} // namespace host::win32
