#include "startup/preview_window.h"

#include "startup/preview_picture.h"
#include "gfx/raster.h"

#include <utility>

namespace {

// The pane's background where the picture does not reach.
constexpr gfx::Pixel kPreviewBackground = gfx::kBlack;

} // namespace

Ball_X::Ball_X(host::Host& host, gfx::Surface picture) : m_host(host), m_master(std::move(picture)) {}

Ball_X::~Ball_X() = default;

bool Ball_X::on_load(host::NativeHandle parent, host::Size pane)
{
    host::WindowOptions options;
    options.title = "Ball_X";
    options.rect = {0, 0, pane.width, pane.height};
    options.borderless = true;
    options.visible = false;
    options.parent = parent;
    // The pane's size is whatever its program declares; the memory held is
    // the picture's, and the host shows black beyond it.
    options.frame_limit = host::Size{m_master.width(), m_master.height()};
    m_window = m_host.create_window(options, *this);
    return m_window != nullptr;
}

void Ball_X::RunPreview()
{
    if (!m_window)
        return;
    paint();
    m_window->show(true);
    m_window->refresh();
}

void Ball_X::paint()
{
    gfx::Surface& frame = m_window->frame();
    frame.fill(kPreviewBackground);
    gfx::blit(frame, {0, 0}, m_master, gfx::RasterOp::Copy);
}

void Ball_X::on_unload()
{
    m_window.reset();
    m_host.quit();
}

void Ball_X::on_close_request()
{
    on_unload();
}

void Ball_X::on_parent_resized(host::Size size)
{
    if (!m_window)
        return;
    m_window->move({0, 0, size.width, size.height});
    paint();
    m_window->refresh();
}

void run_preview_pane(host::Host& host, host::NativeHandle parent, host::Size pane)
{
    // Without a pane the preview could never be closed: there is nothing to
    // show it in. The desktop is no pane either: it never goes away, so the
    // preview would stay over it until the session ends.
    if (parent == 0 || host.is_desktop_window(parent) || !host.native_window_rect(parent))
        return;
    Ball_X preview(host, render_preview_picture());
    if (!preview.on_load(parent, pane))
        return;
    preview.RunPreview();
    host.run();
}
