#pragma once

#include <X11/Xlib.h>

#include <string>

// What an X error means for us. Errors reach one process-wide handler, which
// sorts them three ways:
// - inside an ErrorTrap, a request that may fail for a known reason (a window
//   of another program that went away, an attach over the network) is
//   recorded there, and the caller takes its fallback;
// - on a window of another program that we draw into or follow (a preview
//   pane, the daemon's window, our child window that dies with its pane), the
//   error is that program's doing: it is let pass, and the window's going
//   away, which the loop hears of, ends us as documented;
// - anything else means the program would go on with a window, a GC or a
//   pixmap that does not exist: it ends at once with status 1 and a message
//   that names the error.
// Errors on connections that are not ours (GTK's own) go to the handler
// that was there before ours.
namespace host::x11 {

// Makes the handler ours; again after a library (GTK) has put its own in place.
void install_error_handler(::Display* display);
// The connection is closing: its errors are no longer ours to judge.
void forget_display(::Display* display);

// Errors on this resource are another program's doing (see above).
void tolerate_errors_on(::Display* display, XID resource);
void stop_tolerating(::Display* display, XID resource);

// Records the errors of the requests made while it lives, instead of ending
// the process. Traps nest; the innermost one records.
class ErrorTrap {
public:
    explicit ErrorTrap(::Display* display);
    // Waits for the server's answers to the requests made inside, so that no
    // error of theirs arrives after the trap is gone.
    ~ErrorTrap();
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // Waits for the server's answers to everything sent so far; true when
    // any request made inside failed.
    bool failed();
    // The first error, for a person to read ("BadWindow (invalid Window
    // parameter)"); empty when there was none.
    const std::string& first_error() const { return m_first_error; }

private:
    friend int handle_x_error(::Display*, XErrorEvent*);

    ::Display* m_display;
    unsigned long m_first_serial;
    int m_errors = 0;
    std::string m_first_error;
};

} // namespace host::x11
