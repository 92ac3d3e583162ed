// How each kind of window is made and shown. A window gets its role (layer
// surface, xdg-shell window, subsurface) when it is shown and gives it up
// when it is hidden: a surface shown again starts over with a commit of no
// buffer and waits for the compositor's configure, as the protocols ask.
#include "host/monitors.h"
#include "host/wayland/wayland_host_impl.h"

#include <algorithm>
#include <cstdio>

namespace host::wl {

namespace {

// How long a new surface waits for the compositor's first configure before
// it is given up as refused.
constexpr int kConfigureWaitMs = 2000;

void layer_configure(void* window, zwlr_layer_surface_v1*, std::uint32_t serial,
                     std::uint32_t width, std::uint32_t height)
{
    static_cast<WaylandWindow*>(window)->configured(serial, int(width), int(height));
}

void layer_closed(void* window, zwlr_layer_surface_v1*)
{
    static_cast<WaylandWindow*>(window)->role_closed();
}

const zwlr_layer_surface_v1_listener kLayerListener = {layer_configure, layer_closed};

void xdg_surface_configure(void* window, xdg_surface*, std::uint32_t serial)
{
    static_cast<WaylandWindow*>(window)->configured(serial, -1, -1);
}

const xdg_surface_listener kXdgSurfaceListener = {xdg_surface_configure};

void toplevel_configure(void* window, xdg_toplevel*, std::int32_t width, std::int32_t height,
                        wl_array* states)
{
    // Only a full-screen window's size is its output's: the size a
    // compositor may give before it applies the full-screen state says
    // nothing of the output.
    bool fullscreen = false;
    const auto* state = static_cast<const std::uint32_t*>(states->data);
    for (std::size_t i = 0; i < states->size / sizeof(std::uint32_t); ++i)
        fullscreen = fullscreen || state[i] == XDG_TOPLEVEL_STATE_FULLSCREEN;
    static_cast<WaylandWindow*>(window)->toplevel_sized(fullscreen ? width : 0, fullscreen ? height : 0);
}

void toplevel_close(void* window, xdg_toplevel*)
{
    static_cast<WaylandWindow*>(window)->role_closed();
}

void toplevel_bounds(void*, xdg_toplevel*, std::int32_t, std::int32_t) {}
void toplevel_capabilities(void*, xdg_toplevel*, wl_array*) {}

const xdg_toplevel_listener kToplevelListener = {toplevel_configure, toplevel_close,
                                                 toplevel_bounds, toplevel_capabilities};

void frame_done(void* window, wl_callback* callback, std::uint32_t)
{
    wl_callback_destroy(callback);
    static_cast<WaylandWindow*>(window)->frame_done();
}

} // namespace

const wl_callback_listener kFrameListener = {frame_done};

std::unique_ptr<host::Window> WaylandHost::create_window(const WindowOptions& options,
                                                         WindowHandler& handler)
{
    if (options.parent != 0) {
        // The preview's pane is another program's window, which Wayland
        // never hands to a client.
        std::fprintf(stderr, "orvelune: Wayland gives no window of another program to draw into\n");
        return nullptr;
    }
    if (options.overlay) {
        // The card over the dialog: a subsurface of the window it lies over.
        for (auto it = m_windows.rbegin(); it != m_windows.rend(); ++it)
            if ((*it)->role() == WindowRole::Toplevel && m_subcompositor)
                return std::make_unique<WaylandWindow>(*this, handler, options,
                                                       WindowRole::Subsurface, nullptr, *it);
    }
    // The dialog, the card without a dialog and the ordinary window (-window)
    // are windows of their own size.
    const bool ordinary = m_options.placement == WaylandPlacement::OrdinaryWindow;
    if (options.takes_keyboard || options.overlay || ordinary || !m_wm_base) {
        if (!m_wm_base && !m_layer_shell)
            return nullptr;
        if (m_wm_base && (options.takes_keyboard || options.overlay || ordinary)) {
            WindowOptions placed = options;
            if (ordinary && !options.takes_keyboard)
                placed.rect = {0, 0, m_options.ordinary_size.width, m_options.ordinary_size.height};
            return std::make_unique<WaylandWindow>(*this, handler, placed, WindowRole::Toplevel,
                                                   nullptr, nullptr);
        }
    }
    // The saver's window and the covers of the other outputs: one surface
    // over each output.
    Output* output = output_for(options.rect);
    const WindowRole role = m_layer_shell ? WindowRole::Layer : WindowRole::Fullscreen;
    return std::make_unique<WaylandWindow>(*this, handler, options, role, output, nullptr);
}

WaylandWindow::WaylandWindow(WaylandHost& host, WindowHandler& handler,
                             const WindowOptions& options, WindowRole role, Output* output,
                             WaylandWindow* parent)
    : LoopWindow(host.loop(), handler, options), m_host(host), m_role(role), m_output(output),
      m_parent(parent), m_handle(host.next_handle()), m_layout(host.layout()), m_rect(options.rect), m_title(options.title),
      m_takes_keyboard(options.takes_keyboard), m_buffers(host)
{
    // A surface over an output is drawn at the output's pixel size with its
    // scale set, so that a scaled output shows the frame's pixels one to one.
    // A frame that the scale does not divide (a fractional scale) is drawn
    // at scale 1 and left to the compositor.
    if (output && (role == WindowRole::Layer || role == WindowRole::Fullscreen)
        && frame().width() % output->scale == 0 && frame().height() % output->scale == 0)
        m_scale = output->scale;
    // A window that can draw itself at any scale (the dialog) is drawn at the
    // scale of the output it opens on, its frame that many times its size, so
    // that its text is as sharp there as the saver's pixels.
    if (options.scalable && role == WindowRole::Toplevel)
        if (const Output* on = host.output_for(options.rect); on && on->scale > 1 && !options.frame_limit) {
            m_scale = m_drawing_scale = on->scale;
            resize_frame(options.rect.width * m_scale, options.rect.height * m_scale);
        }
    m_surface = wl_compositor_create_surface(host.compositor());
    host.window_created(*this);
    if (options.visible)
        show(true);
}

WaylandWindow::~WaylandWindow()
{
    m_host.window_destroyed(*this);
    destroy_role();
    m_buffers.clear();
    wl_surface_destroy(m_surface);
    wl_display_flush(m_host.display());
}

bool WaylandWindow::takes_input() const
{
    return m_host.options().placement != WaylandPlacement::Wallpaper || m_takes_keyboard;
}

void WaylandWindow::create_role()
{
    m_configured = false;
    wl_surface_set_buffer_scale(m_surface, m_scale);
    // Every pixel is opaque: the compositor need draw nothing beneath.
    wl_region* opaque = wl_compositor_create_region(m_host.compositor());
    wl_region_add(opaque, 0, 0, std::max(frame().width() / m_scale, 1), std::max(frame().height() / m_scale, 1));
    wl_surface_set_opaque_region(m_surface, opaque);
    wl_region_destroy(opaque);
    switch (m_role) {
    case WindowRole::Layer: {
        const bool wallpaper = m_host.options().placement == WaylandPlacement::Wallpaper;
        m_layer = zwlr_layer_shell_v1_get_layer_surface(
            m_host.layer_shell(), m_surface, m_output ? m_output->output : nullptr,
            wallpaper ? ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND : ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY,
            "orvelune");
        zwlr_layer_surface_v1_add_listener(m_layer, &kLayerListener, this);
        zwlr_layer_surface_v1_set_anchor(m_layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP
                                                      | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM
                                                      | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT
                                                      | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
        // Over panels too, and never moved aside for them.
        zwlr_layer_surface_v1_set_exclusive_zone(m_layer, -1);
        // The figure's surface takes every key while the saver runs; the
        // covers and the wallpaper take none.
        const bool keys = !wallpaper && m_output == m_host.figure_output();
        zwlr_layer_surface_v1_set_keyboard_interactivity(m_layer, keys ? 1 : 0);
        if (wallpaper) {
            // No input at all: clicks go to the desktop beneath.
            wl_region* none = wl_compositor_create_region(m_host.compositor());
            wl_surface_set_input_region(m_surface, none);
            wl_region_destroy(none);
        }
        break;
    }
    case WindowRole::Fullscreen:
    case WindowRole::Toplevel:
        m_xdg_surface = xdg_wm_base_get_xdg_surface(m_host.wm_base(), m_surface);
        xdg_surface_add_listener(m_xdg_surface, &kXdgSurfaceListener, this);
        m_toplevel = xdg_surface_get_toplevel(m_xdg_surface);
        xdg_toplevel_add_listener(m_toplevel, &kToplevelListener, this);
        xdg_toplevel_set_app_id(m_toplevel, "orvelune");
        xdg_toplevel_set_title(m_toplevel, m_title.c_str());
        if (m_role == WindowRole::Fullscreen) {
            xdg_toplevel_set_fullscreen(m_toplevel, m_output ? m_output->output : nullptr);
        } else {
            // A window of one size: tiling compositors float it, as a dialog.
            const int w = std::max(m_rect.width, 1), h = std::max(m_rect.height, 1);
            xdg_toplevel_set_min_size(m_toplevel, w, h);
            xdg_toplevel_set_max_size(m_toplevel, w, h);
        }
        break;
    case WindowRole::Subsurface:
        m_subsurface = wl_subcompositor_get_subsurface(m_host.subcompositor(), m_surface,
                                                       m_parent->surface());
        place_subsurface();
        // Its frames show when it commits, not when the dialog next does.
        wl_subsurface_set_desync(m_subsurface);
        wl_subsurface_place_above(m_subsurface, m_parent->surface());
        // A subsurface, its place and its stacking take effect with the
        // parent's next commit; the dialog under the card draws nothing
        // meanwhile, so it commits now, its picture unchanged.
        wl_surface_commit(m_parent->surface());
        m_configured = true;
        return;
    }
    wl_surface_commit(m_surface);
}

void WaylandWindow::place_subsurface()
{
    const gfx::Rect shown = shown_part();
    wl_subsurface_set_position(m_subsurface, m_rect.x + shown.x - m_parent->rect().x,
                               m_rect.y + shown.y - m_parent->rect().y);
}

void WaylandWindow::destroy_role()
{
    destroy_proxy(m_frame_callback, wl_callback_destroy);
    m_frame_pending = false;
    destroy_proxy(m_layer, zwlr_layer_surface_v1_destroy);
    destroy_proxy(m_toplevel, xdg_toplevel_destroy);
    destroy_proxy(m_xdg_surface, xdg_surface_destroy);
    destroy_proxy(m_subsurface, wl_subsurface_destroy);
    m_mapped = false;
    m_configured = false;
}

void WaylandWindow::configured(std::uint32_t serial, int width, int height)
{
    if (m_layer)
        zwlr_layer_surface_v1_ack_configure(m_layer, serial);
    else if (m_xdg_surface)
        xdg_surface_ack_configure(m_xdg_surface, serial);
    // An xdg-shell window's size came with its toplevel's configure.
    if (width < 0 && height < 0) {
        width = m_toplevel_size.width;
        height = m_toplevel_size.height;
    }
    // A surface over an output follows the output's size: once the
    // compositor gives it another size than before, and not its frame's,
    // the output changed (turned, resized, rescaled), and the saver starts
    // over on the outputs as they are now.
    if ((m_role == WindowRole::Layer || m_role == WindowRole::Fullscreen) && width > 0 && height > 0) {
        const Size given = bounded_monitor_size(width, height);
        const bool fits = frame().width() == given.width * m_scale
                          && frame().height() == given.height * m_scale;
        if (!fits && m_configured_size.width > 0 && given != m_configured_size)
            m_host.output_resized(*this);
        m_configured_size = given;
    }
    m_configured = true;
}

void WaylandWindow::output_gone()
{
    m_output = nullptr;
    if (m_layer || m_xdg_surface)
        role_closed();
}

void WaylandWindow::role_closed()
{
    // The compositor took the surface away (its output went, or it asked the
    // window to close): what is shown goes, and the owner is told.
    destroy_role();
    wl_surface_attach(m_surface, nullptr, 0, 0);
    wl_surface_commit(m_surface);
    m_visible = false;
    InputEvent event;
    event.kind = InputEvent::Kind::Close;
    event.window = this;
    m_host.queue_input(event);
}

bool WaylandWindow::map()
{
    if (m_role == WindowRole::Subsurface && !m_host.alive(m_parent))
        return false;
    if ((m_role == WindowRole::Layer || m_role == WindowRole::Fullscreen) && !m_output) {
        std::fprintf(stderr, "orvelune: the compositor has no output to show the saver on\n");
        return false;
    }
    create_role();
    const std::uint64_t until = m_host.now_ms() + kConfigureWaitMs;
    while (!m_configured && m_host.now_ms() < until)
        m_host.pump(int(until - m_host.now_ms()));
    if (!m_configured) {
        std::fprintf(stderr, "orvelune: the Wayland compositor did not configure a window\n");
        destroy_role();
        return false;
    }
    m_mapped = true;
    present({}, true);
    return true;
}

void WaylandWindow::unmap()
{
    destroy_role();
    wl_surface_attach(m_surface, nullptr, 0, 0);
    wl_surface_commit(m_surface);
    m_buffers.clear();
    wl_display_flush(m_host.display());
}

void WaylandWindow::show(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    if (visible) {
        if (!map())
            m_visible = false;
    } else {
        unmap();
    }
}

void WaylandWindow::set_title(std::string_view utf8)
{
    m_title = std::string(utf8);
    if (m_toplevel)
        xdg_toplevel_set_title(m_toplevel, m_title.c_str());
}

void WaylandWindow::move(gfx::Rect rect)
{
    const bool moved = rect.x != m_rect.x || rect.y != m_rect.y;
    const bool resized = rect.width != m_rect.width || rect.height != m_rect.height;
    m_rect = rect;
    if (resized) {
        resize_frame(rect.width * m_drawing_scale, rect.height * m_drawing_scale);
        if (m_toplevel && m_role == WindowRole::Toplevel) {
            const int w = std::max(rect.width, 1), h = std::max(rect.height, 1);
            xdg_toplevel_set_min_size(m_toplevel, w, h);
            xdg_toplevel_set_max_size(m_toplevel, w, h);
        }
        if (m_mapped)
            present({}, true);
    }
    if (!moved)
        return;
    if (m_subsurface && m_host.alive(m_parent)) {
        place_subsurface();
        wl_surface_commit(m_parent->surface());
    }
    // A window of ours moved while a button is held on it is being dragged
    // (the dialog by its bar): Wayland leaves the move to the compositor,
    // which takes the pointer from here until the button is let go.
    if (m_toplevel && m_role == WindowRole::Toplevel && m_press_serial != 0 && !m_move_asked
        && m_host.seat()) {
        xdg_toplevel_move(m_toplevel, m_host.seat(), m_press_serial);
        m_move_asked = true;
    }
    wl_display_flush(m_host.display());
}

} // namespace host::wl
