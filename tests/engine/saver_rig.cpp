#include "saver_rig.h"

#include "gfx/color.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace engine_test {

Settings DefaultSettings()
{
    Settings s;
    for (int n = 1; n <= 11; ++n) {
        s.g_BallRed[std::size_t(n)] = std::int16_t(n * 4);
        s.g_BallGreen[std::size_t(n)] = std::int16_t(n * 2);
        s.g_BallBlue[std::size_t(n)] = 88;
    }
    for (int k = 1; k <= 20; ++k)
        s.g_ActionEnabled[std::size_t(k)] = 1;
    s.g_OrderMode = 1;
    s.g_BackgroundColor = gfx::colorref(0, 0, 64);
    s.g_Speed = 15;
    s.g_SpeedFactor = 1;
    s.g_BackgroundMode = 2;
    s.g_BackgroundArrangement = 1;
    s.g_PcSpec = 0;
    return s;
}

namespace {

// The text after "key": in a line, or npos.
std::size_t value_at(const std::string& line, const std::string& key)
{
    const std::string quoted = "\"" + key + "\":";
    const std::size_t at = line.find(quoted);
    return at == std::string::npos ? at : at + quoted.size();
}

std::vector<Op> parse_ops(const std::string& line)
{
    std::vector<Op> ops;
    std::size_t at = value_at(line, "ops");
    if (at == std::string::npos)
        return ops;
    const char* p = line.c_str() + at + 1; // past the outer '['
    while (*p == '[' || *p == ',') {
        if (*p == ',') {
            ++p;
            continue;
        }
        Op op;
        op.what = p[2]; // ["R"] or ["B",...
        p += 4;
        if (op.what == 'B') {
            int* fields[] = {&op.ball, &op.x, &op.y, &op.w, &op.h};
            for (int* field : fields) {
                ++p; // the comma
                char* end = nullptr;
                *field = int(std::strtol(p, &end, 10));
                p = end;
            }
        }
        ++p; // the closing ']'
        ops.push_back(op);
    }
    return ops;
}

} // namespace

long long Event::number(const std::string& key) const
{
    const std::size_t at = value_at(line, key);
    EXPECT_NE(at, std::string::npos) << "no \"" << key << "\" in " << line;
    if (at == std::string::npos)
        return 0;
    return std::strtoll(line.c_str() + at, nullptr, 10);
}

bool Event::flag(const std::string& key) const
{
    const std::size_t at = value_at(line, key);
    EXPECT_NE(at, std::string::npos) << "no \"" << key << "\" in " << line;
    return at != std::string::npos && line.compare(at, 4, "true") == 0;
}

std::vector<Event> ParseTrace(const std::string& text)
{
    std::vector<Event> events;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        Event e;
        e.line = line;
        const std::size_t at = value_at(line, "ev");
        if (at != std::string::npos) {
            const std::size_t end = line.find('"', at + 1);
            e.ev = line.substr(at + 1, end - at - 1);
        }
        if (e.ev == "frame")
            e.ops = parse_ops(line);
        events.push_back(std::move(e));
    }
    return events;
}

SaverRig::SaverRig(Settings settings_, host::Size screen, SaverStart start, std::uint64_t seed)
    : host([&] {
          host::HeadlessOptions o;
          o.screen = screen;
          return o;
      }()),
      settings(std::move(settings_)), random(seed), trace(trace_text),
      saver(std::make_unique<Ball_A>(host, settings, random, start, &trace))
{
}

void SaverRig::Load(bool with_timer)
{
    saver->Form_Load();
    if (!with_timer)
        saver->window->set_timer(0);
    TakeEvents();
}

void SaverRig::RunTicks(int ticks)
{
    int done = 0;
    host.set_after_tick([&] {
        if (++done == ticks)
            host.quit();
    });
    host.run();
    host.set_after_tick(nullptr);
}

std::vector<Event> SaverRig::TakeEvents()
{
    std::vector<Event> events = ParseTrace(trace_text.str());
    trace_text.str("");
    return events;
}

std::vector<Event> SaverRig::TakeFrames()
{
    std::vector<Event> frames;
    for (Event& e : TakeEvents())
        if (e.ev == "frame")
            frames.push_back(std::move(e));
    return frames;
}

} // namespace engine_test
