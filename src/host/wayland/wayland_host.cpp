#include "host/wayland/wayland_host_impl.h"

#include "host/monitors.h"
#include "host/x11/x11_signals.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace host::wl {

namespace {

// How long the saver outlives its last output, waiting for one to come
// back: a cable re-seated, a KVM switched back or a dock enumerating its
// outputs again takes one to three seconds, and the saver carries on over
// such a gap. An output in deep standby, or unplugged, stays away: then the
// saver ends, so that it holds no lock with nothing to show and the next
// idle time starts a saver again.
constexpr std::uint64_t kNoOutputGraceMs = 5000;

// The versions whose requests and events the host uses; a compositor that
// offers less is bound at what it offers.
constexpr std::uint32_t kCompositorVersion = 4; // damage_buffer
constexpr std::uint32_t kWmBaseVersion = 3;
constexpr std::uint32_t kLayerShellVersion = 3;
constexpr std::uint32_t kXdgOutputVersion = 3; // names
constexpr std::uint32_t kScreencopyVersion = 2;
constexpr std::uint32_t kSeatVersion = 5;
constexpr std::uint32_t kOutputVersion = 2; // done, scale

template <typename T>
T* bind(wl_registry* registry, std::uint32_t name, const wl_interface& interface,
        std::uint32_t offered, std::uint32_t wanted)
{
    return static_cast<T*>(wl_registry_bind(registry, name, &interface, std::min(offered, wanted)));
}

void registry_global(void* host, wl_registry* registry, std::uint32_t name, const char* interface,
                     std::uint32_t version)
{
    static_cast<WaylandHost*>(host)->global_added(registry, name, interface, version);
}

void registry_global_remove(void* host, wl_registry*, std::uint32_t name)
{
    static_cast<WaylandHost*>(host)->global_removed(name);
}

const wl_registry_listener kRegistryListener = {registry_global, registry_global_remove};

void wm_base_ping(void*, xdg_wm_base* base, std::uint32_t serial)
{
    xdg_wm_base_pong(base, serial);
}

const xdg_wm_base_listener kWmBaseListener = {wm_base_ping};

void output_geometry(void* data, wl_output*, std::int32_t, std::int32_t, std::int32_t,
                     std::int32_t, std::int32_t, const char*, const char*, std::int32_t transform)
{
    static_cast<Output*>(data)->transform = transform;
}

void output_mode(void* data, wl_output*, std::uint32_t flags, std::int32_t width,
                 std::int32_t height, std::int32_t)
{
    if (!(flags & WL_OUTPUT_MODE_CURRENT))
        return;
    // A compositor may announce any size: the saver's frames are made at
    // it, so it is taken only up to what a real monitor has.
    const Size bounded = bounded_monitor_size(width, height);
    auto* output = static_cast<Output*>(data);
    output->mode_width = bounded.width;
    output->mode_height = bounded.height;
}

void output_done(void* data, wl_output*)
{
    static_cast<Output*>(data)->host->layout_outputs();
}

void output_scale(void* data, wl_output*, std::int32_t factor)
{
    static_cast<Output*>(data)->scale = bounded_monitor_scale(factor);
}

void output_name(void* data, wl_output*, const char* name)
{
    static_cast<Output*>(data)->name = name ? name : "";
}

void output_description(void*, wl_output*, const char*) {}

const wl_output_listener kOutputListener = {output_geometry, output_mode,     output_done,
                                            output_scale,    output_name,     output_description};

void xdg_output_position(void*, zxdg_output_v1*, std::int32_t, std::int32_t) {}
void xdg_output_size(void*, zxdg_output_v1*, std::int32_t, std::int32_t) {}
void xdg_output_done(void*, zxdg_output_v1*) {}
void xdg_output_name(void* data, zxdg_output_v1*, const char* name)
{
    static_cast<Output*>(data)->name = name ? name : "";
}
void xdg_output_description(void*, zxdg_output_v1*, const char*) {}

const zxdg_output_v1_listener kXdgOutputListener = {xdg_output_position, xdg_output_size,
                                                    xdg_output_done, xdg_output_name,
                                                    xdg_output_description};

void seat_capabilities(void* host, wl_seat*, std::uint32_t capabilities)
{
    static_cast<WaylandHost*>(host)->seat_capabilities(capabilities);
}

void seat_name(void*, wl_seat*, const char*) {}

const wl_seat_listener kSeatListener = {seat_capabilities, seat_name};

gfx::Rect bounds_of(const std::vector<gfx::Rect>& rects)
{
    int right = 0, bottom = 0;
    for (const gfx::Rect& r : rects) {
        right = std::max(right, r.x + r.width);
        bottom = std::max(bottom, r.y + r.height);
    }
    return {0, 0, right, bottom};
}

} // namespace

WaylandHost::WaylandHost(wl_display* display, const WaylandHostOptions& options)
    : m_display(display), m_options(options)
{
    loop().set_pause_log(options.verbose);
}

WaylandHost::~WaylandHost()
{
    for (auto& output : m_outputs)
        output->destroy();
    destroy_proxy(m_cursor_surface, wl_surface_destroy);
    destroy_proxy(m_cursor_theme, wl_cursor_theme_destroy);
    destroy_proxy(m_pointer, wl_pointer_destroy);
    destroy_proxy(m_keyboard, wl_keyboard_destroy);
    xkb_state_unref(m_xkb_state);
    xkb_keymap_unref(m_xkb_keymap);
    xkb_context_unref(m_xkb_context);
    destroy_proxy(m_seat, wl_seat_destroy);
    destroy_proxy(m_screencopy, zwlr_screencopy_manager_v1_destroy);
    destroy_proxy(m_xdg_output_manager, zxdg_output_manager_v1_destroy);
    destroy_proxy(m_power_manager, zwlr_output_power_manager_v1_destroy);
    destroy_proxy(m_layer_shell, zwlr_layer_shell_v1_destroy);
    destroy_proxy(m_wm_base, xdg_wm_base_destroy);
    destroy_proxy(m_subcompositor, wl_subcompositor_destroy);
    destroy_proxy(m_shm, wl_shm_destroy);
    destroy_proxy(m_compositor, wl_compositor_destroy);
    destroy_proxy(m_registry, wl_registry_destroy);
    wl_display_roundtrip(m_display);
    wl_display_disconnect(m_display);
}

void WaylandHost::global_added(wl_registry* registry, std::uint32_t name, const char* interface,
                               std::uint32_t version)
{
    const std::string_view which(interface);
    if (which == wl_compositor_interface.name) {
        m_compositor = bind<wl_compositor>(registry, name, wl_compositor_interface, version,
                                           kCompositorVersion);
        m_compositor_version = int(std::min(version, kCompositorVersion));
    } else if (which == wl_subcompositor_interface.name) {
        m_subcompositor = bind<wl_subcompositor>(registry, name, wl_subcompositor_interface, version, 1);
    } else if (which == wl_shm_interface.name) {
        m_shm = bind<wl_shm>(registry, name, wl_shm_interface, version, 1);
    } else if (which == xdg_wm_base_interface.name) {
        m_wm_base = bind<xdg_wm_base>(registry, name, xdg_wm_base_interface, version, kWmBaseVersion);
        xdg_wm_base_add_listener(m_wm_base, &kWmBaseListener, this);
    } else if (which == zwlr_layer_shell_v1_interface.name && m_options.use_layer_shell) {
        m_layer_shell = bind<zwlr_layer_shell_v1>(registry, name, zwlr_layer_shell_v1_interface,
                                                  version, kLayerShellVersion);
    } else if (which == zxdg_output_manager_v1_interface.name) {
        m_xdg_output_manager = bind<zxdg_output_manager_v1>(
            registry, name, zxdg_output_manager_v1_interface, version, kXdgOutputVersion);
    } else if (which == zwlr_screencopy_manager_v1_interface.name) {
        m_screencopy = bind<zwlr_screencopy_manager_v1>(
            registry, name, zwlr_screencopy_manager_v1_interface, version, kScreencopyVersion);
    } else if (which == wl_seat_interface.name && !m_seat) {
        m_seat = bind<wl_seat>(registry, name, wl_seat_interface, version, kSeatVersion);
        wl_seat_add_listener(m_seat, &kSeatListener, this);
    } else if (which == zwlr_output_power_manager_v1_interface.name) {
        bind_power_manager(registry, name, version);
    } else if (which == wl_output_interface.name) {
        output_added(name, version);
    }
}

void WaylandHost::output_added(std::uint32_t name, std::uint32_t version)
{
    auto output = std::make_unique<Output>();
    output->host = this;
    output->global_name = name;
    output->output = bind<wl_output>(m_registry, name, wl_output_interface, version, kOutputVersion);
    wl_output_add_listener(output->output, &kOutputListener, output.get());
    if (m_xdg_output_manager) {
        output->xdg_output = zxdg_output_manager_v1_get_xdg_output(m_xdg_output_manager, output->output);
        zxdg_output_v1_add_listener(output->xdg_output, &kXdgOutputListener, output.get());
    }
    watch_power(*output);
    m_outputs.push_back(std::move(output));
}

void WaylandHost::global_removed(std::uint32_t name)
{
    for (auto it = m_outputs.begin(); it != m_outputs.end(); ++it) {
        Output* output = it->get();
        if (output->global_name != name)
            continue;
        // A window on the output that went loses its role; its surface must
        // not name the output again. The windows hear of the new outputs
        // from watch_outputs().
        for (WaylandWindow* window : std::vector<WaylandWindow*>(m_windows))
            if (alive(window) && window->output() == output)
                window->output_gone();
        output->destroy();
        m_outputs.erase(it);
        layout_outputs();
        return;
    }
}

bool WaylandHost::start(std::string& error)
{
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &kRegistryListener, this);
    roundtrip();
    // Outputs announced before the xdg-output manager still need its names.
    if (m_xdg_output_manager)
        for (auto& output : m_outputs)
            if (!output->xdg_output) {
                output->xdg_output =
                    zxdg_output_manager_v1_get_xdg_output(m_xdg_output_manager, output->output);
                zxdg_output_v1_add_listener(output->xdg_output, &kXdgOutputListener, output.get());
            }
    roundtrip();
    if (!m_compositor || !m_shm) {
        error = "the Wayland compositor offers no shared-memory surfaces";
        return false;
    }
    if (!m_wm_base && !m_layer_shell) {
        error = "the Wayland compositor offers neither xdg-shell nor the layer shell";
        return false;
    }
    layout_outputs();
    if (!m_options.output_name.empty()
        && std::none_of(m_outputs.begin(), m_outputs.end(),
                        [&](const auto& o) { return o->name == m_options.output_name; })) {
        const Output* first = figure_output();
        std::fprintf(stderr, "orvelune: no output is named %s; the figure plays on %s\n",
                     m_options.output_name.c_str(),
                     first && !first->name.empty() ? first->name.c_str() : "the first output");
    }
    return true;
}

Output* WaylandHost::figure_output()
{
    Output* first = nullptr;
    for (auto& output : m_outputs) {
        if (!output->known())
            continue;
        if (!m_options.output_name.empty() && output->name == m_options.output_name)
            return output.get();
        if (!first)
            first = output.get();
    }
    return first;
}

void WaylandHost::layout_outputs()
{
    // The figure's output at the origin and the others in a row to its
    // right: the engine plays on the first monitor and covers the others,
    // wherever the compositor puts them.
    Output* figure = figure_output();
    int x = 0;
    if (figure) {
        figure->rect = {0, 0, figure->pixel_width(), figure->pixel_height()};
        x = figure->rect.width;
    }
    for (auto& output : m_outputs) {
        if (output.get() == figure || !output->known())
            continue;
        output->rect = {x, 0, output->pixel_width(), output->pixel_height()};
        x += output->rect.width;
    }
}

Output* WaylandHost::output_for(const gfx::Rect& rect)
{
    for (auto& output : m_outputs)
        if (output->known() && output->rect == rect)
            return output.get();
    const int cx = rect.x + rect.width / 2, cy = rect.y + rect.height / 2;
    for (auto& output : m_outputs) {
        const gfx::Rect& r = output->rect;
        if (output->known() && cx >= r.x && cy >= r.y && cx < r.x + r.width && cy < r.y + r.height)
            return output.get();
    }
    return figure_output();
}

std::vector<WaylandHost::OutputPlace> WaylandHost::output_places()
{
    std::vector<OutputPlace> places;
    Output* figure = figure_output();
    if (figure)
        places.push_back({figure->global_name, figure->rect, figure->scale});
    for (auto& output : m_outputs)
        if (output->known() && output.get() != figure)
            places.push_back({output->global_name, output->rect, output->scale});
    return places;
}

std::vector<gfx::Rect> WaylandHost::monitors()
{
    if (m_options.placement == WaylandPlacement::OrdinaryWindow)
        return {gfx::Rect{0, 0, m_options.ordinary_size.width, m_options.ordinary_size.height}};
    // What the saver lays its windows out by: a change from it is told.
    m_places_given = output_places();
    ++m_layout;
    m_change_told = false;
    m_output_resized = false;
    std::vector<gfx::Rect> found;
    for (const OutputPlace& place : m_places_given)
        found.push_back(place.rect);
    // A compositor without outputs yet (all switched off): one screen of a
    // usual size, so that nothing is ever drawn into nothing.
    if (found.empty())
        found.push_back({0, 0, 1024, 768});
    return found;
}

Size WaylandHost::screen_size()
{
    if (m_options.placement == WaylandPlacement::OrdinaryWindow)
        return m_options.ordinary_size;
    std::vector<gfx::Rect> found;
    for (const OutputPlace& place : output_places())
        found.push_back(place.rect);
    if (found.empty())
        return {1024, 768};
    const gfx::Rect bounds = bounds_of(found);
    return {bounds.width, bounds.height};
}

bool WaylandHost::over_outputs() const
{
    return m_options.placement != WaylandPlacement::OrdinaryWindow
           && std::any_of(m_windows.begin(), m_windows.end(), [](const WaylandWindow* w) {
                  return w->role() == WindowRole::Layer || w->role() == WindowRole::Fullscreen;
              });
}

std::optional<std::uint64_t> WaylandHost::no_output_deadline() const
{
    if (!m_outputs_gone_at)
        return std::nullopt;
    return *m_outputs_gone_at + kNoOutputGraceMs;
}

void WaylandHost::watch_outputs()
{
    // The dialog and the ordinary window (-window) do not depend on outputs.
    if (!over_outputs()) {
        m_outputs_gone_at.reset();
        return;
    }
    const std::vector<OutputPlace> places = output_places();
    if (places.empty()) {
        const std::uint64_t now = now_ms();
        if (!m_outputs_gone_at) {
            m_outputs_gone_at = now;
            std::fprintf(stderr, "orvelune: no output is left to show the saver on; it ends in %d s "
                                 "unless one comes\n", int(kNoOutputGraceMs / 1000));
        } else if (now >= *no_output_deadline()) {
            std::fprintf(stderr, "orvelune: no output came: the saver ends\n");
            end_process(0);
        }
        return;
    }
    m_outputs_gone_at.reset();
    // Told once per layout given: the saver starts over on the new outputs
    // and asks for them anew.
    if (m_change_told || (places == m_places_given && !m_output_resized))
        return;
    m_change_told = true;
    for (WaylandWindow* window : m_windows)
        if (window->role() == WindowRole::Layer || window->role() == WindowRole::Fullscreen) {
            InputEvent event;
            event.kind = InputEvent::Kind::MonitorsChanged;
            event.window = window;
            queue_input(event);
        }
}

std::optional<gfx::Rect> WaylandHost::native_window_rect(NativeHandle window)
{
    for (WaylandWindow* ours : m_windows)
        if (ours->native_handle() == window)
            return ours->rect();
    return std::nullopt;
}

std::uint64_t WaylandHost::now_ms()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::uint64_t(now.tv_sec) * 1000 + std::uint64_t(now.tv_nsec) / 1000000;
}

void WaylandHost::wait_for_decoder(int decoder_fd, int timeout_ms)
{
    // The compositor's events and the end signals keep coming meanwhile, so
    // a click or SIGTERM ends the saver however long the picture takes.
    pump(timeout_ms, decoder_fd);
}

void WaylandHost::window_created(WaylandWindow& window)
{
    m_windows.push_back(&window);
}

void WaylandHost::window_destroyed(WaylandWindow& window)
{
    std::erase(m_windows, &window);
    if (m_drawn == &window)
        m_drawn = nullptr;
    std::erase_if(m_input, [&](const InputEvent& e) { return e.window == &window; });
    if (m_pointer_surface == window.surface())
        m_pointer_surface = nullptr;
    if (m_keyboard_surface == window.surface())
        m_keyboard_surface = nullptr;
}

bool WaylandHost::alive(const WaylandWindow* window) const
{
    return std::find(m_windows.begin(), m_windows.end(), window) != m_windows.end();
}

WaylandWindow* WaylandHost::find(wl_surface* surface) const
{
    if (!surface)
        return nullptr;
    for (WaylandWindow* window : m_windows)
        if (window->surface() == surface)
            return window;
    return nullptr;
}

void WaylandHost::record_damage(const WaylandWindow& window, std::span<const gfx::Rect> damage)
{
    if (m_recorder)
        m_recorder(window, damage);
}

void WaylandHost::end_process(int status)
{
    // Everything committed reaches the compositor before the connection goes.
    wl_display_flush(m_display);
    std::fflush(nullptr);
    _exit(status);
}

std::string wayland_socket_problem(const char* value)
{
    // The value as a person can read it: short, printable.
    std::string shown;
    for (const char* c = value; *c && shown.size() < 40; ++c)
        shown += std::isprint(static_cast<unsigned char>(*c)) ? *c : '?';
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(value, &end, 10);
    if (!std::isdigit(static_cast<unsigned char>(value[0])) || *end != '\0' || errno != 0
        || number > INT_MAX)
        return "WAYLAND_SOCKET is \"" + shown + "\", which is no descriptor number";
    const int fd = int(number);
    struct stat info {};
    if (fcntl(fd, F_GETFD) == -1 || fstat(fd, &info) != 0)
        return "WAYLAND_SOCKET names descriptor " + shown + ", which is not open";
    if (!S_ISSOCK(info.st_mode))
        return "WAYLAND_SOCKET names descriptor " + shown + ", which is no socket";
    return {};
}

} // namespace host::wl

namespace host {

std::unique_ptr<Host> open_wayland_host(const WaylandHostOptions& options, std::string& error)
{
    std::setlocale(LC_CTYPE, "");
    // The client library takes a descriptor in WAYLAND_SOCKET before the
    // name in WAYLAND_DISPLAY, and tells nothing of why one is refused.
    const char* handed = std::getenv("WAYLAND_SOCKET");
    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (handed) {
        error = wl::wayland_socket_problem(handed);
        if (!error.empty())
            return nullptr;
    } else if (!name || !*name) {
        error = "no Wayland compositor: WAYLAND_DISPLAY is not set";
        return nullptr;
    }
    const std::string handed_text = handed ? handed : "";
    if (options.end_on_signals && !x11::EndSignals::install(error))
        return nullptr;
    errno = 0;
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        const std::string reason = errno ? std::strerror(errno) : "the client library gave no reason";
        error = handed ? "cannot connect to the Wayland compositor through WAYLAND_SOCKET (descriptor "
                             + handed_text + "): " + reason
                       : std::string("cannot connect to the Wayland compositor \"") + name
                             + "\": " + reason;
        return nullptr;
    }
    auto host = std::make_unique<wl::WaylandHost>(display, options);
    if (!host->start(error))
        return nullptr;
    return host;
}

bool record_wayland_damage(Host& host, WaylandDamageRecorder recorder)
{
    auto* wayland = dynamic_cast<wl::WaylandHost*>(&host);
    if (!wayland)
        return false;
    wayland->set_damage_recorder(std::move(recorder));
    return true;
}

int wayland_buffer_scale(const Window& window)
{
    const auto* wayland = dynamic_cast<const wl::WaylandWindow*>(&window);
    return wayland ? wayland->scale() : 0;
}

} // namespace host
