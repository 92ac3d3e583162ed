// The seat: pointer and keyboard events turned into the input the loop hands
// to windows (wayland_loop.cpp), in client pixels; the cursor over our
// surfaces; keys through xkbcommon, so that Escape is Escape on any layout.
#include "host/wayland/wayland_host_impl.h"

#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace host::wl {

namespace {

// The cursor theme's size where the session names none.
constexpr int kCursorSize = 24;

WaylandHost& host_of(void* data)
{
    return *static_cast<WaylandHost*>(data);
}

void pointer_enter(void* data, wl_pointer*, std::uint32_t serial, wl_surface* surface,
                   wl_fixed_t x, wl_fixed_t y)
{
    host_of(data).pointer_entered(surface, serial, wl_fixed_to_double(x), wl_fixed_to_double(y));
}

void pointer_leave(void* data, wl_pointer*, std::uint32_t, wl_surface* surface)
{
    host_of(data).pointer_left(surface);
}

void pointer_motion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y)
{
    host_of(data).pointer_moved(wl_fixed_to_double(x), wl_fixed_to_double(y));
}

void pointer_button(void* data, wl_pointer*, std::uint32_t serial, std::uint32_t, std::uint32_t button,
                    std::uint32_t state)
{
    host_of(data).pointer_button(serial, button, state == WL_POINTER_BUTTON_STATE_PRESSED);
}

void pointer_axis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {}
void pointer_frame(void*, wl_pointer*) {}
void pointer_axis_source(void*, wl_pointer*, std::uint32_t) {}
void pointer_axis_stop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
void pointer_axis_discrete(void*, wl_pointer*, std::uint32_t, std::int32_t) {}

// Filled member by member: newer libwayland headers add events (for
// versions the host does not bind) that are left null.
wl_pointer_listener pointer_listener()
{
    wl_pointer_listener listener{};
    listener.enter = pointer_enter;
    listener.leave = pointer_leave;
    listener.motion = pointer_motion;
    listener.button = pointer_button;
    listener.axis = pointer_axis;
    listener.frame = pointer_frame;
    listener.axis_source = pointer_axis_source;
    listener.axis_stop = pointer_axis_stop;
    listener.axis_discrete = pointer_axis_discrete;
    return listener;
}

const wl_pointer_listener kPointerListener = pointer_listener();

void keyboard_keymap(void* data, wl_keyboard*, std::uint32_t format, std::int32_t fd,
                     std::uint32_t size)
{
    host_of(data).keymap(fd, size, format);
}

void keyboard_enter(void* data, wl_keyboard*, std::uint32_t, wl_surface* surface, wl_array*)
{
    host_of(data).keyboard_entered(surface);
}

void keyboard_leave(void* data, wl_keyboard*, std::uint32_t, wl_surface*)
{
    host_of(data).keyboard_left();
}

void keyboard_key(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key,
                  std::uint32_t state)
{
    host_of(data).key(key, state == WL_KEYBOARD_KEY_STATE_PRESSED);
}

void keyboard_modifiers(void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed,
                        std::uint32_t latched, std::uint32_t locked, std::uint32_t group)
{
    host_of(data).modifiers(depressed, latched, locked, group);
}

void keyboard_repeat(void*, wl_keyboard*, std::int32_t, std::int32_t) {}

const wl_keyboard_listener kKeyboardListener = {
    .keymap = keyboard_keymap,
    .enter = keyboard_enter,
    .leave = keyboard_leave,
    .key = keyboard_key,
    .modifiers = keyboard_modifiers,
    .repeat_info = keyboard_repeat,
};

int button_of(std::uint32_t code)
{
    switch (code) {
    case BTN_LEFT: return kLeftButton;
    case BTN_RIGHT: return kRightButton;
    case BTN_MIDDLE: return kMiddleButton;
    default: return 0; // side and extra buttons are not clicks of ours
    }
}

} // namespace

void WaylandHost::seat_capabilities(std::uint32_t capabilities)
{
    const bool pointer = capabilities & WL_SEAT_CAPABILITY_POINTER;
    const bool keyboard = capabilities & WL_SEAT_CAPABILITY_KEYBOARD;
    if (pointer && !m_pointer) {
        m_pointer = wl_seat_get_pointer(m_seat);
        wl_pointer_add_listener(m_pointer, &kPointerListener, this);
    } else if (!pointer && m_pointer) {
        destroy_proxy(m_pointer, wl_pointer_destroy);
        m_pointer_surface = nullptr;
    }
    if (keyboard && !m_keyboard) {
        m_keyboard = wl_seat_get_keyboard(m_seat);
        wl_keyboard_add_listener(m_keyboard, &kKeyboardListener, this);
    } else if (!keyboard && m_keyboard) {
        destroy_proxy(m_keyboard, wl_keyboard_destroy);
        m_keyboard_surface = nullptr;
    }
}

void WaylandHost::pointer_entered(wl_surface* surface, std::uint32_t serial, double x, double y)
{
    m_pointer_surface = surface;
    m_enter_serial = serial;
    m_pointer_x = x;
    m_pointer_y = y;
    m_buttons = 0;
    apply_cursor();
    // The pointer has come to this place: the window hears of it as of any
    // move (on X11 the motion that brought it there is reported too).
    pointer_moved(x, y);
}

void WaylandHost::pointer_left(wl_surface* surface)
{
    if (m_pointer_surface == surface)
        m_pointer_surface = nullptr;
    m_buttons = 0;
}

void WaylandHost::pointer_moved(double x, double y)
{
    m_pointer_x = x;
    m_pointer_y = y;
    WaylandWindow* window = find(m_pointer_surface);
    if (!window || !window->takes_input())
        return;
    InputEvent event;
    event.kind = InputEvent::Kind::Move;
    event.window = window;
    event.button = m_buttons;
    event.x = x * window->scale();
    event.y = y * window->scale();
    queue_input(event);
}

void WaylandHost::pointer_button(std::uint32_t serial, std::uint32_t code, bool pressed)
{
    const int button = button_of(code);
    WaylandWindow* window = find(m_pointer_surface);
    if (button == 0 || !window || !window->takes_input())
        return;
    if (pressed) {
        m_buttons |= button;
        window->pressed(serial);
    } else {
        m_buttons &= ~button;
    }
    InputEvent event;
    event.kind = pressed ? InputEvent::Kind::Down : InputEvent::Kind::Up;
    event.window = window;
    event.button = button;
    event.x = m_pointer_x * window->scale();
    event.y = m_pointer_y * window->scale();
    queue_input(event);
}

void WaylandHost::keymap(int fd, std::uint32_t size, std::uint32_t format)
{
    // Without a keymap Escape is still known by its evdev code (key()).
    if (format != WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 || size == 0) {
        close(fd);
        return;
    }
    void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    if (text == MAP_FAILED)
        return;
    if (!m_xkb_context)
        m_xkb_context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    // The text ends with a NUL inside `size`; strnlen keeps a map without one in bounds.
    xkb_keymap* keymap =
        m_xkb_context ? xkb_keymap_new_from_buffer(m_xkb_context, static_cast<const char*>(text),
                                                   strnlen(static_cast<const char*>(text), size),
                                                   XKB_KEYMAP_FORMAT_TEXT_V1,
                                                   XKB_KEYMAP_COMPILE_NO_FLAGS)
                      : nullptr;
    munmap(text, size);
    if (!keymap)
        return;
    xkb_state_unref(m_xkb_state);
    xkb_keymap_unref(m_xkb_keymap);
    m_xkb_keymap = keymap;
    m_xkb_state = xkb_state_new(keymap);
}

void WaylandHost::modifiers(std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked,
                            std::uint32_t group)
{
    if (m_xkb_state)
        xkb_state_update_mask(m_xkb_state, depressed, latched, locked, 0, 0, group);
}

// The key the dialog knows, from the keymap's keysym (as the keys are now
// shifted): the keypad's arrows, pages, Home, End and Enter count as the
// main ones, and Tab with Shift is BackTab whichever keysym the layout gives
// it. Without a
// keymap the evdev codes of the main keys stand in.
Key WaylandHost::key_of(std::uint32_t code) const
{
    if (!m_xkb_state) {
        switch (code) {
        case KEY_ESC: return Key::Escape;
        case KEY_TAB: return Key::Tab;
        case KEY_SPACE: return Key::Space;
        case KEY_ENTER:
        case KEY_KPENTER: return Key::Enter;
        case KEY_LEFT: return Key::Left;
        case KEY_RIGHT: return Key::Right;
        case KEY_UP: return Key::Up;
        case KEY_DOWN: return Key::Down;
        case KEY_PAGEUP: return Key::PageUp;
        case KEY_PAGEDOWN: return Key::PageDown;
        case KEY_HOME: return Key::Home;
        case KEY_END: return Key::End;
        default: return Key::Other;
        }
    }
    // xkbcommon numbers keys as X does: the evdev code plus 8.
    const xkb_keysym_t sym = xkb_state_key_get_one_sym(m_xkb_state, code + 8);
    const bool shift =
        xkb_state_mod_name_is_active(m_xkb_state, XKB_MOD_NAME_SHIFT, XKB_STATE_MODS_EFFECTIVE) > 0;
    switch (sym) {
    case XKB_KEY_Escape: return Key::Escape;
    case XKB_KEY_Tab: return shift ? Key::BackTab : Key::Tab;
    case XKB_KEY_ISO_Left_Tab: return Key::BackTab;
    case XKB_KEY_space:
    case XKB_KEY_KP_Space: return Key::Space;
    case XKB_KEY_Return:
    case XKB_KEY_KP_Enter: return Key::Enter;
    case XKB_KEY_Left:
    case XKB_KEY_KP_Left: return Key::Left;
    case XKB_KEY_Right:
    case XKB_KEY_KP_Right: return Key::Right;
    case XKB_KEY_Up:
    case XKB_KEY_KP_Up: return Key::Up;
    case XKB_KEY_Down:
    case XKB_KEY_KP_Down: return Key::Down;
    case XKB_KEY_Page_Up:
    case XKB_KEY_KP_Page_Up: return Key::PageUp;
    case XKB_KEY_Page_Down:
    case XKB_KEY_KP_Page_Down: return Key::PageDown;
    case XKB_KEY_Home:
    case XKB_KEY_KP_Home: return Key::Home;
    case XKB_KEY_End:
    case XKB_KEY_KP_End: return Key::End;
    default: return Key::Other;
    }
}

void WaylandHost::key(std::uint32_t code, bool pressed)
{
    WaylandWindow* window = find(m_keyboard_surface);
    if (!pressed || !window || !window->takes_input())
        return;
    InputEvent event;
    event.kind = InputEvent::Kind::Key;
    event.window = window;
    event.key = key_of(code);
    queue_input(event);
}

int WaylandHost::show_cursor(bool show)
{
    m_cursor_count += show ? 1 : -1;
    apply_cursor();
    wl_display_flush(m_display);
    return m_cursor_count;
}

void WaylandHost::apply_cursor()
{
    // The cursor is ours to set only while the pointer is over a surface of
    // ours, with the serial of its entry.
    if (!m_pointer || !find(m_pointer_surface))
        return;
    if (m_cursor_count < 0) {
        wl_pointer_set_cursor(m_pointer, m_enter_serial, nullptr, 0, 0);
        return;
    }
    if (!m_cursor_theme) {
        const char* size = std::getenv("XCURSOR_SIZE");
        const int pixels = size && std::atoi(size) > 0 ? std::atoi(size) : kCursorSize;
        m_cursor_theme = wl_cursor_theme_load(std::getenv("XCURSOR_THEME"), pixels, m_shm);
    }
    wl_cursor* cursor = m_cursor_theme ? wl_cursor_theme_get_cursor(m_cursor_theme, "left_ptr") : nullptr;
    if (!cursor)
        cursor = m_cursor_theme ? wl_cursor_theme_get_cursor(m_cursor_theme, "default") : nullptr;
    if (!cursor || cursor->image_count == 0)
        return; // no theme installed: the compositor's cursor stays
    wl_cursor_image* image = cursor->images[0];
    if (!m_cursor_surface)
        m_cursor_surface = wl_compositor_create_surface(m_compositor);
    wl_surface_attach(m_cursor_surface, wl_cursor_image_get_buffer(image), 0, 0);
    wl_surface_damage(m_cursor_surface, 0, 0, int(image->width), int(image->height));
    wl_surface_commit(m_cursor_surface);
    wl_pointer_set_cursor(m_pointer, m_enter_serial, m_cursor_surface, int(image->hotspot_x),
                          int(image->hotspot_y));
}

gfx::Point WaylandHost::cursor_pos()
{
    // Only over a window of ours is the pointer known: there it is that
    // window's place plus the pointer's pixel in it.
    if (WaylandWindow* window = find(m_pointer_surface))
        return {window->rect().x + int(m_pointer_x * window->scale()),
                window->rect().y + int(m_pointer_y * window->scale())};
    return {0, 0};
}

} // namespace host::wl
