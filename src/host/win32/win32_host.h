#pragma once

#include "host/host.h"

#include <memory>
#include <string>

// The Windows host: USER32 windows with a DIB section as each window's frame
// (presented with BitBlt), the shared loop over the thread's message queue,
// GDI text, OLE and WIC pictures, the common dialogs and the screen-saver
// services of the system. This header is free of <windows.h>, so start-up
// code can include it without the system's macros.
namespace host {

// Makes the host for this process (COM, the window class, a 1 ms timer
// resolution for the 10 ms animation timer). Null, with the reason in
// `error` for a person to read, when the system refuses any of it.
std::unique_ptr<Host> open_win32_host(std::string& error);

// Tells the person why the program could not start, before any window of
// its own is open (the host could not be made, the memory ran out): a
// message box with an exclamation icon, titled with the program's name.
// Returns once it is answered; shows nothing when the system cannot.
void show_start_failure(std::string_view text_utf8);

// UTF-8 and UTF-16, as the wide-character calls take their text. Invalid
// sequences become U+FFFD rather than cutting the text short.
std::wstring utf16_from_utf8(std::string_view utf8);
std::string utf8_from_utf16(std::wstring_view utf16);

} // namespace host
