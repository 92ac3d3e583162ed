#include "x11_rig.h"

#include "engine/random.h"
#include "engine/saver_window.h"
#include "gfx/raster.h"
#include "host/headless/headless_host.h"
#include "settings/settings_file.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>
#include <thread>

extern char** environ;

namespace x11test {

std::optional<std::string> find_program(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::nullopt;
}

namespace {

int IgnoreXErrors(Display*, XErrorEvent*)
{
    return 0; // windows of the program under test come and go under us
}


pid_t Spawn(const std::string& program, const std::vector<std::string>& args,
            const std::vector<std::string>& env, posix_spawn_file_actions_t* actions = nullptr,
            const posix_spawnattr_t* attributes = nullptr)
{
    std::vector<std::string> argv_text{program};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv, envp;
    for (std::string& a : argv_text)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env_text = env;
    for (std::string& e : env_text)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, program.c_str(), actions, attributes, argv.data(), envp.data()) != 0)
        return -1;
    return pid;
}

std::vector<std::string> CurrentEnvironment()
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    return env;
}

void SetVariable(std::vector<std::string>& env, const std::string& assignment)
{
    const std::string name = assignment.substr(0, assignment.find('=') + 1);
    std::erase_if(env, [&](const std::string& e) { return e.starts_with(name); });
    env.push_back(assignment);
}

} // namespace

// ---- Child

Child& Child::operator=(Child&& other) noexcept
{
    if (this != &other) {
        this->~Child();
        m_pid = other.m_pid;
        m_status = other.m_status;
        other.m_pid = -1;
    }
    return *this;
}

Child::~Child()
{
    if (m_pid > 0 && !m_status) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    m_pid = -1;
}

bool Child::running()
{
    return m_pid > 0 && !wait(std::chrono::milliseconds(0));
}

std::optional<int> Child::wait(std::chrono::milliseconds timeout)
{
    if (m_status || m_pid <= 0)
        return m_status;
    const auto until = Clock::now() + timeout;
    for (;;) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_status = status;
            return m_status;
        }
        if (Clock::now() >= until)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void Child::signal(int number)
{
    if (m_pid > 0 && !m_status)
        kill(m_pid, number);
}

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
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    m_server = Child(Spawn(*xvfb,
                           {"-displayfd", std::to_string(fds[1]), "-screen", "0", screen,
                            "-nolisten", "tcp", "-noreset"},
                           CurrentEnvironment(), &actions));
    posix_spawn_file_actions_destroy(&actions);
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

    char folder[] = "/tmp/orvelune-x11-test-XXXXXX";
    if (mkdtemp(folder))
        m_config_home = folder;
}

XvfbRig::~XvfbRig()
{
    if (m_display)
        XCloseDisplay(m_display);
    m_server.signal(SIGTERM);
    if (!m_server.wait(std::chrono::seconds(5)))
        m_server.signal(SIGKILL);
    if (!m_config_home.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_config_home, ignored);
    }
}

XID XvfbRig::root() const
{
    return DefaultRootWindow(m_display);
}

void XvfbRig::write_settings(const Settings& settings)
{
    std::filesystem::create_directories(m_config_home + "/orvelune");
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
    return m_config_home + "/orvelune/Orvelune.ini";
}

std::vector<std::string> XvfbRig::environment(const std::vector<std::string>& extra) const
{
    std::vector<std::string> env = CurrentEnvironment();
    // Run from a Wayland session, the program would otherwise go to its compositor.
    std::erase_if(env, [](const std::string& e) {
        return e.starts_with("XSCREENSAVER_WINDOW=") || e.starts_with("WAYLAND_DISPLAY=");
    });
    SetVariable(env, "DISPLAY=" + m_name);
    SetVariable(env, "XDG_CONFIG_HOME=" + m_config_home);
    for (const std::string& e : extra)
        SetVariable(env, e);
    return env;
}

Child XvfbRig::start_orvelune(const std::vector<std::string>& args,
                              const std::vector<std::string>& extra_env, const Launch& launch)
{
    const std::string program = std::string(ORVELUNE_BIN_DIR) + "/orvelune";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!launch.stderr_path.empty())
        posix_spawn_file_actions_addopen(&actions, 2, launch.stderr_path.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    if (launch.end_signals_blocked) {
        sigset_t ends;
        sigemptyset(&ends);
        sigaddset(&ends, SIGTERM);
        sigaddset(&ends, SIGINT);
        sigaddset(&ends, SIGHUP);
        posix_spawnattr_setsigmask(&attributes, &ends);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    }
    pid_t pid = -1;
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
        std::vector<std::string> shell_args = {"-c", script, program};
        shell_args.insert(shell_args.end(), args.begin(), args.end());
        pid = Spawn("/bin/sh", shell_args, environment(extra_env), &actions, &attributes);
    } else {
        pid = Spawn(program, args, environment(extra_env), &actions, &attributes);
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return Child(pid);
}

bool XvfbRig::have_xdotool()
{
    return find_program("xdotool").has_value();
}

bool XvfbRig::xdotool(const std::vector<std::string>& args)
{
    Child tool(Spawn("xdotool", args, environment({})));
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

// ---- expectations

gfx::Surface ExpectedRingFrame(const Settings& settings_in, int width, int height,
                               const gfx::Surface& desktop)
{
    host::HeadlessOptions options;
    options.screen = {width, height};
    options.desktop = desktop;
    host::HeadlessHost headless(options);
    Settings settings = settings_in;
    Random random(1);
    Ball_A saver(headless, settings, random, SaverStart{});
    saver.Form_Load();
    saver.RestoreBackground();
    for (int i = 1; i <= 10; ++i)
        saver.BlitBall(i, saver.FormationX[std::size_t(i)], saver.FormationY[std::size_t(i)]);
    saver.BlitBall(11, saver.CenterFormationX, saver.CenterFormationY);
    return *saver.Display;
}

std::string Hex(unsigned long value)
{
    std::ostringstream out;
    out << "0x" << std::hex << value;
    return out.str();
}

std::string FirstDifference(const gfx::Surface& expected, const gfx::Surface& got)
{
    if (expected.width() != got.width() || expected.height() != got.height())
        return "expected " + std::to_string(expected.width()) + " x "
               + std::to_string(expected.height()) + ", got " + std::to_string(got.width())
               + " x " + std::to_string(got.height());
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            if (expected.at(x, y) != got.at(x, y))
                return "expected " + Hex(expected.at(x, y)) + " got " + Hex(got.at(x, y))
                       + " at (" + std::to_string(x) + ", " + std::to_string(y) + ")";
    return {};
}

gfx::Surface PartOf(const gfx::Surface& picture, gfx::Rect area)
{
    gfx::Surface part(area.width, area.height);
    gfx::blit(part, {-area.x, -area.y}, picture, gfx::RasterOp::Copy);
    return part;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

Settings SlowSettings(int pause_ms)
{
    Settings settings{};
    LoadSettings(settings, std::string());
    settings.g_PcSpec = std::int16_t(pause_ms);
    return settings;
}

} // namespace x11test
