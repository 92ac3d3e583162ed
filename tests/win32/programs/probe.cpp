// orvelune-probe: what the Wine tests need to see from inside Windows.
//
//   orvelune-probe pane W H          a W x H pane in a window of another
//                                    program, as the display settings offer
//                                    a preview pane: prints its handle,
//                                    waits for a child to settle in it,
//                                    prints the child, closes the pane and ends
//   orvelune-probe window HEX        a visible window titled with the UTF-8
//                                    text HEX (in hexadecimal); prints "ready"
//                                    and runs until it is ended
//   orvelune-probe find HEX          "found HEX2" with the title of the window
//                                    titled HEX as the system reads it back
//                                    (in hexadecimal UTF-8), or "none"
//   orvelune-probe acp               the system's ANSI code page
//   orvelune-probe desktop           the handle of the system's desktop
//                                    window, in decimal
//   orvelune-probe monitors          the monitors as the Windows host tells
//                                    them, primary first: "monitors N" and
//                                    "X,Y,W,H" for each
//   orvelune-probe resources PATH    what the program file PATH (Windows
//                                    form) says of itself: its version
//                                    resource, string 1, and the settings of
//                                    its manifest as the system reads them,
//                                    as "key=value" fields split by "|"
//   orvelune-probe awareness HEX     "awareness A" with A the DPI awareness
//                                    of the window titled HEX (0 none,
//                                    1 the system's, 2 per monitor), or "none"
//   orvelune-probe text              draws two Japanese characters and one
//                                    that no font has, in the settings
//                                    dialog's font through the Windows host:
//                                    "height H inked I distinct D"
//
// Texts travel in hexadecimal so that no code page stands between the test
// and the system.
#include "gfx/surface.h"
#include "host/win32/win32_host.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string hex_of(std::string_view bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string bytes_of_hex(std::wstring_view hex)
{
    auto value = [](wchar_t c) {
        return c >= L'0' && c <= L'9' ? c - L'0' : c >= L'a' && c <= L'f' ? c - L'a' + 10 : c - L'A' + 10;
    };
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out += char(value(hex[i]) * 16 + value(hex[i + 1]));
    return out;
}

void say(const std::string& line)
{
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

// Runs this thread's messages for `ms` milliseconds.
void pump_for(DWORD ms)
{
    const DWORD until = GetTickCount() + ms;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        const DWORD now = GetTickCount();
        if (int(until - now) <= 0)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, until - now, QS_ALLINPUT);
    }
}

LRESULT CALLBACK plain_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_ERASEBKGND) {
        // A grey of its own, so the preview is told from an empty pane.
        RECT client{};
        GetClientRect(hwnd, &client);
        HBRUSH grey = CreateSolidBrush(RGB(128, 128, 128));
        FillRect(reinterpret_cast<HDC>(wparam), &client, grey);
        DeleteObject(grey);
        return 1;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

HWND create_plain_window(const std::wstring& title, int width, int height)
{
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = plain_procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"OrveluneProbe";
    RegisterClassW(&window_class);
    RECT outer{0, 0, width, height};
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
    HWND hwnd = CreateWindowW(L"OrveluneProbe", title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN,
                              10, 10, outer.right - outer.left, outer.bottom - outer.top, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    pump_for(100);
    return hwnd;
}

HWND first_child(HWND parent)
{
    return FindWindowExW(parent, nullptr, nullptr, nullptr);
}

int run_pane(int width, int height)
{
    // The pane is a borderless child of a settings window, as in the
    // display settings; the preview is to cover it exactly.
    HWND settings = create_plain_window(L"Orvelune test settings", width + 20, height + 20);
    HWND pane = settings ? CreateWindowW(L"OrveluneProbe", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 10, 10, width,
                                         height, settings, nullptr, GetModuleHandleW(nullptr), nullptr)
                         : nullptr;
    if (!pane)
        return 1;
    say(std::to_string(reinterpret_cast<std::uintptr_t>(pane)));

    HWND child = nullptr;
    for (int i = 0; i < 400 && !child; ++i) {
        pump_for(50);
        child = first_child(pane);
    }
    if (!child) {
        say("no child");
        DestroyWindow(settings);
        return 0;
    }
    // The preview sizes and shows itself right after it is made.
    pump_for(500);
    RECT client{};
    GetClientRect(child, &client);
    DWORD owner = 0;
    GetWindowThreadProcessId(child, &owner);
    say("child " + std::to_string(client.right) + " " + std::to_string(client.bottom) + " visible "
        + std::to_string(IsWindowVisible(child) ? 1 : 0) + " other-process "
        + std::to_string(owner != GetCurrentProcessId() ? 1 : 0));
    // Closing the settings takes the pane, and with it the preview.
    DestroyWindow(settings);
    say("closed");
    return 0;
}

// Whether the host draws Japanese with a face that has its glyphs: two
// different characters must come out different, and unlike a character no
// font has (which every face draws as the same empty box, or not at all).
int run_text()
{
    std::string error;
    std::unique_ptr<host::Host> host = host::open_win32_host(error);
    if (!host) {
        say("no host: " + error);
        return 1;
    }
    const host::Font font{"MS UI Gothic", 9, 400};
    std::vector<gfx::Surface> drawn;
    int inked = 0;
    for (const char* text : {"\u8a2d", "\u5b9a", "\ue000"}) { // 設, 定, a private-use character
        gfx::Surface canvas(24, 24, 0xFFFFFF);
        host->draw_text(canvas, {4, 4}, text, font, 0x000000);
        for (gfx::Pixel p : canvas.pixels())
            if (p != 0xFFFFFF) {
                ++inked;
                break;
            }
        drawn.push_back(canvas);
    }
    const bool distinct = drawn[0] != drawn[1] && drawn[0] != drawn[2] && drawn[1] != drawn[2];
    say("height " + std::to_string(host->text_height("Orvelune\u306e\u8a2d\u5b9a", font)) + " inked "
        + std::to_string(inked) + " distinct " + std::to_string(distinct ? 1 : 0));
    return 0;
}

int run_monitors()
{
    std::string error;
    std::unique_ptr<host::Host> host = host::open_win32_host(error);
    if (!host) {
        say("no host: " + error);
        return 1;
    }
    const std::vector<gfx::Rect> monitors = host->monitors();
    std::string line = "monitors " + std::to_string(monitors.size());
    for (const gfx::Rect& m : monitors)
        line += " " + std::to_string(m.x) + "," + std::to_string(m.y) + "," + std::to_string(m.width) + ","
                + std::to_string(m.height);
    say(line);
    return 0;
}

// One string of the version resource's U.S. English, Unicode block.
std::string version_string(const std::vector<char>& block, const wchar_t* name)
{
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || !value)
        return "?";
    return host::utf8_from_utf16(static_cast<const wchar_t*>(value));
}

// One setting of the program's manifest, read through an activation context
// made from it, as the loader reads it.
std::string manifest_setting(const std::wstring& program, const wchar_t* ns, const wchar_t* name)
{
    ACTCTXW description{};
    description.cbSize = sizeof description;
    description.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    description.lpSource = program.c_str();
    description.lpResourceName = MAKEINTRESOURCEW(1);
    HANDLE context = CreateActCtxW(&description);
    if (context == INVALID_HANDLE_VALUE)
        return "?";
    std::wstring value(256, L'\0');
    SIZE_T written = 0;
    std::string result = "?";
    if (QueryActCtxSettingsW(0, context, ns, name, value.data(), value.size(), &written)) {
        value.resize(wcslen(value.c_str()));
        result = host::utf8_from_utf16(value);
    }
    ReleaseActCtx(context);
    return result;
}

int run_resources(const std::wstring& program)
{
    std::string line;
    DWORD ignored = 0;
    std::vector<char> block(GetFileVersionInfoSizeW(program.c_str(), &ignored));
    void* fixed_value = nullptr;
    UINT length = 0;
    if (block.empty() || !GetFileVersionInfoW(program.c_str(), 0, DWORD(block.size()), block.data())
        || !VerQueryValueW(block.data(), L"\\", &fixed_value, &length) || length < sizeof(VS_FIXEDFILEINFO)) {
        say("no version");
        return 0;
    }
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(fixed_value);
    auto numbers = [](DWORD high, DWORD low) {
        return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." + std::to_string(HIWORD(low))
               + "." + std::to_string(LOWORD(low));
    };
    line += "fixed-file=" + numbers(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    line += "|fixed-product=" + numbers(fixed->dwProductVersionMS, fixed->dwProductVersionLS);
    for (const wchar_t* name : {L"FileVersion", L"ProductVersion", L"ProductName", L"FileDescription",
                                L"OriginalFilename"})
        line += "|" + host::utf8_from_utf16(name) + "=" + version_string(block, name);

    std::string listed = "?";
    if (HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        wchar_t text[64] = {};
        if (LoadStringW(module, 1, text, 64) > 0)
            listed = host::utf8_from_utf16(text);
        FreeLibrary(module);
    }
    line += "|string1=" + listed;
    line += "|dpiAware=" + manifest_setting(program, L"http://schemas.microsoft.com/SMI/2005/WindowsSettings",
                                            L"dpiAware");
    line += "|dpiAwareness=" + manifest_setting(program, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings",
                                                L"dpiAwareness");
    say(line);
    return 0;
}

int run_awareness(const std::wstring& title)
{
    HWND hwnd = FindWindowW(nullptr, title.c_str());
    if (!hwnd) {
        say("none");
        return 0;
    }
    using WindowContext = HANDLE(WINAPI*)(HWND);
    using Awareness = int(WINAPI*)(HANDLE);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    auto window_context = reinterpret_cast<WindowContext>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetWindowDpiAwarenessContext")));
    auto awareness = reinterpret_cast<Awareness>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
    if (!window_context || !awareness) {
        say("awareness unknown");
        return 0;
    }
    say("awareness " + std::to_string(awareness(window_context(hwnd))));
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"pane" && argc == 4)
        return run_pane(_wtoi(argv[2]), _wtoi(argv[3]));
    if (command == L"window" && argc == 3) {
        HWND hwnd = create_plain_window(host::utf16_from_utf8(bytes_of_hex(argv[2])), 200, 100);
        if (!hwnd)
            return 1;
        say("ready");
        for (;;)
            pump_for(1000);
    }
    if (command == L"find" && argc == 3) {
        HWND hwnd = FindWindowW(nullptr, host::utf16_from_utf8(bytes_of_hex(argv[2])).c_str());
        if (!hwnd) {
            say("none");
            return 0;
        }
        std::wstring title(512, L'\0');
        title.resize(std::size_t(GetWindowTextW(hwnd, title.data(), int(title.size()))));
        say("found " + hex_of(host::utf8_from_utf16(title)));
        return 0;
    }
    if (command == L"text")
        return run_text();
    if (command == L"monitors")
        return run_monitors();
    if (command == L"resources" && argc == 3)
        return run_resources(argv[2]);
    if (command == L"awareness" && argc == 3)
        return run_awareness(host::utf16_from_utf8(bytes_of_hex(argv[2])));
    if (command == L"desktop") {
        say(std::to_string(reinterpret_cast<std::uintptr_t>(GetDesktopWindow())));
        return 0;
    }
    if (command == L"acp") {
        say(std::to_string(GetACP()));
        return 0;
    }
    std::fputs("usage: orvelune-probe pane W H | window HEX | find HEX | acp | desktop | text | monitors\n"
               "       | resources PATH | awareness HEX\n",
               stderr);
    return 2;
}
