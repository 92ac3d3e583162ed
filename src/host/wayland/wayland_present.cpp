// Frames to the compositor: shared-memory buffers taken in turn, each
// brought up to date only where it is behind the frame, attached with
// damage on exactly the blocks a refresh names (the blocks the X11 host
// sends with MIT-SHM), one commit per refresh.
#include "host/wayland/wayland_host_impl.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

namespace host::wl {

namespace {

// Two buffers alternate; a third and fourth are made only while the
// compositor still holds the others, and then no more: a compositor that
// keeps every buffer is waited for rather than given ever more memory.
constexpr std::size_t kUsualBuffers = 2;
constexpr std::size_t kMostBuffers = 4;
// How long a present waits for a buffer to come back before it makes
// another one.
constexpr int kReleaseWaitMs = 100;
// How long after a commit the next one waits for the compositor's frame
// callback: the compositor shows at most one frame per refresh of its
// output, so frames drawn faster than that would be thrown away. A surface
// the compositor does not show gets no callback: its frame is then kept
// back until one comes, and the loop pauses (never a commit without one).
constexpr int kFrameWaitMs = 20;
// A buffer that has missed this many blocks is renewed whole.
constexpr std::size_t kMostStaleBlocks = 256;

void buffer_release(void* data, wl_buffer*)
{
    static_cast<ShmBuffer*>(data)->busy = false;
}

const wl_buffer_listener kBufferListener = {buffer_release};

gfx::Rect clipped(const gfx::Rect& area, int width, int height)
{
    const int left = std::max(area.x, 0), top = std::max(area.y, 0);
    const int right = std::min(area.x + std::max(area.width, 0), width);
    const int bottom = std::min(area.y + std::max(area.height, 0), height);
    if (right <= left || bottom <= top)
        return {};
    return {left, top, right - left, bottom - top};
}

// `area` in buffer pixels, taken from the frame at the same place moved by `origin`.
void copy_block(const gfx::Surface& frame, gfx::Point origin, ShmBuffer& buffer, const gfx::Rect& area)
{
    for (int y = area.y; y < area.y + area.height; ++y)
        std::memcpy(buffer.pixels + std::size_t(y) * std::size_t(buffer.width) + std::size_t(area.x),
                    frame.row(y + origin.y) + area.x + origin.x,
                    std::size_t(area.width) * sizeof(std::uint32_t));
}

} // namespace

FrameBuffers::~FrameBuffers()
{
    clear();
}

void FrameBuffers::clear()
{
    for (auto& buffer : m_buffers)
        destroy(*buffer);
    m_buffers.clear();
}

void FrameBuffers::destroy(ShmBuffer& buffer)
{
    destroy_proxy(buffer.buffer, wl_buffer_destroy);
    if (buffer.pixels)
        munmap(buffer.pixels, buffer.bytes);
    buffer.pixels = nullptr;
}

ShmBuffer* FrameBuffers::create(int width, int height)
{
    auto report = [this](const char* what) {
        if (!m_reported)
            std::fprintf(stderr, "orvelune: cannot make a frame buffer: %s: %s\n", what,
                         std::strerror(errno));
        m_reported = true;
        return nullptr;
    };
    if (width <= 0 || height <= 0 || width > INT_MAX / 4 / height) {
        errno = EOVERFLOW;
        return report("the frame is too large");
    }
    const std::size_t bytes = std::size_t(width) * std::size_t(height) * 4;
    const int fd = memfd_create("orvelune-frame", MFD_CLOEXEC);
    if (fd < 0)
        return report("no shared memory");
    if (ftruncate(fd, off_t(bytes)) != 0) {
        close(fd);
        return report("no room for it");
    }
    void* pixels = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels == MAP_FAILED) {
        close(fd);
        return report("cannot map it");
    }
    auto buffer = std::make_unique<ShmBuffer>();
    buffer->pixels = static_cast<std::uint32_t*>(pixels);
    buffer->bytes = bytes;
    buffer->width = width;
    buffer->height = height;
    wl_shm_pool* pool = wl_shm_create_pool(m_host.shm(), fd, int(bytes));
    // The frame's words are 0x00RRGGBB, which is XRGB8888 as it stands.
    buffer->buffer = wl_shm_pool_create_buffer(pool, 0, width, height, width * 4,
                                               WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    wl_buffer_add_listener(buffer->buffer, &kBufferListener, buffer.get());
    m_buffers.push_back(std::move(buffer));
    return m_buffers.back().get();
}

ShmBuffer* FrameBuffers::take(const gfx::Surface& frame, gfx::Rect source,
                              std::span<const gfx::Rect> areas, bool whole)
{
    // A frame of a new size starts the buffers over.
    if (!m_buffers.empty()
        && (m_buffers.front()->width != source.width || m_buffers.front()->height != source.height))
        clear();
    // The free buffer used last: where the compositor lets go of a buffer as
    // soon as it has taken the damaged blocks into its own copy (wlroots
    // does), the one buffer goes on and only those blocks are ever copied,
    // here and there; the second one serves while the first is held.
    auto free_buffer = [this]() -> ShmBuffer* {
        ShmBuffer* latest = nullptr;
        for (auto& buffer : m_buffers)
            if (!buffer->busy && (!latest || buffer->last_used > latest->last_used))
                latest = buffer.get();
        return latest;
    };
    ShmBuffer* buffer = free_buffer();
    if (!buffer && m_buffers.size() < kUsualBuffers)
        buffer = create(source.width, source.height);
    for (int waited = 0; !buffer && waited < kReleaseWaitMs; waited += 10) {
        m_host.pump(10);
        buffer = free_buffer();
    }
    if (!buffer && m_buffers.size() < kMostBuffers)
        buffer = create(source.width, source.height);
    while (!buffer && !m_buffers.empty()) {
        m_host.pump(kReleaseWaitMs);
        buffer = free_buffer();
    }
    if (!buffer)
        return nullptr;

    const gfx::Point origin{source.x, source.y};
    if (whole || buffer->all_stale) {
        copy_block(frame, origin, *buffer, {0, 0, source.width, source.height});
    } else {
        for (const gfx::Rect& area : buffer->stale)
            copy_block(frame, origin, *buffer, area);
        for (const gfx::Rect& area : areas)
            copy_block(frame, origin, *buffer, area);
    }
    buffer->stale.clear();
    buffer->all_stale = false;
    buffer->last_used = ++m_takes;
    return buffer;
}

void FrameBuffers::sent(const ShmBuffer& sent_buffer, std::span<const gfx::Rect> areas, bool whole)
{
    for (auto& buffer : m_buffers) {
        if (buffer.get() == &sent_buffer || buffer->all_stale)
            continue;
        if (whole || buffer->stale.size() + areas.size() > kMostStaleBlocks) {
            buffer->stale.clear();
            buffer->all_stale = true;
            continue;
        }
        buffer->stale.insert(buffer->stale.end(), areas.begin(), areas.end());
    }
}

gfx::Rect WaylandWindow::shown_part() const
{
    const gfx::Rect all = frame().rect();
    if (m_role != WindowRole::Subsurface || !m_host.alive(m_parent))
        return all;
    // The part of a picture over a window of ours that lies over that window:
    // a client learns nothing of the screen beyond its own surfaces.
    gfx::Rect over = m_parent->rect();
    over.x -= m_rect.x;
    over.y -= m_rect.y;
    const int left = std::max(over.x, 0), top = std::max(over.y, 0);
    const int right = std::min(over.x + over.width, all.width);
    const int bottom = std::min(over.y + over.height, all.height);
    return {left, top, std::max(right - left, 0), std::max(bottom - top, 0)};
}

void WaylandWindow::refresh()
{
    present({}, true);
}

void WaylandWindow::refresh_areas(std::span<const gfx::Rect> areas)
{
    present(areas, false);
}

void WaylandWindow::wait_for_frame_callback()
{
    const std::uint64_t until = m_host.now_ms() + kFrameWaitMs;
    while (m_frame_pending) {
        const std::uint64_t now = m_host.now_ms();
        if (now >= until)
            break;
        m_host.pump(int(until - now));
    }
}

void WaylandWindow::present(std::span<const gfx::Rect> areas, bool whole)
{
    // A frame kept back is owed whole: the blocks it changed are not kept.
    whole = whole || m_owed;
    // A hidden window is shown whole when it is shown.
    const gfx::Rect source = shown_part();
    if (!m_mapped || source.width <= 0 || source.height <= 0)
        return;
    std::vector<gfx::Rect> damage;
    if (whole) {
        damage.push_back({0, 0, source.width, source.height});
    } else {
        for (gfx::Rect area : areas) {
            area.x -= source.x;
            area.y -= source.y;
            if (const gfx::Rect inside = clipped(area, source.width, source.height); inside.width > 0)
                damage.push_back(inside);
        }
        // Nothing to put on the screen: no commit, so no frame goes by.
        if (damage.empty())
            return;
    }
    wait_for_frame_callback();
    m_host.presented(*this);
    if (m_frame_pending) {
        // The compositor has not asked for a frame: it shows this window
        // nowhere, or its output sleeps. The frame waits for it to ask
        // (present_owed()), and the loop pauses meanwhile.
        m_owed = true;
        return;
    }
    ShmBuffer* buffer = m_buffers.take(frame(), source, damage, whole);
    if (!buffer || !m_mapped)
        return;
    wl_surface_attach(m_surface, buffer->buffer, 0, 0);
    buffer->busy = true;
    for (const gfx::Rect& block : damage) {
        if (m_host.compositor_version() >= 4) {
            wl_surface_damage_buffer(m_surface, block.x, block.y, block.width, block.height);
        } else {
            // Surface coordinates, widened to whole surface pixels.
            const int s = m_scale;
            wl_surface_damage(m_surface, block.x / s, block.y / s,
                              (block.x + block.width + s - 1) / s - block.x / s,
                              (block.y + block.height + s - 1) / s - block.y / s);
        }
    }
    m_host.record_damage(*this, damage);
    destroy_proxy(m_frame_callback, wl_callback_destroy);
    m_frame_callback = wl_surface_frame(m_surface);
    wl_callback_add_listener(m_frame_callback, &kFrameListener, this);
    m_frame_pending = true;
    m_owed = false;
    wl_surface_commit(m_surface);
    m_buffers.sent(*buffer, damage, whole);
    wl_display_flush(m_host.display());
}

} // namespace host::wl
