// The headless host's system services and records; the loop is in
// headless_loop.cpp. See headless_host.h.
#include "host/headless/headless_host.h"

#include "gfx/raster.h"
#include "host/headless/headless_window.h"

#include <algorithm>

namespace host {

namespace {

// Handles of our own windows start here, well away from the small numbers
// tests use for foreign windows.
constexpr NativeHandle kFirstWindowHandle = 0x10000;

} // namespace

HeadlessHost::HeadlessHost(HeadlessOptions options) : m_options(std::move(options)) {}

HeadlessHost::~HeadlessHost()
{
    // Windows that outlive the host must not call back into it.
    for (HeadlessWindow* window : m_live)
        window->detach();
}

void HeadlessHost::add_input(const MouseEvent& event)
{
    auto later = std::upper_bound(m_input.begin(), m_input.end(), event.at_ms,
                                  [](std::uint64_t at, const MouseEvent& e) { return at < e.at_ms; });
    m_input.insert(later, event);
}

std::unique_ptr<Window> HeadlessHost::create_window(const WindowOptions& options,
                                                    WindowHandler& handler)
{
    if (m_options.refuse_windows)
        return nullptr;
    WindowRecord record;
    record.title = options.title;
    record.rect = options.rect;
    record.rect.width = std::max(record.rect.width, 0);
    record.rect.height = std::max(record.rect.height, 0);
    record.parent = options.parent;
    record.handle = kFirstWindowHandle + m_windows.size();
    record.shown = options.visible;
    record.ever_shown = options.visible;
    record.topmost = options.topmost;
    // Room for the saver's busiest frame, so that its refreshes never grow it.
    record.last_refresh_areas.reserve(kRefreshAreasReserved);
    const NativeHandle handle = record.handle;
    m_windows.push_back(std::move(record));
    auto window = std::make_unique<HeadlessWindow>(*this, handler, options, m_windows.size() - 1,
                                                   handle);
    m_live.push_back(window.get());
    return window;
}

void HeadlessHost::window_destroyed(HeadlessWindow& window)
{
    auto it = std::find(m_live.begin(), m_live.end(), &window);
    if (it == m_live.end())
        return; // the host went first
    m_live.erase(it);
    m_windows[window.record()].alive = false;
    m_windows[window.record()].shown = false;
}

void HeadlessHost::window_refreshed(const HeadlessWindow& window)
{
    if (!window_alive(&window))
        return;
    ++m_windows[window.record()].refreshes;
    if (m_frame_sink)
        m_frame_sink(window, window.frame());
}

WindowRecord& HeadlessHost::record_of(const HeadlessWindow& window)
{
    return m_windows[window.record()];
}

const WindowRecord& HeadlessHost::record_for(const Window& window) const
{
    // Every window this host makes is a HeadlessWindow.
    return m_windows[static_cast<const HeadlessWindow&>(window).record()];
}

void ShownPicture::update(const WindowRecord& record, const gfx::Surface& frame)
{
    if (m_picture.width() != frame.width() || m_picture.height() != frame.height())
        m_picture.resize(frame.width(), frame.height(), gfx::kBlack);
    for (const gfx::Rect& a : record.last_refresh_areas)
        gfx::blit(m_picture, a.origin(), frame, a, gfx::RasterOp::Copy);
}

bool HeadlessHost::window_alive(const HeadlessWindow* window) const
{
    return std::find(m_live.begin(), m_live.end(), window) != m_live.end();
}

std::optional<gfx::Rect> HeadlessHost::native_window_rect(NativeHandle handle)
{
    if (auto it = foreign_windows.find(handle); it != foreign_windows.end())
        return it->second;
    for (const HeadlessWindow* window : m_live)
        if (window->native_handle() == handle)
            return m_windows[window->record()].rect;
    return std::nullopt;
}

bool HeadlessHost::top_level_window_exists(std::string_view title)
{
    // Like a search by caption: hidden windows count, child windows do not.
    for (const HeadlessWindow* window : m_live) {
        const WindowRecord& record = m_windows[window->record()];
        if (record.parent == 0 && record.title == title)
            return true;
    }
    return std::find(foreign_titles.begin(), foreign_titles.end(), title) != foreign_titles.end();
}

InstanceClaim HeadlessHost::claim_instance()
{
    ++m_instance_claims;
    if (claim_answer == InstanceClaim::Claimed)
        m_instance_claimed = true;
    return claim_answer;
}

void HeadlessHost::sleep_ms(int ms)
{
    if (ms > 0)
        m_now += std::uint64_t(ms);
}

int HeadlessHost::show_cursor(bool show)
{
    m_cursor_calls.push_back(show);
    m_cursor_count += show ? 1 : -1;
    return m_cursor_count;
}

std::vector<gfx::Rect> HeadlessHost::monitors()
{
    if (m_options.monitors.empty())
        return Host::monitors();
    return m_options.monitors;
}

bool HeadlessHost::capture_desktop(gfx::Surface& into)
{
    const gfx::Rect primary = monitors().front();
    into.fill(gfx::kBlack);
    gfx::blit(into, {-primary.x, -primary.y}, m_options.desktop, gfx::RasterOp::Copy);
    // The screen shows our own shown top-level windows over the desktop, as
    // a real one would: the topmost above the others, later above earlier.
    for (const bool topmost : {false, true})
        for (const HeadlessWindow* window : m_live) {
            const WindowRecord& record = m_windows[window->record()];
            if (record.shown && record.parent == 0 && record.topmost == topmost)
                gfx::blit(into, record.rect.origin().translated(-primary.x, -primary.y), window->frame(),
                          gfx::RasterOp::Copy);
        }
    return true;
}

PictureResult HeadlessHost::load_picture(const std::string& path, gfx::Surface& out)
{
    if (!m_options.picture_loader)
        return PictureResult::Unreadable;
    gfx::Surface picture;
    const PictureResult result = m_options.picture_loader(path, picture);
    if (result == PictureResult::Decoded)
        out = std::move(picture);
    return result;
}

namespace {

// Text comes with the desktop hosts; unless given a text service, the
// headless host measures and draws nothing, with a fixed line height so that
// layouts stay deterministic.
class NoText final : public TextService {
public:
    int draw_text(gfx::Surface&, gfx::Point, std::string_view, const Font&, gfx::Pixel) override { return 0; }
    int text_height(std::string_view, const Font&) override { return 12; }
    int text_width(std::string_view, const Font&) override { return 0; }
};

} // namespace

TextService& HeadlessHost::text()
{
    static NoText none;
    return m_options.text ? *m_options.text : none;
}

std::optional<gfx::Point> HeadlessHost::pointer_position()
{
    if (!m_options.pointer_readable)
        return std::nullopt;
    return m_pointer;
}

bool HeadlessHost::verify_screen_saver_password(Window&)
{
    ++m_verifications;
    if (password_answers.empty())
        return m_options.password_correct;
    bool answer = password_answers.front();
    password_answers.pop_front();
    return answer;
}

void HeadlessHost::change_screen_saver_password(NativeHandle parent)
{
    m_password_changes.push_back(parent);
}

void HeadlessHost::set_screen_saver_running(bool running) { m_running_calls.push_back(running); }

void HeadlessHost::set_screen_saving_active(bool active) { m_active_calls.push_back(active); }

void HeadlessHost::message_box(Window*, std::string_view text, std::string_view title,
                               MessageStyle style)
{
    m_message_boxes.push_back({std::string(text), std::string(title), style});
}

std::optional<gfx::ColorRef> HeadlessHost::choose_color(Window*, gfx::ColorRef)
{
    ++m_color_requests;
    return m_options.chosen_color;
}

std::optional<std::string> HeadlessHost::choose_picture_file(Window*,
                                                             const PictureFileRequest& request)
{
    ++m_picture_requests;
    m_last_picture_request = request;
    return m_options.chosen_picture_file;
}

void HeadlessHost::open_url(std::string_view url) { m_opened_urls.emplace_back(url); }

void HeadlessHost::end_process(int status)
{
    m_ended_with = status;
    throw ProcessEnd{status};
}

} // namespace host
