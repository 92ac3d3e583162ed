#include "x11_program.h"

#include "window_scenarios.h"

// GoogleTest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

namespace x11test {

using namespace std::chrono_literals;

namespace {

// A grey window of another program; the preview's window is its child.
class X11Pane : public testrig::Pane {
public:
    X11Pane(XvfbRig& rig, int width, int height) : m_rig(rig), m_width(width), m_height(height)
    {
        Display* d = m_rig.display();
        m_window = XCreateSimpleWindow(d, m_rig.root(), 40, 30, unsigned(width), unsigned(height), 0, 0, 0x808080);
        XMapWindow(d, m_window);
        XSync(d, False);
    }
    ~X11Pane() override { close(); }

    std::string handle() const override { return std::to_string(m_window); }

    std::optional<testrig::PaneChild> child(std::chrono::milliseconds timeout) override
    {
        std::optional<testrig::PaneChild> seen;
        testrig::WaitUntil(timeout, [&] {
            seen = OnlyChild();
            return seen && *seen == testrig::PaneChild{m_width, m_height, true};
        });
        return seen;
    }

    bool close() override
    {
        if (!m_window)
            return false;
        XDestroyWindow(m_rig.display(), m_window);
        XSync(m_rig.display(), False);
        m_window = 0;
        return true;
    }

private:
    std::optional<testrig::PaneChild> OnlyChild()
    {
        Display* d = m_rig.display();
        ::Window root = 0, up = 0;
        ::Window* children = nullptr;
        unsigned count = 0;
        std::optional<testrig::PaneChild> child;
        XWindowAttributes a{};
        if (XQueryTree(d, m_window, &root, &up, &children, &count) && count == 1
            && XGetWindowAttributes(d, children[0], &a))
            child = testrig::PaneChild{a.width, a.height, a.map_state == IsViewable};
        if (children)
            XFree(children);
        return child;
    }

    XvfbRig& m_rig;
    int m_width;
    int m_height;
    XID m_window = 0;
};

} // namespace

X11Program::X11Program(int width, int height)
    : m_own(std::make_unique<XvfbRig>(width, height)), m_rig(m_own.get())
{
}

X11Program::X11Program(XvfbRig& rig, std::vector<std::string> env) : m_rig(&rig), m_env(std::move(env)) {}

X11Program::~X11Program()
{
    if (m_clipboard_holder && m_rig->available())
        XDestroyWindow(m_rig->display(), m_clipboard_holder);
}

const testrig::Traits& X11Program::traits() const
{
    static const testrig::Traits traits = [] {
        testrig::Traits t;
        t.name = "X11";
        t.starts_at_once = 20;
        t.exact_dialog = true;
        t.reads_cursor = true;
        t.end_signals = true;
        t.decoder_apart = true;
        return t;
    }();
    return traits;
}

std::string X11Program::why_not() const
{
    if (!m_rig->available())
        return m_rig->why();
    if (!XvfbRig::have_xdotool())
        return "xdotool is not installed";
    return {};
}

Child X11Program::start(const std::vector<std::string>& args, const std::string& locale)
{
    std::vector<std::string> env = m_env;
    if (!locale.empty())
        env.push_back("LC_ALL=" + locale);
    return m_rig->start_orvelune(args, env);
}

std::vector<Child> X11Program::start_together(int count, const std::vector<std::string>& args)
{
    return testrig::StartAtOneGate(count, m_gates / "gate", [&](const std::string& gate) {
        Launch gated;
        gated.gate_path = gate;
        return m_rig->start_orvelune(args, m_env, gated);
    });
}

bool X11Program::wait_for_window(const std::string& title, std::chrono::milliseconds timeout)
{
    return m_rig->wait_for_window(title, timeout).has_value();
}

bool X11Program::wait_until_gone(const std::string& title, std::chrono::milliseconds timeout)
{
    return testrig::WaitUntil(timeout, [&] { return !m_rig->find_window(title); });
}

std::optional<int> X11Program::count_windows(const std::string& title)
{
    return m_rig->count_windows(title);
}

bool X11Program::move_pointer(int x, int y)
{
    return m_rig->xdotool({"mousemove", std::to_string(x), std::to_string(y)});
}

bool X11Program::click()
{
    return m_rig->xdotool({"click", "1"});
}

bool X11Program::key(const std::string& name)
{
    return m_rig->xdotool({"key", name});
}

std::optional<gfx::Surface> X11Program::show_desktop(const gfx::Surface& picture)
{
    m_rig->create_foreign_window(m_rig->root(), picture);
    const gfx::Surface shown = m_rig->grab_screen();
    if (!FirstDifference(picture, shown).empty())
        return std::nullopt;
    return shown;
}

std::string X11Program::split_monitors(gfx::Rect primary, gfx::Rect other)
{
    if (!m_rig->set_monitors({primary, other}))
        return "this Xvfb cannot define monitors (no RandR 1.5)";
    m_split = true;
    return {};
}

void X11Program::join_monitors()
{
    if (m_split) {
        EXPECT_TRUE(m_rig->clear_monitors());
    }
    m_split = false;
}

std::unique_ptr<testrig::Pane> X11Program::open_pane(int width, int height)
{
    return std::make_unique<X11Pane>(*m_rig, width, height);
}

std::string X11Program::card_window_check()
{
    const std::optional<XID> card = m_rig->find_window(testrig::kCardTitle);
    if (!card)
        return "expected the card's window";
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(m_rig->display(), *card, &attributes))
        return "the card's window is gone";
    if (!attributes.override_redirect || attributes.width != width() || attributes.height != height())
        return "expected the card's window above everything over the whole screen, got "
               + std::to_string(attributes.width) + " x " + std::to_string(attributes.height)
               + (attributes.override_redirect ? "" : ", not override-redirect");
    return {};
}

void X11Program::hold_clipboard()
{
    Display* d = m_rig->display();
    m_clipboard_holder = XCreateSimpleWindow(d, m_rig->root(), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(d, XInternAtom(d, "CLIPBOARD", False), m_clipboard_holder, CurrentTime);
    XSync(d, False);
}

std::string X11Program::clipboard_check()
{
    if (!m_clipboard_holder)
        return {};
    Display* d = m_rig->display();
    if (XGetSelectionOwner(d, XInternAtom(d, "CLIPBOARD", False)) != m_clipboard_holder)
        return "expected the clipboard left with the program that held it";
    return {};
}

namespace {

using testrig::RealWindow;

INSTANTIATE_TEST_SUITE_P(X11, RealWindow,
                         ::testing::Values(testrig::ProgramParam{
                             "orvelune", [] { return std::make_unique<X11Program>(800, 600); }}),
                         testrig::ScenarioName);

} // namespace
} // namespace x11test
