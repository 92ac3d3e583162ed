#include "x11_rig.h"

#include "settings/settings_file.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/Xrandr.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <thread>

namespace x11test {

namespace {

int IgnoreXErrors(Display*, XErrorEvent*)
{
    return 0; // windows of the program under test come and go under us
}

} // namespace

// ---- the server

XvfbRig::XvfbRig(int width, int height) : m_width(width), m_height(height)
{
    const std::optional<std::string> xvfb = find_program("Xvfb");
    if (!xvfb) {
        m_why = "Xvfb is not installed";
        return;
    }
    // Xvfb picks a free display number itself and writes it to this pipe,
    // so tests running side by side never collide.
    int fds[2];
    if (pipe(fds) != 0) {
        m_why = "no pipe";
        return;
    }
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    testrig::SpawnOptions quiet;
    quiet.stderr_path = "/dev/null";
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    m_server = testrig::spawn({*xvfb, "-displayfd", std::to_string(fds[1]), "-screen", "0", screen,
                               "-nolisten", "tcp", "-noreset"},
                              testrig::current_environment(), quiet);
    close(fds[1]);

    std::string number;
    const auto until = Clock::now() + std::chrono::seconds(15);
    while (Clock::now() < until && number.find('\n') == std::string::npos) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 200) <= 0)
            continue;
        char buffer[32];
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        number.append(buffer, std::size_t(n));
    }
    close(fds[0]);
    if (number.empty() || number.find('\n') == std::string::npos) {
        m_why = "Xvfb did not start";
        return;
    }
    m_name = ":" + number.substr(0, number.find('\n'));
    XSetErrorHandler(IgnoreXErrors);
    m_display = XOpenDisplay(m_name.c_str());
    if (!m_display)
        m_why = "cannot open " + m_name;
    else if (m_config_home.path().empty())
        m_why = "cannot make a settings folder";
}

XvfbRig::~XvfbRig()
{
    if (m_display)
        XCloseDisplay(m_display);
    m_server.signal(SIGTERM);
    if (!m_server.wait(std::chrono::seconds(5)))
        m_server.signal(SIGKILL);
}

XID XvfbRig::root() const
{
    return DefaultRootWindow(m_display);
}

void XvfbRig::write_settings(const Settings& settings)
{
    std::filesystem::create_directories(m_config_home / "orvelune");
    save_settings_file(settings_path(), settings);
}

Settings XvfbRig::settings() const
{
    Settings settings{};
    LoadSettings(settings, settings_path());
    return settings;
}

std::string XvfbRig::settings_path() const
{
    return m_config_home / "orvelune/Orvelune.ini";
}

std::vector<std::string> XvfbRig::environment(const std::vector<std::string>& extra) const
{
    std::vector<std::string> env = testrig::current_environment();
    // Run from a Wayland session, the program would otherwise go to its compositor.
    std::erase_if(env, [](const std::string& e) {
        return e.starts_with("XSCREENSAVER_WINDOW=") || e.starts_with("WAYLAND_DISPLAY=");
    });
    testrig::set_variable(env, "DISPLAY=" + m_name);
    testrig::set_variable(env, "XDG_CONFIG_HOME=" + m_config_home.path());
    for (const std::string& e : extra)
        testrig::set_variable(env, e);
    return env;
}

Child XvfbRig::start_orvelune(const std::vector<std::string>& args,
                              const std::vector<std::string>& extra_env, const Launch& launch)
{
    const std::string program = std::string(ORVELUNE_BIN_DIR) + "/orvelune";
    testrig::SpawnOptions options;
    options.stderr_path = launch.stderr_path;
    if (launch.end_signals_blocked)
        options.blocked_signals = {SIGTERM, SIGINT, SIGHUP};
    std::vector<std::string> argv{program};
    if (launch.open_file_limit > 0 || !launch.gate_path.empty() || launch.memory_limit_kib > 0) {
        // The shell closes what it inherited beyond the standard three,
        // lowers the limits, waits at the gate and becomes the program.
        std::string script = "exec 3>&- 4>&- 5>&- 6>&- 7>&- 8>&- 9>&-";
        if (launch.open_file_limit > 0)
            script += " && ulimit -n " + std::to_string(launch.open_file_limit);
        if (launch.memory_limit_kib > 0)
            script += " && ulimit -v " + std::to_string(launch.memory_limit_kib);
        if (!launch.gate_path.empty())
            script += " && { : < '" + launch.gate_path + "'; }";
        script += " && exec \"$0\" \"$@\"";
        argv = {"/bin/sh", "-c", script, program};
    }
    argv.insert(argv.end(), args.begin(), args.end());
    return testrig::spawn(argv, environment(extra_env), options);
}

bool XvfbRig::have_xdotool()
{
    return find_program("xdotool").has_value();
}

bool XvfbRig::xdotool(const std::vector<std::string>& args)
{
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    Child tool = testrig::spawn(argv, environment({}));
    const std::optional<int> status = tool.wait(std::chrono::seconds(10));
    // Let the server deliver what the tool sent before anyone looks.
    XSync(m_display, False);
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
}

namespace {

// _NET_WM_NAME in UTF-8 where the window has it (a Japanese title's WM_NAME
// is compound text), else WM_NAME.
std::optional<std::string> TitleOf(Display* d, Window w)
{
    const Atom net_wm_name = XInternAtom(d, "_NET_WM_NAME", False);
    const Atom utf8_string = XInternAtom(d, "UTF8_STRING", False);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, w, net_wm_name, 0, 1024, False, utf8_string, &type, &format, &items,
                           &after, &data) == Success
        && data) {
        std::optional<std::string> utf8;
        if (type == utf8_string && format == 8)
            utf8 = std::string(reinterpret_cast<const char*>(data), items);
        XFree(data);
        if (utf8)
            return utf8;
    }
    char* name = nullptr;
    if (!XFetchName(d, w, &name) || !name)
        return std::nullopt;
    std::string title(name);
    XFree(name);
    return title;
}

} // namespace

std::optional<XID> XvfbRig::find_window(const std::string& title)
{
    Window root_return = 0, parent_return = 0;
    Window* children = nullptr;
    unsigned count = 0;
    std::optional<XID> found;
    if (!XQueryTree(m_display, root(), &root_return, &parent_return, &children, &count))
        return found;
    for (unsigned i = 0; i < count && !found; ++i) {
        if (TitleOf(m_display, children[i]) == title)
            found = children[i];
    }
    if (children)
        XFree(children);
    return found;
}

int XvfbRig::count_windows(const std::string& title)
{
    Window root_return = 0, parent_return = 0;
    Window* children = nullptr;
    unsigned count = 0;
    int found = 0;
    if (XQueryTree(m_display, root(), &root_return, &parent_return, &children, &count))
        for (unsigned i = 0; i < count; ++i)
            found += TitleOf(m_display, children[i]) == title ? 1 : 0;
    if (children)
        XFree(children);
    return found;
}

bool XvfbRig::is_viewable(XID window)
{
    XWindowAttributes attributes{};
    return XGetWindowAttributes(m_display, window, &attributes)
           && attributes.map_state == IsViewable;
}

std::optional<XID> XvfbRig::wait_for_window(const std::string& title,
                                            std::chrono::milliseconds timeout)
{
    const auto until = Clock::now() + timeout;
    while (Clock::now() < until) {
        if (std::optional<XID> window = find_window(title); window && is_viewable(*window))
            return window;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
}

bool XvfbRig::set_monitors(const std::vector<gfx::Rect>& monitors)
{
    int event_base = 0, error_base = 0, major = 0, minor = 0;
    if (!XRRQueryExtension(m_display, &event_base, &error_base)
        || !XRRQueryVersion(m_display, &major, &minor) || major < 1 || (major == 1 && minor < 5))
        return false;
    // The server's one output goes to the first monitor, which takes the
    // place of the monitor the server made for it over the whole screen.
    XRRScreenResources* resources = XRRGetScreenResources(m_display, root());
    if (!resources || resources->noutput < 1) {
        if (resources)
            XRRFreeScreenResources(resources);
        return false;
    }
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        XRRMonitorInfo* monitor = XRRAllocateMonitor(m_display, i == 0 ? 1 : 0);
        const std::string name = "orvelune-test-" + std::to_string(i);
        monitor->name = XInternAtom(m_display, name.c_str(), False);
        monitor->primary = i == 0;
        monitor->x = monitors[i].x;
        monitor->y = monitors[i].y;
        monitor->width = monitors[i].width;
        monitor->height = monitors[i].height;
        monitor->mwidth = monitors[i].width / 4; // any size in millimetres
        monitor->mheight = monitors[i].height / 4;
        if (i == 0)
            monitor->outputs[0] = resources->outputs[0];
        XRRSetMonitor(m_display, root(), monitor);
        XRRFreeMonitors(monitor);
    }
    XRRFreeScreenResources(resources);
    XSync(m_display, False);

    // What the server now reports, primary first, must be what was asked.
    int count = 0;
    XRRMonitorInfo* got = XRRGetMonitors(m_display, root(), True, &count);
    bool same = got && count == int(monitors.size());
    for (int i = 0; same && i < count; ++i)
        same = got[i].x == monitors[std::size_t(i)].x && got[i].y == monitors[std::size_t(i)].y
               && got[i].width == monitors[std::size_t(i)].width
               && got[i].height == monitors[std::size_t(i)].height
               && bool(got[i].primary) == (i == 0);
    if (got)
        XRRFreeMonitors(got);
    return same;
}

bool XvfbRig::clear_monitors()
{
    int event_base = 0, error_base = 0, count = 0;
    if (!XRRQueryExtension(m_display, &event_base, &error_base))
        return true; // without RandR there were none to clear
    XRRMonitorInfo* monitors = XRRGetMonitors(m_display, root(), False, &count);
    for (int i = 0; monitors && i < count; ++i) {
        char* name = XGetAtomName(m_display, monitors[i].name);
        if (name && std::string_view(name).starts_with("orvelune-test-"))
            XRRDeleteMonitor(m_display, root(), monitors[i].name);
        if (name)
            XFree(name);
    }
    if (monitors)
        XRRFreeMonitors(monitors);
    XSync(m_display, False);
    // The output's own monitor over the whole screen comes back by itself.
    monitors = XRRGetMonitors(m_display, root(), False, &count);
    if (monitors)
        XRRFreeMonitors(monitors);
    return count == 1;
}

void XvfbRig::clear_root()
{
    XSetWindowBackground(m_display, root(), 0);
    XClearWindow(m_display, root());
    XSync(m_display, False);
}

gfx::Surface XvfbRig::grab(XID window, int width, int height)
{
    gfx::Surface out;
    XImage* image = XGetImage(m_display, window, 0, 0, unsigned(width), unsigned(height),
                              AllPlanes, ZPixmap);
    if (!image)
        return out;
    out.resize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out.set(x, y, gfx::Pixel(XGetPixel(image, x, y) & 0xFFFFFF));
    XDestroyImage(image);
    return out;
}

bool XvfbRig::poll_grab(XID window, int width, int height, std::chrono::milliseconds timeout,
                        const std::function<bool(const gfx::Surface&)>& accept)
{
    const auto until = Clock::now() + timeout;
    do {
        const gfx::Surface shot = grab(window, width, height);
        if (!shot.empty() && accept(shot))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
    } while (Clock::now() < until);
    return false;
}

bool XvfbRig::wait_for_frames(XID window, int width, int height, int frames,
                              std::chrono::milliseconds timeout)
{
    gfx::Surface last = grab(window, width, height);
    int seen = 0;
    return poll_grab(window, width, height, timeout, [&](const gfx::Surface& shot) {
        if (shot == last)
            return false;
        last = shot;
        return ++seen >= frames;
    });
}

XID XvfbRig::create_foreign_window(XID parent, const gfx::Surface& picture, int x, int y)
{
    Display* d = m_display;
    const int screen = DefaultScreen(d);
    const unsigned w = unsigned(picture.width()), h = unsigned(picture.height());
    // The picture becomes the window's background, which the server itself
    // repaints whenever the window is exposed.
    const Pixmap pixmap = XCreatePixmap(d, parent, w, h, unsigned(DefaultDepth(d, screen)));
    XImage* image = XCreateImage(d, DefaultVisual(d, screen), unsigned(DefaultDepth(d, screen)),
                                 ZPixmap, 0, nullptr, w, h, 32, 0);
    image->data = static_cast<char*>(std::malloc(std::size_t(image->bytes_per_line) * h));
    for (int py = 0; py < picture.height(); ++py)
        for (int px = 0; px < picture.width(); ++px)
            XPutPixel(image, px, py, picture.at(px, py));
    const GC gc = XCreateGC(d, pixmap, 0, nullptr);
    XPutImage(d, pixmap, gc, image, 0, 0, 0, 0, w, h);
    XFreeGC(d, gc);
    XDestroyImage(image);

    const Window window = XCreateSimpleWindow(d, parent, x, y, w, h, 0, 0, 0);
    XSetWindowBackgroundPixmap(d, window, pixmap);
    XFreePixmap(d, pixmap);
    XMapRaised(d, window);
    XSync(d, False);
    const auto until = Clock::now() + std::chrono::seconds(5);
    while (!is_viewable(window) && Clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    XClearWindow(d, window);
    XSync(d, False);
    return window;
}

std::optional<bool> XvfbRig::cursor_visible()
{
    int event_base = 0, error_base = 0;
    if (!XFixesQueryExtension(m_display, &event_base, &error_base))
        return std::nullopt;
    XFixesCursorImage* image = XFixesGetCursorImage(m_display);
    if (!image)
        return std::nullopt;
    bool visible = false;
    for (int i = 0; i < int(image->width) * int(image->height); ++i)
        if ((image->pixels[i] >> 24) & 0xFF)
            visible = true;
    XFree(image);
    return visible;
}

} // namespace x11test
