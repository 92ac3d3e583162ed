#pragma once

#include "engine/random.h"
#include "engine/saver_window.h"
#include "engine/trace.h"
#include "gfx/color.h"
#include "host/headless/headless_host.h"
#include "settings/settings.h"

#include <cstdint>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

// A saver window on the headless host with its trace kept in memory, for the
// tests of the sprites, the background composer and the opening figure.
namespace art_testing {

constexpr gfx::ColorRef kBackground = gfx::colorref(10, 20, 30);

// Every ball in the first ball's default colour, speed 15, no pause.
inline Settings plain_settings(int background_mode)
{
    Settings s;
    for (int n = 1; n <= 11; ++n) {
        s.g_BallRed[n] = 0;
        s.g_BallGreen[n] = 0;
        s.g_BallBlue[n] = 88;
    }
    s.g_ActionEnabled.fill(1);
    s.g_OrderMode = 1;
    s.g_BackgroundColor = kBackground;
    s.g_Speed = 15;
    s.g_SpeedFactor = 1;
    s.g_BackgroundMode = std::int16_t(background_mode);
    s.g_BackgroundArrangement = 1;
    s.g_PcSpec = 0;
    return s;
}

inline host::HeadlessOptions screen_of(int width, int height)
{
    host::HeadlessOptions options;
    options.screen = {width, height};
    return options;
}

struct SaverRig {
    host::HeadlessHost host;
    Settings settings;
    Random random;
    std::ostringstream trace_text;
    Trace trace{trace_text};
    Ball_A saver;

    SaverRig(host::HeadlessOptions options, const Settings& s, std::uint64_t seed = 1)
        : host(std::move(options)), settings(s), random(seed),
          saver(host, settings, random, SaverStart{'S', false, 0}, &trace)
    {
    }

    std::string take_trace()
    {
        trace.flush();
        std::string text = trace_text.str();
        trace_text.str({});
        return text;
    }
};

// One drawing operation of a traced frame: ball 0 stands for a restore.
struct Op {
    int ball = 0;
    int x = 0, y = 0, w = 0, h = 0;
    friend bool operator==(const Op&, const Op&) = default;
};

// The frames of a trace, each as the list of its operations.
inline std::vector<std::vector<Op>> frames_of(const std::string& trace)
{
    static const std::regex op_pattern(
        R"(\[\s*"R"\s*\]|\[\s*"B"\s*,\s*(-?\d+)\s*,\s*(-?\d+)\s*,\s*(-?\d+)\s*,\s*(-?\d+)\s*,\s*(-?\d+)\s*\])");
    std::vector<std::vector<Op>> frames;
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) {
        if (line.find("\"ev\":\"frame\"") == std::string::npos)
            continue;
        std::vector<Op> ops;
        for (std::sregex_iterator it(line.begin(), line.end(), op_pattern), end; it != end; ++it) {
            const std::smatch& m = *it;
            if (!m[1].matched)
                ops.push_back({});
            else
                ops.push_back({std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4]),
                               std::stoi(m[5])});
        }
        frames.push_back(std::move(ops));
    }
    return frames;
}

} // namespace art_testing
