#include "host/win32/win32_host_impl.h"

#include "host/win32/win32_picture_file.h"

#include <mmsystem.h>
#include <ole2.h>

#include <cstdint>
#include <cstdio>

namespace host::win32 {

namespace {

// The icon of the program's resources, shown for our windows where the
// system shows one.
constexpr int kProgramIconId = 1;

// Real pixels on every monitor, not the scaled units the system hands to
// programs that do not say they know each monitor's scale: the saver covers
// its monitor pixel for pixel and the dialog's picture is drawn at its own
// size. The manifest says so before the first window; these calls say it
// where a manifest went unread (a loader that ignores it), and change
// nothing where it was read. Each is looked up, as neither exists on every
// Windows version: per monitor from Windows 10 (1703) on, else for the
// whole system from Vista on.
void declare_dpi_aware()
{
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32)
        return;
    using SetContext = BOOL(WINAPI*)(HANDLE);
    using SetAware = BOOL(WINAPI*)();
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, which older headers lack.
    const auto per_monitor_v2 = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-4));
    if (auto set_context = reinterpret_cast<SetContext>(reinterpret_cast<void*>(
            GetProcAddress(user32, "SetProcessDpiAwarenessContext"))))
        if (set_context(per_monitor_v2))
            return;
    if (auto set_aware = reinterpret_cast<SetAware>(
            reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDPIAware"))))
        set_aware();
}

} // namespace

Win32Host::Win32Host(HINSTANCE instance) : m_instance(instance) {}

Win32Host::~Win32Host()
{
    if (m_instance_mutex)
        CloseHandle(m_instance_mutex);
    if (m_timer_resolution_raised)
        timeEndPeriod(1);
    if (m_com_started)
        OleUninitialize();
}

bool Win32Host::start(std::string& error)
{
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    m_counter_frequency = frequency.QuadPart > 0 ? frequency.QuadPart : 1000;

    // OLE for the picture loader and the common dialogs.
    m_com_started = SUCCEEDED(OleInitialize(nullptr));
    // The system's timers tick every 15.6 ms unless asked for finer: the
    // animation's 10 ms timer and its pauses need 1 ms.
    m_timer_resolution_raised = timeBeginPeriod(1) == TIMERR_NOERROR;
    declare_dpi_aware();

    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = window_procedure;
    window_class.hInstance = m_instance;
    window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // the arrow
    window_class.hIcon = LoadIconW(m_instance, MAKEINTRESOURCEW(kProgramIconId));
    window_class.lpszClassName = kWindowClassName;
    if (!RegisterClassExW(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        error = "cannot register the window class (system error "
                + std::to_string(GetLastError()) + ")";
        return false;
    }
    return true;
}

Size Win32Host::screen_size()
{
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

int Win32Host::show_cursor(bool show)
{
    return ShowCursor(show ? TRUE : FALSE);
}

gfx::Point Win32Host::cursor_pos()
{
    POINT point{};
    GetCursorPos(&point);
    return {point.x, point.y};
}

std::optional<gfx::Point> Win32Host::pointer_position()
{
    POINT point{};
    if (!GetCursorPos(&point))
        return std::nullopt; // another desktop has the input (a locked session)
    return gfx::Point{point.x, point.y};
}

void Win32Host::animate_zoom(gfx::Rect from, gfx::Rect to)
{
    // The system's caption zoom; the system decides whether it shows one.
    const RECT start{from.x, from.y, from.x + from.width, from.y + from.height};
    const RECT end{to.x, to.y, to.x + to.width, to.y + to.height};
    DrawAnimatedRects(nullptr, IDANI_CAPTION, &start, &end);
}

bool Win32Host::capture_desktop(gfx::Surface& into)
{
    if (into.empty())
        return false;
    DibSection copy;
    if (!copy.ensure(into.width(), into.height()))
        return false;
    // The screen's context spans every monitor in window coordinates; the
    // picture is the primary monitor's part of it.
    const gfx::Rect primary = monitors().front();
    HDC screen = GetDC(nullptr);
    if (!screen)
        return false;
    const BOOL copied = BitBlt(copy.dc(), 0, 0, into.width(), into.height(), screen, primary.x,
                               primary.y, SRCCOPY);
    ReleaseDC(nullptr, screen);
    if (!copied)
        return false;
    copy.copy_to(into);
    return true;
}

// The picture is decoded on a thread of its own; meanwhile the loop goes
// on, so the input that ends the saver reaches it however long the picture
// takes, and a decode past its deadline leaves the background colour.
PictureResult Win32Host::load_picture(const std::string& path_utf8, gfx::Surface& out)
{
    const Size screen = screen_size();
    const auto wait = [this](void* done, int timeout_ms) {
        HANDLE event = done;
        MsgWaitForMultipleObjectsEx(1, &event, DWORD(timeout_ms), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        process_pending_messages();
    };
    return decode_picture_file_off_thread(path_utf8, out,
                                          picture_pixel_limit(screen.width, screen.height), wait);
}

void Win32Host::end_process(int status)
{
    // On the spot: no window's destructor runs and nothing is saved. What
    // was written to the standard streams is sent first.
    std::fflush(nullptr);
    ExitProcess(UINT(status));
}

} // namespace host::win32

namespace host {

std::unique_ptr<Host> open_win32_host(std::string& error)
{
    auto host = std::make_unique<win32::Win32Host>(GetModuleHandleW(nullptr));
    if (!host->start(error))
        return nullptr;
    return host;
}

} // namespace host
