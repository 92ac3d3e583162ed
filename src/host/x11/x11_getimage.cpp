#include "host/x11/x11_host_impl.h"
#include "host/x11/x11_signals.h"

#include "gfx/raster.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

extern char** environ;

// Background pattern 3 under xscreensaver: by the time the hack starts, the
// daemon has blanked its window, so the screen as it was can only come from
// the daemon's own helper. xscreensaver-getimage grabs the desktop, or picks
// a picture from the user's folder, as the user's settings say, and draws it
// into the pixmap we hand it.
namespace host::x11 {

namespace {

// The helper may load and scale a large picture; beyond this the saver
// starts without it rather than keep the screen black.
constexpr int kHelperTimeoutMs = 15000;

std::string hex(unsigned long id)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", id);
    return text;
}

// Waits for the helper; false (after ending it) when it fails or takes too long.
bool wait_for(pid_t child)
{
    for (int waited = 0; waited < kHelperTimeoutMs; waited += 20) {
        int status = 0;
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (done < 0)
            return false;
        if (EndSignals::arrived())
            break;
        timespec pause{0, 20 * 1000000L};
        nanosleep(&pause, nullptr);
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    return false;
}

} // namespace

bool capture_through_getimage(::Display* display, ::Window window, gfx::Surface& into)
{
    // Debian keeps the daemon's helpers out of PATH.
    const std::string helper = find_program(
        "xscreensaver-getimage", {"/usr/libexec/xscreensaver", "/usr/lib/xscreensaver"});
    if (helper.empty())
        return false;
    XWindowAttributes attributes{};
    Pixmap pixmap = 0;
    {
        // The window is another program's, and may be gone. The sync also
        // makes the pixmap exist on the server before the helper, another
        // client, asks for it.
        ErrorTrap trap(display);
        if (XGetWindowAttributes(display, window, &attributes))
            pixmap = XCreatePixmap(display, window, unsigned(attributes.width),
                                   unsigned(attributes.height), unsigned(attributes.depth));
        if (trap.failed()) {
            if (pixmap)
                XFreePixmap(display, pixmap);
            return false;
        }
    }

    const std::string display_name = DisplayString(display);
    std::vector<std::string> args = {helper, "-display", display_name, hex(window), hex(pixmap)};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    pid_t child = 0;
    bool ok = posix_spawn(&child, helper.c_str(), nullptr, nullptr, argv.data(), environ) == 0
              && wait_for(child);
    if (ok) {
        gfx::Surface picture(attributes.width, attributes.height);
        ok = read_drawable(display, pixmap, attributes.visual, attributes.width, attributes.height,
                          picture);
        if (ok) {
            into.fill(gfx::kBlack);
            gfx::blit(into, {0, 0}, picture, gfx::RasterOp::Copy);
        }
    }
    XFreePixmap(display, pixmap);
    XFlush(display);
    return ok;
}

} // namespace host::x11
