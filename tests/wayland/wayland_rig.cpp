#include "wayland_rig.h"

#include "settings/settings_file.h"

#include "wlr-virtual-pointer-unstable-v1-client.h"
#include <wayland-client.h>

#include <fcntl.h>
#include <linux/input-event-codes.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace wltest {

using namespace std::chrono_literals;

namespace {

constexpr const char* kTestUser = "orvelune-test";

using testrig::find_program;

// The compositor's tools and the programs under test write nothing to the
// test's own output.
testrig::SpawnOptions Quiet(const std::string& stderr_path)
{
    testrig::SpawnOptions options;
    options.output = testrig::SpawnOptions::Output::Null;
    options.stderr_path = stderr_path;
    return options;
}

// A binary PPM as grim writes it ("P6", width, height, 255, then RGB bytes).
std::optional<gfx::Surface> read_ppm(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, most = 0;
    if (!(in >> magic >> width >> height >> most) || magic != "P6" || most != 255 || width <= 0
        || height <= 0 || width > 16384 || height > 16384)
        return std::nullopt;
    in.get(); // the one blank before the pixels
    std::vector<unsigned char> bytes(std::size_t(width) * std::size_t(height) * 3);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size())))
        return std::nullopt;
    gfx::Surface picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = &bytes[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3];
            picture.set(x, y, (gfx::Pixel(p[0]) << 16) | (gfx::Pixel(p[1]) << 8) | p[2]);
        }
    return picture;
}

std::uint32_t now_ms()
{
    return std::uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                             Clock::now().time_since_epoch())
                             .count());
}

} // namespace

// The rig's own pointer device on the compositor's seat: while it exists the
// seat has a pointer, and clients under test get wl_pointer events.
class VirtualPointer {
public:
    VirtualPointer(const std::string& socket, int width, int height)
        : m_width(width), m_height(height)
    {
        m_display = wl_display_connect(socket.c_str());
        if (!m_display)
            return;
        m_registry = wl_display_get_registry(m_display);
        static const wl_registry_listener listener = {
            [](void* self, wl_registry* registry, std::uint32_t name, const char* interface,
               std::uint32_t) {
                if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
                    static_cast<VirtualPointer*>(self)->m_manager =
                        static_cast<zwlr_virtual_pointer_manager_v1*>(wl_registry_bind(
                            registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
            },
            [](void*, wl_registry*, std::uint32_t) {}};
        wl_registry_add_listener(m_registry, &listener, this);
        wl_display_roundtrip(m_display);
        if (!m_manager)
            return;
        m_pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(m_manager, nullptr);
        wl_display_roundtrip(m_display);
    }
    ~VirtualPointer()
    {
        if (m_pointer)
            zwlr_virtual_pointer_v1_destroy(m_pointer);
        if (m_manager)
            zwlr_virtual_pointer_manager_v1_destroy(m_manager);
        if (m_registry)
            wl_registry_destroy(m_registry);
        if (m_display)
            wl_display_disconnect(m_display);
    }
    bool ready() const { return m_pointer != nullptr; }

    bool move(double x, double y)
    {
        if (!m_pointer)
            return false;
        zwlr_virtual_pointer_v1_motion_absolute(m_pointer, now_ms(), std::uint32_t(x), std::uint32_t(y),
                                                std::uint32_t(m_width), std::uint32_t(m_height));
        zwlr_virtual_pointer_v1_frame(m_pointer);
        return wl_display_roundtrip(m_display) >= 0;
    }
    bool click()
    {
        if (!m_pointer)
            return false;
        zwlr_virtual_pointer_v1_button(m_pointer, now_ms(), BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
        zwlr_virtual_pointer_v1_frame(m_pointer);
        wl_display_roundtrip(m_display);
        std::this_thread::sleep_for(30ms);
        zwlr_virtual_pointer_v1_button(m_pointer, now_ms(), BTN_LEFT, WL_POINTER_BUTTON_STATE_RELEASED);
        zwlr_virtual_pointer_v1_frame(m_pointer);
        return wl_display_roundtrip(m_display) >= 0;
    }

private:
    int m_width;
    int m_height;
    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    zwlr_virtual_pointer_manager_v1* m_manager = nullptr;
    zwlr_virtual_pointer_v1* m_pointer = nullptr;
};

SwayRig::SwayRig(std::vector<OutputSpec> outputs, bool pointer)
{
    const std::optional<std::string> sway = find_program("sway");
    if (!sway) {
        m_why = "sway is not installed";
        return;
    }
    if (!find_program("grim")) {
        m_why = "grim is not installed";
        return;
    }
    // sway refuses to run as root: the compositor and the programs under
    // test run as a user of the rig's own.
    m_switch_user = geteuid() == 0;
    if (m_switch_user) {
        if (!getpwnam(kTestUser))
            testrig::run_to_success({"useradd", "--system", "--no-create-home", "--shell",
                                     "/usr/sbin/nologin", kTestUser},
                                    {"PATH=/usr/sbin:/usr/bin:/sbin:/bin"});
        const passwd* user = getpwnam(kTestUser);
        if (!user) {
            m_why = std::string("cannot make the test user ") + kTestUser;
            return;
        }
        m_uid = user->pw_uid;
        m_gid = user->pw_gid;
    } else {
        m_uid = getuid();
        m_gid = getgid();
    }
    if (m_folder_handle.path().empty()) {
        m_why = "cannot make a folder for the compositor";
        return;
    }
    m_folder = m_folder_handle.path();
    std::filesystem::create_directories(m_folder + "/config/orvelune");
    // The program is copied where the test user can surely run it.
    m_program = m_folder + "/orvelune";
    std::error_code failed;
    std::filesystem::copy_file(std::string(ORVELUNE_BIN_DIR) + "/orvelune", m_program, failed);
    if (failed || chmod(m_program.c_str(), 0755) != 0) {
        m_why = "cannot copy the program for the test user: " + failed.message();
        return;
    }

    std::ostringstream config;
    // No background program: sway's own grey shows where nothing covers
    // the output, and a wallpaper of ours is not hidden under another one.
    config << "xwayland disable\ndefault_border none\nfocus_follows_mouse no\n";
    int x = 0;
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const OutputSpec& o = outputs[i];
        config << "output HEADLESS-" << i + 1 << " mode " << o.width << "x" << o.height
               << " position " << x << " 0 scale " << o.scale << "\n";
        x += o.width / o.scale;
        m_layout_width = x;
        m_layout_height = std::max(m_layout_height, o.height / o.scale);
    }
    std::ofstream(m_folder + "/sway.config") << config.str();
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_folder))
        if (chown(entry.path().c_str(), m_uid, m_gid) != 0)
            break;
    if (chown(m_folder.c_str(), m_uid, m_gid) != 0 || chmod(m_folder.c_str(), 0700) != 0) {
        m_why = "cannot hand the compositor's folder to its user";
        return;
    }

    std::vector<std::string> env = {
        "PATH=/usr/bin:/bin", "HOME=" + m_folder, "XDG_RUNTIME_DIR=" + m_folder,
        "WLR_BACKENDS=headless", "WLR_RENDERER=pixman", "WLR_LIBINPUT_NO_DEVICES=1",
        "WLR_HEADLESS_OUTPUTS=" + std::to_string(outputs.size())};
    m_sway = spawn(*sway, {"-c", m_folder + "/sway.config"}, env, m_folder + "/sway.log");

    // The sockets show when the compositor listens: its clients' and swaymsg's.
    const auto until = Clock::now() + 10s;
    while ((m_socket.empty() || m_ipc_socket.empty()) && Clock::now() < until && m_sway.running()) {
        for (const auto& entry : std::filesystem::directory_iterator(m_folder)) {
            const std::string name = entry.path().filename();
            if (name.starts_with("wayland-") && !name.ends_with(".lock"))
                m_socket = name;
            if (name.starts_with("sway-ipc."))
                m_ipc_socket = entry.path();
        }
        std::this_thread::sleep_for(20ms);
    }
    if (m_socket.empty()) {
        m_why = "sway did not start: " + testrig::ReadFile(m_folder + "/sway.log");
        return;
    }
    // Every output at its size before a test looks at it.
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const std::string name = "HEADLESS-" + std::to_string(i + 1);
        if (!poll_screenshot(name, 10s, [&](const gfx::Surface& shot) {
                return shot.width() == outputs[i].width && shot.height() == outputs[i].height;
            })) {
            m_why = "sway did not set " + name + " to its size";
            return;
        }
    }
    if (pointer && !attach_pointer()) {
        m_why = "sway offers no virtual pointer";
        return;
    }
    m_ready = true;
}

SwayRig::~SwayRig()
{
    m_pointer.reset();
    if (m_sway.pid() > 0) {
        m_sway.signal(SIGTERM);
        if (!m_sway.wait(3s))
            m_sway = Child();
    }
}

Child SwayRig::spawn(const std::string& program, const std::vector<std::string>& args,
                     const std::vector<std::string>& env, const std::string& stderr_path)
{
    std::vector<std::string> argv{program};
    if (m_switch_user) {
        // setpriv becomes the program, so the pid is the program's own.
        argv = {"setpriv", "--reuid=" + std::to_string(m_uid), "--regid=" + std::to_string(m_gid),
                "--clear-groups", program};
    }
    argv.insert(argv.end(), args.begin(), args.end());
    return testrig::spawn(argv, env, Quiet(stderr_path));
}

std::vector<std::string> SwayRig::environment(const std::vector<std::string>& extra) const
{
    std::vector<std::string> env = {"PATH=/usr/bin:/bin",
                                    "HOME=" + m_folder,
                                    "XDG_RUNTIME_DIR=" + m_folder,
                                    "XDG_CONFIG_HOME=" + m_folder + "/config",
                                    "WAYLAND_DISPLAY=" + m_socket,
                                    "SWAYSOCK=" + m_ipc_socket,
                                    "LANG=C.UTF-8"};
    for (const std::string& e : extra) {
        const std::string name = e.substr(0, e.find('=') + 1);
        std::erase_if(env, [&](const std::string& v) { return v.starts_with(name); });
        env.push_back(e);
    }
    return env;
}

void SwayRig::write_settings(const Settings& settings)
{
    save_settings_file(settings_path(), settings);
    if (chown(settings_path().c_str(), m_uid, m_gid) != 0)
        std::fprintf(stderr, "cannot hand %s to the test user\n", settings_path().c_str());
}

Settings SwayRig::settings() const
{
    Settings settings{};
    LoadSettings(settings, settings_path());
    return settings;
}

std::string SwayRig::settings_path() const
{
    return m_folder + "/config/orvelune/Orvelune.ini";
}

Child SwayRig::start_orvelune(const std::vector<std::string>& args,
                              const std::vector<std::string>& extra_env,
                              const std::string& stderr_path)
{
    return spawn(m_program, args, environment(extra_env), stderr_path);
}

Child SwayRig::start_orvelune_at_gate(const std::vector<std::string>& args, const std::string& gate)
{
    std::vector<std::string> shell_args{"-c", "{ : < '" + gate + "'; } && exec \"$0\" \"$@\"", m_program};
    shell_args.insert(shell_args.end(), args.begin(), args.end());
    return spawn("/bin/sh", shell_args, environment({}));
}

bool SwayRig::run_tool(const std::string& program, const std::vector<std::string>& args)
{
    Child tool = spawn(program, args, environment({}));
    const std::optional<int> status = tool.wait(10s);
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
}

std::optional<gfx::Surface> SwayRig::screenshot(const std::string& output)
{
    const std::string file = m_folder + "/shot.ppm";
    std::filesystem::remove(file);
    if (!run_tool("grim", {"-t", "ppm", "-o", output, file}))
        return std::nullopt;
    return read_ppm(file);
}

bool SwayRig::poll_screenshot(const std::string& output, std::chrono::milliseconds timeout,
                              const std::function<bool(const gfx::Surface&)>& accept)
{
    const auto until = Clock::now() + timeout;
    do {
        if (const std::optional<gfx::Surface> shot = screenshot(output); shot && accept(*shot))
            return true;
        std::this_thread::sleep_for(20ms);
    } while (Clock::now() < until);
    return false;
}

bool SwayRig::attach_pointer()
{
    if (!m_pointer)
        m_pointer = std::make_unique<VirtualPointer>(socket_path(), m_layout_width, m_layout_height);
    return m_pointer->ready();
}

bool SwayRig::move_pointer(double x, double y)
{
    return m_pointer && m_pointer->move(x, y);
}

bool SwayRig::click()
{
    return m_pointer && m_pointer->click();
}

bool SwayRig::type_key(const std::string& name)
{
    // wtype's keyboard joins the seat first; the pause lets the program
    // bind it and take the focus before the key comes.
    return run_tool("wtype", {"-s", "300", "-k", name});
}

} // namespace wltest
