#include "host/win32/win32_host_impl.h"

#include "gfx/raster.h"

#include <windowsx.h>

#include <algorithm>

namespace host::win32 {

namespace {

int buttons_held(WPARAM wparam)
{
    return ((wparam & MK_LBUTTON) ? kLeftButton : 0) | ((wparam & MK_RBUTTON) ? kRightButton : 0)
           | ((wparam & MK_MBUTTON) ? kMiddleButton : 0);
}

InputEvent event_for(Win32Window& window, InputEvent::Kind kind)
{
    InputEvent event;
    event.kind = kind;
    event.window = &window;
    event.serial = window.serial();
    return event;
}

InputEvent mouse_event(InputEvent::Kind kind, Win32Window& window, int button, LPARAM lparam)
{
    InputEvent event = event_for(window, kind);
    event.button = button;
    // Client coordinates, signed: a captured pointer may be left of or above the window.
    event.x = GET_X_LPARAM(lparam);
    event.y = GET_Y_LPARAM(lparam);
    return event;
}

// The virtual key of a WM_KEYDOWN; Tab with Shift held is BackTab. The
// keypad's arrows, pages, Home and End (without Num Lock) and Enter arrive
// as the main keys.
Key key_of(WPARAM virtual_key)
{
    switch (virtual_key) {
    case VK_ESCAPE: return Key::Escape;
    case VK_TAB: return GetKeyState(VK_SHIFT) < 0 ? Key::BackTab : Key::Tab;
    case VK_SPACE: return Key::Space;
    case VK_RETURN: return Key::Enter;
    case VK_LEFT: return Key::Left;
    case VK_RIGHT: return Key::Right;
    case VK_UP: return Key::Up;
    case VK_DOWN: return Key::Down;
    case VK_PRIOR: return Key::PageUp;
    case VK_NEXT: return Key::PageDown;
    case VK_HOME: return Key::Home;
    case VK_END: return Key::End;
    default: return Key::Other;
    }
}

Win32Host* host_of(HWND hwnd)
{
    return reinterpret_cast<Win32Host*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

} // namespace

Win32Window::Win32Window(Win32Host& host, WindowHandler& handler, const WindowOptions& options,
                         WindowKind kind, HWND hwnd)
    : LoopWindow(host.loop(), handler, options), m_host(host), m_kind(kind), m_hwnd(hwnd),
      m_serial(host.next_window_serial())
{
    if (kind == WindowKind::Child) {
        m_parent = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(options.parent));
        RECT client{};
        GetClientRect(m_parent, &client);
        m_parent_size = {client.right, client.bottom};
    }
    host.window_created(*this);
}

std::optional<InputEvent> Win32Window::check_parent()
{
    if (m_kind != WindowKind::Child || m_parent_gone)
        return std::nullopt;
    InputEvent event;
    event.window = this;
    event.serial = m_serial;
    if (!IsWindow(m_parent)) {
        m_parent_gone = true;
        event.kind = InputEvent::CloseRequest;
        return event;
    }
    RECT client{};
    if (!GetClientRect(m_parent, &client))
        return std::nullopt;
    const Size size{client.right, client.bottom};
    if (size == m_parent_size)
        return std::nullopt;
    m_parent_size = size;
    event.kind = InputEvent::ParentResized;
    event.size = size;
    return event;
}

Win32Window::~Win32Window()
{
    m_host.window_destroyed(*this);
    if (m_cursor)
        DestroyCursor(m_cursor);
    if (m_hwnd) {
        // The procedure must not reach for us while the window goes.
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hwnd);
    }
}

NativeHandle Win32Window::native_handle() const
{
    return NativeHandle(reinterpret_cast<std::uintptr_t>(m_hwnd));
}

void Win32Window::refresh()
{
    m_presenter.present(m_hwnd, frame());
}

void Win32Window::refresh_areas(std::span<const gfx::Rect> areas)
{
    m_presenter.present_areas(m_hwnd, frame(), areas);
}

void Win32Window::paint(HDC dc)
{
    m_presenter.repaint(dc, frame());
    // What a limited frame does not cover is black: right of it, then below it.
    RECT client{};
    if (!m_hwnd || !GetClientRect(m_hwnd, &client))
        return;
    const RECT right{frame().width(), 0, client.right, client.bottom};
    const RECT below{0, frame().height(), std::min<LONG>(frame().width(), client.right), client.bottom};
    const auto black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    if (right.left < right.right && right.top < right.bottom)
        FillRect(dc, &right, black);
    if (below.left < below.right && below.top < below.bottom)
        FillRect(dc, &below, black);
}

void Win32Window::set_title(std::string_view utf8)
{
    if (m_hwnd)
        SetWindowTextW(m_hwnd, utf16_from_utf8(utf8).c_str());
}

void Win32Window::move(gfx::Rect rect)
{
    resize_frame(rect.width, rect.height);
    if (m_hwnd && rect.width > 0 && rect.height > 0)
        SetWindowPos(m_hwnd, nullptr, rect.x, rect.y, rect.width, rect.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Window::show(bool visible)
{
    if (!m_hwnd)
        return;
    // The saver comes up in front with the keyboard; the preview in its pane
    // never takes the focus from the settings it sits in, nor does a picture
    // passing over the dialog take it from the dialog.
    if (!visible)
        ShowWindow(m_hwnd, SW_HIDE);
    else if (m_kind == WindowKind::Child || m_kind == WindowKind::Overlay)
        ShowWindow(m_hwnd, SW_SHOWNA);
    else if (m_kind == WindowKind::Dialog) {
        ShowWindow(m_hwnd, SW_SHOWNORMAL);
        SetForegroundWindow(m_hwnd);
    }
    else
        ShowWindow(m_hwnd, SW_SHOWNORMAL);
    UpdateWindow(m_hwnd);
}

void Win32Window::set_topmost(bool on)
{
    if (m_hwnd && m_kind != WindowKind::Child)
        SetWindowPos(m_hwnd, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}

// Input is queued for the loop rather than handed over here: the system
// calls this procedure from inside any message call (a sent message from
// another process arrives even while we only peek), and a handler may end
// the saver or close its window, which must happen where the loop expects it.
LRESULT CALLBACK window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return DefWindowProcW(hwnd, message, wparam, lparam);
    }
    Win32Host* host = host_of(hwnd);
    Win32Window* window = host ? host->find(hwnd) : nullptr;
    if (!window)
        return DefWindowProcW(hwnd, message, wparam, lparam);

    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        if (HDC dc = BeginPaint(hwnd, &paint)) {
            window->paint(dc);
            EndPaint(hwnd, &paint);
        }
        return 0;
    }
    case WM_PRINTCLIENT:
        // Another program asks for our picture (PrintWindow): the frame, as painted.
        window->paint(reinterpret_cast<HDC>(wparam));
        return 0;
    case WM_ERASEBKGND:
        // The frame covers the client area (or WM_PAINT blackens what a
        // limited frame leaves): no flash of background.
        return 1;

    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        // A window pressed keeps the pointer until every button is up, so a
        // drag that leaves it still reaches it (and its release too).
        if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN)
            SetCapture(hwnd);
        else if (!(wparam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) && GetCapture() == hwnd)
            ReleaseCapture();
        break;
    default:
        break;
    }

    switch (message) {
    case WM_LBUTTONDOWN: host->queue(mouse_event(InputEvent::MouseDown, *window, kLeftButton, lparam)); return 0;
    case WM_RBUTTONDOWN: host->queue(mouse_event(InputEvent::MouseDown, *window, kRightButton, lparam)); return 0;
    case WM_MBUTTONDOWN: host->queue(mouse_event(InputEvent::MouseDown, *window, kMiddleButton, lparam)); return 0;
    case WM_LBUTTONUP: host->queue(mouse_event(InputEvent::MouseUp, *window, kLeftButton, lparam)); return 0;
    case WM_RBUTTONUP: host->queue(mouse_event(InputEvent::MouseUp, *window, kRightButton, lparam)); return 0;
    case WM_MBUTTONUP: host->queue(mouse_event(InputEvent::MouseUp, *window, kMiddleButton, lparam)); return 0;
    case WM_MOUSEMOVE:
        host->queue(mouse_event(InputEvent::MouseMove, *window, buttons_held(wparam), lparam));
        return 0;

    case WM_MOUSEACTIVATE:
        // A click on a window over the dialog leaves the dialog active.
        if (window->kind() == WindowKind::Overlay)
            return MA_NOACTIVATE;
        break;

    case WM_SETCURSOR:
        // Over the client area: our pointer, else the class's arrow.
        if (LOWORD(lparam) == HTCLIENT && window->cursor()) {
            SetCursor(window->cursor());
            return TRUE;
        }
        break;

    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        // Only a dialog hears keys; the saver's keys do nothing.
        if (window->kind() == WindowKind::Dialog && message == WM_KEYDOWN) {
            InputEvent event = event_for(*window, InputEvent::KeyDown);
            event.key = key_of(wparam);
            host->queue(event);
            return 0;
        }
        break;

    case WM_SYSCOMMAND:
        // While the saver shows, the system must not start a screen saver
        // over it (which would be us again).
        if ((wparam & 0xFFF0) == SC_SCREENSAVE)
            return 0;
        break;

    case WM_CLOSE:
        // The window stays until its owner lets it go.
        host->queue(event_for(*window, InputEvent::CloseRequest));
        return 0;
    case WM_DESTROY:
        // Not our own DestroyWindow (that clears the link first): the system
        // is taking the window with its parent, the pane of another program.
        window->forget_hwnd();
        host->queue(event_for(*window, InputEvent::CloseRequest));
        return 0;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

} // namespace host::win32
