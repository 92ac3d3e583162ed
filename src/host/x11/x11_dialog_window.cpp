#include "host/x11/x11_host_impl.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <utility>

// A dialog's window: borderless, yet managed like any application window, so
// that the window manager gives it the keyboard focus and a place in the task
// list. It stays where the program puts it, at the size it was made, and
// reports key presses; closing it through the window manager is a request
// the dialog answers (as cancel).
namespace host::x11 {

namespace {

// _MOTIF_WM_HINTS: the functions the window manager may offer (moving and
// closing, for its keyboard shortcuts) and no decorations at all.
struct DialogMotifHints {
    unsigned long flags = 1 | 2;         // functions and decorations given
    unsigned long functions = 4 | 32;    // move, close
    unsigned long decorations = 0;
    long input_mode = 0;
    unsigned long status = 0;
};

} // namespace

std::unique_ptr<host::Window> X11Host::create_dialog_window(const WindowOptions& options,
                                                            WindowHandler& handler)
{
    const gfx::Rect r = options.rect;
    const WindowResources made = create_top_level(r, options.title, KeyPressMask);
    if (!made.id)
        return nullptr;

    // Placed by the program and of one size only.
    XSizeHints size_hints{};
    size_hints.flags = USPosition | PPosition | PSize | PMinSize | PMaxSize;
    size_hints.x = r.x;
    size_hints.y = r.y;
    size_hints.width = size_hints.min_width = size_hints.max_width = r.width;
    size_hints.height = size_hints.min_height = size_hints.max_height = r.height;
    XSetWMNormalHints(m_display, made.id, &size_hints);
    XWMHints wm_hints{};
    wm_hints.flags = InputHint | StateHint;
    wm_hints.input = True;
    wm_hints.initial_state = NormalState;
    XSetWMHints(m_display, made.id, &wm_hints);
    DialogMotifHints hints;
    XChangeProperty(m_display, made.id, m_atoms.motif_wm_hints, m_atoms.motif_wm_hints, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&hints), 5);

    auto window = std::make_unique<X11Window>(*this, handler, options, WindowKind::Desktop, made);
    return finish_top_level(std::move(window), options);
}

} // namespace host::x11
