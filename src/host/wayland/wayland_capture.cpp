// The screen at start, through the wlr screen-copy protocol: one copy of the
// figure's output into a shared-memory buffer of ours. Compositors without
// it (GNOME, KDE) keep their screens to themselves; the saver then shows its
// background colour and says so once.
#include "host/wayland/wayland_host_impl.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>

namespace host::wl {

namespace {

// How long the copy may take before it is given up.
constexpr int kCopyWaitMs = 2000;

struct Copy {
    WaylandHost* host = nullptr;
    zwlr_screencopy_frame_v1* frame = nullptr;
    wl_buffer* buffer = nullptr;
    std::uint32_t* pixels = nullptr;
    std::size_t bytes = 0;
    std::uint32_t format = 0;
    int width = 0;
    int height = 0;
    int stride = 0;
    bool y_invert = false;
    bool done = false;
    bool failed = false;
};

void copy_buffer(void* data, zwlr_screencopy_frame_v1* frame, std::uint32_t format,
                 std::uint32_t width, std::uint32_t height, std::uint32_t stride)
{
    auto& copy = *static_cast<Copy*>(data);
    // Only 32-bit pixels of either byte order are read; a second offer is ignored.
    const bool known = format == WL_SHM_FORMAT_XRGB8888 || format == WL_SHM_FORMAT_ARGB8888
                       || format == WL_SHM_FORMAT_XBGR8888 || format == WL_SHM_FORMAT_ABGR8888;
    if (copy.buffer || !known || width == 0 || height == 0 || stride < width * 4
        || height > INT_MAX / stride) {
        if (!copy.buffer)
            copy.failed = true;
        return;
    }
    copy.bytes = std::size_t(stride) * height;
    const int fd = memfd_create("orvelune-capture", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, off_t(copy.bytes)) != 0) {
        if (fd >= 0)
            close(fd);
        copy.failed = true;
        return;
    }
    void* pixels = mmap(nullptr, copy.bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels == MAP_FAILED) {
        close(fd);
        copy.failed = true;
        return;
    }
    copy.pixels = static_cast<std::uint32_t*>(pixels);
    wl_shm_pool* pool = wl_shm_create_pool(copy.host->shm(), fd, int(copy.bytes));
    copy.buffer = wl_shm_pool_create_buffer(pool, 0, int(width), int(height), int(stride), format);
    wl_shm_pool_destroy(pool);
    close(fd);
    copy.format = format;
    copy.width = int(width);
    copy.height = int(height);
    copy.stride = int(stride);
    zwlr_screencopy_frame_v1_copy(frame, copy.buffer);
}

void copy_flags(void* data, zwlr_screencopy_frame_v1*, std::uint32_t flags)
{
    static_cast<Copy*>(data)->y_invert = flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT;
}

void copy_ready(void* data, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t)
{
    static_cast<Copy*>(data)->done = true;
}

void copy_failed(void* data, zwlr_screencopy_frame_v1*)
{
    static_cast<Copy*>(data)->failed = true;
}

void copy_damage(void*, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t,
                 std::uint32_t)
{
}

void copy_dmabuf(void*, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t) {}
void copy_buffer_done(void*, zwlr_screencopy_frame_v1*) {}

const zwlr_screencopy_frame_v1_listener kCopyListener = {
    .buffer = copy_buffer,
    .flags = copy_flags,
    .ready = copy_ready,
    .failed = copy_failed,
    .damage = copy_damage,
    .linux_dmabuf = copy_dmabuf,
    .buffer_done = copy_buffer_done,
};

} // namespace

bool WaylandHost::capture_desktop(gfx::Surface& into)
{
    // Under a picture over a window of ours (the card over the dialog) lies
    // that window, whose frame the host has: the picture shows only there
    // (WaylandWindow::shown_part), wherever the compositor put the window.
    const auto over = std::find_if(m_windows.begin(), m_windows.end(), [this](const WaylandWindow* w) {
        return w->role() == WindowRole::Subsurface && alive(w->parent());
    });
    if (over != m_windows.end()) {
        const WaylandWindow& under = *(*over)->parent();
        const gfx::Surface& frame = const_cast<WaylandWindow&>(under).frame();
        const gfx::Rect at = under.rect();
        for (int y = std::max(at.y, 0); y < std::min(at.y + frame.height(), into.height()); ++y)
            for (int x = std::max(at.x, 0); x < std::min(at.x + frame.width(), into.width()); ++x)
                into.set(x, y, frame.at(x - at.x, y - at.y));
        return true;
    }
    Output* output = figure_output();
    if (!m_screencopy || !output) {
        if (!m_capture_reported)
            std::fprintf(stderr, "orvelune: this Wayland compositor does not let programs read the "
                                 "screen; the background colour shows instead of the screen at start\n");
        m_capture_reported = true;
        return false;
    }
    Copy copy;
    copy.host = this;
    copy.frame = zwlr_screencopy_manager_v1_capture_output(m_screencopy, 0, output->output);
    zwlr_screencopy_frame_v1_add_listener(copy.frame, &kCopyListener, &copy);
    const std::uint64_t until = now_ms() + kCopyWaitMs;
    while (!copy.done && !copy.failed && now_ms() < until)
        pump(int(until - now_ms()));
    zwlr_screencopy_frame_v1_destroy(copy.frame);
    const bool ok = copy.done && !copy.failed && copy.pixels;
    if (ok) {
        // From the output's top-left corner, as much as both hold.
        const bool swap = copy.format == WL_SHM_FORMAT_XBGR8888 || copy.format == WL_SHM_FORMAT_ABGR8888;
        const int rows = std::min(into.height(), copy.height);
        const int columns = std::min(into.width(), copy.width);
        for (int y = 0; y < rows; ++y) {
            const int source_row = copy.y_invert ? copy.height - 1 - y : y;
            const auto* source = reinterpret_cast<const std::uint32_t*>(
                reinterpret_cast<const unsigned char*>(copy.pixels) + std::size_t(source_row) * copy.stride);
            gfx::Pixel* target = into.row(y);
            for (int x = 0; x < columns; ++x) {
                const std::uint32_t p = source[x];
                target[x] = swap ? ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF)
                                 : p & 0xFFFFFF;
            }
        }
    }
    if (copy.buffer)
        wl_buffer_destroy(copy.buffer);
    if (copy.pixels)
        munmap(copy.pixels, copy.bytes);
    return ok;
}

} // namespace host::wl
