#include "engine/preview_picture.h"

#include "engine/ball_geometry.h"
#include "engine/random.h"
#include "engine/saver_window.h"
#include "gfx/raster.h"
#include "settings/settings_file.h"

// How the miniature is made: a real saver window (Ball_A) loads on a canvas
// three times the picture's size, 456 x 336, with the default settings and a
// black single-colour background, and its starting formation is stamped once
// as its first frame would be. Every 3 x 3 block of that frame is then
// averaged into one pixel of the picture. At full size the ring (radius 90,
// 48-pixel balls, the 72-pixel centre ball) spans 220 x 228 pixels, which
// does not fit 112 rows; a third of it, about 73 x 76, sits in the middle of
// the picture with a margin all round, and averaging (rather than dropping
// rows and columns) keeps the balls round and their shading smooth.
namespace {

constexpr int kScale = 3;

// What the saver window needs of a host to load and draw its first frame,
// and nothing more: a screen of the canvas's size and windows that are only
// frames. Nothing here reaches the system.
class CanvasWindow : public host::Window {
public:
    explicit CanvasWindow(const host::WindowOptions& options)
        : m_frame(options.rect.width, options.rect.height)
    {
    }
    gfx::Surface& frame() override { return m_frame; }
    void refresh() override {}
    void set_title(std::string_view) override {}
    void move(gfx::Rect rect) override { m_frame.resize(rect.width, rect.height); }
    void show(bool) override {}
    void set_topmost(bool) override {}
    void set_timer(int) override {}
    host::NativeHandle native_handle() const override { return 0; }

private:
    gfx::Surface m_frame;
};

class CanvasHost : public host::Host {
public:
    explicit CanvasHost(host::Size size) : m_size(size) {}

    host::Size screen_size() override { return m_size; }
    std::unique_ptr<host::Window> create_window(const host::WindowOptions& options,
                                                host::WindowHandler&) override
    {
        return std::make_unique<CanvasWindow>(options);
    }
    std::optional<gfx::Rect> native_window_rect(host::NativeHandle) override { return {}; }
    bool top_level_window_exists(std::string_view) override { return false; }
    void run() override {}
    void quit() override {}
    void process_pending_messages() override {}
    void sleep_ms(int) override {}
    std::uint64_t now_ms() override { return 0; }
    int show_cursor(bool show) override { return show ? 0 : -1; }
    gfx::Point cursor_pos() override { return {}; }
    bool capture_desktop(gfx::Surface&) override { return false; }
    bool load_picture(const std::string&, gfx::Surface&) override { return false; }
    int draw_text(gfx::Surface&, gfx::Point, std::string_view, const host::Font&,
                  gfx::Pixel) override
    {
        return 0;
    }
    int text_height(std::string_view, const host::Font&) override { return 0; }
    bool is_nt_platform() override { return true; }
    bool verify_screen_saver_password(host::Window&) override { return true; }
    void change_screen_saver_password(host::NativeHandle) override {}
    void set_screen_saver_running(bool) override {}
    void set_screen_saving_active(bool) override {}
    void message_box(host::Window*, std::string_view, std::string_view,
                     host::MessageStyle) override
    {
    }
    std::optional<gfx::ColorRef> choose_color(host::Window*, gfx::ColorRef) override { return {}; }
    std::optional<std::string> choose_picture_file(host::Window*,
                                                   const host::PictureFileRequest&) override
    {
        return {};
    }
    void open_url(std::string_view) override {}
    [[noreturn]] void end_process(int status) override { throw host::ProcessEnd{status}; }

private:
    host::Size m_size;
};

// The mean of each scale x scale block, rounded to nearest.
gfx::Surface average_blocks(const gfx::Surface& large, int scale)
{
    gfx::Surface small(large.width() / scale, large.height() / scale);
    const int area = scale * scale;
    for (int y = 0; y < small.height(); ++y) {
        for (int x = 0; x < small.width(); ++x) {
            int red = 0, green = 0, blue = 0;
            for (int dy = 0; dy < scale; ++dy) {
                for (int dx = 0; dx < scale; ++dx) {
                    const gfx::Pixel p = large.at(x * scale + dx, y * scale + dy);
                    red += gfx::red_of(p);
                    green += gfx::green_of(p);
                    blue += gfx::blue_of(p);
                }
            }
            small.set(x, y, gfx::rgb((red + area / 2) / area, (green + area / 2) / area,
                                     (blue + area / 2) / area));
        }
    }
    return small;
}

} // namespace

gfx::Surface render_preview_picture()
{
    // A name that no file has: every setting takes its default.
    Settings settings;
    LoadSettings(settings, std::string());
    settings.g_BackgroundMode = 2;
    settings.g_BackgroundColor = gfx::colorref(0, 0, 0);

    CanvasHost canvas({kPreviewPictureWidth * kScale, kPreviewPictureHeight * kScale});
    Random random(0); // the starting formation draws nothing at random
    Ball_A saver(canvas, settings, random, SaverStart{});
    saver.Form_Load();

    saver.RestoreBackground();
    for (int i = 1; i <= kSmallBalls; ++i)
        saver.BlitBall(i, saver.FormationX[i], saver.FormationY[i]);
    saver.BlitBall(kCentreBall, saver.CenterFormationX, saver.CenterFormationY);
    return average_blocks(*saver.Display, kScale);
}
