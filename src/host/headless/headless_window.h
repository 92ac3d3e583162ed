#pragma once

#include "host/host.h"
#include "host/run_loop.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace host {

class HeadlessHost;

// A window of the headless host: a frame in memory, a record in the host, a
// timer that the host's loop drives.
class HeadlessWindow : public LoopWindow {
public:
    HeadlessWindow(HeadlessHost& host, WindowHandler& handler, const WindowOptions& options,
                   std::size_t record, NativeHandle handle);
    ~HeadlessWindow() override;

    void refresh() override;
    void refresh_areas(std::span<const gfx::Rect> areas) override;
    void set_cursor_picture(const CursorPicture* cursor) override;
    void set_title(std::string_view utf8) override;
    void move(gfx::Rect rect) override;
    void show(bool visible) override;
    void set_topmost(bool on) override;
    void set_timer(int interval_ms) override;
    NativeHandle native_handle() const override { return m_handle; }

    std::size_t record() const { return m_record; }

    // The host is going away first: from now on the window is inert.
    void detach() { m_host = nullptr; }

private:
    HeadlessHost* m_host;
    std::size_t m_record;
    NativeHandle m_handle;
};

} // namespace host
