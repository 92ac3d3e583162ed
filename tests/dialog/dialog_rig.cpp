#include "dialog_rig.h"

#include "gfx/raster.h"

#include <gtest/gtest.h>

namespace dialogtest {

DialogRig::DialogRig(Settings start, host::HeadlessOptions options)
    : host(std::move(options)), settings(std::move(start))
{
    seams.link_address = kPackagedReadmeAddress;
}

void DialogRig::load()
{
    dialog = std::make_unique<Ball_P>(host, settings, seams);
    dialog->Form_Load();
    ASSERT_TRUE(dialog->loaded());
}

gfx::Point DialogRig::at(std::string_view name, int dx, int dy) const
{
    const dialog::Control* c = dialog->control(name);
    EXPECT_NE(c, nullptr) << "no control " << name;
    return c ? gfx::Point{c->rect.x + dx, c->rect.y + dy} : gfx::Point{};
}

gfx::Point DialogRig::centre(std::string_view name) const
{
    const dialog::Control* c = dialog->control(name);
    EXPECT_NE(c, nullptr) << "no control " << name;
    return c ? gfx::Point{c->rect.x + c->rect.width / 2, c->rect.y + c->rect.height / 2} : gfx::Point{};
}

void DialogRig::send(host::MouseEventKind kind, gfx::Point p, int button)
{
    const gfx::Rect window = dialog->window_rect();
    host::MouseEvent event;
    event.at_ms = host.now_ms();
    event.kind = kind;
    event.button = button;
    event.x = window.x + p.x;
    event.y = window.y + p.y;
    host.add_input(event);
    host.process_pending_messages();
}

void DialogRig::press(gfx::Point p, int button) { send(host::MouseEventKind::Down, p, button); }
void DialogRig::release(gfx::Point p, int button) { send(host::MouseEventKind::Up, p, button); }
void DialogRig::move(gfx::Point p) { send(host::MouseEventKind::Move, p, 0); }

void DialogRig::click(gfx::Point p, int button)
{
    press(p, button);
    release(p, button);
}

void DialogRig::key(host::Key key)
{
    host::MouseEvent event;
    event.at_ms = host.now_ms();
    event.kind = host::MouseEventKind::KeyDown;
    event.key = key;
    host.add_input(event);
    host.process_pending_messages();
}

void DialogRig::wait(int ms)
{
    for (int waited = 0; waited < ms; waited += 10) {
        host.sleep_ms(10);
        host.process_pending_messages();
    }
}

gfx::Surface DialogRig::region(std::string_view name) const
{
    const dialog::Control* c = dialog->control(name);
    if (!c)
        return {};
    gfx::Surface out(c->rect.width, c->rect.height);
    gfx::blit(out, {0, 0}, dialog->picture(), c->rect, gfx::RasterOp::Copy);
    return out;
}

const host::WindowRecord& DialogRig::record() const { return host.windows().back(); }

} // namespace dialogtest
