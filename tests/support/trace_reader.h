#pragma once

// A reader for the saver's trace, one JSON object per line: each line keeps
// its text, its "ev" name and, for frames, the drawing operations in order.
// It reads only what the tests look at, from lines the trace itself wrote,
// so it needs no general JSON parser.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace test_support {

// One drawing operation of a frame: 'R' a restore (its other fields stay
// 0), 'B' a ball stamp.
struct Op {
    char what = 0;
    int ball = 0, x = 0, y = 0, w = 0, h = 0;
};

// The text just after "key": in a one-line object, or npos.
inline std::size_t value_at(const std::string& line, const std::string& key)
{
    const std::string quoted = "\"" + key + "\":";
    const std::size_t at = line.find(quoted);
    return at == std::string::npos ? at : at + quoted.size();
}

// One trace line; `ops` is filled for frames.
struct Event {
    std::string ev;
    std::string line;
    std::vector<Op> ops;

    // An integer field; the test fails when it is absent.
    long long number(const std::string& key) const
    {
        const std::size_t at = value_at(line, key);
        EXPECT_NE(at, std::string::npos) << "no \"" << key << "\" in " << line;
        return at == std::string::npos ? 0 : std::strtoll(line.c_str() + at, nullptr, 10);
    }
    // A true/false field; the test fails when it is absent.
    bool flag(const std::string& key) const
    {
        const std::size_t at = value_at(line, key);
        EXPECT_NE(at, std::string::npos) << "no \"" << key << "\" in " << line;
        return at != std::string::npos && line.compare(at, 4, "true") == 0;
    }
    // The last stamp of ball n in this frame, or null.
    const Op* ball(int n) const
    {
        const Op* found = nullptr;
        for (const Op& op : ops)
            if (op.what == 'B' && op.ball == n)
                found = &op;
        return found;
    }
};

// The "ops" of a frame line: ["R"] or ["B",n,x,y,w,h] each.
inline std::vector<Op> parse_ops(const std::string& line)
{
    std::vector<Op> ops;
    const std::size_t at = value_at(line, "ops");
    if (at == std::string::npos)
        return ops;
    const char* p = line.c_str() + at + 1; // past the outer '['
    while (*p == '[' || *p == ',') {
        if (*p == ',') {
            ++p;
            continue;
        }
        Op op;
        op.what = p[2];
        p += 4;
        if (op.what == 'B') {
            for (int* field : {&op.ball, &op.x, &op.y, &op.w, &op.h}) {
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

inline std::vector<Event> parse_trace(const std::string& text)
{
    std::vector<Event> events;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        Event e;
        e.line = line;
        const std::size_t at = value_at(line, "ev");
        if (at != std::string::npos) {
            const std::size_t from = at + 1; // past the opening quote
            e.ev = line.substr(from, line.find('"', from) - from);
        }
        if (e.ev == "frame")
            e.ops = parse_ops(line);
        events.push_back(std::move(e));
    }
    return events;
}

inline std::vector<Event> frames_of(const std::vector<Event>& events)
{
    std::vector<Event> frames;
    for (const Event& e : events)
        if (e.ev == "frame")
            frames.push_back(e);
    return frames;
}

// Index of the first event named `ev` from `from` on, or events.size().
inline std::size_t index_of(const std::vector<Event>& events, const std::string& ev,
                            std::size_t from = 0)
{
    for (std::size_t i = from; i < events.size(); ++i)
        if (events[i].ev == ev)
            return i;
    return events.size();
}

} // namespace test_support
